#pragma once
// Longitude and latitude to metres of a plane touching the earth at the town's centre: one map
// unit is one metre on the ground (Mashtab 1000), X east, Y south as the map has it.

#include "mapdata/MapObject.h"

#include <cmath>

namespace tsivor::importosm {

class TLocalProjection {
public:
    TLocalProjection() = default;
    TLocalProjection(double lon0, double lat0) : FLon0(lon0), FLat0(lat0) {
        // WGS 84: radii of curvature along the meridian and the parallel at the centre.
        constexpr double a = 6378137.0, e2 = 6.69437999014e-3;
        const double s = std::sin(lat0 * kRad);
        const double w = std::sqrt(1 - e2 * s * s);
        FMetresPerDegLat = a * (1 - e2) / (w * w * w) * kRad;
        FMetresPerDegLon = a / w * std::cos(lat0 * kRad) * kRad;
    }

    mapdata::TORBMapPoint ToMap(double lon, double lat) const {
        return {float((lon - FLon0) * FMetresPerDegLon), float((FLat0 - lat) * FMetresPerDegLat)};
    }

    static constexpr int kMashtab = 1000; // one map unit is one metre

private:
    static constexpr double kRad = 3.14159265358979323846 / 180.0;
    double FLon0 = 0, FLat0 = 0;
    double FMetresPerDegLat = 111320, FMetresPerDegLon = 111320;
};

} // namespace tsivor::importosm
