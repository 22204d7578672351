// SPDX-License-Identifier: BSD-2-Clause
#include "tools/gen/CompactRinexWriter.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

namespace gen {
namespace {

using Int = std::int64_t;

// Every arc is of order 3: the third differences of smooth phases and codes are small.
constexpr int Order = 3;
constexpr std::size_t FieldWidth = 16, ValueWidth = 14, FieldsPerLine = 5;
constexpr std::size_t SatCol = 32, SatWidth = 3, SatsPerLine = 12, ClockCol = 68, ClockWidth = 12;

std::string Label(std::string fields, std::string_view label)
{
    fields.resize(60, ' ');
    return fields.append(label).append("\n");
}

std::string Columns(std::string_view line, std::size_t at, std::size_t width)
{
    std::string s(at < line.size() ? line.substr(at, width) : std::string_view());
    s.resize(width, ' ');
    return s;
}

bool IsBlank(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

// An arc of differences kept as the reader keeps it: d[0] the value, d[k] its k-th difference,
// the order in use growing by one each epoch up to Order.
struct Arc {
    Int d[Order + 1] = {};
    int level = -1; // no arc

    // The field that gives x: the arc's start, or its next difference.
    std::string Next(Int x)
    {
        if (level < 0) {
            level = 0;
            d[0] = x;
            return std::to_string(Order) + "&" + std::to_string(x);
        }
        const int next = std::min(level + 1, Order);
        Int diff = x;
        for (int j = 0; j < next; j++) diff -= d[j];
        level = next;
        d[level] = diff;
        for (int k = level; k > 0; k--) d[k - 1] += d[k];
        return std::to_string(diff);
    }
};

struct Satellite {
    std::uint64_t seen = 0;
    std::vector<Arc> arcs;
    std::string flags; // loss-of-lock and signal-strength characters, as the reader holds them
};

// Character differences of line against was: a blank keeps, '&' blanks, any other character
// replaces; was becomes what the reader makes of them.
std::string TextDifferences(std::string& was, std::string_view line)
{
    std::string diff(line.size(), ' ');
    for (std::size_t k = 0; k < line.size(); k++) {
        char old = k < was.size() ? was[k] : ' ';
        if (line[k] != old) diff[k] = line[k] == ' ' ? '&' : line[k];
    }
    diff.erase(diff.find_last_not_of(' ') + 1);
    if (was.size() < diff.size()) was.resize(diff.size(), ' ');
    for (std::size_t k = 0; k < diff.size(); k++)
        if (diff[k] != ' ') was[k] = diff[k] == '&' ? ' ' : diff[k];
    return diff;
}

// The thousandths of an F14.3 text (or the billionths of an F12.9 clock offset).
Int FixedValue(std::string_view field, std::size_t decimals, long lineNo)
{
    std::string_view t = field.substr(field.find_first_not_of(' '));
    bool negative = !t.empty() && t[0] == '-';
    if (negative) t.remove_prefix(1);
    std::size_t dot = t.find('.');
    bool ok = dot != std::string_view::npos && dot > 0 && t.size() == dot + 1 + decimals;
    Int v = 0;
    for (std::size_t k = 0; ok && k < t.size(); k++) {
        if (k == dot) continue;
        ok = t[k] >= '0' && t[k] <= '9';
        v = v * 10 + (t[k] - '0');
    }
    if (!ok) throw CompactRinexError("line " + std::to_string(lineNo) + ": no fixed-point number");
    return negative ? -v : v;
}

class Writer {
  public:
    explicit Writer(std::string_view rinex);
    std::string Run();

  private:
    std::vector<std::string_view> lines;
    std::size_t at = 0;
    std::string out;
    std::size_t ntypes = 0;
    std::string epochLine; // as the reader holds it
    bool first = true;
    std::uint64_t serial = 2;
    std::map<std::string, Satellite> sats;
    Arc clock;

    std::string_view Line(const char* what);
    void TypesLine(std::string_view line);
    void Header();
    void Epoch(std::string_view line);
    void EventRecords(std::size_t n);
    void ObservationEpoch(std::string_view line, std::size_t n);
    void Record(const std::string& sat);
    void PutEpochLine(const std::string& line);
};

Writer::Writer(std::string_view rinex)
{
    for (std::size_t p = 0; p < rinex.size();) {
        std::size_t end = std::min(rinex.find('\n', p), rinex.size());
        std::string_view l = rinex.substr(p, end - p);
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
        lines.push_back(l);
        p = end + 1;
    }
}

std::string_view Writer::Line(const char* what)
{
    if (at >= lines.size()) throw CompactRinexError(std::string("the file ends inside ") + what);
    return lines[at++];
}

void Writer::TypesLine(std::string_view line)
{
    if (line.find("# / TYPES OF OBSERV") == std::string_view::npos) return;
    if (!IsBlank(Columns(line, 0, 6))) ntypes = std::stoul(Columns(line, 0, 6));
    // the reader starts every arc anew after a new list of types
    serial++;
}

void Writer::Header()
{
    out += Label("1.0                 COMPACT RINEX FORMAT", "CRINEX VERS   / TYPE");
    out += Label("kestrova-crx", "CRINEX PROG / DATE");
    std::string_view line;
    do {
        line = Line("the header");
        out.append(line).push_back('\n');
        TypesLine(line);
    } while (line.find("END OF HEADER") == std::string_view::npos);
}

void Writer::PutEpochLine(const std::string& line)
{
    if (first) {
        // the first epoch line is given whole, its leading blank as the mark
        out.append("&").append(line.substr(1)).push_back('\n');
        epochLine = line;
        first = false;
        serial++;
    } else
        out.append(TextDifferences(epochLine, line)).push_back('\n');
}

void Writer::Epoch(std::string_view line)
{
    const char flag = Columns(line, 28, 1)[0];
    const std::string count = Columns(line, 29, 3);
    const std::size_t n = IsBlank(count) ? 0 : std::stoul(count);
    if (flag >= '2' && flag <= '5') {
        // an event line is written whole by the reader: what the epoch line before held
        // beyond it must be blanked
        std::string event(line);
        event.erase(event.find_last_not_of(' ') + 1);
        event.resize(std::max(event.size(), epochLine.size()), ' ');
        PutEpochLine(event);
        EventRecords(n);
    } else
        ObservationEpoch(line, n);
}

void Writer::EventRecords(std::size_t n)
{
    for (std::size_t k = 0; k < n; k++) {
        std::string_view l = Line("an event");
        out.append(l).push_back('\n');
        TypesLine(l);
    }
}

void Writer::ObservationEpoch(std::string_view line, std::size_t n)
{
    // the clock offset stands at the end of the first epoch line
    const std::string offset = Columns(line, ClockCol, ClockWidth);
    std::string compact = Columns(line, 0, SatCol);
    std::vector<std::string> list;
    for (std::size_t k = 0; k < n; k++) {
        if (k > 0 && k % SatsPerLine == 0) line = Line("a satellite list");
        list.push_back(Columns(line, SatCol + SatWidth * (k % SatsPerLine), SatWidth));
        compact += list.back();
    }
    PutEpochLine(compact);
    if (IsBlank(offset)) {
        clock.level = -1;
        out.push_back('\n');
    } else
        out.append(clock.Next(FixedValue(offset, 9, static_cast<long>(at)))).push_back('\n');
    serial++;
    for (const std::string& sat : list) Record(sat);
}

void Writer::Record(const std::string& sat)
{
    Satellite& s = sats[sat];
    if (s.seen + 1 != serial) {
        s.arcs.assign(ntypes, Arc());
        s.flags.clear();
    }
    s.seen = serial;
    s.arcs.resize(ntypes);
    std::string fields, wanted(2 * ntypes, ' ');
    std::vector<bool> present(ntypes);
    std::string_view line;
    for (std::size_t t = 0; t < ntypes; t++) {
        if (t % FieldsPerLine == 0) line = Line("an observation record");
        std::string field = Columns(line, FieldWidth * (t % FieldsPerLine), FieldWidth);
        if (t > 0) fields += ' ';
        present[t] = !IsBlank(field.substr(0, ValueWidth));
        if (!present[t]) {
            s.arcs[t].level = -1;
            wanted[2 * t] = s.flags.size() > 2 * t ? s.flags[2 * t] : ' ';
            wanted[2 * t + 1] = s.flags.size() > 2 * t + 1 ? s.flags[2 * t + 1] : ' ';
            continue;
        }
        fields += s.arcs[t].Next(FixedValue(field.substr(0, ValueWidth), 3, static_cast<long>(at)));
        wanted[2 * t] = field[ValueWidth];
        wanted[2 * t + 1] = field[ValueWidth + 1];
    }
    std::string flags = TextDifferences(s.flags, wanted);
    // the reader blanks the flags of a missing value
    for (std::size_t j = 0; j < s.flags.size(); j++)
        if (!present[j / 2]) s.flags[j] = ' ';
    out.append(fields);
    if (!flags.empty()) out.append(" ").append(flags);
    out.push_back('\n');
}

std::string Writer::Run()
{
    Header();
    while (at < lines.size()) {
        std::string_view line = lines[at++];
        if (!IsBlank(line)) Epoch(line);
    }
    return std::move(out);
}

} // namespace

std::string CompactRinex1(std::string_view rinex) { return Writer(rinex).Run(); }

} // namespace gen
