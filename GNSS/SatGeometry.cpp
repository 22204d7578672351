// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/SatGeometry.h"

#include "GNSS/BroadcastOrbit.h"

#include <GeographicLib/Geocentric.hpp>
#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr double Deg = 180 / 3.14159265358979323846;
constexpr double ElevationMask = 10;
constexpr int MaxUnknowns = 3 + 7;
// Zenith delay of the troposphere at sea level (m): the largest error left, taken off with the
// simplest mapping.
constexpr double ZenithTroposphere = 2.4;

double Norm(const double a[3]) { return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]); }

// Solves the n x n system m x = b in place (Gaussian elimination with partial pivoting); false
// when it is singular.
bool Solve(double m[MaxUnknowns][MaxUnknowns], double b[MaxUnknowns], int n)
{
    for (int c = 0; c < n; c++) {
        int pivot = c;
        for (int r = c + 1; r < n; r++)
            if (std::fabs(m[r][c]) > std::fabs(m[pivot][c])) pivot = r;
        if (!(std::fabs(m[pivot][c]) > 1e-12)) return false;
        for (int k = 0; k < n; k++) std::swap(m[c][k], m[pivot][k]);
        std::swap(b[c], b[pivot]);
        for (int r = 0; r < n; r++) {
            if (r == c) continue;
            const double f = m[r][c] / m[c][c];
            for (int k = c; k < n; k++) m[r][k] -= f * m[c][k];
            b[r] -= f * b[c];
        }
    }
    for (int c = 0; c < n; c++) b[c] /= m[c][c];
    return true;
}

// The normal equations of one iteration: a row per satellite, columns x, y, z and a clock per
// system.
struct Normal {
    double m[MaxUnknowns][MaxUnknowns] = {};
    double b[MaxUnknowns] = {};
    int rows = 0;
    void Add(const double row[MaxUnknowns], double residual)
    {
        for (int i = 0; i < MaxUnknowns; i++) {
            for (int j = 0; j < MaxUnknowns; j++) m[i][j] += row[i] * row[j];
            b[i] += row[i] * residual;
        }
        rows++;
    }
};

// Where the satellite of a code was when it sent the signal, in the frame of reception, and
// the satellite clock (m); false when there is no usable record. The travel time is taken as
// the code's: a receiver clock off by a millisecond turns the satellite by 2 m too many.
bool SatelliteAtEmission(const BroadcastNav& nav, const CodeRange& code, double pos[3],
                         double& clock)
{
    const NavRecord* r = nav.Select(code.sat, code.epoch);
    if (!r) return false;
    const double travel = code.range / SpeedOfLight;
    double sent = code.epoch - travel;
    sent -= SatelliteClock(*r, sent);
    clock = SatelliteClock(*r, sent) * SpeedOfLight;
    PositionAtEmission(*r, sent, travel, pos);
    return true;
}

// One epoch's codes [first, last): the position, iterated from the Earth's centre.
bool EpochPosition(const BroadcastNav& nav, const CodeRange* first, const CodeRange* last,
                   double xyz[3])
{
    // one receiver clock per system of the epoch, in the order met
    std::string systems;
    for (const CodeRange* c = first; c != last; c++)
        if (systems.find(c->sat.sys) == std::string::npos && systems.size() < MaxUnknowns - 3)
            systems += c->sat.sys;
    double x[MaxUnknowns] = {};
    for (int iteration = 0; iteration < 12; iteration++) {
        const bool nearGround = Norm(x) > 6.0e6;
        Normal normal;
        bool systemUsed[MaxUnknowns - 3] = {};
        for (const CodeRange* c = first; c != last; c++) {
            const std::size_t system = systems.find(c->sat.sys);
            double sat[3], clock = 0;
            if (system == std::string::npos || !(c->range > 1e7 && c->range < 5e7) ||
                !SatelliteAtEmission(nav, *c, sat, clock))
                continue;
            const double d[3] = {sat[0] - x[0], sat[1] - x[1], sat[2] - x[2]};
            const double rho = Norm(d);
            double troposphere = 0;
            if (nearGround) {
                double az = 0, el = 0;
                StationFrame(x).AzEl(sat, az, el);
                if (el < ElevationMask) continue;
                troposphere = ZenithTroposphere / std::sin(el / Deg);
            }
            const std::size_t column = 3 + system;
            systemUsed[system] = true;
            double row[MaxUnknowns] = {-d[0] / rho, -d[1] / rho, -d[2] / rho};
            row[column] = 1;
            normal.Add(row, c->range - (rho + x[column] - clock + troposphere));
        }
        // a system without satellites has no clock to solve for
        for (int s = 0; s < MaxUnknowns - 3; s++)
            if (!systemUsed[s]) normal.m[3 + s][3 + s] = 1;
        int unknowns = 3;
        for (bool used : systemUsed) unknowns += used;
        if (normal.rows < unknowns || !Solve(normal.m, normal.b, MaxUnknowns)) return false;
        for (int i = 0; i < MaxUnknowns; i++) x[i] += normal.b[i];
        if (Norm(normal.b) < 1e-3 && nearGround) {
            for (int i = 0; i < 3; i++) xyz[i] = x[i];
            return std::isfinite(Norm(x)) && Norm(x) < 1e8;
        }
    }
    return false;
}

} // namespace

StationFrame::StationFrame(const double ecef[3])
{
    std::vector<double> rotation(9);
    GeographicLib::Geocentric::WGS84().Reverse(ecef[0], ecef[1], ecef[2], lat, lon, height,
                                               rotation);
    for (int i = 0; i < 3; i++) origin[i] = ecef[i];
    for (int i = 0; i < 9; i++) enuToEcef[i] = rotation[i];
}

void StationFrame::AzEl(const double point[3], double& az, double& el) const
{
    const double d[3] = {point[0] - origin[0], point[1] - origin[1], point[2] - origin[2]};
    double enu[3];
    for (int i = 0; i < 3; i++)
        enu[i] = enuToEcef[i] * d[0] + enuToEcef[3 + i] * d[1] + enuToEcef[6 + i] * d[2];
    az = std::atan2(enu[0], enu[1]) * Deg;
    if (az < 0) az += 360;
    el = std::atan2(enu[2], std::hypot(enu[0], enu[1])) * Deg;
}

bool SatelliteAzEl(const BroadcastNav& nav, NavSat sat, double t, const StationFrame& station,
                   double& az, double& el)
{
    double pos[3];
    if (!EmissionPosition(nav, sat, t, station.Position(), pos)) return false;
    station.AzEl(pos, az, el);
    return true;
}

SatelliteTrack::SatelliteTrack(const BroadcastNav& navi, NavSat sati, const StationFrame& stationi)
    : nav(navi), sat(sati), station(stationi)
{
}

bool SatelliteTrack::AzEl(double t, double& az, double& el)
{
    if (!(t >= first && t <= last)) {
        const double node = std::floor(t / NodeSpacing) * NodeSpacing;
        // the next interval starts at the node the last one ended at: its position is known
        const bool onward = usable && node == last;
        if (onward) std::copy(atLast, atLast + 3, atFirst);
        first = node;
        last = first + NodeSpacing;
        usable = (onward || EmissionPosition(nav, sat, first, station.Position(), atFirst)) &&
                 EmissionPosition(nav, sat, last, station.Position(), atLast);
    }
    if (!usable) return SatelliteAzEl(nav, sat, t, station, az, el);
    const double f = (t - first) / NodeSpacing;
    double pos[3];
    for (int i = 0; i < 3; i++) pos[i] = atFirst[i] + f * (atLast[i] - atFirst[i]);
    station.AzEl(pos, az, el);
    return true;
}

bool SinglePointPosition(const BroadcastNav& nav, const std::vector<CodeRange>& codes,
                         double xyz[3])
{
    double sum[3] = {};
    int solved = 0;
    for (std::size_t first = 0, last = 0; first < codes.size(); first = last) {
        while (last < codes.size() && codes[last].epoch == codes[first].epoch) last++;
        double epochXyz[3];
        if (!EpochPosition(nav, codes.data() + first, codes.data() + last, epochXyz)) continue;
        for (int i = 0; i < 3; i++) sum[i] += epochXyz[i];
        solved++;
    }
    if (solved == 0) return false;
    for (int i = 0; i < 3; i++) xyz[i] = sum[i] / solved;
    return true;
}
