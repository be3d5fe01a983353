#include "mapview/FlatCubics.h"

#include <algorithm>
#include <cmath>

namespace tsivor::mapview {

namespace {

// Appends the ends of the segments of the cubic a b c d after a.
// Whether the cubic a b c d is to be halved by the rule.
bool Curved(QPointF a, QPointF b, QPointF c, QPointF d, const TFlattening& rule) {
    const double dx = d.x() - a.x(), dy = d.y() - a.y();
    const double extent = std::abs(dx) + std::abs(dy);
    // The cross products are the control points' distances from the chord times its length.
    const double cb = std::abs(dx * (a.y() - b.y()) - dy * (a.x() - b.x()));
    const double cc = std::abs(dx * (a.y() - c.y()) - dy * (a.x() - c.x()));
    if (!rule.Together) return cc >= rule.Share * extent || cb >= rule.Share * extent;
    if (extent > 1) return !(cb + cc < rule.Share * extent);
    const double offsets = std::abs(a.x() - b.x()) + std::abs(a.y() - b.y()) +
                           std::abs(a.x() - c.x()) + std::abs(a.y() - c.y());
    return !(offsets < rule.Share);
}

void Halve(QPointF a, QPointF b, QPointF c, QPointF d, const TFlattening& rule, int halvings,
           std::vector<QPointF>& flat) {
    if (halvings > 0) {
        if (Curved(a, b, c, d, rule)) {
            const QPointF ab = (a + b) / 2, bc = (b + c) / 2, cd = (c + d) / 2;
            const QPointF abc = (ab + bc) / 2, bcd = (bc + cd) / 2, mid = (abc + bcd) / 2;
            Halve(a, ab, abc, mid, rule, halvings - 1, flat);
            Halve(mid, bcd, cd, d, rule, halvings - 1, flat);
            return;
        }
    }
    flat.push_back(d);
}

} // namespace

void FlattenCubics(std::span<const QPoint> pts, const QRectF& keep, TFlattening rule,
                   std::vector<QPointF>& flat) {
    flat.clear();
    if (pts.empty()) return;
    flat.push_back(QPointF(pts[0]));
    for (size_t i = 1; i + 2 < pts.size(); i += 3) {
        const QPointF p0 = pts[i - 1], p1 = pts[i], p2 = pts[i + 1], p3 = pts[i + 2];
        const double x0 = std::min({p0.x(), p1.x(), p2.x(), p3.x()});
        const double x1 = std::max({p0.x(), p1.x(), p2.x(), p3.x()});
        const double y0 = std::min({p0.y(), p1.y(), p2.y(), p3.y()});
        const double y1 = std::max({p0.y(), p1.y(), p2.y(), p3.y()});
        if (x1 < keep.left() || x0 > keep.right() || y1 < keep.top() || y0 > keep.bottom())
            flat.push_back(p3);
        else
            Halve(p0, p1, p2, p3, rule, rule.MaxHalvings, flat);
    }
}

} // namespace tsivor::mapview
