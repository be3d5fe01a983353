#include "mapview/SmoothFills.h"

#include <QBrush>
#include <QRgba64>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <type_traits>
#include <vector>

namespace tsivor::mapview {

namespace {

// Sub-pixel units per pixel in which Qt's smoothing rasteriser steps edges; rings come to it in
// 1/64 of a pixel.
constexpr int64_t kOne = 256;
constexpr int kToOne = 4;
// The largest device coordinate Qt's fixed point holds on 64-bit machines.
constexpr double kReach = (1 << 23) - 1;

// The rows of a figure are worked through in bands of at most this many cells, or one row.
constexpr int kBandCells = 1 << 15;

// Quotient rounded down and the remainder 0..divisor-1 of a division by a positive divisor.
struct TFloorDivision {
    int64_t Quotient, Remainder;
};

inline TFloorDivision FloorDivide(int64_t dividend, int64_t divisor) {
    int64_t q = dividend / divisor, r = dividend % divisor;
    if (r < 0) --q, r += divisor;
    return {q, r};
}

// A point of a ring in sub-pixel units.
struct TFixed {
    int64_t X, Y;
};

// Where the edge from A to B crosses the lines between rows, line after line downwards. Qt
// steps an edge from its first point A and rounds each crossing down from A's side: the
// crossing with line L (at y = L * kOne) is A.X + Q, Q = floor(|L * kOne - A.Y| * DX / D),
// D = |B.Y - A.Y|; the first is computed outright, the next ones stepped. Only lines strictly
// within the edge are asked for, so |L * kOne - A.Y| < D. A ring spans at most kReach pixels
// each way (wider ones are left to Qt), hence |DX| and D are at most kReach * kOne + kToOne <
// 2^31, and their product fits 64 bits.
class TCrossings {
public:
    // From the crossing with the line, followed by the next ones when more.
    TCrossings(TFixed a, TFixed b, int64_t line, bool more) : FAX(a.X), FD(std::abs(b.Y - a.Y)) {
        const int64_t dx = b.X - a.X;
        const auto [q, m] = FloorDivide(std::abs(line * kOne - a.Y) * dx, FD);
        FQ = q, FM = m;
        if (!more) return;
        const auto [lift, rem] = FloorDivide(kOne * dx, FD);
        if (b.Y > a.Y) { // lines below A move away from it
            FLift = lift, FRem = rem;
        } else if (rem == 0) { // lines above A come nearer: a line takes lift and rem off
            FLift = -lift;
        } else {
            FLift = -lift - 1, FRem = FD - rem;
        }
    }

    int64_t X() const { return FAX + FQ; }

    // The crossing with the next line.
    int64_t Next() {
        FQ += FLift, FM += FRem;
        if (FM >= FD) FM -= FD, ++FQ;
        return FAX + FQ;
    }

private:
    const int64_t FAX, FD;
    int64_t FQ, FM;              // FQ * D + FM = |line * kOne - A.Y| * DX for the last line
    int64_t FLift = 0, FRem = 0; // a line's step of FQ and FM, FRem 0..D - 1
};

// An edge of a ring from point First to the next, by the rows of the figure it crosses.
struct TEdgeRows {
    uint32_t First;
    int32_t Top, Bottom;
};

// Scratch kept per thread: both bands of a frame fill at once. The cells are all zero
// between figures.
struct TScratch {
    std::vector<TFixed> Points;
    std::vector<int32_t> Covers;
    std::vector<int64_t> Areas;
    std::vector<uint64_t> Marks;
    std::vector<int32_t> LeftCovers;
    std::vector<TEdgeRows> Edges, Sorted, Active;
    std::vector<uint32_t> BandStarts;
};

TScratch& Scratch() {
    thread_local TScratch scratch;
    return scratch;
}

// The coverage 0-255 of a cell's doubled area (in units of 1/256 of a pixel squared) by the
// odd-even rule, as Qt cuts it down to 9 bits: the low 9 bits of the magnitude folded about
// 256. Folded, the low 9 bits of the area itself give the same, so a table gives the level.
constexpr auto kOddEvenLevels = [] {
    std::array<uint8_t, 512> levels{};
    for (int bits = 0; bits < 512; ++bits)
        levels[size_t(bits)] = uint8_t(bits > 256 ? 512 - bits : std::min(bits, 255));
    return levels;
}();

inline uint32_t OddEvenLevel(int64_t area) {
    return kOddEvenLevels[size_t((area >> 9) & 511)];
}

// The brush's colour as Qt's raster engine blends a solid fill: its alpha scaled by the
// canvas's opacity in 1/256 steps, premultiplied in 16 bits, then taken to 8.
uint32_t QtSolidColor(const QColor& color, qreal opacity) {
    const auto opacity256 = uint32_t(opacity * 256);
    if (opacity256 == 0) return 0;
    const QRgba64 c = color.rgba64();
    // Figures drawn one after another mostly share their brush: the last colour is kept.
    thread_local struct {
        quint64 Color = 0;
        uint32_t Opacity = 0, Result = 0;
    } last;
    if (last.Opacity == opacity256 && last.Color == quint64(c)) return last.Result;
    const QRgba64 scaled =
        QRgba64::fromRgba64(c.red(), c.green(), c.blue(), quint16((c.alpha() * opacity256) >> 8));
    last.Color = quint64(c), last.Opacity = opacity256;
    return last.Result = QColor(qPremultiply(scaled)).rgba();
}

// Sets n pixels to color + ByteMul(pixel, rest) each, four at a time in 16-bit parts, where
// every product, its rounding and the sum stay below 2^16 just as in ByteMul's.
void BlendOver(uint32_t* pixels, size_t n, uint32_t color, uint32_t rest) {
    size_t i = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
    const __m128i ink = _mm_set1_epi32(int(color)), keep = _mm_set1_epi16(short(rest));
    auto scaled = [&](__m128i channels) {
        const __m128i product = _mm_mullo_epi16(channels, keep);
        return _mm_srli_epi16(
            _mm_add_epi16(_mm_add_epi16(product, _mm_srli_epi16(product, 8)), half), 8);
    };
    for (; i + 4 <= n; i += 4) {
        auto* at = reinterpret_cast<__m128i*>(pixels + i);
        const __m128i four = _mm_loadu_si128(at);
        const __m128i low = scaled(_mm_unpacklo_epi8(four, zero));
        const __m128i high = scaled(_mm_unpackhi_epi8(four, zero));
        _mm_storeu_si128(at, _mm_add_epi32(ink, _mm_packus_epi16(low, high)));
    }
#endif
    for (; i < n; ++i) pixels[i] = color + ByteMul(pixels[i], rest);
}

// The premultiplied colour times each coverage 0-255, as Qt scales a solid colour for a
// smoothed pixel, for the colour asked last on this thread: figures one after another mostly
// share their brush.
const uint32_t* ScaledColors(uint32_t color) {
    thread_local struct {
        bool Set = false;
        uint32_t Color = 0;
        std::array<uint32_t, 256> Scaled{};
    } last;
    if (!last.Set || last.Color != color) {
        for (uint32_t coverage = 0; coverage < 255; ++coverage)
            last.Scaled[coverage] = ByteMul(color, coverage);
        last.Scaled[255] = color;
        last.Set = true, last.Color = color;
    }
    return last.Scaled.data();
}

// Pixels from..to of a line blended with a premultiplied colour, as Qt's span functions blend
// a solid colour.
inline void PaintSolid(uint32_t* line, int from, int to, uint32_t color) {
    const uint32_t rest = 255 - (color >> 24);
    // Most runs are single edge pixels.
    if (from == to)
        line[from] = rest == 0 ? color : color + ByteMul(line[from], rest);
    else if (rest == 0)
        FillPixels(line + from, size_t(to - from + 1), color);
    else
        BlendOver(line + from, size_t(to - from + 1), color, rest);
}

// Qt takes a polygon that is an upright rectangle, from its top left corner clockwise and
// closed or not, for a rectangle and smooths it by other means.
template <class TPoint> bool QtRectangle(std::span<const TPoint> ring) {
    if (ring.size() == 5 && ring[4] != ring[0]) return false;
    if (ring.size() != 4 && ring.size() != 5) return false;
    return ring[0].x() == ring[3].x() && ring[1].x() == ring[2].x() && ring[0].y() == ring[1].y() &&
           ring[2].y() == ring[3].y() && ring[0].x() < ring[2].x() && ring[0].y() < ring[2].y();
}

// The extremes of a ring's points in sub-pixel units.
struct TReach {
    int64_t MinX, MinY, MaxX, MaxY;
};

// Qt's points of the ring moved by offset: in 1/64 of a pixel rounded half away from zero,
// given here in sub-pixel units; nullopt when one lies beyond kReach or the ring spans more.
template <class TPoint>
std::optional<TReach> ToFixed(std::span<const TPoint> ring, QPointF offset, std::span<TFixed> to) {
    const double ox = offset.x(), oy = offset.y();
    if constexpr (std::is_same_v<TPoint, QPoint>) {
        // Whole points moved by whole pixels stay whole: no rounding, all in integers.
        const auto wx = int64_t(ox), wy = int64_t(oy);
        if (std::abs(ox) < kReach && std::abs(oy) < kReach && double(wx) == ox &&
            double(wy) == oy) {
            const auto reach = int64_t(kReach);
            int64_t x0 = ring[0].x() + wx, x1 = x0, y0 = ring[0].y() + wy, y1 = y0;
            for (size_t i = 0; i < ring.size(); ++i) {
                const int64_t x = ring[i].x() + wx, y = ring[i].y() + wy;
                x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y),
                y1 = std::max(y1, y);
                to[i] = {x * kOne, y * kOne};
            }
            if (x0 < -reach || x1 > reach || y0 < -reach || y1 > reach || x1 - x0 > reach ||
                y1 - y0 > reach)
                return std::nullopt;
            return TReach{x0 * kOne, y0 * kOne, x1 * kOne, y1 * kOne};
        }
    }
    // Each coordinate rounded as qRound rounds: half away from zero, then cut.
#ifdef __SSE2__
    // Both coordinates at once.
    const __m128d shift = _mm_set_pd(oy, ox), sign = _mm_set1_pd(-0.0);
    const __m128d reach = _mm_set1_pd(kReach), half = _mm_set1_pd(0.5), scale = _mm_set1_pd(64);
    auto fixed = [&](__m128d at) {
        const __m128d scaled = _mm_mul_pd(at, scale);
        const __m128i whole =
            _mm_cvttpd_epi32(_mm_add_pd(scaled, _mm_or_pd(_mm_and_pd(scaled, sign), half)));
        return TFixed{int64_t(_mm_cvtsi128_si32(whole)) * kToOne,
                      int64_t(_mm_cvtsi128_si32(_mm_srli_si128(whole, 4))) * kToOne};
    };
    __m128d low = _mm_add_pd(_mm_set_pd(ring[0].y(), ring[0].x()), shift), high = low;
    for (size_t i = 0; i < ring.size(); ++i) {
        const __m128d at = _mm_add_pd(_mm_set_pd(ring[i].y(), ring[i].x()), shift);
        // Not within the reach, or not a number.
        if (_mm_movemask_pd(_mm_cmple_pd(_mm_andnot_pd(sign, at), reach)) != 3) return std::nullopt;
        low = _mm_min_pd(low, at), high = _mm_max_pd(high, at);
        to[i] = fixed(at);
    }
    if (_mm_movemask_pd(_mm_cmpgt_pd(_mm_sub_pd(high, low), reach)) != 0) return std::nullopt;
    // Rounding keeps the order of points: the extremes rounded are those of the points rounded.
    const TFixed least = fixed(low), most = fixed(high);
    return TReach{least.X, least.Y, most.X, most.Y};
#else
    auto whole = [](double v) {
        const double scaled = v * 64;
        return int64_t(int(scaled + std::copysign(0.5, scaled))) * kToOne;
    };
    double x0 = ring[0].x() + ox, x1 = x0, y0 = ring[0].y() + oy, y1 = y0;
    for (size_t i = 0; i < ring.size(); ++i) {
        const double x = ring[i].x() + ox, y = ring[i].y() + oy;
        // Not within the reach, or not a number.
        if (!(std::abs(x) <= kReach && std::abs(y) <= kReach)) return std::nullopt;
        x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
        to[i] = TFixed{whole(x), whole(y)};
    }
    if (x1 - x0 > kReach || y1 - y0 > kReach) return std::nullopt;
    return TReach{whole(x0), whole(y0), whole(x1), whole(y1)};
#endif
}

// What the edges leave in the cells of a band of rows, columns left..right, in the scratch
// storage: per cell its cover and area, per row the covers left of the columns summed; what
// lies right of them never shows.
class TBandCells {
public:
    // Rows top..bottom.
    TBandCells(TScratch& scratch, int left, int right, int top, int bottom)
        : FLeft(left), FRight(right), FWidth(right - left + 1), FWords((FWidth + 63) / 64),
          FTop(top), FBottom(bottom) {
        const auto rows = size_t(bottom - top + 1);
        if (scratch.Covers.size() < size_t(FWidth) * rows) {
            scratch.Covers.resize(size_t(FWidth) * rows, 0);
            scratch.Areas.resize(size_t(FWidth) * rows, 0);
        }
        if (scratch.Marks.size() < size_t(FWords) * rows)
            scratch.Marks.resize(size_t(FWords) * rows, 0);
        if (scratch.LeftCovers.size() < rows) scratch.LeftCovers.resize(rows, 0);
        FCovers = scratch.Covers.data(), FAreas = scratch.Areas.data();
        FMarks = scratch.Marks.data(), FLeftCovers = scratch.LeftCovers.data();
    }

    // The pieces of the edge from a to b within the rows, as Qt steps it from a.
    [[gnu::always_inline]] void Edge(TFixed a, TFixed b) {
        if (a.Y == b.Y) return;
        const bool down = b.Y > a.Y;
        const TFixed upper = down ? a : b, lower = down ? b : a;
        const int64_t first = std::max<int64_t>(upper.Y >> 8, FTop);
        const int64_t last = std::min<int64_t>(((lower.Y + kOne - 1) >> 8) - 1, FBottom);
        if (first > last) return;
        int64_t rowTop = first * kOne;
        // Every crossing lies between the ends: an edge right of the columns leaves nothing,
        // one left of them its cover in each row.
        if (std::min(a.X, b.X) >> 8 > FRight) return;
        if (std::max(a.X, b.X) >> 8 < FLeft) {
            for (int64_t y = first; y <= last; ++y, rowTop += kOne) {
                const int64_t cover = std::min(rowTop + kOne, lower.Y) - std::max(rowTop, upper.Y);
                FLeftCovers[y - FTop] += int32_t(down ? cover : -cover);
            }
            return;
        }
        if (rowTop + kOne >= lower.Y && rowTop <= upper.Y) { // within one row
            Piece(int(first - FTop), a.X, a.Y - rowTop, b.X, b.Y - rowTop);
            return;
        }
        // The lines crossed: the first row's top when the edge enters it there, then those
        // below the rows down to the last, within the edge.
        const bool entering = rowTop > upper.Y;
        const int64_t firstLine = entering ? first : first + 1;
        const int64_t lastLine = std::min(last + 1, (lower.Y - 1) >> 8);
        TCrossings crossings(a, b, firstLine, lastLine > firstLine);
        auto piece = [&](int64_t y, int64_t xTop, int64_t yTop, int64_t xBottom, int64_t yBottom) {
            if (down)
                Piece(int(y - FTop), xTop, yTop, xBottom, yBottom);
            else
                Piece(int(y - FTop), xBottom, yBottom, xTop, yTop);
        };
        int64_t x = entering ? crossings.X() : upper.X;
        {
            const int64_t next = rowTop + kOne >= lower.Y ? lower.X
                                 : entering               ? crossings.Next()
                                                          : crossings.X();
            piece(first, x, std::max(rowTop, upper.Y) - rowTop, next,
                  std::min(rowTop + kOne, lower.Y) - rowTop);
            x = next;
        }
        // Below the first row an edge comes in through the top.
        for (int64_t y = first + 1; y <= last; ++y) {
            rowTop += kOne;
            if (rowTop + kOne < lower.Y) {
                const int64_t next = crossings.Next();
                piece(y, x, 0, next, kOne);
                x = next;
            } else {
                piece(y, x, 0, lower.X, lower.Y - rowTop);
            }
        }
    }

    // Calls paint(line, y, from, to, level) for the runs of pixels with a coverage of each row
    // of the band in turn, left to right, and clears the rows; line is the row's pixels, the
    // first row's at first, each next one stride bytes on.
    template <class TPaint> void Sweep(uchar* first, qsizetype stride, const TPaint& paint) {
        int32_t* covers = FCovers;
        int64_t* areas = FAreas;
        uint64_t* marks = FMarks;
        uchar* pixels = first;
        for (int y = FTop; y <= FBottom; ++y) {
            auto* line = reinterpret_cast<uint32_t*>(pixels);
            int64_t cover = FLeftCovers[y - FTop];
            int from = FLeft;
            for (int word = 0; word < FWords; ++word) {
                for (uint64_t bits = marks[word]; bits != 0; bits &= bits - 1) {
                    const int cell = word * 64 + std::countr_zero(bits);
                    const int x = FLeft + cell;
                    if (x > from && cover != 0)
                        if (const uint32_t level = OddEvenLevel(cover * 2 * kOne))
                            paint(line, y, from, x - 1, level);
                    cover += covers[cell];
                    if (const uint32_t level = OddEvenLevel(cover * 2 * kOne - areas[cell]))
                        paint(line, y, x, x, level);
                    covers[cell] = 0, areas[cell] = 0;
                    from = x + 1;
                }
                marks[word] = 0;
            }
            if (from <= FRight && cover != 0)
                if (const uint32_t level = OddEvenLevel(cover * 2 * kOne))
                    paint(line, y, from, FRight, level);
            FLeftCovers[y - FTop] = 0;
            covers += FWidth, areas += FWidth, marks += FWords, pixels += stride;
        }
    }

private:
    // A piece of edge within the row from (x1, y1) to (x2, y2), y from 0 (the row's top) to
    // kOne, split among the cells it crosses as Qt splits it, from its first end.
    void Piece(int row, int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
        if (y1 == y2) return;
        const int64_t ex = x1 >> 8;
        if (ex == x2 >> 8)
            Add(row, ex, y2 - y1, ((x1 & (kOne - 1)) + (x2 & (kOne - 1))) * (y2 - y1));
        else if (std::min(ex, x2 >> 8) > FRight) // beyond the columns
            return;
        else if (std::max(ex, x2 >> 8) < FLeft)
            FLeftCovers[row] += int32_t(y2 - y1);
        else
            Across(row, x1, y1, x2, y2);
    }

    // A piece through more than one cell, not all of them on one side of the columns. What it
    // writes is reached through locals: the cells could otherwise be the members, to be read
    // again after each write.
    [[gnu::noinline]] void Across(int row, int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
        const int64_t left = FLeft, right = FRight;
        int64_t ex1 = x1 >> 8;
        const int64_t ex2 = x2 >> 8;
        const int64_t fx1 = x1 & (kOne - 1), fx2 = x2 & (kOne - 1);
        int32_t& leftCover = FLeftCovers[row];
        int32_t* const covers = FCovers + ptrdiff_t(row) * FWidth;
        int64_t* const areas = FAreas + ptrdiff_t(row) * FWidth;
        uint64_t* const marks = FMarks + ptrdiff_t(row) * FWords;
        auto within = [&](int64_t column, int64_t cover, int64_t area) {
            const int64_t cell = column - left;
            marks[cell >> 6] |= uint64_t(1) << (cell & 63);
            covers[cell] += int32_t(cover);
            areas[cell] += area;
        };
        auto add = [&](int64_t column, int64_t cover, int64_t area) {
            if (column > right) return;
            if (column < left)
                leftCover += int32_t(cover);
            else
                within(column, cover, area);
        };
        const int64_t dy = y2 - y1;
        int64_t dx = x2 - x1, p, first, step;
        if (dx > 0) {
            p = (kOne - fx1) * dy, first = kOne, step = 1;
        } else {
            p = fx1 * dy, first = 0, step = -1, dx = -dx;
        }
        auto [delta, mod] = FloorDivide(p, dx);
        add(ex1, delta, (fx1 + first) * delta);
        y1 += delta, ex1 += step;
        if (ex1 != ex2) {
            const auto [lift, rem] = FloorDivide(kOne * dy, dx);
            // Whole cells beyond the columns on the side the piece starts: their covers at once.
            const int64_t off = step > 0 ? std::min(left, ex2) - ex1 : ex1 - std::max(right, ex2);
            if (off > 0) {
                const int64_t t = mod + off * rem;
                const int64_t rise = off * lift + t / dx;
                mod = t % dx;
                if (step > 0) leftCover += int32_t(rise);
                y1 += rise, ex1 += step * off;
            }
            // The cells between within the columns, then what lies beyond them.
            const int64_t stop = step > 0 ? std::min(ex2, right + 1) : std::max(ex2, left - 1);
            for (; ex1 != stop; ex1 += step) {
                delta = lift, mod += rem;
                if (mod >= dx) mod -= dx, ++delta;
                within(ex1, delta, kOne * delta);
                y1 += delta;
            }
            if (ex1 != ex2) {
                if (step < 0) leftCover += int32_t(y2 - y1);
                return;
            }
        }
        add(ex2, y2 - y1, (kOne - first + fx2) * (y2 - y1));
    }

    void Add(int row, int64_t column, int64_t cover, int64_t area) {
        if (column > FRight) return;
        if (column < FLeft) {
            FLeftCovers[row] += int32_t(cover);
            return;
        }
        const auto cell = ptrdiff_t(column - FLeft);
        FMarks[ptrdiff_t(row) * FWords + (cell >> 6)] |= uint64_t(1) << (cell & 63);
        FCovers[ptrdiff_t(row) * FWidth + cell] += int32_t(cover);
        FAreas[ptrdiff_t(row) * FWidth + cell] += area;
    }

    const int FLeft, FRight, FWidth, FWords, FTop, FBottom;
    int32_t* FCovers;
    int64_t* FAreas;
    uint64_t* FMarks; // a bit per cell given something, read in order
    int32_t* FLeftCovers;
};

// The rows of the edge from a to b among rows top..bottom: Top > Bottom when none.
inline TEdgeRows RowsOf(uint32_t first, TFixed a, TFixed b, int top, int bottom) {
    const int64_t upper = std::min(a.Y, b.Y), lower = std::max(a.Y, b.Y);
    if (upper == lower) return {first, 1, 0};
    return {first, int32_t(std::max<int64_t>(upper >> 8, top)),
            int32_t(std::min<int64_t>(((lower + kOne - 1) >> 8) - 1, bottom))};
}

// Calls fill(cells, bandTop, bandBottom) for the bands of rows of at most rows rows between top
// and bottom, the cells given what the ring's edges leave in them. An edge is stepped in the
// bands it crosses only.
template <class TFill>
void EachBand(TScratch& scratch, std::span<const TFixed> points, int left, int right, int top,
              int bottom, int rows, const TFill& fill) {
    const size_t n = points.size();
    auto next = [n](size_t i) { return i + 1 < n ? i + 1 : 0; };
    const auto bands = size_t((bottom - top) / rows + 1);
    // Over more than one band, the edges that show sorted by the band they start in.
    std::vector<uint32_t>& starts = scratch.BandStarts;
    std::vector<TEdgeRows>& sorted = scratch.Sorted;
    std::vector<TEdgeRows>& active = scratch.Active;
    if (bands > 1) {
        starts.assign(bands + 1, 0);
        std::vector<TEdgeRows>& edges = scratch.Edges;
        edges.clear();
        for (size_t i = 0; i < n; ++i) {
            const TEdgeRows e = RowsOf(uint32_t(i), points[i], points[next(i)], top, bottom);
            if (e.Top > e.Bottom) continue;
            edges.push_back(e);
            ++starts[size_t((e.Top - top) / rows) + 1];
        }
        for (size_t b = 1; b <= bands; ++b) starts[b] += starts[b - 1];
        sorted.resize(edges.size());
        // Afterwards starts[b] is where band b + 1 begins.
        for (const TEdgeRows& e : edges) sorted[starts[size_t((e.Top - top) / rows)]++] = e;
        active.clear();
    }
    size_t taken = 0;
    for (size_t b = 0; b < bands; ++b) {
        const int bandTop = top + int(b) * rows;
        const int bandBottom = std::min(bottom, bandTop + rows - 1);
        TBandCells cells(scratch, left, right, bandTop, bandBottom);
        if (bands == 1) {
            for (size_t i = 0; i < n; ++i) cells.Edge(points[i], points[next(i)]);
        } else {
            for (; taken < starts[b]; ++taken) active.push_back(sorted[taken]);
            size_t kept = 0;
            for (const TEdgeRows& e : active) {
                cells.Edge(points[e.First], points[next(e.First)]);
                if (e.Bottom > bandBottom) active[kept++] = e;
            }
            active.resize(kept);
        }
        fill(cells, bandTop, bandBottom);
    }
}

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

bool TSmoothFills::OddEven(std::span<const QPoint> ring) const {
    return Fill(ring);
}

bool TSmoothFills::OddEven(std::span<const QPointF> ring) const {
    return Fill(ring);
}

template <class TPoint> bool TSmoothFills::Fill(std::span<const TPoint> ring) const {
    bool done = false;
    WithPaint([&](const auto& paint) { done = Rasterise(ring, FColor != 0 || FPattern, paint); });
    return done;
}

bool TSmoothFills::Trace(std::span<const QPoint> ring, QPoint corner,
                         std::vector<TSpan>& spans) const {
    return Rasterise(ring, true, [&](uint32_t*, int y, int from, int to, uint32_t level) {
        spans.push_back({int16_t(from - corner.x()), int16_t(y - corner.y()),
                         int16_t(to - from + 1), uint8_t(level)});
    });
}

void TSmoothFills::Replay(std::span<const TSpan> spans, QPoint corner) const {
    if (FColor == 0 && !FPattern) return;
    WithPaint([&](const auto& paint) {
        for (const TSpan& s : spans) {
            const int y = corner.y() + s.Dy, from = corner.x() + s.Dx;
            paint(FCanvas.Row(y), y, from, from + s.Length - 1, s.Level);
        }
    });
}

template <class TEach> void TSmoothFills::WithPaint(const TEach& each) const {
    if (FPattern) {
        each([&](uint32_t* line, int y, int from, int to, uint32_t level) {
            FPattern->Paint(line, y, from, to, level);
        });
    } else {
        const uint32_t* inks = ScaledColors(FColor);
        each([inks](uint32_t* line, int, int from, int to, uint32_t level) {
            PaintSolid(line, from, to, inks[level]);
        });
    }
}

template <class TPoint, class TPaint>
bool TSmoothFills::Rasterise(std::span<const TPoint> ring, bool visible,
                             const TPaint& paint) const {
    if (QtRectangle(ring)) return false;
    const QRect& clip = FCanvas.Clip;
    if (ring.size() < 3) return true;
    TScratch& scratch = Scratch();
    if (scratch.Points.size() < ring.size()) scratch.Points.resize(ring.size());
    const std::span<TFixed> points(scratch.Points.data(), ring.size());
    const auto reach = ToFixed(ring, FCanvas.Offset, points);
    if (!reach) return false;
    if (clip.isEmpty() || !visible) return true;
    const auto [minX, minY, maxX, maxY] = *reach;
    const int top = int(std::max<int64_t>(minY >> 8, clip.top()));
    const int bottom = int(std::min<int64_t>(((maxY + kOne - 1) >> 8) - 1, clip.bottom()));
    const int left = int(std::max<int64_t>(minX >> 8, clip.left()));
    const int right = int(std::min<int64_t>(maxX >> 8, clip.right()));
    // A ring wholly left of the clip leaves each row as much cover rising as falling.
    if (top > bottom || left > right) return true;

    const int rows = std::max(1, kBandCells / (right - left + 1));
    EachBand(scratch, points, left, right, top, bottom, rows,
             [&](TBandCells& cells, int bandTop, int) {
                 cells.Sweep(reinterpret_cast<uchar*>(FCanvas.Row(bandTop)), FCanvas.Stride, paint);
             });
    return true;
}

} // namespace tsivor::mapview
