#pragma once
// TPlainFill: aliased polygon fills of an opaque solid brush written straight into the canvas's
// image, pixel for pixel as Qt's own aliased scan converter fills them, without the cost Qt pays
// per figure for its outline mapper, rasteriser set-up and span blending.
//
// Qt samples every pixel row at its centre: an edge from a to b (whole pixels) covers the rows
// a.y .. b.y - 1, its crossing of a row is stepped in 16.16 fixed point from a slope truncated
// to that precision, half a pixel to the right, and a crossing fills from the pixel it falls in.
// Edges beyond the left or right side of the clip are pressed onto it the way Qt cuts them, and
// the first row of an edge cut by the clip's top is computed afresh there rather than stepped,
// so a figure drawn in two bands of rows gets the pixels Qt gives each band.

#include <QPainter>
#include <QPoint>
#include <QRect>

#include <cstdint>
#include <span>
#include <vector>

namespace tsivor::mapview {

class TPlainFill {
public:
    // Whether Fill draws exactly what the canvas would fill for drawPolygon: a raster canvas on
    // an image of 32-bit pixels, unsmoothed, at full opacity with SourceOver, moved at most by a
    // translation of whole pixels, with an opaque solid brush. clip is the rectangle the canvas
    // draws into, in its coordinates, its device included; empty when its clip is no rectangle.
    // With aliasedAnyway, a smoothing canvas qualifies too: the fill is the one it would draw
    // with smoothing off (for a fill an opaque outline covers the edge of).
    static bool Applies(const QPainter& canvas, const QRect& clip, bool aliasedAnyway = false);

    // Fills pts (canvas coordinates) with the canvas brush as canvas.drawPolygon(pts, rule)
    // fills it before its outline; false, drawing nothing, when the points reach so far that Qt
    // would cut the figure by other means. Applies must hold for canvas and clip.
    bool Fill(QPainter& canvas, std::span<const QPoint> pts, const QRect& clip,
              Qt::FillRule rule = Qt::OddEvenFill);

    // The runs of pixels of that fill within clip, row by row from the top: span(y, x0, x1)
    // covers x0 .. x1 - 1. False when Fill would refuse the points.
    template <class TSpan>
    bool Spans(std::span<const QPoint> pts, const QRect& clip, Qt::FillRule rule, TSpan&& span);

    // Points farther from the origin are left to Qt.
    static constexpr int kMaxCoordinate = (1 << 22) - 1;

private:
    // An edge in 16.16 fixed point: its crossing of row Top, the step per row, its last row.
    struct TEdge {
        int64_t X, Dx;
        int Top, Bottom, Winding;
    };

    // Builds the edges of the closed ring within clip; false when it reaches too far.
    bool Prepare(std::span<const QPoint> pts, const QRect& clip);
    void AddEdge(QPoint a, QPoint b);
    // Presses the part of an edge beyond one side onto that side; true when nothing else is
    // left of it.
    bool CutAt(int64_t side, bool right, int64_t& x, int& top, int& bottom, int64_t dx,
               int winding);
    void Add(int64_t x, int64_t dx, int top, int bottom, int winding) {
        FEdges.push_back({x, dx, top, bottom, winding});
    }

    std::vector<TEdge> FEdges;
    std::vector<TEdge*> FActive;
    int64_t FLeft = 0, FRight = 0; // the clip's sides in fixed point, right one past
    QRect FClip;
};

template <class TSpan>
bool TPlainFill::Spans(std::span<const QPoint> pts, const QRect& clip, Qt::FillRule rule,
                       TSpan&& span) {
    if (!Prepare(pts, clip)) return false;
    if (FEdges.empty()) return true;
    const int mask = rule == Qt::WindingFill ? ~0 : 1;
    const int left = FClip.left(), right = FClip.right() + 1;
    size_t next = 0; // the first edge not yet active; edges are in the order of their tops
    FActive.clear();
    for (int y = FEdges[0].Top; next < FEdges.size() || !FActive.empty(); ++y) {
        if (FActive.empty() && FEdges[next].Top > y) y = FEdges[next].Top;
        for (; next < FEdges.size() && FEdges[next].Top == y; ++next)
            FActive.push_back(&FEdges[next]);
        // Kept in the order of the crossings: from row to row it changes little, so sorting by
        // insertion costs little.
        for (size_t i = 1; i < FActive.size(); ++i) {
            TEdge* e = FActive[i];
            size_t j = i;
            for (; j > 0 && FActive[j - 1]->X > e->X; --j) FActive[j] = FActive[j - 1];
            FActive[j] = e;
        }
        int winding = 0, from = 0;
        size_t kept = 0;
        for (TEdge* e : FActive) {
            const int x = int(e->X >> 16);
            if ((winding & mask) && x > from) {
                const int x0 = std::max(from, left), x1 = std::min(x, right);
                if (x1 > x0) span(y, x0, x1);
            }
            from = x;
            winding += e->Winding;
            if (e->Bottom != y) {
                e->X += e->Dx;
                FActive[kept++] = e;
            }
        }
        FActive.resize(kept);
    }
    return true;
}

} // namespace tsivor::mapview
