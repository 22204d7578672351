// SPDX-License-Identifier: BSD-2-Clause
#include "PROGINC/InputText.h"

#include "PROGINC/Pages.h"
#include "PROGINC/ProgramError.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <libdeflate.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A stream over text held elsewhere, without a copy of it. Nothing is ever written through
// it, so a read-only mapping may stand behind it. A pass reads front to back: over a mapping,
// the text is handed out in windows and each window left behind goes back to the kernel, so
// that a mapped file is never resident as a whole beside the data read from it.
class ViewStream : public std::istream {
  public:
    ViewStream(std::string_view text, bool handBack) : std::istream(nullptr), buf(text, handBack)
    {
        rdbuf(&buf);
    }

  private:
    TextBuffer buf;
};

// The get area of a text buffer, and how far behind the reader its text is kept.
constexpr std::size_t Window = std::size_t{8} << 20;
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

} // namespace

InputText::~InputText() { Unmap(); }

InputText& InputText::operator=(InputText&& other) noexcept
{
    if (this == &other) return *this;
    Clear();
    loaded = other.loaded;
    keepCutStream = other.keepCutStream;
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
    Unmap();
    owned.clear();
    owned.shrink_to_fit();
    text = {};
    undone.clear();
    cut.clear();
    loaded = false;
}

bool InputText::Load(const char* name, const char* what, bool keepCut)
{
    Clear();
    keepCutStream = keepCut;
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
    Decompress(name, what);
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
    return std::make_unique<ViewStream>(text, map != nullptr);
}

std::unique_ptr<std::istream> InputText::LastStream()
{
    // the text stays held (the stream reads it) until the next Load or Clear
    loaded = false;
    return std::make_unique<ViewStream>(text, true);
}

TextBuffer::TextBuffer(std::string_view text, bool handBackBehind)
    : first(text.data()), last(text.data() + text.size()), released(text.data()),
      handBack(handBackBehind)
{
    MoveTo(first);
}

void TextBuffer::MoveTo(const char* p, const char* inUse)
{
    char* b = const_cast<char*>(first);
    char* at = const_cast<char*>(p);
    setg(b, at, at + std::min(Window, static_cast<std::size_t>(last - p)));
    if (!handBack || static_cast<std::size_t>(inUse - released) < Keep + Window) return;
    // whole pages only, of the text's own: a text in memory need not start on a page
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto from = (reinterpret_cast<std::uintptr_t>(released) + page - 1) / page * page;
    const auto to = (reinterpret_cast<std::uintptr_t>(inUse) - Keep) / page * page;
    if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
    released = inUse - Keep;
}

TextBuffer::int_type TextBuffer::underflow()
{
    if (gptr() == last) return traits_type::eof();
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
    if (p == last) {
        in.setstate(std::ios::eofbit | std::ios::failbit);
        return false;
    }
    const auto rest = static_cast<std::size_t>(last - p);
    const auto* lf = static_cast<const char*>(std::memchr(p, '\n', rest));
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
