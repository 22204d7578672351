// SPDX-License-Identifier: BSD-2-Clause
// The plan of a run, step by step in the order of its messages: the systems and their GLONASS
// channel sources, the list and its availability, the window, the grid, then the geometry of
// the navigation files.
#include "src/RunPlan.h"

#include "GNSS/SignalMap.h"
#include "GNSS/TimeConverse.h"
#include "GNSS/mGNSSc.h"
#include "GNSS/ymdhms.h"
#include "GNSSf/GNSS_SetGLNFreq.h"
#include "PROGINC/ProgramError.h"
#include "src/ListCodes.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <sstream>
#include <string>

long RunPlan::Available() const
{
    return std::count_if(list.begin(), list.end(), [](const ListEntry& e) { return e.available; });
}

long double RunPlan::GridOffset(const mjd& e) const
{
    const long double q = (e.GetSecond() - grid.origin) / interval;
    return std::fabs((q - std::round(q)) * interval);
}

bool RunPlan::IsListedEpoch(const mjd& e, long double maxClockError) const
{
    return start <= e && e <= end && GridOffset(e) < maxClockError;
}

unsigned long StoredTypes(const RINEX& file)
{
    unsigned long types = file.rdata.present.to_ulong();
    for (const StandIn& s : file.facts.standIns) types |= TypeBit(s.missing);
    return types;
}

unsigned long TypesToRead(const RunSettings& s, const SystemSet& systems)
{
    // Without -l every header type is listed. The fields of the other types are never stored: a
    // typical list of a file with many types reads and holds half of them.
    if (!s.codes) return ~0UL;
    auto on = [&systems](const SatSystem& sys) { return systems[RowOf(sys)]; };
    unsigned long types = 0;
    for (int n : *s.codes) {
        const ListCode& code = ListCodes()[static_cast<std::size_t>(n)];
        types |= code.needs;
        for (const SatSystem& sys : SatSystems)
            if (on(sys)) types |= PairTypes(sys, s.PairOf(sys), code.roles);
    }
    if (s.removeClockJumps) types |= TypeBit(tC1) | TypeBit(tL1) | TypeBit(tL2) | TypeBit(tP2);
    if (s.mp1File) types |= TypeBit(tC1) | TypeBit(tP1);
    if (s.mp2File) types |= TypeBit(tP2);
    return types & HeaderTypeBits;
}

unsigned long PositionTypes(const RunSettings& s, const SystemSet& systems)
{
    if (s.position || s.navFiles.empty()) return 0;
    unsigned long types = 0;
    for (const SatSystem& sys : SatSystems)
        if (systems[RowOf(sys)]) types |= PairTypes(sys, s.PairOf(sys), FirstC | FirstP);
    return types & HeaderTypeBits;
}

namespace {

void SwitchOffWithoutChannels(RunPlan& plan, const SatSystem& s)
{
    ProgramWarning(ProgName, "GLONASS SATELITE SYSTEM SET BUT WITHOUT FREQUENCY CHANNEL FILE (NOT "
                             "USING GLONASS)!");
    plan.systems[RowOf(s)] = false;
}

// A choice of -i that the file cannot meet for a system switched on is named once: its band is
// read from the default signals instead, wholly or for some types.
void WarnUnmetChoices(const RunPlan& plan, const RunSettings& s, const RINEXHeader& h)
{
    for (const SignalChoice& c : s.signalChoices) {
        const SatSystem* sys = SystemOfLetter(c.system);
        if (sys == nullptr || !plan.IsOn(*sys)) continue;
        const ChoiceMet met = HowMet(h, c);
        if (met.any && met.others.empty()) continue;
        ProgramWarning(ProgName, ("SIGNAL CHOICE \"" + ChoiceText(c) +
                                  "\" OF OPTION -i IS NOT IN THE RINEX FILE" +
                                  (met.any ? " FOR" + met.others : "") + " - DEFAULT SIGNALS USED!")
                                     .c_str());
    }
}

// True when the store holds every type of the set.
bool Holds(unsigned long stored, unsigned long types)
{
    return (types & ~HeaderTypeBits) == 0 && (types & ~stored) == 0;
}

// A code is available where the file has its types, or for a combination the types of the
// pair of some system switched on; the angles where navigation files are given.
bool IsAvailable(int n, const RunPlan& plan, const RunSettings& s, unsigned long stored)
{
    const ListCode& code = ListCodes()[static_cast<std::size_t>(n)];
    if (code.roles == 0)
        return code.needs == GeometryBit ? !s.navFiles.empty() : Holds(stored, code.needs);
    return std::any_of(SatSystems.begin(), SatSystems.end(), [&](const SatSystem& sys) {
        return plan.IsOn(sys) &&
               Holds(stored, code.needs | PairTypes(sys, s.PairOf(sys), code.roles));
    });
}

// Without -l every header type that has a raw code is listed, available. The band-3 types C3,
// L3, S3 and D3 (and types this system does not know) have no column, so they are left out.
std::vector<ListEntry> ListOf(const RunSettings& s, const RINEXHeader& h, Progress& progress)
{
    std::vector<ListEntry> list;
    if (s.codes) {
        for (int code : *s.codes) list.push_back({code, false});
        return list;
    }
    progress.Line("ReadFile") << " setting OBSERVATION TYPES - all types in RINEX file:";
    for (long i = 0; i < h.nobs; i++)
        if (const int code = RawCodeOfType(h.obs(i)); code >= 0) list.push_back({code, true});
    progress.More() << std::setw(5) << list.size() << " obs types!\n";
    return list;
}

void TakeWindowFromFile(RunPlan& plan, const RunSettings& s, const RINEX& file, Progress& progress)
{
    const RINEXData& d = file.rdata;
    plan.start = s.start.value_or(d.GetMJD(0));
    if (!s.start)
        progress.Line("ReadFile") << " setting START epoch:" << mjd2ymdhms(plan.start) << "!\n";
    plan.end = s.end.value_or(d.GetMJD(d.GetNEpoch() - 1));
    if (!s.end) progress.Line("ReadFile") << " setting END epoch:" << mjd2ymdhms(plan.end) << "!\n";
    plan.satellites = s.satellites ? s.satellites->prn : d.satList;
    if (!s.satellites)
        progress.Line("ReadFile") << " setting SATTELLITES - all satellites in RINEX file:"
                                  << std::setw(5) << plan.satellites.NRow() << " satellites!\n";
    plan.interval = s.interval.value_or(file.facts.interval);
    if (!s.interval)
        progress.Line("ReadFile") << " setting TIME INTERVAL - from RINEX file:" << std::fixed
                                  << std::setprecision(2) << std::setw(8) << plan.interval
                                  << " s!\n";
}

// "10:00:00", or "2022-06-08 10:00:00" where the epoch is not of the day of `day`; a fraction
// of the second where there is one.
std::string SpanTime(const mjd& e, const mjd& day)
{
    std::ostringstream text;
    text << WithDecimals(mjd2ymdhms(e), 3);
    std::string t = text.str().substr(text.str().find_first_not_of(' '));
    if (t.ends_with(".000")) t.resize(t.size() - 4);
    return e.GetMJDay() == day.GetMJDay() ? t.substr(t.find(' ') + 1) : t;
}

// The epochs read inside a span.
long EpochsIn(const RINEXData& d, const mjd& start, const mjd& end)
{
    long n = 0;
    for (long j = 0; j < d.GetNEpoch(); j++)
        if (start <= d.epoch(j) && d.epoch(j) <= end) n++;
    return n;
}

// A file that ends early is said once; the span the summary counts over is kept where it is
// not the listed window.
void PlanNominalSpan(RunPlan& plan, const RunSettings& s, const RINEX& file)
{
    plan.nominal.reset();
    const std::optional<NominalSpan> span = ShortOfNominalSpan(file.rhead, file.facts, s.rinexFile);
    if (!span) return;
    ProgramWarning(ProgName,
                   ("RINEX FILE " + s.rinexFile + " HOLDS " +
                    std::to_string(EpochsIn(file.rdata, span->start, span->end)) + " OF THE " +
                    std::to_string(span->epochs) + " EPOCHS OF ITS NOMINAL SPAN " +
                    SpanTime(span->start, span->start) + "-" + SpanTime(span->end, span->start) +
                    " (" + span->source + ") - ITS LAST EPOCH IS " +
                    SpanTime(file.facts.last, span->start) + "!")
                       .c_str());
    NominalSpan counted = *span;
    if (s.start) counted.start = plan.start;
    if (s.end) counted.end = plan.end;
    // a window of -s and -e that lies apart from the span leaves nothing to count over
    if (counted.end - counted.start < 0) return;
    if (counted.start - plan.start != 0 || counted.end - plan.end != 0) plan.nominal = counted;
}

} // namespace

void DecideChannelSources(RunPlan& plan, const RunSettings& s, RINEX& rnx,
                          const std::filesystem::path& programFolder)
{
    plan.systems = s.systems;
    plan.channels.file = s.channelFile.has_value();
    for (const SatSystem& sys : SatSystems) {
        if (!sys.channels || !plan.IsOn(sys)) continue;
        if (!plan.channels.file)
            plan.channels.header = rnx.HasHeaderGlonassChannels(s.rinexFile.c_str());
        // the installed table is the default of a run without a channel file of its own
        if (!plan.channels.file) plan.channels.table = InstalledChannelTable(programFolder);
        // the navigation files may give the channels: decided when they are read
        if (plan.channels.Any() || !s.navFiles.empty()) continue;
        SwitchOffWithoutChannels(plan, sys);
    }
}

std::vector<ListEntry> PlanList(const RunSettings& s, const RunPlan& plan, const RINEXHeader& h,
                                unsigned long stored, Progress& progress)
{
    std::vector<ListEntry> list = ListOf(s, h, progress);
    progress.Line("ReadFile") << " checking available observations in file:";
    for (ListEntry& e : list) {
        e.available = e.available || IsAvailable(e.code, plan, s, stored);
        progress.More() << " " << ListCodes()[static_cast<std::size_t>(e.code)].column << "["
                        << (e.available ? "+" : "-") << "]";
    }
    progress.More() << "\n";
    return list;
}

void PlanListing(RunPlan& plan, const RunSettings& s, const RINEX& file, Progress& progress)
{
    const RINEXHeader& h = file.rhead;
    if (h.IsRinex3())
        WarnUnmetChoices(plan, s, h);
    else if (!s.signalChoices.empty())
        ProgramWarning(ProgName, "SIGNAL CHOICE [-i] APPLIES TO RINEX 3 AND 4 FILES ONLY - NOT "
                                 "USED FOR THIS RINEX 2 FILE!");
    plan.list = PlanList(s, plan, h, StoredTypes(file), progress);
    TakeWindowFromFile(plan, s, file, progress);
    PlanNominalSpan(plan, s, file);
}

// ---------------------------------------------------------------------------------------------
// The grid

namespace {

// Seconds as a short decimal: 30, 0.1, 0.4427602.
std::string Seconds(long double s)
{
    std::ostringstream text;
    text.precision(7);
    text << static_cast<double>(s);
    return text.str();
}

struct GridCount {
    long window = 0;         // epochs inside the window
    long onGrid = 0;         // of those, the ones within the clock error of the grid
    long double largest = 0; // the largest offset of the others
    mjd first;               // the first epoch inside the window
};

GridCount CountOnGrid(const RunPlan& plan, const RunSettings& s, const RINEXData& d)
{
    GridCount c;
    for (long j = 0; j < d.GetNEpoch(); j++) {
        const mjd& e = d.epoch(j);
        if (!(plan.start <= e && e <= plan.end)) continue;
        if (c.window++ == 0) c.first = e;
        const long double off = plan.GridOffset(e);
        if (off < s.maxClockError)
            c.onGrid++;
        else if (off > c.largest)
            c.largest = off;
    }
    return c;
}

} // namespace

// Epochs dropped by a grid the user did not choose are never dropped unseen. A receiver that
// does not steer its clock puts every epoch the same part of a second off the grid from 00:00:
// then the grid is counted from the first epoch, so that the file lists at its own interval.
void PlanGrid(RunPlan& plan, const RunSettings& s, const RINEXData& d, Progress& progress)
{
    plan.grid = Grid{};
    const long double dt = plan.interval;
    // with -t the grid is the one asked for; an interval of 0 (or none) gives no grid at all
    if (s.interval || !std::isfinite(dt) || dt == 0) return;
    GridCount c = CountOnGrid(plan, s, d);
    const std::string clock = Seconds(s.maxClockError);
    const std::string options = " (-d SETS THE CLOCK ERROR, -t THE INTERVAL)!";
    if (c.window > 0 && c.onGrid == 0) {
        plan.grid = {c.first.GetSecond(), c.first};
        std::ostringstream first;
        first << WithDecimals(mjd2ymdhms(c.first), 3);
        const std::string firstText = first.str().substr(first.str().find_first_not_of(' '));
        ProgramWarning(ProgName,
                       ("NO EPOCH IN THE TIME WINDOW LIES WITHIN " + clock + " S OF THE GRID OF " +
                        Seconds(dt) + " S FROM 00:00 (LARGEST OFFSET " + Seconds(c.largest) +
                        " S) - THE GRID IS COUNTED FROM THE FIRST EPOCH, " + firstText + "," +
                        options)
                           .c_str());
        progress.Line("ReadFile") << " setting GRID - from the first epoch: " << firstText << "!\n";
        c = CountOnGrid(plan, s, d);
    }
    if (c.onGrid < c.window)
        ProgramWarning(
            ProgName, (std::to_string(c.window - c.onGrid) + " OF " + std::to_string(c.window) +
                       " EPOCHS IN THE TIME WINDOW LIE MORE THAN " + clock + " S OFF THE GRID OF " +
                       Seconds(dt) + " S AND ARE NOT LISTED (LARGEST OFFSET " + Seconds(c.largest) +
                       " S)" + options)
                          .c_str());
}

// ---------------------------------------------------------------------------------------------
// The geometry of the navigation files

namespace {

// The codes of a few epochs spread over the file, for a single-point position: one epoch may
// have too few satellites with records, and the mean of several is steadier.
constexpr long PositionEpochs = 10;

// The channel table installed with the program, read when a slot first needs it.
class InstalledTable {
  public:
    explicit InstalledTable(const std::optional<std::string>& p) : path(p) {}
    std::optional<long double> ChannelAt(short s, const mjd& first)
    {
        if (!path) return std::nullopt;
        if (!read) {
            table.SetFile(path->c_str());
            table.ReadFile();
            read = true;
        }
        return table.ChannelAt(s, first);
    }

  private:
    const std::optional<std::string>& path;
    GLNSat table;
    bool read = false;
};

constexpr const char* FromTable = "FROM INSTALLED TABLE";

// Where the channel of slot s comes from, added to the channel table where it was missing;
// nullptr when no source has it.
const char* TakeChannel(ChannelSources& sources, short s, const mjd& first, const RINEX& file,
                        GLNSat& channels, const BroadcastNav& nav, InstalledTable& table)
{
    const RINEXHeader& h = file.rhead;
    if (sources.file || sources.header) {
        channels.GetFreqNum(s, first);
        if (channels.GetIsGLNSat()) return sources.file ? "FROM CHANNEL FILE" : "FROM RINEX HEADER";
    }
    for (const GlonassSlotChannel& slot : h.glonassSlots)
        if (slot.sat == s) {
            channels.AddChannel(s, slot.channel);
            return "FROM RINEX HEADER";
        }
    int channel = 0;
    if (nav.GlonassChannel(
            SatPrn(s), GpsSecondsOfObsEpoch(first, file.facts.firstTimeSystem.c_str()), channel)) {
        channels.AddChannel(s, channel);
        sources.nav = true;
        return "FROM NAVIGATION FILES";
    }
    if (const std::optional<long double> k = table.ChannelAt(s, first)) {
        channels.AddChannel(s, static_cast<int>(std::lround(*k)));
        return FromTable;
    }
    return nullptr;
}

// The installed table is named once, and kept in the plan only where a slot used it.
void SayTableUsed(ChannelSources& sources, long slots)
{
    if (slots == 0) {
        sources.table.reset();
        return;
    }
    ProgramWarning(ProgName, ("GLONASS FREQUENCY CHANNELS OF " + std::to_string(slots) +
                              (slots == 1 ? " SLOT" : " SLOTS") +
                              " TAKEN FROM THE INSTALLED TABLE " + *sources.table +
                              " - NO CHANNEL FILE [-gf], RINEX HEADER OR NAVIGATION FILE GIVES "
                              "THEM!")
                                 .c_str());
}

// Each GLONASS slot of the file takes its channel from the channel file, else from the RINEX
// header, else from the navigation records nearest the first epoch, else from the installed
// table. Without any channel the system is switched off as without a channel file. The source of
// each slot is said with -v where navigation files were given or the slot used the table.
void CompleteGlonassChannels(RunPlan& plan, const RunSettings& settings, const RINEX& file,
                             GLNSat& channels, const BroadcastNav& nav, Progress& progress)
{
    const RINEXData& d = file.rdata;
    const mjd first = d.GetMJD(0);
    if (!plan.channels.file && !plan.channels.header) channels.SetHeaderChannels({});
    InstalledTable table(plan.channels.table);
    const bool tableFound = plan.channels.table.has_value();
    long fromTable = 0, notFound = 0;
    for (const SatSystem& sys : SatSystems) {
        if (!sys.channels || !plan.IsOn(sys)) continue;
        for (long i = 0; i < d.satList.Length(); i++) {
            const short s = d.satList(i);
            if (SystemOf(s) != &sys || !GLONASSc::HasSlot(s)) continue;
            const char* from = TakeChannel(plan.channels, s, first, file, channels, nav, table);
            fromTable += from == FromTable;
            notFound += from == nullptr;
            if (!progress.On() || (settings.navFiles.empty() && from != FromTable)) continue;
            progress.Line("ReadFile") << " GLONASS " << SatId(s) << " FREQUENCY CHANNEL ";
            if (from != nullptr)
                progress.More() << static_cast<int>(channels.GetFreqNum(s, first)) << " " << from
                                << "\n";
            else
                progress.More() << "NOT FOUND\n";
        }
        if (plan.channels.table) SayTableUsed(plan.channels, fromTable);
        if (plan.channels.Any()) continue;
        // with the installed table at hand only a slot it lacks is a loss worth a warning
        if (!tableFound || notFound > 0)
            SwitchOffWithoutChannels(plan, sys);
        else
            plan.systems[RowOf(sys)] = false;
    }
}

// The first code of the pair of each record's system (its C code, else its P code) at a few
// epochs.
bool SinglePointPosition(const RunPlan& plan, const RunSettings& settings, const RINEX& file,
                         const BroadcastNav& nav, double xyz[3])
{
    const RINEXData& d = file.rdata;
    std::vector<CodeRange> codes;
    const long nepoch = d.GetNEpoch();
    const long step = std::max(1L, nepoch / PositionEpochs);
    long k = 0;
    for (long j = 0; j < nepoch; j++) {
        const long records = d.nsat(j);
        if (j % step == 0) {
            const double t = GpsSecondsOfObsEpoch(d.epoch(j), file.facts.firstTimeSystem.c_str());
            for (long r = k; r < k + records; r++) {
                const SatSystem* sys = SystemOf(d.sat(r));
                if (sys == nullptr || !plan.IsOn(*sys)) continue;
                const BandPair& pair = settings.PairOf(*sys);
                for (RINEXObsType type : {pair.firstCode, pair.firstPCode}) {
                    const matrix<gnssobs>* m = d.FullTable(type);
                    if (m == nullptr || m->Length() <= r || (*m)(r).IsNull()) continue;
                    codes.push_back(
                        {{sys->letter, SatPrn(d.sat(r))}, t, static_cast<double>((*m)(r).obs)});
                    break;
                }
            }
        }
        k += records;
    }
    return ::SinglePointPosition(nav, codes, xyz);
}

// The position of -w, else the header's APPROX POSITION XYZ, else a single-point position from
// the codes. Without one the rows have no angles and the cut-off cannot apply.
void LocateReceiver(RunPlan& plan, const RunSettings& s, const RINEX& file, const BroadcastNav& nav,
                    Progress& progress)
{
    const RINEXHeader& h = file.rhead;
    const std::array<double, 3> header = {static_cast<double>(h.X0.x), static_cast<double>(h.X0.y),
                                          static_cast<double>(h.X0.z)};
    Receiver r;
    if (s.position) {
        r = {*s.position, "manually set"};
    } else if (h.GivesPosition()) {
        r = {header, "from RINEX header"};
    } else if (SinglePointPosition(plan, s, file, nav, r.xyz.data())) {
        r.source = "single-point position";
    }
    if (r.source == nullptr) {
        ProgramWarning(ProgName, "RECEIVER POSITION UNKNOWN (NO -w, NO APPROX POSITION XYZ, NO "
                                 "SINGLE-POINT POSITION FROM THE CODES) - NO AZ AND EL!");
        return;
    }
    plan.receiver = r;
    plan.station.emplace(r.xyz.data());
    progress.Line("ReadFile") << " RECEIVER POSITION (" << r.source << "): " << std::fixed
                              << std::setprecision(3) << r.xyz[0] << " " << r.xyz[1] << " "
                              << r.xyz[2] << "\n";
}

// Navigation records are looked for at most this far apart over the window: closer than the
// validity of any system's record (GLONASS: 15 min either side).
constexpr double CoverageStep = 300;
constexpr long MaxCoverageSamples = 2000;
// MJD of the GPS epoch, 1980-01-06.
constexpr unsigned long GpsEpochMjd = 44244;

std::string GpsTimeText(double gpsSeconds)
{
    mjd e;
    e.Set(GpsEpochMjd, 0);
    e += static_cast<long double>(std::floor(gpsSeconds));
    std::ostringstream text;
    text << WithDecimals(mjd2ymdhms(e), 0);
    return text.str().substr(text.str().find_first_not_of(' '));
}

std::string EpochText(const mjd& e)
{
    std::ostringstream text;
    text << WithDecimals(mjd2ymdhms(e), 0);
    return text.str().substr(text.str().find_first_not_of(' '));
}

// Whether a record serves some satellite of sys of the plan at one of the times looked at.
bool IsCovered(const SatSystem& sys, const RunPlan& plan, const RunSettings& s,
               const BroadcastNav& nav, double t0, double t1)
{
    const double step = std::max(CoverageStep, (t1 - t0) / MaxCoverageSamples);
    for (long i = 0; i < plan.satellites.NRow(); i++) {
        const short sat = plan.satellites(i);
        if (SystemOf(sat) != &sys || s.Excludes(sat)) continue;
        for (double t = t0;; t = std::min(t + step, t1)) {
            if (nav.Select(NavSat{sys.letter, SatPrn(sat)}, t) != nullptr) return true;
            if (t >= t1) break;
        }
    }
    return false;
}

bool HasSatellites(const SatSystem& sys, const RunPlan& plan, const RunSettings& s)
{
    for (long i = 0; i < plan.satellites.NRow(); i++)
        if (SystemOf(plan.satellites(i)) == &sys && !s.Excludes(plan.satellites(i))) return true;
    return false;
}

// "2020-05-15 00:00:00 - 2020-05-16 00:00:00": the epochs of the system's records (their clock
// epochs, as the record lines write them).
std::string NavSpanText(const SatSystem& sys, const BroadcastNav& nav)
{
    double first = 0, last = 0;
    bool any = false;
    for (const NavRecord& r : nav.Records()) {
        if (r.sat.sys != sys.letter) continue;
        first = any ? std::min(first, r.clockEpoch) : r.clockEpoch;
        last = any ? std::max(last, r.clockEpoch) : r.clockEpoch;
        any = true;
    }
    if (!any) return std::string("THE NAVIGATION FILES HOLD NO ") + sys.name + " RECORD";
    return std::string("ITS NAVIGATION RECORDS SPAN ") + GpsTimeText(first) + " - " +
           GpsTimeText(last) + " (GPS TIME)";
}

// Each system listed whose satellites no record serves in the window is said once.
void PlanNavCoverage(RunPlan& plan, const RunSettings& s, const RINEX& file,
                     const BroadcastNav& nav)
{
    plan.withoutEphemeris = {};
    const char* ts = file.facts.firstTimeSystem.c_str();
    const double t0 = GpsSecondsOfObsEpoch(plan.start, ts), t1 = GpsSecondsOfObsEpoch(plan.end, ts);
    for (const SatSystem& sys : SatSystems) {
        if (!plan.IsOn(sys) || !HasSatellites(sys, plan, s) || IsCovered(sys, plan, s, nav, t0, t1))
            continue;
        plan.withoutEphemeris[RowOf(sys)] = true;
        ProgramWarning(ProgName, (std::string("NO USABLE BROADCAST EPHEMERIS OF ") + sys.name +
                                  " IN THE OBSERVATION SPAN " + EpochText(plan.start) + " - " +
                                  EpochText(plan.end) + ": " + NavSpanText(sys, nav) +
                                  " - NO AZ AND EL FOR ITS SATELLITES!")
                                     .c_str());
    }
}

bool AnglesNeeded(const RunPlan& plan, const RunSettings& s)
{
    return s.cutOff || std::any_of(plan.list.begin(), plan.list.end(), [](const ListEntry& e) {
               return e.available && IsAngleCode(e.code);
           });
}

// A cut-off that cannot cut is a failure: no row would have an elevation.
void CheckCutOffCanApply(const RunPlan& plan, const RunSettings& s)
{
    if (!s.cutOff) return;
    const bool anyCovered =
        std::any_of(SatSystems.begin(), SatSystems.end(), [&](const SatSystem& sys) {
            return plan.IsOn(sys) && HasSatellites(sys, plan, s) &&
                   !plan.withoutEphemeris[RowOf(sys)];
        });
    if (plan.station && anyCovered) return;
    ProgramError(ProgName, (std::string("ELEVATION CUT-OFF [-k] CANNOT APPLY: NO ROW HAS AN "
                                        "ELEVATION (") +
                            (plan.station ? "NO USABLE BROADCAST EPHEMERIS IN THE OBSERVATION SPAN"
                                          : "RECEIVER POSITION UNKNOWN") +
                            ") - NO RESULT FILE WRITTEN!")
                               .c_str());
}

} // namespace

void PlanGeometry(RunPlan& plan, const RunSettings& s, const RINEX& file, GLNSat& channels,
                  const BroadcastNav& nav, Progress& progress)
{
    // without navigation files the channel file or the header stands alone, as ever
    if (!s.navFiles.empty() || plan.channels.table)
        CompleteGlonassChannels(plan, s, file, channels, nav, progress);
    if (s.navFiles.empty()) return;
    LocateReceiver(plan, s, file, nav, progress);
    if (plan.station && AnglesNeeded(plan, s)) PlanNavCoverage(plan, s, file, nav);
    CheckCutOffCanApply(plan, s);
}
