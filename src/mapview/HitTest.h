#pragma once
// Hit testing: which objects lie under a map point. TMapHitTest runs the geometric test of
// every object type and the search over the shown document that lists the hits in drawing
// order; the map control fires its events and loads the chosen object.

#include "mapdata/MapObject.h"

#include <QSize>

#include <functional>
#include <vector>

namespace tsivor::mapview {

class TDataMap;

// Even–odd test of (X, Y) against the ring points[0 .. last]. A point at the height of a
// vertex is classified consistently: an edge counts from its upper end, not its lower one.
bool PointInPolygon(const mapdata::TORBMapPoint* points, int last, float X, float Y);
// (X, Y) within Tolerance / 2 of the segment's line and inside its box widened by as much
// (half a unit when Tolerance is 0); the distance is rounded to a whole unit first.
bool NearSegment(float X, float Y, float X1, float Y1, float X2, float Y2, float Tolerance);
// Appends the cubic chain points[0 .. last] as 20 points per segment plus its end point.
void FlattenBezier(const mapdata::TORBMapPoint* points, int last,
                   std::vector<mapdata::TORBMapPoint>& out);

class TMapHitTest {
public:
    explicit TMapHitTest(TDataMap& map);

    // The size in pixels of the icon a note shows (the error icon when it is missing).
    std::function<QSize(const mapdata::TORBMapObjectMem& note)> NoteIconSize;

    // Fills found with the hits under (X, Y), bottom of the drawing order first; true when
    // something was found.
    bool FindObjectsAt(float X, float Y, std::vector<int>& found);
    // The topmost entry of found that is drawn, or -1.
    int ChooseTopmost(const std::vector<int>& found) const;
    // Index when object Index of list is hit, else -1; groups are tested member by member.
    int HitTestObject(float X, float Y, int Index, const mapdata::TOrbMapList& list);

private:
    bool View3DActive() const;
    // The height the 3-D test extrudes the object by (0 outside the 3-D mode).
    float HeightOf(const mapdata::TORBMapObjectMem& o) const;
    bool HitsKind(float X, float Y, const mapdata::TORBMapObjectMem& o, float height);
    bool HitsExtruded(float X, float Y, const mapdata::TORBMapObjectMem& o, float height);
    bool HitsNote(float X, float Y, const mapdata::TORBMapObjectMem& o) const;
    // The 3-D mode's order of the hits: as the frame paints them.
    void OrderByDepth(std::vector<int>& found);
    // Tolerance of lines and curves in map units.
    float LineTolerance(const mapdata::TORBMapObjectMem& o) const;
    // How far from its box an object can still be hit: the index is asked around the point.
    float IndexReach() const;

    TDataMap& FMap;
    std::vector<mapdata::TORBMapPoint> FFlat; // flattened curve, reused per test
    std::vector<mapdata::TORBMapPoint> FRoof; // the 3-D test's roof
    struct TDepthEntry {
        int32_t Layer;
        bool Extruded; // after the flat objects of its layer
        long long Key; // far houses first
        int Index;
        auto operator<=>(const TDepthEntry&) const = default;
    };
    std::vector<TDepthEntry> FDepths;
};

} // namespace tsivor::mapview
