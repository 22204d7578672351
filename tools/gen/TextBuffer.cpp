// SPDX-License-Identifier: BSD-2-Clause
// Fixed-column text formatting into a block buffer.
#include "tools/gen/TextBuffer.h"

namespace kgen {
namespace {
constexpr std::size_t kBlock = std::size_t{1} << 22;
}

TextBuffer::TextBuffer(const std::string& path)
    : file_(std::fopen(path.c_str(), "wb")), buf_(kBlock)
{
}

TextBuffer::~TextBuffer() { Close(); }

void TextBuffer::Reserve(std::size_t n)
{
    if (pos_ + n <= buf_.size()) return;
    // Keep the open line in the buffer: trimming and padding look back at it.
    if (lineStart_ > 0) Flush();
    if (pos_ + n > buf_.size()) buf_.resize(pos_ + n + kBlock);
}

void TextBuffer::Flush()
{
    if (file_ && lineStart_ > 0 && std::fwrite(buf_.data(), 1, lineStart_, file_) != lineStart_)
        failed_ = true;
    written_ += static_cast<long long>(lineStart_);
    pos_ -= lineStart_;
    for (std::size_t i = 0; i < pos_; ++i) buf_[i] = buf_[lineStart_ + i];
    lineStart_ = 0;
}

void TextBuffer::Put(char c)
{
    Reserve(1);
    buf_[pos_++] = c;
}

void TextBuffer::Put(std::string_view s)
{
    Reserve(s.size());
    for (char c : s) buf_[pos_++] = c;
}

void TextBuffer::Repeat(char c, int n)
{
    if (n <= 0) return;
    Reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) buf_[pos_++] = c;
}

namespace {

// Decimal digits of |v|, least significant first, at least `minDigits` of them.
int Digits(long long v, char* out, int minDigits)
{
    unsigned long long a =
        v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    int n = 0;
    do {
        out[n++] = static_cast<char>('0' + a % 10);
        a /= 10;
    } while (a != 0 || n < minDigits);
    return n;
}

} // namespace

void TextBuffer::Int(long long v, int width, bool zeroFill)
{
    char digits[24];
    int n = Digits(v, digits, 1);
    if (v < 0 && !zeroFill) digits[n++] = '-';
    const int len = n + (v < 0 && zeroFill ? 1 : 0);
    if (width > 0 && len > width) return Repeat('*', width);
    if (v < 0 && zeroFill) Put('-');
    Repeat(zeroFill ? '0' : ' ', width - len);
    Reserve(static_cast<std::size_t>(n));
    while (n > 0) buf_[pos_++] = digits[--n];
}

void TextBuffer::Fixed(long long scaled, int decimals, int width)
{
    char digits[24];
    int n = Digits(scaled, digits, decimals + 1); // at least one digit before the point
    const int len = n + 1 + (scaled < 0 ? 1 : 0);
    if (width > 0 && len > width) return Repeat('*', width);
    Repeat(' ', width - len);
    Reserve(static_cast<std::size_t>(n + 2));
    if (scaled < 0) buf_[pos_++] = '-';
    while (n > decimals) buf_[pos_++] = digits[--n];
    buf_[pos_++] = '.';
    while (n > 0) buf_[pos_++] = digits[--n];
}

void TextBuffer::PadTo(int column) { Repeat(' ', column - static_cast<int>(pos_ - lineStart_)); }

void TextBuffer::Label(std::string_view label)
{
    PadTo(60);
    Put(label);
    EndLine(false);
}

void TextBuffer::EndLine(bool trim)
{
    if (trim)
        while (pos_ > lineStart_ && buf_[pos_ - 1] == ' ') --pos_;
    Put('\n');
    lineStart_ = pos_;
    if (pos_ >= buf_.size() - 4096) Flush();
}

bool TextBuffer::Close()
{
    if (!file_) return false;
    lineStart_ = pos_;
    Flush();
    if (std::fclose(file_) != 0) failed_ = true;
    file_ = nullptr;
    return !failed_;
}

} // namespace kgen
