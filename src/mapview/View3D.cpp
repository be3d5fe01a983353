#include "mapview/View3D.h"

#include "mapdata/MapDocument.h"
#include "mapdata/Rounding.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tsivor::mapview {

using mapdata::cPolygon;
using mapdata::TORBMapObjectMem;

namespace {

double Radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

// Where the open segments a1–a2 and b1–b2 cross; (0, 0) when they do not.
QPointF Crossing(QPointF a1, QPointF a2, QPointF b1, QPointF b2) {
    const QPointF r = a2 - a1, s = b2 - b1;
    const double d = r.x() * s.y() - r.y() * s.x();
    if (d == 0) return {};
    const QPointF q = b1 - a1;
    const double t = (q.x() * s.y() - q.y() * s.x()) / d;
    const double u = (q.x() * r.y() - q.y() * r.x()) / d;
    if (t <= 0 || t >= 1 || u <= 0 || u >= 1) return {};
    return a1 + t * r;
}

} // namespace

void RotatePoint(float& x, float& y, float cx, float cy, double a) {
    const double c = std::cos(Radians(a)), s = std::sin(Radians(a));
    const double dx = double(x) - cx, dy = double(y) - cy;
    x = float(cx + dx * c + dy * s);
    y = float(cy - dx * s + dy * c);
}

void RotatePoint(long double& x, long double& y, long double cx, long double cy, double a) {
    const long double c = std::cos((long double)Radians(a)), s = std::sin((long double)Radians(a));
    const long double dx = x - cx, dy = y - cy;
    x = cx + dx * c + dy * s;
    y = cy - dx * s + dy * c;
}

void RotatePoint(int& x, int& y, int cx, int cy, double a) {
    const double c = std::cos(Radians(a)), s = std::sin(Radians(a));
    const double dx = x - cx, dy = y - cy;
    x = mapdata::RoundToInt(cx + dx * c + dy * s);
    y = mapdata::RoundToInt(cy - dx * s + dy * c);
}

QPointF ExtrusionVector(double h, int angle) {
    float x = float(h), y = 0;
    RotatePoint(x, y, 0, 0, angle);
    return {x, y};
}

float ObjectHeight(const TORBMapObjectMem& o, const tOrbMapOptions& options,
                   const THeightObject& onHeight) {
    float h = o.Height;
    if (options.View3D() && onHeight) onHeight(o, h);
    return h;
}

bool IsExtruded(const TORBMapObjectMem& o, float height) {
    return o.ObjectType == cPolygon && height > kMinExtrudedHeight;
}

bool View3DApplies(const tOrbMapOptions& options, double scale) {
    return options.View3D() && scale >= options.MinScale3D();
}

// ---------------------------------------------------------------------- reference line

void TReferenceLine::Set(double cx, double cy, int angle) {
    FX1 = cx - Far, FY1 = cy - Far;
    FX2 = cx - Far, FY2 = cy + Far;
    RotatePoint(FX1, FY1, cx, cy, angle);
    RotatePoint(FX2, FY2, cx, cy, angle);
}

long long TReferenceLine::Depth(double x, double y) const {
    // Twice the triangle's area over the base: the distance from the line.
    const long double bx = FX2 - FX1, by = FY2 - FY1;
    long double base = std::sqrt(bx * bx + by * by);
    if (base == 0) base = 0.00001L;
    const long double area2 = std::fabs(bx * ((long double)y - FY1) - by * ((long double)x - FX1));
    return (long long)mapdata::NearestEven(double(area2 / base));
}

long long TReferenceLine::PolygonKey(const TORBMapObjectMem& o) const {
    long long key = 0;
    for (int i = 0; o.Points && i < o.Count; ++i)
        key = std::max(key, Depth(o.Points[i].X, o.Points[i].Y));
    return key;
}

long long TReferenceLine::BoxKey(const TORBMapObjectMem& o) const {
    long long key = Depth(o.Box[0].X, o.Box[0].Y);
    for (int i = 1; i < 4; ++i) key = std::min(key, Depth(o.Box[i].X, o.Box[i].Y));
    return key;
}

void SortByDepth(std::vector<int>& list, const mapdata::TMapDocument& doc,
                 const TReferenceLine& line, std::vector<std::pair<long long, int>>& keyed) {
    if (list.size() < 2) return;
    // Keys are computed once per object, not once per comparison.
    keyed.clear();
    for (int index : list) {
        const TORBMapObjectMem* o = doc.Object(index);
        keyed.emplace_back(o ? line.PolygonKey(*o) : 0, index);
    }
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        return a.first > b.first || (a.first == b.first && a.second < b.second);
    });
    for (size_t i = 0; i < keyed.size(); ++i) list[i] = keyed[i].second;
}

// ---------------------------------------------------------------------- extrusion

void TExtruder::DrawPolygon3D(TDrawObject& draw, std::span<const QPoint> points, int heightPixels,
                              int angle) {
    QPainter* canvas = draw.Canvas();
    if (!canvas) return;
    const int n = int(points.size());
    if (heightPixels == 0 || n > kMax3DPoints || n < 2) {
        draw.Polygon(points);
        return;
    }
    int ox = heightPixels, oy = 0;
    RotatePoint(ox, oy, 0, 0, angle);
    FRoof.resize(size_t(n));
    for (int i = 0; i < n; ++i) FRoof[size_t(i)] = points[size_t(i)] + QPoint(ox, oy);

    // A wall whose outside faces the extrusion lies wholly under the roof and the walls facing
    // the other way (the house is its base swept to the roof), so it is left out.
    long long area2 = 0;
    for (int i = 0; i < n; ++i) {
        const QPoint a = points[size_t(i)], b = points[size_t((i + 1) % n)];
        area2 += (long long)a.x() * b.y() - (long long)b.x() * a.y();
    }
    auto facesRoof = [&](int i, int j) {
        const QPoint e = points[size_t(j)] - points[size_t(i)];
        const long long outward = (long long)e.y() * ox - (long long)e.x() * oy;
        return area2 > 0 ? outward > 0 : area2 < 0 && outward < 0;
    };

    // Walls are ordered by how far their middle lies in the extrusion direction.
    const QPointF dir = ExtrusionVector(1.0, angle);
    FWalls.clear();
    for (int i = 0; i < n; ++i) {
        const int j = (i + 1) % n;
        if (facesRoof(i, j)) continue;
        const QPointF c =
            Crossing(FRoof[size_t(i)], points[size_t(j)], FRoof[size_t(j)], points[size_t(i)]);
        FWalls.push_back({c.x() * dir.x() + c.y() * dir.y(), i});
    }
    std::stable_sort(FWalls.begin(), FWalls.end(),
                     [](const TWall& a, const TWall& b) { return a.Depth < b.Depth; });

    const QBrush roof = canvas->brush();
    const QColor c = roof.color();
    QBrush wall = roof;
    wall.setColor(QColor(mapdata::RoundToInt(c.red() * 0.75), mapdata::RoundToInt(c.green() * 0.75),
                         mapdata::RoundToInt(c.blue() * 0.75), c.alpha()));
    canvas->setBrush(wall);
    for (auto it = FWalls.rbegin(); it != FWalls.rend(); ++it) {
        const int i = it->Index, j = (i + 1) % n;
        const std::array<QPoint, 4> quad = {FRoof[size_t(i)], FRoof[size_t(j)], points[size_t(j)],
                                            points[size_t(i)]};
        draw.Polygon(quad);
    }
    canvas->setBrush(roof);
    draw.Polygon(FRoof);
}

} // namespace tsivor::mapview
