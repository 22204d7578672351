// SPDX-License-Identifier: BSD-2-Clause
// BroadcastNav: the broadcast ephemerides of RINEX 2, 3 and 4 navigation files in one store, and
// the choice of the ephemeris that serves a satellite at an epoch.
//
// Files come through the input layer (every compressed form, pipes). Read: RINEX 2 GPS (N),
// GLONASS (G), SBAS (H) and Galileo (L) files; RINEX 3 mixed and single-system files; RINEX 4
// files, whose EPH records of the legacy messages (GPS/QZSS/NavIC LNAV, Galileo I/NAV and F/NAV,
// BeiDou D1/D2, GLONASS FDMA, SBAS) are kept, every other record (CNAV, STO, EOP, ION) passed
// over. A damaged record is left out and counted: one framed warning per file names how many and
// the first; a file that is no navigation file, or cannot be read, is a framed error.
//
// Every epoch of the store is GPS time in seconds since 1980-01-06 00:00 (GpsSeconds): BeiDou
// time is GPS time less 14 s, GLONASS records are in UTC and are shifted by the leap seconds.
#ifndef KESTROVA_GNSS_BROADCASTNAV_H
#define KESTROVA_GNSS_BROADCASTNAV_H

#include "GNSS/SatSystem.h"
#include "GNSS/mjd.h"

#include <string_view>
#include <vector>

// GPS seconds since the GPS epoch of an mjd in GPS time.
double GpsSeconds(const mjd& t);
// GPS seconds of an observation epoch in the time system a RINEX observation header names:
// "BDT" is BeiDou time, "GLO" UTC (shifted by the leap seconds of the table), any other GPS time
// (Galileo, QZSS and NavIC time keep step with it).
double GpsSecondsOfObsEpoch(const mjd& t, std::string_view timeSystem);

// The facts of a system letter (G R E C J I S), nullptr for any other.
const NavSystemFacts* NavSystem(char letter);

// A satellite of the navigation data: its system letter and its PRN as RINEX writes it (SBAS:
// PRN less 100).
struct NavSat {
    char sys = 'G';
    int prn = 0;
};
// The satellite number of the observation data (GNSS/SatSystem), 0 .. NNavSatKeys - 1; -1 for
// no satellite of a system of the table or a PRN outside 1 .. 99.
inline constexpr int NNavSatKeys = NSatNumbers;
int NavSatKey(NavSat sat);

// The values of a record in file order: the three of the first line, then four per line.
namespace NavField {
// clang-format off
// Keplerian records (G E C J I): clock, then the broadcast orbit lines 1 to 7, a line a row.
enum {
    ClockBias, ClockDrift, ClockDriftRate,
    Iode, Crs, DeltaN, M0,
    Cuc, Ecc, Cus, SqrtA,
    Toe, Cic, Omega0, Cis,
    I0, Crc, Omega, OmegaDot,
    IDot, DataSources, Week, L2P,
    Accuracy, Health, Tgd, Iodc,
    TransmitTime, FitInterval
};
// clang-format on
// State-vector records (R S): km, km/s, km/s^2; the GLONASS clock bias is -TauN.
enum { FrameTime = 2, X, VX, AX, StateHealth, Y, VY, AY, Channel, Z, VZ, AZ };
inline constexpr int N = 31;
} // namespace NavField

struct NavRecord {
    NavSat sat;
    double clockEpoch = 0; // toc, or the epoch of the state vector: GPS seconds
    double refEpoch = 0;   // toe, or the epoch of the state vector: GPS seconds
    double toeOfWeek = 0;  // Keplerian: toe within its week, in the system's own time
    bool healthy = false;
    double v[NavField::N] = {};
    // GLONASS: the integrated orbit around the reference epoch (see BroadcastOrbit).
    std::vector<double> track;
};

class BroadcastNav {
  public:
    // Adds the records of one navigation file. A file that cannot be read or is no navigation
    // file ends the run with a framed error; damaged records give one framed warning.
    void Read(const char* file);

    // The healthy record of sat nearest in time to t (GPS seconds) within its validity;
    // nullptr when there is none.
    const NavRecord* Select(NavSat sat, double t) const;
    // The frequency channel of a GLONASS slot from its record nearest in time to t (GPS
    // seconds), healthy or not; false when no record has the slot.
    bool GlonassChannel(int slot, double t, int& channel) const;

    long Count(char sys) const;
    long Count() const { return static_cast<long>(records.size()); }
    const std::vector<NavRecord>& Records() const { return records; }
    // Leap seconds of the last file read that gives them; -1 when none did.
    int HeaderLeapSeconds() const { return leapSeconds; }

  private:
    void Index();

    std::vector<NavRecord> records; // by satellite key, then reference epoch
    std::vector<int> healthyOf;     // the healthy records' indexes, in the same order
    std::vector<int> firstHealthy;  // per satellite key: its first entry of healthyOf
    int leapSeconds = -1;
};

// GPS - UTC in seconds at a UTC epoch given in GPS-epoch seconds, from the table of leap
// seconds (0 before 1981-07-01).
int LeapSecondsAt(double utcSeconds);

#endif
