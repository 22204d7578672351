// SPDX-License-Identifier: BSD-2-Clause
// NominalSpan: the span an observation file promises, from its header's TIME OF LAST OBS or the
// period of its RINEX 3 or 4 long name (SSSSMRCCC_K_YYYYDDDHHMM_01H_30S_MO.rnx: from 10:00 for
// one hour), against which a file that ends early is told.
#ifndef KESTROVA_SRC_NOMINALSPAN_H
#define KESTROVA_SRC_NOMINALSPAN_H

#include "GNSS/RINEX.h"
#include "GNSS/RINEXHeader.h"
#include "GNSS/mjd.h"

#include <optional>
#include <string>

struct NominalSpan {
    mjd start, end;     // the first and the last epoch promised
    std::string source; // what promised it: "TIME OF LAST OBS", "FILE NAME 01H"
    long epochs = 0;    // the epochs of the span at the file's interval, both ends included
};

// The start and the period (s) of a RINEX 3 or 4 long file name (any folder before it); none for
// another name or a period of unknown length (00U).
struct NamedPeriod {
    mjd start;
    long double seconds = 0;
    std::string text; // "01H"
};
std::optional<NamedPeriod> PeriodOfFileName(const std::string& fileName);

// The nominal span where the epochs read end more than two intervals before it: of the header's
// TIME OF LAST OBS (from its TIME OF FIRST OBS, or the first epoch read) and of the file name's
// period, the one that ends last (the header's where both end alike). A name whose span does not
// hold the first epoch read, a span of more than a year and a file without an interval promise
// nothing. None where the file holds its span.
std::optional<NominalSpan> ShortOfNominalSpan(const RINEXHeader& h, const ReadFacts& facts,
                                              const std::string& fileName);

#endif
