#include "LogoGround.h"

#include "mapdata/MapLoader.h"

#include <QFile>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace tsivor::sample {

namespace {

constexpr float kIconPixels = 32;
constexpr float kClearance = 3; // map units kept free around a picture
constexpr float kSearchReach = 160;
constexpr float kSearchStep = 4;
// A note's half size at the smallest scale that shows picture logos (60: 0.6 pixels a unit).
constexpr float kPictureNoteHalf = kIconPixels / 2 / 0.6f;

QPolygonF Polygon(const std::vector<PlanPoint>& points) {
    QPolygonF p;
    for (const PlanPoint& v : points) p << QPointF(v.X, v.Y);
    return p;
}

QRectF Bounds(const std::vector<PlanPoint>& points) {
    return Polygon(points).boundingRect();
}

} // namespace

LogoGround::LogoGround(const CityPlan& plan, const QString& mapFile) {
    // The program shows houses raised towards 80 degrees: a house covers its roof's place too.
    const double c = std::cos(80 * M_PI / 180), sn = std::sin(80 * M_PI / 180);
    for (const PlanHouse& h : plan.Houses) {
        const QRectF base = Bounds(h.Outline);
        FHouses.push_back(base | base.translated(h.Height * c, -h.Height * sn));
    }
    for (const auto& block : plan.Blocks) FBlocks.push_back(Polygon(block));
    mapdata::TMapDocument doc;
    mapdata::TMapLoadHost host;
    if (QFile::exists(mapFile) && mapdata::MapLoad(mapFile, doc, host)) {
        FPixelsPerUnit = std::max(0.01f, float(doc.Header.Scale) / 100.f);
        for (int i = 0; i < doc.ObjectCount(); ++i) {
            const mapdata::TORBMapObjectMem& o = *doc.Object(i);
            mapdata::TORBMapText t;
            if (o.GetText(t)) {
                QPolygonF box;
                for (const auto& p : o.Box) box << QPointF(p.X, p.Y);
                FNames.push_back({box.boundingRect(), t.Size});
            } else if (o.ObjectType == mapdata::cZametka) {
                FNotes.push_back({o.Box[0].X, o.Box[0].Y});
            }
        }
    }
    FIconHalf = kIconPixels / 2 / FPixelsPerUnit;
}

std::optional<QRectF> LogoGround::TakePicture(QPointF wanted, QSizeF size) {
    // Offsets of the search grid, nearest first (ties in grid order).
    static const std::vector<QPointF> offsets = [] {
        std::vector<QPointF> all;
        for (float dy = -kSearchReach; dy <= kSearchReach; dy += kSearchStep)
            for (float dx = -kSearchReach; dx <= kSearchReach; dx += kSearchStep)
                all.emplace_back(dx, dy);
        std::stable_sort(all.begin(), all.end(), [](const QPointF& a, const QPointF& b) {
            return std::hypot(a.x(), a.y()) < std::hypot(b.x(), b.y());
        });
        return all;
    }();
    for (const QPointF& d : offsets) {
        const QRectF r(wanted + d, size);
        const QRectF clear = r.adjusted(-kClearance, -kClearance, kClearance, kClearance);
        if (!InsideABlock(clear) || CoversAHouse(clear) || CoversAName(clear, false) ||
            CoversANote(clear, kPictureNoteHalf) || CoversALogo(clear))
            continue;
        FTaken.push_back(r);
        return r;
    }
    return std::nullopt;
}

std::optional<QPointF> LogoGround::TakeIcon(const std::vector<QPointF>& candidates) {
    const QPointF half(FIconHalf, FIconHalf);
    for (const QPointF& c : candidates) {
        const QRectF r(c - half, c + half);
        if (CoversAName(r, true) || CoversANote(r, FIconHalf) || CoversALogo(r)) continue;
        FTaken.push_back(r);
        return c;
    }
    return std::nullopt;
}

bool LogoGround::InsideABlock(const QRectF& r) const {
    for (const QPolygonF& b : FBlocks) {
        if (b.containsPoint(r.topLeft(), Qt::OddEvenFill) &&
            b.containsPoint(r.topRight(), Qt::OddEvenFill) &&
            b.containsPoint(r.bottomLeft(), Qt::OddEvenFill) &&
            b.containsPoint(r.bottomRight(), Qt::OddEvenFill))
            return true;
    }
    return false;
}

bool LogoGround::CoversAHouse(const QRectF& r) const {
    return std::any_of(FHouses.begin(), FHouses.end(),
                       [&](const QRectF& h) { return h.intersects(r); });
}

bool LogoGround::CoversAName(const QRectF& r, bool atWholeTown) const {
    // At the whole-town view only names large enough to be drawn there count.
    return std::any_of(FNames.begin(), FNames.end(), [&](const Name& n) {
        return (!atWholeTown || n.Size * FPixelsPerUnit >= 5) && n.Bounds.intersects(r);
    });
}

bool LogoGround::CoversANote(const QRectF& r, float half) const {
    const QRectF grown = r.adjusted(-half, -half, half, half);
    return std::any_of(FNotes.begin(), FNotes.end(),
                       [&](const QPointF& n) { return grown.contains(n); });
}

bool LogoGround::CoversALogo(const QRectF& r) const {
    return std::any_of(FTaken.begin(), FTaken.end(),
                       [&](const QRectF& t) { return t.intersects(r); });
}

} // namespace tsivor::sample
