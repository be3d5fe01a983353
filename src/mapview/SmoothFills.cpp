#include "mapview/SmoothFills.h"

#include <QBrush>
#include <QRgba64>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <limits>
#include <vector>

namespace tsivor::mapview {

namespace {

// Sub-pixel units per pixel in which Qt's smoothing rasteriser steps edges; rings come to it in
// 1/64 of a pixel.
constexpr int64_t kOne = 256;
constexpr int kToOne = 4;
// The largest device coordinate Qt's fixed point holds on 64-bit machines.
constexpr double kReach = (1 << 23) - 1;

// Quotient rounded down and the remainder 0..divisor-1 of a division by a positive divisor.
struct TFloorDivision {
    int64_t Quotient, Remainder;
};

inline TFloorDivision FloorDivide(int64_t dividend, int64_t divisor) {
    int64_t q = dividend / divisor, r = dividend % divisor;
    if (r < 0) --q, r += divisor;
    return {q, r};
}

// An edge of the ring in sub-pixel units, in the ring's own direction: Qt steps it from its
// first point A, and where it crosses the line between two rows its x is rounded down from A's
// side. The crossings are kept as X = AX + Q with Q * D + M = (distance from A in y) * DX.
struct TEdge {
    int64_t AX, AY, BX, BY;
    int64_t DX, D;     // D = |BY - AY| > 0
    int64_t Lift, Rem; // a row's step of Q and M
    int64_t Q = 0, M = 0;
    int64_t Line = 0; // the row line Q and M stand for: y = Line * kOne
    int Top, Bottom;  // the rows it crosses, within the clip
    bool Down;

    int64_t MinY() const { return Down ? AY : BY; }
    int64_t MaxY() const { return Down ? BY : AY; }

    // Q and M for row line `line`, computed outright.
    void SetLine(int64_t line) {
        Line = line;
        const __int128 n = __int128(std::abs(line * kOne - AY)) * DX;
        __int128 q = n / D, r = n % D;
        if (r < 0) --q, r += D;
        Q = int64_t(q), M = int64_t(r);
    }

    // The crossing with row line `line`, at or after the last one asked for.
    int64_t XAt(int64_t line) {
        // Lines below A move away from it, lines above come nearer.
        for (; Line < line; ++Line) {
            if (Down) {
                Q += Lift, M += Rem;
                if (M >= D) M -= D, ++Q;
            } else {
                Q -= Lift, M -= Rem;
                if (M < 0) M += D, --Q;
            }
        }
        return AX + Q;
    }
};

// Scratch kept per thread: both bands of a frame fill at once.
struct TScratch {
    std::vector<TEdge> Edges;
    std::vector<TEdge*> Active;
    // Per cell of a row, its cover and area; all zero between rows. Cell 0 stands for
    // everything left of the clip, whose area never shows.
    std::vector<int32_t> Covers;
    std::vector<int64_t> Areas;
    std::vector<uint64_t> Marks; // a bit per cell given something in the row, read in order
};

TScratch& Scratch() {
    thread_local TScratch scratch;
    return scratch;
}

// The coverage 0-255 of a cell's doubled area (in units of 1/256 of a pixel squared) by the
// odd-even rule, as Qt cuts it down to 9 bits.
inline uint32_t OddEvenLevel(int64_t area) {
    int64_t level = area >> 9;
    if (level < 0) level = -level;
    level &= 511;
    if (level > 256) return uint32_t(512 - level);
    return level == 256 ? 255u : uint32_t(level);
}

// Every channel of a premultiplied pixel times a / 255, rounded as Qt's raster engine rounds.
inline uint32_t ByteMul(uint32_t x, uint32_t a) {
    uint32_t rb = (x & 0xff00ff) * a;
    rb = ((rb + ((rb >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    uint32_t ag = ((x >> 8) & 0xff00ff) * a;
    ag = (ag + ((ag >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return rb | ag;
}

// The brush's colour as Qt's raster engine blends a solid fill: its alpha scaled by the
// canvas's opacity in 1/256 steps, premultiplied in 16 bits, then taken to 8.
uint32_t QtSolidColor(const QColor& color, qreal opacity) {
    const auto opacity256 = uint32_t(opacity * 256);
    if (opacity256 == 0) return 0;
    const QRgba64 c = color.rgba64();
    const QRgba64 scaled =
        QRgba64::fromRgba64(c.red(), c.green(), c.blue(), quint16((c.alpha() * opacity256) >> 8));
    return QColor(qPremultiply(scaled)).rgba();
}

// Qt takes a polygon that is an upright rectangle, from its top left corner clockwise and
// closed or not, for a rectangle and smooths it by other means.
template <class TPoint> bool QtRectangle(std::span<const TPoint> ring) {
    if (ring.size() == 5 && ring[4] != ring[0]) return false;
    if (ring.size() != 4 && ring.size() != 5) return false;
    return ring[0].x() == ring[3].x() && ring[1].x() == ring[2].x() && ring[0].y() == ring[1].y() &&
           ring[2].y() == ring[3].y() && ring[0].x() < ring[2].x() && ring[0].y() < ring[2].y();
}

// What the edges leave in the cells of one row of the clip.
class TRowCells {
public:
    TRowCells(TScratch& scratch, int left, int right)
        : FCovers(scratch.Covers.data()), FAreas(scratch.Areas.data()),
          FMarks(scratch.Marks.data()), FLeft(left), FRight(right) {}

    // A piece of edge within the row from (x1, y1) to (x2, y2), y from 0 (the row's top) to
    // kOne, split among the cells it crosses as Qt splits it, from its first end.
    void Piece(int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
        if (y1 == y2) return;
        int64_t ex1 = x1 >> 8;
        const int64_t ex2 = x2 >> 8;
        const int64_t fx1 = x1 & (kOne - 1), fx2 = x2 & (kOne - 1);
        if (ex1 == ex2) {
            Add(ex1, y2 - y1, (fx1 + fx2) * (y2 - y1));
            return;
        }
        if (ex1 > FRight && ex2 > FRight) return;
        if (ex1 < FLeft && ex2 < FLeft) {
            FLeftCover += int32_t(y2 - y1);
            return;
        }
        const int64_t dy = y2 - y1;
        int64_t dx = x2 - x1, p, first, step;
        if (dx > 0) {
            p = (kOne - fx1) * dy, first = kOne, step = 1;
        } else {
            p = fx1 * dy, first = 0, step = -1, dx = -dx;
        }
        auto [delta, mod] = FloorDivide(p, dx);
        Add(ex1, delta, (fx1 + first) * delta);
        y1 += delta, ex1 += step;
        if (ex1 != ex2) {
            const auto [lift, rem] = FloorDivide(kOne * dy, dx);
            // Whole cells off the clip on the side the piece starts: their covers at once.
            const int64_t off = step > 0 ? std::min<int64_t>(FLeft, ex2) - ex1
                                         : ex1 - std::max<int64_t>(FRight, ex2);
            if (off > 0) {
                const int64_t t = mod + off * rem;
                const int64_t rise = off * lift + t / dx;
                mod = t % dx;
                if (step > 0) FLeftCover += int32_t(rise);
                y1 += rise, ex1 += step * off;
            }
            for (; ex1 != ex2; ex1 += step) {
                // The rest lies off the clip on the side the piece ends.
                if (step > 0 && ex1 > FRight) return;
                if (step < 0 && ex1 < FLeft) {
                    FLeftCover += int32_t(y2 - y1);
                    return;
                }
                delta = lift, mod += rem;
                if (mod >= dx) mod -= dx, ++delta;
                Add(ex1, delta, kOne * delta);
                y1 += delta;
            }
        }
        Add(ex2, y2 - y1, (kOne - first + fx2) * (y2 - y1));
    }

    // Calls paint(from, to, level) for the runs of pixels of the row with a coverage, left to
    // right, and clears the row.
    template <class TPaint> void Sweep(const TPaint& paint) {
        int64_t cover = FLeftCover;
        int from = FLeft;
        for (int word = FFirstMark; word <= FLastMark; ++word) {
            for (uint64_t marks = FMarks[word]; marks != 0; marks &= marks - 1) {
                const int cell = word * 64 + std::countr_zero(marks);
                const int x = FLeft + cell - 1;
                if (x > from && cover != 0)
                    if (const uint32_t level = OddEvenLevel(cover * 2 * kOne))
                        paint(from, x - 1, level);
                cover += FCovers[cell];
                if (const uint32_t level = OddEvenLevel(cover * 2 * kOne - FAreas[cell]))
                    paint(x, x, level);
                FCovers[cell] = 0, FAreas[cell] = 0;
                from = x + 1;
            }
            FMarks[word] = 0;
        }
        if (from <= FRight && cover != 0)
            if (const uint32_t level = OddEvenLevel(cover * 2 * kOne)) paint(from, FRight, level);
        FFirstMark = std::numeric_limits<int>::max(), FLastMark = -1;
        FLeftCover = 0;
    }

private:
    void Add(int64_t column, int64_t cover, int64_t area) {
        if (column > FRight) return;
        if (column < FLeft) {
            FLeftCover += int32_t(cover);
            return;
        }
        const int cell = int(column - FLeft + 1), word = cell >> 6;
        FMarks[word] |= uint64_t(1) << (cell & 63);
        FFirstMark = std::min(FFirstMark, word), FLastMark = std::max(FLastMark, word);
        FCovers[cell] += int32_t(cover);
        FAreas[cell] += area;
    }

    int32_t* FCovers;
    int64_t* FAreas;
    uint64_t* FMarks;
    const int FLeft, FRight;                                          // pixel columns of the clip
    int FFirstMark = std::numeric_limits<int>::max(), FLastMark = -1; // words of marks set
    int32_t FLeftCover = 0;
};

} // namespace

std::optional<TSmoothFills> TSmoothFills::For(const QPainter& canvas,
                                              const std::optional<TPixelCanvas>* read) {
    if (!canvas.testRenderHint(QPainter::Antialiasing)) return std::nullopt;
    const QBrush& brush = canvas.brush();
    std::optional<TBrushPattern> pattern;
    if (brush.style() != Qt::SolidPattern) {
        pattern = TBrushPattern::For(canvas);
        if (!pattern || canvas.opacity() < 1) return std::nullopt;
    } else if (brush.color().spec() == QColor::ExtendedRgb) {
        return std::nullopt;
    }
    const auto pixels =
        read ? TPixelCanvas::Still(canvas, *read, true) : TPixelCanvas::AtAnyOpacity(canvas);
    if (!pixels) return std::nullopt;
    TSmoothFills fills(*pixels);
    if (!pattern) fills.FColor = QtSolidColor(brush.color(), canvas.opacity());
    fills.FPattern = pattern;
    return fills;
}

inline void TSmoothFills::Paint(uint32_t* line, int y, int from, int to, uint32_t coverage) const {
    if (FPattern) {
        FPattern->Paint(line, y, from, to, coverage);
        return;
    }
    const uint32_t color = coverage >= 255 ? FColor : ByteMul(FColor, coverage);
    const uint32_t rest = 255 - (color >> 24);
    if (rest == 0)
        FillPixels(line + from, size_t(to - from + 1), color);
    else
        for (int x = from; x <= to; ++x) line[x] = color + ByteMul(line[x], rest);
}

bool TSmoothFills::OddEven(std::span<const QPoint> ring) const {
    return FillOddEven(ring);
}

bool TSmoothFills::OddEven(std::span<const QPointF> ring) const {
    return FillOddEven(ring);
}

template <class TPoint> bool TSmoothFills::FillOddEven(std::span<const TPoint> ring) const {
    if (QtRectangle(ring)) return false;
    const QRect& clip = FCanvas.Clip;
    if (ring.size() < 3) return true;
    // Qt's points: moved by the translation, in 1/64 of a pixel rounded half away from zero.
    TScratch& scratch = Scratch();
    std::vector<TEdge>& edges = scratch.Edges;
    edges.clear();
    const double ox = FCanvas.Offset.x(), oy = FCanvas.Offset.y();
    double x0 = ring[0].x() + ox, x1 = x0, y0 = ring[0].y() + oy, y1 = y0;
    for (const TPoint& p : ring) {
        x0 = std::min(x0, p.x() + ox), x1 = std::max(x1, p.x() + ox);
        y0 = std::min(y0, p.y() + oy), y1 = std::max(y1, p.y() + oy);
    }
    if (x0 < -kReach || x1 > kReach || y0 < -kReach || y1 > kReach || x1 - x0 > kReach ||
        y1 - y0 > kReach)
        return false;
    if (clip.isEmpty() || (FColor == 0 && !FPattern)) return true;
    auto fixed = [&](const TPoint& p) {
        return std::pair<int64_t, int64_t>(int64_t(qRound((p.x() + ox) * 64)) * kToOne,
                                           int64_t(qRound((p.y() + oy) * 64)) * kToOne);
    };
    const int64_t top = clip.top(), bottom = clip.bottom();
    auto [ax, ay] = fixed(ring[0]);
    const auto start = std::pair(ax, ay);
    for (size_t i = 0; i < ring.size(); ++i) {
        const auto [bx, by] = i + 1 < ring.size() ? fixed(ring[i + 1]) : start;
        if (ay != by) {
            TEdge e;
            e.AX = ax, e.AY = ay, e.BX = bx, e.BY = by;
            e.Down = by > ay;
            const int64_t lo = std::max((e.MinY() >> 8), top);
            const int64_t hi = std::min(((e.MaxY() + kOne - 1) >> 8) - 1, bottom);
            if (lo <= hi) {
                e.Top = int(lo), e.Bottom = int(hi);
                e.DX = bx - ax, e.D = std::abs(by - ay);
                const auto [lift, rem] = FloorDivide(kOne * e.DX, e.D);
                e.Lift = lift, e.Rem = rem;
                // The first row line within the edge the rows from Top on ask for.
                e.SetLine(std::max<int64_t>(lo, (e.MinY() >> 8) + 1));
                edges.push_back(e);
            }
        }
        ax = bx, ay = by;
    }
    if (edges.empty()) return true;
    std::sort(edges.begin(), edges.end(),
              [](const TEdge& a, const TEdge& b) { return a.Top < b.Top; });

    const int left = clip.left(), right = clip.right();
    if (scratch.Covers.size() < size_t(clip.width()) + 1) {
        scratch.Covers.resize(size_t(clip.width()) + 1, 0);
        scratch.Areas.resize(size_t(clip.width()) + 1, 0);
        scratch.Marks.resize(size_t(clip.width()) / 64 + 1, 0);
    }
    TRowCells cells(scratch, left, right);
    std::vector<TEdge*>& active = scratch.Active;
    active.clear();
    size_t next = 0;
    for (int y = edges.front().Top;; ++y) {
        std::erase_if(active, [y](const TEdge* e) { return e->Bottom < y; });
        if (active.empty()) {
            if (next == edges.size()) break;
            y = std::max(y, edges[next].Top);
        }
        while (next < edges.size() && edges[next].Top <= y) active.push_back(&edges[next++]);
        const int64_t rowTop = y * kOne, rowBottom = rowTop + kOne;
        for (TEdge* e : active) {
            const int64_t minY = e->MinY(), maxY = e->MaxY();
            const int64_t yTop = std::max(rowTop, minY), yBottom = std::min(rowBottom, maxY);
            const int64_t xTop = rowTop > minY ? e->XAt(y) : (e->Down ? e->AX : e->BX);
            const int64_t xBottom = rowBottom < maxY ? e->XAt(y + 1) : (e->Down ? e->BX : e->AX);
            if (e->Down)
                cells.Piece(xTop, yTop - rowTop, xBottom, yBottom - rowTop);
            else
                cells.Piece(xBottom, yBottom - rowTop, xTop, yTop - rowTop);
        }
        uint32_t* line = FCanvas.Row(y);
        cells.Sweep([&](int from, int to, uint32_t level) { Paint(line, y, from, to, level); });
        if (y >= clip.bottom()) break;
    }
    return true;
}

} // namespace tsivor::mapview
