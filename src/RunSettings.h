// SPDX-License-Identifier: BSD-2-Clause
// RunSettings: what the command line asks of a run, parsed once. Every later phase reads these
// values; none of them parses an option again.
#ifndef KESTROVA_SRC_RUNSETTINGS_H
#define KESTROVA_SRC_RUNSETTINGS_H

#include "GNSS/RINEXHeader.h"
#include "GNSS/ReadRequest.h"
#include "GNSS/SatSystem.h"
#include "GNSS/mjd.h"
#include "matrix/matrix.h"
#include "src/Progress.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

// A list of satellites as typed (-p, -x) and their numbers.
struct SatelliteList {
    std::string text;
    matrix<short> prn;
    bool Holds(short s) const;
};

// The systems switched on, by their row of the table of systems.
using SystemSet = std::array<bool, SatSystems.size()>;

struct RunSettings {
    // the inputs and the result file; an optional input that cannot be read is left unset
    std::string rinexFile;
    std::optional<std::string> mp1File, mp2File, channelFile;
    std::vector<std::string> navFiles;
    std::string resultFile;
    // what is listed: systems, satellites, codes (list numbers; none: every header type)
    SystemSet systems{};
    std::optional<SatelliteList> satellites, excluded;
    std::optional<std::vector<int>> codes;
    std::vector<SignalChoice> signalChoices;
    std::array<BandPair, SatSystems.size()> pairs{};
    // when: the window, the interval of the grid and the largest clock error off it
    std::optional<mjd> start, end;
    std::optional<long double> interval;
    long double maxClockError = 0.1; // the double 0.1, widened
    // geometry: the elevation cut-off (degrees) and the receiver position (-w, metres)
    std::optional<double> cutOff;
    std::optional<std::array<double, 3>> position;
    // how: phases in metres (-uM; unset: cycles by default), clock jumps removed, every epoch
    // on the grid, progress lines, a writer thread
    std::optional<bool> phaseMetres;
    bool removeClockJumps = false;
    bool allEpochs = false;
    bool verbose = false;
    bool writerThread = false;

    bool IsOn(const SatSystem& s) const { return systems[RowOf(s)]; }
    const BandPair& PairOf(const SatSystem& s) const { return pairs[RowOf(s)]; }
    bool Excludes(short s) const { return excluded && excluded->Holds(s); }
};

// -v anywhere on the command line: decided before any other word, so that the banner and the
// progress of the options come first.
bool AsksForProgress(int argc, const char** argv);

// The settings of a command line, with every check of the options; a word that stops the run
// ends it in its frame, with the messages in the order of the words.
RunSettings ParseCommandLine(int argc, const char** argv, Progress& progress);

// " GPS GLONASS BDS", " G1-5 E1-5" (the pairs of the systems on), " G2LX E1C": the texts of
// the settings header and of -v.
std::string SystemNamesOn(const SystemSet& on);
std::string PairsText(const RunSettings& s, const SystemSet& on);
std::string SignalChoicesText(const RunSettings& s);
std::string ChoiceText(const SignalChoice& c);
// A system switched on combines another pair than its default one.
bool AnyPairChosen(const RunSettings& s, const SystemSet& on);
// "GRE": the letters of the systems switched on.
std::string ListedLetters(const SystemSet& on);

#endif
