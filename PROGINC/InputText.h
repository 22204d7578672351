// SPDX-License-Identifier: BSD-2-Clause
// The whole text of one input file, read once, so that the counting and the reading pass of a
// reader walk the same bytes, and a pipe, a FIFO or a process substitution works like a file.
// A plain regular file is mapped into memory; anything else is read into memory. Compressed
// input (gzip, compress, bzip2, xz, a zip archive of one file) is recognised by its first bytes,
// not by its name, and decompressed into memory: a gzip stream of one member through libdeflate,
// the rest through libarchive.
#ifndef KESTROVA_PROGINC_INPUTTEXT_H
#define KESTROVA_PROGINC_INPUTTEXT_H

#include <istream>
#include <memory>
#include <streambuf>
#include <string>
#include <string_view>
#include <utility>

// The stream buffer of InputText::Stream(): the text itself, without a copy. ReadLine takes the
// lines of such a stream straight from the text. A mapped text is handed back to the system
// behind the reader as it goes (it is read again from the file should the reader come back), and
// so is a text in memory on its last pass (it is gone then), so that a large file does not stay
// in memory beside the records read from it.
class TextBuffer final : public std::streambuf {
  public:
    TextBuffer(std::string_view text, bool handBack);
    // The next line without its LF, as std::getline(in, line) gives it, with in's state set alike:
    // a view into the text itself, valid as long as the text.
    bool NextLine(std::istream& in, std::string_view& line);

  protected:
    int_type underflow() override;

  private:
    // Goes on at p: the get area is the window from p on. The text before inUse is no longer
    // read (but for a little way back), and may be handed back.
    void MoveTo(const char* p, const char* inUse);
    void MoveTo(const char* p) { MoveTo(p, p); }

    const char* first;
    const char* last;
    const char* released; // the text before this is handed back
    bool handBack;
};

class InputText {
  public:
    InputText() = default;
    InputText(const InputText&) = delete;
    InputText& operator=(const InputText&) = delete;
    InputText(InputText&& other) noexcept { *this = std::move(other); }
    InputText& operator=(InputText&& other) noexcept;
    ~InputText();

    // Reads the file name once; false when it cannot be opened (the caller's own message).
    // what names the input in the framed errors ("RINEX FILE", ...): a read error or a damaged
    // compressed stream stops the run. With keepCut, a compressed stream that simply stops early
    // (gzip, bzip2, xz) is kept up to its last complete line and CutShort() says so.
    bool Load(const char* name, const char* what, bool keepCut = false);
    bool IsLoaded() const { return loaded; }
    // Forgets the text (a new file is about to be set).
    void Clear();

    std::string_view Text() const { return text; }
    // A fresh stream over the text, from its first byte.
    std::unique_ptr<std::istream> Stream() const;
    // The same for the last pass over the text: a text decompressed into memory is handed back
    // behind the reader, and the text counts as no longer loaded (the next pass loads it anew).
    std::unique_ptr<std::istream> LastStream();
    // Replaces the text by one made from it (a decoded form), noting what was undone.
    void Replace(std::string decoded, const std::string& undoneStep);
    // What was undone to reach the text, for example "gzip"; empty for a plain file.
    const std::string& Undone() const { return undone; }
    // Why the compressed stream ended early, such as "gzip: truncated gzip input"; empty when it
    // is whole (or cannot tell).
    const std::string& CutShort() const { return cut; }

  private:
    void Unmap();
    void Decompress(const std::string& name, const char* what);

    bool loaded = false;
    std::string_view text;
    std::string owned; // the text when it is not a mapping
    void* map = nullptr;
    std::size_t mapSize = 0;
    std::string undone;
    std::string cut;
    bool keepCutStream = false;
};

// True when the two names lead to one and the same pipe, FIFO or terminal: such an input can be
// read only once, so it cannot serve as two inputs.
bool SameOnceOnlySource(const char* a, const char* b);

#endif
