// SPDX-License-Identifier: BSD-2-Clause
// The command line of kestrova: each word parsed into the settings, then the checks after the
// last word. Every option's value is glued to its letter.
#include "src/RunSettings.h"

#include "GNSS/SatSystem.h"
#include "GNSS/TimeConverse.h"
#include "GNSS/mGNSSc.h"
#include "GNSS/ymdhms.h"
#include "PROGINC/ParseArgument.h"
#include "PROGINC/ProgramError.h"
#include "PROGINC/cfilef.h"
#include "PROGINC/cstringf.h"
#include "src/ListCodes.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iomanip>
#include <string>
#include <string_view>

bool SatelliteList::Holds(short s) const
{
    for (long j = 0; j < prn.NRow(); j++)
        if (prn(j) == s) return true;
    return false;
}

bool AsksForProgress(int argc, const char** argv)
{
    for (int i = 0; i < argc; i++)
        if (argv[i][0] != '\0' && (argv[i][1] == 'v' || argv[i][1] == 'V')) return true;
    return false;
}

std::string ChoiceText(const SignalChoice& c)
{
    return std::string{c.system, c.band} + c.attributes;
}

std::string SignalChoicesText(const RunSettings& s)
{
    std::string text;
    for (const SignalChoice& c : s.signalChoices) text.append(" ").append(ChoiceText(c));
    return text;
}

namespace {
bool IsIn(const SystemSet& on, const SatSystem& sys) { return on[RowOf(sys)]; }
} // namespace

std::string PairsText(const RunSettings& s, const SystemSet& on)
{
    std::string text;
    for (const SatSystem& sys : SatSystems)
        if (IsIn(on, sys))
            text += std::string(" ") + sys.letter + std::to_string(s.PairOf(sys).band1) + "-" +
                    std::to_string(s.PairOf(sys).band2);
    return text;
}

bool AnyPairChosen(const RunSettings& s, const SystemSet& on)
{
    return std::any_of(SatSystems.begin(), SatSystems.end(), [&](const SatSystem& sys) {
        return IsIn(on, sys) && s.PairOf(sys) != sys.DefaultPair();
    });
}

std::string ListedLetters(const SystemSet& on)
{
    std::string letters;
    for (const SatSystem& sys : SatSystems)
        if (IsIn(on, sys)) letters += sys.letter;
    return letters;
}

std::string SystemNamesOn(const SystemSet& on)
{
    std::string names;
    for (const SatSystem& sys : SatSystems)
        if (IsIn(on, sys)) names += std::string(" ") + sys.name;
    return names;
}

namespace {

// "G|R|E|C|J|I|S": the letters of the table of systems, in its order.
std::string LettersText(const char* separator)
{
    std::string text;
    for (const SatSystem& sys : SatSystems)
        text.append(text.empty() ? "" : separator).push_back(sys.letter);
    return text;
}

// The longest value of a file option, and of a satellite list.
constexpr std::size_t FileCapacity = 256;
constexpr std::size_t SatListCapacity = 300;

// An option's value from npos on; a value that does not fit is refused, never cut.
std::string ValueOf(const char* word, int npos, const char* option,
                    std::size_t capacity = FileCapacity)
{
    if (std::strlen(word + npos) >= capacity) {
        std::string error = std::string("VALUE OF OPTION ") + option + " LONGER THAN " +
                            std::to_string(capacity - 1) + " CHARACTERS!";
        ProgramError(ProgName, error.c_str());
    }
    std::string field(capacity, '\0');
    ParseFileName(word, field.data(), npos, capacity);
    field.resize(std::strlen(field.c_str()));
    return field;
}

// The entries of a list whose entries are each closed by ":" (-l, -i, -f). Text after the last
// ":" is no entry, and is named so that an entry typed without its ":" is not dropped unseen.
std::vector<std::string> ColonEntries(std::string_view list, const char* listName,
                                      const char* entryName)
{
    const std::size_t last = list.rfind(':');
    const std::string_view rest = last == std::string_view::npos ? list : list.substr(last + 1);
    if (!rest.empty())
        ProgramWarning(ProgName,
                       ("TEXT \"" + std::string(rest) + "\" AFTER THE LAST \":\" OF THE " +
                        listName + " IS NOT READ (CLOSE EVERY " + entryName + " WITH \":\")!")
                           .c_str());
    std::vector<std::string> entries;
    for (std::size_t start = 0, colon; (colon = list.find(':', start)) != std::string_view::npos;
         start = colon + 1)
        entries.emplace_back(list.substr(start, colon - start));
    return entries;
}

// An entry of -i or -f that cannot be used stops the run, named.
[[noreturn]] void RefuseEntry(const char* what, const std::string& entry, const char* option,
                              const std::string& why)
{
    ProgramError(ProgName,
                 (std::string(what) + " \"" + entry + "\" OF OPTION " + option + why).c_str());
}

// " 1 2 5": the bands whose signals the system's columns are read from.
std::string BandsOf(const SatSystem& s)
{
    std::string bands;
    for (int b = 0; b < NBands; b++)
        if (s.ReadsBand(b)) bands.append(" ").append(std::to_string(b));
    return bands;
}

// The system of an entry's first letter (upper case, as RINEX writes it), nullptr for none.
const SatSystem* SystemOfEntry(const std::string& entry)
{
    return entry.empty() ? nullptr : SystemOfLetter(entry[0]);
}

// The band of a digit of an entry, 0 for anything else.
int BandOf(char digit) { return IsDigit(digit) ? digit - '0' : 0; }

// A GLONASS satellite of a -p or -x list must name a row of the slot table: 01-32.
void RefuseOutsideSlots(const SatelliteList& list, const char* option)
{
    for (long k = 0; k < list.prn.NRow(); k++) {
        if (!SystemOf(list.prn(k))->channels || GLONASSc::HasSlot(list.prn(k))) continue;
        ProgramError(ProgName, ("GLONASS SATELLITE \"" + list.text.substr(3 * k, 3) +
                                "\" OF OPTION " + option + " IS NOT A SLOT FROM 1 TO 32!")
                                   .c_str());
    }
}

// The number that is the whole of text (blanks around it allowed); false for anything else.
bool WholeNumber(const char* text, double& value)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text, &end);
    if (end == text || errno != 0 || !std::isfinite(value)) return false;
    while (*end == ' ') end++;
    return *end == '\0';
}

// A compressed file keeps the RINEX name inside it: york0440.15d.Z holds york0440.15d.
std::string WithoutCompression(std::string name)
{
    for (std::string_view ext : {".gz", ".Z", ".z", ".bz2", ".xz", ".zip"})
        if (name.size() > ext.size() && name.ends_with(ext)) {
            name.resize(name.size() - ext.size());
            break;
        }
    return name;
}

// The words of one command line into one settings value.
class CommandLine {
  public:
    CommandLine(RunSettings& settings, Progress& p) : s(settings), progress(p) {}
    void Parse(const char* word);
    void FinalChecks();

  private:
    RunSettings& s;
    Progress& progress;

    // A line of the option settings. Numbers go out in the progress stream's current format.
    std::ostream& Detail() { return progress.Line("GetFiles") << "         "; }
    template <typename T> void Report(const char* label, const T& value)
    {
        Detail() << label << value << "!\n";
    }
    void SetFile(std::optional<std::string>& file, const char* word, const char* option,
                 const char* label);
    void SetSatList(std::optional<SatelliteList>& list, const char* word, const char* option,
                    const char* warning, const char* label);
    void SetCodes(const char* word);
    void SetSignalChoices(const char* word);
    void SetPairs(const char* word);
    void SetSystems(const char* letters);
    void SetEpoch(std::optional<mjd>& epoch, const char* word, const char* label);
    void SetPhaseUnit(char unit);
    void SetThreads(const char* value);
    void SetCutOff(const char* word);
    void SetPosition(const char* word);
    void DropUnreadable(std::optional<std::string>& file, const char* warning);
    void CheckNavOptions();
    void DeriveResultFile();
    void WarnSystemsOff(const SatelliteList& list, const char* option);
};

void CommandLine::Parse(const char* word)
{
    const char c = word[1];
    const char c3 = c == '\0' ? '\0' : word[2]; // second letter of -m1, -m2, -ms, -gf
    switch (std::toupper(static_cast<unsigned char>(c))) {
    case 'O':
        s.rinexFile = ValueOf(word, 2, "-o");
        // "-" is standard input, read like any pipe
        if (s.rinexFile == "-") s.rinexFile = "/dev/stdin";
        return Report("RINEX file name: ", s.rinexFile);
    case 'R':
        s.resultFile = ValueOf(word, 2, "-r");
        return Report("RESULT file name: ", s.resultFile);
    case 'P':
        return SetSatList(
            s.satellites, word, "-p",
            "LIST OF SATELLITES [-p] WITH WRONG NUMBER OF CHARACTERS (3 PER SAT EXPECTED)!",
            "satellites PRN's: ");
    case 'X':
        return SetSatList(s.excluded, word, "-x",
                          "LIST OF EXLUDED SATELLITES [-x] WITH WRONG NUMBER OF CHARACTERS (3 PER "
                          "SAT EXPECTED)!",
                          "excluded satellites PRN's: ");
    case 'L': return SetCodes(word);
    case 'I': return SetSignalChoices(word);
    case 'F': return SetPairs(word);
    case 'C': return SetSystems(word + 2);
    case 'M': // -m1 and -m2 name files; -ms is a switch
        if (c3 == '1') return SetFile(s.mp1File, word, "-m1", "MULTIPATH P1 file name: ");
        if (c3 == '2') return SetFile(s.mp2File, word, "-m2", "MULTIPATH P2 file name: ");
        if (c3 == 's' || c3 == 'S') {
            s.removeClockJumps = true;
            return Report("Eliminate MS jumps in observations: ", "YES");
        }
        break;
    case 'G': // only -gf and -GF: the case of the two letters must agree
        if ((c == 'g' && c3 == 'f') || (c == 'G' && c3 == 'F'))
            return SetFile(s.channelFile, word, "-gf", "GLONASS FREQUENCY CHANNEL file: ");
        break;
    case 'S': return SetEpoch(s.start, word, "START epoch: ");
    case 'E': return SetEpoch(s.end, word, "END epoch: ");
    case 'T': s.interval = ParseFloat(word, 2); return Report("time interval DT: ", *s.interval);
    case 'D':
        s.maxClockError = std::fabs(ParseDouble(word, 2));
        return Report("Maximum alowed clock error in RINEX epochs: ", s.maxClockError);
    case 'U': return SetPhaseUnit(word[2]);
    case 'V': return; // decided before the first word
    case 'A': s.allEpochs = true; return;
    case 'N':
        s.navFiles.push_back(ValueOf(word, 2, "-n"));
        return Report("NAVIGATION file name: ", s.navFiles.back());
    case 'K': return SetCutOff(word);
    case 'W': return SetPosition(word);
    case 'J': return SetThreads(word + 2);
    }
    std::string warn = "UNKNOWN PARAMETHER: -";
    if (c != '\0') warn += c;
    ProgramWarning(ProgName, warn.c_str());
}

void CommandLine::SetFile(std::optional<std::string>& file, const char* word, const char* option,
                          const char* label)
{
    file = ValueOf(word, 3, option);
    Report(label, *file);
}

void CommandLine::SetSatList(std::optional<SatelliteList>& list, const char* word,
                             const char* option, const char* warning, const char* label)
{
    list = SatelliteList{ValueOf(word, 2, option, SatListCapacity), {}};
    const std::string& text = list->text;
    if (text.size() % 3 != 0) ProgramWarning(ProgName, warning);
    ParseSatList(word, list->prn, 2);
    RefuseOutsideSlots(*list, option);
    std::ostream& out = Detail() << label << text << " -> ";
    for (std::size_t k = 0; k + 3 <= text.size(); k += 3) out << ' ' << text.substr(k, 3);
    out << "!\n";
}

void CommandLine::SetCodes(const char* word)
{
    const std::string list = ValueOf(word, 2, "-l");
    std::string spaced = list;
    std::replace(spaced.begin(), spaced.end(), ':', ' ');
    Detail() << "observation types: " << list << " ->" << spaced;
    s.codes = std::vector<int>();
    for (const std::string& code : ColonEntries(list, "OBSERVATION LIST", "CODE"))
        s.codes->push_back(ParseListCode(code));
    progress.More() << "!\n";
}

// -iG2LX:E1C: each entry a system letter, a band digit of its signals and the attributes to
// prefer there, in order; a later -i replaces the earlier choices.
void CommandLine::SetSignalChoices(const char* word)
{
    const char* what = "SIGNAL CHOICE";
    s.signalChoices.clear();
    for (const std::string& e : ColonEntries(word + 2, "SIGNAL CHOICE [-i]", "ENTRY")) {
        const SatSystem* sys = SystemOfEntry(e);
        const bool letters = e.size() > 2 && std::all_of(e.begin() + 2, e.end(), [](char c) {
                                 return c >= 'A' && c <= 'Z';
                             });
        if (sys == nullptr || e.size() < 2 || BandOf(e[1]) == 0 || !letters)
            RefuseEntry(what, e, "-i",
                        " INCORRECT (A SYSTEM LETTER, A BAND DIGIT AND ATTRIBUTE LETTERS, SUCH "
                        "AS G2LX)!");
        if (!sys->ReadsBand(BandOf(e[1])))
            RefuseEntry(what, e, "-i",
                        std::string(" IS NOT A BAND OF ") + sys->name +
                            " (ITS BANDS:" + BandsOf(*sys) + ")!");
        for (const SignalChoice& c : s.signalChoices)
            if (c.system == e[0] && c.band == e[1])
                RefuseEntry(what, e, "-i", " CHOOSES A BAND ALREADY CHOSEN!");
        s.signalChoices.push_back({e[0], e[1], e.substr(2)});
    }
    Report("signal choice:", SignalChoicesText(s));
}

// -fG15:E15: each entry a system letter and the two bands of its combinations; a later -f
// replaces the earlier pairs.
void CommandLine::SetPairs(const char* word)
{
    const char* what = "FREQUENCY PAIR";
    for (const SatSystem& sys : SatSystems) s.pairs[RowOf(sys)] = sys.DefaultPair();
    std::string paired;
    for (const std::string& e : ColonEntries(word + 2, "FREQUENCY PAIRS [-f]", "PAIR")) {
        const SatSystem* sys = SystemOfEntry(e);
        if (sys == nullptr || e.size() != 3 || BandOf(e[1]) == 0 || BandOf(e[2]) == 0 ||
            e[1] == e[2])
            RefuseEntry(what, e, "-f",
                        " INCORRECT (A SYSTEM LETTER AND TWO DIFFERENT BAND DIGITS, SUCH AS "
                        "G15)!");
        const int a = BandOf(e[1]), b = BandOf(e[2]);
        if (!sys->ReadsBand(a) || !sys->ReadsBand(b))
            RefuseEntry(what, e, "-f",
                        std::string(" IS NOT A PAIR OF BANDS OF ") + sys->name +
                            " (ITS BANDS:" + BandsOf(*sys) + ")!");
        if (paired.find(e[0]) != std::string::npos)
            RefuseEntry(what, e, "-f", " PAIRS A SYSTEM ALREADY PAIRED!");
        paired += e[0];
        s.pairs[RowOf(*sys)] = sys->Pair(a, b);
    }
    Report("frequency pairs:", PairsText(s, s.systems));
}

void CommandLine::SetSystems(const char* letters)
{
    auto system = [](char c) {
        return SystemOfLetter(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    };
    const std::string_view text = letters;
    const bool lettersOnly =
        std::all_of(text.begin(), text.end(), [&](char c) { return system(c) != nullptr; });
    for (char c : text)
        if (const SatSystem* sys = system(c); sys != nullptr && (lettersOnly || sys->inAnyCText))
            s.systems[RowOf(*sys)] = true;
    Detail() << "Satellite constellation to use:" << SystemNamesOn(s.systems) << "\n";
}

void CommandLine::SetEpoch(std::optional<mjd>& epoch, const char* word, const char* label)
{
    Detail() << label;
    ymdhms date;
    ParseDate(word, date, 2);
    progress.More() << date << "!\n";
    epoch = ymdhms2mjd(date);
}

void CommandLine::SetPhaseUnit(char unit)
{
    const char* label = "Unit of RAW phase observations: ";
    switch (std::toupper(static_cast<unsigned char>(unit))) {
    case 'C': s.phaseMetres = false; return Report(label, "CYCLE");
    case 'M': s.phaseMetres = true; return Report(label, "METER");
    }
    s.phaseMetres.reset();
    Report("Unit of RAW phase observations set incorrectly, using default: ", "CYCLE");
}

// From -j2 on the listing is written by a second thread while the next rows are formatted; -j1
// (the default) keeps the run in one thread, which was the faster on two idle cores: the
// hand-over of the blocks cost more than the writing it took off the formatting. The result is
// the same either way.
void CommandLine::SetThreads(const char* value)
{
    char* end = nullptr;
    const long n = std::strtol(value, &end, 10);
    if (end == value || *end != '\0' || n < 1) {
        ProgramWarning(ProgName, ("NUMBER OF THREADS NOT VALID: -j" + std::string(value) +
                                  " - THE RUN STAYS IN ONE THREAD!")
                                     .c_str());
        return;
    }
    s.writerThread = n > 1;
    Report("Number of threads: ", s.writerThread ? 2 : 1);
}

void CommandLine::SetCutOff(const char* word)
{
    double cutOff = 0;
    if (!WholeNumber(word + 2, cutOff) || cutOff < 0 || cutOff >= 90)
        ProgramError(ProgName, "ELEVATION CUT-OFF [-k] MUST BE A NUMBER OF DEGREES FROM 0 TO "
                               "BELOW 90, SUCH AS -k10!");
    s.cutOff = cutOff;
    Report("ELEVATION CUT-OFF (degrees): ", cutOff);
}

// "-wX,Y,Z": the Earth-fixed position in metres. A point far inside the Earth is a typing
// error, not a receiver: angles seen from it would be nonsense.
void CommandLine::SetPosition(const char* word)
{
    std::string text = word + 2;
    std::array<double, 3> xyz{};
    bool ok = true;
    for (std::size_t i = 0; i < 3 && ok; i++) {
        const std::size_t comma = text.find(',');
        if ((comma == std::string::npos) != (i == 2)) ok = false;
        ok = ok && WholeNumber(text.substr(0, comma).c_str(), xyz[i]);
        if (comma != std::string::npos) text.erase(0, comma + 1);
    }
    if (!ok || std::hypot(xyz[0], xyz[1], xyz[2]) < 6.0e6)
        ProgramError(ProgName, "RECEIVER POSITION [-w] MUST BE X,Y,Z IN METRES (EARTH-FIXED), SUCH "
                               "AS -w3504891.1,780278.5,5201658.9!");
    s.position = xyz;
    Detail() << "RECEIVER POSITION: " << std::fixed << std::setprecision(3) << xyz[0] << " "
             << xyz[1] << " " << xyz[2] << "!\n";
}

// An optional input that cannot be read is switched off; the run goes on without it.
void CommandLine::DropUnreadable(std::optional<std::string>& file, const char* warning)
{
    if (!file || CanRead(file->c_str())) return;
    file.reset();
    ProgramWarning(ProgName, warning);
}

// A navigation file that cannot be opened ends the run: without it the angles and the cut-off
// the user asked for would silently be missing.
void CommandLine::CheckNavOptions()
{
    for (const std::string& f : s.navFiles)
        if (!CanRead(f.c_str()))
            ProgramError(ProgName, ("NAVIGATION FILE " + f + " CAN NOT BE OPENED!").c_str());
    if (s.cutOff && s.navFiles.empty())
        ProgramError(ProgName,
                     "ELEVATION CUT-OFF [-k] NEEDS NAVIGATION FILES [-n] FOR THE ELEVATIONS!");
    if (s.position && s.navFiles.empty())
        ProgramWarning(ProgName, "RECEIVER POSITION [-w] IS USED ONLY WITH NAVIGATION FILES [-n]!");
}

// The RINEX name without its last extension (the last "." anywhere, directories included),
// after a compression extension has been dropped.
void CommandLine::DeriveResultFile()
{
    // A pipe or a device has no folder of its own: its name would put the result file in /dev
    // or /proc.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(s.rinexFile, ec) || s.rinexFile.starts_with("/dev/"))
        ProgramError(
            ProgName,
            "RINEX FILE IS NOT A REGULAR FILE (A PIPE?) - THE RESULT FILE MUST BE SET WITH -r!");
    std::string name = WithoutCompression(s.rinexFile);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    name += ".gof";
    // A cut name would be another file: refuse it rather than write there.
    if (name.size() >= FileCapacity)
        ProgramError(ProgName, "RESULT FILE NAME MADE FROM THE RINEX FILE NAME LONGER THAN 255 "
                               "CHARACTERS (SET IT WITH -r)!");
    s.resultFile = name;
}

// Satellites of a -p or -x list that no -c switch lists are named once: the option does nothing
// for them.
void CommandLine::WarnSystemsOff(const SatelliteList& list, const char* option)
{
    std::string off;
    for (long k = 0; k < list.prn.NRow(); k++)
        if (const SatSystem* sys = SystemOf(list.prn(k)); sys != nullptr && !s.IsOn(*sys))
            off.append(" ").append(SatId(list.prn(k)));
    if (off.empty()) return;
    ProgramWarning(ProgName, ("SATELLITES" + off + " OF OPTION " + option +
                              " BELONG TO NO SYSTEM SWITCHED ON WITH -c!")
                                 .c_str());
}

void CommandLine::FinalChecks()
{
    if (s.rinexFile.empty()) ProgramError(ProgName, "RINEX FILE MUST BE SET!");
    if (!CanRead(s.rinexFile.c_str())) ProgramError(ProgName, "RINEX FILE CAN NOT BE OPENED!");
    DropUnreadable(s.mp1File, "MULTIPATH P1 FILE CAN NOT BE OPENED!");
    DropUnreadable(s.mp2File, "MULTIPATH P2 FILE CAN NOT BE OPENED!");
    DropUnreadable(s.channelFile, "GLONASS FREQUENCY CHANNEL FILE CAN NOT BE OPENED!");
    CheckNavOptions();
    if (s.resultFile.empty()) DeriveResultFile();
    if (std::none_of(s.systems.begin(), s.systems.end(), [](bool on) { return on; }))
        ProgramError(
            ProgName,
            (std::string("NO GNSS SATELLITE SYSTEM SET [-c[") + LettersText("|") + "]]!").c_str());
    if (s.satellites) WarnSystemsOff(*s.satellites, "-p");
    if (s.excluded) WarnSystemsOff(*s.excluded, "-x");
}

} // namespace

RunSettings ParseCommandLine(int argc, const char** argv, Progress& progress)
{
    RunSettings s;
    s.verbose = progress.On();
    for (const SatSystem& sys : SatSystems) s.pairs[RowOf(sys)] = sys.DefaultPair();
    CommandLine line(s, progress);
    progress.Line("GetFiles") << " parsing input parameters!\n";
    for (int i = 1; i < argc; i++) {
        if (argv[i][0] == '-')
            line.Parse(argv[i]);
        else
            ProgramWarning(ProgName,
                           (std::string(" - PARAMETHER MANDATORY -> ") + argv[i]).c_str());
    }
    line.FinalChecks();
    return s;
}
