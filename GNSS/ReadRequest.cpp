// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/ReadRequest.h"

#include "GNSS/RINEXHeader.h"
#include "GNSS/SatSystem.h"

namespace {

// C1 is read from P1 where a file has no C1 at all, so that the [C] forms can be listed; P2 from
// C2 where it has no P2, so that the [P] forms can: only for the systems whose pair reads P2,
// since another system's C2 is another signal.
const StandIn StandInRules[] = {{tC1, tP1, true, false, ""}, {tP2, tC2, false, true, ""}};

// The systems whose pair has type t as a column.
std::string PairSystems(RINEXObsType t)
{
    std::string letters;
    for (const SatSystem& s : SatSystems)
        if (s.secondCode == t || s.secondPCode == t || s.firstCode == t || s.firstPCode == t)
            letters += s.letter;
    return letters;
}

// The types a system's records hold: a RINEX 2 file lists them for every system.
ObsTypeSet TypesOfSystem(const RINEXHeader& h, char letter)
{
    if (!h.IsRinex3()) return h.types;
    ObsTypeSet types;
    if (const SystemFields* f = h.FieldsOf(letter))
        for (const StoredField& field : f->stored) types.set(field.type);
    return types;
}

} // namespace

std::vector<StandIn> StandInsOf(const RINEXHeader& h)
{
    std::vector<StandIn> found;
    for (StandIn s : StandInRules) {
        ObsTypeSet listed = h.types;
        if (s.pairSystemsOnly) {
            s.systems = PairSystems(s.missing);
            listed.reset();
            for (char letter : s.systems) listed |= TypesOfSystem(h, letter);
        }
        if (!listed[s.missing] && listed[s.by]) found.push_back(s);
    }
    return found;
}

ObsTypeSet TypesStored(const RINEXHeader& h, const ObsTypeSet& asked)
{
    ObsTypeSet types = asked;
    for (const StandIn& s : StandInsOf(h))
        if (asked[s.missing]) types.set(s.by);
    return types;
}
