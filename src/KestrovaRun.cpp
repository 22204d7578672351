// SPDX-License-Identifier: BSD-2-Clause
#include "src/KestrovaRun.h"

#include "GNSS/SignalMap.h"
#include "GNSSf/GNSS_SetGLNFreq.h"
#include "PROGINC/InputText.h"
#include "PROGINC/ProgramError.h"
#include "PROGINC/cfilef.h"
#include "src/Corrections.h"
#include "src/Listing.h"
#include "src/SettingsHeader.h"
#include "src/Usage.h"

#include <cerrno>
#include <iostream>
#include <string>

namespace {

// A pipe gives its text once: two inputs cannot both read it.
void CheckInputsDistinct(const RunSettings& s)
{
    struct Input {
        const std::optional<std::string>& name;
        const char* what;
    };
    const std::optional<std::string> rinex = s.rinexFile;
    std::vector<std::optional<std::string>> navs(s.navFiles.begin(), s.navFiles.end());
    std::vector<Input> inputs = {{rinex, "RINEX FILE"},
                                 {s.mp1File, "MULTIPATH P1 FILE"},
                                 {s.mp2File, "MULTIPATH P2 FILE"},
                                 {s.channelFile, "GLONASS FREQUENCY CHANNEL FILE"}};
    for (const std::optional<std::string>& f : navs) inputs.push_back({f, "NAVIGATION FILE"});
    for (const Input& a : inputs)
        for (const Input* b = &a + 1; b != inputs.data() + inputs.size(); b++)
            if (a.name && b->name && SameOnceOnlySource(a.name->c_str(), b->name->c_str()))
                ProgramError(ProgName,
                             (std::string(a.what) + " AND " + b->what +
                              " NAME THE SAME PIPE (STANDARD INPUT?) - IT CAN BE READ ONLY ONCE!")
                                 .c_str());
}

void SetFiles(const RunSettings& s, RunInputs& in, Progress& progress)
{
    CheckInputsDistinct(s);
    in.rnx.SetFile(s.rinexFile.c_str());
    progress.Line("SetFile") << "  setting RINEX file!\n";
    if (s.mp1File) {
        in.mp1.SetFile(s.mp1File->c_str());
        progress.Line("SetFile") << "  setting MULTIPATH on C1/P1 file!\n";
    }
    if (s.mp2File) {
        in.mp2.SetFile(s.mp2File->c_str());
        progress.Line("SetFile") << "  setting MULTIPATH on P2 file!\n";
    }
    if (s.channelFile) {
        in.channels.SetFile(s.channelFile->c_str());
        progress.Line("SetFile") << "  setting GLONASS FREQUENCY CHANNEL file!\n";
    }
}

void ReadObservations(const RunSettings& s, const RunPlan& plan, RunInputs& in, Progress& progress)
{
    progress.Line("ReadFile") << " reading RINEX file - ";
    in.rnx.ReadFile({ObsTypeSet(TypesToRead(s, plan.systems)), ListedLetters(plan.systems),
                     s.signalChoices, false, ObsTypeSet(PositionTypes(s, plan.systems))});
    std::ostream& out = progress.More();
    out << in.rd.GetNEpoch() << " epochs, " << in.rd.GetNObs() << " C1 observations, " << in.rh.nobs
        << " obs types";
    // what was undone to reach the RINEX text, such as "gzip, Compact RINEX 1.0"
    if (!in.rnx.input.Undone().empty()) out << " (" << in.rnx.input.Undone() << ")";
    out << "\n";
    if (in.rh.IsRinex3())
        progress.Line("ReadFile") << " RINEX 3 signals:" << SignalsText(in.rh) << "\n";
}

void ReadOptionalInputs(const RunSettings& s, const RunPlan& plan, RunInputs& in,
                        Progress& progress)
{
    if (s.mp1File) {
        in.mp1.ReadFile();
        progress.Line("ReadFile") << " reading MULTIPATH on C1/P1 file - " << in.mp1.NEph()
                                  << " epochs " << in.mp1.NObs() << " observations\n";
    }
    if (s.mp2File) {
        in.mp2.ReadFile();
        progress.Line("ReadFile") << " reading MULTIPATH on P2 file - " << in.mp2.NEph()
                                  << " epochs " << in.mp2.NObs() << " observations\n";
    }
    if (s.channelFile) {
        in.channels.ReadFile();
        progress.Line("ReadFile") << " reading GLONASS FREQUENCY CHANNEL file\n";
    }
    if (plan.channels.header) {
        in.channels.SetHeaderChannels(in.rh.glonassSlots);
        progress.Line("ReadFile") << " taking GLONASS FREQUENCY CHANNELS from RINEX header - "
                                  << in.rh.glonassSlots.size() << " slots\n";
    }
    for (const std::string& f : s.navFiles) {
        const long before = in.nav.Count();
        in.nav.Read(f.c_str());
        progress.Line("ReadFile") << " reading NAVIGATION file " << f << " - "
                                  << in.nav.Count() - before << " ephemerides\n";
    }
}

// The stand-in of P2 is said when it is decided; its values are copied with the corrections.
void WarnStandIns(const ReadFacts& facts)
{
    if (facts.StandInFor(tP2) != nullptr)
        ProgramWarningCout(
            ProgName, "RINEX FILE HAS ONLY C2 CODE OBSERVATIONS ON L2 - COPYING VALUES TO P2!");
}

// The result file: opened before any correction, so that a run that cannot write its result
// stops before the work; written in a few big writes, not row by row.
class Result {
  public:
    explicit Result(const RunSettings& s) : name(s.resultFile)
    {
        out.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        if (!file.Open(name.c_str(), out)) {
            WarnCannotOpen(name.c_str(), errno);
            ProgramError(ProgName, "RESULT FILE CAN NOT BE OPENED!");
        }
    }
    std::ostream& Stream() { return out; }
    void Commit()
    {
        if (!file.Commit(out)) ProgramError(ProgName, "RESULT FILE CAN NOT BE WRITTEN!");
    }

  private:
    std::string name;
    std::vector<char> buffer = std::vector<char>(std::size_t{1} << 20);
    std::ofstream out;
    ResultFile file;
};

void WriteListing(const RunSettings& s, const RunPlan& plan, RunInputs& in, Result& result,
                  Progress& progress)
{
    progress.Line("PrintObs") << " Printing observations: \n";
    const long rows =
        Listing(s, plan, in.rnx, in.channels, in.nav).Write(result.Stream(), progress);
    result.Commit();
    progress.Line("PrintObs") << " Finished writing observations!\n";
    // The status stays 0; in a batch of many files an empty listing must still be seen.
    if (rows == 0 || plan.Available() == 0)
        ProgramWarning(ProgName, "NO OBSERVATION ROWS WERE WRITTEN TO THE RESULT FILE!");
}

} // namespace

RunSettings SettingsOf(int argc, const char** argv, RunInputs& in, RunPlan& plan,
                       Progress& progress, const std::filesystem::path& programFolder)
{
    progress.More() << "\n"
                    << ProgName
                    << ": ***** PRINTING OF GNSS OBSERVATIONS AND LINEAR COMBINATIONS FROM "
                       "RINEX FILE *****\n";
    RunSettings settings = ParseCommandLine(argc, argv, progress);
    DecideChannelSources(plan, settings, in.rnx, programFolder);
    progress.Line("GetFiles") << " setting output GNSS OBSERVATION file: " << settings.resultFile
                              << "!\n";
    return settings;
}

void ReadAndPlan(const RunSettings& settings, RunPlan& plan, RunInputs& in, Progress& progress)
{
    SetFiles(settings, in, progress);
    ReadObservations(settings, plan, in, progress);
    PlanListing(plan, settings, in.rnx, progress);
    PlanGrid(plan, settings, in.rd, progress);
    ReadOptionalInputs(settings, plan, in, progress);
    PlanGeometry(plan, settings, in.rnx, in.channels, in.nav, progress);
    WarnStandIns(in.rnx.facts);
    plan.glonass = GlonassChannelsOf(in.rd, in.channels, plan.channels.Any());
}

void KestrovaRun::Phases(int argc, const char** argv)
{
    // asked how to use it, the tool reads nothing and writes nothing else
    if (AsksForUsage(argc, argv)) return WriteUsage(std::cout);
    Progress progress(AsksForProgress(argc, argv));
    RunPlan plan;
    const RunSettings settings = SettingsOf(argc, argv, in, plan, progress, ProgramFolder());
    ReadAndPlan(settings, plan, in, progress);
    Result result(settings);
    progress.Line("PrintSet") << " opening result file and writting processing settings!\n";
    WriteSettingsHeader(result.Stream(), settings, plan, in.rh);
    // The corrections come after the header, which says what was asked, not what they found;
    // their progress lines follow the header's, as the listing's follow theirs.
    ApplyCorrections(settings, plan.glonass, in.rnx, in.mp1, in.mp2, progress);
    WriteListing(settings, plan, in, result, progress);
    progress.More() << ProgName << ": ***** SUCCESFULLY ENDING PROGRAM *****!\n\n\n";
}
