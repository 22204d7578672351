// SPDX-License-Identifier: BSD-2-Clause
// The values of one column of a result file for pictures (kestrova-plot): per satellite, in
// time order, each value with the arc the summary gives it, the value less its arc's mean, and
// the elevation and azimuth of its row where the file lists them.
#ifndef KESTROVA_SUMMARY_PLOTDATA_H
#define KESTROVA_SUMMARY_PLOTDATA_H

#include "summary/ArcSummary.h"
#include "summary/GofReader.h"

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// A choice of satellites: identifiers and whole systems by their letter, as "G05,R12,E" or
// "G05R12". Empty: every satellite.
class SatelliteChoice {
  public:
    // False for a text that is neither (the choice is then empty).
    bool Parse(std::string_view text);
    bool Takes(int satellite) const;
    // The one system every satellite chosen belongs to; nullptr for a choice of several systems
    // or none.
    const SatSystem* OnlySystem() const;

  private:
    std::vector<int> satellites;
    std::vector<char> systems;
};

// The unit of a column as the pictures label it.
std::string ColumnUnit(std::string_view column, bool phaseInMetres);

// Whether a column carries an ambiguity or a bias that holds for an arc and changes from arc to
// arc: raw phases, phase combinations, multipath and code minus phase. Codes, strengths,
// Dopplers, code differences and angles have none.
bool CarriesArcBias(std::string_view column);

// MJD of 1970-01-01, where the seconds of the pictures' time axis begin.
inline constexpr Ticks UnixDay = 40587;

// A time as seconds since 1970-01-01 with milliseconds ("1423785600.000"): the time axis of the
// plot rows.
std::string UnixSecondsText(Ticks t);

// Writes the comment lines "# rinex:", "# unit:", "# interval:" (seconds), "# span:" (first and
// last epoch drawn as written, and as seconds since 1970), "# arc bias:" (yes or no, as
// CarriesArcBias), "# bands:" for a combination of a pair of bands (BandsOf, for the systems
// chosen), "# nominal span:" where the header gives one, then one line per value:
// satellite, seconds since 1970, arc (1, 2, ... per satellite), value, value less its arc's mean
// (the value itself for a column without a bias per arc), elevation, azimuth ("-" where the file
// has none). A column the file does not list ends the run with a framed error.
void PrintPlotData(std::ostream& out, GofReader& reader, std::int64_t mwJumpMilli,
                   const std::string& column, const SatelliteChoice& choice);

#endif
