// SPDX-License-Identifier: BSD-2-Clause
// Formats: RINEX 2.11 (navigation message files N, G, H), RINEX 3.05 and RINEX 4.01 (navigation
// data records, RINEX 4 record types and message names).
#include "GNSS/BroadcastNav.h"

#include "GNSS/BroadcastOrbit.h"
#include "GNSS/RINEXf.h"
#include "GNSS/TimeConverse.h"
#include "PROGINC/InputText.h"
#include "PROGINC/ProgramError.h"
#include "PROGINC/cfilef.h"
#include "PROGINC/cstringf.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace {

constexpr double Hour = 3600;
constexpr double Week = 604800;
constexpr long GpsEpochMjd = 44244; // 1980-01-06

// clang-format off
// The system of the records of a RINEX 2 file, by the file type.
constexpr struct { char type; char letter; } Rinex2Types[] = {
    {'N', 'G'}, {'G', 'R'}, {'H', 'S'}, {'L', 'E'},
};
// GPS - UTC from the first day of the month on (UTC).
constexpr struct { int year, month, seconds; } LeapSeconds[] = {
    {1981, 7, 1},  {1982, 7, 2},  {1983, 7, 3},  {1985, 7, 4},  {1988, 1, 5},  {1990, 1, 6},
    {1991, 1, 7},  {1992, 7, 8},  {1993, 7, 9},  {1994, 7, 10}, {1996, 1, 11}, {1997, 7, 12},
    {1999, 1, 13}, {2006, 1, 14}, {2009, 1, 15}, {2012, 7, 16}, {2015, 7, 17}, {2017, 1, 18},
};
// clang-format on

constexpr double BdtBehindGpst = 14;

// The lines of a record: the first and up to seven more (a GLONASS record of RINEX 3.05 and 4
// has a fifth line the store does not need).
constexpr int MaxRecordLines = 8;

// How a file writes its records.
struct NavForm {
    int version = 0;   // 100 x the RINEX version
    char letter = ' '; // RINEX 2: the system of every record
    int leapSeconds = -1;
    bool Rinex2() const { return version < 300; }
    bool Rinex4() const { return version >= 400; }
    // The satellite field is 2 columns in RINEX 2, 3 later; the epoch 20 columns after it.
    std::size_t SatWidth() const { return Rinex2() ? 2 : 3; }
    std::size_t FirstValueColumn() const { return SatWidth() + 21; }
    std::size_t NextValueColumn() const { return SatWidth() + 2; }
};

struct RecordText {
    std::string_view line[MaxRecordLines];
    int n = 0;
    long firstLine = 0;
};

// The lines of an input, numbered from 1: views into the text, which outlives the reading.
class TextLines {
  public:
    explicit TextLines(std::istream& input) : in(input) {}
    bool Next(std::string_view& line)
    {
        if (!ReadLine(in, line, store)) return false;
        number++;
        return true;
    }
    long Number() const { return number; }

  private:
    std::istream& in;
    std::string store;
    long number = 0;
};

// A value field: a FORTRAN number with an E or D exponent (either case); blank is 0. Anything else
// (letters, an infinity, a number that does not fill the field) is no value.
bool NavNumber(std::string_view field, double& value)
{
    field = Trimmed(field);
    value = 0;
    if (field.empty()) return true;
    char buf[24];
    if (field.size() >= sizeof buf) return false;
    for (std::size_t k = 0; k < field.size(); k++) {
        char c = field[k];
        if (c == 'D' || c == 'd' || c == 'e') c = 'E';
        if (!std::strchr("0123456789+-.E", c)) return false;
        buf[k] = c;
    }
    buf[field.size()] = '\0';
    char* end = nullptr;
    value = std::strtod(buf, &end);
    return end == buf + field.size() && std::isfinite(value);
}

// A whole-number field of digits only.
bool NavInt(std::string_view field, int& value)
{
    field = Trimmed(field);
    if (field.empty() || field.size() > 6) return false;
    value = 0;
    for (char c : field) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

double MjdSeconds(long day, double second) { return (day - GpsEpochMjd) * 86400.0 + second; }

double CalendarSeconds(int y, int mo, int d, int h, int mi, double s)
{
    ymdhms date;
    date.Set(static_cast<unsigned short>(y), static_cast<unsigned short>(mo),
             static_cast<unsigned short>(d), static_cast<unsigned short>(h),
             static_cast<unsigned short>(mi), 0);
    return MjdSeconds(static_cast<long>(ymdhms2mjd(date).GetMJDay()), h * 3600.0 + mi * 60.0 + s);
}

bool IsDate(int y, int mo, int d, int h, int mi, double s)
{
    if (y < 1980 || y > 2199 || mo < 1 || mo > 12 || h > 23 || mi > 59 || s < 0 || s >= 61)
        return false;
    return d >= 1 &&
           d <= DaysBeforeMonth(ymdhms::LeapYear(static_cast<unsigned short>(y)), mo + 1) -
                    DaysBeforeMonth(ymdhms::LeapYear(static_cast<unsigned short>(y)), mo);
}

// The epoch of the first line in the time of its system, as GPS-epoch seconds; false for no
// epoch. RINEX 2: yy mm dd hh mm ss.s after the PRN; later: yyyy mm dd hh mm ss.
bool RecordEpoch(std::string_view line, const NavForm& form, double& seconds)
{
    const std::size_t c = form.SatWidth() + 1;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0;
    double s = 0;
    const bool ok =
        form.Rinex2()
            ? NavInt(Columns(line, c, 3), y) && NavInt(Columns(line, c + 3, 3), mo) &&
                  NavInt(Columns(line, c + 6, 3), d) && NavInt(Columns(line, c + 9, 3), h) &&
                  NavInt(Columns(line, c + 12, 3), mi) && NavNumber(Columns(line, c + 15, 5), s)
            : NavInt(Columns(line, c + 1, 4), y) && NavInt(Columns(line, c + 6, 2), mo) &&
                  NavInt(Columns(line, c + 9, 2), d) && NavInt(Columns(line, c + 12, 2), h) &&
                  NavInt(Columns(line, c + 15, 2), mi) && NavNumber(Columns(line, c + 18, 2), s);
    if (!ok) return false;
    if (form.Rinex2()) y += y < 80 ? 2000 : 1900;
    if (!IsDate(y, mo, d, h, mi, s)) return false;
    seconds = CalendarSeconds(y, mo, d, h, mi, s);
    return true;
}

bool RecordSat(std::string_view line, const NavForm& form, NavSat& sat)
{
    if (form.Rinex2()) {
        sat.sys = form.letter;
        return NavInt(Columns(line, 1, 2), sat.prn);
    }
    sat.sys = Column(line, 1);
    return NavInt(Columns(line, 2, 2), sat.prn);
}

double ShiftToGps(double seconds, NavTimeScale scale, int headerLeap)
{
    switch (scale) {
    case NavTimeScale::BDT: return seconds + BdtBehindGpst;
    case NavTimeScale::UTC:
        return seconds + (headerLeap >= 0 ? headerLeap : LeapSecondsAt(seconds));
    case NavTimeScale::GPST: break;
    }
    return seconds;
}

// toe as an epoch: the week of toc, moved to the week that puts it nearest to toc.
double ToeEpoch(double tocSystem, double toeOfWeek)
{
    double toe = std::floor(tocSystem / Week) * Week + toeOfWeek;
    if (toe - tocSystem > Week / 2) toe -= Week;
    if (tocSystem - toe > Week / 2) toe += Week;
    return toe;
}

int LinesOf(OrbitKind kind) { return kind == OrbitKind::Kepler ? 8 : 4; }

double Norm(double x, double y, double z) { return std::sqrt(x * x + y * y + z * z); }

// Values no orbit can have would only give positions that mean nothing.
bool IsOrbit(const NavRecord& r, OrbitKind kind)
{
    using namespace NavField;
    const double* v = r.v;
    if (kind == OrbitKind::Kepler)
        return v[SqrtA] >= 2000 && v[SqrtA] <= 10000 && v[Ecc] >= 0 && v[Ecc] < 0.5 &&
               v[Toe] >= 0 && v[Toe] <= Week;
    const double radius = Norm(v[X], v[Y], v[Z]);
    return radius >= 7000 && radius <= 60000 && Norm(v[VX], v[VY], v[VZ]) < 10 &&
           Norm(v[AX], v[AY], v[AZ]) < 1e-4;
}

// A whole number 0 .. limit held by a value, or -1.
long Bits(double value, long limit)
{
    if (!(value >= 0 && value <= limit) || value != std::floor(value)) return -1;
    return static_cast<long>(value);
}

// The health rules. GPS, QZSS, NavIC: SV health 0. BeiDou: SatH1 0. GLONASS: Bn 0. Galileo: the
// health and data-validity bits of the signals of the message clear (I/NAV: E1-B and E5b;
// F/NAV: E5a). SBAS: validity only.
bool IsHealthy(const NavRecord& r)
{
    using namespace NavField;
    switch (r.sat.sys) {
    case 'R': return r.v[StateHealth] == 0;
    case 'S': return true;
    case 'E': {
        const long health = Bits(r.v[Health], 511);
        const long source = Bits(r.v[DataSources], 1023);
        if (health < 0 || source < 0) return false;
        const long signalBits = (source & 2) ? 0x038 : 0x1C7;
        return (health & signalBits) == 0;
    }
    default: return r.v[Health] == 0;
    }
}

double ValidityOf(const NavRecord& r)
{
    const NavSystemFacts* facts = NavSystem(r.sat.sys);
    if (facts->validity > 0) return facts->validity;
    const double fit = r.v[NavField::FitInterval];
    return fit >= 4 ? fit / 2 * Hour : 2 * Hour;
}

// Why a record is left out; nullptr when it is kept.
const char* ParseRecord(const RecordText& rec, const NavForm& form, NavRecord& r)
{
    if (!RecordSat(rec.line[0], form, r.sat)) return "NO SATELLITE";
    const NavSystemFacts* facts = NavSystem(r.sat.sys);
    if (!facts) return "SYSTEM NOT KNOWN";
    if (NavSatKey(r.sat) < 0) return "SATELLITE NUMBER OUT OF RANGE";
    const int lines = LinesOf(facts->kind);
    if (rec.n < lines) return "RECORD CUT SHORT";
    double epoch = 0;
    if (!RecordEpoch(rec.line[0], form, epoch)) return "NO VALID EPOCH";
    int k = 0;
    for (int l = 0; l < lines; l++)
        for (int f = l == 0 ? 1 : 0; f < 4; f++, k++) {
            const std::size_t col =
                (l == 0 ? form.FirstValueColumn() - 19 : form.NextValueColumn()) + 19 * f;
            if (!NavNumber(Columns(rec.line[l], col, 19), r.v[k])) return "FIELD IS NO NUMBER";
        }
    if (!IsOrbit(r, facts->kind)) return "ORBIT OUT OF RANGE";
    r.clockEpoch = ShiftToGps(epoch, facts->scale, form.leapSeconds);
    r.refEpoch = r.clockEpoch;
    if (facts->kind == OrbitKind::Kepler) {
        r.toeOfWeek = r.v[NavField::Toe];
        r.refEpoch = ShiftToGps(ToeEpoch(epoch, r.toeOfWeek), facts->scale, form.leapSeconds);
    }
    r.healthy = IsHealthy(r);
    PrepareOrbit(r);
    return nullptr;
}

[[noreturn]] void NavError(const std::string& text)
{
    ClassFrame("####", "BroadcastNav", "Error", text.c_str(), "Exiting BroadcastNav", false);
    ExitProgram();
}

void NavWarning(const std::string& text)
{
    ClassFrame("####", "BroadcastNav", "Warning", text.c_str(), "Continuing BroadcastNav", true);
}

std::string Label(std::string_view line) { return std::string(Trimmed(Columns(line, 61, 20))); }

// What the first line says the file is, for the message that refuses it.
std::string KindText(std::string_view line)
{
    if (line.find("COMPACT RINEX") != std::string_view::npos) return "A COMPACT RINEX FILE";
    if (Label(line) != "RINEX VERSION / TYPE") return "NO RINEX FILE";
    return "RINEX " + std::string(Trimmed(Columns(line, 1, 9))) + " " +
           std::string(Trimmed(Columns(line, 21, 20)));
}

// The form of the file from its version line; false for a file that is no navigation file
// the store reads.
bool NavFormOf(std::string_view line, NavForm& form)
{
    if (Label(line) != "RINEX VERSION / TYPE") return false;
    form.version = static_cast<int>(std::lround(ColumnsNum(line, 1, 9) * 100));
    const char type = Column(line, 21);
    if (form.version >= 200 && form.version <= 212) {
        for (const auto& t : Rinex2Types)
            if (t.type == type) form.letter = t.letter;
        return form.letter != ' ';
    }
    const bool later = (form.version >= 300 && form.version <= 305) ||
                       (form.version >= 400 && form.version <= 402);
    return later && (type == 'N' || type == 'G' || type == 'H');
}

void ReadHeader(TextLines& lines, const std::string& name, NavForm& form)
{
    std::string_view line;
    if (!lines.Next(line)) NavError("NAVIGATION FILE " + name + " IS EMPTY!");
    if (!NavFormOf(line, form))
        NavError("ONLY RINEX 2, 3.00-3.05 AND 4.00-4.02 NAVIGATION FILES ARE READ - " + name +
                 " IS " + KindText(line) + "!");
    while (lines.Next(line)) {
        const std::string label = Label(line);
        if (label == "END OF HEADER") return;
        int leap = 0;
        if (label == "LEAP SECONDS" && NavInt(Columns(line, 1, 6), leap)) form.leapSeconds = leap;
    }
    NavError("NAVIGATION FILE " + name + " HAS NO END OF HEADER!");
}

bool StartsRecord(std::string_view line, const NavForm& form)
{
    return form.Rinex2() ? !IsBlank(Columns(line, 1, 2)) : Column(line, 1) != ' ';
}

// A RINEX 4 record line "> EPH G01 LNAV" of a message the store keeps: the message is a whole
// word of the blank-framed list of its system.
bool IsKeptEphemeris(std::string_view line)
{
    const NavSystemFacts* facts = NavSystem(Column(line, 7));
    const std::string_view message = Trimmed(Columns(line, 11, 4));
    if (Columns(line, 1, 6) != "> EPH " || !facts || message.empty()) return false;
    const std::string_view kept = facts->rinex4Messages;
    for (std::size_t at = kept.find(message); at != std::string_view::npos;
         at = kept.find(message, at + 1))
        if (kept[at - 1] == ' ' && kept[at + message.size()] == ' ') return true;
    return false;
}

// The records of the text after the header, each handed to take with its lines.
template <class Take> void ForEachRecord(TextLines& lines, const NavForm& form, Take take)
{
    RecordText rec;
    bool open = false;
    bool skipping = form.Rinex4(); // RINEX 4: every line up to a kept EPH record line
    auto close = [&] {
        if (open) take(rec);
        open = false;
    };
    std::string_view line;
    while (lines.Next(line)) {
        if (form.Rinex4() && Column(line, 1) == '>') {
            close();
            skipping = !IsKeptEphemeris(line);
            continue;
        }
        if (skipping) continue;
        if (StartsRecord(line, form)) {
            close();
            rec = RecordText{};
            rec.line[rec.n++] = line;
            rec.firstLine = lines.Number();
            open = true;
        } else if (open) {
            if (rec.n < MaxRecordLines) rec.line[rec.n++] = line;
        } else if (!IsBlank(line)) {
            rec = RecordText{};
            rec.firstLine = lines.Number();
            take(rec); // a line that belongs to no record
        }
    }
    close();
}

} // namespace

const NavSystemFacts* NavSystem(char letter)
{
    const SatSystem* s = SystemOfLetter(letter);
    return s != nullptr ? &s->nav : nullptr;
}

int NavSatKey(NavSat sat)
{
    if (!NavSystem(sat.sys) || sat.prn < 1 || sat.prn > 99) return -1;
    return SatNumber(sat.sys, sat.prn);
}

double GpsSeconds(const mjd& t)
{
    return MjdSeconds(static_cast<long>(t.GetMJDay()), static_cast<double>(t.GetSecond()));
}

double GpsSecondsOfObsEpoch(const mjd& t, std::string_view timeSystem)
{
    const NavTimeScale scale = timeSystem.starts_with("BDT")   ? NavTimeScale::BDT
                               : timeSystem.starts_with("GLO") ? NavTimeScale::UTC
                                                               : NavTimeScale::GPST;
    return ShiftToGps(GpsSeconds(t), scale, -1);
}

int LeapSecondsAt(double utcSeconds)
{
    int leap = 0;
    for (const auto& l : LeapSeconds)
        if (utcSeconds >= CalendarSeconds(l.year, l.month, 1, 0, 0, 0)) leap = l.seconds;
    return leap;
}

void BroadcastNav::Read(const char* file)
{
    const std::string name = file;
    InputText input;
    if (!input.Load(file, "NAVIGATION FILE"))
        NavError("NAVIGATION FILE " + name + " CAN NOT BE OPENED!");
    const std::unique_ptr<std::istream> stream = input.Stream();
    TextLines lines(*stream);
    NavForm form;
    ReadHeader(lines, name, form);
    if (form.leapSeconds >= 0) leapSeconds = form.leapSeconds;
    long damaged = 0, kept = 0, firstDamagedLine = 0;
    const char* firstReason = nullptr;
    ForEachRecord(lines, form, [&](const RecordText& rec) {
        NavRecord r;
        const char* reason = rec.n == 0 ? "LINE OUTSIDE A RECORD" : ParseRecord(rec, form, r);
        if (!reason) {
            records.push_back(std::move(r));
            kept++;
        } else if (damaged++ == 0) {
            firstReason = reason;
            firstDamagedLine = rec.firstLine;
        }
    });
    if (damaged > 0)
        NavWarning("NAVIGATION FILE " + name + ": " + std::to_string(damaged) +
                   " DAMAGED RECORD(S) LEFT OUT, THE FIRST AT LINE " +
                   std::to_string(firstDamagedLine) + ": " + firstReason + "!");
    if (kept == 0) NavWarning("NAVIGATION FILE " + name + " GIVES NO RECORD!");
    Index();
}

void BroadcastNav::Index()
{
    std::stable_sort(records.begin(), records.end(), [](const NavRecord& a, const NavRecord& b) {
        const int ka = NavSatKey(a.sat), kb = NavSatKey(b.sat);
        return ka != kb ? ka < kb : a.refEpoch < b.refEpoch;
    });
    healthyOf.clear();
    firstHealthy.assign(NNavSatKeys + 1, 0);
    for (std::size_t i = 0; i < records.size(); i++)
        if (records[i].healthy) {
            healthyOf.push_back(static_cast<int>(i));
            firstHealthy[NavSatKey(records[i].sat) + 1]++;
        }
    for (int k = 0; k < NNavSatKeys; k++) firstHealthy[k + 1] += firstHealthy[k];
}

const NavRecord* BroadcastNav::Select(NavSat sat, double t) const
{
    const int key = NavSatKey(sat);
    if (key < 0 || healthyOf.empty()) return nullptr;
    const auto first = healthyOf.begin() + firstHealthy[key];
    const auto last = healthyOf.begin() + firstHealthy[key + 1];
    const auto after = std::lower_bound(
        first, last, t, [this](int i, double time) { return records[i].refEpoch < time; });
    const NavRecord* best = nullptr;
    for (auto it : {after - 1, after}) {
        if (it < first || it >= last) continue;
        const NavRecord& r = records[*it];
        const double dt = std::fabs(t - r.refEpoch);
        if (dt <= ValidityOf(r) && (!best || dt < std::fabs(t - best->refEpoch))) best = &r;
    }
    return best;
}

bool BroadcastNav::GlonassChannel(int slot, double t, int& channel) const
{
    const NavRecord* best = nullptr;
    for (const NavRecord& r : records) {
        if (r.sat.sys != 'R' || r.sat.prn != slot || Bits(r.v[NavField::Channel] + 7, 20) < 0)
            continue;
        if (!best || std::fabs(t - r.refEpoch) < std::fabs(t - best->refEpoch)) best = &r;
    }
    if (!best) return false;
    channel = static_cast<int>(best->v[NavField::Channel]);
    return true;
}

long BroadcastNav::Count(char sys) const
{
    return std::count_if(records.begin(), records.end(),
                         [sys](const NavRecord& r) { return r.sat.sys == sys; });
}
