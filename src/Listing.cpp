// SPDX-License-Identifier: BSD-2-Clause
#include "src/Listing.h"

#include "GNSS/TimeConverse.h"
#include "GNSS/mGNSSc.h"
#include "GNSS/ymdhms.h"
#include "PROGINC/ProgramError.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iomanip>
#include <sstream>

namespace {

// The entries of the rows this far ahead are asked for before they are read.
constexpr long RowsAhead = 4;

template <class T> void AddTable(std::vector<T>& tables, const auto& m)
{
    if (m.Length() > 0) tables.push_back({reinterpret_cast<const char*>(&m(0)), sizeof m(0)});
}

} // namespace

Listing::Listing(const RunSettings& s, const RunPlan& p, const RINEX& f, GLNSat& c,
                 const BroadcastNav& n)
    : settings(s), plan(p), file(f), data(f.rdata), channels(c), nav(n)
{
    for (const ListEntry& e : plan.list)
        if (e.available) rowValues.push_back(ListCodes()[static_cast<std::size_t>(e.code)].put);
    const bool anglesListed = std::ranges::any_of(
        plan.list, [](const ListEntry& e) { return e.available && IsAngleCode(e.code); });
    needsAngles = plan.station.has_value() && (anglesListed || settings.cutOff.has_value());
    MakeEpochTexts();
    GroupRecords();
    FindStoredTables();
}

// Which epochs are listed, and the two time forms of each listed one, made once: each epoch
// begins a row of every satellite it holds, so forming them per row would convert and format
// the same epoch again and again.
void Listing::MakeEpochTexts()
{
    const auto n = static_cast<std::size_t>(data.GetNEpoch());
    isListed.assign(n, 0);
    epochText.assign(n, std::string());
    std::ostringstream text;
    std::size_t longest = 0;
    for (std::size_t j = 0; j < n; j++) {
        const mjd& e = data.epoch(static_cast<long>(j));
        if (!plan.IsListedEpoch(e, settings.maxClockError)) continue;
        isListed[j] = 1;
        text.str("");
        text << mjd2ymdhms(e) << "  " << e;
        epochText[j] = text.str();
        longest = std::max(longest, epochText[j].size());
    }
    epochGps.clear();
    if (needsAngles) epochGps.assign(n, 0);
    for (std::size_t j = 0; j < epochGps.size(); j++)
        if (isListed[j])
            epochGps[j] = GpsSecondsOfObsEpoch(data.epoch(static_cast<long>(j)),
                                               file.facts.firstTimeSystem.c_str());
    // the prefix, the satellite, every column at its longest and the line end
    rowRoom = longest + 8 + rowValues.size() * MaxColumn;
}

// The records of each satellite number, in store order, and where each epoch's records begin.
void Listing::GroupRecords()
{
    const auto nepoch = static_cast<std::size_t>(data.GetNEpoch());
    epochFirst.assign(nepoch + 1, 0);
    for (std::size_t j = 0; j < nepoch; j++)
        epochFirst[j + 1] = epochFirst[j] + data.nsat(static_cast<long>(j));
    const long nrec = epochFirst[nepoch];
    satFirst.assign(NSatNumbers + 1, 0);
    auto known = [](short s) { return s >= 0 && s < NSatNumbers; };
    for (long k = 0; k < nrec; k++)
        if (known(data.sat(k))) satFirst[static_cast<std::size_t>(data.sat(k)) + 1]++;
    for (std::size_t s = 0; s < NSatNumbers; s++) satFirst[s + 1] += satFirst[s];
    satRecords.assign(static_cast<std::size_t>(satFirst[NSatNumbers]), 0);
    std::vector<long> place(satFirst.begin(), satFirst.end() - 1);
    for (long k = 0; k < nrec; k++)
        if (known(data.sat(k)))
            satRecords[static_cast<std::size_t>(place[static_cast<std::size_t>(data.sat(k))]++)] =
                k;
}

// The rows of one satellite lie far apart in every table of the store: without a word ahead,
// each value of a row would wait for memory.
void Listing::FindStoredTables()
{
    storedTables.clear();
    for (unsigned short t = 0; t < NObsTypes; t++) {
        AddTable(storedTables, data.Table(t));
        AddTable(storedTables, data.ShortTable(t));
    }
}

void Listing::Prefetch(long k) const
{
    for (const Entries& t : storedTables)
        __builtin_prefetch(t.first + t.size * static_cast<std::size_t>(k));
}

long Listing::Write(std::ostream& out, Progress& progress)
{
    long rows = 0;
    TextBlock block(out, settings.writerThread);
    for (long i = 0; i < plan.satellites.NRow(); i++)
        rows += WriteSatellite(plan.satellites(i), block, progress);
    return rows;
}

// The constants of the satellite and the tables its combinations read. In metre mode a raw
// phase is scaled by the wavelength of its own band where the system transmits that band; any
// other is written in cycles.
SatelliteColumns Listing::ColumnsOf(const SatSystem& sys, short s) const
{
    SatelliteColumns c;
    const BandPair& pair = settings.PairOf(sys);
    c.constants = SatConstantsOf(sys, pair, plan.glonass.Of(s));
    const BandWavelengths& lamb = c.constants.lamb;
    const bool metres = settings.phaseMetres.value_or(false);
    for (std::size_t b = 0; b < c.phaseFactor.size(); b++)
        c.phaseFactor[b] = metres && lamb[b] != 0 ? lamb[b] : 1.0L;
    auto first = [this](RINEXObsType t) {
        const matrix<gnssobs>* m = data.FullTable(t);
        return m != nullptr && m->Length() > 0 ? &(*m)(0) : nullptr;
    };
    c.C1 = first(tC1);
    c.P1 = first(tP1);
    c.L1 = first(tL1);
    c.firstCode = first(pair.firstCode);
    c.firstPCode = first(pair.firstPCode);
    c.secondCode = first(pair.secondCode);
    c.phase1 = first(sys.PhaseType(pair.band1));
    c.phase2 = first(sys.PhaseType(pair.band2));
    return c;
}

// The rows of one satellite: each listed epoch that holds it (above the cut-off, where angles
// are known), and with -a a "***" row for each that does not.
long Listing::WriteSatellite(short s, TextBlock& block, Progress& progress)
{
    if (settings.Excludes(s)) return 0;
    const SatSystem* sys = SystemOf(s);
    if (sys == nullptr || !plan.IsOn(*sys)) return 0;
    if (sys->channels && !plan.channels.Any()) {
        progress.More() << "  SAT: " << SatId(s)
                        << "  NO OBS PRINTED -> NO GLONASS FREQUENCY CHANNEL FILE SET!!\n";
        return 0;
    }
    if (sys->channels && !GLONASSc::HasSlot(s)) {
        ProgramWarning(ProgName, ("GLONASS SATELLITE " + SatId(s) +
                                  " OF THE RINEX FILE IS NOT A SLOT FROM 1 TO 32 - NOT LISTED!")
                                     .c_str());
        return 0;
    }
    const SatelliteColumns columns = ColumnsOf(*sys, s);
    // The satellite right-aligned in 5 characters: it sits under "  SAT".
    char tag[8];
    std::snprintf(tag, sizeof tag, "  %s", SatId(s).c_str());
    long nrec = 0, nempt = 0, nObsSat = 0, nUnknown = 0;
    std::optional<SatelliteTrack> track;
    if (needsAngles) track.emplace(nav, NavSat{sys->letter, SatPrn(s)}, *plan.station);
    RowAngles angles;
    // the satellite's records, epoch by epoch
    const long* next = satRecords.data() + satFirst[static_cast<std::size_t>(s)];
    const long* last = satRecords.data() + satFirst[static_cast<std::size_t>(s) + 1];
    for (std::size_t j = 0; j < isListed.size(); j++) {
        bool found = false;
        for (; next < last && *next < epochFirst[j + 1]; next++) {
            if (!isListed[j]) continue;
            found = true;
            if (track) {
                angles.known = track->AzEl(epochGps[j], angles.az, angles.el);
                if (!angles.known) nUnknown++;
            }
            if (settings.cutOff && angles.known && angles.el < *settings.cutOff) continue;
            nrec++;
            if (last - next > RowsAhead) Prefetch(next[RowsAhead]);
            block.Done(PutRow(block.Room(rowRoom), j, *next, tag, columns, angles, nObsSat));
        }
        if (isListed[j] && !found && settings.allEpochs) {
            block.Append(epochText[j]);
            block.Append(tag);
            block.Append("  ***\n");
            nempt++;
        }
    }
    if (nrec > 0) block.Append("\n");
    // a system without any usable record was said once for all its satellites
    if (nUnknown > 0 && !plan.withoutEphemeris[RowOf(*sys)])
        ProgramWarning(ProgName, ("NO USABLE BROADCAST EPHEMERIS FOR SATELLITE " + SatId(s) +
                                  " AT " + std::to_string(nUnknown) +
                                  " OF ITS EPOCHS - ITS AZ AND EL ARE MISSING THERE!")
                                     .c_str());
    if (nrec > 0) {
        std::ostream& out = progress.More();
        out << "  SAT: " << SatId(s) << std::setw(10) << nrec << " x " << plan.Available()
            << " observations";
        if (settings.allEpochs) out << " [" << std::setw(5) << nempt << "] empty epochs";
        if (nObsSat == 0) out << " **** NO OBSERVATIONS ****";
        out << "\n";
    }
    return nrec;
}

// The row of record k of epoch j: the epoch's time forms, the satellite, the listed columns.
char* Listing::PutRow(char* p, std::size_t j, long k, const char* tag, const SatelliteColumns& c,
                      const RowAngles& angles, long& nObsSat) const
{
    const std::string& time = epochText[j];
    std::memcpy(p, time.data(), time.size());
    p += time.size();
    std::memcpy(p, tag, 5);
    p += 5;
    const RowValues r(data, k, c, angles);
    for (PutValue put : rowValues) {
        bool ok = false;
        p = put(p, r, ok);
        if (ok) nObsSat++;
    }
    *p++ = '\n';
    return p;
}
