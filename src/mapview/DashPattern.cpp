#include "mapview/DashPattern.h"

#include <algorithm>
#include <utility>

namespace tsivor::mapview {

std::optional<TDashPattern> TDashPattern::Of(const QPen& pen) {
    if (pen.style() == Qt::SolidLine || pen.style() == Qt::NoPen) return std::nullopt;
    const QList<qreal> entries = pen.dashPattern();
    // Qt's dasher takes up to 32 entries, an even number of them, each at least nothing, in
    // widths of a pen at least a pixel wide.
    const double width = pen.widthF() > 0 ? pen.widthF() : 1;
    TDashPattern dashes;
    const int given = int(std::min<qsizetype>(entries.size(), 32));
    double sum = 0; // of all given entries, as the dasher measures its pattern
    double longest = 0;
    for (int i = 0; i < given; ++i) {
        dashes.FEntries[size_t(i)] = std::max(entries[i], qreal(0)) * width;
        sum += dashes.FEntries[size_t(i)];
        longest = std::max(longest, dashes.FEntries[size_t(i)]);
    }
    dashes.FPadding = std::max(width, pen.miterLimit()) * longest;
    dashes.FCount = given & -2;
    double walked = 0; // of the entries walked through
    for (int i = 0; i < dashes.FCount; ++i) walked += dashes.FEntries[size_t(i)];
    if (dashes.FCount == 0 || !(sum > 1e-12) || !(walked > 1e-12)) return std::nullopt;
    dashes.FLength = sum;
    // The offset, within one pattern, says where the chain's first point lies in it.
    double offset = std::fmod(pen.dashOffset() * width, sum);
    if (offset < 0) offset += sum;
    int entry = 0;
    while (offset >= dashes.FEntries[size_t(entry)]) {
        offset -= dashes.FEntries[size_t(entry)];
        if (++entry >= dashes.FCount) entry = 0;
    }
    dashes.FFirst = entry;
    dashes.FFirstUsed = offset;
    return dashes;
}

bool TDashPattern::Meets(QPointF a, QPointF b, QPointF topLeft, QPointF bottomRight) {
    // Within the rectangle's rows and columns, then across the diagonal the segment's slope
    // faces.
    if (!((a.x() > topLeft.x() || b.x() > topLeft.x()) &&
          (a.x() < bottomRight.x() || b.x() < bottomRight.x()) &&
          (a.y() > topLeft.y() || b.y() > topLeft.y()) &&
          (a.y() < bottomRight.y() || b.y() < bottomRight.y())))
        return false;
    if (a.x() == b.x() || a.y() == b.y()) return true;
    if (a.y() > b.y()) std::swap(a, b);
    const QPointF w = b - a;
    QPointF u, v;
    if (a.x() < b.x()) {
        u = QPointF(topLeft.x() - a.x(), bottomRight.y() - a.y());
        v = QPointF(bottomRight.x() - a.x(), topLeft.y() - a.y());
    } else {
        u = topLeft - a;
        v = bottomRight - a;
    }
    const double s = u.x() * w.y() - u.y() * w.x(), t = v.x() * w.y() - v.y() * w.x();
    return (s < 0 && t > 0) || (s > 0 && t < 0);
}

bool TDashPattern::DashesEverySegment(std::span<const QPointF> chain) const {
    for (size_t i = 1; i < chain.size(); ++i) {
        const QPointF d = chain[i] - chain[i - 1];
        if (std::hypot(d.x(), d.y()) / FLength > kRepetitions) return false;
    }
    return true;
}

} // namespace tsivor::mapview
