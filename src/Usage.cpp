// SPDX-License-Identifier: BSD-2-Clause
#include "src/Usage.h"

#include "GNSS/SatSystem.h"

#include <cstring>
#include <string>

bool AsksForUsage(int argc, const char** argv)
{
    for (int i = 1; i < argc; i++)
        for (const char* word : {"-h", "-H", "--help"})
            if (std::strcmp(argv[i], word) == 0) return true;
    return false;
}

void WriteUsage(std::ostream& out)
{
    out << "usage: kestrova -oFILE -cLETTERS [options]   (each value glued to its option)\n"
           "Lists the observations of a RINEX 2, 3 or 4 observation file.\n"
           "  -oFILE     RINEX observation file (also Compact RINEX, compressed);"
           " -o- standard input\n"
           "  -rFILE     result file (default: the RINEX name with .gof; needed for a pipe)\n"
           "  -cLETTERS  satellite systems:";
    for (const SatSystem& s : SatSystems)
        out << " " << s.letter << " " << s.name << (&s == &SatSystems.back() ? "\n" : ",");
    out << "  -lCODES    observations, each closed by a colon, such as -lC1:L1:MW:\n"
           "  -iCHOICES  RINEX 3/4 signals to prefer per system and band, such as -iG2LX:E1C:\n"
           "  -fPAIRS    bands of each system's combinations, such as -fG15:E15:\n"
           "  -pLIST     satellites to list, such as -pG05R12E11\n"
           "  -xLIST     satellites never to list\n"
           "  -m1FILE    TEQC COMPACT2 multipath file of P1 (or C1)\n"
           "  -m2FILE    TEQC COMPACT2 multipath file of P2\n"
           "  -gfFILE    GLONASS frequency-channel file\n"
           "  -nFILE     broadcast navigation file, once per file (gives AZ, EL, -k and\n"
           "             GLONASS channels)\n"
           "  -kDEGREES  elevation cut-off: rows below it are not written (needs -n)\n"
           "  -wX,Y,Z    receiver position, metres (default: the header's, or from the codes)\n"
           "  -sDATE     start epoch, such as -s2015-02-13_06:00:00\n"
           "  -eDATE     end epoch\n"
           "  -tSECONDS  interval of the listed epochs (default: the file's)\n"
           "  -dSECONDS  largest clock error off the grid of the interval (default 0.1)\n"
           "  -ms        remove millisecond jumps of the receiver clock from the phases\n"
           "  -uC, -uM   raw phases in cycles (default) or metres\n"
           "  -a         a row also for each epoch on the grid without the satellite\n"
           "  -jTHREADS  -j2: a second thread writes the result file (default -j1: one thread)\n"
           "  -v         progress lines\n"
           "  -h         this text (also -H, --help)\n"
           "The manual: man kestrova (in the build folder: man -l kestrova.1).\n";
}
