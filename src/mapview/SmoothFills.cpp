#include "mapview/SmoothFills.h"

#include <QBrush>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tsivor::mapview {

namespace {

// An edge of the ring in device pixels, from its upper end down; Dir is +1 where the ring
// runs down, -1 where it runs up.
struct TEdge {
    double X0, Y0, X1, Y1;
    double DxDy;
    float Dir;
    int Top, Bottom; // the rows it crosses, within the clip
};

// Scratch kept per thread: both bands of a frame fill at once.
struct TScratch {
    std::vector<TEdge> Edges;
    std::vector<const TEdge*> Active;
    // Per cell of a row, what the row's coverage grows by from that cell on; all zero between
    // rows. Cell 0 stands for everything left of the clip.
    std::vector<float> Deltas;
    std::vector<int> Touched; // cells of the row with a delta
};

TScratch& Scratch() {
    thread_local TScratch scratch;
    return scratch;
}

// The coverage 0-255 of a signed sum of areas by the odd-even rule.
inline uint32_t OddEvenLevel(float sum) {
    float v = std::abs(sum);
    if (v > 1) {
        v = std::fmod(v, 2.0f);
        if (v > 1) v = 2 - v;
    }
    return uint32_t(v * 255 + 0.5f);
}

} // namespace

std::optional<TSmoothFills> TSmoothFills::For(const QPainter& canvas) {
    if (!canvas.testRenderHint(QPainter::Antialiasing)) return std::nullopt;
    const QBrush& brush = canvas.brush();
    std::optional<TBrushPattern> pattern;
    if (brush.style() != Qt::SolidPattern || brush.color().alpha() != 255) {
        pattern = TBrushPattern::For(canvas);
        if (!pattern) return std::nullopt;
    }
    const auto pixels = TPixelCanvas::Of(canvas);
    if (!pixels) return std::nullopt;
    TSmoothFills fills(*pixels);
    fills.FColor = 0xff000000u | (brush.color().rgb() & 0xffffffu);
    fills.FPattern = pattern;
    return fills;
}

void TSmoothFills::Paint(int y, int from, int to, uint32_t coverage) const {
    uint32_t* line = FCanvas.Row(y);
    if (FPattern)
        FPattern->Paint(line, y, from, to, coverage);
    else if (coverage >= 255)
        FillPixels(line + from, size_t(to - from + 1), FColor);
    else
        for (int x = from; x <= to; ++x) line[x] = BlendOpaque(FColor, coverage, line[x]);
}

void TSmoothFills::OddEven(std::span<const QPoint> ring) const {
    FillOddEven(ring);
}

void TSmoothFills::OddEven(std::span<const QPointF> ring) const {
    FillOddEven(ring);
}

template <class TPoint> void TSmoothFills::FillOddEven(std::span<const TPoint> ring) const {
    const QRect& clip = FCanvas.Clip;
    if (ring.size() < 3 || clip.isEmpty()) return;
    TScratch& scratch = Scratch();
    std::vector<TEdge>& edges = scratch.Edges;
    edges.clear();
    const double ox = FCanvas.Offset.x(), oy = FCanvas.Offset.y();
    const double top = clip.top(), bottom = clip.bottom() + 1.0;
    for (size_t i = 0; i < ring.size(); ++i) {
        const TPoint a = ring[i], b = ring[(i + 1) % ring.size()];
        if (a.y() == b.y()) continue; // leaves no area in any cell
        TEdge e;
        e.Dir = b.y() > a.y() ? 1.f : -1.f;
        const TPoint& upper = b.y() > a.y() ? a : b;
        const TPoint& lower = b.y() > a.y() ? b : a;
        e.X0 = upper.x() + ox, e.Y0 = upper.y() + oy;
        e.X1 = lower.x() + ox, e.Y1 = lower.y() + oy;
        if (e.Y1 <= top || e.Y0 >= bottom) continue;
        e.DxDy = (e.X1 - e.X0) / (e.Y1 - e.Y0);
        e.Top = std::max(clip.top(), int(std::floor(e.Y0)));
        e.Bottom = std::min(clip.bottom(), int(std::ceil(e.Y1)) - 1);
        if (e.Top <= e.Bottom) edges.push_back(e);
    }
    if (edges.empty()) return;
    std::sort(edges.begin(), edges.end(),
              [](const TEdge& a, const TEdge& b) { return a.Top < b.Top; });

    // Cell c + 1 is pixel column left + c; the last cell catches what lies right of the clip
    // and is never read.
    const int left = clip.left(), width = clip.width();
    std::vector<float>& deltas = scratch.Deltas;
    if (deltas.size() < size_t(width) + 2) deltas.resize(size_t(width) + 2, 0);
    std::vector<int>& touched = scratch.Touched;
    auto add = [&](int cell, float delta) {
        float& d = deltas[size_t(cell)];
        if (d == 0) touched.push_back(cell);
        d += delta;
    };
    // Leaves the area of the piece of edge from (xa, ya) to (xb, yb) within one row: each
    // cell it crosses gets the share of its height to the right of it, the cells beyond it
    // the whole height.
    auto deposit = [&](double xa, double ya, double xb, double yb, float dir) {
        const double lo = left, hi = left + width;
        if (xa > xb) std::swap(xa, xb), std::swap(ya, yb);
        // What lies left of the clip counts in full for every pixel of the row.
        if (xa < lo) {
            const double yc = xb <= lo ? yb : ya + (yb - ya) * (lo - xa) / (xb - xa);
            add(0, dir * float(std::abs(yc - ya)));
            if (xb <= lo) return;
            xa = lo, ya = yc;
        }
        if (xa >= hi) return;
        if (xb > hi) yb = ya + (yb - ya) * (hi - xa) / (xb - xa), xb = hi;
        const double slope = xb > xa ? (yb - ya) / (xb - xa) : 0;
        double x = xa, y = ya;
        while (true) {
            const int column = std::min(int(std::floor(x)), left + width - 1);
            const double next = std::min(xb, column + 1.0);
            const double yn = next >= xb ? yb : y + slope * (next - x);
            const float h = dir * float(std::abs(yn - y));
            const float mid = float((x + next) / 2 - column);
            const int cell = column - left + 1;
            add(cell, h * (1 - mid));
            add(cell + 1, h * mid);
            if (next >= xb) break;
            x = next, y = yn;
        }
    };

    std::vector<const TEdge*>& active = scratch.Active;
    active.clear();
    size_t next = 0;
    for (int y = edges.front().Top;; ++y) {
        std::erase_if(active, [y](const TEdge* e) { return e->Bottom < y; });
        if (active.empty()) {
            if (next == edges.size()) break;
            y = std::max(y, edges[next].Top);
        }
        while (next < edges.size() && edges[next].Top <= y) active.push_back(&edges[next++]);
        touched.clear();
        for (const TEdge* e : active) {
            const double ya = std::max<double>(y, e->Y0), yb = std::min<double>(y + 1, e->Y1);
            if (ya >= yb) continue;
            deposit(e->X0 + (ya - e->Y0) * e->DxDy, ya, e->X0 + (yb - e->Y0) * e->DxDy, yb, e->Dir);
        }
        std::sort(touched.begin(), touched.end());
        touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
        // Between touched cells the coverage stays as it is.
        float sum = 0;
        int from = 1;
        auto run = [&](int a, int b, uint32_t level) {
            // Cell c is pixel column left + c - 1.
            if (a <= b && level > 0) Paint(y, left + a - 1, left + b - 1, level);
        };
        for (const int cell : touched) {
            if (cell > width) {
                deltas[size_t(cell)] = 0;
                continue;
            }
            run(from, cell - 1, OddEvenLevel(sum));
            sum += deltas[size_t(cell)];
            deltas[size_t(cell)] = 0;
            if (cell >= 1) run(cell, cell, OddEvenLevel(sum));
            from = cell + 1;
        }
        run(from, width, OddEvenLevel(sum)); // a figure reaching beyond the clip's right
        if (y >= clip.bottom()) break;
    }
}

} // namespace tsivor::mapview
