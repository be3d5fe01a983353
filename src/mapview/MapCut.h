#pragma once
// Cutting figures in map units before their points are converted to device pixels. A figure
// reaching far beyond the rectangle it is drawn into has long runs of points beyond one side
// of it; those runs are shortened here, so that only the points left are converted. What the
// drawing primitives then cut off in device pixels comes out as it would from all the points:
// a shortened run stays beyond the side it lay beyond.

#include "mapdata/MapObject.h"

#include <span>
#include <utility>
#include <vector>

namespace tsivor::mapview {

using mapdata::TORBMapPoint;

// A rectangle of map units; outcodes as the viewport's clip codes: 1 left, 2 above, 4 right,
// 8 below. A point exactly on a side is inside.
struct TMapCutRect {
    float X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
    int Code(const TORBMapPoint& p) const {
        return (p.X < X0 ? 1 : 0) | (p.Y < Y0 ? 2 : 0) | (p.X > X1 ? 4 : 0) | (p.Y > Y1 ? 8 : 0);
    }
};

// The points kept, in order: ranges [first, last) of indices into the figure's points. A range
// may repeat points of another one.
using TKeptRanges = std::vector<std::pair<int, int>>;

// A ring or an open line: every run of consecutive points beyond one common side of rect is
// cut to its first and last point (runs do not wrap round the end of a ring). The segments
// left out and the chord that replaces them lie beyond that side.
void KeepRunsNear(std::span<const TORBMapPoint> pts, const TMapCutRect& rect, TKeptRanges& kept);

// A chain of cubic segments (3 n + 1 points): every run of two or more consecutive segments
// whose points all lie beyond one common side of rect becomes a single straight segment from
// the run's start to its end, its control points on its ends. The chain keeps 3 m + 1 points.
void KeepCurvesNear(std::span<const TORBMapPoint> chain, const TMapCutRect& rect,
                    TKeptRanges& kept);

// The number of points the ranges keep.
int KeptCount(const TKeptRanges& kept);

} // namespace tsivor::mapview
