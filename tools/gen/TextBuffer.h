// SPDX-License-Identifier: BSD-2-Clause
// Line-oriented text output for the generator's writers: fixed-column fields are
// formatted with integer code into one large buffer that goes to the file in big
// blocks, because a day of 1 Hz data is some 25 million fields.
#pragma once

#include "tools/gen/RinexGen.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace kgen {

class TextBuffer {
  public:
    // Opens `path` for writing; Ok() tells whether that worked.
    explicit TextBuffer(const std::string& path);
    ~TextBuffer();
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    bool Ok() const { return file_ != nullptr && !failed_; }

    void Put(char c);
    void Put(std::string_view s);
    void Repeat(char c, int n);
    // Integer right-justified in `width` columns (zero-filled with `zeroFill`). As in
    // Fortran, a number too wide for its field becomes asterisks; width 0 writes it bare.
    void Int(long long v, int width, bool zeroFill = false);
    // Fortran Fw.d of the value scaled * 10^-decimals, with the same width rules.
    void Fixed(long long scaled, int decimals, int width);
    // Blanks up to the end of column `column` (1-based) of the current line.
    void PadTo(int column);
    // A header line: the text so far padded to 60 columns, then the label.
    void Label(std::string_view label);
    // Ends the line; `trim` drops its trailing blanks first, as RINEX writers do.
    void EndLine(bool trim = true);

    // Writes what is left and closes the file; false when any write failed.
    bool Close();
    long long Bytes() const { return written_ + static_cast<long long>(pos_); }

  private:
    void Reserve(std::size_t n);
    void Flush();

    std::FILE* file_ = nullptr;
    std::vector<char> buf_;
    std::size_t pos_ = 0;
    std::size_t lineStart_ = 0;
    long long written_ = 0;
    bool failed_ = false;
};

// Checks, opens `path`, lets body(out, summary) write and count, closes, and fills the
// summary's ok, bytes and error.
template <class Body>
WriteSummary WriteFile(const std::string& path, const std::string& configError, Body&& body)
{
    WriteSummary sum;
    sum.error = configError;
    if (!sum.error.empty()) return sum;
    TextBuffer out(path);
    if (!out.Ok()) {
        sum.error = "cannot open " + path + " for writing";
        return sum;
    }
    body(out, sum);
    sum.ok = out.Close();
    sum.bytes = out.Bytes();
    if (!sum.ok) sum.error = "writing " + path + " failed";
    return sum;
}

} // namespace kgen
