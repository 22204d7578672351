// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/RINEXData.h"

#include "GNSS/RINEXf.h"
#include "GNSS/SatConstants.h"
#include "GNSS/SatSystem.h"
#include "GNSS/TimeConverse.h"
#include "GNSS/ymdhms.h"
#include "PROGINC/ProgramError.h"
#include "PROGINC/cstringf.h"
#include "matrix/UniqList.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

namespace {

// Every observation field is 16 characters: F14.3, the loss-of-lock digit, the strength digit.
constexpr std::size_t FieldWidth = 16;

// The field of line from offset at on into its entry, read where it stands. A line that ends
// inside the field (trailing blanks are often left out) reads the missing characters as blanks.
template <class Obs> void ReadField(Obs& o, std::string_view line, std::size_t at)
{
    const std::size_t from = std::min(at, line.size());
    o.Read(line.data() + from, std::min(line.size() - from, FieldWidth));
}

// A field into the entry of its type, divided by the scale factor of its code.
template <class Obs>
void StoreScaled(Obs& o, std::string_view line, std::size_t at, long double divisor)
{
    ReadField(o, line, at);
    if (divisor != 1) o.obs /= divisor;
}

// Columns 33 on, at most width characters, without trailing blanks.
void AppendSatPiece(std::string& list, std::string_view line, std::size_t width)
{
    std::string_view piece = Columns(line, 33, width);
    const std::size_t last = piece.find_last_not_of(' ');
    list.append(piece.substr(0, last == std::string_view::npos ? 0 : last + 1));
}

} // namespace

RINEXData::RINEXData(RINEXHeader& rheadi) : rhead(rheadi) { RINEXDataReset(); }

void RINEXData::RINEXDataReset()
{
    nepochall = 0;
    nsatall = 0;
    signals.Clear();
    IfTimeCorr = false;
    epoch.Resize(0, 0);
    flag.Resize(0, 0);
    nsat.Resize(0, 0);
    sat.Resize(0, 0);
    satList.Resize(0, 0);
    TCorr.Resize(0, 0);
    for (ObsTable& t : tables) {
        t.full.Resize(0, 0);
        t.value.Resize(0, 0);
    }
    present.reset();
    spacing = 0;
}

void RINEXData::SetNRecords(unsigned long ne, unsigned long ns)
{
    nepochall = static_cast<long>(ne);
    nsatall = static_cast<long>(ns);
}

const matrix<gnssobs>* RINEXData::FullTable(unsigned short t) const
{
    return t < NObsTypes && KeepsFlags(ObsTypes[t].kind) ? &tables[t].full : nullptr;
}

void RINEXData::MakeStandIn(const StandIn& s)
{
    present[s.missing] = present[s.by];
    if (s.systems.empty()) {
        tables[s.missing].full = tables[s.by].full;
        return;
    }
    // the records of the other systems keep what they hold (nothing, where the type is missing)
    const matrix<gnssobs>& by = tables[s.by].full;
    matrix<gnssobs>& missing = tables[s.missing].full;
    if (by.Length() == 0) return;
    if (missing.Length() == 0) missing.Resize(nsatall, 1);
    for (long k = 0; k < nsatall; k++) {
        const SatSystem* sys = SystemOf(sat(k));
        if (sys != nullptr && s.systems.find(sys->letter) != std::string::npos) missing(k) = by(k);
    }
}

void RINEXData::SetData(const ObsTypeSet& stored)
{
    // every entry gets a defined value, also those the reading might not reach
    epoch.Resize(nepochall, 1, mjd());
    flag.Resize(nepochall, 1, ' ');
    nsat.Resize(nepochall, 1, 0);
    TCorr.Resize(IfTimeCorr ? nepochall : 0, 1, 0);
    sat.Resize(nsatall, 1, 0);
    for (ObsTable& t : tables) {
        t.full.Resize(0, 0);
        t.value.Resize(0, 0);
    }
    present.reset();
    keptFields.clear();
    for (unsigned short k = 0; k < rhead.nobs; k++) {
        const unsigned short code = rhead.obs(k);
        if (code >= NObsTypes || !ObsTypes[code].stored || !stored[code]) continue;
        keptFields.push_back({k, code, 1});
        if (present[code]) continue;
        present.set(code);
        // new elements are missing observations already: no second pass over the tables
        if (KeepsFlags(ObsTypes[code].kind))
            tables[code].full.Resize(nsatall, 1);
        else
            tables[code].value.Resize(nsatall, 1);
    }
}

void RINEXData::GrowEpochs(long e)
{
    epoch.Grow(e + 1);
    flag.Grow(e + 1);
    nsat.Grow(e + 1);
    if (IfTimeCorr) TCorr.Grow(e + 1);
}

void RINEXData::GrowRecords(long r)
{
    sat.Grow(r);
    for (unsigned short t = 0; t < NObsTypes; t++)
        if (present[t] && KeepsFlags(ObsTypes[t].kind))
            tables[t].full.Grow(r);
        else if (present[t])
            tables[t].value.Grow(r);
}

void RINEXData::TrimTables()
{
    epoch.Trim(nepochall);
    flag.Trim(nepochall);
    nsat.Trim(nepochall);
    TCorr.Trim(nepochall);
    sat.Trim(nsatall);
    for (ObsTable& t : tables) {
        t.full.Trim(nsatall);
        t.value.Trim(nsatall);
    }
}

void RINEXData::StoreField(const StoredField& f, long r, std::string_view line, std::size_t at)
{
    ObsTable& t = tables[f.type];
    if (KeepsFlags(ObsTypes[f.type].kind))
        StoreScaled(t.full(r), line, at, f.divisor);
    else
        StoreScaled(t.value(r), line, at, f.divisor);
}

void RINEXData::RINEXDataError(const char* warn)
{
    ClassFrame("####", "RINEXData", "Error", warn, "Exiting RINEXData", false);
    ExitProgram();
}

void RINEXData::RINEXDataWarning(const char* warn)
{
    ClassFrame("####", "RINEXData", "Warning", warn, "Continuing RINEXData", true);
}

void RINEXData::ReadRecords(std::istream& in)
{
    matrix<short> seen(NSatNumbers, 1, 0);
    ObsRecordLines rec(in, rhead.IsRinex3());
    std::string list; // reused for every record: no allocation per epoch
    untyped.clear();
    unknown.clear();
    cutEpoch.clear();
    long e = 0;
    long r = 0;
    long populated = 0; // the records whose entries are present in every table
    while (rec.NextEpoch()) {
        const std::string& epochLine = rec.EpochLine();
        unsigned short n = EpochCount(epochLine);
        // a file cut inside a record keeps the epochs before it; the cut one is left out
        if (!rec.TakeRecord(n, rhead.nobs)) {
            cutEpoch = epochLine;
            break;
        }
        // only the first epoch line tells whether the epoch lines carry clock offsets
        if (e == 0) IfTimeCorr = CarriesClockOffset(epochLine);
        GrowEpochs(e);
        GrowRecords(r + n);
        StoreEpoch(e, epochLine);
        if (!signals.Empty()) signals.AtEpoch(e);
        if (r + n > populated) populated = PopulateAhead(r);
        if (rhead.IsRinex3())
            ReadRecord3(rec, n, r);
        else
            ReadRecord2(rec, n, r, list);
        for (long k = r; k < r + n; k++)
            if (sat(k) != NoSatellite) seen(sat(k)) = sat(k);
        r += n;
        e++;
    }
    nepochall = e;
    nsatall = r;
    TrimTables();
    // the first distinct value is the 0 of the satellites that never occurred
    matrix<short> distinct = UniqList(seen);
    satList.Resize(distinct.NRow() - 1);
    for (long i = 1; i < distinct.NRow(); i++) satList(i - 1) = distinct(i);
    for (const StandIn& s : StandInsOf(rhead))
        if (s.atReading) MakeStandIn(s);
}

void RINEXData::RequireRecords()
{
    if (nepochall == 0) RINEXDataError("NUMBER OF EPOCH IN RINEX FILE NOT DETERMINED!");
    if (nsatall == 0) RINEXDataError("NUMBER OF OBSERVATIONS IN RINEX FILE NOT DETERMINED!");
}

void RINEXData::ReadRecord2(ObsRecordLines& rec, unsigned short n, long r, std::string& list)
{
    ReadSatList(rec, n, list);
    for (unsigned short p = 0; p < n; p++) {
        sat(r + p) = SatelliteOf(Columns(list, 3U * p + 1, 3), rec.EpochLine());
        StoreObservations(rec, r + p);
    }
}

// One line a satellite: its identifier, then its fields in the order of its system's codes.
void RINEXData::ReadRecord3(ObsRecordLines& rec, unsigned short n, long r)
{
    for (unsigned short p = 0; p < n; p++) {
        std::string_view line = NextRecordLine(rec);
        // a line shorter than the identifier reads its missing characters as blanks
        char id[3] = {' ', ' ', ' '};
        std::memcpy(id, line.data(), std::min<std::size_t>(line.size(), 3));
        sat(r + p) = SatelliteOf(std::string_view(id, 3), rec.EpochLine());
        // the letter of the system the identifier names: a blank one is GPS, as in RINEX 2
        if (sat(r + p) != NoSatellite)
            StoreObservations3(r + p, SystemOf(sat(r + p))->letter, line);
    }
}

void RINEXData::StoreObservations3(long r, char system, std::string_view line)
{
    if (!signals.Empty()) signals.Store3(sat(r), system, line);
    const SystemFields* f = rhead.FieldsOf(system);
    if (f == nullptr) {
        if (untyped.find(system) != std::string::npos) return;
        untyped += system;
        RINEXDataWarning(
            ("SATELLITES OF SYSTEM " + std::string(1, system) +
             " HAVE NO \"SYS / # / OBS TYPES\" HEADER RECORD - THEIR OBSERVATIONS ARE NOT READ!")
                .c_str());
        return;
    }
    for (const StoredField& s : f->stored)
        if (present[s.type]) StoreField(s, r, line, FieldColumn3(s.field) - 1);
}

long RINEXData::PopulateAhead(long r)
{
    // a block of records whose entries fill about a megabyte of the widest table; smaller while
    // the file has given few records, so that a short file does not make megabytes present
    constexpr long Block = 1L << 15;
    const long n = std::min(Block, std::max(2 * r, 1L << 8));
    GrowRecords(r + n);
    sat.Populate(r, n);
    for (ObsTable& t : tables) {
        t.full.Populate(r, n);
        t.value.Populate(r, n);
    }
    return r + n;
}

void RINEXData::StoreEpoch(long e, const std::string& epochLine)
{
    unsigned short yr = 0, mon = 0, day = 0, hh = 0, mm = 0;
    long double sec = 0;
    ParseEpochLine(epochLine.c_str(), yr, mon, day, hh, mm, sec);
    ymdhms date;
    date.Set(yr, mon, day, hh, mm, sec);
    epoch(e) = ymdhms2mjd(date);
    nsat(e) = static_cast<short>(EpochCount(epochLine));
    flag(e) = EpochFlag(epochLine);
    obslast = epoch(e);
    if (IfTimeCorr) TCorr(e) = ClockOffset(epochLine);
    if (e > 0) RefineInterval(e);
}

void RINEXData::RefineInterval(long e)
{
    // seconds of day, so that a step across midnight never lowers the interval
    float d = static_cast<float>(std::fabs(epoch(e).GetSecond() - epoch(e - 1).GetSecond()));
    // two epochs at the same time say nothing about the spacing; a header interval of 0 says
    // nothing either
    if (d == 0) return;
    if (spacing <= 0 || spacing > d) spacing = d;
}

void RINEXData::ReadSatList(ObsRecordLines& rec, unsigned short n, std::string& list)
{
    // Up to 12 identifiers of 3 characters from column 33 of the epoch line and of each
    // continuation line. A piece ends where its line ends: a line holding fewer than 12 must not
    // shift the identifiers of the next one. An identifier ends in a digit, so dropping trailing
    // blanks (such as those before a clock offset) never cuts one.
    list.clear();
    AppendSatPiece(list, rec.EpochLine(), 3U * std::min<unsigned short>(n, 12));
    for (unsigned k = SatListLines(n); k > 0; k--) AppendSatPiece(list, NextRecordLine(rec), 36);
    // identifiers the lines do not hold read as blanks and are refused as such
    if (list.size() < 3U * n) list.resize(3U * n, ' ');
}

std::string_view RINEXData::NextRecordLine(ObsRecordLines& rec)
{
    std::string_view line;
    if (!rec.NextLine(line))
        RINEXDataError((TruncatedRecordText(rec.EpochLine().c_str()) + "!").c_str());
    return line;
}

short RINEXData::SatelliteOf(std::string_view id, const std::string& epochLine)
{
    // system letter, tens digit (blank for 0), units digit
    if (!(id[1] == ' ' || IsDigit(id[1])) || !IsDigit(id[2]))
        RINEXDataError(("SATELLITE IDENTIFIER \"" + std::string(id) + "\" OF EPOCH " +
                        EpochText(epochLine.c_str()) + " IS NOT VALID!")
                           .c_str());
    const short s = SatOfId(id);
    if (s == NoSatellite && unknown.find(id[0]) == std::string::npos) {
        unknown += id[0];
        RINEXDataWarning(("SATELLITES OF LETTER " + std::string(1, id[0]) +
                          " ARE OF NO SATELLITE SYSTEM KNOWN HERE - THEIR RECORDS ARE PASSED OVER!")
                             .c_str());
    }
    return s;
}

void RINEXData::StoreObservations(ObsRecordLines& rec, long r)
{
    // 5 observations of 16 characters a line: observation k is field k % 5 of line k / 5, and
    // columns past 80 are never read. Every line of the record is read, also those after the
    // last kept field.
    std::string_view line;
    unsigned read = 0;
    auto next = [&] {
        line = NextRecordLine(rec);
        if (!signals.Empty()) signals.Store2(sat(r), read, line);
    };
    for (const StoredField& f : keptFields) {
        for (; read <= f.field / 5U; read++) next();
        StoreField(f, r, line, FieldWidth * (f.field % 5U));
    }
    for (; read < ObsLines(rhead.nobs); read++) next();
}

namespace {

// One light-millisecond, metres: what a 1 ms jump of the receiver clock adds to every code.
constexpr long double MSm = 299792.458L;
// Satellites compared per epoch pair, at the most.
constexpr int MaxCommon = 100;
// An L1 wavelength at or below this is not a carrier's.
constexpr long double MinLamb = 0.01L;

// The L1 and L2 wavelengths of satellite sat. Only the systems whose pair is read from C1, P2,
// L1 and L2 (GPS, and the GLONASS slots with a known frequency) take part in the correction
// (true); all other satellites are left alone.
bool WavelengthsOf(short sat, const GlonassChannels& ch, long double& l1, long double& l2)
{
    const SatSystem* s = SystemOf(sat);
    if (s == nullptr || s->firstCode != tC1 || s->secondCode != tP2) return false;
    if (!s->channels) {
        l1 = s->Wavelength(1);
        l2 = s->Wavelength(2);
        return true;
    }
    const std::optional<long double> channel = ch.Of(sat);
    if (!channel) return false;
    l1 = s->Wavelength(1, channel);
    l2 = s->Wavelength(2, channel);
    return std::fabs(l1) > MinLamb;
}

// Record k holds an observation of type t; a type the store does not hold has none.
bool Has(const RINEXData& d, RINEXObsType t, long k) { return d.Has(t) && !d.Table(t)(k).IsNull(); }

// The step of table t from record k1 to record k2, times scale.
double Step(const matrix<gnssobs>& t, long k1, long k2, long double scale = 1)
{
    return static_cast<double>((t(k2).obs - t(k1).obs) * scale);
}

// Calls step(i, first1, first2) for every epoch i from 1 on; first1 and first2 are the first
// records of epochs i - 1 and i.
template <class EpochPair> void ForEpochPairs(const RINEXData& d, EpochPair step)
{
    long first1 = 0;
    for (long i = 1; i < d.nepochall; i++) {
        long first2 = first1 + d.nsat(i - 1);
        step(i, first1, first2);
        first1 = first2;
    }
}

// Calls pair(k1, k2, l1, l2) for the satellites common to epoch i - 1 (records from first1)
// and epoch i (from first2) whose records both pass usable: for each record of the earlier
// epoch the first such record of the later one, MaxCommon pairs at the most.
template <class Usable, class Pair>
void ForCommonSatellites(const RINEXData& d, const GlonassChannels& ch, long i, long first1,
                         long first2, Usable usable, Pair pair)
{
    int ncom = 0;
    for (long k1 = first1; k1 < first2 && ncom < MaxCommon; k1++) {
        long double l1, l2;
        if (!WavelengthsOf(d.sat(k1), ch, l1, l2) || !usable(k1)) continue;
        for (long k2 = first2; k2 < first2 + d.nsat(i); k2++) {
            if (d.sat(k2) != d.sat(k1) || !usable(k2)) continue;
            pair(k1, k2, l1, l2);
            ncom++;
            break;
        }
    }
}

// The receiver clock jump from epoch i - 1 to epoch i, metres, in whole light-milliseconds:
// the mean code-minus-phase step of both frequencies over the satellites whose two codes
// and two phases step alike (no slip, no code outlier). 0 when no satellite qualifies.
long double DualFrequencyJump(const RINEXData& d, const GlonassChannels& ch, long i, long first1,
                              long first2)
{
    auto usable = [&](long k) {
        return Has(d, tC1, k) && Has(d, tL1, k) && Has(d, tL2, k) && Has(d, tP2, k);
    };
    const matrix<gnssobs>&C1 = d.Table(tC1), &P2 = d.Table(tP2), &L1 = d.Table(tL1),
          &L2 = d.Table(tL2);
    double dCL = 0;
    int n = 0;
    ForCommonSatellites(d, ch, i, first1, first2, usable,
                        [&](long k1, long k2, long double l1, long double l2) {
                            double dC1 = Step(C1, k1, k2), dP2 = Step(P2, k1, k2);
                            double dL1 = Step(L1, k1, k2, l1), dL2 = Step(L2, k1, k2, l2);
                            if (std::fabs(dL2 - dL1) < 1 && std::fabs(dP2 - dC1) < 10) {
                                dCL += (dC1 - dL1) + (dP2 - dL2);
                                n += 2;
                            }
                        });
    if (n == 0) return 0;
    return std::round(dCL / n / MSm) * MSm;
}

// The code-minus-phase step of L1 from epoch i - 1 to epoch i, metres, when at least two
// satellites show a step of a whole, non-zero number of light-milliseconds (within about
// 3 m); that of the last of them counts. 0 otherwise.
long double SingleFrequencyJump(const RINEXData& d, const GlonassChannels& ch, long i, long first1,
                                long first2)
{
    auto usable = [&](long k) { return Has(d, tC1, k) && Has(d, tL1, k); };
    const matrix<gnssobs>&C1 = d.Table(tC1), &L1 = d.Table(tL1);
    int count = 0;
    double xslip = 0;
    ForCommonSatellites(
        d, ch, i, first1, first2, usable, [&](long k1, long k2, long double l1, long double) {
            double dCLnrm = static_cast<double>((Step(C1, k1, k2) - Step(L1, k1, k2, l1)) / MSm);
            double dCLnrmR = std::round(dCLnrm);
            if (std::fabs(dCLnrm) > 0.5 && std::fabs(dCLnrm - dCLnrmR) * 100000 < 1) {
                xslip = dCLnrmR;
                count++;
            }
        });
    return count > 1 ? xslip * MSm : 0;
}

// Adds a clock correction of metres to the L1 and L2 phases of the n records from first;
// GLONASS satellites only when withGlonass is set.
void ShiftPhases(RINEXData& d, const GlonassChannels& ch, long first, long n, long double metres,
                 bool withGlonass)
{
    for (long k = first; k < first + n; k++) {
        long double l1, l2;
        if (!WavelengthsOf(d.sat(k), ch, l1, l2) || (SystemOf(d.sat(k))->channels && !withGlonass))
            continue;
        if (Has(d, tL1, k)) d.Table(tL1)(k).obs += metres / l1;
        if (Has(d, tL2, k)) d.Table(tL2)(k).obs += metres / l2;
    }
}

} // namespace

// Every jump is found from the data as read; then each epoch's phases move by the sum of the
// jumps up to it, except the GLONASS phases of the jump epochs themselves.
ClockJumpRemoval RINEXData::CorrMSJumps(const GlonassChannels& channels)
{
    const std::vector<long double> Lcorr = MSJumps(channels);
    ClockJumpRemoval removal;
    long double MSCorr = 0;
    long first = 0;
    for (long i = 0; i < nepochall; i++) {
        if (std::fabs(Lcorr[i]) > 0.1L) removal.corrected.push_back(i);
        MSCorr += Lcorr[i];
        ShiftPhases(*this, channels, first, nsat(i), MSCorr, std::fabs(Lcorr[i]) <= 0.1L);
        first += nsat(i);
    }
    removal.jumps = removal.corrected;
    return removal;
}

std::vector<long double> RINEXData::MSJumps(const GlonassChannels& channels) const
{
    std::vector<long double> jumps(static_cast<std::size_t>(std::max(nepochall, 0L)), 0.0L);
    ForEpochPairs(*this, [&](long i, long first1, long first2) {
        jumps[i] = DualFrequencyJump(*this, channels, i, first1, first2);
    });
    return jumps;
}

// Each epoch is compared with the already corrected one before it, so an offset that stays
// in the codes is found and corrected again at every following epoch.
ClockJumpRemoval RINEXData::CorrMSJumpsSF(const GlonassChannels& channels)
{
    ClockJumpRemoval removal;
    long double before = 0; // the correction of the epoch before
    ForEpochPairs(*this, [&](long i, long first1, long first2) {
        long double MSCorr = SingleFrequencyJump(*this, channels, i, first1, first2);
        if (std::fabs(MSCorr) <= 0.0001L) MSCorr = 0;
        if (std::fabs(MSCorr - before) > 0.0001L) removal.jumps.push_back(i);
        before = MSCorr;
        if (MSCorr == 0) return;
        removal.corrected.push_back(i);
        ShiftPhases(*this, channels, first2, nsat(i), MSCorr, true);
    });
    return removal;
}

std::optional<ClockJumpRemoval> RINEXData::RemoveClockJumps(const GlonassChannels& channels)
{
    if (Has(tL2)) {
        if (!Has(tC1) || !Has(tL1) || !Has(tP2)) return std::nullopt;
        return CorrMSJumps(channels);
    }
    if (!Has(tC1) || !Has(tL1)) return std::nullopt;
    return CorrMSJumpsSF(channels);
}

std::istream& operator>>(std::istream& in, RINEXData& hd)
{
    hd.SetData();
    hd.ReadRecords(in);
    hd.RequireRecords();
    return in;
}
