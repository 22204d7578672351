// SPDX-License-Identifier: BSD-2-Clause
// Text for a stream gathered in one block and handed to the stream when the block is full, so
// that a listing of millions of short rows costs a few thousand large writes and no stream call
// per row. The block is small enough to stay in the second-level cache between its formatting and
// the kernel's copy of it into the file: a 4 MB block had left the cache by then, and writing a
// result of 1 GB took 2 s of system time instead of 0.5 s.
//
// With a writer, a second thread hands the full blocks to the stream, in their order, while the
// next ones are formatted: the kernel's copy of the text into the file then runs beside the
// formatting instead of after it. A few blocks wait at the most; the text is the same either way.
#ifndef KESTROVA_PROGINC_TEXTBLOCK_H
#define KESTROVA_PROGINC_TEXTBLOCK_H

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <ostream>
#include <string_view>
#include <thread>
#include <vector>

class TextBlock {
  public:
    explicit TextBlock(std::ostream& out, bool writer = false,
                       std::size_t size = std::size_t{128} << 10);
    TextBlock(const TextBlock&) = delete;
    TextBlock& operator=(const TextBlock&) = delete;
    // Hands over what is left; with a writer, returns once the stream has every block.
    ~TextBlock();

    // Room for at least n characters, at the place returned; the text before it goes to the
    // stream first when the block has less room.
    char* Room(std::size_t n);
    // The characters from the place Room returned up to end are text now.
    void Done(const char* end) { used = static_cast<std::size_t>(end - block.data()); }
    void Append(std::string_view text);
    // Hands the text of the block to the stream (with a writer: to the writer's queue).
    void Flush();

  private:
    using Block = std::vector<char>;
    void Write();

    std::ostream& out;
    Block block;
    std::size_t used = 0;

    // Between the formatting thread and the writer: blocks to write, in order, each with its
    // length, and blocks written, to be filled again.
    static constexpr std::size_t MaxWaiting = 4;
    std::mutex m;
    std::condition_variable changed;
    std::deque<std::pair<Block, std::size_t>> waiting;
    std::vector<Block> spare;
    bool finished = false;
    std::thread writer;
};

#endif
