// SPDX-License-Identifier: BSD-2-Clause
// RunPlan: what a run lists, decided once from the settings and the file read: the systems, the
// codes with their availability, the window and its grid, the satellites, the GLONASS channel
// sources and the receiver position the angles are seen from.
#ifndef KESTROVA_SRC_RUNPLAN_H
#define KESTROVA_SRC_RUNPLAN_H

#include "GNSS/BroadcastNav.h"
#include "GNSS/GLNSat.h"
#include "GNSS/RINEX.h"
#include "GNSS/RINEXData.h"
#include "GNSS/RINEXHeader.h"
#include "GNSS/SatConstants.h"
#include "GNSS/SatGeometry.h"
#include "GNSS/mjd.h"
#include "matrix/matrix.h"
#include "src/NominalSpan.h"
#include "src/Progress.h"
#include "src/RunSettings.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// A code of the list and whether the file can supply it.
struct ListEntry {
    int code;
    bool available;
};

// Where the GLONASS channels come from: a channel file, the RINEX 3 or 4 header, the
// navigation files (for slots the others lack), the channel table installed with the program
// without a channel file (for slots no other source gives; kept only where a slot takes its
// channel from it).
struct ChannelSources {
    bool file = false, header = false, nav = false;
    std::optional<std::string> table;
    bool Any() const { return file || header || nav || table.has_value(); }
};

// The receiver position and how it was found ("manually set", "from RINEX header",
// "single-point position").
struct Receiver {
    std::array<double, 3> xyz{};
    const char* source = nullptr;
};

// The grid of the listed epochs: multiples of the interval from 00:00 of each day, or from the
// first epoch of the window when no epoch lies on that grid and -t was not given.
struct Grid {
    long double origin = 0;       // seconds of day the grid is counted from
    std::optional<mjd> fromFirst; // the first epoch of the window, when the grid starts there
};

struct RunPlan {
    SystemSet systems{}; // those asked for, less the systems without channels
    ChannelSources channels;
    GlonassChannels glonass; // the channel of each slot, where a source gives one
    std::vector<ListEntry> list;
    mjd start, end;
    // The span the summary counts completeness over where it is not the window: the file's
    // nominal span, at the ends -s and -e do not set, where the file ends early.
    std::optional<NominalSpan> nominal;
    long double interval = 0;
    Grid grid;
    matrix<short> satellites;
    std::optional<Receiver> receiver;
    std::optional<StationFrame> station; // the receiver's local frame, while its position is known
    // The systems listed whose satellites no navigation record serves in the window: said once
    // for the system, not for each satellite.
    SystemSet withoutEphemeris{};

    bool IsOn(const SatSystem& s) const { return systems[RowOf(s)]; }
    // The codes listed, and of them those the file supplies.
    long Available() const;
    // Inside the window and on the grid within the largest clock error.
    bool IsListedEpoch(const mjd& e, long double maxClockError) const;
    long double GridOffset(const mjd& e) const;
};

// The header types whose values the run reads: those of the listed codes (for either system
// part), of the clock-jump correction and of the multipath removal.
unsigned long TypesToRead(const RunSettings& s, const SystemSet& systems);
// Those a single-point position of the receiver reads (the first code of each system's pair):
// none with -w or without navigation files. The reader stores them only for a header without a
// position (ReadRequest::positionTypes).
unsigned long PositionTypes(const RunSettings& s, const SystemSet& systems);

// The systems that can be listed: a system on channels (GLONASS) only where its channels are
// known or may come from the navigation files or the channel table installed with the program
// in programFolder (see InstalledChannelTable).
void DecideChannelSources(RunPlan& plan, const RunSettings& s, RINEX& rnx,
                          const std::filesystem::path& programFolder);
// The codes listed (those of -l, else every header type with a column) and whether the store,
// holding the types stored, supplies each for a system of the plan.
std::vector<ListEntry> PlanList(const RunSettings& s, const RunPlan& plan, const RINEXHeader& h,
                                unsigned long stored, Progress& progress);
// The list with the availability of each code, the window, the satellites and the interval; a
// file that ends before its nominal span is said once.
void PlanListing(RunPlan& plan, const RunSettings& s, const RINEX& file, Progress& progress);
// The grid of the listed epochs, with the warnings of the epochs it drops.
void PlanGrid(RunPlan& plan, const RunSettings& s, const RINEXData& d, Progress& progress);
// The GLONASS channel of each slot, from its sources in their order (a warning names the
// installed table where a slot takes its channel from it), then with navigation files the
// receiver position and, where angles are needed, the systems the navigation files do not
// cover in the window (one warning each). With -k a run in which no row can have an elevation
// ends with an error.
void PlanGeometry(RunPlan& plan, const RunSettings& s, const RINEX& file, GLNSat& channels,
                  const BroadcastNav& nav, Progress& progress);

// The types the store holds: those read and the stand-ins the corrections will make.
unsigned long StoredTypes(const RINEX& file);

#endif
