// SPDX-License-Identifier: BSD-2-Clause
// SignalMap: which RINEX 3 or 4 observation code of each satellite system is read as which
// two-letter type of the listing. For each system and each two-letter type the first code that
// the system's header list holds is taken: of the run's choice for the type's band
// (ReadRequest::signalChoices), then of the type's row of the default order (SignalPriorities,
// beside the table of systems); the band-3 types and codes without a row are not read. The codes
// of BeiDou and NavIC are read only where the run lists those systems (ReadRequest::systems);
// their satellites take their place in the satellite list from the data anyway.
#ifndef KESTROVA_GNSS_SIGNALMAP_H
#define KESTROVA_GNSS_SIGNALMAP_H

#include "GNSS/RINEXHeader.h"
#include "GNSS/ReadRequest.h"

#include <string>

// Chooses the signals of a RINEX 3 or 4 header from its types records and scale factors: fills
// signals, systemFields, the types and the two-letter type list (nobs, obs: each type once, in
// the order the header first names a code read as it), for what request r asks.
void MapSignals(RINEXHeader& h, const ReadRequest& r);

// The divisor of the values of a code: the factor of the first scale record naming it (or
// naming no code at all, which scales every code of the system).
long double DivisorOf(const RINEXHeader& h, char system, const std::string& code);

// The band of the carrier of a code whose band digit the header writes as `written`: the digit,
// but BeiDou's B1I (band 2) in headers before RINEX 3.03, which write it as band 1; 0 for no
// band digit.
int CarrierBand(const RINEXHeader& h, char system, char written);

// The signals chosen, system by system: " G C1=C1C P1=C1W ... R C1=C1C ...".
std::string SignalsText(const RINEXHeader& h);

// How the signals chosen meet a choice of the run: some type of its band is read from a signal
// it names (any), and the types of its band read from another signal (" L2 D2").
struct ChoiceMet {
    bool any = false;
    std::string others;
};
ChoiceMet HowMet(const RINEXHeader& h, const SignalChoice& c);

#endif
