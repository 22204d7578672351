// SPDX-License-Identifier: BSD-2-Clause
#include "PROGINC/TextBlock.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {

// Rows of every length up to a few hundred characters, some longer than a block, through a
// TextBlock with small blocks: what the stream gets, and what was meant.
std::pair<std::string, std::string> Listed(bool writer)
{
    std::ostringstream out;
    std::string meant;
    {
        TextBlock block(out, writer, 64);
        for (int i = 0; i < 5000; i++) {
            const std::string row = std::to_string(i) + std::string(i % 300, 'x') + "\n";
            meant += row;
            if (i % 2 == 0) {
                block.Append(row);
            } else {
                char* p = block.Room(row.size());
                block.Done(std::copy(row.begin(), row.end(), p));
            }
            if (i % 1000 == 0) block.Flush();
        }
    }
    return {out.str(), meant};
}

} // namespace

// The stream gets every row once, in order, with or without a writer thread, whatever the size
// of a row against that of a block; the last block is there when the TextBlock is gone.
TEST(TextBlock, EveryRowReachesTheStreamInOrderWithOrWithoutAWriter)
{
    for (bool writer : {false, true}) {
        const auto [written, meant] = Listed(writer);
        EXPECT_EQ(written.size(), meant.size()) << writer;
        EXPECT_TRUE(written == meant) << writer;
    }
}
