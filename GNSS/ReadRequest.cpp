// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/ReadRequest.h"

namespace {

// C1 is read from P1 where a file has no C1 at all, so that the [C] forms can be listed; P2 from
// C2 where it has no P2, so that the [P] forms can.
constexpr StandIn StandInRules[] = {{tC1, tP1, true}, {tP2, tC2, false}};

} // namespace

std::vector<StandIn> StandInsOf(const ObsTypeSet& listed)
{
    std::vector<StandIn> found;
    for (const StandIn& s : StandInRules)
        if (!listed[s.missing] && listed[s.by]) found.push_back(s);
    return found;
}

ObsTypeSet TypesStored(const ObsTypeSet& listed, const ObsTypeSet& asked)
{
    ObsTypeSet types = asked;
    for (const StandIn& s : StandInsOf(listed))
        if (asked[s.missing]) types.set(s.by);
    return types;
}
