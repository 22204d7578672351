// SPDX-License-Identifier: BSD-2-Clause
// The constants of one satellite, made once from its system's row of the table of systems, the
// pair of bands of its combinations and, for GLONASS, the frequency channel of its slot; and the
// channels of the GLONASS slots for the run.
#ifndef KESTROVA_GNSS_SATCONSTANTS_H
#define KESTROVA_GNSS_SATCONSTANTS_H

#include "GNSS/GNSSLinCombs.h"
#include "GNSS/SatSystem.h"
#include "GNSS/mGNSSc.h"

#include <array>
#include <optional>

using BandWavelengths = std::array<long double, NBands>;

// The factors of the code multipath of the first code (mp1) and of the second code (mp2): the
// metres of the first and of the second phase in cycles that each takes from its code.
struct MultipathFactors {
    long double mp1Fact1, mp1Fact2, mp2Fact1, mp2Fact2;
};

struct SatConstants {
    // The wavelength of each band, m (a GLONASS slot's on its channel); 0 where the system has
    // no carrier on the band.
    BandWavelengths lamb;
    PairFactors pair;
    MultipathFactors mp;
    // The frequency channel the wavelengths lie on; none for a system of one carrier per band,
    // and for a GLONASS slot without one (which then has the wavelengths of channel 0).
    std::optional<long double> channel;
};

SatConstants SatConstantsOf(const SatSystem& sys, const BandPair& pair,
                            std::optional<long double> channel);

// The frequency channel of each GLONASS slot (R01 to R32) for the run; none where no source gave
// the slot one.
struct GlonassChannels {
    std::array<std::optional<long double>, GLONASSc::NSlots> bySlot{};

    // The channel of satellite sat: none for a satellite of no slot and a slot without one.
    std::optional<long double> Of(short sat) const;
};

#endif
