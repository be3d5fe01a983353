#include "mapview/PlainHairlines.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace tsivor::mapview {

namespace {

// Qt steps in 64ths of a pixel, cut towards zero.
inline int SixtyFourths(double v) {
    return static_cast<int>(v * 64.);
}

// The 16.16 growth across the line per pixel along it; the quotient of a 32-bit division when
// the dividend fits, which costs a fraction of a 64-bit one.
inline int64_t Slope(int across, int along) {
    if (across == 0) return 0;
    if (across > -32768 && across < 32768) return int32_t(across * 65536) / along;
    return int64_t(across) * 65536 / along;
}

inline int SwapCaps(int caps) {
    return ((caps & 1) << 1) | ((caps & 2) >> 1);
}

// Along the major axis (a) and across it (b) for a line stepped vertically or horizontally.
template <bool Vertical, class TPixel> int& Along(TPixel& p) {
    return Vertical ? p.Y : p.X;
}
template <bool Vertical, class TPixel> int& Across(TPixel& p) {
    return Vertical ? p.X : p.Y;
}

} // namespace

std::optional<TPlainHairlines> TPlainHairlines::For(const QPainter& canvas,
                                                    const std::optional<TPixelCanvas>* read) {
    if (canvas.testRenderHint(QPainter::Antialiasing)) return std::nullopt;
    const auto target = THairlineCanvas::Of(canvas, read);
    if (!target) return std::nullopt;
    return TPlainHairlines(*target);
}

TPlainHairlines::TPlainHairlines(const THairlineCanvas& canvas)
    : F(canvas), FReach(QPoint(canvas.Device.left() - 1, canvas.Device.top() - 1),
                        QPoint(canvas.Device.right() + 2, canvas.Device.bottom() + 2)) {
    const double x = canvas.Offset.x(), y = canvas.Offset.y();
    FWhole = x == std::trunc(x) && y == std::trunc(y) && std::abs(x) < kMaxShift &&
             std::abs(y) < kMaxShift;
    if (FWhole) FShift = QPoint(int(x), int(y));
}

template <bool Vertical>
Q_ALWAYS_INLINE void TPlainHairlines::Run(int a, int count, int64_t b, int64_t inc) const {
    const int lo = Vertical ? F.Clip.top() : F.Clip.left();
    const int hi = Vertical ? F.Clip.bottom() : F.Clip.right();
    const int first = std::max(0, lo - a), last = std::min(count - 1, hi - a);
    if (first > last) return;
    const int acrossLo = Vertical ? F.Clip.left() : F.Clip.top();
    const unsigned acrossSpan = unsigned(Vertical ? F.Clip.width() : F.Clip.height());
    const qsizetype along = Vertical ? F.Stride : 4, across = Vertical ? 4 : F.Stride;
    uchar* at = F.Bits + qsizetype(a + first) * along;
    b += first * inc;
    for (int k = first; k <= last; ++k, at += along, b += inc) {
        const int m = int(b >> 16);
        if (unsigned(m - acrossLo) < acrossSpan)
            *reinterpret_cast<uint32_t*>(at + qsizetype(m) * across) = F.Color;
    }
}

template <bool Vertical>
Q_ALWAYS_INLINE void TPlainHairlines::Join(int a, int end, int64_t b, int64_t inc, TPixel first,
                                           TPixel last, int dir, bool swapped) {
    const bool axisAligned = std::abs(inc) < (1 << 14);
    if (FLast.X != kNone) {
        const int jumpX = std::abs(FLast.X - first.X), jumpY = std::abs(FLast.Y - first.Y);
        if (first == FLast) {
            // Drawn already as the last segment's end.
            if (swapped) {
                --end;
            } else {
                ++a;
                b += inc;
            }
        } else if (FLastDir != dir &&
                   ((axisAligned && FLastAxisAligned && jumpX != 0 && jumpY != 0) || jumpX > 1 ||
                    jumpY > 1)) {
            // A corner the two segments leave open: one pixel more at the joint.
            if (swapped) {
                ++end;
            } else {
                --a;
                b -= inc;
            }
        } else if (FLastDir == dir && jumpX <= 1 && jumpY > 1) {
            b += inc >> 1;
            Across<Vertical>(last) = int((swapped ? b : b + (end - a - 1) * inc) >> 16);
        }
    }
    FLastDir = dir;
    FLastAxisAligned = axisAligned;
    Run<Vertical>(a, std::max(1, end - a), b, inc);
    FLast = last;
}

template <bool Vertical>
Q_ALWAYS_INLINE void TPlainHairlines::WholeStep(int a1, int b1, int a2, int b2) {
    const bool swapped = a1 > a2;
    const int dir = Vertical ? (swapped ? kUp : kDown) : (swapped ? kLeft : kRight);
    // Turning back along the same axis gives the joint a half-pixel end.
    if ((FLastDir ^ (Vertical ? kVerticalMask : kHorizontalMask)) == dir) {
        Step<Vertical>(a1 * 64, b1 * 64, a2 * 64, b2 * 64, 0);
        return;
    }
    if (swapped) {
        std::swap(a1, a2);
        std::swap(b1, b2);
    }
    // Step's arithmetic for ends on whole pixels: the line starts at a1 and b1, half a step on.
    const int64_t inc = Slope(b2 - b1, a2 - a1);
    const int64_t b = int64_t(b1) * 65536 + (inc > 0 ? inc >> 1 : 0);
    TPixel first, last;
    Along<Vertical>(first) = a1;
    Across<Vertical>(first) = b1;
    Along<Vertical>(last) = a2 - 1;
    Across<Vertical>(last) = int((b + (a2 - a1 - 1) * inc) >> 16);
    if (swapped) std::swap(first, last);
    Join<Vertical>(a1, a2, b, inc, first, last, dir, swapped);
}

Q_ALWAYS_INLINE void TPlainHairlines::WholeSegment(QPoint a, QPoint b) {
    // Nothing to cut, and whole pixels are whole 64ths.
    const int dx = std::abs(b.x() - a.x()), dy = std::abs(b.y() - a.y());
    if (dx < dy)
        WholeStep<true>(a.y(), a.x(), b.y(), b.x());
    else if (dx != 0)
        WholeStep<false>(a.x(), a.y(), b.x(), b.y());
}

void TPlainHairlines::Chain(std::span<const QPoint> pts, bool closed) {
    const size_t n = pts.size();
    if (n < 2 || F.Clip.isEmpty()) return;
    FLast = {};
    FLastDir = kNoDirection;
    FLastAxisAligned = false;
    auto at = [&](size_t i) {
        return QPointF(pts[i].x() + F.Offset.x(), pts[i].y() + F.Offset.y());
    };
    // A chain back at its start has no ends, and it enters its first segment from its last.
    const bool ring = closed || pts[0] == pts[n - 1];
    if (ring) Closing(pts[0] == pts[n - 1] && n > 2 ? at(n - 2) : at(n - 1), at(0));
    int caps = !ring && F.Caps ? kCapStart : 0;
    if (FWhole) {
        WholeChain(pts, closed, ring, caps);
        return;
    }
    size_t from = 0;
    for (size_t i = 1; i < n; ++i) {
        if (!ring && F.Caps && i == n - 1) caps |= kCapEnd;
        // A segment too short to draw leaves the next one starting where it started.
        if (Line(at(from), at(i), caps) || i == 1 || i == n - 1) from = i;
        caps = 0;
    }
    if (closed) Line(at(from), at(0), 0);
}

void TPlainHairlines::WholeChain(std::span<const QPoint> pts, bool closed, bool ring, int caps) {
    const size_t n = pts.size();
    // Every segment moves the chain on: whole pixels apart are long enough.
    QPoint from = pts[0] + FShift;
    bool fromReached = Reached(from);
    for (size_t i = 1; i < n; ++i) {
        const QPoint to = pts[i] + FShift;
        const bool toReached = Reached(to);
        if (!ring && F.Caps && i == n - 1) caps |= kCapEnd;
        if (caps == 0 && fromReached && toReached)
            WholeSegment(from, to);
        else
            Line(QPointF(from), QPointF(to), caps);
        from = to;
        fromReached = toReached;
        caps = 0;
    }
    if (closed) Line(QPointF(from), QPointF(pts[0] + FShift), 0);
}

bool TPlainHairlines::Line(QPointF a, QPointF b, int caps) {
    double x1 = a.x(), y1 = a.y(), x2 = b.x(), y2 = b.y();
    const bool longEnough = std::abs(x2 - x1) + std::abs(y2 - y1) >= 1.0;
    if (CutToDevice(x1, y1, x2, y2)) return true;
    const int ax = SixtyFourths(x1), ay = SixtyFourths(y1);
    const int bx = SixtyFourths(x2), by = SixtyFourths(y2);
    const int dx = std::abs(bx - ax), dy = std::abs(by - ay);
    if (dx < dy) return Step<true>(ay, ax, by, bx, caps) || longEnough;
    if (dx == 0) return true;
    return Step<false>(ax, ay, bx, by, caps) || longEnough;
}

template <bool Vertical> bool TPlainHairlines::Step(int a1, int b1, int a2, int b2, int caps) {
    int dir = Vertical ? kDown : kRight;
    const bool swapped = a1 > a2;
    if (swapped) {
        std::swap(a1, a2);
        std::swap(b1, b2);
        caps = SwapCaps(caps);
        dir = Vertical ? kUp : kLeft;
    }
    const int64_t inc = Slope(b2 - b1, a2 - a1);
    int64_t b = int64_t(b1) * 1024;
    // Turning back along the same axis: the joint gets a half-pixel end.
    if ((FLastDir ^ (Vertical ? kVerticalMask : kHorizontalMask)) == dir)
        caps |= swapped ? kCapEnd : kCapStart;
    if (caps & kCapStart) {
        a1 -= 32;
        b -= inc >> 1;
    }
    if (caps & kCapEnd) a2 += 32;
    int a = (a1 + 32) >> 6, end = (a2 + 32) >> 6;
    // The end pulled back half a pixel must not round to before the last pixel drawn.
    if ((caps & kCapStart) && Along<Vertical>(FLast) == a + 1) ++a;
    if (a == end) return false;

    const int round = inc > 0 ? 32 : 0;
    b += (int64_t(a) * 64 + round - a1) * inc >> 6;
    TPixel first, last;
    Along<Vertical>(first) = a;
    Across<Vertical>(first) = int(b >> 16);
    Along<Vertical>(last) = end - 1;
    Across<Vertical>(last) = int((b + (end - a - 1) * inc) >> 16);
    if (swapped) std::swap(first, last);
    Join<Vertical>(a, end, b, inc, first, last, dir, swapped);
    return true;
}

void TPlainHairlines::Closing(QPointF a, QPointF b) {
    FLast = {};
    double x1 = a.x(), y1 = a.y(), x2 = b.x(), y2 = b.y();
    if (CutToDevice(x1, y1, x2, y2)) return;
    const int ax = SixtyFourths(x1), ay = SixtyFourths(y1);
    const int bx = SixtyFourths(x2), by = SixtyFourths(y2);
    const int dx = std::abs(bx - ax), dy = std::abs(by - ay);
    if (dx < dy)
        ClosingEnd<true>(ay, ax, by, bx);
    else if (dx != 0)
        ClosingEnd<false>(ax, ay, bx, by);
}

template <bool Vertical> void TPlainHairlines::ClosingEnd(int a1, int b1, int a2, int b2) {
    const bool swapped = a1 > a2;
    if (swapped) {
        std::swap(a1, a2);
        std::swap(b1, b2);
    }
    const int64_t inc = Slope(b2 - b1, a2 - a1);
    int64_t b = int64_t(b1) * 1024;
    const int a = (a1 + 32) >> 6, end = (a2 + 32) >> 6;
    if (a == end) return;
    const int round = inc > 0 ? 32 : 0;
    b += (int64_t(a) * 64 + round - a1) * inc >> 6;
    if (swapped) {
        Along<Vertical>(FLast) = a;
        Across<Vertical>(FLast) = int(b >> 16);
        FLastDir = Vertical ? kUp : kLeft;
    } else {
        Along<Vertical>(FLast) = end - 1;
        Across<Vertical>(FLast) = int((b + (end - a - 1) * inc) >> 16);
        FLastDir = Vertical ? kDown : kRight;
    }
    FLastAxisAligned = std::abs(inc) < (1 << 14);
}

bool TPlainHairlines::CutToDevice(double& x1, double& y1, double& x2, double& y2) {
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
        return true;
    const double xLo = F.Device.left() - 1, xHi = F.Device.right() + 2;
    const double yLo = F.Device.top() - 1, yHi = F.Device.bottom() + 2;
    // The start is cut first along each axis, then the end from the cut start.
    if (x1 < xLo) {
        if (x2 <= xLo) return FLast.X = kNone, true;
        y1 += (y2 - y1) / (x2 - x1) * (xLo - x1);
        x1 = xLo;
    } else if (x1 > xHi) {
        if (x2 >= xHi) return FLast.X = kNone, true;
        y1 += (y2 - y1) / (x2 - x1) * (xHi - x1);
        x1 = xHi;
    }
    if (x2 < xLo) {
        FLast.X = kNone;
        y2 += (y2 - y1) / (x2 - x1) * (xLo - x2);
        x2 = xLo;
    } else if (x2 > xHi) {
        FLast.X = kNone;
        y2 += (y2 - y1) / (x2 - x1) * (xHi - x2);
        x2 = xHi;
    }
    if (y1 < yLo) {
        if (y2 <= yLo) return FLast.X = kNone, true;
        x1 += (x2 - x1) / (y2 - y1) * (yLo - y1);
        y1 = yLo;
    } else if (y1 > yHi) {
        if (y2 >= yHi) return FLast.X = kNone, true;
        x1 += (x2 - x1) / (y2 - y1) * (yHi - y1);
        y1 = yHi;
    }
    if (y2 < yLo) {
        FLast.X = kNone;
        x2 += (x2 - x1) / (y2 - y1) * (yLo - y2);
        y2 = yLo;
    } else if (y2 > yHi) {
        FLast.X = kNone;
        x2 += (x2 - x1) / (y2 - y1) * (yHi - y2);
        y2 = yHi;
    }
    return false;
}

} // namespace tsivor::mapview
