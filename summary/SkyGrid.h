// SPDX-License-Identifier: BSD-2-Clause
// The grid epochs of a result file's window at which each satellite of its header was above the
// elevation cut-off, whether it was tracked or not: the navigation files, receiver position and
// cut-off named in the settings header give every satellite's elevation at every grid epoch.
#ifndef KESTROVA_SUMMARY_SKYGRID_H
#define KESTROVA_SUMMARY_SKYGRID_H

#include "GNSS/BroadcastNav.h"
#include "summary/GofReader.h"

#include <string>
#include <vector>

class SkyGrid {
  public:
    // The grid epochs of the window (k x interval from 00:00 of each day, moved to the grid's
    // origin), nearer to it than the clock tolerance (at most half an interval).
    static std::vector<Ticks> Epochs(const GofHeader& h);

    // Reads the navigation files of the header, each as named, else beside the result file. False
    // when the header names none or no receiver position; a file that is not found gives a
    // framed warning and false.
    bool Load(const GofHeader& h, const std::string& resultFile);
    // The same from navigation data already read (false, without a warning, for a grid too large).
    bool Load(const GofHeader& h, const BroadcastNav& nav);
    bool Loaded() const { return loaded; }
    // Grid epochs at which the satellite (a SatelliteIndex) was above the cut-off.
    long long Above(int satellite) const;
    // Whether the grid epoch nearest to t (within half an interval) had it above the cut-off.
    bool IsAbove(int satellite, Ticks t) const;

  private:
    bool loaded = false;
    std::vector<Ticks> grid;
    std::vector<std::vector<bool>> above; // per satellite index; empty: not in the header
    std::vector<long long> counts;
    Ticks reach = 0;
};

#endif
