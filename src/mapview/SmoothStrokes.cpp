#include "mapview/SmoothStrokes.h"

#include "mapview/DrawPrimitives.h"
#include "mapview/FlatCubics.h"

#include <QPen>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace tsivor::mapview {

namespace {

// Half the diagonal of a pixel: a pixel whose centre lies this much beyond a stroke's edge
// is untouched by it, this much inside it is covered.
constexpr double kHalfDiagonal = 0.70711;

// The first pixel whose centre lies at or after v, and the last at or before it, for v within
// a million pixels of the origin, in a few instructions: a billionth of a pixel is taken off
// (Around: a pixel more) or added (Within: a pixel less) first, as a bound may be widened or
// narrowed by so little without changing a pixel. The offset makes truncation round down.
constexpr double kOffset = 1 << 20, kBillionth = 1e-9;
inline int FirstAround(double v) {
    return int(v + (kOffset - 0.5 - kBillionth)) - (int(kOffset) - 1);
}
inline int LastAround(double v) {
    return int(v + (kOffset - 0.5 + kBillionth)) - int(kOffset);
}
inline int FirstWithin(double v) {
    return int(v + (kOffset - 0.5 + kBillionth)) - (int(kOffset) - 1);
}
inline int LastWithin(double v) {
    return int(v + (kOffset - 0.5 - kBillionth)) - int(kOffset);
}

// The share of a pixel's square on the inner side of a straight edge s pixels beyond the
// square's centre, the edge's normal (a, b) with a >= b >= 0 and a² + b² = 1: the square
// projects onto the normal as a trapezoid, rising over b, flat over a - b, falling over b.
// What depends on the normal alone is worked out when it is made.
struct TEdgeShare {
    double A, B, HalfB, HalfSum, Sum, TwoAB;

    TEdgeShare(double a, double b)
        : A(a), B(b), HalfB(b / 2), HalfSum((a + b) / 2), Sum(a + b), TwoAB(2 * a * b) {}

    double operator()(double s) const {
        const double u = s + HalfSum;
        if (u <= 0) return 0;
        if (u >= Sum) return 1;
        return Within(u);
    }

    // The share as Level gives it.
    uint32_t LevelAt(double s) const {
        const double u = s + HalfSum;
        if (u <= 0) return 0;
        if (u >= Sum) return 255;
        // Within stays within 0-1, where Level rounds alone.
        return uint32_t(Within(u) * 255 + 0.5);
    }

private:
    // The share where the edge crosses the square, u from its first corner: 0-1.
    double Within(double u) const {
        if (u < B) return u * u / TwoAB;
        if (u <= A) return (u - HalfB) / A;
        const double v = Sum - u;
        return 1 - v * v / TwoAB;
    }
};

// A share 0-1 as a coverage level 0-255.
inline uint32_t Level(double share) {
    return share <= 0 ? 0 : share >= 1 ? 255 : uint32_t(share * 255 + 0.5);
}

// Where the centres within a distance of a segment meet the rows: the sides of the band
// around it run x = P + XPerY * y for y from Lo to Hi.
struct TReach {
    double Radius2;
    double P[2], Lo[2], Hi[2];
    // The ends' circles reach no further than the sides: on rows that meet both sides they
    // add nothing.
    bool CirclesWithinSides;
    // Rows whose centres lie strictly between these are beyond both ends' circles (with a
    // pixel to spare, so that no rounding could bring a circle back).
    double BetweenCircles0, BetweenCircles1;
    double Half; // of the band across the segment
};

// A straight end of a chain: what lies behind the line across (X, Y) against the direction
// (Ux, Uy) is not stroked; Share is the share of a pixel's square ahead of it.
struct TStraightEnd {
    double X, Y, Ux, Uy;
    TEdgeShare Share;

    TStraightEnd(QPointF at, QPointF towards) : X(at.x()), Y(at.y()), Ux(0), Uy(0), Share(1, 0) {
        const QPointF d = towards - at;
        const double l = std::hypot(d.x(), d.y());
        Ux = d.x() / l, Uy = d.y() / l;
        Share =
            TEdgeShare(std::max(std::abs(Ux), std::abs(Uy)), std::min(std::abs(Ux), std::abs(Uy)));
    }
    double Ahead(double x, double y) const { return (x - X) * Ux + (y - Y) * Uy; }
};

// Directions within this of the rows or the columns are taken as along them where that is
// safe: a millionth of a pixel over the widest image.
constexpr double kSteep = 1e-9;

// Segments meeting at a joint whose directions' product is at least this (a turn of 25
// degrees) run on smoothly.
constexpr double kSmoothTurn = 0.9;

// One segment of a chain in device pixels.
struct TStrokeSegment {
    double Ax, Ay, Bx, By;
    double Length;
    double Ux, Uy;   // unit direction; (1, 0) for a single point
    double XPerY;    // along its sides
    double EndXPerY; // along the perpendiculars at its ends, when not near the columns
    // Of its sides, whose normal's components by size are the larger and the smaller of
    // |Ux| and |Uy|.
    TEdgeShare Side;
    int Top = 0, Bottom = -1; // the rows it may touch, within the clip
    // Its ends run on into the chain's next segments with little turn: what the pen covers
    // wholly around them lies mostly beside one of the two.
    bool SmoothA = false, SmoothB = false;
    // Its ends are the chain's straight ends: the stroke stops across them.
    bool FlatA = false, FlatB = false;
    // The chain's straight ends near it, which cut what it covers (its own among them).
    const TStraightEnd *CutA = nullptr, *CutB = nullptr;
    // Centres that may be touched; centres covered wholly, and those beside the segment
    // covered wholly by a wide pen.
    TReach Outer, Inner, Full;

    TStrokeSegment(QPointF a, QPointF b)
        : Ax(a.x()), Ay(a.y()), Bx(b.x()), By(b.y()), Length(std::hypot(Bx - Ax, By - Ay)),
          Ux(Length > 0 ? (Bx - Ax) / Length : 1), Uy(Length > 0 ? (By - Ay) / Length : 0),
          XPerY(Uy != 0 ? Ux / Uy : 0), EndXPerY(std::abs(Ux) >= kSteep ? -Uy / Ux : 0),
          Side(std::max(std::abs(Ux), std::abs(Uy)), std::min(std::abs(Ux), std::abs(Uy))) {}

    // Centres within disc of the ends and within side of the segment's line.
    void SetReach(TReach& r, double disc, double side) const {
        r.Radius2 = disc * disc;
        r.CirclesWithinSides = disc <= side;
        r.BetweenCircles0 = std::min(Ay, By) + disc + 1;
        r.BetweenCircles1 = std::max(Ay, By) - disc - 1;
        r.Half = side;
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

    // The centres on row yc between the sides of the reach's band, when the row crosses both
    // or runs within the band of a segment along the rows: all of them lie beside the
    // segment. False otherwise.
    bool Across(const TReach& r, double yc, double& xlo, double& xhi) const {
        if (Uy == 0) {
            if (!(std::abs(yc - Ay) <= r.Half)) return false;
            xlo = std::min(Ax, Bx), xhi = std::max(Ax, Bx);
            return true;
        }
        if (!(yc >= r.Lo[0] && yc <= r.Hi[0] && yc >= r.Lo[1] && yc <= r.Hi[1])) return false;
        const double x0 = r.P[0] + XPerY * yc, x1 = r.P[1] + XPerY * yc;
        xlo = std::min(x0, x1), xhi = std::max(x0, x1);
        return true;
    }

    // The centres on row yc between the sides of the reach's band and the perpendiculars at the
    // segment's ends: all of them lie beside the segment. Segments near the rows are asked as
    // Across asks; those near the columns take the rows between their ends, which puts a centre
    // no further than a millionth of a pixel beyond an end. False when none.
    bool Beside(const TReach& r, double yc, double& xlo, double& xhi) const {
        if (std::abs(Uy) < kSteep) return Across(r, yc, xlo, xhi);
        const double x0 = r.P[0] + XPerY * yc, x1 = r.P[1] + XPerY * yc;
        double lo = std::min(x0, x1), hi = std::max(x0, x1);
        if (EndXPerY == 0) {
            if (!(yc >= std::min(Ay, By) && yc <= std::max(Ay, By))) return false;
        } else {
            const double ea = Ax + (yc - Ay) * EndXPerY, eb = Bx + (yc - By) * EndXPerY;
            lo = std::max(lo, std::min(ea, eb)), hi = std::min(hi, std::max(ea, eb));
        }
        xlo = lo, xhi = hi;
        return lo <= hi;
    }

    // The centres on row yc within the reach's distance of the segment: between its ends'
    // circles and the sides of the band around it. False when none. Called for every row a
    // segment may touch, so it is kept inline; rows between the circles (which meet both
    // sides) are asked first.
    [[gnu::always_inline]] bool Chord(const TReach& r, double yc, double& xlo, double& xhi) const {
        if (yc > r.BetweenCircles0 && yc < r.BetweenCircles1) return Sides(r, yc, xlo, xhi), true;
        double lo = std::numeric_limits<double>::infinity(), hi = -lo;
        const bool side0 = yc >= r.Lo[0] && yc <= r.Hi[0], side1 = yc >= r.Lo[1] && yc <= r.Hi[1];
        if (side0) {
            const double x = r.P[0] + XPerY * yc;
            lo = std::min(lo, x), hi = std::max(hi, x);
        }
        if (side1) {
            const double x = r.P[1] + XPerY * yc;
            lo = std::min(lo, x), hi = std::max(hi, x);
        }
        if (side0 && side1 && r.CirclesWithinSides) return xlo = lo, xhi = hi, true;
        auto circle = [&](double cx, double cy) {
            const double h2 = r.Radius2 - (yc - cy) * (yc - cy);
            if (h2 < 0) return;
            const double h = std::sqrt(h2);
            lo = std::min(lo, cx - h), hi = std::max(hi, cx + h);
        };
        circle(Ax, Ay);
        circle(Bx, By);
        xlo = lo, xhi = hi;
        return lo <= hi;
    }

    // Where row yc meets the sides of the reach's band.
    void Sides(const TReach& r, double yc, double& xlo, double& xhi) const {
        const double x0 = r.P[0] + XPerY * yc, x1 = r.P[1] + XPerY * yc;
        xlo = std::min(x0, x1), xhi = std::max(x0, x1);
    }

    // Narrows the centres xlo to xhi of row yc to those a pixel's square lies wholly within the
    // straight ends from (a thousandth of a pixel to spare); false when none are left.
    bool WithinStraightEnds(double yc, double& xlo, double& xhi) const {
        const double margin = Side.HalfSum + 0.001;
        const double t0 = FlatA ? margin : -std::numeric_limits<double>::infinity();
        const double t1 = FlatB ? Length - margin : std::numeric_limits<double>::infinity();
        if (t0 > t1) return false;
        // Along the segment t = (x - Ax) Ux + (yc - Ay) Uy.
        const double along = (yc - Ay) * Uy;
        if (std::abs(Ux) < kSteep) {
            const double t = -Ax * Ux + along;
            return t >= t0 && t <= t1 && xlo <= xhi;
        }
        double x0 = Ax + (t0 - along) / Ux, x1 = Ax + (t1 - along) / Ux;
        if (x0 > x1) std::swap(x0, x1);
        xlo = std::max(xlo, x0), xhi = std::min(xhi, x1);
        return xlo <= xhi;
    }
};

// The radius of a pen and the squared distances from an end within which its stroke covers
// a pixel wholly and beyond which not at all.
struct TPenReach {
    double Radius, Inside2, Outside2;

    explicit TPenReach(double r)
        : Radius(r), Inside2(r > kHalfDiagonal ? (r - kHalfDiagonal) * (r - kHalfDiagonal) : -1),
          Outside2((r + kHalfDiagonal) * (r + kHalfDiagonal)) {}
};

// Hands the pixels from x0 to x1 but for those from skip0 to skip1 (none when skip0 > skip1) to
// run(from, to), in at most two runs.
template <class TRun> void Outside(int x0, int x1, int skip0, int skip1, TRun&& run) {
    if (skip0 > skip1) {
        if (x0 <= x1) run(x0, x1);
        return;
    }
    if (x0 <= std::min(x1, skip0 - 1)) run(x0, std::min(x1, skip0 - 1));
    if (std::max(x0, skip1 + 1) <= x1) run(std::max(x0, skip1 + 1), x1);
}

// The share of the pixel centred at (x, yc) that the stroke along s covers: by the distance
// to the segment across it, or to the nearer end beyond them. Made for one row, so what
// depends on the row alone is worked out once.
struct TRowCoverage {
    const TStrokeSegment& S;
    const TPenReach& Pen;
    double Yc, Dy, DyUy, DyUx;

    TRowCoverage(const TStrokeSegment& s, const TPenReach& pen, double yc)
        : S(s), Pen(pen), Yc(yc), Dy(yc - s.Ay), DyUy(Dy * s.Uy), DyUx(Dy * s.Ux) {}

    // What a centre beyond the segment's ends, dx and dy from the nearer end, takes of its
    // circle: whole or none wholly inside or outside it, otherwise at(edge, s) of the circle's
    // edge across it, s beyond the centre.
    template <class TValue, class TAt>
    [[gnu::always_inline]] TValue AtEnd(double dx, double dy, TValue whole, TValue none,
                                        TAt&& at) const {
        const double d2 = dx * dx + dy * dy;
        if (d2 <= Pen.Inside2) return whole;
        if (d2 >= Pen.Outside2) return none;
        const double d = std::sqrt(d2);
        if (d < 1e-9) return at(TEdgeShare(1, 0), Pen.Radius);
        const double a = std::abs(dx) / d, b = std::abs(dy) / d;
        return at(TEdgeShare(std::max(a, b), std::min(a, b)), Pen.Radius - d);
    }
    double EndShare(double dx, double dy) const {
        return AtEnd(dx, dy, 1.0, 0.0, [](const TEdgeShare& e, double s) { return e(s); });
    }
    [[gnu::always_inline]] uint32_t EndLevel(double dx, double dy) const {
        return AtEnd(dx, dy, 255u, 0u, [](const TEdgeShare& e, double s) { return e.LevelAt(s); });
    }

    // Hands put(x, level) the coverage level of each pixel from x0 to x1 but for those from
    // skip0 to skip1 that the stroke touches.
    template <class TPut> void Levels(int x0, int x1, int skip0, int skip1, TPut&& put) const {
        Outside(x0, x1, skip0, skip1, [&](int from, int to) { Levels(from, to, put); });
    }
    // The same for each pixel from x0 to x1.
    template <class TPut> [[gnu::always_inline]] void Levels(int x0, int x1, TPut&& put) const {
        if (Pen.Radius >= kHalfDiagonal)
            Run<true>(x0, x1, put);
        else
            Run<false>(x0, x1, put);
    }

    // The levels along a run. The stroke of a wide pen has one edge across any pixel beside
    // it.
    template <bool Wide, class TPut>
    [[gnu::always_inline]] void Run(int from, int to, TPut&& put) const {
        if (S.CutA || S.CutB) return Straight<Wide>(from, to, put);
        const TEdgeShare& side = S.Side;
        const double &ax = S.Ax, &ux = S.Ux, &uy = S.Uy, &length = S.Length, &r = Pen.Radius;
        double xc = from + 0.5;
        for (int x = from; x <= to; ++x, xc += 1) {
            const double dx = xc - ax, t = dx * ux + DyUy;
            uint32_t level;
            if (t >= 0 && t <= length) {
                const double d = std::abs(DyUx - dx * uy);
                // Both edges of a narrower stroke may cross the pixel.
                level = Wide || r + d >= kHalfDiagonal ? side.LevelAt(r - d)
                                                       : Level(side(r - d) + side(r + d) - 1);
            } else {
                level = t > length ? EndLevel(xc - S.Bx, Yc - S.By) : EndLevel(dx, Dy);
            }
            if (level) put(x, level);
        }
    }

    // As Run for a segment near a straight end of the chain: a pixel takes the share the
    // segment's stroke covers, its own straight ends carried on beside it. Across its own
    // straight end, and beyond its ends where a joint's circle would bulge behind the chain's
    // straight end, that share times the share ahead of the chain's ends; a pixel both ends
    // cross, the share between them.
    template <bool Wide, class TPut> void Straight(int from, int to, TPut&& put) const {
        const TEdgeShare& side = S.Side;
        const double &ax = S.Ax, &ux = S.Ux, &uy = S.Uy, &length = S.Length, &r = Pen.Radius;
        // Centres this far inside an end have their squares wholly on its inner side.
        const double inside = side.HalfSum;
        double xc = from + 0.5;
        for (int x = from; x <= to; ++x, xc += 1) {
            const double dx = xc - ax, t = dx * ux + DyUy;
            double share;
            bool cut = true;
            if (t < 0 && !S.FlatA) {
                share = EndShare(dx, Dy);
            } else if (t > length && !S.FlatB) {
                share = EndShare(xc - S.Bx, Yc - S.By);
            } else {
                const double d = std::abs(DyUx - dx * uy);
                share =
                    Wide || r + d >= kHalfDiagonal ? side(r - d) : side(r - d) + side(r + d) - 1;
                // Beside the segment only its own straight ends cut it.
                cut = (S.FlatA && t < inside) || (S.FlatB && t > length - inside);
            }
            if (cut) {
                const TStraightEnd* ea = S.FlatA || t < 0 ? S.CutA : nullptr;
                const TStraightEnd* eb = S.FlatB || t > length ? S.CutB : nullptr;
                const double a = ea ? ea->Share(ea->Ahead(xc, Yc)) : 1;
                const double b = eb ? eb->Share(eb->Ahead(xc, Yc)) : 1;
                share *= ea && eb ? std::max(0.0, a + b - 1) : a * b;
            }
            if (const uint32_t level = Level(share)) put(x, level);
        }
    }
};

// What a segment reaches on a row: its edge pixels from X0 to X1 but for those from Full0 to
// Full1 (none when Full0 > Full1), which it covers wholly.
struct TRowReach {
    const TStrokeSegment* S;
    int X0, X1, Full0, Full1;
    // Its pieces outside the row's full runs, when several reach it.
    uint32_t Pieces0, Pieces1;
};

// Pixels from X0 to X1 of a row.
struct TSpan {
    int X0, X1;
};

// The full runs of a row's reaches (as many spans as reaches at least) as spans in order, none
// touching another: a pixel is covered wholly by some segment when one of them holds it. Gives
// their number.
[[gnu::always_inline]] inline size_t UniteFullRuns(std::span<const TRowReach> reaches,
                                                   TSpan* spans) {
    size_t n = 0;
    for (const TRowReach& r : reaches) {
        if (r.Full0 > r.Full1) continue;
        // Few runs, mostly in order already: insertion costs least.
        size_t i = n++;
        for (; i > 0 && spans[i - 1].X0 > r.Full0; --i) spans[i] = spans[i - 1];
        spans[i] = {r.Full0, r.Full1};
    }
    size_t united = 0;
    for (size_t i = 0; i < n; ++i)
        if (united > 0 && spans[i].X0 <= spans[united - 1].X1 + 1)
            spans[united - 1].X1 = std::max(spans[united - 1].X1, spans[i].X1);
        else
            spans[united++] = spans[i];
    return united;
}

// Pixels from X0 to X1 of a row that a segment may cover in part, in gap Gap of the row's
// full runs: before the first one, between two, or after the last.
struct TPiece {
    int X0, X1;
    size_t Gap;
};

// The pieces of the reach outside the row's n full runs (in order, none touching), added to
// the count pieces (room for n + 1 more) and counted in their gaps.
[[gnu::always_inline]] inline void AddPieces(TRowReach& r, const TSpan* full, size_t n,
                                             TPiece* pieces, size_t& count, int* gaps) {
    r.Pieces0 = uint32_t(count);
    size_t g = 0;
    while (g < n && full[g].X1 < r.X0) ++g;
    for (int from = r.X0; from <= r.X1; ++g) {
        const int to = g < n ? std::min(r.X1, full[g].X0 - 1) : r.X1;
        if (from <= to) pieces[count++] = {from, to, g}, ++gaps[g];
        if (g == n) break;
        from = full[g].X1 + 1;
    }
    r.Pieces1 = uint32_t(count);
}

// Scratch kept per thread: both bands of a frame stroke at once.
struct TScratch {
    std::vector<TStrokeSegment> Segments;
    std::vector<const TStrokeSegment*> Active; // those still to reach a row
    std::vector<TRowReach> Reaches;            // of the active segments on the row
    std::vector<TSpan> Full;                   // the row's full runs united, one for each segment
    std::vector<int> Gaps;                     // pieces between them, one more
    std::vector<TPiece> Pieces;                // the row's edge pixels outside them
    std::vector<uint8_t> Row;                  // coverage across the clip, all zero between rows
    std::vector<QPointF> Flat;                 // a chain of curves as segments
    std::vector<QPointF> Ends;                 // a chain carried on to its straight ends
};

TScratch& Scratch() {
    thread_local TScratch scratch;
    return scratch;
}

} // namespace

std::optional<TSmoothStrokes>
TSmoothStrokes::For(const QPainter& canvas, const std::optional<TPixelCanvas>* read, TAlso also) {
    if (!canvas.testRenderHint(QPainter::Antialiasing)) return std::nullopt;
    const QPen& pen = canvas.pen();
    const bool dashed = pen.style() != Qt::SolidLine && pen.style() != Qt::NoPen;
    if ((also == TAlso::Dashes ? !dashed : pen.style() != Qt::SolidLine) ||
        pen.brush().style() != Qt::SolidPattern || pen.color().alpha() != 255 ||
        pen.widthF() <= 1 || pen.joinStyle() != Qt::RoundJoin)
        return std::nullopt;
    const auto pixels = read ? TPixelCanvas::Still(canvas, *read, false) : TPixelCanvas::Of(canvas);
    if (!pixels) return std::nullopt;
    TSmoothStrokes strokes(*pixels);
    strokes.FRadius = pen.widthF() / 2;
    strokes.FColor = 0xff000000u | (pen.color().rgb() & 0xffffffu);
    strokes.FRoundEnds = pen.capStyle() == Qt::RoundCap;
    strokes.FBeyond = pen.capStyle() == Qt::SquareCap ? strokes.FRadius : 0;
    return strokes;
}

void TSmoothStrokes::Chain(std::span<const QPoint> pts) const {
    if (FRoundEnds)
        Stroke(pts, false);
    else
        StraightEnds(pts);
}

void TSmoothStrokes::Chain(std::span<const QPointF> pts) const {
    if (FRoundEnds)
        Stroke(pts, false);
    else
        StraightEnds(pts);
}

template <class TPoint> void TSmoothStrokes::StraightEnds(std::span<const TPoint> pts) const {
    // Repeated points are left out: an end is straight across the first segment that goes
    // somewhere.
    std::vector<QPointF>& chain = Scratch().Ends;
    chain.clear();
    for (const TPoint& p : pts)
        if (chain.empty() || QPointF(p) != chain.back()) chain.push_back(QPointF(p));
    if (chain.empty()) return;
    if (chain.size() == 1) {
        // A square cap of a single point is the pen's square along the rows.
        if (FBeyond == 0) return;
        const QPointF p = chain[0];
        chain = {p - QPointF(FBeyond, 0), p + QPointF(FBeyond, 0)};
    } else if (FBeyond > 0) {
        auto carry = [&](QPointF& end, QPointF from) {
            const QPointF d = end - from;
            const double l = std::hypot(d.x(), d.y());
            end += d * (FBeyond / l);
        };
        carry(chain.front(), chain[1]);
        carry(chain.back(), chain[chain.size() - 2]);
    }
    Stroke(std::span<const QPointF>(chain), true);
}

bool TSmoothStrokes::Reaches(std::span<const QPointF> pts) const {
    if (pts.empty()) return false;
    double x0 = pts[0].x(), x1 = x0, y0 = pts[0].y(), y1 = y0;
    for (const QPointF& p : pts) {
        x0 = std::min(x0, p.x()), x1 = std::max(x1, p.x());
        y0 = std::min(y0, p.y()), y1 = std::max(y1, p.y());
    }
    const double reach = FRadius + 2;
    const QRectF clip = QRectF(FCanvas.Clip).translated(-FCanvas.Offset);
    return x1 + reach >= clip.left() && x0 - reach <= clip.right() && y1 + reach >= clip.top() &&
           y0 - reach <= clip.bottom();
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
    Chain(std::span<const QPointF>(flat));
}

template <class TPoint> void TSmoothStrokes::Stroke(std::span<const TPoint> pts, bool flat) const {
    const QRect& clip = FCanvas.Clip;
    if (pts.size() < 2 || clip.isEmpty()) return;
    const TPenReach pen(FRadius);
    const double reach = FRadius + kHalfDiagonal + 0.01;
    // Beyond a straight end the corners of the stroke reach further from the end's point.
    const double cornerReach = std::hypot(FRadius + kHalfDiagonal, kHalfDiagonal) + 0.01;
    // Centres within this of the chain are wholly covered.
    const double inner = FRadius - kHalfDiagonal - 0.01;
    const bool wide = FRadius >= kHalfDiagonal;
    // Beyond this box a segment touches no pixel of the clip, nor do the ends it is cut to.
    const double boxReach = flat ? cornerReach : reach;
    const QRectF box =
        QRectF(clip).adjusted(-boxReach - 2, -boxReach - 2, boxReach + 2, boxReach + 2);
    TScratch& scratch = Scratch();
    std::vector<TStrokeSegment>& segments = scratch.Segments;
    segments.clear();
    // A chain with straight ends has no repeated points (see StraightEnds).
    std::optional<TStraightEnd> start, end;
    if (flat) {
        const QPointF o = FCanvas.Offset;
        start.emplace(QPointF(pts[0]) + o, QPointF(pts[1]) + o);
        end.emplace(QPointF(pts[pts.size() - 1]) + o, QPointF(pts[pts.size() - 2]) + o);
    }
    size_t last = 0;
    for (size_t i = 0; i + 1 < pts.size(); ++i) {
        QPointF a = QPointF(pts[i]) + FCanvas.Offset, b = QPointF(pts[i + 1]) + FCanvas.Offset;
        if (!CutToRect(a, b, box)) continue;
        TStrokeSegment s(a, b);
        s.FlatA = flat && i == 0, s.FlatB = flat && i + 2 == pts.size();
        if (flat) {
            // Joints within a pen's reach of a straight end would bulge behind it.
            const double near2 = (FRadius + 1) * (FRadius + 1);
            auto close = [&](const TStraightEnd& e) {
                return (a.x() - e.X) * (a.x() - e.X) + (a.y() - e.Y) * (a.y() - e.Y) < near2 ||
                       (b.x() - e.X) * (b.x() - e.X) + (b.y() - e.Y) * (b.y() - e.Y) < near2;
            };
            if (s.FlatA || close(*start)) s.CutA = &*start;
            if (s.FlatB || close(*end)) s.CutB = &*end;
        }
        const bool straight = s.FlatA || s.FlatB;
        const double outer = straight ? cornerReach : reach;
        // Beside the segment a pixel's square reaches half its extent across it; a centre
        // less than a thousandth of a pixel inside that gets a share below half a level
        // (and one on it, as on the edges of even strokes along the rows, none). The sides
        // of the outer reach stay within its ends' circles, so its rows are single runs.
        s.SetReach(s.Outer, outer, FRadius + s.Side.HalfSum - 0.001);
        s.SetReach(s.Inner, std::max(0.0, inner), std::max(0.0, inner));
        // A centre less than a thousandth of a pixel beyond where a pixel's square lies
        // wholly inside a wide pen's edge still gets the full level.
        s.SetReach(s.Full, 0, FRadius - s.Side.HalfSum + 0.001);
        // Rows whose centres lie within reach of the segment.
        s.Top = std::max(clip.top(), int(std::floor(std::min(s.Ay, s.By) - outer - 0.5)));
        s.Bottom = std::min(clip.bottom(), int(std::ceil(std::max(s.Ay, s.By) + outer - 0.5)));
        if (s.Top > s.Bottom) continue;
        if (!segments.empty() && last + 1 == i) {
            TStrokeSegment& before = segments.back();
            if (before.Bx == s.Ax && before.By == s.Ay && before.Length > 0 && s.Length > 0 &&
                before.Ux * s.Ux + before.Uy * s.Uy >= kSmoothTurn)
                before.SmoothB = s.SmoothA = true;
        }
        segments.push_back(s);
        last = i;
    }
    if (segments.empty()) return;
    std::sort(segments.begin(), segments.end(),
              [](const TStrokeSegment& a, const TStrokeSegment& b) { return a.Top < b.Top; });

    std::vector<uint8_t>& row = scratch.Row;
    if (row.size() < size_t(clip.width())) row.resize(size_t(clip.width()), 0);
    std::vector<const TStrokeSegment*>& active = scratch.Active;
    if (scratch.Reaches.size() < segments.size()) scratch.Reaches.resize(segments.size());
    TRowReach* const rowReaches = scratch.Reaches.data();
    std::vector<TSpan>& full = scratch.Full;
    std::vector<int>& gaps = scratch.Gaps;
    std::vector<TPiece>& pieces = scratch.Pieces;
    if (full.size() < segments.size()) full.resize(segments.size());
    if (gaps.size() <= segments.size()) gaps.resize(segments.size() + 1);
    if (active.size() < segments.size()) active.resize(segments.size());
    const TStrokeSegment** const live = active.data();
    size_t alive = 0; // segments that reach the row or a later one
    // The scratch stays put while the rows are worked out.
    const TStrokeSegment* const sorted = segments.data();
    const size_t total = segments.size();
    TSpan* const fullRuns = full.data();
    int* const gapPieces = gaps.data();
    uint8_t* const cells = row.data();
    const int left = clip.left(), right = clip.right(), bottom = clip.bottom();
    size_t next = 0;
    for (int y = sorted[0].Top;; ++y) {
        if (alive == 0) {
            if (next == total) break;
            y = std::max(y, sorted[next].Top);
        }
        while (next < total && sorted[next].Top <= y) live[alive++] = &sorted[next++];
        const double yc = y + 0.5;
        uint32_t* line = FCanvas.Row(y);
        size_t count = 0, kept = 0;
        for (size_t i = 0; i < alive; ++i) {
            const TStrokeSegment* s = live[i];
            if (s->Bottom > y) live[kept++] = s;
            double xlo, xhi;
            if (!s->Chord(s->Outer, yc, xlo, xhi)) continue;
            const int x0 = FirstAround(std::max(xlo, double(left)));
            const int x1 = LastAround(std::min(xhi, right + 0.75));
            if (x0 > x1) continue;
            int full0 = x1 + 1, full1 = x1;
            // Beside a smooth run of segments their bands cover what the pen covers wholly
            // but a sliver at each joint; at the ends of a run the circles cover more.
            // Where an end is straight, only centres beside the segment within it; near the
            // chain's straight ends, none.
            const bool straight = s->CutA || s->CutB;
            if (straight ? (s->CutA == nullptr) == !s->FlatA && (s->CutB == nullptr) == !s->FlatB &&
                               wide && s->Across(s->Full, yc, xlo, xhi) &&
                               s->WithinStraightEnds(yc, xlo, xhi)
                : s->SmoothA && s->SmoothB ? wide && s->Beside(s->Full, yc, xlo, xhi)
                                           : (wide && s->Across(s->Full, yc, xlo, xhi)) ||
                                                 (inner > 0 && s->Chord(s->Inner, yc, xlo, xhi))) {
                // The perpendiculars of a segment near the columns cross the row far away.
                full0 = FirstWithin(std::max(xlo, double(x0)));
                full1 = LastWithin(std::min(xhi, x1 + 0.75));
                if (full0 > full1) full0 = x1 + 1, full1 = x1;
            }
            TRowReach& r = rowReaches[count++];
            r.S = s, r.X0 = x0, r.X1 = x1, r.Full0 = full0, r.Full1 = full1;
        }
        alive = kept;
        const std::span<TRowReach> reaches(rowReaches, count);
        auto blend = [&](int x, uint32_t level) {
            line[x] = level == 255 ? FColor : BlendOpaque(FColor, level, line[x]);
        };
        if (reaches.size() == 1) {
            // Each pixel takes the coverage of the one segment.
            const TRowReach& r = reaches.front();
            if (r.Full0 <= r.Full1)
                FillPixels(line + r.Full0, size_t(r.Full1 - r.Full0 + 1), FColor);
            if (r.X0 < r.Full0 || r.Full1 < r.X1)
                TRowCoverage(*r.S, pen, yc).Levels(r.X0, r.X1, r.Full0, r.Full1, blend);
        } else if (reaches.size() > 1) {
            // Centres well inside any segment's stroke are covered without asking, and
            // whatever else reaches such a pixel would leave it as it is: they are filled once.
            // The other pixels a segment reaches take its coverage, or the most of those of the
            // segments that reach them, blended once.
            const size_t n = UniteFullRuns(reaches, fullRuns);
            for (size_t i = 0; i < n; ++i)
                FillPixels(line + fullRuns[i].X0, size_t(fullRuns[i].X1 - fullRuns[i].X0 + 1),
                           FColor);
            std::fill_n(gapPieces, n + 1, 0);
            if (pieces.size() < count * (n + 1)) pieces.resize(count * (n + 1));
            TPiece* const piece = pieces.data();
            size_t edges = 0;
            for (TRowReach& r : reaches) AddPieces(r, fullRuns, n, piece, edges, gapPieces);
            // A gap with one piece is blended straight; the others gather the most in the
            // row's cells first.
            auto most = [&](int x, uint32_t level) {
                cells[x - left] = std::max(cells[x - left], uint8_t(level));
            };
            for (const TRowReach& r : reaches) {
                if (r.Pieces0 == r.Pieces1) continue;
                const TRowCoverage coverage(*r.S, pen, yc);
                for (size_t i = r.Pieces0; i < r.Pieces1; ++i) {
                    const TPiece& p = piece[i];
                    if (gapPieces[p.Gap] == 1)
                        coverage.Levels(p.X0, p.X1, blend);
                    else
                        coverage.Levels(p.X0, p.X1, most);
                }
            }
            for (const TPiece& p : std::span(piece, edges))
                if (gapPieces[p.Gap] > 1)
                    for (int x = p.X0; x <= p.X1; ++x)
                        if (const uint32_t level = cells[x - left])
                            blend(x, level), cells[x - left] = 0;
        }
        if (y >= bottom) break;
    }
}

} // namespace tsivor::mapview
