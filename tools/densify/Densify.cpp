// SPDX-License-Identifier: BSD-2-Clause
#include "tools/densify/Densify.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace densify {
namespace {

constexpr int kFieldsPerLine = 5;
constexpr int kFieldWidth = 16;
constexpr int kSatsPerLine = 12;
constexpr double kSameTime = 1e-3; // seconds: epoch tags closer than this are one time
// Epochs one interval apart within this many seconds are neighbours: receivers tag epochs a
// few milliseconds off the grid while their clocks drift.
constexpr double kSpacingTolerance = 0.1;

struct Field {
    long long milli = 0; // the F14.3 value in thousandths: the file's values survive exactly
    bool blank = true;
    char lli = ' ';
    char ss = ' ';
};

struct SatObs {
    std::string id;
    std::vector<Field> fields;
};

struct Stamp {
    long long day = 0; // days since 1970-01-01
    double sec = 0;
};

struct Event {
    bool timed = false;
    Stamp t;
    std::vector<std::string> lines; // kept as written, epoch line first
};

struct ObsEpoch {
    Stamp t;
    int flag = 0;
    std::string clock;
    std::vector<SatObs> sats;
    std::vector<Event> eventsAfter; // the event records between this epoch and the next
};

struct ObsFile {
    std::vector<std::string> header;
    int ntypes = 0;
    std::vector<Event> leading; // event records before the first observation epoch
    std::vector<ObsEpoch> epochs;
};

[[noreturn]] void Fail(std::size_t lineNo, const std::string& why)
{
    throw DensifyError("line " + std::to_string(lineNo) + ": " + why);
}

// Columns [from, from + len) of a line (0-based), blank beyond its end.
std::string Col(const std::string& line, std::size_t from, std::size_t len)
{
    std::string s = from < line.size() ? line.substr(from, len) : "";
    s.resize(len, ' ');
    return s;
}

bool IsBlank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

std::string Trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(' ');
    return first == std::string::npos ? "" : s.substr(first, s.find_last_not_of(' ') - first + 1);
}

template <typename T> T Number(const std::string& text, std::size_t lineNo, const char* what)
{
    const std::string s = Trimmed(text);
    T value{};
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size())
        Fail(lineNo, std::string("bad ") + what + " '" + Trimmed(text) + "'");
    return value;
}

class LineReader {
  public:
    explicit LineReader(const std::string& text)
    {
        for (std::size_t at = 0; at < text.size();) {
            std::size_t end = text.find('\n', at);
            if (end == std::string::npos) end = text.size();
            std::size_t len = end - at;
            if (len > 0 && text[at + len - 1] == '\r') --len;
            lines_.push_back(text.substr(at, len));
            at = end + 1;
        }
    }
    bool AtEnd() const { return next_ >= lines_.size(); }
    std::size_t LineNo() const { return next_; } // of the line last taken, 1-based
    const std::string& Take()
    {
        if (AtEnd()) Fail(next_, "the file ends inside a record");
        return lines_[next_++];
    }

  private:
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
};

// ---- reading

int ReadHeader(LineReader& in, std::vector<std::string>& header)
{
    int ntypes = 0;
    while (true) {
        if (in.AtEnd()) Fail(in.LineNo(), "no END OF HEADER");
        const std::string& line = in.Take();
        header.push_back(line);
        const std::string label = Trimmed(Col(line, 60, 20));
        if (label == "RINEX VERSION / TYPE" && Trimmed(Col(line, 0, 9)).substr(0, 1) != "2")
            Fail(in.LineNo(), "not a RINEX 2 file");
        if (label == "RINEX VERSION / TYPE" && Col(line, 20, 1) != "O")
            Fail(in.LineNo(), "not an observation file");
        if (label == "# / TYPES OF OBSERV" && ntypes == 0)
            ntypes = Number<int>(Col(line, 0, 6), in.LineNo(), "number of types");
        if (label == "END OF HEADER") break;
    }
    if (ntypes <= 0) Fail(in.LineNo(), "no observation types in the header");
    return ntypes;
}

Stamp ReadStamp(const std::string& line, std::size_t lineNo)
{
    using namespace std::chrono;
    const int yy = Number<int>(Col(line, 0, 3), lineNo, "year");
    const unsigned mm = Number<unsigned>(Col(line, 3, 3), lineNo, "month");
    const unsigned dd = Number<unsigned>(Col(line, 6, 3), lineNo, "day");
    const year_month_day date{year{yy < 80 ? 2000 + yy : 1900 + yy}, month{mm}, day{dd}};
    if (!date.ok()) Fail(lineNo, "no such date");
    const int hh = Number<int>(Col(line, 9, 3), lineNo, "hour");
    const int mi = Number<int>(Col(line, 12, 3), lineNo, "minute");
    const double ss = Number<double>(Col(line, 15, 11), lineNo, "second");
    if (hh < 0 || hh > 23 || mi < 0 || mi > 59 || !(ss >= 0 && ss < 61))
        Fail(lineNo, "no such time");
    return {sys_days{date}.time_since_epoch().count(), hh * 3600.0 + mi * 60.0 + ss};
}

double SecondsBetween(const Stamp& a, const Stamp& b)
{
    return double(b.day - a.day) * 86400.0 + (b.sec - a.sec);
}

std::string SatId(std::string id)
{
    if (id[0] == ' ') id[0] = 'G'; // RINEX 2: a blank system is GPS
    if (id[1] == ' ') id[1] = '0';
    return id;
}

std::vector<std::string> ReadSatIds(LineReader& in, const std::string& epochLine, int count)
{
    std::vector<std::string> ids;
    const std::string* line = &epochLine;
    for (int k = 0; k < count; ++k) {
        if (k > 0 && k % kSatsPerLine == 0) line = &in.Take();
        ids.push_back(SatId(Col(*line, 32 + 3 * (k % kSatsPerLine), 3)));
    }
    return ids;
}

Field ReadField(const std::string& text, std::size_t lineNo)
{
    Field f;
    f.lli = text[14];
    f.ss = text[15];
    const std::string value = text.substr(0, 14);
    f.blank = IsBlank(value);
    if (!f.blank) f.milli = std::llround(Number<double>(value, lineNo, "observation") * 1000.0);
    return f;
}

SatObs ReadSatObs(LineReader& in, const std::string& id, int ntypes)
{
    SatObs sat{id, {}};
    const std::string* line = nullptr;
    for (int k = 0; k < ntypes; ++k) {
        if (k % kFieldsPerLine == 0) line = &in.Take();
        sat.fields.push_back(
            ReadField(Col(*line, kFieldWidth * (k % kFieldsPerLine), kFieldWidth), in.LineNo()));
    }
    return sat;
}

Event ReadEvent(LineReader& in, const std::string& epochLine, int count)
{
    Event e;
    e.timed = !IsBlank(Col(epochLine, 0, 26));
    if (e.timed) e.t = ReadStamp(epochLine, in.LineNo());
    e.lines.push_back(epochLine);
    for (int k = 0; k < count; ++k) e.lines.push_back(in.Take());
    return e;
}

ObsEpoch ReadObsEpoch(LineReader& in, const std::string& epochLine, int flag, int count, int ntypes)
{
    ObsEpoch e;
    e.t = ReadStamp(epochLine, in.LineNo());
    e.flag = flag;
    e.clock = Col(epochLine, 68, 12);
    for (const std::string& id : ReadSatIds(in, epochLine, count))
        e.sats.push_back(ReadSatObs(in, id, ntypes));
    return e;
}

void ReadRecord(LineReader& in, ObsFile& file)
{
    const std::string epochLine = in.Take();
    const std::size_t lineNo = in.LineNo();
    if (IsBlank(epochLine)) return;
    const int flag = Number<int>(Col(epochLine, 28, 1), lineNo, "epoch flag");
    const int count = Number<int>(Col(epochLine, 29, 3), lineNo, "record count");
    if (count < 0) Fail(lineNo, "bad record count");
    if (flag == 6) Fail(lineNo, "cycle-slip records (flag 6) are not supported");
    if (flag > 1) {
        auto& events = file.epochs.empty() ? file.leading : file.epochs.back().eventsAfter;
        events.push_back(ReadEvent(in, epochLine, count));
        return;
    }
    file.epochs.push_back(ReadObsEpoch(in, epochLine, flag, count, file.ntypes));
    if (file.epochs.size() > 1 &&
        SecondsBetween(file.epochs[file.epochs.size() - 2].t, file.epochs.back().t) <= 0)
        Fail(lineNo, "epochs out of time order");
}

ObsFile ReadObsFile(const std::string& text)
{
    LineReader in(text);
    ObsFile file;
    file.ntypes = ReadHeader(in, file.header);
    while (!in.AtEnd()) ReadRecord(in, file);
    return file;
}

// The file's interval: the shortest spacing of two neighbouring observation epochs.
double Interval(const std::vector<ObsEpoch>& epochs)
{
    double interval = 0;
    for (std::size_t i = 1; i < epochs.size(); ++i) {
        const double dt = SecondsBetween(epochs[i - 1].t, epochs[i].t);
        if (interval == 0 || dt < interval) interval = dt;
    }
    return std::round(interval * 1000.0) / 1000.0;
}

// ---- interpolation

const Field* FieldOf(const ObsEpoch& epoch, const std::string& id, int type)
{
    for (const SatObs& sat : epoch.sats)
        if (sat.id == id) return sat.fields[type].blank ? nullptr : &sat.fields[type];
    return nullptr;
}

// Whether one field of a satellite runs unbroken from epoch j to epoch j + 1: both hold a
// value, one interval apart, no power failure and no loss of lock in between.
bool Linked(const std::vector<ObsEpoch>& epochs, std::size_t j, const std::string& id, int type,
            double interval)
{
    if (j + 1 >= epochs.size()) return false;
    const Field* after = FieldOf(epochs[j + 1], id, type);
    return FieldOf(epochs[j], id, type) && after && epochs[j + 1].flag != 1 &&
           !(after->lli >= '0' && after->lli <= '9' && ((after->lli - '0') & 1)) &&
           std::fabs(SecondsBetween(epochs[j].t, epochs[j + 1].t) - interval) < kSpacingTolerance;
}

struct Node {
    double x; // seconds after the earlier epoch
    double y; // thousandths
};

// The epochs the polynomial between epochs i and i + 1 goes through: two before and two
// after where the arc runs on, fewer at its ends; none where the two are not linked.
std::vector<Node> Stencil(const std::vector<ObsEpoch>& epochs, std::size_t i, const std::string& id,
                          int type, double interval)
{
    if (!Linked(epochs, i, id, type, interval)) return {};
    std::size_t first = i, last = i + 1;
    if (first > 0 && Linked(epochs, first - 1, id, type, interval)) --first;
    if (Linked(epochs, last, id, type, interval)) ++last;
    std::vector<Node> nodes;
    for (std::size_t j = first; j <= last; ++j)
        nodes.push_back({SecondsBetween(epochs[i].t, epochs[j].t),
                         double(FieldOf(epochs[j], id, type)->milli)});
    return nodes;
}

double Lagrange(const std::vector<Node>& nodes, double x)
{
    double sum = 0;
    for (std::size_t j = 0; j < nodes.size(); ++j) {
        double term = nodes[j].y;
        for (std::size_t m = 0; m < nodes.size(); ++m)
            if (m != j) term *= (x - nodes[m].x) / (nodes[j].x - nodes[m].x);
        sum += term;
    }
    return sum;
}

// The loss-of-lock digit of an in-between epoch: the earlier epoch's, without its
// loss-of-lock bit, which marks the moment before that epoch and is not repeated.
char CarriedLli(char lli)
{
    if (lli < '0' || lli > '9') return lli;
    return char('0' + ((lli - '0') & ~1));
}

struct SatGap {
    const SatObs* before;
    std::vector<std::vector<Node>> stencils; // one per type, empty where not interpolated
};

std::vector<SatGap> GapStencils(const std::vector<ObsEpoch>& epochs, std::size_t i, int ntypes,
                                double interval)
{
    std::vector<SatGap> gaps;
    for (const SatObs& sat : epochs[i].sats) {
        SatGap gap{&sat, {}};
        for (int type = 0; type < ntypes; ++type)
            gap.stencils.push_back(Stencil(epochs, i, sat.id, type, interval));
        gaps.push_back(std::move(gap));
    }
    return gaps;
}

SatObs Interpolated(const SatGap& gap, double x)
{
    SatObs sat{gap.before->id, {}};
    for (std::size_t type = 0; type < gap.stencils.size(); ++type) {
        Field f;
        if (!gap.stencils[type].empty()) {
            const Field& before = gap.before->fields[type];
            f = {std::llround(Lagrange(gap.stencils[type], x)), false, CarriedLli(before.lli),
                 before.ss};
        }
        sat.fields.push_back(f);
    }
    return sat;
}

bool AllBlank(const SatObs& sat)
{
    return std::all_of(sat.fields.begin(), sat.fields.end(),
                       [](const Field& f) { return f.blank; });
}

// ---- writing

class Writer {
  public:
    Writer(std::string& out, std::string eol) : out_(out), eol_(std::move(eol)) {}
    void Line(std::string line)
    {
        line.erase(line.find_last_not_of(' ') + 1);
        out_ += line;
        out_ += eol_;
    }

  private:
    std::string& out_;
    std::string eol_;
};

std::string Padded(std::string s, std::size_t width)
{
    s.resize(width, ' ');
    return s;
}

void WriteHeader(Writer& w, const std::vector<std::string>& header)
{
    bool hasInterval = false;
    for (const std::string& line : header) {
        const std::string label = Trimmed(Col(line, 60, 20));
        if (label == "INTERVAL" || (label == "END OF HEADER" && !hasInterval)) {
            w.Line(Padded("     1.000", 60) + "INTERVAL");
            hasInterval = true;
        }
        if (label != "INTERVAL") w.Line(line);
    }
}

std::string EpochTime(Stamp t)
{
    using namespace std::chrono;
    while (t.sec >= 86400.0) t.sec -= 86400.0, ++t.day;
    const year_month_day date{sys_days{days{t.day}}};
    const int whole = int(t.sec / 60.0);
    char buf[40];
    std::snprintf(buf, sizeof buf, " %02d %2u %2u %2d %2d%11.7f", int(date.year()) % 100,
                  unsigned(date.month()), unsigned(date.day()), whole / 60, whole % 60,
                  t.sec - whole * 60.0);
    return buf;
}

void WriteEpochLine(Writer& w, const Stamp& t, int flag, const std::vector<SatObs>& sats,
                    const std::string& clock)
{
    char count[8];
    std::snprintf(count, sizeof count, "%3zu", sats.size());
    std::string line = EpochTime(t) + "  " + std::to_string(flag) + count;
    for (std::size_t k = 0; k < sats.size(); ++k) {
        if (k > 0 && k % kSatsPerLine == 0) {
            w.Line(k == kSatsPerLine ? Padded(line, 68) + clock : line);
            line = std::string(32, ' ');
        }
        line += sats[k].id;
    }
    w.Line(sats.size() <= kSatsPerLine ? Padded(line, 68) + clock : line);
}

std::string FieldText(const Field& f)
{
    char buf[32] = "              ";
    if (!f.blank) std::snprintf(buf, sizeof buf, "%14.3f", double(f.milli) / 1000.0);
    return Padded(buf, 14) + f.lli + f.ss;
}

void WriteEpoch(Writer& w, const Stamp& t, int flag, const std::vector<SatObs>& sats,
                const std::string& clock)
{
    WriteEpochLine(w, t, flag, sats, clock);
    for (const SatObs& sat : sats) {
        std::string line;
        for (std::size_t k = 0; k < sat.fields.size(); ++k) {
            line += FieldText(sat.fields[k]);
            if ((k + 1) % kFieldsPerLine == 0 || k + 1 == sat.fields.size())
                w.Line(std::exchange(line, ""));
        }
    }
}

void WriteEvents(Writer& w, std::vector<Event>& events, const Stamp* upTo)
{
    auto due = [&](const Event& e) {
        return !upTo || !e.timed || SecondsBetween(e.t, *upTo) > -kSameTime;
    };
    while (!events.empty() && due(events.front())) {
        for (const std::string& line : events.front().lines) w.Line(line);
        events.erase(events.begin());
    }
}

// The in-between epochs after epoch i, with the event records that follow it in the file
// written at their times.
void WriteGap(Writer& w, const ObsFile& file, std::size_t i, double interval)
{
    std::vector<Event> events = file.epochs[i].eventsAfter;
    const bool oneInterval = i + 1 < file.epochs.size() &&
                             std::fabs(SecondsBetween(file.epochs[i].t, file.epochs[i + 1].t) -
                                       interval) < kSpacingTolerance;
    const std::vector<SatGap> gaps =
        oneInterval ? GapStencils(file.epochs, i, file.ntypes, interval) : std::vector<SatGap>{};
    for (int x = 1; oneInterval && x < interval - kSameTime; ++x) {
        std::vector<SatObs> sats;
        for (const SatGap& gap : gaps)
            if (SatObs sat = Interpolated(gap, x); !AllBlank(sat)) sats.push_back(std::move(sat));
        const Stamp t{file.epochs[i].t.day, file.epochs[i].t.sec + x};
        WriteEvents(w, events, &t);
        if (!sats.empty()) WriteEpoch(w, t, 0, sats, std::string(12, ' '));
    }
    WriteEvents(w, events, nullptr);
}

} // namespace

std::string Densify(const std::string& rinex)
{
    ObsFile file = ReadObsFile(rinex);
    const double interval = Interval(file.epochs);
    std::string out;
    Writer w(out, rinex.find("\r\n") != std::string::npos ? "\r\n" : "\n");
    WriteHeader(w, file.header);
    WriteEvents(w, file.leading, nullptr);
    for (std::size_t i = 0; i < file.epochs.size(); ++i) {
        const ObsEpoch& e = file.epochs[i];
        WriteEpoch(w, e.t, e.flag, e.sats, e.clock);
        WriteGap(w, file, i, interval);
    }
    return out;
}

} // namespace densify
