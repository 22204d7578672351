// SPDX-License-Identifier: BSD-2-Clause
#include "PROGINC/TextBlock.h"

#include <cstring>

TextBlock::TextBlock(std::ostream& o, bool withWriter, std::size_t size) : out(o), block(size)
{
    if (withWriter) writer = std::thread(&TextBlock::Write, this);
}

TextBlock::~TextBlock()
{
    Flush();
    if (!writer.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(m);
        finished = true;
    }
    changed.notify_all();
    writer.join();
}

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
    if (used == 0) return;
    if (!writer.joinable()) {
        out.write(block.data(), static_cast<std::streamsize>(used));
        used = 0;
        return;
    }
    const std::size_t size = block.size();
    {
        std::unique_lock<std::mutex> lock(m);
        changed.wait(lock, [&] { return waiting.size() < MaxWaiting; });
        waiting.emplace_back(std::move(block), used);
        if (!spare.empty()) {
            block = std::move(spare.back());
            spare.pop_back();
        }
    }
    changed.notify_all();
    if (block.size() < size) block.resize(size);
    used = 0;
}

// The writer thread: the blocks in the order they came, until the last one is written.
void TextBlock::Write()
{
    std::unique_lock<std::mutex> lock(m);
    for (;;) {
        changed.wait(lock, [&] { return !waiting.empty() || finished; });
        if (waiting.empty()) return;
        auto [text, length] = std::move(waiting.front());
        waiting.pop_front();
        lock.unlock();
        changed.notify_all();
        out.write(text.data(), static_cast<std::streamsize>(length));
        lock.lock();
        spare.push_back(std::move(text));
    }
}
