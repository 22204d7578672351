// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/SatConstants.h"

#include <cstddef>

namespace {

// alpha = (f1 / f2)^2 of the pair, its wavelengths lamb1, lamb2.
MultipathFactors MultipathOf(const PairFactors& f)
{
    const long double a = f.alpha;
    return {(1 + 2 / (a - 1)) * f.lamb1, (2 / (a - 1)) * f.lamb2, (2 * a / (a - 1)) * f.lamb1,
            (2 * a / (a - 1) - 1) * f.lamb2};
}

} // namespace

// The factors come from the table's carriers, so a GLONASS slot keeps the nominal ratio of its
// system whatever its channel; only its wavelengths move with the channel.
SatConstants SatConstantsOf(const SatSystem& sys, const BandPair& pair,
                            std::optional<long double> channel)
{
    if (!sys.channels) channel.reset();
    SatConstants c{};
    for (int b = 0; b < NBands; b++)
        c.lamb[static_cast<std::size_t>(b)] = sys.Wavelength(b, channel);
    const auto b1 = static_cast<std::size_t>(pair.band1), b2 = static_cast<std::size_t>(pair.band2);
    c.pair = PairFactorsOf(sys.freq[b1], sys.freq[b2], c.lamb[b1], c.lamb[b2]);
    c.mp = MultipathOf(c.pair);
    c.channel = channel;
    return c;
}

std::optional<long double> GlonassChannels::Of(short sat) const
{
    if (!GLONASSc::HasSlot(sat)) return std::nullopt;
    return bySlot[static_cast<std::size_t>(GLONASSc::SlotRow(sat))];
}
