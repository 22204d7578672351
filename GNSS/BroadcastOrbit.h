// SPDX-License-Identifier: BSD-2-Clause
// Satellite positions and clocks from broadcast ephemerides, in the Earth-fixed frame of each
// system (WGS 84, PZ-90, GTRF, CGCS2000: the same within a few centimetres, far below what the
// angles need). Times are GPS seconds (GpsSeconds); positions in metres.
//
// Keplerian records (GPS, Galileo, BeiDou, QZSS, NavIC) by the user algorithm of the interface
// documents, with the BeiDou GEO satellites' own rotation; GLONASS by 4th-order Runge-Kutta
// integration of the broadcast state vector (central term, J2, the broadcast luni-solar
// accelerations, in the rotating frame); SBAS from position, velocity and acceleration.
#ifndef KESTROVA_GNSS_BROADCASTORBIT_H
#define KESTROVA_GNSS_BROADCASTORBIT_H

#include "GNSS/BroadcastNav.h"

inline constexpr double SpeedOfLight = 299792458.0;

// What a record needs before positions are asked of it: a GLONASS record's orbit is integrated
// once, over its validity, so that each position is an interpolation between integration steps.
void PrepareOrbit(NavRecord& r);

// Position of the record's satellite at t, in the Earth-fixed frame of t.
void OrbitPosition(const NavRecord& r, double t, double pos[3]);
// Clock offset of the satellite at t, s (Keplerian: with the relativistic term).
double SatelliteClock(const NavRecord& r, double t);

// Position of the record's satellite at the epoch sent, turned into the Earth-fixed frame of
// the reception travel seconds later.
void PositionAtEmission(const NavRecord& r, double sent, double travel, double pos[3]);

// Position of sat when it sent the signal received at tRx by a receiver at rx (Earth-fixed, m):
// tRx less the travel time, iterated, turned by the Earth's rotation during the travel into the
// frame of tRx. False when the store has no healthy record for sat within its validity at tRx.
bool EmissionPosition(const BroadcastNav& nav, NavSat sat, double tRx, const double rx[3],
                      double pos[3]);

#endif
