// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/SatSystem.h"

#include "PROGINC/cstringf.h"

#include <cstdio>
#include <cstring>

namespace {

// Two-digit numbers: a system's satellites lie from its base on, 100 numbers wide.
constexpr int NumbersPerSystem = 100;

constexpr bool FitsNumbers()
{
    for (const SatSystem& s : SatSystems)
        if (s.base < 0 || s.base + NumbersPerSystem > NSatNumbers) return false;
    return true;
}
static_assert(FitsNumbers(), "every system's numbers lie inside the presence tables");

// A system is on channels exactly when some carrier of it moves with the channel.
constexpr bool ChannelsAgree()
{
    for (const SatSystem& s : SatSystems) {
        bool moves = false;
        for (long double step : s.channelStep) moves = moves || step != 0;
        if (moves != s.channels) return false;
    }
    return true;
}
static_assert(ChannelsAgree(), "the channel steps of the table agree with its channels flags");

// The column of an observation letter and a band: C1, L5 ...; tUnknown for none.
RINEXObsType TypeOf(char letter, int band)
{
    const char type[] = {letter, static_cast<char>('0' + band), '\0'};
    const unsigned short t = ObsTypeCode(type);
    return t < NObsTypes ? static_cast<RINEXObsType>(t) : tUnknown;
}

} // namespace

RINEXObsType SatSystem::PhaseType(int band) const { return TypeOf('L', band); }

RINEXObsType SatSystem::CodeType(int band) const { return TypeOf('C', band); }

bool SatSystem::ReadsBand(int band) const
{
    if (band <= 0 || band >= NBands || freq[band] == 0) return false;
    for (const SignalPriority& p : SignalPriorities)
        if (std::strchr(p.systems, letter) != nullptr && p.types[1] == '0' + band) return true;
    return false;
}

BandPair SatSystem::Pair(int a, int b) const
{
    if (a == band1 && b == band2) return {a, b, firstCode, firstPCode, secondCode, secondPCode};
    const RINEXObsType second = b == band2 && secondPCode != tUnknown ? secondPCode : CodeType(b);
    return {a, b, CodeType(a), tUnknown, second, secondPCode};
}

const SatSystem* SystemOfLetter(char letter)
{
    for (const SatSystem& s : SatSystems)
        if (s.letter == letter) return &s;
    return nullptr;
}

const SatSystem* SystemOf(short sat)
{
    for (const SatSystem& s : SatSystems)
        if (sat >= s.base && sat < s.base + NumbersPerSystem) return &s;
    return nullptr;
}

short SatNumber(char letter, int nn)
{
    const SatSystem* s = SystemOfLetter(letter == ' ' ? 'G' : letter);
    return s == nullptr ? NoSatellite : static_cast<short>(s->base + nn);
}

int SatPrn(short sat)
{
    const SatSystem* s = SystemOf(sat);
    return s == nullptr ? sat : sat - s->base;
}

std::string SatId(short sat)
{
    const SatSystem* s = SystemOf(sat);
    char id[8];
    std::snprintf(id, sizeof id, "%c%02d", s == nullptr ? '?' : s->letter, SatPrn(sat));
    return id;
}

short SatOfId(std::string_view id)
{
    if (id.size() != 3 || !(id[1] == ' ' || IsDigit(id[1])) || !IsDigit(id[2])) return NoSatellite;
    const int tens = id[1] == ' ' ? 0 : id[1] - '0';
    return SatNumber(id[0], 10 * tens + (id[2] - '0'));
}

std::string SystemLetters()
{
    std::string letters;
    for (const SatSystem& s : SatSystems) letters += s.letter;
    return letters;
}
