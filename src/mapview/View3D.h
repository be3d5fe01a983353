#pragma once
// The pseudo-three-dimensional view: buildings with a height are drawn as blocks in an oblique
// parallel projection. The roof is the base shifted by the height in one screen direction
// (View3DAngle: 0° right, 90° up), the walls between are darker, and blocks are painted from
// the far end of that direction towards the near one.

#include "mapdata/MapDocument.h"
#include "mapdata/MapObject.h"
#include "mapview/DrawPrimitives.h"
#include "mapview/MapOptions.h"

#include <QPoint>
#include <QPointF>

#include <array>
#include <functional>
#include <span>
#include <vector>

namespace tsivor::mapview {

// May replace the height an object is extruded by (map units); called while View3D is on.
using THeightObject =
    std::function<void(const mapdata::TORBMapObjectMem& MapObject, float& Height)>;

// Extruded when higher than this.
constexpr float kMinExtrudedHeight = 0.000001f;
// Larger polygons are drawn flat.
constexpr int kMax3DPoints = 500;

// Turns (x, y) about (cx, cy) by a degrees, counter-clockwise on the screen (whose Y axis
// points down): x' = cx + dx cos a + dy sin a, y' = cy − dx sin a + dy cos a.
void RotatePoint(float& x, float& y, float cx, float cy, double a);
void RotatePoint(long double& x, long double& y, long double cx, long double cy, double a);
void RotatePoint(int& x, int& y, int cx, int cy, double a); // the result rounded

// The extrusion of height h: (h, 0) turned by the angle.
QPointF ExtrusionVector(double h, int angle);

// The height the 3-D view uses for o: its record's height, changed by the event while View3D
// is on. Only polygons are extruded by it.
float ObjectHeight(const mapdata::TORBMapObjectMem& o, const tOrbMapOptions& options,
                   const THeightObject& onHeight);
// Whether o is drawn extruded: a polygon of more than the least height.
bool IsExtruded(const mapdata::TORBMapObjectMem& o, float height);
// Whether the 3-D mode applies at this scale.
bool View3DApplies(const tOrbMapOptions& options, double scale);

// The line far behind the view on the side opposite to the extrusion; a point's depth is its
// distance from it, so larger depths lie farther in the extrusion direction.
class TReferenceLine {
public:
    static constexpr long double Far = 1e9L;

    // Through (cx − Far, cy − Far) and (cx − Far, cy + Far), both turned about (cx, cy).
    void Set(double cx, double cy, int angle);
    // The distance of (x, y) from the line, rounded; 0 while the line was never set.
    long long Depth(double x, double y) const;
    // The sort key of an extruded polygon: the largest depth of its vertices.
    long long PolygonKey(const mapdata::TORBMapObjectMem& o) const;
    // The hit-test key of a polygon: the smallest depth of its four box corners.
    long long BoxKey(const mapdata::TORBMapObjectMem& o) const;

    std::array<long double, 4> Ends() const { return {FX1, FY1, FX2, FY2}; }

private:
    long double FX1 = 0, FY1 = 0, FX2 = 0, FY2 = 0;
};

// Orders extruded polygons for painting: largest key first, ties in list order. scratch is
// reused between calls.
void SortByDepth(std::vector<int>& list, const mapdata::TMapDocument& doc,
                 const TReferenceLine& line, std::vector<std::pair<long long, int>>& scratch);

// Draws one polygon of device points extruded by heightPixels, or flat when that is 0 or the
// polygon has too many points. Reuses its buffers from call to call.
class TExtruder {
public:
    void DrawPolygon3D(TDrawObject& draw, std::span<const QPoint> points, int heightPixels,
                       int angle);

private:
    struct TWall {
        double Depth;
        int Index;
    };
    std::vector<QPoint> FRoof;
    std::vector<TWall> FWalls;
};

} // namespace tsivor::mapview
