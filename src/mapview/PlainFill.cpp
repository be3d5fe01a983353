#include "mapview/PlainFill.h"

#include "mapview/PixelCanvas.h"

#include <QPaintEngine>

#include <algorithm>
#include <cmath>

namespace tsivor::mapview {

namespace {

constexpr int64_t kOne = int64_t(1) << 16; // a pixel in 16.16 fixed point
constexpr int64_t kHalf = kOne / 2;

bool FilledFormat(QImage::Format f) {
    // Formats an opaque colour is written to as the same 32-bit value.
    return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
           f == QImage::Format_ARGB32_Premultiplied;
}

bool WholePixels(qreal v) {
    return v == std::floor(v) && std::abs(v) <= TPlainFill::kMaxCoordinate;
}

} // namespace

bool TPlainFill::Applies(const QPainter& canvas, const QRect& clip, bool aliasedAnyway) {
    if (clip.isEmpty()) return false;
    const QPaintDevice* device = canvas.device();
    if (!device || device->devType() != QInternal::Image) return false;
    const auto* image = static_cast<const QImage*>(device);
    if (!FilledFormat(image->format()) || canvas.paintEngine()->type() != QPaintEngine::Raster)
        return false;
    if ((!aliasedAnyway && canvas.testRenderHint(QPainter::Antialiasing)) ||
        canvas.opacity() != 1 || canvas.compositionMode() != QPainter::CompositionMode_SourceOver)
        return false;
    const QTransform& t = canvas.deviceTransform();
    if (t.type() > QTransform::TxTranslate || !WholePixels(t.dx()) || !WholePixels(t.dy()))
        return false;
    const QBrush& brush = canvas.brush();
    return brush.style() == Qt::SolidPattern && brush.color().rgba64().isOpaque();
}

bool TPlainFill::Fill(QPainter& canvas, std::span<const QPoint> pts, const QRect& clip,
                      Qt::FillRule rule) {
    auto* image = static_cast<QImage*>(canvas.device());
    // The memory the canvas paints into: bits() could detach a shared picture from it.
    uchar* bits = const_cast<uchar*>(image->constBits());
    const qsizetype stride = image->bytesPerLine();
    const QTransform& t = canvas.deviceTransform();
    const int dx = int(t.dx()), dy = int(t.dy());
    const uint32_t pixel = canvas.brush().color().rgba64().toArgb32();
    return Spans(pts, clip, rule, [&](int y, int x0, int x1) {
        auto* row = reinterpret_cast<uint32_t*>(bits + qsizetype(y + dy) * stride) + dx;
        FillPixels(row + x0, size_t(x1 - x0), pixel);
    });
}

bool TPlainFill::Prepare(std::span<const QPoint> pts, const QRect& clip) {
    FEdges.clear();
    FClip = clip;
    // A closed ring of two points is a line, which fills nothing.
    if (pts.size() < 3) return true;
    for (const QPoint& p : pts)
        if (std::abs(p.x()) > kMaxCoordinate || std::abs(p.y()) > kMaxCoordinate) return false;
    FLeft = int64_t(clip.left()) * kOne;
    FRight = int64_t(clip.right() + 1) * kOne;
    for (size_t i = 0; i + 1 < pts.size(); ++i) AddEdge(pts[i], pts[i + 1]);
    AddEdge(pts.back(), pts.front());
    std::sort(FEdges.begin(), FEdges.end(),
              [](const TEdge& a, const TEdge& b) { return a.Top < b.Top; });
    return true;
}

void TPlainFill::AddEdge(QPoint a, QPoint b) {
    int winding = 1;
    if (a.y() > b.y()) {
        std::swap(a, b);
        winding = -1;
    }
    // The rows whose centres lie between the ends.
    int top = std::max(FClip.top(), a.y());
    int bottom = std::min(FClip.bottom(), b.y() - 1);
    if (top > bottom) return;
    const int64_t ax = int64_t(a.x()) * kOne + kHalf;
    if (a.x() == b.x()) {
        Add(std::clamp(ax, FLeft, FRight), 0, top, bottom, winding);
        return;
    }
    const double slope = double(b.x() - a.x()) / double(b.y() - a.y());
    const int64_t dx = int64_t(slope * double(kOne)); // truncated, as Qt steps it
    // The first row is reached from a by one multiplication, not by steps.
    int64_t x = ax + ((dx * (int64_t(top - a.y()) * kOne + kHalf)) >> 16);
    if (CutAt(FLeft, false, x, top, bottom, dx, winding)) return;
    if (CutAt(FRight, true, x, top, bottom, dx, winding)) return;
    Add(x, dx, top, bottom, winding);
}

bool TPlainFill::CutAt(int64_t side, bool right, int64_t& x, int& top, int& bottom, int64_t dx,
                       int winding) {
    // Outside is left of the left side and at or right of the right one.
    const bool startsOutside = (x < side) != right;
    if (x == side) {
        if ((dx > 0) != right) return false;
        Add(side, 0, top, bottom, winding);
        return true;
    }
    const int64_t last = x + dx * (bottom - top);
    if (last == side) {
        if ((dx < 0) != right) return false;
        Add(side, 0, top, bottom, winding);
        return true;
    }
    if ((last < side) != (x < side)) {
        // The rows from the first to where the edge crosses the side, in fixed point.
        const auto rows = int64_t(double(side - x) / (double(dx) * (1.0 / double(kOne))));
        if (startsOutside) {
            const int outside = int((rows + 1) >> 16);
            const int middle = top + outside;
            Add(side, 0, top, middle, winding);
            if (middle == bottom) return true;
            x += dx * (outside + 1);
            top = middle + 1;
        } else {
            const int middle = top + int(rows >> 16);
            if (middle != bottom) {
                Add(side, 0, middle + 1, bottom, winding);
                bottom = middle;
            }
        }
        return false;
    }
    if (startsOutside) {
        Add(side, 0, top, bottom, winding);
        return true;
    }
    return false;
}

} // namespace tsivor::mapview
