// SPDX-License-Identifier: BSD-2-Clause
#include "PROGINC/TextBlock.h"

#include <cstring>

TextBlock::TextBlock(std::ostream& o, std::size_t size) : out(o), block(size) {}

char* TextBlock::Room(std::size_t n)
{
    if (block.size() - used < n) {
        Flush();
        if (block.size() < n) block.resize(n);
    }
    return block.data() + used;
}

void TextBlock::Append(std::string_view text)
{
    char* p = Room(text.size());
    std::memcpy(p, text.data(), text.size());
    Done(p + text.size());
}

void TextBlock::Flush()
{
    if (used > 0) out.write(block.data(), static_cast<std::streamsize>(used));
    used = 0;
}
