// SPDX-License-Identifier: BSD-2-Clause
#include "qc/QcProgram.h"

#include "GNSSf/GNSS_SetGLNFreq.h"
#include "PROGINC/ProgramError.h"
#include "PROGINC/ResultFile.h"
#include "qc/QcRead.h"
#include "qc/QcReport.h"
#include "qc/Sha256.h"
#include "src/KestrovaRun.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <functional>
#include <iostream>
#include <memory>

namespace {

[[noreturn]] void Fail(const std::string& text) { ProgramError(QcName, text.c_str()); }

// The options of kestrova that keep their letters and meaning here.
bool IsSharedOption(const std::string& w)
{
    if (w.size() < 2 || w[0] != '-') return false;
    if (w.compare(0, 3, "-gf") == 0 || w.compare(0, 3, "-GF") == 0) return true;
    const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(w[1])));
    return std::strchr("CNKWSETDPXF", c) != nullptr && c != '\0' && !(c == 'G');
}

// The value of an option written as --name FILE or --name=FILE.
std::string FileValue(const std::string& name, int argc, const char** argv, int& i)
{
    const std::string w = argv[i];
    std::string value;
    if (w.size() > name.size() && w[name.size()] == '=')
        value = w.substr(name.size() + 1);
    else if (i + 1 < argc)
        value = argv[++i];
    if (value.empty()) Fail("OPTION " + name + " NEEDS A FILE NAME!");
    return value;
}

std::string Trimmed(const char* text)
{
    std::string s = text;
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
    const std::size_t first = s.find_first_not_of(' ');
    return first == std::string::npos ? "" : s.substr(first);
}

QcInputFile InputFile(const std::string& role, const std::string& name)
{
    QcInputFile f{role, name, std::nullopt, ""};
    if (const std::optional<FileDigest> d = DigestOf(name)) {
        f.size = d->size;
        f.sha256 = d->sha256;
    }
    return f;
}

QcFacts FactsOf(const QcOptions& o, const RunSettings& s, const RunPlan& plan, const RINEXHeader& h)
{
    QcFacts f;
    f.file = o.file;
    f.version = KESTROVA_VERSION;
    f.rinexVersion = h.version;
    f.marker = Trimmed(h.marker.name);
    f.markerNumber = Trimmed(h.marker.number);
    f.receiver = Trimmed(h.receiver.type);
    f.receiverNumber = Trimmed(h.receiver.number);
    f.receiverVersion = Trimmed(h.receiver.version);
    f.antenna = Trimmed(h.antenna.type);
    f.antennaNumber = Trimmed(h.antenna.number);
    if (h.interval > 0) f.headerInterval = h.interval;
    if (h.xyz0read)
        f.position = {static_cast<double>(h.X0.x), static_cast<double>(h.X0.y),
                      static_cast<double>(h.X0.z)};
    f.systems = ListedLetters(plan.systems);
    f.start = TicksOf(plan.start);
    f.end = TicksOf(plan.end);
    if (plan.nominal)
        f.nominal = {TicksOf(plan.nominal->start), TicksOf(plan.nominal->end),
                     plan.nominal->source};
    f.interval = static_cast<double>(plan.interval);
    f.tolerance = static_cast<double>(s.maxClockError);
    f.cutoff = s.cutOff;
    if (plan.receiver) {
        f.receiverUsed = plan.receiver->xyz;
        f.receiverSource = plan.receiver->source;
    }
    f.navFiles = s.navFiles;
    if (s.satellites) f.satellites = s.satellites->text;
    if (s.excluded) f.excluded = s.excluded->text;
    f.inputs.push_back(InputFile("observation", o.file == "-" ? "/dev/stdin" : o.file));
    for (const std::string& n : s.navFiles) f.inputs.push_back(InputFile("navigation", n));
    if (s.channelFile) f.inputs.push_back(InputFile("glonass-channels", *s.channelFile));
    return f;
}

// A file written whole or not at all, as the result file of the listing.
void WriteFile(const std::string& name, const char* what,
               const std::function<void(std::ostream&)>& write)
{
    std::ofstream out;
    ResultFile file;
    if (!file.Open(name.c_str(), out))
        Fail(std::string(what) + " FILE " + name + " CAN NOT BE OPENED (" + std::strerror(errno) +
             ")!");
    write(out);
    if (!file.Commit(out)) Fail(std::string(what) + " FILE " + name + " CAN NOT BE WRITTEN!");
}

// The file read as the listing reads it, with every signal kept; the plan of the run as the
// listing makes it (window, grid, satellites, GLONASS channels, receiver position).
QcInput ReadInput(const RunSettings& s, RunPlan& plan, RunInputs& in)
{
    Progress quiet(false);
    DecideChannelSources(plan, s, in.rnx, ProgramFolder());
    in.rnx.SetFile(s.rinexFile.c_str());
    if (s.channelFile) in.channels.SetFile(s.channelFile->c_str());
    ReadRequest request{ObsTypeSet(TypesToRead(s, plan.systems)),
                        ListedLetters(plan.systems),
                        {},
                        true,
                        ObsTypeSet(PositionTypes(s, plan.systems))};
    in.rnx.ReadFile(request);
    PlanListing(plan, s, in.rnx, quiet);
    PlanGrid(plan, s, in.rd, quiet);
    if (s.channelFile) in.channels.ReadFile();
    if (plan.channels.header) in.channels.SetHeaderChannels(in.rh.glonassSlots);
    for (const std::string& f : s.navFiles) in.nav.Read(f.c_str());
    PlanGeometry(plan, s, in.rnx, in.channels, in.nav, quiet);
    plan.glonass = GlonassChannelsOf(in.rd, in.channels, plan.channels.Any());
    // the clock-jump rule reads P2, which C2 stands in for as in the listing's corrections
    in.rnx.MakeStandIn(tP2);
    return QcInputOf(in.rnx, s, plan, in.nav);
}

} // namespace

void WriteQcUsage(std::ostream& out)
{
    out << "usage: kestrova-qc FILE [options]   (the values of -c ... -f glued to their option)\n"
           "The quality of every signal of a RINEX 2, 3 or 4 observation file (also Compact\n"
           "RINEX, compressed; - for standard input): observations, completeness, code\n"
           "multipath, signal strength, loss of lock, slips, receiver clock jumps, ROTI.\n"
           "  -cLETTERS   satellite systems (default: every system)\n"
           "  -nFILE      broadcast navigation file, once per file (elevations, completeness)\n"
           "  -kDEGREES   elevation cut-off of the completeness (needs -n)\n"
           "  -wX,Y,Z     receiver position, metres (default: the header's, or from the codes)\n"
           "  -sDATE      start epoch, such as -s2015-02-13_06:00:00; -eDATE end epoch\n"
           "  -tSECONDS   interval of the epochs taken (default: the file's)\n"
           "  -dSECONDS   largest clock error off the grid of the interval (default 0.1)\n"
           "  -pLIST      satellites, such as -pG05R12E11; -xLIST satellites left out\n"
           "  -gfFILE     GLONASS frequency-channel file\n"
           "  -fPAIRS     bands of each system's pair, such as -fG15:E15:\n"
           "  --json FILE        the figures as JSON (written whole or not at all)\n"
           "  --tsv FILE         the figures as tab-separated rows\n"
           "  --plot-data=FIGURE rows of MP:SIGNAL, SNR:SIGNAL or ROTI for kestrova-plot, in\n"
           "                     place of the report\n"
           "  -h          this text (also -H, --help)\n"
           "The manual: man kestrova-qc.\n";
}

QcOptions ParseQcOptions(int argc, const char** argv)
{
    QcOptions o;
    std::vector<std::string> shared;
    bool systems = false;
    for (int i = 1; i < argc; i++) {
        const std::string w = argv[i];
        if (w == "-h" || w == "-H" || w == "--help") {
            o.usage = true;
            return o;
        }
        if (w.starts_with("--json")) {
            o.json = FileValue("--json", argc, argv, i);
        } else if (w.starts_with("--tsv")) {
            o.tsv = FileValue("--tsv", argc, argv, i);
        } else if (w.starts_with("--plot-data=")) {
            o.plot = ParsePlotChoice(w.substr(12));
            if (!o.plot)
                Fail(w + " - NOT A FIGURE (MP:SIGNAL OF A CODE, SNR:SIGNAL OF A STRENGTH, OR "
                         "ROTI)!");
        } else if (w.empty() || w == "-" || w[0] != '-') {
            if (!o.file.empty()) Fail("ONE OBSERVATION FILE ONLY - " + w + " IS A SECOND!");
            if (w.empty()) Fail("AN EMPTY WORD IS NO OBSERVATION FILE!");
            o.file = w;
        } else if (IsSharedOption(w)) {
            systems = systems || std::toupper(static_cast<unsigned char>(w[1])) == 'C';
            shared.push_back(w);
        } else {
            Fail("UNKNOWN OPTION: " + w + " (-h FOR THE USAGE)!");
        }
    }
    if (o.file.empty()) Fail("NO OBSERVATION FILE NAMED (-h FOR THE USAGE)!");
    // the result file of the listing is never written: a name keeps the parser from making one
    o.runWords = {QcName, "-o" + o.file, "-r/dev/null"};
    if (!systems) {
        std::string letters = "-c";
        for (const SatSystem& sys : SatSystems) letters += sys.letter;
        o.runWords.push_back(letters);
    }
    o.runWords.insert(o.runWords.end(), shared.begin(), shared.end());
    return o;
}

int RunQc(int argc, const char** argv)
{
    const QcOptions o = ParseQcOptions(argc, argv);
    if (o.usage) {
        WriteQcUsage(std::cout);
        return 0;
    }
    std::vector<const char*> words;
    for (const std::string& w : o.runWords) words.push_back(w.c_str());
    Progress quiet(false);
    RunSettings s = ParseCommandLine(static_cast<int>(words.size()), words.data(), quiet);
    // no list: only the types of the clock-jump rule and of a single-point position are read
    // into the listing's tables; every signal goes to the store of every signal
    s.codes = std::vector<int>();
    s.removeClockJumps = true;
    RunPlan plan;
    const auto in = std::make_unique<RunInputs>();
    const QcInput input = ReadInput(s, plan, *in);
    const QcResult result = ComputeQc(input);
    const QcFacts facts = FactsOf(o, s, plan, in->rh);
    if (o.json)
        WriteFile(*o.json, "JSON",
                  [&](std::ostream& out) { WriteJson(out, facts, input, result); });
    if (o.tsv) WriteFile(*o.tsv, "TSV", [&](std::ostream& out) { WriteTsv(out, result); });
    if (o.plot)
        WritePlotData(std::cout, o.file, input, result, *o.plot);
    else
        WriteText(std::cout, facts, input, result);
    std::cout.flush();
    if (!std::cout) Fail("REPORT CAN NOT BE WRITTEN!");
    return 0;
}
