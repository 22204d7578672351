// SPDX-License-Identifier: BSD-2-Clause
// Every label is padded to column 21, where kestrova-summary and the scripts read the value.
// Epochs are written with three decimals of the second, the rows with one.
#include "src/SettingsHeader.h"

#include "GNSS/SignalMap.h"
#include "GNSS/TimeConverse.h"
#include "GNSS/ymdhms.h"
#include "PROGINC/ProgramError.h"
#include "src/ListCodes.h"

#include <iomanip>

namespace {

constexpr int HeaderDecimals = 3;

const ListCode& CodeOf(const ListEntry& e) { return ListCodes()[static_cast<std::size_t>(e.code)]; }

void WriteEpochLine(std::ostream& out, const char* label, const mjd& e, bool manual)
{
    out << label << WithDecimals(mjd2ymdhms(e), HeaderDecimals) << " ["
        << WithDecimals(e, HeaderDecimals) << "]"
        << (manual ? "  (manually set)" : "  (from RINEX file)") << "\n";
}

// Only a grid counted from the first epoch is recorded: kestrova-summary counts the same grid.
void WriteGridOrigin(std::ostream& out, const Grid& g)
{
    if (!g.fromFirst) return;
    out << "#Grid origin:       " << WithDecimals(mjd2ymdhms(*g.fromFirst), HeaderDecimals) << " ["
        << WithDecimals(*g.fromFirst, HeaderDecimals)
        << "]  (first epoch: none lies on the grid from 00:00)\n";
}

// The lines the summary reads to find the epochs at which each satellite was above the cut-off.
void WriteNavSettings(std::ostream& out, const RunSettings& s, const RunPlan& plan)
{
    for (const std::string& f : s.navFiles) out << "#NAV file:           " << f << "\n";
    out << "#Receiver XYZ:       ";
    if (plan.receiver)
        out << std::setprecision(3) << plan.receiver->xyz[0] << " " << plan.receiver->xyz[1] << " "
            << plan.receiver->xyz[2] << "  (" << plan.receiver->source << ")\n";
    else
        out << "NONE\n";
    out << "#Elevation cut-off:  ";
    if (s.cutOff)
        out << std::setprecision(3) << *s.cutOff << "\n";
    else
        out << "NONE\n";
}

// The first source of the channels, and the installed table where slots took their channels
// from it.
std::string ChannelSourcesText(const RunSettings& s, const ChannelSources& c)
{
    std::string text = c.file     ? *s.channelFile
                       : c.header ? "(RINEX header)"
                       : c.nav    ? "(navigation files)"
                                  : "";
    if (c.table) text += (text.empty() ? "" : ", ") + *c.table + " (installed table)";
    return text;
}

void WriteInputs(std::ostream& out, const RunSettings& s, const RunPlan& plan)
{
    out << "#RINEX file:         " << s.rinexFile << "\n";
    if (s.mp1File) out << "#MULTIPATH P1 file:  " << *s.mp1File << "\n";
    if (s.mp2File) out << "#MULTIPATH P2 file:  " << *s.mp2File << "\n";
    if (plan.channels.Any())
        out << "#GLN FREQ CHN file:  " << ChannelSourcesText(s, plan.channels) << "\n";
    if (!s.navFiles.empty()) WriteNavSettings(out, s, plan);
}

// " G05 R12 E11 C07 S20": the listed satellites less the excluded ones; " C1[+] P2[-]": the
// codes with their availability.
void WriteLists(std::ostream& out, const RunSettings& s, const RunPlan& plan, const RINEXHeader& h)
{
    out << "#Satellites:        ";
    for (long i = 0; i < plan.satellites.NRow(); i++)
        if (!s.Excludes(plan.satellites(i))) out << " " << SatId(plan.satellites(i));
    out << "\n#Observations:      ";
    for (const ListEntry& e : plan.list)
        out << " " << CodeOf(e).column << "[" << (e.available ? "+" : "-") << "]";
    if (AnyPairChosen(s, plan.systems))
        out << "\n#Frequency pairs:   " << PairsText(s, plan.systems);
    if (h.IsRinex3()) out << "\n#RINEX 3 signals:  " << SignalsText(h);
    if (!s.signalChoices.empty())
        out << "\n#Signal choice:     " << SignalChoicesText(s)
            << (h.IsRinex3() ? "" : "  (not used: RINEX 2 file)");
    out << "\n#RAW phase unit:    "
        << (!s.phaseMetres    ? " CYCLE  (default)"
            : !*s.phaseMetres ? " CYCLE  (manually set)"
                              : " METER  (manually set)")
        << "\n";
}

void WriteTimes(std::ostream& out, const RunSettings& s, const RunPlan& plan)
{
    WriteEpochLine(out, "#Start epoch:       ", plan.start, s.start.has_value());
    WriteEpochLine(out, "#End epoch:         ", plan.end, s.end.has_value());
    if (plan.nominal)
        out << "#Nominal span:      "
            << WithDecimals(mjd2ymdhms(plan.nominal->start), HeaderDecimals) << " -"
            << WithDecimals(mjd2ymdhms(plan.nominal->end), HeaderDecimals) << "  ("
            << plan.nominal->source << ")\n";
    out << "#Time interval:      " << std::setprecision(3) << plan.interval << "\n";
    WriteGridOrigin(out, plan.grid);
    out << "#Max clock error:    " << std::setprecision(7) << s.maxClockError << "\n";
}

void WriteColumnHeading(std::ostream& out, const RunPlan& plan)
{
    out << "#" << std::setw(21) << "Time(datum)" << std::setw(16) << "Time(MJD)"
        << "  SAT";
    for (const ListEntry& e : plan.list)
        if (e.available) out << std::setw(CodeOf(e).width) << CodeOf(e).column << "    ";
    out << "\n";
}

} // namespace

void WriteSettingsHeader(std::ostream& out, const RunSettings& s, const RunPlan& plan,
                         const RINEXHeader& h)
{
    out << std::fixed;
    out << "#PROGRAM: " << ProgName << "\n"
        << "#         RINEX observation file extraction - listing of observations\n"
        << "#\n"
        << "#DATA:\n";
    WriteInputs(out, s, plan);
    WriteLists(out, s, plan, h);
    WriteTimes(out, s, plan);
    out << "#MS jumps elim.      " << (s.removeClockJumps ? "YES" : "NO") << "\n"
        << "#Result file:        " << s.resultFile << "\n"
        << "#Verbose mode:       " << (s.verbose ? "YES" : "NO") << "\n"
        << "#All epochs:         " << (s.allEpochs ? "YES" : "NO") << "\n"
        << "#\n";
    WriteColumnHeading(out, plan);
}
