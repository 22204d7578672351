// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/CompactRINEX.h"

#include "GNSS/RINEXf.h"
#include "PROGINC/Pages.h"
#include "PROGINC/ProgramError.h"
#include "PROGINC/cstringf.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

using Int = std::int64_t;

constexpr std::string_view VersionLabel = "CRINEX VERS   / TYPE";
constexpr std::string_view ProgramLabel = "CRINEX PROG / DATE";
constexpr std::string_view EndLabel = "END OF HEADER";
constexpr std::string_view Types2Label = "# / TYPES OF OBSERV";
constexpr std::string_view Types3Label = "SYS / # / OBS TYPES";

// The errors that name their epoch: the text, then " IN EPOCH " and the epoch.
// clang-format off
constexpr const char* EpochLineDamaged     = "COMPACT RINEX EPOCH LINE DAMAGED";
constexpr const char* SatelliteLineMissing = "COMPACT RINEX SATELLITE LINE MISSING";
constexpr const char* NotInitialised       = "COMPACT RINEX VALUE USED BEFORE ITS INITIALISATION";
constexpr const char* NoNumber             = "COMPACT RINEX FIELD IS NO NUMBER";
constexpr const char* Overflows            = "COMPACT RINEX VALUE OVERFLOWS";
constexpr const char* OrderOutOfRange      = "COMPACT RINEX DIFFERENCE ORDER OUT OF RANGE";
constexpr const char* FlagsTooLong         = "COMPACT RINEX FLAGS LONGER THAN THE OBSERVATION TYPES";
constexpr const char* NoTypes              = "COMPACT RINEX SATELLITE SYSTEM WITHOUT OBSERVATION TYPES";
// clang-format on

// No receiver records anywhere near this many types of one system; the bound keeps the text that
// a one-character satellite line stands for within reason.
constexpr long MaxTypes = 999;
// The order of an arc is one digit before its '&'.
constexpr int MaxOrder = 9;
// An observation is F14.3 followed by the loss-of-lock and signal-strength characters.
constexpr std::size_t FieldWidth = 16;
constexpr int ValueWidth = 14;
constexpr int ValueDecimals = 3;
// RINEX 2 writes 5 observations a line and 12 satellites on each epoch line.
constexpr int FieldsPerLine = 5;
constexpr std::size_t SatsPerLine = 12;
constexpr std::size_t SatWidth = 3;

// Where the epoch lines of the two RINEX generations keep their fields, columns counted from 1.
// The compact epoch line holds the whole satellite list from satCol on; the clock offset, taken
// out onto a line of its own, goes back at clockCol.
struct Layout {
    bool rinex2;
    char fullMark; // first character of an epoch line given whole instead of as differences
    std::size_t yearCol, yearWidth;
    std::size_t flagCol, countCol, satCol;
    std::size_t epochWidth; // the epoch line before satellites and clock
    std::size_t clockCol;
    int clockWidth, clockDecimals;
};

// clang-format off
constexpr Layout Compact1{true,  '&', 2, 2, 29, 30, 33, 32, 69, 12, 9};
constexpr Layout Compact3{false, '>', 3, 4, 32, 33, 42, 35, 42, 15, 12};
// clang-format on

// Character differencing: a blank keeps the character of the line before, '&' makes it a blank,
// any other character replaces it.
void ApplyTextDifferences(std::string& line, std::string_view diff)
{
    if (diff.size() > line.size()) line.resize(diff.size(), ' ');
    for (std::size_t k = 0; k < diff.size(); k++)
        if (diff[k] != ' ') line[k] = diff[k] == '&' ? ' ' : diff[k];
}

// Writes v / 10^decimals right-aligned into width characters at w; false when it does not fit.
bool WriteFixed(char* w, int width, int decimals, Int v)
{
    std::uint64_t u = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    char* p = w + width;
    for (int k = 0; k < decimals; k++, u /= 10) *--p = static_cast<char>('0' + u % 10);
    *--p = '.';
    do {
        if (p == w) return false;
        *--p = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u != 0);
    if (v < 0) {
        if (p == w) return false;
        *--p = '-';
    }
    std::fill(w, p, ' ');
    return true;
}

// One arc of differences: d[0] is the value, d[k] its k-th difference; the order used grows by
// one each epoch after the initialisation until it reaches the order of the arc.
struct Arc {
    Int d[MaxOrder + 1];
    int order = 0; // 0: no arc (never initialised, or its value went missing)
    int level = 0;

    void Start(int n, Int value)
    {
        order = n;
        level = 0;
        d[0] = value;
    }
    // false when a sum leaves the 64-bit range
    bool Add(Int diff)
    {
        if (level < order) level++;
        d[level] = diff;
        for (int k = level; k > 0; k--)
            if (__builtin_add_overflow(d[k - 1], d[k], &d[k - 1])) return false;
        return true;
    }
};

struct Satellite {
    std::uint64_t seen = 0; // the serial of the last observation epoch that listed it
    std::vector<Arc> arcs;  // one an observation type, as far as its lines have reached
    std::string flags;      // loss-of-lock and signal-strength characters, two a type
};

// A failure of the decoding, raised by whoever takes the decoded text.
[[noreturn]] void Fail(const std::string& text)
{
    throw DeferredFailure{[text] { CompactRINEXError(text.c_str()); }};
}

class Decoder {
  public:
    // The decoded text is handed to sink in pieces of whole epochs, or kept whole without one.
    Decoder(TextSource& compact, TextSink* decoded, std::size_t compactSize = 0)
        : source(compact), sink(decoded), sizeHint(compactSize)
    {
    }
    std::string Run();
    // The stream ended early: inside a record, or in a line without its end.
    bool cut = false;

  private:
    TextSource& source;
    TextSink* sink;
    std::size_t sizeHint;  // the size of the compact text, where known
    std::string_view text; // the compact text at hand, from its piece or from carried
    std::string carried;   // a line begun in one piece and ended in the next
    bool sourceEnded = false;
    std::size_t pos = 0;
    const Layout* lay = &Compact1;
    std::string out;
    std::size_t madePresent = 0; // the text made present ahead of the writing

    std::string epochLine;
    bool haveEpochLine = false;
    // Observation epochs are numbered; a satellite continues its arcs only when it was listed in
    // the epoch just before. A complete epoch line skips a number, so that none continues.
    std::uint64_t serial = 2;
    std::unordered_map<std::uint32_t, std::size_t> satIndex;
    std::vector<Satellite> sats;
    Arc clock;
    std::vector<char> present;

    // Observation types: the RINEX 2 list, or one list per system letter; a count stated in the
    // header counts only as far as types are listed, so that a count of a damaged header can
    // never make room for fields the file cannot hold.
    struct TypeList {
        long count = 0;
        long listed = 0;
        long Types() const { return std::min({count, listed, MaxTypes}); }
    };
    TypeList types2;
    std::array<TypeList, 256> types3{};
    unsigned char system3 = 0;

    bool NextLine(std::string_view& line);
    bool More();
    void Hand();
    void Header();
    void Header(std::string_view line);
    bool TypesLine(std::string_view line);
    void Epoch(std::string_view line);
    void EventRecords(unsigned long nrec);
    void ObservationEpoch(unsigned long nsat);
    void SatelliteRecord(std::string_view sat, std::string_view line);
    bool TakeField(Arc& arc, std::string_view field);
    Int ReadInt(std::string_view field, std::size_t& k);
    Satellite& Find(std::string_view sat);
    void WriteEpochLine(std::string_view satList, bool hasClock);
    void WriteRecord(std::string_view sat, Satellite& s, long ntypes);
    void WriteFieldAt(char* w, Satellite& s, long k);
    void EndLine(std::size_t start);
    void Restart();
    void KeepPresentAhead();
    std::string EpochName() const;
    [[noreturn]] void EpochError(const char* what) const;
};

// A Compact RINEX writer ends every line: a last line without its end was cut, and a difference
// cut short would decode as another value, so it is not read.
bool Decoder::NextLine(std::string_view& line)
{
    std::size_t end = pos < text.size() ? text.find('\n', pos) : std::string_view::npos;
    while (end == std::string_view::npos && More()) end = text.find('\n', pos);
    if (end == std::string_view::npos) {
        cut = cut || pos < text.size();
        pos = text.size();
        return false;
    }
    line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = end + 1;
    return true;
}

// The next piece of the compact text after what is left of this one; false at its end. Only the
// line being read is carried over: the lines handed out before are used up.
bool Decoder::More()
{
    if (sourceEnded) return false;
    // the piece at hand is gone once the next is taken
    std::string rest(text.substr(std::min(pos, text.size())));
    const std::string_view piece = source.Next();
    if (piece.empty()) {
        sourceEnded = true;
        carried.swap(rest);
        text = carried;
        pos = 0;
        return false;
    }
    if (rest.empty()) {
        text = piece;
    } else {
        carried.swap(rest);
        carried.append(piece);
        text = carried;
    }
    pos = 0;
    return true;
}

// The text decoded so far goes to the sink once it fills a block.
void Decoder::Hand()
{
    constexpr std::size_t Block = std::size_t{1} << 20;
    if (sink == nullptr || out.size() < Block) return;
    sink->Put(out);
    out.clear();
}

// The label line, the program line, then the RINEX header as it stands.
void Decoder::Header()
{
    std::string_view line;
    std::string_view version;
    if (NextLine(line) && line.find(VersionLabel) != std::string_view::npos)
        version = Trimmed(Columns(line, 1, 20));
    if (version != "1.0" && version != "3.0")
        Fail("FIRST LINE IS NO COMPACT RINEX 1.0 OR 3.0 VERSION LINE!");
    if (version == "3.0") lay = &Compact3;
    if (NextLine(line) && line.find(ProgramLabel) == std::string_view::npos) Header(line);
    while (line.find(EndLabel) == std::string_view::npos) {
        if (!NextLine(line)) Fail("COMPACT RINEX FILE ENDS INSIDE THE HEADER!");
        Header(line);
    }
}

// A line of the RINEX header.
void Decoder::Header(std::string_view line)
{
    out.append(line).push_back('\n');
    TypesLine(line);
}

// Takes the observation types of a header line (of the header or of an event's records); true
// when the line is one of them.
bool Decoder::TypesLine(std::string_view line)
{
    if (lay->rinex2) {
        if (line.find(Types2Label) == std::string_view::npos) return false;
        // a count starts a new list, blank counts continue it
        if (!IsBlank(Columns(line, 1, 6))) types2 = {std::max(0L, ColumnsInt(line, 1, 6)), 0};
        for (std::size_t col = 7; col < 61; col += 6)
            if (!IsBlank(Columns(line, col, 6))) types2.listed++;
        return true;
    }
    if (line.find(Types3Label) == std::string_view::npos) return false;
    char sys = Column(line, 1);
    if (sys != ' ') {
        system3 = static_cast<unsigned char>(sys);
        types3[system3] = {std::max(0L, ColumnsInt(line, 4, 3)), 0};
    }
    for (std::size_t col = 8; col < 60; col += 4)
        if (!IsBlank(Columns(line, col, 3))) types3[system3].listed++;
    return true;
}

void Decoder::Restart()
{
    serial++;
    clock.order = 0;
}

// The text is written into memory made present a block ahead of it, and grows by doubling into
// memory made present likewise: a fault for each fresh page costs more than decoding the page.
void Decoder::KeepPresentAhead()
{
    constexpr std::size_t Ahead = std::size_t{1} << 20;
    if (out.size() + Ahead <= madePresent) return;
    if (out.size() + Ahead > out.capacity()) {
        std::string bigger;
        bigger.reserve(std::max(2 * out.capacity(), out.size() + 2 * Ahead));
        MakePresent(bigger.data(), out.size() + Ahead);
        bigger.append(out);
        out.swap(bigger);
    } else {
        MakePresent(out.data() + madePresent, out.size() + Ahead - madePresent);
    }
    madePresent = out.size() + Ahead;
}

void Decoder::Epoch(std::string_view line)
{
    KeepPresentAhead();
    if (!line.empty() && line[0] == lay->fullMark) {
        epochLine.assign(line);
        // RINEX 2 epoch lines begin with a blank, which the mark stands in for
        if (lay->rinex2) epochLine[0] = ' ';
        haveEpochLine = true;
        Restart();
    } else {
        if (!haveEpochLine) Fail("COMPACT RINEX DATA DO NOT BEGIN WITH A COMPLETE EPOCH LINE!");
        ApplyTextDifferences(epochLine, line);
    }
    char flag = Column(epochLine, lay->flagCol);
    std::string_view count = Trimmed(Columns(epochLine, lay->countCol, 3));
    if (!(flag == ' ' || (flag >= '0' && flag <= '6')) ||
        !std::all_of(count.begin(), count.end(), IsDigit))
        EpochError(EpochLineDamaged);
    unsigned long n = 0;
    for (char c : count) n = n * 10 + static_cast<unsigned long>(c - '0');
    if (flag >= '2' && flag <= '5')
        EventRecords(n);
    else
        ObservationEpoch(n);
}

// An event: its epoch line and its special records (header or comment lines) as they stand.
void Decoder::EventRecords(unsigned long nrec)
{
    std::size_t start = out.size();
    out.append(epochLine);
    EndLine(start);
    bool newTypes = false;
    std::string_view line;
    // a file that ends early leaves the records as far as they go
    for (unsigned long k = 0; k < nrec; k++) {
        if (!NextLine(line)) {
            cut = true;
            return;
        }
        out.append(line).push_back('\n');
        newTypes |= TypesLine(line);
    }
    // the arcs of the old types mean nothing to the new ones
    if (newTypes) serial++;
}

void Decoder::ObservationEpoch(unsigned long nsat)
{
    std::size_t satStart = lay->satCol - 1;
    if (nsat > 0 && epochLine.size() < satStart + SatWidth * nsat) EpochError(EpochLineDamaged);
    std::string_view satList =
        nsat > 0 ? std::string_view(epochLine).substr(satStart, SatWidth * nsat) : "";
    // a file that ends early leaves the epoch as far as it goes: the RINEX reader sees the cut
    std::string_view line;
    const bool hasLines = NextLine(line);
    WriteEpochLine(satList, hasLines && TakeField(clock, line));
    serial++;
    cut = cut || !hasLines;
    for (std::size_t k = 0; hasLines && k < satList.size(); k += SatWidth) {
        if (!NextLine(line)) {
            cut = true;
            return;
        }
        if (!line.empty() && line[0] == lay->fullMark) EpochError(SatelliteLineMissing);
        SatelliteRecord(satList.substr(k, SatWidth), line);
    }
}

// An optional '-' and digits, from field[k] on; k is left behind them.
Int Decoder::ReadInt(std::string_view field, std::size_t& k)
{
    bool negative = k < field.size() && field[k] == '-';
    if (negative) k++;
    std::size_t first = k;
    Int v = 0;
    for (; k < field.size() && IsDigit(field[k]); k++) {
        Int digit = field[k] - '0';
        if (__builtin_mul_overflow(v, 10, &v) ||
            __builtin_add_overflow(v, negative ? -digit : digit, &v))
            EpochError(Overflows);
    }
    if (k == first) EpochError(NoNumber);
    return v;
}

// One field into its arc: "n&value" starts an arc of order n, a number is the next difference,
// an empty field is a missing value and ends the arc. False for the missing value.
bool Decoder::TakeField(Arc& arc, std::string_view field)
{
    if (field.empty()) {
        arc.order = 0;
        return false;
    }
    std::size_t k = 0;
    Int v = ReadInt(field, k);
    if (k < field.size() && field[k] == '&') {
        // one digit, so never above MaxOrder
        if (k != 1 || v < 1) EpochError(OrderOutOfRange);
        int order = static_cast<int>(v);
        v = ReadInt(field, ++k);
        if (k != field.size()) EpochError(NoNumber);
        arc.Start(order, v);
        return true;
    }
    if (k != field.size()) EpochError(NoNumber);
    if (arc.order == 0) EpochError(NotInitialised);
    if (!arc.Add(v)) EpochError(Overflows);
    return true;
}

Satellite& Decoder::Find(std::string_view sat)
{
    std::uint32_t key = 0;
    for (char c : sat) key = key << 8 | static_cast<unsigned char>(c);
    auto [it, added] = satIndex.try_emplace(key, sats.size());
    if (added) sats.emplace_back();
    return sats[it->second];
}

// A satellite line: the fields of its types, separated by one blank, then its flags as character
// differences. A line may end early: the fields it leaves out are missing, the flags unchanged.
void Decoder::SatelliteRecord(std::string_view sat, std::string_view line)
{
    long ntypes = lay->rinex2 ? types2.Types() : types3[static_cast<unsigned char>(sat[0])].Types();
    if (ntypes == 0) EpochError(NoTypes);
    Satellite& s = Find(sat);
    if (s.seen + 1 != serial) {
        // new, back after a gap, or after a restart: nothing of its past holds
        for (Arc& a : s.arcs) a.order = 0;
        s.flags.clear();
    }
    s.seen = serial;
    if (present.size() < static_cast<std::size_t>(ntypes))
        present.resize(static_cast<std::size_t>(ntypes));
    std::size_t k = 0; // where the next field starts; beyond the line when the line has ended
    for (long t = 0; t < ntypes; t++) {
        std::string_view field;
        if (k <= line.size()) {
            std::size_t end = std::min(line.find(' ', k), line.size());
            field = line.substr(k, end - k);
            k = end + 1;
        }
        auto st = static_cast<std::size_t>(t);
        if (field.empty()) {
            if (st < s.arcs.size()) s.arcs[st].order = 0;
            present[st] = 0;
            continue;
        }
        if (st >= s.arcs.size()) s.arcs.resize(st + 1);
        present[st] = TakeField(s.arcs[st], field) ? 1 : 0;
    }
    std::string_view flags = k <= line.size() ? line.substr(k) : "";
    if (flags.size() > 2 * static_cast<std::size_t>(ntypes)) EpochError(FlagsTooLong);
    ApplyTextDifferences(s.flags, flags);
    WriteRecord(sat, s, ntypes);
}

// A missing value has blank flags, and they stay blank for the next epoch's differences: the
// flags of an observation that comes back are written anew.
void Decoder::WriteFieldAt(char* w, Satellite& s, long k)
{
    auto st = static_cast<std::size_t>(k);
    for (std::size_t j = 2 * st; j < 2 * st + 2 && j < s.flags.size(); j++)
        if (!present[st])
            s.flags[j] = ' ';
        else
            w[ValueWidth + j - 2 * st] = s.flags[j];
    if (present[st] && !WriteFixed(w, ValueWidth, ValueDecimals, s.arcs[st].d[0]))
        EpochError(Overflows);
}

// RINEX 2: 5 fields a line; RINEX 3: the satellite, then all its fields on one line.
void Decoder::WriteRecord(std::string_view sat, Satellite& s, long ntypes)
{
    if (lay->rinex2) {
        for (long t = 0; t < ntypes; t += FieldsPerLine) {
            long n = std::min<long>(FieldsPerLine, ntypes - t);
            std::size_t start = out.size();
            out.resize(start + FieldWidth * static_cast<std::size_t>(n), ' ');
            for (long j = 0; j < n; j++)
                WriteFieldAt(&out[start + FieldWidth * static_cast<std::size_t>(j)], s, t + j);
            EndLine(start);
        }
        return;
    }
    std::size_t start = out.size();
    out.append(sat);
    out.resize(start + SatWidth + FieldWidth * static_cast<std::size_t>(ntypes), ' ');
    for (long t = 0; t < ntypes; t++)
        WriteFieldAt(&out[start + SatWidth + FieldWidth * static_cast<std::size_t>(t)], s, t);
    EndLine(start);
}

// The epoch line as RINEX has it: RINEX 2 with 12 satellites a line and the clock offset at the
// end of the first, RINEX 3 with the clock offset after the epoch fields.
void Decoder::WriteEpochLine(std::string_view satList, bool hasClock)
{
    std::size_t start = out.size();
    out.append(std::string_view(epochLine).substr(0, lay->epochWidth));
    out.resize(start + lay->epochWidth, ' ');
    // RINEX 3 names the satellite on its own line
    std::string_view rest = lay->rinex2 ? satList : "";
    out.append(rest.substr(0, SatsPerLine * SatWidth));
    rest.remove_prefix(std::min(rest.size(), SatsPerLine * SatWidth));
    if (hasClock) {
        out.resize(start + lay->clockCol - 1, ' ');
        std::size_t at = out.size();
        out.resize(at + static_cast<std::size_t>(lay->clockWidth));
        if (!WriteFixed(&out[at], lay->clockWidth, lay->clockDecimals, clock.d[0]))
            EpochError(Overflows);
    }
    EndLine(start);
    while (!rest.empty()) {
        start = out.size();
        out.append(lay->epochWidth, ' ').append(rest.substr(0, SatsPerLine * SatWidth));
        rest.remove_prefix(std::min(rest.size(), SatsPerLine * SatWidth));
        EndLine(start);
    }
}

// Ends the line begun at start without its trailing blanks.
void Decoder::EndLine(std::size_t start)
{
    std::size_t end = out.size();
    while (end > start && out[end - 1] == ' ') end--;
    out.resize(end);
    out.push_back('\n');
}

// "yyyy-mm-dd hh:mm:ss.sssssss" of the current epoch line, for messages.
std::string Decoder::EpochName() const
{
    std::size_t c = lay->yearCol + lay->yearWidth + 1;
    long year = ColumnsInt(epochLine, lay->yearCol, lay->yearWidth);
    if (lay->rinex2) year += year < 80 ? 2000 : 1900;
    char name[80];
    std::snprintf(name, sizeof name, "%04ld-%02ld-%02ld %02ld:%02ld:%010.7f", year,
                  ColumnsInt(epochLine, c, 2), ColumnsInt(epochLine, c + 3, 2),
                  ColumnsInt(epochLine, c + 6, 2), ColumnsInt(epochLine, c + 9, 2),
                  ColumnsNum(epochLine, c + 11, 11));
    return name;
}

void Decoder::EpochError(const char* what) const
{
    Fail(std::string(what) + " IN EPOCH " + EpochName() + "!");
}

std::string Decoder::Run()
{
    // the RINEX text is about four times the compact text
    out.reserve(sink != nullptr ? std::size_t{2} << 20 : sizeHint * 4 + 4096);
    Header();
    std::string_view line;
    while (NextLine(line)) {
        Epoch(line);
        Hand();
    }
    if (sink != nullptr) sink->Put(out);
    return sink != nullptr ? std::string() : std::move(out);
}

} // namespace

bool IsCompactRINEX(std::string_view text)
{
    return text.substr(0, text.find('\n')).find(VersionLabel) != std::string_view::npos;
}

std::string DecodeCompactRINEX(std::string_view text, bool* cutShort)
{
    WholeText whole(text);
    Decoder d(whole, nullptr, text.size());
    std::string out;
    try {
        out = d.Run();
    } catch (const DeferredFailure& f) {
        f.raise();
    }
    if (cutShort != nullptr) *cutShort = d.cut;
    return out;
}

bool DecodeCompactRINEX(TextSource& text, TextSink& out)
{
    Decoder d(text, &out);
    d.Run();
    return d.cut;
}

std::string CompactRINEXName(std::string_view firstLine)
{
    if (!IsCompactRINEX(firstLine)) return "";
    return "Compact RINEX " +
           std::string(Trimmed(firstLine.substr(0, std::min<std::size_t>(firstLine.size(), 20))));
}

const TextForm CompactRINEXText{
    CompactRINEXName,
    [](std::string_view text, bool* cut) { return DecodeCompactRINEX(text, cut); },
    [](TextSource& text, TextSink& out) { return DecodeCompactRINEX(text, out); }};

void CompactRINEXError(const char* text)
{
    ClassFrame("####", "CompactRINEX", "Error", text, "Exiting CompactRINEX", false);
    ExitProgram();
}
