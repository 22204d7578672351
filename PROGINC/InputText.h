// SPDX-License-Identifier: BSD-2-Clause
// The whole text of one input file, read once, so that every pass of a reader walks the same
// bytes, and a pipe, a FIFO or a process substitution works like a file. A plain regular file is
// mapped into memory; anything else is read into memory. Compressed input (gzip, compress,
// bzip2, xz, a zip archive of one file) is recognised by its first bytes, not by its name, and
// decompressed: a gzip stream of one member through libdeflate, the rest through libarchive. A
// form of text the caller names (Compact RINEX) is decoded after that. Where a second core is
// free, the decompressing and decoding run on a thread of their own, block by block, a few
// blocks ahead of the reader, into memory that is handed back behind it.
#ifndef KESTROVA_PROGINC_INPUTTEXT_H
#define KESTROVA_PROGINC_INPUTTEXT_H

#include <functional>
#include <istream>
#include <memory>
#include <streambuf>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

// The pieces of a text in order, as a decoding step takes them.
class TextSource {
  public:
    virtual ~TextSource() = default;
    // The next piece, valid until the next call; empty at the end.
    virtual std::string_view Next() = 0;
};

// A text held whole, as one piece.
class WholeText final : public TextSource {
  public:
    explicit WholeText(std::string_view t) : text(t) {}
    std::string_view Next() override { return std::exchange(text, std::string_view()); }

  private:
    std::string_view text;
};

// Where a decoding step writes its text, piece after piece.
class TextSink {
  public:
    virtual ~TextSink() = default;
    virtual void Put(std::string_view piece) = 0;
};

// A form of text undone after the decompression, recognised by its first line.
struct TextForm {
    // The name of the form ("Compact RINEX 1.0") of a text with this first line; empty for a
    // text of another form.
    std::string (*NameOf)(std::string_view firstLine);
    // The whole text decoded; sets *cut when the stream ended early.
    std::string (*DecodeWhole)(std::string_view text, bool* cut);
    // The same piece by piece; true when the stream ended early. A failure is thrown as a
    // DeferredFailure.
    bool (*Decode)(TextSource& text, TextSink& out);
};

// A failure met on the decoding thread: raised on the reader's thread where the reader reaches
// the text that could not be decoded.
struct DeferredFailure {
    std::function<void()> raise;
};

// The state a decoding thread shares with the readers of its text.
struct TextFeed;

// The stream buffer of InputText::Stream(): the text itself, without a copy. ReadLine takes the
// lines of such a stream straight from the text. A mapped text is handed back to the system
// behind the reader as it goes (it is read again from the file should the reader come back), and
// so is a text in memory on its last pass (it is gone then), so that a large file does not stay
// in memory beside the records read from it.
class TextBuffer final : public std::streambuf {
  public:
    // feed: the text is still being decoded into its memory; text is what is there of it.
    TextBuffer(std::string_view text, bool handBack, TextFeed* feed = nullptr);
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;
    ~TextBuffer() override;
    // The next line without its LF, as std::getline(in, line) gives it, with in's state set alike:
    // a view into the text itself, valid as long as the text.
    bool NextLine(std::istream& in, std::string_view& line);
    const char* Position() const { return gptr(); }
    // The text from p on stays held (not handed back) until Hold(nullptr): views into it may be
    // kept while more lines are read.
    void Hold(const char* p) { hold = p; }

  protected:
    int_type underflow() override;

  private:
    // Goes on at p: the get area is the window from p on. The text before inUse is no longer
    // read (but for a little way back), and may be handed back.
    void MoveTo(const char* p, const char* inUse);
    void MoveTo(const char* p) { MoveTo(p, p); }
    // The text from released up to `to` goes back to the system.
    void HandBack(const char* to);
    // More of a text still being decoded, waited for where the reader has caught up with it;
    // false when the whole text is there. A failure of the decoding is raised here.
    bool More();

    const char* first;
    const char* last;
    const char* released; // the text before this is handed back
    const char* hold = nullptr;
    bool handBack;
    TextFeed* feed;
};

class InputText {
  public:
    InputText();
    InputText(const InputText&) = delete;
    InputText& operator=(const InputText&) = delete;
    InputText(InputText&& other) noexcept;
    InputText& operator=(InputText&& other) noexcept;
    ~InputText();

    // Reads the file name once; false when it cannot be opened (the caller's own message).
    // what names the input in the framed errors ("RINEX FILE", ...): a read error or a damaged
    // compressed stream stops the run. With keepCut, a compressed stream that simply stops early
    // (gzip, bzip2, xz) is kept up to its last complete line and CutShort() says so.
    // A text of form (when given) is decoded. With beside, the decoding of a compressed or
    // encoded text runs on a thread of its own where a second core is free: Text() then holds
    // only what is decoded so far, and only the streams see the whole text.
    bool Load(const char* name, const char* what, bool keepCut = false,
              const TextForm* form = nullptr, bool beside = false);
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
    // Why the compressed or encoded stream ended early, such as "gzip: truncated gzip input";
    // empty when it is whole (or cannot tell). Known once a stream has read the text to its end.
    const std::string& CutShort() const;

  private:
    void Unmap();
    void Decompress(const std::string& name, const char* what);
    void DecodeForm();
    // Starts the decoding thread; false where it cannot be (the text is then decoded whole).
    bool DecodeBeside(const std::string& name, const char* what);
    void StopDecoding();

    bool loaded = false;
    std::string_view text;
    std::string owned; // the text when it is not a mapping
    void* map = nullptr;
    std::size_t mapSize = 0;
    std::string undone;
    std::string cut;
    bool keepCutStream = false;
    const TextForm* textForm = nullptr;
    std::unique_ptr<TextFeed> feed;
    std::thread decoder;
};

// True when the two names lead to one and the same pipe, FIFO or terminal: such an input can be
// read only once, so it cannot serve as two inputs.
bool SameOnceOnlySource(const char* a, const char* b);

#endif
