// SPDX-License-Identifier: BSD-2-Clause
// kestrova-densify: the same day at one epoch a second from a RINEX 2 observation file (for a
// benchmark input of real data at the rate of the generated files).
//   kestrova-densify RINEXFILE OUTFILE
#include "tools/densify/Densify.h"

#include <fstream>
#include <iostream>
#include <iterator>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: kestrova-densify RINEXFILE OUTFILE\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "kestrova-densify: error: cannot read " << argv[1] << "\n";
        return 1;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    try {
        const std::string dense = densify::Densify(text);
        std::ofstream out(argv[2], std::ios::binary);
        if (!out.write(dense.data(), std::streamsize(dense.size())).flush()) {
            std::cerr << "kestrova-densify: error: cannot write " << argv[2] << "\n";
            return 1;
        }
        std::cout << argv[2] << ": " << dense.size() << " bytes\n";
    } catch (const densify::DensifyError& e) {
        std::cerr << "kestrova-densify: error: " << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
