// SPDX-License-Identifier: BSD-2-Clause
#include "PROGINC/cfilef.h"

#include <filesystem>
#include <fstream>

bool FileExists(const char* f) {
    if (f == nullptr || f[0] == '\0')
        return false;
    std::error_code ec;
    if (std::filesystem::is_directory(f, ec))
        return false; // opens, but reads nothing
    std::ifstream in(f);
    return in.is_open();
}

bool ReadLine(std::istream& in, std::string& line) {
    if (!std::getline(in, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}
