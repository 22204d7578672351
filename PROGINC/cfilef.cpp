// SPDX-License-Identifier: BSD-2-Clause
#include "PROGINC/cfilef.h"

#include "PROGINC/InputText.h"

#include <filesystem>
#include <fstream>
#include <typeinfo>

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
    // an input read into memory gives its lines without a stream call per line
    std::streambuf* buf = in.rdbuf();
    const bool text = buf != nullptr && typeid(*buf) == typeid(TextBuffer);
    if (text ? !static_cast<TextBuffer*>(buf)->NextLine(in, line) : !std::getline(in, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}
