// SPDX-License-Identifier: BSD-2-Clause
// RinexSeries: code and phase series of a few GPS, GLONASS and Galileo satellites, filled
// straight into a RINEXHeader and RINEXData as the reader leaves them, for the tests of the
// phase corrections. Ranges of 20000-26000 km vary slowly over the day, the ionosphere
// delays codes and advances phases, phases carry an integer ambiguity, and the receiver
// clock can jump by milliseconds in the codes only, in codes and phases, or nowhere.
#ifndef KESTROVA_TESTS_UNIT_RINEXSERIES_H
#define KESTROVA_TESTS_UNIT_RINEXSERIES_H

#include "GNSS/RINEXData.h"
#include "GNSS/RINEXHeader.h"
#include "GNSS/SatConstants.h"

#include <cmath>
#include <cstddef>
#include <vector>

namespace RinexSeries {

constexpr long double C = 299792458.0L;
constexpr long double MSm = C / 1000; // one light-millisecond, metres

struct Satellite {
    short sat;          // satellite number
    long double f1, f2; // carrier frequencies, Hz
    bool slotKnown;     // GLONASS: the channel of its slot is known
    int channel;        // GLONASS: the channel of its slot
};
inline Satellite Gps(short prn) { return {prn, 1575.42e6L, 1227.60e6L, false, 0}; }
inline Satellite Galileo(short prn)
{
    return {static_cast<short>(200 + prn), 1575.42e6L, 1207.14e6L, false, 0};
}
// known: the slot's channel is among the channels of the run (ChannelsOf).
inline Satellite Glonass(short slot, int channel, bool known = true)
{
    return {static_cast<short>(100 + slot), 1602e6L + channel * 562500.0L,
            1246e6L + channel * 437500.0L, known, channel};
}

enum class Into { Nothing, Codes, CodesAndPhases };

// The receiver clock steps by ms milliseconds at epoch.
struct Jump {
    long epoch;
    long double ms;
};

struct Series {
    std::vector<Satellite> sats; // every satellite at every epoch, in this order
    long epochs = 200;
    bool dualFrequency = true; // C1 P2 L1 L2; otherwise C1 L1
    std::vector<Jump> jumps;
    Into into = Into::Codes;
};

// Values as a RINEX field holds them: three decimals.
inline long double Field(long double v) { return std::round(v * 1000) / 1000; }

// The receiver clock offset at epoch e, metres.
inline long double ClockAt(const Series& s, long e)
{
    long double ms = 0;
    for (const Jump& j : s.jumps)
        if (j.epoch <= e) ms += j.ms;
    return ms * MSm;
}

// A header listing C1 P2 L1 L2, or C1 L1.
inline void FillHeader(bool dualFrequency, RINEXHeader& h)
{
    h.RINEXHeaderReset();
    std::vector<unsigned short> types = {tC1, tP2, tL1, tL2};
    if (!dualFrequency) types = {tC1, tL1};
    h.nobs = static_cast<unsigned short>(types.size());
    h.obs.Resize(h.nobs);
    for (unsigned short k = 0; k < h.nobs; k++) {
        h.obs(k) = types[k];
        h.types.set(types[k]);
    }
    h.interval = 30;
}

// Tables for every satellite of the series at every epoch, those of the header's types only.
inline void SizeStore(const Series& s, RINEXData& d)
{
    long nsats = static_cast<long>(s.sats.size());
    d.RINEXDataReset();
    d.SetNRecords(s.epochs, s.epochs * nsats);
    d.epoch.Resize(s.epochs);
    d.flag.Resize(s.epochs);
    d.nsat.Resize(s.epochs);
    d.sat.Resize(d.nsatall);
    for (matrix<gnssobs>* t : {&d.Table(tC1), &d.Table(tP2), &d.Table(tL1), &d.Table(tL2)})
        t->Resize(0, 0);
    d.Table(tC1).Resize(d.nsatall);
    d.Table(tL1).Resize(d.nsatall);
    d.present.set(tC1).set(tL1);
    if (s.dualFrequency) {
        d.Table(tP2).Resize(d.nsatall);
        d.Table(tL2).Resize(d.nsatall);
        d.present.set(tP2).set(tL2);
    }
    d.satList.Resize(nsats);
    for (long j = 0; j < nsats; j++) d.satList(j) = s.sats[j].sat;
}

// Record r: satellite j of the series at epoch e.
inline void FillRecord(const Series& s, long j, long e, RINEXData& d, long r)
{
    const long double pi = std::acos(-1.0L);
    const Satellite& sv = s.sats[j];
    long double t = 30.0L * e;
    long double clock = ClockAt(s, e);
    long double codeClock = s.into == Into::Nothing ? 0 : clock;
    long double phaseClock = s.into == Into::CodesAndPhases ? clock : 0;
    long double range = 23000e3L + 3000e3L * std::sin(2 * pi * t / 43080 + 0.7L * j);
    long double iono1 = 4 + 2 * std::sin(2 * pi * t / 20000 + 1.3L * j);
    long double iono2 = iono1 * (sv.f1 / sv.f2) * (sv.f1 / sv.f2);
    d.sat(r) = sv.sat;
    d.Table(tC1)(r).obs = Field(range + iono1 + codeClock);
    d.Table(tL1)(r).obs = Field((range - iono1 + phaseClock) * sv.f1 / C - 1000000 * (j + 3));
    d.Table(tL1)(r).ss = 7;
    if (!s.dualFrequency) return;
    d.Table(tP2)(r).obs = Field(range + iono2 + codeClock);
    d.Table(tL2)(r).obs = Field((range - iono2 + phaseClock) * sv.f2 / C - 800000 * (j + 2) + 17);
    d.Table(tL2)(r).ss = 6;
}

inline void Fill(const Series& s, RINEXHeader& h, RINEXData& d)
{
    FillHeader(s.dualFrequency, h);
    SizeStore(s, d);
    long nsats = static_cast<long>(s.sats.size());
    for (long e = 0, r = 0; e < s.epochs; e++) {
        d.epoch(e).Set(57000, 30.0L * e);
        d.flag(e) = '0';
        d.nsat(e) = static_cast<short>(nsats);
        for (long j = 0; j < nsats; j++) FillRecord(s, j, e, d, r++);
    }
}

// The record of satellite sat at epoch e, or -1.
inline long Record(const RINEXData& d, long e, short sat)
{
    long first = 0;
    for (long i = 0; i < e; i++) first += d.nsat(i);
    for (long k = first; k < first + d.nsat(e); k++)
        if (d.sat(k) == sat) return k;
    return -1;
}

// Adds v to table t of satellite sat from epoch e on.
inline void AddFrom(const RINEXData& d, matrix<gnssobs>& t, short sat, long e, long double v)
{
    for (long i = e; i < d.nepochall; i++) t(Record(d, i, sat)).obs += v;
}

// The channels of the series' known GLONASS slots.
inline GlonassChannels ChannelsOf(const Series& s)
{
    GlonassChannels channels;
    for (const Satellite& sv : s.sats)
        if (sv.slotKnown) channels.bySlot.at(static_cast<std::size_t>(sv.sat - 101)) = sv.channel;
    return channels;
}

} // namespace RinexSeries

#endif
