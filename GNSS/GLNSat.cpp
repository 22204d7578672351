// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/GLNSat.h"

#include "GNSS/SatSystem.h"
#include "GNSS/TimeConverse.h"
#include "PROGINC/ProgramError.h"
#include "PROGINC/cfilef.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>

namespace {

constexpr std::size_t SlotCol = 1;
constexpr std::size_t FirstEpochCol = 10;
constexpr std::size_t LastEpochCol = 31;
// The channel is the last field of an entry: a data line must reach its column.
constexpr std::size_t ChannelCol = 51;
// Month, day, hour, minute and second follow the year at these distances, in both epochs.
constexpr std::size_t EpochFieldOffset[6] = {0, 5, 8, 11, 14, 17};

bool IsComment(const std::string& line) { return line.empty() || line[0] == '#' || line[0] == ' '; }

// Fields are read from their column as far as they form a number. The line is a terminated
// string, so a number never runs past its end.
long IntField(const std::string& line, std::size_t col)
{
    return std::strtol(line.c_str() + col, nullptr, 10);
}

long double RealField(const std::string& line, std::size_t col)
{
    return std::strtod(line.c_str() + col, nullptr);
}

// A value the type cannot hold becomes its largest value, which no date field and no GLONASS
// satellite number accepts, instead of wrapping round to one that might be.
template <class T> T Fit(long v)
{
    if (v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max())
        return std::numeric_limits<T>::max();
    return static_cast<T>(v);
}

[[noreturn]] void ShortLine(long n)
{
    char text[160];
    std::snprintf(text, sizeof text,
                  "GLONASS FREQUENCY CHANNEL FILE LINE %ld IS TOO SHORT - AN ENTRY NEEDS %zu "
                  "CHARACTERS!",
                  n, ChannelCol + 1);
    ProgramError(ProgName, text);
}

// Hands every data line of the file to entry, in file order. Both passes go through here, so
// they agree on what a data line is.
template <class Entry> void ForEachEntry(std::istream& in, Entry entry)
{
    std::string line;
    for (long n = 1; ReadLine(in, line); n++) {
        if (IsComment(line)) continue;
        if (line.size() <= ChannelCol) ShortLine(n);
        entry(line);
    }
}

} // namespace

GLNSat::GLNSat() : file{}, IsGLNSat(false), nsat(0) { lastEph.Set(88068, 86399); }

void GLNSat::SetFile(const char* path)
{
    std::strncpy(file, path, sizeof file - 1);
    input.Clear();
    if (!CanRead(file)) ProgramError(ProgName, "GLONASS FREQUENCY CHANNEL FILE DOES NOT EXIST!");
}

std::unique_ptr<std::istream> GLNSat::Open()
{
    if (!input.IsLoaded() && !input.Load(file, "GLONASS FREQUENCY CHANNEL FILE"))
        ProgramError(ProgName, "GLONASS FREQUENCY CHANNEL FILE CAN NOT BE OPENED!");
    return input.Stream();
}

void GLNSat::ReadFile()
{
    CountGNSSats();
    ReadGLNFreqChan();
}

void GLNSat::CountGNSSats()
{
    nsat = 0;
    ForEachEntry(*Open(), [this](const std::string&) { nsat++; });
    sat.Resize(nsat);
    eph.Resize(nsat, 2);
    FreqChannel.Resize(nsat);
}

void GLNSat::ReadGLNFreqChan()
{
    long i = 0;
    ForEachEntry(*Open(), [this, &i](const std::string& line) { ReadEntry(line, i++); });
}

void GLNSat::ReadEntry(const std::string& line, long i)
{
    sat(i) = Fit<short>(Fit<short>(IntField(line, SlotCol)) + static_cast<long>(SatNumber('R', 0)));
    eph(i, 0) = ReadEpoch(line, FirstEpochCol);
    eph(i, 1) = line[LastEpochCol] == ' ' ? lastEph : ReadEpoch(line, LastEpochCol);
    FreqChannel(i) = RealField(line, ChannelCol);
}

mjd GLNSat::ReadEpoch(const std::string& line, std::size_t col)
{
    const std::size_t* at = EpochFieldOffset;
    dm.Set(Fit<unsigned short>(IntField(line, col + at[0])),
           Fit<unsigned short>(IntField(line, col + at[1])),
           Fit<unsigned short>(IntField(line, col + at[2])),
           Fit<unsigned short>(IntField(line, col + at[3])),
           Fit<unsigned short>(IntField(line, col + at[4])), RealField(line, col + at[5]));
    return ymdhms2mjd(dm);
}

void GLNSat::SetHeaderChannels(const std::vector<GlonassSlotChannel>& slots)
{
    nsat = 0;
    for (const GlonassSlotChannel& slot : slots) AddChannel(slot.sat, slot.channel);
}

void GLNSat::AddChannel(short slot, int channel)
{
    const matrix<short> oldSat = sat;
    const matrix<mjd> oldEph = eph;
    const matrix<long double> oldChannel = FreqChannel;
    const long n = nsat++;
    sat.Resize(nsat);
    eph.Resize(nsat, 2);
    FreqChannel.Resize(nsat);
    for (long i = 0; i < n; i++) {
        sat(i) = oldSat(i);
        eph(i, 0) = oldEph(i, 0);
        eph(i, 1) = oldEph(i, 1);
        FreqChannel(i) = oldChannel(i);
    }
    sat(n) = slot;
    eph(n, 0) = mjd(); // day 0: before any epoch
    eph(n, 1) = lastEph;
    FreqChannel(n) = channel;
}

std::optional<long double> GLNSat::ChannelAt(short satprn, const mjd& seph) const
{
    for (long i = 0; i < nsat; i++)
        if (sat(i) == satprn && seph >= eph(i, 0) && seph <= eph(i, 1)) return FreqChannel(i);
    return std::nullopt;
}

long double GLNSat::GetFreqNum(short satprn, const mjd& seph)
{
    const std::optional<long double> channel = ChannelAt(satprn, seph);
    IsGLNSat = channel.has_value();
    return channel.value_or(0);
}
