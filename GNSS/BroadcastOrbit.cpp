// SPDX-License-Identifier: BSD-2-Clause
// User algorithms: IS-GPS-200 20.3.3.4.3 (Keplerian orbit, relativistic clock term), BeiDou ICD
// 5.2.4.12 (GEO satellites), GLONASS ICD A.3.1.2 (integration of the state vector).
#include "GNSS/BroadcastOrbit.h"

#include <cmath>

namespace {

using namespace NavField;

constexpr double Pi = 3.14159265358979323846;
// The GLONASS orbit is integrated in steps of this length (s), far enough each side of the
// reference epoch to cover the validity and the travel time.
constexpr double GlonassStep = 60;
constexpr int GlonassSteps = 16;
constexpr int TrackNodes = 2 * GlonassSteps + 1;

bool IsGeo(const NavSystemFacts& sys, int prn) { return prn <= sys.geoLast || prn >= sys.geoFirst; }

// Turns a position by the angle the Earth turns in the given time (the frame of a later epoch).
void RotateEarth(const double p[3], double angle, double out[3])
{
    const double c = std::cos(angle), s = std::sin(angle);
    out[0] = c * p[0] + s * p[1];
    out[1] = -s * p[0] + c * p[1];
    out[2] = p[2];
}

double EccentricAnomaly(double meanAnomaly, double e)
{
    double E = meanAnomaly;
    for (int k = 0; k < 20; k++) {
        const double step = (E - e * std::sin(E) - meanAnomaly) / (1 - e * std::cos(E));
        E -= step;
        if (std::fabs(step) < 1e-13) break;
    }
    return E;
}

void KeplerPosition(const NavRecord& r, double t, double pos[3], double& E)
{
    const NavSystemFacts& sys = *NavSystem(r.sat.sys);
    const double* v = r.v;
    const double A = v[SqrtA] * v[SqrtA];
    const double tk = t - r.refEpoch;
    const double n = std::sqrt(sys.gm / (A * A * A)) + v[DeltaN];
    const double e = v[Ecc];
    E = EccentricAnomaly(v[M0] + n * tk, e);
    const double nu = std::atan2(std::sqrt(1 - e * e) * std::sin(E), std::cos(E) - e);
    const double phi = nu + v[Omega];
    const double s2 = std::sin(2 * phi), c2 = std::cos(2 * phi);
    const double u = phi + v[Cus] * s2 + v[Cuc] * c2;
    const double radius = A * (1 - e * std::cos(E)) + v[Crs] * s2 + v[Crc] * c2;
    const double inc = v[I0] + v[IDot] * tk + v[Cis] * s2 + v[Cic] * c2;
    const double xp = radius * std::cos(u), yp = radius * std::sin(u);
    // GEO satellites: the orbit in a frame that does not turn with the Earth, tilted by -5 deg,
    // then turned by the Earth's rotation since toe
    const bool geo = IsGeo(sys, r.sat.prn);
    const double node =
        v[Omega0] + (v[OmegaDot] - (geo ? 0 : sys.earthRate)) * tk - sys.earthRate * r.toeOfWeek;
    const double cn = std::cos(node), sn = std::sin(node), ci = std::cos(inc), si = std::sin(inc);
    double p[3] = {xp * cn - yp * ci * sn, xp * sn + yp * ci * cn, yp * si};
    if (!geo) {
        pos[0] = p[0], pos[1] = p[1], pos[2] = p[2];
        return;
    }
    const double tilt = -5 * Pi / 180;
    const double tilted[3] = {p[0], std::cos(tilt) * p[1] + std::sin(tilt) * p[2],
                              -std::sin(tilt) * p[1] + std::cos(tilt) * p[2]};
    RotateEarth(tilted, sys.earthRate * tk, pos);
}

// The state derivative of the GLONASS equations of motion in the rotating PZ-90 frame (m, m/s).
void GlonassDerivative(const NavSystemFacts& sys, const double s[6], const double lunisolar[3],
                       double d[6])
{
    const double w = sys.earthRate;
    const double r2 = s[0] * s[0] + s[1] * s[1] + s[2] * s[2];
    const double r = std::sqrt(r2);
    const double central = sys.gm / (r2 * r);
    const double zonal = 1.5 * sys.j2 * sys.gm * sys.radius * sys.radius / (r2 * r2 * r);
    const double z2 = 5 * s[2] * s[2] / r2;
    d[0] = s[3], d[1] = s[4], d[2] = s[5];
    d[3] = -central * s[0] - zonal * s[0] * (1 - z2) + w * w * s[0] + 2 * w * s[4] + lunisolar[0];
    d[4] = -central * s[1] - zonal * s[1] * (1 - z2) + w * w * s[1] - 2 * w * s[3] + lunisolar[1];
    d[5] = -central * s[2] - zonal * s[2] * (3 - z2) + lunisolar[2];
}

void RungeKuttaStep(const NavSystemFacts& sys, double s[6], const double lunisolar[3], double h)
{
    double k[4][6], tmp[6];
    GlonassDerivative(sys, s, lunisolar, k[0]);
    for (int stage = 1; stage < 4; stage++) {
        const double f = stage == 3 ? h : h / 2;
        for (int i = 0; i < 6; i++) tmp[i] = s[i] + f * k[stage - 1][i];
        GlonassDerivative(sys, tmp, lunisolar, k[stage]);
    }
    for (int i = 0; i < 6; i++) s[i] += h / 6 * (k[0][i] + 2 * k[1][i] + 2 * k[2][i] + k[3][i]);
}

// The track: TrackNodes states (position, velocity) GlonassStep apart, the middle one at the
// reference epoch.
void IntegrateGlonass(NavRecord& r)
{
    const NavSystemFacts& sys = *NavSystem(r.sat.sys);
    const double* v = r.v;
    const double start[6] = {v[X] * 1e3,  v[Y] * 1e3,  v[Z] * 1e3,
                             v[VX] * 1e3, v[VY] * 1e3, v[VZ] * 1e3};
    const double lunisolar[3] = {v[AX] * 1e3, v[AY] * 1e3, v[AZ] * 1e3};
    r.track.assign(6 * TrackNodes, 0);
    for (int direction : {-1, 1}) {
        double s[6];
        for (int i = 0; i < 6; i++) s[i] = start[i];
        for (int step = 0; step <= GlonassSteps; step++) {
            if (step > 0) RungeKuttaStep(sys, s, lunisolar, direction * GlonassStep);
            const int node = GlonassSteps + direction * step;
            for (int i = 0; i < 6; i++) r.track[6 * node + i] = s[i];
        }
    }
}

// Cubic Hermite interpolation between the two track nodes around t, from their positions and
// velocities: far below a millimetre at this step.
void GlonassPosition(const NavRecord& r, double t, double pos[3])
{
    double at = (t - r.refEpoch) / GlonassStep + GlonassSteps;
    double node = std::floor(at);
    if (!(node >= 0)) node = 0;
    if (node > TrackNodes - 2) node = TrackNodes - 2;
    const double* a = &r.track[6 * static_cast<int>(node)];
    const double* b = a + 6;
    const double s = at - node, s2 = s * s, s3 = s2 * s;
    const double h00 = 2 * s3 - 3 * s2 + 1, h10 = s3 - 2 * s2 + s, h01 = -2 * s3 + 3 * s2,
                 h11 = s3 - s2;
    for (int i = 0; i < 3; i++)
        pos[i] =
            h00 * a[i] + h10 * GlonassStep * a[i + 3] + h01 * b[i] + h11 * GlonassStep * b[i + 3];
}

void SbasPosition(const NavRecord& r, double t, double pos[3])
{
    const double dt = t - r.refEpoch;
    const int axes[3] = {X, Y, Z};
    for (int i = 0; i < 3; i++) {
        const double* p = &r.v[axes[i]];
        pos[i] = (p[0] + p[1] * dt + p[2] * dt * dt / 2) * 1e3;
    }
}

double Distance(const double a[3], const double b[3])
{
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                     (a[2] - b[2]) * (a[2] - b[2]));
}

} // namespace

void PrepareOrbit(NavRecord& r)
{
    if (NavSystem(r.sat.sys)->kind == OrbitKind::GlonassState) IntegrateGlonass(r);
}

void OrbitPosition(const NavRecord& r, double t, double pos[3])
{
    double E = 0;
    switch (NavSystem(r.sat.sys)->kind) {
    case OrbitKind::Kepler: KeplerPosition(r, t, pos, E); break;
    case OrbitKind::GlonassState: GlonassPosition(r, t, pos); break;
    case OrbitKind::SbasState: SbasPosition(r, t, pos); break;
    }
}

double SatelliteClock(const NavRecord& r, double t)
{
    const double dt = t - r.clockEpoch;
    if (NavSystem(r.sat.sys)->kind != OrbitKind::Kepler)
        return r.v[ClockBias] + r.v[ClockDrift] * dt;
    double pos[3], E = 0;
    KeplerPosition(r, t, pos, E);
    const double relativistic = -2 * std::sqrt(NavSystem(r.sat.sys)->gm) /
                                (SpeedOfLight * SpeedOfLight) * r.v[Ecc] * r.v[SqrtA] * std::sin(E);
    return r.v[ClockBias] + r.v[ClockDrift] * dt + r.v[ClockDriftRate] * dt * dt + relativistic;
}

void PositionAtEmission(const NavRecord& r, double sent, double travel, double pos[3])
{
    double p[3];
    OrbitPosition(r, sent, p);
    RotateEarth(p, NavSystem(r.sat.sys)->earthRate * travel, pos);
}

bool EmissionPosition(const BroadcastNav& nav, NavSat sat, double tRx, const double rx[3],
                      double pos[3])
{
    const NavRecord* r = nav.Select(sat, tRx);
    if (!r) return false;
    double travel = 0.075; // about the travel time from a medium orbit
    for (int k = 0; k < 6; k++) {
        PositionAtEmission(*r, tRx - travel, travel, pos);
        const double next = Distance(pos, rx) / SpeedOfLight;
        const bool settled = std::fabs(next - travel) < 1e-6; // a few millimetres
        travel = next;
        if (settled) break;
    }
    return true;
}
