// SPDX-License-Identifier: BSD-2-Clause
// What a run asks of the reader of an observation file, and the one rule of the types that stand
// in for types a file lacks.
#ifndef KESTROVA_GNSS_READREQUEST_H
#define KESTROVA_GNSS_READREQUEST_H

#include "GNSS/ObsType.h"

#include <string>
#include <vector>

// A choice of signals of the run (-i): the attributes to try first, in their order, for the C,
// L, D and S types of one band of a system.
struct SignalChoice {
    char system;
    char band;
    std::string attributes;
};

struct ReadRequest {
    // The types whose values are stored; the fields of the others are passed over.
    ObsTypeSet types = EveryType();
    // The letters of the systems the run lists: the RINEX 3 and 4 signals of some systems are
    // read only then.
    std::string systems;
    // Tried before the default signals of a RINEX 3 or 4 file.
    std::vector<SignalChoice> signalChoices;
    // Every signal of the file is kept under its own name as well (RINEXData::signals), beside
    // the tables of the types.
    bool everySignal = false;
    // Stored as well where the header gives no receiver position: the position is then found
    // from them.
    ObsTypeSet positionTypes = ObsTypeSet();
};

// A type that stands in for one the file lacks: its values are copied into the table of the
// missing one. The reader makes the copies of atReading itself; the others are corrections the
// run makes (and announces) when it corrects the store.
struct StandIn {
    RINEXObsType missing, by;
    bool atReading;
    bool pairSystemsOnly; // only for the systems whose pair has the missing type as a column
    // the letters of the systems whose records take the copy; empty for every system
    std::string systems;
};

class RINEXHeader;

// P1 for C1, C2 for P2: those the types of the file call for. C2 stands in for P2 only where P2 is
// a column of a system's pair (GPS, GLONASS), judged by the types of those systems alone.
std::vector<StandIn> StandInsOf(const RINEXHeader& h);

// The types the reader stores for a request: those asked for, and the stand-ins of those asked
// for that the file lacks.
ObsTypeSet TypesStored(const RINEXHeader& h, const ObsTypeSet& asked);

#endif
