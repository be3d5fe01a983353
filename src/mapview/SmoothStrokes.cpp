#include "mapview/SmoothStrokes.h"

#include "mapview/DrawPrimitives.h"
#include "mapview/FlatCubics.h"

#include <QPen>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace tsivor::mapview {

namespace {

// Half the diagonal of a pixel: a pixel whose centre lies this much beyond a stroke's edge
// is untouched by it, this much inside it is covered.
constexpr double kHalfDiagonal = 0.70711;

// The share of a pixel's square on the inner side of a straight edge s pixels beyond the
// square's centre, the edge's normal (a, b) with a >= b >= 0 and a² + b² = 1: the square
// projects onto the normal as a trapezoid, rising over b, flat over a - b, falling over b.
inline double EdgeCoverage(double s, double a, double b) {
    const double u = s + (a + b) / 2;
    if (u <= 0) return 0;
    if (u >= a + b) return 1;
    if (u < b) return u * u / (2 * a * b);
    if (u <= a) return (u - b / 2) / a;
    const double v = a + b - u;
    return 1 - v * v / (2 * a * b);
}

// Where the centres within a distance of a segment meet the rows: the sides of the band
// around it run x = P + XPerY * y for y from Lo to Hi.
struct TReach {
    double Radius2;
    double P[2], Lo[2], Hi[2];
    // The ends' circles reach no further than the sides: on rows that meet both sides they
    // add nothing.
    bool CirclesWithinSides;
};

// One segment of a chain in device pixels.
struct TStrokeSegment {
    double Ax, Ay, Bx, By;
    double Ux, Uy; // unit direction; (1, 0) for a single point
    double Length;
    double Na, Nb;   // the normal's components by size, larger first
    int Top, Bottom; // the rows it may touch, within the clip
    double XPerY;    // along its sides
    TReach Outer, Inner;

    // Centres within disc of the ends and within side of the segment's line.
    void SetReach(TReach& r, double disc, double side) const {
        r.Radius2 = disc * disc;
        r.CirclesWithinSides = disc <= side;
        for (int k = 0; k < 2; ++k) {
            side = -side;
            if (Uy == 0) {
                r.Lo[k] = 1, r.Hi[k] = 0, r.P[k] = 0;
                continue;
            }
            const double y0 = Ay + side * Ux, y1 = y0 + Length * Uy;
            r.Lo[k] = std::min(y0, y1), r.Hi[k] = std::max(y0, y1);
            r.P[k] = Ax - side * Uy - y0 * XPerY;
        }
    }
};

// The share of the pixel centred at (x, yc) that the stroke of radius r along s covers: by the
// distance to the segment across it, or to the nearer end beyond them. Made for one row, so
// what depends on the row alone is worked out once.
struct TRowCoverage {
    const TStrokeSegment& S;
    double Radius, Inside2, Outside2; // squared distances of full and of no coverage
    double Yc, Dy, DyUy, DyUx;

    TRowCoverage(const TStrokeSegment& s, double r, double yc)
        : S(s), Radius(r),
          Inside2(r > kHalfDiagonal ? (r - kHalfDiagonal) * (r - kHalfDiagonal) : -1),
          Outside2((r + kHalfDiagonal) * (r + kHalfDiagonal)), Yc(yc), Dy(yc - s.Ay),
          DyUy(Dy * s.Uy), DyUx(Dy * s.Ux) {}

    double operator()(double x) const {
        double dx = x - S.Ax, dy = Dy;
        const double t = dx * S.Ux + DyUy;
        if (t >= 0 && t <= S.Length) {
            const double d = std::abs(DyUx - dx * S.Uy);
            const double near = EdgeCoverage(Radius - d, S.Na, S.Nb);
            // Both edges of a stroke narrower than a pixel's diagonal may cross the pixel.
            return Radius + d >= kHalfDiagonal ? near
                                               : near + EdgeCoverage(Radius + d, S.Na, S.Nb) - 1;
        }
        if (t > S.Length) dx = x - S.Bx, dy = Yc - S.By;
        const double d2 = dx * dx + dy * dy;
        if (d2 <= Inside2) return 1;
        if (d2 >= Outside2) return 0;
        const double d = std::sqrt(d2);
        if (d < 1e-9) return EdgeCoverage(Radius, 1, 0);
        const double a = std::abs(dx) / d, b = std::abs(dy) / d;
        return EdgeCoverage(Radius - d, std::max(a, b), std::min(a, b));
    }
};

// The centres on row yc within the reach's distance of the segment: between its ends' circles
// and the sides of the band around it. False when none.
bool Chord(const TStrokeSegment& s, const TReach& r, double yc, double& xlo, double& xhi) {
    xlo = std::numeric_limits<double>::infinity(), xhi = -xlo;
    int sides = 0;
    for (int k = 0; k < 2; ++k)
        if (yc >= r.Lo[k] && yc <= r.Hi[k]) {
            const double x = r.P[k] + s.XPerY * yc;
            xlo = std::min(xlo, x), xhi = std::max(xhi, x);
            ++sides;
        }
    if (sides == 2 && r.CirclesWithinSides) return true;
    auto circle = [&](double cx, double cy) {
        const double h2 = r.Radius2 - (yc - cy) * (yc - cy);
        if (h2 < 0) return;
        const double h = std::sqrt(h2);
        xlo = std::min(xlo, cx - h), xhi = std::max(xhi, cx + h);
    };
    circle(s.Ax, s.Ay);
    circle(s.Bx, s.By);
    return xlo <= xhi;
}

// What a segment reaches on a row: its edge pixels from X0 to X1 but for those from Full0 to
// Full1 (none when Full0 > Full1), which it covers wholly.
struct TRowReach {
    const TStrokeSegment* S;
    int X0, X1, Full0, Full1;
};

// Scratch kept per thread: both bands of a frame stroke at once.
struct TScratch {
    std::vector<TStrokeSegment> Segments;
    std::vector<const TStrokeSegment*> Active;
    std::vector<TRowReach> Reaches;         // of the active segments on the row
    std::vector<std::pair<int, int>> Full;  // the row's wholly covered runs, merged
    std::vector<uint8_t> Row;               // coverage across the clip, all zero between rows
    std::vector<std::pair<int, int>> Spans; // of the row's edge pixels
    std::vector<QPointF> Flat;              // a chain of curves as segments
};

TScratch& Scratch() {
    thread_local TScratch scratch;
    return scratch;
}

} // namespace

std::optional<TSmoothStrokes> TSmoothStrokes::For(const QPainter& canvas) {
    if (!canvas.testRenderHint(QPainter::Antialiasing)) return std::nullopt;
    const QPen& pen = canvas.pen();
    if (pen.style() != Qt::SolidLine || pen.brush().style() != Qt::SolidPattern ||
        pen.color().alpha() != 255 || pen.widthF() <= 1 || pen.joinStyle() != Qt::RoundJoin ||
        pen.capStyle() != Qt::RoundCap)
        return std::nullopt;
    const auto pixels = TPixelCanvas::Of(canvas);
    if (!pixels) return std::nullopt;
    TSmoothStrokes strokes(*pixels);
    strokes.FRadius = pen.widthF() / 2;
    strokes.FColor = 0xff000000u | (pen.color().rgb() & 0xffffffu);
    return strokes;
}

void TSmoothStrokes::Chain(std::span<const QPoint> pts) const {
    Stroke(pts);
}

void TSmoothStrokes::Curves(std::span<const QPoint> pts) const {
    if (pts.size() < 4) return;
    // A cubic lies in the hull of its points: one whose points lie beyond the clip by more
    // than the pen reaches stands as its chord.
    const double reach = FRadius + 2;
    const QRectF box =
        QRectF(FCanvas.Clip).translated(-FCanvas.Offset).adjusted(-reach, -reach, reach, reach);
    std::vector<QPointF>& flat = Scratch().Flat;
    FlattenCubics(pts, box, kFineFlattening, flat);
    Stroke(std::span<const QPointF>(flat));
}

template <class TPoint> void TSmoothStrokes::Stroke(std::span<const TPoint> pts) const {
    const QRect& clip = FCanvas.Clip;
    if (pts.size() < 2 || clip.isEmpty()) return;
    const double reach = FRadius + kHalfDiagonal + 0.01;
    // Centres within this of the chain are wholly covered.
    const double inner = FRadius - kHalfDiagonal - 0.01;
    // Beyond this box a segment touches no pixel of the clip, nor do the ends it is cut to.
    const QRectF box = QRectF(clip).adjusted(-reach - 2, -reach - 2, reach + 2, reach + 2);
    TScratch& scratch = Scratch();
    std::vector<TStrokeSegment>& segments = scratch.Segments;
    segments.clear();
    for (size_t i = 0; i + 1 < pts.size(); ++i) {
        TStrokeSegment s;
        QPointF a = QPointF(pts[i]) + FCanvas.Offset, b = QPointF(pts[i + 1]) + FCanvas.Offset;
        if (!CutToRect(a, b, box)) continue;
        s.Ax = a.x(), s.Ay = a.y(), s.Bx = b.x(), s.By = b.y();
        s.Length = std::hypot(s.Bx - s.Ax, s.By - s.Ay);
        s.Ux = s.Length > 0 ? (s.Bx - s.Ax) / s.Length : 1;
        s.Uy = s.Length > 0 ? (s.By - s.Ay) / s.Length : 0;
        s.Na = std::max(std::abs(s.Ux), std::abs(s.Uy));
        s.Nb = std::min(std::abs(s.Ux), std::abs(s.Uy));
        s.XPerY = s.Uy != 0 ? s.Ux / s.Uy : 0;
        // Beside the segment a pixel's square reaches half its extent across it. The sides
        // of the outer reach stay within its ends' circles, so its rows are single runs.
        s.SetReach(s.Outer, reach, FRadius + (s.Na + s.Nb) / 2 + 0.01);
        s.SetReach(s.Inner, std::max(0.0, inner), std::max(0.0, inner));
        // Rows whose centres lie within reach of the segment.
        s.Top = std::max(clip.top(), int(std::floor(std::min(s.Ay, s.By) - reach - 0.5)));
        s.Bottom = std::min(clip.bottom(), int(std::ceil(std::max(s.Ay, s.By) + reach - 0.5)));
        if (s.Top <= s.Bottom) segments.push_back(s);
    }
    if (segments.empty()) return;
    std::sort(segments.begin(), segments.end(),
              [](const TStrokeSegment& a, const TStrokeSegment& b) { return a.Top < b.Top; });

    std::vector<uint8_t>& row = scratch.Row;
    if (row.size() < size_t(clip.width())) row.resize(size_t(clip.width()), 0);
    std::vector<const TStrokeSegment*>& active = scratch.Active;
    std::vector<std::pair<int, int>>& spans = scratch.Spans;
    std::vector<TRowReach>& reaches = scratch.Reaches;
    std::vector<std::pair<int, int>>& full = scratch.Full;
    active.clear();
    const int left = clip.left(), right = clip.right();
    size_t next = 0;
    for (int y = segments.front().Top;; ++y) {
        std::erase_if(active, [y](const TStrokeSegment* s) { return s->Bottom < y; });
        if (active.empty()) {
            if (next == segments.size()) break;
            y = std::max(y, segments[next].Top);
        }
        while (next < segments.size() && segments[next].Top <= y)
            active.push_back(&segments[next++]);
        const double yc = y + 0.5;
        uint32_t* line = FCanvas.Row(y);
        spans.clear();
        reaches.clear();
        full.clear();
        for (const TStrokeSegment* s : active) {
            double xlo, xhi;
            if (!Chord(*s, s->Outer, yc, xlo, xhi)) continue;
            const int x0 = std::max(left, int(std::ceil(xlo - 0.5)));
            const int x1 = std::min(right, int(std::floor(xhi - 0.5)));
            if (x0 > x1) continue;
            int full0 = x1 + 1, full1 = x1;
            if (inner > 0 && Chord(*s, s->Inner, yc, xlo, xhi)) {
                full0 = std::max(x0, int(std::ceil(xlo - 0.5)));
                full1 = std::min(x1, int(std::floor(xhi - 0.5)));
                if (full0 > full1)
                    full0 = x1 + 1, full1 = x1;
                else
                    full.push_back({full0, full1});
            }
            reaches.push_back({s, x0, x1, full0, full1});
        }
        // Centres well inside any segment's stroke are covered without asking, once, and
        // whatever else reaches such a pixel would leave it as it is.
        if (full.size() > 1) {
            std::sort(full.begin(), full.end());
            size_t n = 0;
            for (size_t i = 1; i < full.size(); ++i)
                if (full[i].first <= full[n].second + 1)
                    full[n].second = std::max(full[n].second, full[i].second);
                else
                    full[++n] = full[i];
            full.resize(n + 1);
        }
        for (const auto& [from, to] : full) FillPixels(line + from, size_t(to - from + 1), FColor);
        for (const TRowReach& r : reaches) {
            const TRowCoverage coverage(*r.S, FRadius, yc);
            auto exact = [&](int from, int to) {
                spans.push_back({from, to});
                for (int x = from; x <= to; ++x) {
                    const double c = coverage(x + 0.5);
                    if (c <= 0) continue;
                    uint8_t& cell = row[size_t(x - left)];
                    cell = std::max(cell, uint8_t(std::min(255.0, c * 255 + 0.5)));
                }
            };
            // The edge pixels no segment covers wholly.
            auto edge = [&](int from, int to) {
                for (const auto& [f0, f1] : full) {
                    if (from > to) return;
                    if (f1 < from) continue;
                    if (f0 > to) break;
                    if (f0 > from) exact(from, f0 - 1);
                    from = f1 + 1;
                }
                if (from <= to) exact(from, to);
            };
            edge(r.X0, r.Full0 - 1);
            edge(r.Full1 + 1, r.X1);
        }
        // Each edge pixel is blended once, with the most any segment covers of it.
        for (const auto& [from, to] : spans)
            for (int x = from; x <= to; ++x) {
                uint8_t& cell = row[size_t(x - left)];
                if (!cell) continue;
                line[x] = cell == 255 ? FColor : BlendOpaque(FColor, cell, line[x]);
                cell = 0;
            }
        if (y >= clip.bottom()) break;
    }
}

} // namespace tsivor::mapview
