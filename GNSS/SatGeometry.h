// SPDX-License-Identifier: BSD-2-Clause
// Satellite geometry seen from a receiver: azimuth and elevation in the receiver's local frame
// (east, north, up of the WGS 84 ellipsoid, through GeographicLib), and a single-point position
// of the receiver from its codes, for files whose header gives no position.
#ifndef KESTROVA_GNSS_SATGEOMETRY_H
#define KESTROVA_GNSS_SATGEOMETRY_H

#include "GNSS/BroadcastNav.h"

#include <vector>

// The local frame of a receiver at an Earth-fixed position (m).
class StationFrame {
  public:
    explicit StationFrame(const double ecef[3]);
    // Azimuth (0 to 360, from north through east) and elevation (-90 to 90) of a point, degrees.
    void AzEl(const double point[3], double& az, double& el) const;
    // Geodetic latitude and longitude (degrees) and height above the ellipsoid (m).
    double Latitude() const { return lat; }
    double Longitude() const { return lon; }
    double Height() const { return height; }
    const double* Position() const { return origin; }

  private:
    double origin[3];
    double enuToEcef[9]; // row-major: a local east, north, up vector into the Earth-fixed axes
    double lat, lon, height;
};

// Azimuth and elevation (degrees) of sat at the reception epoch t (GPS seconds) from the
// station, with the satellite at signal emission; false when the store has no usable record.
bool SatelliteAzEl(const BroadcastNav& nav, NavSat sat, double t, const StationFrame& station,
                   double& az, double& el);

// The angles of one satellite epoch after epoch, for a listing that walks a satellite's epochs
// in time order (1 Hz and faster): the position at emission is computed exactly on a grid of
// NodeSpacing seconds and taken linearly in between, metres off the exact one over 10 s, far
// below a thousandth of a degree (the exact computation costs about four times as much). Where a
// node has no usable record the exact computation of SatelliteAzEl serves; a gap of less than
// NodeSpacing between the validities of two records is bridged.
class SatelliteTrack {
  public:
    static constexpr double NodeSpacing = 10;
    SatelliteTrack(const BroadcastNav& nav, NavSat sat, const StationFrame& station);
    // As SatelliteAzEl.
    bool AzEl(double t, double& az, double& el);

  private:
    const BroadcastNav& nav;
    NavSat sat;
    const StationFrame& station;
    double first = 0, last = -1; // the nodes around the last epoch asked
    bool usable = false;         // both nodes have positions
    double atFirst[3] = {}, atLast[3] = {};
};

// One code of one epoch: the satellite, the reception epoch (GPS seconds, receiver clock) and
// the pseudorange (m).
struct CodeRange {
    NavSat sat;
    double epoch = 0;
    double range = 0;
};
// The receiver position (Earth-fixed, m) from the codes of one or a few epochs (entries of an
// epoch one after another): a least-squares solution per epoch with one receiver clock per
// system, satellites below 10 degrees left out, the mean of the epochs solved. Without
// ionosphere correction: some metres to tens of metres, plenty for angles. False when no epoch
// has enough satellites with usable records.
bool SinglePointPosition(const BroadcastNav& nav, const std::vector<CodeRange>& codes,
                         double xyz[3]);

#endif
