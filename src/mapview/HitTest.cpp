#include "mapview/HitTest.h"

#include "mapdata/Rounding.h"
#include "mapview/DataMap.h"
#include "mapview/DrawObject.h"
#include "mapview/View3D.h"

#include <algorithm>
#include <cmath>

namespace tsivor::mapview {

using mapdata::RoundToInt;

using namespace mapdata;

namespace {

// The note icons the index search reaches for are at most this many pixels wide.
constexpr double kLargestIconPixels = 128;

TORBMapPoint Cubic(const TORBMapPoint* p, double t) {
    // Polynomial form of the cubic: a t^3 + b t^2 + c t + p0.
    auto axis = [t](double p0, double p1, double p2, double p3) {
        const double c = 3 * (p1 - p0);
        const double b = 3 * (p2 - p1) - c;
        const double a = p3 - p0 - c - b;
        return ((a * t + b) * t + c) * t + p0;
    };
    return {float(axis(p[0].X, p[1].X, p[2].X, p[3].X)),
            float(axis(p[0].Y, p[1].Y, p[2].Y, p[3].Y))};
}

bool InRing(const std::vector<TORBMapPoint>& ring, float X, float Y) {
    return !ring.empty() && PointInPolygon(ring.data(), int(ring.size()) - 1, X, Y);
}

} // namespace

bool PointInPolygon(const TORBMapPoint* points, int last, float X, float Y) {
    if (!points || last < 0) return false;
    bool inside = false;
    for (int i = 0; i <= last; ++i) {
        const TORBMapPoint& a = points[size_t(i)];
        const TORBMapPoint& b = points[size_t(i == last ? 0 : i + 1)];
        if (a.Y == b.Y) continue; // horizontal edges never cross
        // Half-open in Y: the edge covers heights from above its upper end to its lower end.
        if ((a.Y < Y) == (b.Y < Y)) continue;
        const double t = (double(Y) - a.Y) / (double(b.Y) - a.Y);
        if (double(X) <= a.X + t * (double(b.X) - a.X)) inside = !inside;
    }
    return inside;
}

bool NearSegment(float X, float Y, float X1, float Y1, float X2, float Y2, float Tolerance) {
    const double half = Tolerance == 0 ? 0.5 : Tolerance / 2.0;
    if (X < std::min(X1, X2) - half || X > std::max(X1, X2) + half) return false;
    if (Y < std::min(Y1, Y2) - half || Y > std::max(Y1, Y2) + half) return false;
    // Twice the triangle's area over the segment length. The area comes from the cross
    // product rather than Heron's formula: the same value without its cancellation, which
    // would push a distance of exactly half a unit over the rounding edge.
    const double twiceArea =
        std::abs((double(X1) - X) * (double(Y2) - Y) - (double(X2) - X) * (double(Y1) - Y));
    double length = std::hypot(double(X2) - X1, double(Y2) - Y1);
    if (length == 0) length = 0.0001;
    const double distance = double(RoundToInt(twiceArea / length));
    return Tolerance / 2.0 >= distance;
}

void FlattenBezier(const TORBMapPoint* points, int last, std::vector<TORBMapPoint>& out) {
    if (!points) return;
    for (int i = 0; i + 3 <= last; i += 3) {
        for (int step = 0; step < 20; ++step) out.push_back(Cubic(points + i, step * 0.05));
        out.push_back(points[size_t(i + 3)]);
    }
}

TMapHitTest::TMapHitTest(TDataMap& map) : FMap(map) {
    FFlat.reserve(1000);
    FRoof.reserve(kMax3DPoints);
}

bool TMapHitTest::View3DActive() const {
    return View3DApplies(FMap.Options(), FMap.Scale());
}

float TMapHitTest::HeightOf(const TORBMapObjectMem& o) const {
    return View3DActive() ? ObjectHeight(o, FMap.Options(), FMap.Render().Painter().OnHeightObject)
                          : o.Height;
}

float TMapHitTest::LineTolerance(const TORBMapObjectMem& o) const {
    return float(FMap.Options().ZoneFindLine() * 100.0 / FMap.Scale() + o.Pen.Width);
}

float TMapHitTest::IndexReach() const {
    const double pixels = std::max(FMap.Options().ZoneFindLine() / 2.0, kLargestIconPixels / 2);
    return float(pixels * 100.0 / FMap.Scale());
}

bool TMapHitTest::FindObjectsAt(float X, float Y, std::vector<int>& found) {
    found.clear();
    const TMapDocument& doc = FMap.Document();
    const int count = doc.ObjectCount();
    if (count == 0) return false;
    const bool notes = FMap.Scale() >= FMap.Options().MinScaleIcon();
    const TCategories& categories = FMap.Categories();

    // A copy: a filter handler may draw, and drawing reuses the index's result.
    std::vector<int32_t> candidates;
    TOrbMapIndex& index = FMap.SpatialIndex();
    const bool indexed = index.Active();
    if (indexed) {
        const float r = IndexReach();
        candidates = index.Query(X - r, Y - r, X + r, Y + r);
    }
    const int total = indexed ? int(candidates.size()) : count;
    int previous = -1;
    for (int k = 0; k < total; ++k) {
        const int i = indexed ? candidates[size_t(k)] : k;
        if (i == previous || i < 0 || i >= doc.ObjectCount()) continue;
        previous = i;
        const TORBMapObjectMem& o = *doc.Objects[size_t(i)];
        if (o.ObjectType == cZametka && !notes) continue;
        if (HitTestObject(X, Y, i, doc.Objects) < 0) continue;
        if (categories.PassesHitFilter(o)) found.push_back(i);
    }
    if (found.empty()) return false;
    // Drawing order: lower layers first, list order within a layer.
    const int64_t stride = int64_t(doc.ObjectCount()) + 1;
    auto key = [&](int i) { return i + int64_t(doc.Objects[size_t(i)]->Layer) * stride; };
    std::sort(found.begin(), found.end(), [&](int a, int b) { return key(a) < key(b); });
    if (View3DActive()) OrderByDepth(found);
    return true;
}

void TMapHitTest::OrderByDepth(std::vector<int>& found) {
    // Within a layer the frame paints the flat objects first, then the extruded houses from
    // the far end of the extrusion to the near one: the hits follow the same order, so the
    // house painted on top is the last one.
    const TMapDocument& doc = FMap.Document();
    const TReferenceLine& line = FMap.Render().ReferenceLine();
    FDepths.clear();
    for (int i : found) {
        const TORBMapObjectMem& o = *doc.Objects[size_t(i)];
        const bool extruded = IsExtruded(o, HeightOf(o));
        FDepths.push_back({o.Layer, extruded, extruded ? -line.PolygonKey(o) : 0, i});
    }
    std::sort(FDepths.begin(), FDepths.end());
    for (size_t k = 0; k < found.size(); ++k) found[k] = FDepths[k].Index;
}

int TMapHitTest::ChooseTopmost(const std::vector<int>& found) const {
    const TMapDocument& doc = FMap.Document();
    const TCategories& categories = FMap.Categories();
    for (auto it = found.rbegin(); it != found.rend(); ++it) {
        const TORBMapObjectMem* o = doc.Object(*it);
        if (o && categories.PassesDrawFilter(*o)) return *it;
    }
    return -1;
}

int TMapHitTest::HitTestObject(float X, float Y, int Index, const TOrbMapList& list) {
    if (Index < 0 || Index >= int(list.size()) || !list[size_t(Index)]) return -1;
    const TORBMapObjectMem& o = *list[size_t(Index)];
    const float h = HeightOf(o);
    if (!FMap.Options().mpEdit() && o.Category == 0) return -1;
    if (o.ObjectType != cText && o.ObjectType != cZametka) {
        float minX = o.Box[0].X, maxX = minX, minY = o.Box[0].Y, maxY = minY;
        for (const TORBMapPoint& p : o.Box) {
            minX = std::min(minX, p.X), maxX = std::max(maxX, p.X);
            minY = std::min(minY, p.Y), maxY = std::max(maxY, p.Y);
        }
        if (minX == maxX) minX -= 1, maxX += 1;
        if (minY == maxY) minY -= 1, maxY += 1;
        // Lines are hit within their tolerance, which may reach beyond the pen's box.
        float margin = std::max(0.0f, h);
        if (o.ObjectType == cLine || o.ObjectType == cBezier)
            margin += std::max(0.0f, LineTolerance(o)) / 2;
        if (X < minX - margin || X > maxX + margin || Y < minY - margin || Y > maxY + margin)
            return -1;
    }
    return HitsKind(X, Y, o, h) ? Index : -1;
}

bool TMapHitTest::HitsKind(float X, float Y, const TORBMapObjectMem& o, float height) {
    const TORBMapPoint* pts = o.Points.get();
    const int last = pts ? o.Count - 1 : -1;
    switch (o.ObjectType) {
    case cPolygon:
        if (PointInPolygon(pts, last, X, Y)) return true;
        return View3DActive() && height >= kMinExtrudedHeight && o.Count <= kMax3DPoints &&
               HitsExtruded(X, Y, o, height);
    case cLine: {
        const float t = LineTolerance(o);
        for (int i = 0; i < last; ++i)
            if (NearSegment(X, Y, pts[i].X, pts[i].Y, pts[i + 1].X, pts[i + 1].Y, t)) return true;
        return false;
    }
    case cText:
        return PointInPolygon(o.Box.data(), 3, X, Y);
    case cBitmap:
        return o.Bitmap && PointInPolygon(o.Bitmap->Corners.data(), 3, X, Y);
    case cBezier: {
        FFlat.clear();
        FlattenBezier(pts, last, FFlat);
        const float t = LineTolerance(o);
        for (size_t i = 0; i + 1 < FFlat.size(); ++i)
            if (NearSegment(X, Y, FFlat[i].X, FFlat[i].Y, FFlat[i + 1].X, FFlat[i + 1].Y, t))
                return true;
        return false;
    }
    case cEllipse: {
        if (last < 3) return false;
        QPointF corners[4];
        for (int i = 0; i < 4; ++i) corners[i] = QPointF(pts[i].X, pts[i].Y);
        const auto chain = TObjectPainter::EllipseChain(corners, false);
        std::vector<TORBMapPoint> control;
        control.reserve(chain.size());
        for (const QPointF& p : chain) control.push_back({float(p.x()), float(p.y())});
        FFlat.clear();
        FlattenBezier(control.data(), int(control.size()) - 1, FFlat);
        return InRing(FFlat, X, Y);
    }
    case cBezierFill:
        FFlat.clear();
        FlattenBezier(pts, last, FFlat);
        return InRing(FFlat, X, Y);
    case cZametka:
        return HitsNote(X, Y, o);
    case cGroup:
        if (!o.Children) return false;
        for (int i = 0; i < int(o.Children->size()); ++i)
            if (HitTestObject(X, Y, i, *o.Children) >= 0) return true;
        return false;
    default:
        return false; // dots and unknown codes are not hit
    }
}

bool TMapHitTest::HitsExtruded(float X, float Y, const TORBMapObjectMem& o, float height) {
    const QPointF shift = ExtrusionVector(height, FMap.Options().View3DAngle());
    const float ox = float(shift.x()), oy = float(shift.y());
    const int n = o.Count;
    std::vector<TORBMapPoint>& roof = FRoof;
    roof.resize(size_t(n));
    for (int i = 0; i < n; ++i) roof[size_t(i)] = {o.Points[i].X + ox, o.Points[i].Y + oy};
    if (PointInPolygon(roof.data(), n - 1, X, Y)) return true;
    for (int i = 0; i < n; ++i) {
        const int j = i + 1 == n ? 0 : i + 1;
        const TORBMapPoint wall[4] = {roof[size_t(i)], roof[size_t(j)], o.Points[j], o.Points[i]};
        if (PointInPolygon(wall, 3, X, Y)) return true;
    }
    return false;
}

bool TMapHitTest::HitsNote(float X, float Y, const TORBMapObjectMem& o) const {
    TORBMapZametka z;
    if (!o.GetZametka(z)) return false;
    const QSize icon = NoteIconSize ? NoteIconSize(o) : QSize(32, 32);
    const double unit = 100.0 / FMap.Scale();
    const double hw = icon.width() * unit / 2, hh = icon.height() * unit / 2;
    return std::abs(double(X) - z.X) <= hw && std::abs(double(Y) - z.Y) <= hh;
}

} // namespace tsivor::mapview
