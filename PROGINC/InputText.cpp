// SPDX-License-Identifier: BSD-2-Clause
#include "PROGINC/InputText.h"

#include "PROGINC/Pages.h"
#include "PROGINC/ProgramError.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <libdeflate.h>
#include <sched.h>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

// The decoded text in memory reserved for it at once (only what is written of it is ever
// resident), and how far the decoding is: produced bytes are readable, up to a line end but at the
// very end. The decoding waits when it is Ahead of the farthest reader; the readers wait for it.
struct TextFeed {
    static constexpr std::uint64_t Ended = std::uint64_t{1} << 63;
    static constexpr std::size_t Ahead = std::size_t{16} << 20;
    char* base = nullptr;
    std::size_t capacity = 0;
    std::atomic<std::uint64_t> produced{0};
    std::atomic<std::uint64_t> consumed{0};
    std::atomic<bool> cancel{false};
    // written by the decoding thread before it sets Ended
    std::string cut;
    std::function<void()> failure;

    TextFeed(const TextFeed&) = delete;
    TextFeed& operator=(const TextFeed&) = delete;
    explicit TextFeed(std::size_t size) : capacity(size)
    {
        void* m = mmap(nullptr, size, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        base = m == MAP_FAILED ? nullptr : static_cast<char*>(m);
    }
    ~TextFeed()
    {
        if (base != nullptr) munmap(base, capacity);
    }
    // A reader has come to at.
    void Reached(std::size_t at)
    {
        std::uint64_t c = consumed.load(std::memory_order_relaxed);
        if (at <= c) return;
        consumed.store(at, std::memory_order_release);
        consumed.notify_one();
    }
    // The text there is beyond have, waiting for it; have at the end of the text (where a failure
    // of the decoding is raised).
    std::size_t After(std::size_t have)
    {
        Reached(have);
        for (;;) {
            const std::uint64_t p = produced.load(std::memory_order_acquire);
            if ((p & ~Ended) > have) return p & ~Ended;
            if ((p & Ended) != 0) {
                if (failure) failure();
                return have;
            }
            produced.wait(p, std::memory_order_acquire);
        }
    }
};

namespace {

// A stream over text held elsewhere, without a copy of it. Nothing is ever written through
// it, so a read-only mapping may stand behind it. A pass reads front to back: over a mapping,
// the text is handed out in windows and each window left behind goes back to the kernel, so
// that a mapped file is never resident as a whole beside the data read from it.
class ViewStream : public std::istream {
  public:
    ViewStream(std::string_view text, bool handBack, TextFeed* feed = nullptr)
        : std::istream(nullptr), buf(text, handBack, feed)
    {
        rdbuf(&buf);
    }

  private:
    TextBuffer buf;
};

// The get area of a text buffer, and how far behind the reader its text is kept. The text read
// since the last hand-back stays in memory beside the records read from it, up to Keep and two
// windows: a program that keeps every signal of a day holds little more than the text itself.
constexpr std::size_t Window = std::size_t{2} << 20;
constexpr std::size_t Keep = std::size_t{1} << 20;

// A compression by the magic bytes its streams start with, and what libarchive needs to read it:
// only that one filter, so that nothing else (least of all an external program) is tried.
// earlyEnd: libarchive's reason when the stream simply stops before its end (a cut download);
// nullptr where the format cannot tell an early end from other damage.
struct Compression {
    std::string_view magic;
    const char* name;
    int (*support)(archive*);
    const char* earlyEnd;
};

// clang-format off
const Compression Compressions[] = {
    {"\x1f\x8b",                           "gzip",     archive_read_support_filter_gzip,
     "truncated gzip input"},
    {"\x1f\x9d",                           "compress", archive_read_support_filter_compress,
     nullptr},
    {"BZh",                                "bzip2",    archive_read_support_filter_bzip2,
     "truncated bzip2 input"},
    {std::string_view("\xfd" "7zXZ\0", 6), "xz",       archive_read_support_filter_xz,
     "No progress is possible"},
    {"PK\x03\x04",                         "zip",      archive_read_support_format_zip,    nullptr},
    // an empty zip archive
    {"PK\x05\x06",                         "zip",      archive_read_support_format_zip,    nullptr},
};
// clang-format on

// The compression a text starts with; nullptr for none.
const Compression* CompressionOf(std::string_view t)
{
    for (const Compression& c : Compressions)
        if (t.substr(0, c.magic.size()) == c.magic) return &c;
    return nullptr;
}

// libarchive's reason for a failure; it may have none to give.
std::string Reason(archive* a)
{
    const char* e = archive_error_string(a);
    return e != nullptr ? e : "unreadable stream";
}

[[noreturn]] void Fail(const char* what, const std::string& name, const std::string& text)
{
    ProgramError(ProgName, (std::string(what) + " " + name + " " + text).c_str());
}

struct ArchiveFree {
    void operator()(archive* a) const { archive_read_free(a); }
};

// Appends every byte of the archive's current entry to out; on a failure, those read before it.
// A failing read gives nothing of what it asked for, so the reads are small: a stream that stops
// early loses little more than the block it stops in.
bool ReadEntry(archive* a, std::string& out)
{
    constexpr std::size_t Piece = std::size_t{1} << 16;
    std::size_t used = out.size();
    la_ssize_t n = 1;
    while (n > 0) {
        if (out.size() - used < Piece) out.resize(used + std::max<std::size_t>(used, 1u << 20));
        n = archive_read_data(a, out.data() + used, Piece);
        if (n > 0) used += static_cast<std::size_t>(n);
    }
    out.resize(used);
    return n == 0;
}

struct DecompressorFree {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

// Deflate packs at most 1032 bytes into one.
constexpr std::uint64_t MaxDeflateRatio = 1032;

// A gzip stream of one member, inflated in one call straight into a text of the size its trailer
// states (the size modulo 4 GiB). Anything else (several members, a text of 4 GiB or more, a
// damaged or cut stream) is left to libarchive, which reads streams and words what is wrong:
// false then, and out is empty.
bool InflateWhole(std::string_view gz, std::string& out)
{
    constexpr std::size_t Trailer = 4; // ISIZE, little-endian, at the very end
    if (gz.size() < 18) return false;
    std::uint64_t size = 0;
    for (std::size_t k = 0; k < Trailer; k++)
        size |= std::uint64_t{static_cast<unsigned char>(gz[gz.size() - Trailer + k])} << (8 * k);
    if (size > gz.size() * MaxDeflateRatio) return false;
    std::unique_ptr<libdeflate_decompressor, DecompressorFree> d(libdeflate_alloc_decompressor());
    if (d == nullptr) return false;
    out.reserve(size);
    MakePresent(out.data(), size);
    out.resize(size);
    std::size_t in = 0;
    std::size_t got = 0;
    const libdeflate_result r = libdeflate_gzip_decompress_ex(d.get(), gz.data(), gz.size(),
                                                              out.data(), out.size(), &in, &got);
    if (r == LIBDEFLATE_SUCCESS && in == gz.size() && got == size) return true;
    out.clear();
    return false;
}

// The text of a stream cut short up to its last line end: the line the cut runs through is
// incomplete, and a value cut in the middle would be read as another value.
void KeepCompleteLines(std::string& out)
{
    const std::size_t lf = out.rfind('\n');
    out.resize(lf == std::string::npos ? 0 : lf + 1);
}

// The decoding stops: the reader has gone.
struct Cancelled {};

// The decoding thread's end of a feed. Pieces are copied into the feed's memory, made present a
// block ahead; they are handed to the readers up to their last line end.
class FeedSink final : public TextSink {
  public:
    explicit FeedSink(TextFeed& f) : feed(f) {}
    void Put(std::string_view piece) override
    {
        if (piece.size() > feed.capacity - written) throw std::length_error("text too long");
        Room(piece.size());
        std::memcpy(feed.base + written, piece.data(), piece.size());
        written += piece.size();
        const void* lf = memrchr(piece.data(), '\n', piece.size());
        if (lf == nullptr) return;
        const auto tail = static_cast<std::size_t>(piece.data() + piece.size() -
                                                   static_cast<const char*>(lf) - 1);
        published = written - tail;
        feed.produced.store(published, std::memory_order_release);
        feed.produced.notify_all();
    }
    // The whole text is there; a line without its end is kept unless the stream was cut.
    void End(bool keepLastLine, bool readable)
    {
        std::uint64_t p = feed.produced.load(std::memory_order_relaxed);
        if (keepLastLine && readable) p = written;
        feed.produced.store(p | TextFeed::Ended, std::memory_order_release);
        feed.produced.notify_all();
    }

  private:
    // Waits while the text is too far ahead of the readers; a reader who waits for the end of a
    // line longer than that is not kept waiting.
    void Room(std::size_t n)
    {
        constexpr std::size_t Block = std::size_t{1} << 20;
        for (;;) {
            if (feed.cancel.load(std::memory_order_acquire)) throw Cancelled();
            const std::uint64_t c = feed.consumed.load(std::memory_order_acquire);
            if (written + n <= c + TextFeed::Ahead || c >= published) break;
            feed.consumed.wait(c, std::memory_order_acquire);
        }
        if (written + n <= present) return;
        const std::size_t upTo = std::min(feed.capacity, std::max(written + n, present) + Block);
        MakePresent(feed.base + present, upTo - present);
        present = upTo;
    }

    TextFeed& feed;
    std::size_t written = 0;
    std::size_t published = 0; // up to the last line end written
    std::size_t present = 0;
};

// The pieces of a text in memory, front to back; a mapped text is handed back behind them.
class MemoryPieces final : public TextSource {
  public:
    MemoryPieces(std::string_view t, bool handBackBehind) : text(t), handBack(handBackBehind) {}
    std::string_view Next() override
    {
        constexpr std::size_t Piece = std::size_t{1} << 20;
        // the piece before the last one handed out is no longer read
        if (handBack && at >= 2 * Piece) {
            const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
            const auto from =
                (reinterpret_cast<std::uintptr_t>(text.data()) + page - 1) / page * page;
            const auto to =
                reinterpret_cast<std::uintptr_t>(text.data() + at - Piece) / page * page;
            if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
        }
        const std::string_view piece = text.substr(std::min(at, text.size()), Piece);
        at += piece.size();
        return piece;
    }

  private:
    std::string_view text;
    bool handBack;
    std::size_t at = 0;
};

// libarchive's read callback over memory pieces.
la_ssize_t ReadPiece(archive*, void* pieces, const void** block)
{
    const std::string_view piece = static_cast<MemoryPieces*>(pieces)->Next();
    *block = piece.data();
    return static_cast<la_ssize_t>(piece.size());
}

// The decompressed text of an archive's entry in pieces. What the caller gives up to on a damaged
// stream (or, unless kept, on one cut short) is thrown as a DeferredFailure.
class ArchivePieces final : public TextSource {
  public:
    using Refuse = std::function<void(const std::string& text)>;
    ArchivePieces(std::unique_ptr<archive, ArchiveFree> opened,
                  std::unique_ptr<MemoryPieces> compressed, const Compression& compression,
                  bool keepCutStream, Refuse refuseWith)
        : a(std::move(opened)), in(std::move(compressed)), c(compression), keepCut(keepCutStream),
          refuse(std::move(refuseWith))
    {
        buf.resize(Piece);
    }
    std::string_view Next() override
    {
        if (ended) return {};
        const la_ssize_t n = archive_read_data(a.get(), buf.data(), Piece);
        if (n > 0) return {buf.data(), static_cast<std::size_t>(n)};
        ended = true;
        if (n < 0) {
            const std::string reason = Reason(a.get());
            const bool early =
                c.earlyEnd != nullptr && reason.find(c.earlyEnd) != std::string::npos;
            if (!early || !keepCut)
                refuse(std::string("IS DAMAGED (") + c.name + "): " + reason + "!");
            cut = std::string(c.name) + ": " + reason;
        }
        return {};
    }
    // Why the stream ended early; empty when it is whole.
    std::string cut;

  private:
    // as small as the whole reading makes them: a failing read gives nothing of its piece
    static constexpr std::size_t Piece = std::size_t{1} << 16;
    std::unique_ptr<archive, ArchiveFree> a;
    std::unique_ptr<MemoryPieces> in;
    const Compression& c;
    bool keepCut;
    Refuse refuse;
    std::string buf;
    bool ended = false;
};

// The decompressed pieces of a stream of compression c; nullptr where it cannot be opened or holds
// nothing, and for a zip archive, whose directory is read from its end: the whole decompression
// takes those and words what is wrong.
std::unique_ptr<ArchivePieces> OpenPieces(const Compression& c, std::unique_ptr<MemoryPieces> in,
                                          bool keepCut, ArchivePieces::Refuse refuse)
{
    if (c.support == archive_read_support_format_zip) return nullptr;
    std::unique_ptr<archive, ArchiveFree> a(archive_read_new());
    c.support(a.get());
    archive_read_support_format_raw(a.get());
    archive_entry* entry = nullptr;
    if (archive_read_open(a.get(), in.get(), nullptr, ReadPiece, nullptr) != ARCHIVE_OK)
        return nullptr;
    const int r = archive_read_next_header(a.get(), &entry);
    if ((r != ARCHIVE_OK && r != ARCHIVE_WARN) ||
        archive_filter_code(a.get(), 0) == ARCHIVE_FILTER_NONE)
        return nullptr;
    return std::make_unique<ArchivePieces>(std::move(a), std::move(in), c, keepCut,
                                           std::move(refuse));
}

// A source whose first piece has been looked at: it is given again first.
class Peeked final : public TextSource {
  public:
    explicit Peeked(std::unique_ptr<TextSource> s) : source(std::move(s)), first(source->Next()) {}
    std::string_view First() const { return first; }
    std::string_view Next() override
    {
        if (!given) {
            given = true;
            return first;
        }
        return source->Next();
    }

  private:
    std::unique_ptr<TextSource> source;
    std::string_view first;
    bool given = false;
};

// True when this process may run on more than one core.
bool SecondCoreFree()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    return sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 1;
}

// Room for the decoded text: far more than any file, and nothing of it resident but what is
// written.
constexpr std::size_t FeedCapacity = std::size_t{1} << 40;

std::string_view FirstLine(std::string_view t) { return t.substr(0, t.find('\n')); }

// The decoding thread: the pieces of source (decoded as form, when given) into the feed. A
// failure is kept for the reader, who meets it where the text ends.
void Decode(TextFeed* feed, std::unique_ptr<TextSource> source, ArchivePieces* archive,
            const TextForm* form, std::string formName, std::function<void(std::string)> fail)
{
    FeedSink sink(*feed);
    try {
        bool formCut = false;
        if (form != nullptr) {
            formCut = form->Decode(*source, sink);
        } else {
            for (std::string_view piece = source->Next(); !piece.empty(); piece = source->Next())
                sink.Put(piece);
        }
        feed->cut = archive != nullptr ? archive->cut : "";
        if (feed->cut.empty() && formCut) feed->cut = formName + " stream cut short";
        sink.End(feed->cut.empty(), true);
    } catch (const Cancelled&) {
        sink.End(false, false);
    } catch (const DeferredFailure& f) {
        feed->failure = f.raise;
        sink.End(false, false);
    } catch (const std::exception& e) {
        feed->failure = [fail, what = std::string(e.what())] { fail(what); };
        sink.End(false, false);
    }
}

} // namespace

InputText::InputText() = default;

InputText::InputText(InputText&& other) noexcept { *this = std::move(other); }

InputText::~InputText()
{
    StopDecoding();
    Unmap();
}

void InputText::StopDecoding()
{
    if (feed == nullptr) return;
    feed->cancel.store(true, std::memory_order_release);
    feed->consumed.store(~std::uint64_t{0}, std::memory_order_release);
    feed->consumed.notify_all();
    if (decoder.joinable()) decoder.join();
    feed.reset();
}

InputText& InputText::operator=(InputText&& other) noexcept
{
    if (this == &other) return *this;
    Clear();
    loaded = other.loaded;
    keepCutStream = other.keepCutStream;
    textForm = other.textForm;
    feed = std::move(other.feed);
    decoder = std::move(other.decoder);
    undone = std::move(other.undone);
    cut = std::move(other.cut);
    owned = std::move(other.owned);
    std::swap(map, other.map);
    std::swap(mapSize, other.mapSize);
    // a view into the moved string would dangle: it is made anew
    text = map != nullptr ? other.text : std::string_view(owned);
    other.Clear();
    return *this;
}

void InputText::Unmap()
{
    if (map != nullptr) munmap(map, mapSize);
    map = nullptr;
    mapSize = 0;
}

void InputText::Clear()
{
    StopDecoding();
    Unmap();
    owned.clear();
    owned.shrink_to_fit();
    text = {};
    undone.clear();
    cut.clear();
    loaded = false;
}

bool InputText::Load(const char* name, const char* what, bool keepCut, const TextForm* form,
                     bool beside)
{
    Clear();
    keepCutStream = keepCut;
    textForm = form;
    int fd = open(name, O_RDONLY);
    if (fd < 0) return false;
    struct stat st;
    const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (regular && st.st_size > 0) {
        mapSize = static_cast<std::size_t>(st.st_size);
        map = mmap(nullptr, mapSize, PROT_READ, MAP_PRIVATE, fd, 0);
        if (map == MAP_FAILED) map = nullptr;
    }
    if (map != nullptr) {
        madvise(map, mapSize, MADV_SEQUENTIAL);
        text = std::string_view(static_cast<const char*>(map), mapSize);
    } else {
        // a pipe gives its bytes once: all of them are kept for both passes
        char buf[1 << 16];
        ssize_t n;
        while ((n = read(fd, buf, sizeof buf)) > 0) owned.append(buf, static_cast<std::size_t>(n));
        if (n < 0) {
            close(fd);
            Fail(what, name, "CAN NOT BE READ!");
        }
        text = owned;
    }
    close(fd);
    loaded = true;
    if (beside && DecodeBeside(name, what)) return true;
    Decompress(name, what);
    DecodeForm();
    return true;
}

void InputText::DecodeForm()
{
    if (textForm == nullptr) return;
    const std::string form = textForm->NameOf(FirstLine(text));
    if (form.empty()) return;
    bool formCut = false;
    Replace(textForm->DecodeWhole(text, &formCut), form);
    if (formCut && cut.empty()) cut = form + " stream cut short";
}

bool InputText::DecodeBeside(const std::string& name, const char* what)
{
    if (!SecondCoreFree()) return false;
    const Compression* c = CompressionOf(text);
    auto pieces = std::make_unique<MemoryPieces>(text, map != nullptr);
    std::function<void(std::string)> fail = [what, name](const std::string& t) {
        Fail(what, name, t);
    };
    std::unique_ptr<TextSource> source;
    ArchivePieces* archivePieces = nullptr;
    if (c == nullptr) {
        source = std::move(pieces);
    } else {
        auto opened =
            OpenPieces(*c, std::move(pieces), keepCutStream, [fail](const std::string& t) {
                throw DeferredFailure{[fail, t] { fail(t); }};
            });
        if (opened == nullptr) return false;
        archivePieces = opened.get();
        source = std::move(opened);
    }
    // the first piece tells the form: it is read here, so that the name of the form is known
    std::unique_ptr<Peeked> peeked;
    try {
        peeked = std::make_unique<Peeked>(std::move(source));
    } catch (const DeferredFailure&) {
        return false; // the whole decompression refuses it in its own words
    }
    const std::string form =
        textForm != nullptr ? textForm->NameOf(FirstLine(peeked->First())) : "";
    if (c == nullptr && form.empty()) return false;
    auto f = std::make_unique<TextFeed>(FeedCapacity);
    if (f->base == nullptr) return false;
    feed = std::move(f);
    undone = c != nullptr ? c->name : "";
    if (!form.empty()) undone += (undone.empty() ? "" : ", ") + form;
    text = std::string_view(feed->base, 0);
    decoder = std::thread(
        Decode, feed.get(), std::move(peeked), archivePieces, form.empty() ? nullptr : textForm,
        form, [fail](const std::string& why) { fail("CAN NOT BE DECODED (" + why + ")!"); });
    return true;
}

void InputText::Decompress(const std::string& name, const char* what)
{
    const Compression* c = CompressionOf(text);
    if (c == nullptr) return;
    std::string out;
    if (c->support == archive_read_support_filter_gzip && InflateWhole(text, out))
        return Replace(std::move(out), c->name);
    const bool zip = c->support == archive_read_support_format_zip;
    std::unique_ptr<archive, ArchiveFree> a(archive_read_new());
    c->support(a.get());
    if (!zip) {
        archive_read_support_format_raw(a.get());
        archive_read_support_format_empty(a.get()); // a compressed empty file
    }
    archive_entry* entry = nullptr;
    const std::string damaged = std::string("IS DAMAGED (") + c->name + "): ";
    int r = archive_read_open_memory(a.get(), text.data(), text.size());
    if (r == ARCHIVE_OK) r = archive_read_next_header(a.get(), &entry);
    if (r == ARCHIVE_EOF && zip) Fail(what, name, "IS A ZIP ARCHIVE WITHOUT A FILE!");
    if (r == ARCHIVE_EOF) return Replace("", c->name);
    // a stream that simply stops early is kept up to its last complete line when asked to
    auto refuseUnlessCut = [&] {
        const std::string reason = Reason(a.get());
        const bool early = c->earlyEnd != nullptr && reason.find(c->earlyEnd) != std::string::npos;
        if (!early || !keepCutStream) Fail(what, name, damaged + reason + "!");
        KeepCompleteLines(out);
        cut = std::string(c->name) + ": " + reason;
        Replace(std::move(out), c->name);
    };
    if (r < ARCHIVE_WARN) return refuseUnlessCut();
    // the magic bytes alone, without a stream libarchive can take, would pass through as they are
    if (!zip && archive_filter_code(a.get(), 0) == ARCHIVE_FILTER_NONE)
        Fail(what, name, damaged + "no " + c->name + " stream!");
    if (!ReadEntry(a.get(), out)) return refuseUnlessCut();
    if (zip && archive_read_next_header(a.get(), &entry) != ARCHIVE_EOF)
        Fail(what, name,
             "IS A ZIP ARCHIVE OF MORE THAN ONE FILE - ONLY A ZIP OF ONE FILE IS READ!");
    Replace(std::move(out), c->name);
}

void InputText::Replace(std::string decoded, const std::string& undoneStep)
{
    Unmap();
    owned = std::move(decoded);
    text = owned;
    undone += (undone.empty() ? "" : ", ") + undoneStep;
}

std::unique_ptr<std::istream> InputText::Stream() const
{
    if (feed != nullptr) return std::make_unique<ViewStream>(text, false, feed.get());
    return std::make_unique<ViewStream>(text, map != nullptr);
}

std::unique_ptr<std::istream> InputText::LastStream()
{
    // the text stays held (the stream reads it) until the next Load or Clear
    loaded = false;
    return std::make_unique<ViewStream>(text, true, feed.get());
}

const std::string& InputText::CutShort() const { return feed != nullptr ? feed->cut : cut; }

TextBuffer::TextBuffer(std::string_view text, bool handBackBehind, TextFeed* textFeed)
    : first(text.data()), last(text.data() + text.size()), released(text.data()),
      handBack(handBackBehind), feed(textFeed)
{
    if (feed != nullptr)
        last = first + (feed->produced.load(std::memory_order_acquire) & ~TextFeed::Ended);
    MoveTo(first);
}

bool TextBuffer::More()
{
    if (feed == nullptr) return false;
    const char* before = last;
    last = first + feed->After(static_cast<std::size_t>(last - first));
    return last != before;
}

void TextBuffer::MoveTo(const char* p, const char* inUse)
{
    if (feed != nullptr) {
        last = first + (feed->produced.load(std::memory_order_acquire) & ~TextFeed::Ended);
        feed->Reached(static_cast<std::size_t>(p - first));
    }
    if (hold != nullptr && hold < inUse) inUse = hold;
    char* b = const_cast<char*>(first);
    char* at = const_cast<char*>(p);
    setg(b, at, at + std::min(Window, static_cast<std::size_t>(last - p)));
    if (!handBack || static_cast<std::size_t>(inUse - released) < Keep + Window) return;
    HandBack(inUse - Keep);
}

void TextBuffer::HandBack(const char* to)
{
    // whole pages only, of the text's own: a text in memory need not start on a page
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto from = (reinterpret_cast<std::uintptr_t>(released) + page - 1) / page * page;
    const auto end = reinterpret_cast<std::uintptr_t>(to) / page * page;
    if (end > from) madvise(reinterpret_cast<void*>(from), end - from, MADV_DONTNEED);
    released = to;
}

TextBuffer::~TextBuffer()
{
    // the last pass is over: what it read goes back too, before the run goes on with the records
    if (handBack && hold == nullptr) HandBack(gptr());
}

TextBuffer::int_type TextBuffer::underflow()
{
    if (gptr() == last && !More()) return traits_type::eof();
    MoveTo(gptr());
    return traits_type::to_int_type(*gptr());
}

bool TextBuffer::NextLine(std::istream& in, std::string_view& line)
{
    const char* p = gptr();
    if (!in.good()) {
        in.setstate(std::ios::failbit);
        return false;
    }
    // a text still being decoded is there up to a line end: more of it is waited for only at its
    // end (and at the end of a last line without its end)
    const char* lf = nullptr;
    for (const char* from = p;;) {
        lf = static_cast<const char*>(
            std::memchr(from, '\n', static_cast<std::size_t>(last - from)));
        from = last;
        if (lf != nullptr || !More()) break;
    }
    if (p == last) {
        in.setstate(std::ios::eofbit | std::ios::failbit);
        return false;
    }
    const auto rest = static_cast<std::size_t>(last - p);
    const std::size_t n = lf != nullptr ? static_cast<std::size_t>(lf - p) : rest;
    // a text handed back behind the reader is read again from its file when a view goes back
    line = std::string_view(p, n);
    if (lf == nullptr) in.setstate(std::ios::eofbit);
    const char* next = lf != nullptr ? lf + 1 : last;
    // the line handed out stays: it may be longer than a window
    if (next > egptr())
        MoveTo(next, p);
    else
        setg(eback(), const_cast<char*>(next), egptr());
    return true;
}

bool SameOnceOnlySource(const char* a, const char* b)
{
    struct stat sa, sb;
    if (stat(a, &sa) != 0 || stat(b, &sb) != 0) return false;
    const bool onceOnly = S_ISFIFO(sa.st_mode) || S_ISSOCK(sa.st_mode);
    return onceOnly && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}
