#include "mapview/FlatCubics.h"

#include <algorithm>
#include <cmath>

namespace tsivor::mapview {

namespace {

// Appends the ends of the segments of the cubic a b c d after a.
void Halve(QPointF a, QPointF b, QPointF c, QPointF d, double share, int halvings,
           std::vector<QPointF>& flat) {
    if (halvings > 0) {
        const double dx = d.x() - a.x(), dy = d.y() - a.y();
        const double reach = share * (std::abs(dx) + std::abs(dy));
        // The cross products are the control points' distances from the chord times its length.
        if (std::abs(dx * (a.y() - c.y()) - dy * (a.x() - c.x())) >= reach ||
            std::abs(dx * (a.y() - b.y()) - dy * (a.x() - b.x())) >= reach) {
            const QPointF ab = (a + b) / 2, bc = (b + c) / 2, cd = (c + d) / 2;
            const QPointF abc = (ab + bc) / 2, bcd = (bc + cd) / 2, mid = (abc + bcd) / 2;
            Halve(a, ab, abc, mid, share, halvings - 1, flat);
            Halve(mid, bcd, cd, d, share, halvings - 1, flat);
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
            Halve(p0, p1, p2, p3, rule.Share, rule.MaxHalvings, flat);
    }
}

} // namespace tsivor::mapview
