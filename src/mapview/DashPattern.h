#pragma once
// Where a dashed pen's dashes lie along a chain, for dashed strokes drawn straight into the
// canvas's image: the pattern of the pen (its style's or its own, in pen widths) begun at the
// chain's first point, moved on by the pen's dash offset and carried on over the chain's points,
// each length measured along the segments as Qt's dasher measures it.

#include <QPen>
#include <QPointF>
#include <QRectF>

#include <array>
#include <cmath>
#include <optional>
#include <span>
#include <vector>

namespace tsivor::mapview {

class TDashPattern {
public:
    // The pen's pattern, or nullopt for a pen that is not dashed or whose pattern has no
    // length.
    static std::optional<TDashPattern> Of(const QPen& pen);

    // Qt draws a segment, or a line on the device, holding more patterns than this solid.
    static constexpr double kRepetitions = 10000;

    // The length of the whole pattern in pixels.
    double Length() const { return FLength; }
    // Whether Qt's dasher dashes every segment of the chain (see kRepetitions).
    bool DashesEverySegment(std::span<const QPointF> chain) const;

    // Hands dash(std::span<const QPointF>) each dash along the chain, in order: its first point,
    // the chain's points it passes, its last point. device, when not empty, is the device's
    // rectangle in the chain's coordinates: Qt's dasher passes over segments well beyond it by
    // arithmetic of its own, carrying the pattern on not quite by their length, and begins
    // anew after them.
    template <class TDash>
    void Along(std::span<const QPointF> chain, const QRectF& device, TDash&& dash) const {
        std::vector<QPointF> points;
        // A dash beginning where the chain ends has nothing to stroke.
        auto flush = [&] {
            if (points.size() > 1) dash(std::span<const QPointF>(points));
            points.clear();
        };
        Walk(chain, device, [&](const QPointF& p, bool starts) {
            if (starts) flush();
            points.push_back(p);
        });
        flush();
    }

private:
    TDashPattern() = default;
    // Hands point(p, starts) the points of the dashes in order, starts true on each dash's
    // first point.
    template <class TPoint>
    void Walk(std::span<const QPointF> chain, const QRectF& device, TPoint&& point) const;
    // Whether the segment from a to b meets the rectangle, as Qt's dasher tells.
    static bool Meets(QPointF a, QPointF b, QPointF topLeft, QPointF bottomRight);

    std::array<double, 32> FEntries{}; // dash, space, dash, ... in pixels
    int FCount = 0;                    // even
    double FLength = 0;
    int FFirst = 0;        // the entry the chain's first point lies in
    double FFirstUsed = 0; // how much of it lies before the first point
    double FPadding = 0;   // around the device, for wide pens' dashes
};

template <class TPoint>
void TDashPattern::Walk(std::span<const QPointF> chain, const QRectF& device,
                        TPoint&& point) const {
    if (chain.empty()) return;
    const bool clipped = !device.isEmpty();
    const QPointF topLeft = device.topLeft() - QPointF(FPadding, FPadding);
    const QPointF bottomRight = device.bottomRight() + QPointF(FPadding, FPadding);
    // Even entries are dashes, odd ones spaces.
    int entry = FFirst;
    double used = FFirstUsed; // of the entry, before where the walk stands
    if ((entry & 1) == 0) point(chain[0], true);
    for (size_t i = 1; i < chain.size(); ++i) {
        const QPointF a = chain[i - 1], b = chain[i];
        const double length = std::hypot(b.x() - a.x(), b.y() - a.y());
        if (!(length > 0)) continue;
        double at = 0; // along the segment
        if (clipped && !Meets(a, b, topLeft, bottomRight)) {
            // Whole patterns are taken off, then at most a pattern's entries walked.
            const double rest = length - std::floor(length / FLength) * FLength;
            for (int left = FCount; at < length;) {
                const double end = at + FEntries[size_t(entry)] - used;
                if (end > rest) {
                    used += rest - at;
                    break;
                }
                at = --left > 0 ? end : length;
                used = 0;
                if (++entry >= FCount) entry = 0;
            }
            // What is drawn after begins anew at the segment's end.
            if ((entry & 1) == 0) point(b, true);
            continue;
        }
        for (;;) {
            const double end = at + FEntries[size_t(entry)] - used;
            if (end > length) {
                // The entry runs on past the segment's end.
                // A dash begun right at the end has its first point there already.
                used += length - at;
                if ((entry & 1) == 0 && at < length) point(b, false);
                break;
            }
            const double t = end / length;
            point(QPointF(a.x() + (b.x() - a.x()) * t, a.y() + (b.y() - a.y()) * t),
                  (entry & 1) != 0);
            at = end;
            used = 0;
            if (++entry >= FCount) entry = 0;
        }
    }
}

} // namespace tsivor::mapview
