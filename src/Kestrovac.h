// SPDX-License-Identifier: BSD-2-Clause
// Kestrovac: the application object. It owns every setting of a run and drives the phases
// that read the inputs, write the settings header and list the observations.
#ifndef KESTROVA_SRC_KESTROVAC_H
#define KESTROVA_SRC_KESTROVAC_H

#include "GNSS/BroadcastNav.h"
#include "GNSS/GLNSat.h"
#include "GNSS/RINEX.h"
#include "GNSS/RINEXData.h"
#include "GNSS/RINEXHeader.h"
#include "GNSS/SatConstants.h"
#include "GNSS/SatGeometry.h"
#include "GNSS/SatSystem.h"
#include "GNSS/mjd.h"
#include "PROGINC/ResultFile.h"
#include "PROGINC/TextBlock.h"
#include "matrix/matrix.h"
#include "teqc/CompactTEQC.h"

#include <array>
#include <fstream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

class Kestrovac {
  public:
    Kestrovac(RINEXHeader& rheadi, RINEXData& rdatai, RINEX& rnxi, CompactTEQC& mp1i,
              CompactTEQC& mp2i, GLNSat& gsi);
    Kestrovac(const Kestrovac&) = delete;
    Kestrovac& operator=(const Kestrovac&) = delete;

    // The phases of a run, in their order.
    void GetFiles(int nargc, const char** cargv);
    void SetFile();
    void ReadFile();
    void PrintSet();
    void PrintObs(const GlonassChannels& channels);
    void EndProg();

    bool GetVerbose() const { return verbose; }
    // GLONASS channels are known: from a channel file, the RINEX header or navigation files.
    bool GetIsGLNFreqChan() const { return isGLNfc || isGLNhead || isGLNnav; }
    bool GetIsMP1() const { return isMP1; }
    bool GetIsMP2() const { return isMP2; }

    // The observation list.
    void ParseObs(const char* tmp, int ilist);
    void CheckObsInRNX(int ilist);
    void GetObs(int i, char* tmp, int& nwidth) const;
    const matrix<unsigned short>& GetObsList() const { return obslist; }
    const matrix<short>& GetIfExistObs() const { return IfExistObs; }

  private:
    RINEXHeader& rh;
    RINEXData& rd;
    RINEX& rnx;
    CompactTEQC& mp1;
    CompactTEQC& mp2;
    GLNSat& glnfc;

    // The settings record.
    char rnxfile[256];
    char mp1file[256];
    char mp2file[256];
    char gfcfile[256];
    char resfile[256];
    char satellites[300];
    char xsatellites[300];
    char observations[256];
    bool verbose;
    bool isStart;
    bool isEnd;
    bool isSat;
    bool isxSat;
    bool isObs;
    bool isDt;
    bool isAll;
    bool isSecondThread; // the listing is written by a second thread (-j2)
    bool isMP1;
    bool isMP2;
    bool isGLNfc;
    bool isGLNhead; // the GLONASS channels of the RINEX 3 or 4 header are used (no -gf)
    bool isEpochRound;
    bool isMSJump;
    // The systems -c switches on, by their row of the table of systems.
    std::array<bool, SatSystems.size()> isSystem{};
    // The signals -i prefers (RINEX 3 and 4), and the pair of bands of each system's
    // combinations (-f; by its row of the table of systems).
    std::vector<SignalChoice> signalChoices;
    std::array<BandPair, SatSystems.size()> pairs{};
    long double dt;
    long double EpochRound;
    long nMSJumps;
    matrix<short> satprn;
    matrix<short> xsatprn;
    matrix<short> IfExistObs;
    matrix<unsigned short> obslist;
    mjd stE;
    mjd enE;
    bool isUnit;
    short PhUnit;
    std::ofstream res;
    ResultFile result;
    int nObsReal;
    // Rows written with observations (not the "***" rows of -a), all satellites together.
    long nObsRows = 0;
    // Per epoch: whether it is listed (inside the window, on the grid), and for a listed one
    // its calendar and MJD forms, the start of its rows.
    std::vector<char> isListed;
    std::vector<std::string> epochText;
    // The first record of each epoch, and one past the last record at the end.
    std::vector<long> epochFirst;
    // The records of each satellite number in store order: satRecords from satFirst(s) on to
    // satFirst(s + 1).
    std::vector<long> satRecords;
    std::vector<long> satFirst;
    // The codes of a row, in list order: those the file can supply.
    std::vector<int> rowCodes;
    // Room for the longest row.
    std::size_t rowRoom = 0;
    // The first entry and the entry size of each stored observation table.
    struct Entries {
        const char* first;
        std::size_t size;
    };
    std::vector<Entries> storedTables;

    void StartProg();
    void SetDefaults();

    // The command line, word by word, then the checks after its last word.
    void ParseOption(const char* word);
    void SetThreads(const char* value);
    // A verbose line of the option settings. Numbers go out in the stream's current format:
    // until an epoch has been written that is six significant digits; the epoch text form leaves
    // standard output fixed with one decimal.
    static std::ostream& Detail();
    template <typename T> void Report(const char* label, const T& value) const
    {
        if (verbose) Detail() << label << value << "!\n";
    }
    void SetOptionalFile(const char* word, char (&file)[256], bool& isSet, const char* option,
                         const char* label);
    void SetSatList(const char* word, char (&text)[300], matrix<short>& prn, bool& isSet,
                    const char* option, const char* warning, const char* label);
    void SetObsList(const char* word);
    void SplitObsList();
    void SetSignalChoices(const char* word);
    void SetPairs(const char* word);
    const BandPair& PairOf(const SatSystem& s) const { return pairs[RowOf(s)]; }
    std::string SignalChoicesText() const;
    std::string PairsText() const;
    bool AnyPairChosen() const;
    void WarnUnmetChoices() const;
    void SetSystems(const char* letters);
    bool IsOn(const SatSystem& s) const;
    bool AnySystemOn() const;
    std::string SystemsOn() const;
    std::string ListedLetters() const;
    void WarnSystemsOff(const matrix<short>& prn, const char* option) const;
    void DropSystemsWithoutChannels();
    void SetEpoch(const char* word, const char* label, mjd& epoch, bool& isSet);
    void SetPhaseUnit(char unit);
    void FinalChecks();
    void DeriveResultFile();
    void CheckInputsDistinct() const;

    // Reading (SetFile, ReadFile).
    static int ObsCodeNumber(const char* text);
    static int HeaderTypeCode(unsigned short t);
    void ListAllHeaderTypes();
    unsigned long TypesRead() const;
    void CheckAvailability();
    void TakeOpenSettingsFromFile();
    void ReadOptionalFiles();
    void WriteListEntry(std::ostream& out, long i) const;

    // Settings header (PrintSet).
    void WriteSatelliteList(std::ostream& out);
    void WriteEpochLine(const char* label, const mjd& e, bool manual);
    void WriteColumnHeading();
    bool IsExcluded(short s);

    // Navigation data and the geometry they give (KestrovacNav.cpp): the files of -n, the
    // cut-off of -k, the receiver position of -w or the one found, the receiver's local frame
    // (none while its position is unknown), and the angles of the row being written.
    std::vector<std::string> navFiles;
    BroadcastNav nav;
    bool isCutOff = false;
    double cutOff = 0;
    bool isPosition = false;
    double position[3] = {};
    const char* positionSource = nullptr; // how the position was found; nullptr: not found
    std::unique_ptr<StationFrame> station;
    bool isGLNnav = false; // some GLONASS channels come from the navigation files
    bool anglesListed = false;
    std::vector<double> epochGps; // per listed epoch: GPS seconds, where angles are needed
    struct Angles {
        bool known = false;
        double az = 0, el = 0;
    } rowAngles;
    void AddNavFile(const char* file);
    void SetCutOff(const char* word);
    void SetPosition(const char* word);
    void CheckNavOptions();
    bool NeedsAngles() const { return station != nullptr && (anglesListed || isCutOff); }
    void ReadNavFiles();
    void CompleteGlonassChannels();
    const char* TakeChannel(short s, const mjd& first);
    void SwitchOffWithoutChannels(const SatSystem& s);
    void LocateReceiver();
    bool SinglePointPosition(double xyz[3]) const;
    void WriteNavSettings();
    std::optional<SatelliteTrack> TrackOf(const SatSystem& sys, short s) const;
    void FindAngles(SatelliteTrack& track, std::size_t j, long& nUnknown);
    bool BelowCutOff() const { return isCutOff && rowAngles.known && rowAngles.el < cutOff; }

    // Listing (PrintObs).
    void CorrectMSJumps(const GlonassChannels& channels);
    const SatSystem* ListedSystem(short s) const;
    void PrintSatellite(short s, const GlonassChannels& channels, TextBlock& block);
    bool IsListedEpoch(const mjd& e) const;

    // The grid of the listed epochs (KestrovacGrid.cpp): multiples of dt from 00:00 of each
    // day, or from the first epoch of the window when no epoch lies on that grid and -t was not
    // given.
    struct GridCount;
    void SetGrid();
    GridCount CountOnGrid() const;
    long double GridOffset(const mjd& e) const;
    void WriteGridOrigin();
    long double gridOrigin = 0; // seconds of day the grid is counted from
    bool isGridFromFirst = false;
    mjd gridFirst; // the first epoch of the window, when the grid starts there
    void MakeEpochTexts();
    void GroupRecords();
    void FindStoredTables();
    void Prefetch(long k) const;
    char* PutRow(char* p, std::size_t j, long k, const char* tag, long& nObsSat) const;
    // The value columns of one code for one satellite record, at p; returns their end.
    struct RecordObs;
    char* PutObs(char* p, const RecordObs& r, int obs, bool& obsIsOK) const;
    void LoadConstants(const SatSystem& sys, std::optional<long double> channel);

    // The satellite being listed: its constants, the factor of each raw phase column (the
    // wavelength in metre mode, else 1), and the first entries of the tables most codes read: the
    // fixed C1, P1 and L1 and the pair of its system (nullptr where the file or the system has no
    // such column).
    SatConstants satc{};
    std::array<long double, NBands> phaseFactor{};
    struct RowTables {
        const gnssobs *C1, *P1, *L1, *firstCode, *firstPCode, *secondCode, *phase1, *phase2;
    } rowTables{};
};

#endif
