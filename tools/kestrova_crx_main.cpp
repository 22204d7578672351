// kestrova-crx: writes the Compact RINEX 1.0 form of a RINEX 2 observation file, as archives
// serve daily files (for test and benchmark inputs).
//   kestrova-crx RINEXFILE CRXFILE
#include "tools/gen/CompactRinexWriter.h"

#include <fstream>
#include <iostream>
#include <iterator>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: kestrova-crx RINEXFILE CRXFILE\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "kestrova-crx: cannot read " << argv[1] << "\n";
        return 1;
    }
    const std::string rinex{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    try {
        std::ofstream out(argv[2], std::ios::binary);
        out << gen::CompactRinex1(rinex);
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
