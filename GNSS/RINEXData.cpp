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

using FullTable = matrix<gnssobs> RINEXData::*;
using ValueTable = matrix<gnssobsshort> RINEXData::*;

// The table of each header type code: codes and phases keep their loss-of-lock and
// signal-strength digits, Dopplers and signal strengths only the value. Band 3 has no table.
// clang-format off
const FullTable FullTables[NObsTypes] = {
    &RINEXData::C1, &RINEXData::P1, &RINEXData::L1, nullptr, nullptr,
    &RINEXData::C2, &RINEXData::P2, &RINEXData::L2, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr,
    &RINEXData::C5, &RINEXData::L5, nullptr, nullptr,
    &RINEXData::C6, &RINEXData::L6, nullptr, nullptr,
    &RINEXData::C7, &RINEXData::L7, nullptr, nullptr,
    &RINEXData::C8, &RINEXData::L8, nullptr, nullptr,
    &RINEXData::C9, &RINEXData::L9, nullptr, nullptr};
const ValueTable ValueTables[NObsTypes] = {
    nullptr, nullptr, nullptr, &RINEXData::S1, &RINEXData::D1,
    nullptr, nullptr, nullptr, &RINEXData::S2, &RINEXData::D2,
    nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, &RINEXData::D5, &RINEXData::S5,
    nullptr, nullptr, &RINEXData::D6, &RINEXData::S6,
    nullptr, nullptr, &RINEXData::D7, &RINEXData::S7,
    nullptr, nullptr, &RINEXData::D8, &RINEXData::S8,
    nullptr, nullptr, &RINEXData::D9, &RINEXData::S9};
// clang-format on

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
    IfTimeCorr = false;
    epoch.Resize(0, 0);
    flag.Resize(0, 0);
    nsat.Resize(0, 0);
    sat.Resize(0, 0);
    satList.Resize(0, 0);
    TCorr.Resize(0, 0);
    for (unsigned short code = 0; code < NObsTypes; code++) {
        if (FullTables[code] != nullptr) (this->*FullTables[code]).Resize(0, 0);
        if (ValueTables[code] != nullptr) (this->*ValueTables[code]).Resize(0, 0);
    }
}

void RINEXData::SetNRecords(unsigned long ne, unsigned long ns)
{
    nepochall = static_cast<long>(ne);
    nsatall = static_cast<long>(ns);
}

unsigned long RINEXData::FilledTypes() const
{
    if (KeepEveryType) return ~0UL;
    unsigned long types = keptTypes;
    // a type that stands in for one the header lacks is kept wherever that one is: P1 for C1
    // (after the reading), C2 for P2 (when the file driver is asked to)
    auto standIn = [&](RINEXObsType missing, bool present, RINEXObsType by) {
        if ((keptTypes >> missing & 1UL) != 0 && !present) types |= 1UL << by;
    };
    standIn(tC1, rhead.iC1, tP1);
    standIn(tP2, rhead.iP2, tC2);
    return types;
}

const matrix<gnssobs>* RINEXData::FullTable(unsigned short type) const
{
    return type < NObsTypes && FullTables[type] != nullptr ? &(this->*FullTables[type]) : nullptr;
}

bool RINEXData::IsKept(unsigned short code) const
{
    return code < NObsTypes && (filledTypes >> code & 1UL) != 0;
}

void RINEXData::SetData()
{
    if (nepochall == 0) RINEXDataError("NUMBER OF EPOCH IN RINEX FILE NOT DETERMINED!");
    // every entry gets a defined value, also those the reading might not reach
    epoch.Resize(nepochall, 1, mjd());
    flag.Resize(nepochall, 1, ' ');
    nsat.Resize(nepochall, 1, 0);
    if (IfTimeCorr) TCorr.Resize(nepochall, 1, 0);
    if (nsatall == 0) RINEXDataError("NUMBER OF OBSERVATIONS IN RINEX FILE NOT DETERMINED!");
    sat.Resize(nsatall, 1, 0);
    filledTypes = FilledTypes();
    keptFields.clear();
    for (unsigned short k = 0; k < rhead.nobs; k++) {
        unsigned short code = rhead.obs(k);
        if (!IsKept(code)) continue;
        keptFields.push_back({k, code, 1});
        // new elements are missing observations already: no second pass over the tables
        if (FullTables[code] != nullptr) (this->*FullTables[code]).Resize(nsatall, 1);
        if (ValueTables[code] != nullptr) (this->*ValueTables[code]).Resize(nsatall, 1);
    }
}

void RINEXData::StoreField(const StoredField& f, long r, std::string_view line, std::size_t at)
{
    if (FullTables[f.type] != nullptr)
        StoreScaled((this->*FullTables[f.type])(r), line, at, f.divisor);
    else if (ValueTables[f.type] != nullptr)
        StoreScaled((this->*ValueTables[f.type])(r), line, at, f.divisor);
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
    matrix<short> present(NSatNumbers, 1, 0);
    ObsRecordLines rec(in, rhead.IsRinex3());
    std::string list; // reused for every record: no allocation per epoch
    untyped.clear();
    unknown.clear();
    long e = 0;
    long r = 0;
    long populated = 0; // the records whose entries are present in every table
    // the counted epochs only: a record the file ends inside was left out of the counts
    while (e < nepochall && rec.NextEpoch()) {
        const std::string& epochLine = rec.EpochLine();
        unsigned short n = EpochCount(epochLine);
        if (r + n > nsatall)
            RINEXDataError("RINEX FILE HOLDS MORE EPOCHS OR RECORDS THAN COUNTED!");
        StoreEpoch(e, epochLine);
        if (r + n > populated) populated = PopulateAhead(r);
        if (rhead.IsRinex3())
            ReadRecord3(rec, n, r);
        else
            ReadRecord2(rec, n, r, list);
        for (long k = r; k < r + n; k++)
            if (sat(k) != NoSatellite) present(sat(k)) = sat(k);
        r += n;
        e++;
    }
    // the first distinct value is the 0 of the satellites that never occurred
    matrix<short> distinct = UniqList(present);
    satList.Resize(distinct.NRow() - 1);
    for (long i = 1; i < distinct.NRow(); i++) satList(i - 1) = distinct(i);
    if (!rhead.iC1 && rhead.iP1) {
        C1 = P1;
        rhead.iC1 = true;
    }
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
        if (IsKept(s.type)) StoreField(s, r, line, FieldColumn3(s.field) - 1);
}

long RINEXData::PopulateAhead(long r)
{
    // a block of records whose entries fill about a megabyte of the widest table
    constexpr long Block = 1L << 15;
    sat.Populate(r, Block);
    for (unsigned short code = 0; code < NObsTypes; code++) {
        if (FullTables[code] != nullptr) (this->*FullTables[code]).Populate(r, Block);
        if (ValueTables[code] != nullptr) (this->*ValueTables[code]).Populate(r, Block);
    }
    return r + Block;
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
    if (rhead.GetInterval() <= 0 || rhead.GetInterval() > d) rhead.SetInterval(d);
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
    for (const StoredField& f : keptFields) {
        for (; read <= f.field / 5U; read++) line = NextRecordLine(rec);
        StoreField(f, r, line, FieldWidth * (f.field % 5U));
    }
    for (; read < ObsLines(rhead.nobs); read++) NextRecordLine(rec);
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

// Record k holds an observation of table t; a table the file does not list has none.
bool Has(const matrix<gnssobs>& t, bool listed, long k) { return listed && !t(k).IsNull(); }

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
    const RINEXHeader& h = d.rhead;
    auto usable = [&](long k) {
        return Has(d.C1, h.iC1, k) && Has(d.L1, h.iL1, k) && Has(d.L2, h.iL2, k) &&
               Has(d.P2, h.iP2, k);
    };
    double dCL = 0;
    int n = 0;
    ForCommonSatellites(d, ch, i, first1, first2, usable,
                        [&](long k1, long k2, long double l1, long double l2) {
                            double dC1 = Step(d.C1, k1, k2), dP2 = Step(d.P2, k1, k2);
                            double dL1 = Step(d.L1, k1, k2, l1), dL2 = Step(d.L2, k1, k2, l2);
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
    auto usable = [&](long k) { return Has(d.C1, d.rhead.iC1, k) && Has(d.L1, d.rhead.iL1, k); };
    int count = 0;
    double xslip = 0;
    ForCommonSatellites(
        d, ch, i, first1, first2, usable, [&](long k1, long k2, long double l1, long double) {
            double dCLnrm =
                static_cast<double>((Step(d.C1, k1, k2) - Step(d.L1, k1, k2, l1)) / MSm);
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
        if (Has(d.L1, d.rhead.iL1, k)) d.L1(k).obs += metres / l1;
        if (Has(d.L2, d.rhead.iL2, k)) d.L2(k).obs += metres / l2;
    }
}

} // namespace

// Every jump is found from the data as read; then each epoch's phases move by the sum of the
// jumps up to it, except the GLONASS phases of the jump epochs themselves.
void RINEXData::CorrMSJumps(long& nMSJumps, const GlonassChannels& channels)
{
    nMSJumps = 0;
    matrix<long double> Lcorr(nepochall, 1, 0.0L);
    ForEpochPairs(*this, [&](long i, long first1, long first2) {
        Lcorr(i) = DualFrequencyJump(*this, channels, i, first1, first2);
        if (std::fabs(Lcorr(i)) > 0.1L) nMSJumps++;
    });
    long double MSCorr = 0;
    long first = 0;
    for (long i = 0; i < nepochall; i++) {
        MSCorr += Lcorr(i);
        ShiftPhases(*this, channels, first, nsat(i), MSCorr, std::fabs(Lcorr(i)) <= 0.1L);
        first += nsat(i);
    }
}

// Each epoch is compared with the already corrected one before it, so an offset that stays
// in the codes is found and corrected again at every following epoch.
void RINEXData::CorrMSJumpsSF(long& nMSJumps, const GlonassChannels& channels)
{
    nMSJumps = 0;
    ForEpochPairs(*this, [&](long i, long first1, long first2) {
        long double MSCorr = SingleFrequencyJump(*this, channels, i, first1, first2);
        if (std::fabs(MSCorr) <= 0.0001L) return;
        nMSJumps++;
        ShiftPhases(*this, channels, first2, nsat(i), MSCorr, true);
    });
}

std::istream& operator>>(std::istream& in, RINEXData& hd)
{
    hd.SetData();
    hd.ReadRecords(in);
    return in;
}
