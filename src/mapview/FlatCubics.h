#pragma once
// Chains of cubic Bézier curves as chains of segments, for the figures drawn straight into the
// canvas's image: the one rule by which smoothed curves are flattened.
//
// A cubic is halved until both its control points lie within a share of its chord's extent
// (|dx| + |dy|) over the chord's length of the chord, or it has been halved so often.

#include <QPoint>
#include <QPointF>
#include <QRectF>

#include <span>
#include <vector>

namespace tsivor::mapview {

struct TFlattening {
    double Share;
    int MaxHalvings;
    // The two control points' distances are added up and weighed against the share together,
    // and a cubic less than a pixel across by their offsets from its start.
    bool Together = false;
};
// The rule by which Qt steps its smoothed one-pixel outlines of curves: outlines flattened so
// run along Qt's segments. They stay within about a quarter of a pixel of the curve.
inline constexpr TFlattening kHairlineFlattening{0.25, 6};
// Segments within a tenth of a pixel of the curve (the control points within 0.09 times the
// square root of 2, the curve within three quarters of that), for wide strokes and bare fills.
inline constexpr TFlattening kFineFlattening{0.09, 10};
// The rule by which Qt's dasher flattens curves before it measures its dashes along them and
// strokes each dash.
inline constexpr TFlattening kDashFlattening{0.5, 9, true};

// Replaces flat with the chain of cubic curves through pts (3 n + 1 of them) as the points of
// its segments. A cubic lies in the hull of its points: one whose points lie wholly beyond keep
// stands as its chord, which changes nothing drawn within keep.
void FlattenCubics(std::span<const QPoint> pts, const QRectF& keep, TFlattening rule,
                   std::vector<QPointF>& flat);

} // namespace tsivor::mapview
