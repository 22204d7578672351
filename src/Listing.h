// SPDX-License-Identifier: BSD-2-Clause
// Listing: the rows of the result file, satellite after satellite, epoch after epoch.
#ifndef KESTROVA_SRC_LISTING_H
#define KESTROVA_SRC_LISTING_H

#include "GNSS/BroadcastNav.h"
#include "GNSS/GLNSat.h"
#include "GNSS/RINEX.h"
#include "GNSS/RINEXData.h"
#include "GNSS/RINEXHeader.h"
#include "GNSS/SatGeometry.h"
#include "PROGINC/TextBlock.h"
#include "src/ListCodes.h"
#include "src/Progress.h"
#include "src/RunPlan.h"
#include "src/RunSettings.h"

#include <optional>
#include <string>
#include <vector>

// What the rows of one run are made of, laid out once before the first row: the epochs listed
// with their time texts, the records of each satellite, the codes of a row.
class Listing {
  public:
    Listing(const RunSettings& s, const RunPlan& p, const RINEX& file, GLNSat& channels,
            const BroadcastNav& nav);
    // Every listed satellite's rows into out; the number of rows with observations.
    long Write(std::ostream& out, Progress& progress);

  private:
    const RunSettings& settings;
    const RunPlan& plan;
    const RINEX& file;
    const RINEXData& data;
    GLNSat& channels;
    const BroadcastNav& nav;
    // Per epoch: whether it is listed (inside the window, on the grid), and for a listed one
    // its calendar and MJD forms, the start of its rows; its GPS seconds where angles are needed.
    std::vector<char> isListed;
    std::vector<std::string> epochText;
    std::vector<double> epochGps;
    // The first record of each epoch, and one past the last record at the end.
    std::vector<long> epochFirst;
    // The records of each satellite number in store order: satRecords from satFirst(s) on to
    // satFirst(s + 1).
    std::vector<long> satRecords;
    std::vector<long> satFirst;
    // The codes of a row, in list order: those the file can supply; room for the longest row.
    std::vector<PutValue> rowValues;
    std::size_t rowRoom = 0;
    bool needsAngles = false;
    // The first entry and the entry size of each stored observation table.
    struct Entries {
        const char* first;
        std::size_t size;
    };
    std::vector<Entries> storedTables;

    void MakeEpochTexts();
    void GroupRecords();
    void FindStoredTables();
    void Prefetch(long k) const;
    long WriteSatellite(short s, TextBlock& block, Progress& progress);
    SatelliteColumns ColumnsOf(const SatSystem& sys, short s) const;
    char* PutRow(char* p, std::size_t j, long k, const char* tag, const SatelliteColumns& c,
                 const RowAngles& angles, long& nObsSat) const;
};

#endif
