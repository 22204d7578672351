// SPDX-License-Identifier: BSD-2-Clause
// The grid of the listed epochs: which epochs of the window it drops, and where it is counted
// from.
#include "GNSS/TimeConverse.h"
#include "GNSS/ymdhms.h"
#include "PROGINC/ProgramError.h"
#include "src/Kestrovac.h"

#include <cmath>
#include <iostream>
#include <sstream>

struct Kestrovac::GridCount {
    long window = 0;         // epochs inside the window
    long onGrid = 0;         // of those, the ones within the clock error of the grid
    long double largest = 0; // the largest offset of the others
    mjd first;               // the first epoch inside the window
};

namespace {

// Seconds as a short decimal: 30, 0.1, 0.4427602.
std::string Seconds(long double s)
{
    std::ostringstream text;
    text.precision(7);
    text << static_cast<double>(s);
    return text.str();
}

} // namespace

// How far the epoch lies from the nearest point of the grid.
long double Kestrovac::GridOffset(const mjd& e) const
{
    const long double q = (e.GetSecond() - gridOrigin) / dt;
    return std::fabs((q - std::round(q)) * dt);
}

Kestrovac::GridCount Kestrovac::CountOnGrid() const
{
    GridCount c;
    for (long j = 0; j < rd.GetNEpoch(); j++) {
        const mjd& e = rd.epoch(j);
        if (!(stE <= e && e <= enE)) continue;
        if (c.window++ == 0) c.first = e;
        const long double off = GridOffset(e);
        if (off < EpochRound)
            c.onGrid++;
        else if (off > c.largest)
            c.largest = off;
    }
    return c;
}

// Epochs dropped by a grid the user did not choose are never dropped unseen. A receiver that
// does not steer its clock puts every epoch the same part of a second off the grid from 00:00:
// then the grid is counted from the first epoch, so that the file lists at its own interval.
void Kestrovac::SetGrid()
{
    gridOrigin = 0;
    isGridFromFirst = false;
    // with -t the grid is the one asked for; an interval of 0 (or none) gives no grid at all
    if (isDt || !std::isfinite(dt) || dt == 0) return;
    GridCount c = CountOnGrid();
    const std::string options = " (-d SETS THE CLOCK ERROR, -t THE INTERVAL)!";
    if (c.window > 0 && c.onGrid == 0) {
        isGridFromFirst = true;
        gridFirst = c.first;
        gridOrigin = c.first.GetSecond();
        std::ostringstream first;
        const int decimals = ymdhmsns::NDecSecond;
        ymdhmsns::NDecSecond = 3;
        first << mjd2ymdhms(c.first);
        ymdhmsns::NDecSecond = decimals;
        const std::string firstText = first.str().substr(first.str().find_first_not_of(' '));
        ProgramWarning(ProgName,
                       ("NO EPOCH IN THE TIME WINDOW LIES WITHIN " + Seconds(EpochRound) +
                        " S OF THE GRID OF " + Seconds(dt) + " S FROM 00:00 (LARGEST OFFSET " +
                        Seconds(c.largest) + " S) - THE GRID IS COUNTED FROM THE FIRST EPOCH, " +
                        firstText + "," + options)
                           .c_str());
        if (verbose)
            ProgressLine(std::cout, "ReadFile")
                << " setting GRID - from the first epoch: " << firstText << "!\n";
        c = CountOnGrid();
    }
    if (c.onGrid < c.window)
        ProgramWarning(ProgName,
                       (std::to_string(c.window - c.onGrid) + " OF " + std::to_string(c.window) +
                        " EPOCHS IN THE TIME WINDOW LIE MORE THAN " + Seconds(EpochRound) +
                        " S OFF THE GRID OF " + Seconds(dt) +
                        " S AND ARE NOT LISTED (LARGEST OFFSET " + Seconds(c.largest) + " S)" +
                        options)
                           .c_str());
}

// Only a grid counted from the first epoch is recorded: kestrova-summary counts the same grid.
void Kestrovac::WriteGridOrigin()
{
    if (!isGridFromFirst) return;
    res << "#Grid origin:       " << mjd2ymdhms(gridFirst) << " [" << gridFirst
        << "]  (first epoch: none lies on the grid from 00:00)\n";
}
