// SPDX-License-Identifier: BSD-2-Clause
// kestrova-crx: writes the Compact RINEX 1.0 form of a RINEX 2 observation file, as archives
// serve daily files (for test and benchmark inputs), or with --decode the RINEX text of a
// Compact RINEX file, through the program's own decoder (to time it alone).
//   kestrova-crx RINEXFILE CRXFILE
//   kestrova-crx --decode CRXFILE RINEXFILE
#include "GNSS/CompactRINEX.h"
#include "tools/gen/CompactRinexWriter.h"

#include <fstream>
#include <iostream>
#include <iterator>

int main(int argc, char** argv)
{
    const bool decode = argc == 4 && std::string(argv[1]) == "--decode";
    if (argc != 3 && !decode) {
        std::cerr << "usage: kestrova-crx RINEXFILE CRXFILE | --decode CRXFILE RINEXFILE\n";
        return 2;
    }
    if (decode) argv++;
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "kestrova-crx: cannot read " << argv[1] << "\n";
        return 1;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    try {
        std::ofstream out(argv[2], std::ios::binary);
        out << (decode ? DecodeCompactRINEX(text) : gen::CompactRinex1(text));
        if (!out.flush()) {
            std::cerr << "kestrova-crx: cannot write " << argv[2] << "\n";
            return 1;
        }
    } catch (const gen::CompactRinexError& e) {
        std::cerr << "kestrova-crx: " << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
