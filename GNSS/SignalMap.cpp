// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/SignalMap.h"

#include "GNSS/SatSystem.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

namespace {

// The band digit under which the header writes the codes of a band of the system, 0 for a band
// such a header cannot hold: files before RINEX 3.03 write BeiDou's B1I as band 1, and B1C, band 1
// from 3.03 on, had no code then.
char WrittenBand(const RINEXHeader& h, const SatSystem& s, char band)
{
    if (s.oldBand1 == 0 || std::lround(h.version * 100) >= 303) return band;
    if (band == '1') return 0;
    return band == '0' + s.oldBand1 ? '1' : band;
}

// The signals of a system are read where the run lists it, or where result files have always
// named them.
bool IsRead(const ReadRequest& r, const SatSystem& s)
{
    return s.signalsAlwaysRead || r.systems.find(s.letter) != std::string::npos;
}

// A choice applies to the C, L, D and S types of its band; P1 and P2 keep the P(Y) trackings.
bool Applies(const SignalChoice& c, char system, std::string_view type)
{
    return c.system == system && c.band == type[1] && std::strchr("CLDS", type[0]) != nullptr;
}

// The choice of the run for a type of a system, nullptr where it has none.
const SignalChoice* ChoiceOf(const ReadRequest& r, char system, std::string_view type)
{
    for (const SignalChoice& c : r.signalChoices)
        if (Applies(c, system, type)) return &c;
    return nullptr;
}

// The field of the first of the type's codes that the system lists, or -1.
long FieldOfType(const SystemCodes& s, std::string_view type, char band, const char* attributes)
{
    const char letter = type[0] == 'P' ? 'C' : type[0];
    for (const char* a = attributes; *a != '\0'; a++) {
        const std::string code{letter, band, *a};
        auto at = std::find(s.codes.begin(), s.codes.end(), code);
        if (at != s.codes.end()) return at - s.codes.begin();
    }
    return -1;
}

// Every type of the rows of the system: its field, when the system lists one of its codes.
void MapSystem(RINEXHeader& h, const ReadRequest& r, const SatSystem& system, const SystemCodes& s,
               SystemFields& f)
{
    for (const SignalPriority& row : SignalPriorities) {
        if (std::strchr(row.systems, s.system) == nullptr) continue;
        for (std::string_view types = row.types; !types.empty();
             types.remove_prefix(std::min<std::size_t>(3, types.size()))) {
            const std::string_view type = types.substr(0, 2);
            const char band = WrittenBand(h, system, type[1]);
            if (band == 0) continue;
            const SignalChoice* choice = ChoiceOf(r, s.system, type);
            const std::string attributes =
                (choice != nullptr ? choice->attributes : std::string()) + row.attributes;
            const long field = FieldOfType(s, type, band, attributes.c_str());
            if (field < 0) continue;
            const unsigned short code = ObsTypeCode(type);
            const std::string& name = s.codes[static_cast<std::size_t>(field)];
            f.stored.push_back(
                {static_cast<unsigned short>(field), code, DivisorOf(h, s.system, name)});
            h.signals.push_back({s.system, code, name});
            h.types.set(code);
        }
    }
    std::sort(f.stored.begin(), f.stored.end(),
              [](const StoredField& a, const StoredField& b) { return a.field < b.field; });
}

// Each type read once, in the order of the first field of the header read as it.
void ListTypes(RINEXHeader& h)
{
    std::vector<unsigned short> types;
    for (const SystemCodes& s : h.systemCodes) {
        const SystemFields* f = h.FieldsOf(s.system);
        if (f == nullptr) continue;
        for (const StoredField& field : f->stored)
            if (std::find(types.begin(), types.end(), field.type) == types.end())
                types.push_back(field.type);
    }
    h.nobs = static_cast<unsigned short>(types.size());
    h.obs.Resize(h.nobs);
    for (unsigned short i = 0; i < h.nobs; i++) h.obs(i) = types[i];
}

} // namespace

long double DivisorOf(const RINEXHeader& h, char system, const std::string& code)
{
    for (const ScaleFactor& f : h.scaleFactors)
        if (f.system == system &&
            (f.codes.empty() || std::find(f.codes.begin(), f.codes.end(), code) != f.codes.end()))
            return f.factor;
    return 1;
}

int CarrierBand(const RINEXHeader& h, char system, char written)
{
    const SatSystem* s = SystemOfLetter(system);
    if (written < '1' || written > '9') return 0;
    if (s != nullptr && written == '1' && s->oldBand1 != 0 && std::lround(h.version * 100) < 303)
        return s->oldBand1;
    return written - '0';
}

void MapSignals(RINEXHeader& h, const ReadRequest& r)
{
    h.signals.clear();
    h.types.reset();
    for (const SystemCodes& s : h.systemCodes) {
        if (s.system < 'A' || s.system > 'Z') continue;
        SystemFields& f = h.systemFields[s.system - 'A'];
        f = SystemFields();
        f.hasTypes = true;
        f.nfields = s.codes.size();
    }
    for (const SatSystem& system : SatSystems)
        for (const SystemCodes& s : h.systemCodes)
            if (s.system == system.letter && IsRead(r, system))
                MapSystem(h, r, system, s, h.systemFields[system.letter - 'A']);
    ListTypes(h);
}

std::string SignalsText(const RINEXHeader& h)
{
    std::string text;
    char system = 0;
    for (const ChosenSignal& c : h.signals) {
        if (c.system != system) {
            system = c.system;
            text += ' ';
            text += system;
        }
        text += ' ';
        text += NameOf(c.type);
        text += '=';
        text += c.code;
    }
    return text;
}

ChoiceMet HowMet(const RINEXHeader& h, const SignalChoice& c)
{
    ChoiceMet met;
    for (const ChosenSignal& chosen : h.signals) {
        if (!Applies(c, chosen.system, NameOf(chosen.type))) continue;
        if (c.attributes.find(chosen.code[2]) != std::string::npos)
            met.any = true;
        else
            met.others += std::string(" ") + NameOf(chosen.type);
    }
    return met;
}
