#include "mapview/Viewport.h"

#include "mapdata/Rounding.h"

#include <algorithm>
#include <cmath>
#include <limits>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace tsivor::mapview {

using mapdata::RoundToInt;

namespace {

// Far enough outside any control to be clipped, small enough that drawing code can still add
// pen widths without overflowing an int.
constexpr double kPixelLimit = 1 << 30;

// Whole pixels, kept where drawing code can still add pen widths.
inline int RoundPixel(double v) {
    // NaN gives 0 as RoundToInt does; written without branches for the point loops.
    const double limited = std::min(std::max(v == v ? v : 0.0, -kPixelLimit), kPixelLimit);
    return mapdata::RoundInRange(limited);
}

// A map point's pixel: RoundPixel of both coordinates, worked out side by side.
class TPixelOfPoint {
public:
    TPixelOfPoint(float xWind, float yWind, double k) : FX(xWind), FY(yWind), FK(k) {
#ifdef __SSE2__
        FWind = _mm_set_pd(double(yWind), double(xWind));
        FScale = _mm_set1_pd(k);
#endif
    }
    QPoint operator()(const TORBMapPoint& p) const {
#ifdef __SSE2__
        // The same steps in the same order as RoundPixel, so the same pixels.
        const __m128 xy = _mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(&p)));
        __m128d v = _mm_mul_pd(_mm_sub_pd(_mm_cvtps_pd(xy), FWind), FScale);
        v = _mm_and_pd(v, _mm_cmpord_pd(v, v)); // NaN to 0
        v = _mm_min_pd(_mm_max_pd(v, _mm_set1_pd(-kPixelLimit)), _mm_set1_pd(kPixelLimit));
        const __m128d magic = _mm_set1_pd(6755399441055744.0);
        v = _mm_sub_pd(_mm_add_pd(v, magic), magic);
        const __m128i whole = _mm_cvttpd_epi32(v);
        return QPoint(_mm_cvtsi128_si32(whole), _mm_cvtsi128_si32(_mm_srli_si128(whole, 4)));
#else
        return QPoint(RoundPixel((double(p.X) - FX) * FK), RoundPixel((double(p.Y) - FY) * FK));
#endif
    }

private:
    float FX, FY;
    double FK;
#ifdef __SSE2__
    __m128d FWind, FScale;
#endif
};

} // namespace

std::optional<QPoint> ScrollMovement(int direction, int dx, int dy) {
    switch (direction) {
    case sdLeft:
        return QPoint(-dx, 0);
    case sdUp:
        return QPoint(0, -dy);
    case sdRight:
        return QPoint(dx, 0);
    case sdDown:
        return QPoint(0, dy);
    case sdLeftUp:
        return QPoint(-dx, -dy);
    case sdRightUp:
        return QPoint(dx, -dy);
    case sdRightDown:
        return QPoint(dx, dy);
    case sdLeftDown:
        return QPoint(-dx, dy);
    default:
        return std::nullopt;
    }
}

std::vector<QRect> UncoveredStrips(QPoint move, QSize size) {
    const int w = size.width(), h = size.height();
    const QRect control(0, 0, w, h);
    const int sx = std::min(std::abs(move.x()), w), sy = std::min(std::abs(move.y()), h);
    std::vector<QRect> strips;
    // The rest of the horizontal strip starts where the vertical one ends.
    int restLeft = 0, restRight = w;
    if (move.x() < 0) {
        strips.emplace_back(0, 0, sx, h);
        restLeft = sx;
    } else if (move.x() > 0) {
        strips.emplace_back(w - sx, 0, sx, h);
        restRight = w - sx;
    }
    if (move.y() < 0)
        strips.emplace_back(restLeft, 0, restRight - restLeft, sy);
    else if (move.y() > 0)
        strips.emplace_back(restLeft, h - sy, restRight - restLeft, sy);
    std::erase_if(strips, [&](const QRect& r) { return r.intersected(control).isEmpty(); });
    return strips;
}

TMapViewport::TMapViewport() = default;

void TMapViewport::ScreenToMap(float& x, float& y) const {
    x = float(x * 100.0 / FScale + FXWind);
    y = float(y * 100.0 / FScale + FYWind);
}

void TMapViewport::MapToScreen(float& x, float& y) const {
    const float k = float(FPixelsPerUnit * FDeviceFactor);
    x = (x - FXWind) * k;
    y = (y - FYWind) * k;
}

void TMapViewport::MapPointsToScreen(const TORBMapPoint* in, int count, QPoint* out) const {
    const TPixelOfPoint pixel(FXWind, FYWind, float(FPixelsPerUnit * FDeviceFactor));
    for (int i = 0; i < count; ++i) out[i] = pixel(in[i]);
}

int TMapViewport::MapPointsToScreenCompact(const TORBMapPoint* in, int count, QPoint* out) const {
    if (count < 6) {
        MapPointsToScreen(in, std::max(count, 0), out);
        return std::max(count, 0);
    }
    const TPixelOfPoint pixel(FXWind, FYWind, float(FPixelsPerUnit * FDeviceFactor));
    // Every point is stored and the count moves on only past a new pixel: no branch to
    // mispredict where runs of points share pixels.
    out[0] = pixel(in[0]);
    int written = 1;
    QPoint last = out[0];
    for (int i = 1; i < count; ++i) {
        const QPoint p = pixel(in[i]);
        const bool moved = p != last;
        last = moved ? p : last;
        out[written] = p;
        written += moved;
    }
    return written;
}

bool TMapViewport::MapRectAround(const QRect& device, float& x0, float& y0, float& x1,
                                 float& y1) const {
    const double k = float(FPixelsPerUnit * FDeviceFactor);
    if (!(k > 0) || !std::isfinite(k) || device.isEmpty()) return false;
    // Two pixels more on every side than rounding to the nearest pixel needs; the float sides
    // are moved outwards past the double ones, so a point beyond them is beyond those.
    constexpr double kSlack = 2.5;
    const float inf = std::numeric_limits<float>::infinity();
    x0 = std::nextafter(float(FXWind + (device.left() - kSlack) / k), -inf);
    y0 = std::nextafter(float(FYWind + (device.top() - kSlack) / k), -inf);
    x1 = std::nextafter(float(FXWind + (device.right() + kSlack) / k), inf);
    y1 = std::nextafter(float(FYWind + (device.bottom() + kSlack) / k), inf);
    return std::isfinite(x0) && std::isfinite(y0) && std::isfinite(x1) && std::isfinite(y1);
}

QPointF TMapViewport::GetViewCenter() const {
    return QPointF(FXWind + ViewWidth() / 2, FYWind + ViewHeight() / 2);
}

QPointF TMapViewport::OriginCentredOn(float x, float y, double scale) const {
    return QPointF(x - Width() * 100.0 / scale / 2, y - Height() * 100.0 / scale / 2);
}

double TMapViewport::FitScale(float dx, float dy, float zeroAs) const {
    const double ex = dx == 0 ? zeroAs : dx, ey = dy == 0 ? zeroAs : dy;
    return std::min(100.0 / (ex / Width()), 100.0 / (ey / Height()));
}

bool TMapViewport::ScrollAllowed(QPoint move, const TMapExtent& e) const {
    const double ox = std::abs(move.x()) * 100.0 / FScale;
    const double oy = std::abs(move.y()) * 100.0 / FScale;
    const double margin = (Width() / 3.0) * 100.0 / FScale;
    const double right = FXWind + Width() * 100.0 / FScale;
    const double bottom = FYWind + Height() * 100.0 / FScale;
    if (move.x() < 0 && e.MinX - margin > FXWind - ox) return false;
    if (move.x() > 0 && !(e.MaxX + margin >= right + ox)) return false;
    if (move.y() < 0 && e.MinY - margin > FYWind - oy) return false;
    if (move.y() > 0 && !(e.MaxY + margin >= bottom + oy)) return false;
    return true;
}

void TMapViewport::MoveOriginByPixels(QPoint move) {
    FXWind = float(FXWind + move.x() * 100.0 / FScale);
    FYWind = float(FYWind + move.y() * 100.0 / FScale);
}

std::optional<std::vector<TScrollStep>> TMapViewport::ScrollStepsTowards(float x, float y) const {
    const QPointF c = GetViewCenter();
    const double k = float(FPixelsPerUnit * FDeviceFactor);
    const double fx = k * (x - c.x()), fy = k * (y - c.y());
    if (!(std::abs(fx) < Width() && std::abs(fy) < Height())) return std::nullopt;

    const int ax = RoundPixel(std::abs(fx)), ay = RoundPixel(std::abs(fy));
    std::vector<TScrollStep> steps;
    if (fx < -0.5) {
        if (fy < -0.5)
            steps.push_back({sdLeftUp, ax, ay});
        else if (fy > 0.5)
            steps.push_back({sdLeftDown, ax, ay});
        else
            steps.push_back({sdLeft, ax, 0});
    } else if (fx > 0.5) {
        if (fy < -0.5)
            steps.push_back({sdRightUp, ax, ay});
        else if (fy > 0.5)
            steps.push_back({sdRightDown, ax, ay});
        else
            steps.push_back({sdRight, ax, 0});
    } else if (fy <= -0.5) {
        steps.push_back({sdUp, 0, ay});
    } else if (fy >= 0.5) {
        steps.push_back({sdDown, 0, ay});
    }
    return steps;
}

void TMapViewport::SetClipRect(float x0, float y0, float x1, float y1) {
    FClipMinX = x0;
    FClipMinY = y0;
    FClipMaxX = x1;
    FClipMaxY = y1;
}

bool TMapViewport::IsObjectInView(const TOrbMapList& list, int index) const {
    if (index < 0 || size_t(index) >= list.size() || !list[size_t(index)]) return false;
    const auto& box = list[size_t(index)]->Box;
    if ((ClipCode(box[0].X, box[0].Y) & ClipCode(box[2].X, box[2].Y)) == 0) return true;
    return (ClipCode(box[1].X, box[1].Y) & ClipCode(box[3].X, box[3].Y)) == 0;
}

} // namespace tsivor::mapview
