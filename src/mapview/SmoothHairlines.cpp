#include "mapview/SmoothHairlines.h"

#include "mapdata/Rounding.h"
#include "mapview/HairlineCanvas.h"
#include "mapview/PixelCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace tsivor::mapview {

using mapdata::RoundInRange;

namespace {

// std::llround without its library call, for values well inside the int64 range: what the
// truncation leaves is exact.
int64_t RoundHalfAway(double v) {
    const int64_t whole = int64_t(v);
    const double rest = v - double(whole);
    return whole + (rest >= 0.5) - (rest <= -0.5);
}

// The second pixel's share of a pair across the line: fraction (0-255) is the line's position
// between the two, coverage (0-255) how much of the pixels' length it covers along.
constexpr uint32_t SecondShare(uint32_t fraction, uint32_t coverage) {
    return (fraction * coverage + 128) >> 8;
}

#ifdef __SSE2__
// For each fraction, the coverages of the pair of pixels across a line that wholly covers them
// along, each four times (once a channel) in 16 bits.
struct alignas(16) TInnerCovers {
    uint16_t Words[256][8];
};

constexpr TInnerCovers InnerCovers() {
    TInnerCovers covers{};
    for (uint32_t fraction = 0; fraction < 256; ++fraction)
        for (int word = 0; word < 8; ++word) {
            const uint32_t second = SecondShare(fraction, 255);
            covers.Words[fraction][word] = uint16_t(word < 4 ? 255 - second : second);
        }
    return covers;
}

constexpr TInnerCovers kInnerCovers = InnerCovers();
#endif

// The pixels a stepper blends into: c along the major axis, r across it.
template <bool XMajor> class TPixels {
public:
    // span: the number of pixels across inside the clip from first, at least one.
    TPixels(uchar* bits, qsizetype stride, int first, unsigned span, uint32_t color)
        : FBits(bits), FStride(stride), FFirst(first), FSpan(span), FColor(color) {
#ifdef __SSE2__
        FColor16 = _mm_unpacklo_epi8(_mm_set1_epi32(int(color)), _mm_setzero_si128());
#endif
    }

    // The two pixels across the line at c; v is the line's position across less half a pixel
    // in 16.16: its whole part the first pixel, its fraction the second one's share.
    Q_ALWAYS_INLINE void Pair(int c, int64_t v, uint32_t coverage) const {
        const int r = int(v >> 16);
        const uint32_t second = SecondShare(uint32_t(v >> 8) & 0xff, coverage);
#ifdef __SSE2__
        if (Inside(v)) {
            const __m128i cover = PairCover(coverage - second, second);
            return Both(At(c, r), cover, _mm_sub_epi16(_mm_set1_epi16(255), cover));
        }
#endif
        Blend(c, r, coverage - second);
        Blend(c, r + 1, second);
    }

    // The pairs from c to last of a line that wholly covers them along, v stepping by step;
    // returns v past them.
    Q_ALWAYS_INLINE int64_t Inner(int c, int last, int64_t v, int64_t step) const {
#ifdef __SSE2__
        // The position runs one way: all pairs lie inside the clip when the first and last do.
        if (Inside(v) && Inside(v + (last - c) * step)) {
            for (; c <= last; ++c, v += step) InnerBoth(c, v);
            return v;
        }
        for (; c <= last; ++c, v += step)
            if (Inside(v))
                InnerBoth(c, v);
            else
                Pair(c, v, 255);
#else
        for (; c <= last; ++c, v += step) Pair(c, v, 255);
#endif
        return v;
    }

private:
    Q_ALWAYS_INLINE uint32_t* At(int c, int r) const {
        const qsizetype along = XMajor ? 4 : FStride, across = XMajor ? FStride : 4;
        return reinterpret_cast<uint32_t*>(FBits + c * along + r * across);
    }

    Q_ALWAYS_INLINE void Blend(int c, int r, uint32_t coverage) const {
        if (unsigned(r - FFirst) >= FSpan || coverage == 0) return;
        uint32_t& pixel = *At(c, r);
        pixel = coverage >= 255 ? FColor : BlendOpaque(FColor, coverage, pixel);
    }

#ifdef __SSE2__
    // Both pixels of the pair at v lie inside the clip.
    Q_ALWAYS_INLINE bool Inside(int64_t v) const {
        return unsigned(int(v >> 16) - FFirst) < FSpan - 1;
    }

    Q_ALWAYS_INLINE void InnerBoth(int c, int64_t v) const {
        const __m128i cover = _mm_load_si128(
            reinterpret_cast<const __m128i*>(kInnerCovers.Words[uint32_t(v >> 8) & 0xff]));
        // The two coverages add up to 255.
        Both(At(c, int(v >> 16)), cover, _mm_shuffle_epi32(cover, 0x4e));
    }

    // Both pixels of a pair inside the clip at once (see BlendOpaquePair).
    Q_ALWAYS_INLINE void Both(uint32_t* first, __m128i cover, __m128i rest) const {
        uint32_t* second =
            XMajor ? reinterpret_cast<uint32_t*>(reinterpret_cast<uchar*>(first) + FStride)
                   : first + 1;
        __m128i pixels;
        if constexpr (XMajor)
            pixels =
                _mm_unpacklo_epi32(_mm_cvtsi32_si128(int(*first)), _mm_cvtsi32_si128(int(*second)));
        else
            pixels = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(first));
        const __m128i blended =
            BlendOpaquePair(_mm_unpacklo_epi8(pixels, _mm_setzero_si128()), FColor16, cover, rest);
        if constexpr (XMajor) {
            *first = uint32_t(_mm_cvtsi128_si32(blended));
            *second = uint32_t(_mm_cvtsi128_si32(_mm_srli_epi64(blended, 32)));
        } else {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(first), blended);
        }
    }
#endif

    uchar* FBits;
    qsizetype FStride;
    int FFirst;
    unsigned FSpan;
    uint32_t FColor;
#ifdef __SSE2__
    __m128i FColor16; // the colour's channels in 16 bits, for two pixels
#endif
};

// As TPixels, recording each pixel's coverage instead of blending it.
template <bool XMajor> class TTracedPixels {
public:
    TTracedPixels(std::vector<TSmoothHairlines::TCoverPair>& covers, QPoint origin)
        : FCovers(covers), FOrigin(origin) {}

    void Pair(int c, int64_t v, uint32_t coverage) const {
        const int r = int(v >> 16);
        const uint32_t second = SecondShare(uint32_t(v >> 8) & 0xff, coverage);
        // Blending nothing leaves the pixels as they were.
        if (coverage == 0) return;
        const int x = XMajor ? c : r, y = XMajor ? r : c;
        FCovers.push_back({int16_t(x - FOrigin.x()), int16_t(y - FOrigin.y()),
                           uint8_t(coverage - second), uint8_t(second), XMajor});
    }

    int64_t Inner(int c, int last, int64_t v, int64_t step) const {
        for (; c <= last; ++c, v += step) Pair(c, v, 255);
        return v;
    }

private:
    std::vector<TSmoothHairlines::TCoverPair>& FCovers;
    QPoint FOrigin;
};

} // namespace

std::optional<TSmoothHairlines> TSmoothHairlines::For(const QPainter& canvas,
                                                      const std::optional<TPixelCanvas>* read) {
    if (!canvas.testRenderHint(QPainter::Antialiasing)) return std::nullopt;
    const auto target = THairlineCanvas::Of(canvas, read);
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

bool TSmoothHairlines::TraceRing(std::span<const QPoint> ring, QPoint origin,
                                 std::vector<TCoverPair>& covers) {
    // A pixel inside the clip: no segment is cut, and every pixel the stepper reaches lies in
    // the clip, so that none is left out. Points moved by a fraction of a pixel step otherwise.
    const QPoint shift = FOffset.toPoint();
    if (FOffset != QPointF(shift)) return false;
    const QRect inside = FClip.adjusted(1, 1, -1, -1);
    for (const QPoint& p : ring)
        if (!inside.contains(p + shift)) return false;
    const TTrace trace{&covers, origin};
    FTrace = &trace;
    StrokeChain(ring, true);
    FTrace = nullptr;
    return true;
}

template <class TPoint>
void TSmoothHairlines::StrokeChain(std::span<const TPoint> pts, bool closed) {
    if (pts.size() < 2 || FClip.isEmpty()) return;
    // Nearly every point lies within the reach: it is cut to 64ths once, for both its
    // segments. A segment reaching beyond is first cut at its unrounded ends, as Qt cuts it.
    const double xLo = FReach.left() - 1, xHi = FReach.right() + 2;
    const double yLo = FReach.top() - 1, yHi = FReach.bottom() + 2;
    struct TEnd {
        QPointF At;
        TFixed Fixed;
        bool Inside;
    };
    auto end = [&](const TPoint& pt) {
        const QPointF p = QPointF(pt) + FOffset;
        const bool inside = p.x() >= xLo && p.x() <= xHi && p.y() >= yLo && p.y() <= yHi;
        return TEnd{p, inside ? Fixed(p) : TFixed{}, inside};
    };
    const size_t n = pts.size();
    const size_t segments = closed ? n : n - 1;
    const TEnd start = end(pts[0]);
    TEnd a = start;
    for (size_t i = 0; i < segments; ++i) {
        const TEnd b = i + 1 < n ? end(pts[i + 1]) : start;
        const bool first = !closed && i == 0, last = !closed && i + 1 == segments;
        if (a.Inside && b.Inside)
            Segment(a.Fixed, b.Fixed, FCaps && first, FCaps && last);
        else
            CutSegment(a.At, b.At, FCaps && first, FCaps && last);
        a = b;
    }
}

TSmoothHairlines::TFixed TSmoothHairlines::Fixed(QPointF p) {
    return {int(p.x() * 64), int(p.y() * 64)};
}

void TSmoothHairlines::CutSegment(QPointF a, QPointF b, bool capA, bool capB) {
    if (!ClipToReach(a, b)) return;
    // What is cut lies within the reach, unless it is not a number.
    if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) ||
        !std::isfinite(b.y()))
        return;
    Segment(Fixed(a), Fixed(b), capA, capB);
}

void TSmoothHairlines::Segment(TFixed a, TFixed b, bool capA, bool capB) {
    const int dx = b.X - a.X, dy = b.Y - a.Y;
    if (dx == 0 && dy == 0) return;
    // Steps along the longer axis, from the lower end of it.
    if (std::abs(dx) >= std::abs(dy)) {
        if (dx < 0) std::swap(a, b), std::swap(capA, capB);
        Step<true>(a, b, capA, capB);
    } else {
        if (dy < 0) std::swap(a, b), std::swap(capA, capB);
        Step<false>({a.Y, a.X}, {b.Y, b.X}, capA, capB);
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

template <bool XMajor> void TSmoothHairlines::Step(TFixed a, TFixed b, bool capA, bool capB) {
    // u runs along the major axis, v across it, in 64ths; a.X < b.X in (u, v).
    const int lo = XMajor ? FClip.left() : FClip.top();
    const int hi = XMajor ? FClip.right() : FClip.bottom();
    const int vlo = XMajor ? FClip.top() : FClip.left();
    const int vspan = XMajor ? FClip.height() : FClip.width();
    if (std::max(a.Y, b.Y) + 2 * 64 < vlo * 64 || std::min(a.Y, b.Y) - 2 * 64 > (vlo + vspan) * 64)
        return;
    const int u0 = a.X - (capA ? 32 : 0), u1 = b.X + (capB ? 32 : 0);
    const int firstPixel = u0 >> 6, lastPixel = ((u1 + 63) >> 6) - 1;
    if (lastPixel < lo || firstPixel > hi) return;
    const int first = std::max(firstPixel, lo), last = std::min(lastPixel, hi);
    // v at the centre of major pixel c is start + slope * c. Qt measures a line with a leading
    // half-pixel end from the whole pixel its end point lies in, so such lines sit half a
    // step further along the minor axis; the stepper keeps that. Differences of 64ths are
    // exact in whole numbers: only the slope and its products round.
    const double slope = double(b.Y - a.Y) / (b.X - a.X);
    const double start =
        capA ? a.Y / 64.0 + slope * (double(((a.X >> 6) - firstPixel) * 64 - a.X) / 64)
             : a.Y / 64.0 + slope * (double(32 - a.X) / 64);
    // Stepped from the line's first pixel, not computed afresh where the clip begins: what the
    // steps round away must not depend on the clip, or a redrawn rectangle would differ from
    // the whole frame.
    const int64_t step = RoundHalfAway(slope * 65536.0);
    int64_t v = RoundHalfAway((start + slope * firstPixel - 0.5) * 65536.0) +
                int64_t(first - firstPixel) * step;

    auto endCoverage = [&](int c) {
        const int covered = std::min((c + 1) * 64, u1) - std::max(c * 64, u0);
        return uint32_t(RoundInRange(double(covered * 255) / 64));
    };
    auto walk = [&](const auto& pixels) {
        int c = first;
        if (c == firstPixel) pixels.Pair(c, v, endCoverage(c)), ++c, v += step;
        const int inner = last == lastPixel ? last - 1 : last;
        if (c <= inner) v = pixels.Inner(c, inner, v, step), c = inner + 1;
        if (c <= last) pixels.Pair(c, v, endCoverage(c));
    };
    if (FTrace)
        walk(TTracedPixels<XMajor>(*FTrace->Covers, FTrace->Origin));
    else
        walk(TPixels<XMajor>(FBits, FStride, vlo, unsigned(vspan), FColor));
}

} // namespace tsivor::mapview
