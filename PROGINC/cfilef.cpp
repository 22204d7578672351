// SPDX-License-Identifier: BSD-2-Clause
#include "PROGINC/cfilef.h"

#include "PROGINC/InputText.h"
#include "PROGINC/ProgramError.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <typeinfo>

bool FileExists(const char* f)
{
    if (f == nullptr || f[0] == '\0') return false;
    std::error_code ec;
    if (std::filesystem::is_directory(f, ec)) return false; // opens, but reads nothing
    std::ifstream in(f);
    return in.is_open();
}

bool CanRead(const char* f)
{
    errno = 0;
    if (FileExists(f)) return true;
    std::error_code ec;
    // a folder opens, but is no file; an empty name has no system's reason of its own
    const bool folder = f != nullptr && std::filesystem::is_directory(f, ec);
    WarnCannotOpen(f, folder ? EISDIR : errno != 0 ? errno : ENOENT);
    return false;
}

void WarnCannotOpen(const char* f, int error)
{
    ProgramWarning(ProgName, ("CAN NOT OPEN \"" + std::string(f != nullptr ? f : "") +
                              "\": " + std::strerror(error) + "!")
                                 .c_str());
}

TextBuffer* TextOf(std::istream& in)
{
    std::streambuf* buf = in.rdbuf();
    return buf != nullptr && typeid(*buf) == typeid(TextBuffer) ? static_cast<TextBuffer*>(buf)
                                                                : nullptr;
}

bool ReadLine(std::istream& in, std::string_view& line, std::string& store)
{
    // an input read into memory gives its lines without a stream call per line
    if (TextBuffer* text = TextOf(in)) {
        if (!text->NextLine(in, line)) return false;
    } else {
        if (!std::getline(in, store)) return false;
        line = store;
    }
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
}

bool ReadLine(std::istream& in, std::string& line)
{
    std::string_view view;
    if (!ReadLine(in, view, line)) return false;
    // a view into line itself only loses its CR
    if (view.data() == line.data())
        line.resize(view.size());
    else
        line.assign(view);
    return true;
}
