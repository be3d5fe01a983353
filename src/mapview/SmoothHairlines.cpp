#include "mapview/SmoothHairlines.h"

#include "mapdata/Rounding.h"
#include "mapview/HairlineCanvas.h"
#include "mapview/PixelCanvas.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tsivor::mapview {

using mapdata::RoundToInt;

namespace {

// The pixels a stepper blends into: c along the major axis, r across it.
struct TPixels {
    uchar* Bits;
    qsizetype Along, Aside; // bytes from one pixel to the next along and across the major axis
    int First;              // the first pixel across inside the clip
    unsigned Span;          // and the number of them
    uint32_t Color;

    Q_ALWAYS_INLINE void Blend(int c, int r, uint32_t coverage) const {
        if (unsigned(r - First) >= Span || coverage == 0) return;
        uint32_t& pixel = *reinterpret_cast<uint32_t*>(Bits + c * Along + r * Aside);
        pixel = coverage >= 255 ? Color : BlendOpaque(Color, coverage, pixel);
    }
    // The two pixels across the line at c; v is the line's position across less half a pixel
    // in 16.16: its whole part the first pixel, its fraction the second one's share.
    Q_ALWAYS_INLINE void Pair(int c, int64_t v, uint32_t coverage) const {
        const int r = int(v >> 16);
        const uint32_t second = ((uint32_t(v >> 8) & 0xff) * coverage + 128) >> 8;
        Blend(c, r, coverage - second);
        Blend(c, r + 1, second);
    }
};

} // namespace

std::optional<TSmoothHairlines> TSmoothHairlines::For(const QPainter& canvas) {
    if (!canvas.testRenderHint(QPainter::Antialiasing)) return std::nullopt;
    const auto target = THairlineCanvas::Of(canvas);
    if (!target) return std::nullopt;
    TSmoothHairlines lines;
    lines.FBits = target->Bits;
    lines.FStride = target->Stride;
    lines.FClip = target->Clip;
    lines.FReach = target->Device;
    lines.FOffset = target->Offset;
    lines.FColor = target->Color;
    lines.FCaps = target->Caps;
    return lines;
}

void TSmoothHairlines::Chain(std::span<const QPoint> pts, bool closed) {
    StrokeChain(pts, closed);
}

void TSmoothHairlines::Chain(std::span<const QPointF> pts, bool closed) {
    StrokeChain(pts, closed);
}

template <class TPoint>
void TSmoothHairlines::StrokeChain(std::span<const TPoint> pts, bool closed) {
    if (pts.size() < 2) return;
    const size_t n = pts.size();
    const size_t segments = closed ? n : n - 1;
    for (size_t i = 0; i < segments; ++i) {
        const bool first = !closed && i == 0, last = !closed && i + 1 == segments;
        Segment(QPointF(pts[i]) + FOffset, QPointF(pts[(i + 1) % n]) + FOffset, FCaps && first,
                FCaps && last);
    }
}

void TSmoothHairlines::Segment(QPointF a, QPointF b, bool capA, bool capB) {
    if (!ClipToReach(a, b)) return;
    // Qt steps in 64ths of a pixel, cut towards zero.
    auto sixtyFourths = [](QPointF p) {
        return QPointF(std::trunc(p.x() * 64) / 64, std::trunc(p.y() * 64) / 64);
    };
    a = sixtyFourths(a), b = sixtyFourths(b);
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    if (dx == 0 && dy == 0) return;
    // Steps along the longer axis, from the lower end of it.
    if (std::abs(dx) >= std::abs(dy)) {
        if (dx < 0) std::swap(a, b), std::swap(capA, capB);
        Step<true>(a, b, capA, capB);
    } else {
        if (dy < 0) std::swap(a, b), std::swap(capA, capB);
        Step<false>(a.transposed(), b.transposed(), capA, capB);
    }
}

bool TSmoothHairlines::ClipToReach(QPointF& a, QPointF& b) const {
    // Qt cuts a line a pixel before the device and two after it, keeping its ends' caps:
    // where the cut falls decides how a capped line sits (see Step).
    const double xLo = FReach.left() - 1, xHi = FReach.right() + 2;
    const double yLo = FReach.top() - 1, yHi = FReach.bottom() + 2;
    auto cutX = [](QPointF& p, const QPointF& q, double x) {
        p = QPointF(x, p.y() + (q.y() - p.y()) / (q.x() - p.x()) * (x - p.x()));
    };
    auto cutY = [](QPointF& p, const QPointF& q, double y) {
        p = QPointF(p.x() + (q.x() - p.x()) / (q.y() - p.y()) * (y - p.y()), y);
    };
    for (QPointF* p : {&a, &b}) {
        QPointF& q = p == &a ? b : a;
        if (p->x() < xLo) {
            if (q.x() <= xLo) return false;
            cutX(*p, q, xLo);
        } else if (p->x() > xHi) {
            if (q.x() >= xHi) return false;
            cutX(*p, q, xHi);
        }
    }
    for (QPointF* p : {&a, &b}) {
        QPointF& q = p == &a ? b : a;
        if (p->y() < yLo) {
            if (q.y() <= yLo) return false;
            cutY(*p, q, yLo);
        } else if (p->y() > yHi) {
            if (q.y() >= yHi) return false;
            cutY(*p, q, yHi);
        }
    }
    return true;
}

template <bool XMajor> void TSmoothHairlines::Step(QPointF a, QPointF b, bool capA, bool capB) {
    // u runs along the major axis, v across it; a.x() < b.x() in (u, v).
    const double slope = (b.y() - a.y()) / (b.x() - a.x());
    const double u0 = a.x() - (capA ? 0.5 : 0), u1 = b.x() + (capB ? 0.5 : 0);
    const int lo = XMajor ? FClip.left() : FClip.top();
    const int hi = XMajor ? FClip.right() : FClip.bottom();
    const int vlo = XMajor ? FClip.top() : FClip.left();
    const unsigned vspan = unsigned(XMajor ? FClip.height() : FClip.width());
    if (std::max(a.y(), b.y()) + 2 < vlo || std::min(a.y(), b.y()) - 2 > vlo + int(vspan)) return;
    const double firstPixel = std::floor(u0), lastPixel = std::ceil(u1) - 1;
    if (lastPixel < lo || firstPixel > hi) return;
    const int first = int(std::max<double>(firstPixel, lo));
    const int last = int(std::min<double>(lastPixel, hi));
    // v at the centre of major pixel c is start + slope * c. Qt measures a line with a leading
    // half-pixel end from the whole pixel its end point lies in, so such lines sit half a
    // step further along the minor axis; the stepper keeps that.
    const double start = capA ? a.y() + slope * (std::floor(a.x()) - a.x() - firstPixel)
                              : a.y() + slope * (0.5 - a.x());
    // Stepped from the line's first pixel, not computed afresh where the clip begins: what the
    // steps round away must not depend on the clip, or a redrawn rectangle would differ from
    // the whole frame.
    const int64_t step = std::llround(slope * 65536.0);
    int64_t v = std::llround((start + slope * firstPixel - 0.5) * 65536.0) +
                (first - int64_t(firstPixel)) * step;

    const TPixels pixels{FBits, XMajor ? 4 : FStride, XMajor ? FStride : 4, vlo, vspan, FColor};
    auto endCoverage = [&](int c) {
        return uint32_t(RoundToInt((std::min(c + 1.0, u1) - std::max<double>(c, u0)) * 255));
    };
    int c = first;
    if (c == firstPixel) pixels.Pair(c++, v, endCoverage(first)), v += step;
    const int inner = last == lastPixel ? last - 1 : last;
    for (; c <= inner; ++c, v += step) pixels.Pair(c, v, 255);
    if (c <= last) pixels.Pair(c, v, endCoverage(c));
}

} // namespace tsivor::mapview
