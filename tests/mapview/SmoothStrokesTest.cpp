// Smoothed wide strokes computed straight into the image: they must look as Qt smooths the
// same strokes, with full coverage inside them, each pixel blended once, nothing outside the
// clip, and every state they do not reproduce left to Qt.
#include "mapview/SmoothStrokes.h"
#include "mapview/DrawPrimitives.h"
#include "mapview/FlatCubics.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

using namespace tsivor::mapview;

namespace {

const QColor kGround(200, 230, 180), kInk(40, 20, 160);
// The largest channel difference of ink and ground.
constexpr int kContrast = 210;

struct TSetting {
    double Width = 3;
    QPointF Shift;
    QRect Clip; // none when null
    QImage::Format Format = QImage::Format_RGB32;
};

// The chain stroked smoothed by Qt or straight into the image.
QImage Stroked(const std::vector<QPoint>& chain, const TSetting& s, bool byQt) {
    QImage img(160, 160, s.Format);
    img.fill(kGround);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (!s.Clip.isNull()) p.setClipRect(s.Clip);
    p.translate(s.Shift);
    p.setPen(QPen(kInk, s.Width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (byQt) {
        p.drawPolyline(chain.data(), int(chain.size()));
    } else {
        const auto strokes = TSmoothStrokes::For(p);
        if (!strokes) {
            ADD_FAILURE() << "no strokes";
            return img;
        }
        strokes->Chain(chain);
    }
    return img.convertToFormat(QImage::Format_RGB32);
}

// The coverage 0-255 a pixel of ink blended over the ground stands for.
int CoverageOf(QRgb pixel) {
    return int(
        std::lround(255.0 * (kGround.green() - qGreen(pixel)) / (kGround.green() - kInk.green())));
}

double DistanceToSegment(QPointF p, QPointF a, QPointF b) {
    const QPointF ab = b - a, ap = p - a;
    const double l2 = QPointF::dotProduct(ab, ab);
    const double t = l2 > 0 ? std::clamp(QPointF::dotProduct(ap, ab) / l2, 0.0, 1.0) : 0.0;
    const QPointF q = a + t * ab - p;
    return std::hypot(q.x(), q.y());
}

// The distance from p to the chain moved by shift.
template <class TPoint>
double DistanceToChain(QPointF p, const std::vector<TPoint>& chain, QPointF shift) {
    double d = std::numeric_limits<double>::infinity();
    for (size_t i = 0; i + 1 < chain.size(); ++i)
        d = std::min(d, DistanceToSegment(p, chain[i] + shift, chain[i + 1] + shift));
    return d;
}

// The share 0-255 of the pixel at (x, y) within r of the chain, by 16 x 16 samples.
template <class TPoint>
int TrueCoverage(int x, int y, const std::vector<TPoint>& chain, const TSetting& s) {
    int in = 0;
    for (int j = 0; j < 16; ++j)
        for (int i = 0; i < 16; ++i)
            in += DistanceToChain(QPointF(x + (i + 0.5) / 16, y + (j + 0.5) / 16), chain,
                                  s.Shift) <= s.Width / 2;
    return (in * 255 + 128) / 256;
}

struct TComparison {
    int EdgeMax = 0;  // pixels whose centre lies within 1.5 pixels of the stroke's edge
    int SolidMax = 0; // the others
    double EdgeSum = 0;
    long EdgePixels = 0;
    long EdgeOff = 0;    // edge pixels off by more than 24 levels
    int OutsideClip = 0; // drawn outside the clip

    void Add(const TComparison& c) {
        EdgeMax = std::max(EdgeMax, c.EdgeMax), SolidMax = std::max(SolidMax, c.SolidMax);
        EdgeSum += c.EdgeSum, EdgePixels += c.EdgePixels, EdgeOff += c.EdgeOff,
            OutsideClip += c.OutsideClip;
    }
};

// Compares the coverage of the drawn stroke with the expected one pixel by pixel; expected
// gives the coverage a pixel should have, from its centre's distance to the chain.
// Pixels near a joint of the chain are left out of the edges when skipJoints: Qt adds up the
// coverage of both sides' outlines there, so its joints are darker than the stroke's area.
template <class TPoint, class TExpected>
TComparison Compare(const QImage& drawn, const std::vector<TPoint>& chain, const TSetting& s,
                    const TExpected& expected, bool skipJoints = false) {
    TComparison c;
    const double r = s.Width / 2;
    auto nearJoint = [&](int x, int y) {
        for (size_t i = 1; i + 1 < chain.size(); ++i)
            if (std::hypot(x + 0.5 - chain[i].x() - s.Shift.x(),
                           y + 0.5 - chain[i].y() - s.Shift.y()) < r + 2)
                return true;
        return false;
    };
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x) {
            const int mine = CoverageOf(drawn.pixel(x, y));
            if (mine != 0 && !s.Clip.isNull() && !s.Clip.contains(x, y)) ++c.OutsideClip;
            const double d = DistanceToChain(QPointF(x + 0.5, y + 0.5), chain, s.Shift);
            const bool edge = std::abs(d - r) < 1.5;
            if (edge && skipJoints && nearJoint(x, y)) continue;
            const int diff = std::abs(mine - expected(x, y, d));
            (edge ? c.EdgeMax : c.SolidMax) = std::max(edge ? c.EdgeMax : c.SolidMax, diff);
            if (edge) c.EdgeSum += diff, ++c.EdgePixels, c.EdgeOff += diff > 24;
        }
    return c;
}

// Chains of 1-6 segments in every direction: short and long ones, sharp turns, U-turns and
// segments of no length, many reaching off the image.
std::vector<std::vector<QPoint>> RandomChains(int count, unsigned seed, bool streets) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> start(-40, 200), length(0, 200), segments(1, 6), kind(0, 9);
    std::uniform_real_distribution<double> angle(0, 2 * std::numbers::pi);
    std::vector<std::vector<QPoint>> chains;
    for (int i = 0; i < count; ++i) {
        std::vector<QPoint> chain{QPoint(start(rng), start(rng))};
        double heading = angle(rng);
        for (int n = segments(rng); n > 0; --n) {
            const int k = streets ? 9 : kind(rng);
            if (k == 0) { // back along the last segment
                chain.push_back(chain[chain.size() - (chain.size() > 1 ? 2 : 1)]);
                continue;
            }
            if (k == 1) { // no length
                chain.push_back(chain.back());
                continue;
            }
            // Sharp turns; streets turn by at most a right angle.
            heading += k < 4 ? std::numbers::pi * 0.85 : angle(rng) / 4 - std::numbers::pi / 4;
            const double l = k < 6 ? length(rng) % 12 : 40 + length(rng) / 2;
            chain.push_back(chain.back() + QPoint(int(std::lround(l * std::cos(heading))),
                                                  int(std::lround(l * std::sin(heading)))));
        }
        chains.push_back(std::move(chain));
    }
    return chains;
}

TSetting RandomSetting(size_t i, std::mt19937& rng) {
    std::uniform_real_distribution<double> width(1.5, 30);
    const QPointF shifts[] = {{0, 0}, {0.5, 0.5}, {0.3, -0.7}};
    const QRect clips[] = {QRect(), QRect(0, 53, 160, 41), QRect(0, 0, 160, 80),
                           QRect(0, 80, 160, 80)};
    TSetting s;
    s.Width = i % 4 == 0 ? std::round(width(rng)) : width(rng);
    s.Shift = shifts[i / 5 % 3];
    s.Clip = clips[i / 2 % 4];
    if (i % 11 == 0) s.Format = QImage::Format_ARGB32_Premultiplied;
    return s;
}

} // namespace

// Streets that turn by up to a right angle, of widths 1.5-30, on whole and half pixels and
// between, on the whole image and in bands of rows: the centre line where Qt puts it, the
// edges within a fifth of the contrast of Qt's, everything else within a few levels.
TEST(SmoothStrokes, LookAsQtSmoothsTheSameStreets) {
    const auto chains = RandomChains(300, 11, true);
    std::mt19937 rng(5);
    TComparison all;
    for (size_t i = 0; i < chains.size(); ++i) {
        const TSetting s = RandomSetting(i, rng);
        const QImage byQt = Stroked(chains[i], s, true);
        const TComparison c = Compare(
            Stroked(chains[i], s, false), chains[i], s,
            [&](int x, int y, double) { return CoverageOf(byQt.pixel(x, y)); }, true);
        all.Add(c);
    }
    EXPECT_LE(all.EdgeMax, 48);
    EXPECT_LT(all.EdgeOff * 1000, all.EdgePixels);
    EXPECT_LE(all.SolidMax, 2);
    EXPECT_EQ(all.OutsideClip, 0);
}

// Any chain, sharp turns, U-turns and segments of no length included: each pixel covered by
// the share of its square within half the width of the chain, full inside, blended once
// however many segments reach it.
TEST(SmoothStrokes, CoverTheShareOfEachPixelWithinHalfTheWidth) {
    const auto chains = RandomChains(200, 12, false);
    std::mt19937 rng(6);
    TComparison all;
    for (size_t i = 0; i < chains.size(); ++i) {
        const TSetting s = RandomSetting(i, rng);
        const double r = s.Width / 2;
        const TComparison c =
            Compare(Stroked(chains[i], s, false), chains[i], s, [&](int x, int y, double d) {
                if (d <= r - 0.71 && (s.Clip.isNull() || s.Clip.contains(x, y))) return 255;
                if (d >= r + 0.71 || (!s.Clip.isNull() && !s.Clip.contains(x, y))) return 0;
                return TrueCoverage(x, y, chains[i], s);
            });
        all.Add(c);
    }
    // The inner corner of a sharp turn is covered a little less than its area: its share is
    // the larger of the two sides', not their union.
    EXPECT_LE(all.EdgeMax, 96);
    EXPECT_LT(all.EdgeOff * 2000, all.EdgePixels);
    EXPECT_EQ(all.SolidMax, 0);
    EXPECT_EQ(all.OutsideClip, 0);
}

// Pens and canvases they do not reproduce are left to Qt.
TEST(SmoothStrokes, ApplyOnlyWhereTheyReproduceTheStroke) {
    QImage img(40, 40, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPen street(kInk, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(street);
    EXPECT_TRUE(TSmoothStrokes::For(p));
    QPen thin = street, square = street, flat = street, bevel = street, dashed = street,
         glass = street;
    thin.setWidthF(1);
    square.setCapStyle(Qt::SquareCap);
    flat.setCapStyle(Qt::FlatCap);
    bevel.setJoinStyle(Qt::BevelJoin);
    dashed.setStyle(Qt::DashLine);
    glass.setColor(QColor(40, 20, 160, 128));
    for (const QPen& pen : {square, flat}) {
        p.setPen(pen);
        EXPECT_TRUE(TSmoothStrokes::For(p));
    }
    for (const QPen& pen : {thin, bevel, dashed, glass}) {
        p.setPen(pen);
        EXPECT_FALSE(TSmoothStrokes::For(p));
    }
    // A dashed pen's dashes, each stroked on its own.
    p.setPen(dashed);
    EXPECT_TRUE(TSmoothStrokes::For(p, nullptr, TSmoothStrokes::TAlso::Dashes));
    p.setPen(street);
    EXPECT_FALSE(TSmoothStrokes::For(p, nullptr, TSmoothStrokes::TAlso::Dashes));
    p.setPen(street);
    p.setOpacity(0.5);
    EXPECT_FALSE(TSmoothStrokes::For(p));
    p.setOpacity(1);
    p.rotate(10);
    EXPECT_FALSE(TSmoothStrokes::For(p));
    p.resetTransform();
    p.setClipRegion(QRegion(0, 0, 40, 10) + QRegion(0, 20, 40, 10));
    EXPECT_FALSE(TSmoothStrokes::For(p));
    p.setClipRect(QRectF(0, 10.5, 40, 20));
    EXPECT_FALSE(TSmoothStrokes::For(p));
    p.setClipping(false);
    p.setRenderHint(QPainter::Antialiasing, false);
    EXPECT_FALSE(TSmoothStrokes::For(p));
    p.end();
    QImage plain(40, 40, QImage::Format_ARGB32);
    QPainter q(&plain);
    q.setRenderHint(QPainter::Antialiasing, true);
    q.setPen(street);
    EXPECT_FALSE(TSmoothStrokes::For(q));
}

namespace {

// A chain of curves stroked smoothed through the drawing object, or by Qt as the drawing object
// would ask it to (odd widths on the aliased rows).
QImage CurvesStroked(const std::vector<QPoint>& chain, int width, QPointF shift, bool byQt) {
    QImage img(160, 160, QImage::Format_RGB32);
    img.fill(kGround);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.translate(shift);
    p.setPen(QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (byQt) {
        QPainterPath path(chain[0]);
        for (size_t i = 1; i + 2 < chain.size(); i += 3)
            path.cubicTo(chain[i], chain[i + 1], chain[i + 2]);
        if (width % 2) p.translate(0.5, 0.5);
        p.strokePath(path, p.pen());
    } else {
        TDrawObject draw;
        draw.SetCanvas(&p);
        draw.PolyBezier(chain);
        draw.SetCanvas(nullptr);
    }
    return img;
}

} // namespace

// The chain of curves as segments far closer to them than a pixel's share can tell.
std::vector<QPointF> FineCurves(const std::vector<QPoint>& chain) {
    std::vector<QPointF> fine{QPointF(chain[0])};
    for (size_t j = 0; j + 3 < chain.size(); j += 3)
        for (int k = 1; k <= 40; ++k) {
            const double t = k / 40.0, u = 1 - t;
            fine.push_back(u * u * u * QPointF(chain[j]) + 3 * u * u * t * QPointF(chain[j + 1]) +
                           3 * u * t * t * QPointF(chain[j + 2]) +
                           t * t * t * QPointF(chain[j + 3]));
        }
    return fine;
}

// Curved streets of widths 2-20, some reaching off the image: each pixel covered by its share
// within half the width of the curves. Qt's own curved strokes run a little thinner (its
// outlines of wide curves lie inside the curves' true reach), so against Qt only the pixels
// away from the edges are compared.
TEST(SmoothStrokes, CurvedStreetsCoverTheShareWithinHalfTheWidth) {
    std::mt19937 rng(21);
    std::uniform_int_distribution<int> point(-20, 180), step(-120, 120), bend(-25, 25),
        width(2, 20), curves(1, 2);
    TComparison truth, qt;
    for (int i = 0; i < 12; ++i) {
        // Control points near the chord: bends, no loops or cusps.
        std::vector<QPoint> chain{QPoint(point(rng), point(rng))};
        for (int n = curves(rng); n > 0; --n) {
            const QPoint a = chain.back(), b = a + QPoint(step(rng), step(rng));
            chain.push_back(a + (b - a) / 3 + QPoint(bend(rng), bend(rng)));
            chain.push_back(a + (b - a) * 2 / 3 + QPoint(bend(rng), bend(rng)));
            chain.push_back(b);
        }
        const int w = width(rng);
        TSetting s;
        s.Width = w;
        s.Shift = (i % 3 ? QPointF(0, 0) : QPointF(0.5, 0.5)) +
                  (w % 2 ? QPointF(0.5, 0.5) : QPointF(0, 0)); // odd widths on the aliased rows
        const QPointF shift = i % 3 ? QPointF(0, 0) : QPointF(0.5, 0.5);
        const QImage mine = CurvesStroked(chain, w, shift, false);
        const QImage byQt = CurvesStroked(chain, w, shift, true);
        const std::vector<QPointF> fine = FineCurves(chain);
        const double r = w / 2.0;
        truth.Add(Compare(mine, fine, s, [&](int x, int y, double d) {
            if (d <= r - 0.71) return 255;
            if (d >= r + 0.71) return 0;
            return TrueCoverage(x, y, fine, s);
        }));
        qt.Add(Compare(mine, fine, s,
                       [&](int x, int y, double) { return CoverageOf(byQt.pixel(x, y)); }));
    }
    // Where two curves meet at an angle, the inner corner is covered a little less than its
    // area (see above).
    EXPECT_LE(truth.EdgeMax, 96);
    EXPECT_LT(truth.EdgeOff * 1000, truth.EdgePixels);
    EXPECT_EQ(truth.SolidMax, 0);
    EXPECT_LE(qt.SolidMax, 2);
}

namespace {

// The share of a pixel's square on the inner side of a straight edge s beyond its centre, the
// edge's normal (a, b) with a >= b >= 0: the square's projection onto the normal rises over b,
// stays over a - b and falls over b.
double SquareShare(double s, double a, double b) {
    const double u = s + (a + b) / 2;
    if (u <= 0) return 0;
    if (u >= a + b) return 1;
    if (u < b) return u * u / (2 * a * b);
    if (u <= a) return (u - b / 2) / a;
    const double v = a + b - u;
    return 1 - v * v / (2 * a * b);
}

// The exact share 0-1 of the pixel centred at (x, y) within r of the segment from a to b.
double SegmentShare(double x, double y, QPointF a, QPointF b, double r) {
    const double length = std::hypot(b.x() - a.x(), b.y() - a.y());
    const double ux = length > 0 ? (b.x() - a.x()) / length : 1;
    const double uy = length > 0 ? (b.y() - a.y()) / length : 0;
    double dx = x - a.x(), dy = y - a.y();
    const double t = dx * ux + dy * uy;
    if (t >= 0 && t <= length) {
        const double d = std::abs(dy * ux - dx * uy);
        const double na = std::max(std::abs(ux), std::abs(uy));
        const double nb = std::min(std::abs(ux), std::abs(uy));
        const double near = SquareShare(r - d, na, nb);
        return r + d >= 0.70711 ? near : near + SquareShare(r + d, na, nb) - 1;
    }
    if (t > length) dx = x - b.x(), dy = y - b.y();
    const double d = std::sqrt(dx * dx + dy * dy);
    if (d < 1e-9) return SquareShare(r, 1, 0);
    const double ca = std::abs(dx) / d, cb = std::abs(dy) / d;
    return SquareShare(r - d, std::max(ca, cb), std::min(ca, cb));
}

// The chain stroked pixel by pixel over the whole clip: each pixel blended once with the most
// any segment covers of it. Segments are first cut to the clip widened by what the pen reaches
// and a margin, as they are before they are stroked (far ends only cost precision).
template <class TPoint>
QImage ReferenceStroked(const std::vector<TPoint>& chain, const TSetting& s) {
    QImage img(160, 160, QImage::Format_RGB32);
    img.fill(kGround);
    const QRect clip = s.Clip.isNull() ? img.rect() : s.Clip & img.rect();
    const double r = s.Width / 2, reach = r + 0.70711 + 0.01;
    const QRectF box = QRectF(clip).adjusted(-reach - 2, -reach - 2, reach + 2, reach + 2);
    std::vector<std::pair<QPointF, QPointF>> segments;
    for (size_t i = 0; i + 1 < chain.size(); ++i) {
        QPointF a = QPointF(chain[i]) + s.Shift, b = QPointF(chain[i + 1]) + s.Shift;
        if (CutToRect(a, b, box)) segments.push_back({a, b});
    }
    const uint32_t ink = 0xff000000u | (kInk.rgb() & 0xffffffu);
    for (int y = clip.top(); y <= clip.bottom(); ++y)
        for (int x = clip.left(); x <= clip.right(); ++x) {
            int most = 0;
            for (const auto& [a, b] : segments) {
                const double c = SegmentShare(x + 0.5, y + 0.5, a, b, r);
                if (c > 0) most = std::max(most, int(std::min(255.0, c * 255 + 0.5)));
            }
            if (most == 0) continue;
            const uint32_t ground = img.pixel(x, y);
            img.setPixel(x, y, most == 255 ? ink : BlendOpaque(ink, uint32_t(most), ground));
        }
    return img;
}

} // namespace

// Any chain, widths 1.5-40, ends far beyond the image included, on the whole image and on
// either band of rows of a frame: pixel for pixel what the most any segment covers of each
// pixel gives.
TEST(SmoothStrokes, BlendEachPixelWithTheMostAnySegmentCovers) {
    auto chains = RandomChains(400, 31, false);
    std::mt19937 rng(32);
    std::uniform_int_distribution<int> far(-6000, 6000);
    for (size_t i = 0; i < chains.size(); i += 7) chains[i].push_back(QPoint(far(rng), far(rng)));
    for (size_t i = 3; i < chains.size(); i += 7)
        chains[i].insert(chains[i].begin(), QPoint(far(rng), far(rng)));
    std::uniform_real_distribution<double> width(1.5, 40);
    const QRect clips[] = {QRect(), QRect(0, 0, 160, 80), QRect(0, 80, 160, 80),
                           QRect(0, 0, 160, 57), QRect(0, 57, 160, 103)};
    long differ = 0, worst = 0;
    for (size_t i = 0; i < chains.size(); ++i) {
        TSetting s = RandomSetting(i, rng);
        s.Width = i % 3 == 0 ? std::round(width(rng)) : width(rng);
        s.Clip = clips[i % 5];
        const QImage mine = Stroked(chains[i], s, false);
        const QImage expected = ReferenceStroked(chains[i], s);
        for (int y = 0; y < mine.height(); ++y)
            for (int x = 0; x < mine.width(); ++x)
                if (mine.pixel(x, y) != expected.pixel(x, y)) {
                    ++differ;
                    worst = std::max<long>(worst, std::abs(CoverageOf(mine.pixel(x, y)) -
                                                           CoverageOf(expected.pixel(x, y))));
                }
    }
    EXPECT_EQ(differ, 0) << "largest difference " << worst << " levels";
}

namespace {

// Chains whose rows meet many segments at once or meet them in ways few chains do: stars
// through one point, zigzags and arcs of short steps as curves flatten to, scattered points
// crossing each other, long shallow lines, a single point.
std::vector<QPoint> CrowdedChain(std::mt19937& rng, int kind) {
    std::uniform_int_distribution<int> inside(10, 150), rays(3, 12), steps(8, 40);
    std::uniform_int_distribution<int> small(-3, 3), ahead(1, 6), farther(-300, 460);
    std::uniform_real_distribution<double> angle(0, 2 * std::numbers::pi);
    const QPoint centre(inside(rng), inside(rng));
    std::vector<QPoint> chain{centre};
    switch (kind) {
    case 0: // rays out of a point and back
        for (int n = rays(rng); n > 0; --n) {
            chain.push_back(QPoint(inside(rng), inside(rng)));
            chain.push_back(centre);
        }
        break;
    case 1: { // a zigzag of short steps, mostly along the rows or mostly across them
        const bool across = rng() % 2;
        for (int n = steps(rng); n > 0; --n) {
            const QPoint step(ahead(rng) * (rng() % 4 ? 1 : -1), small(rng));
            chain.push_back(chain.back() + (across ? step.transposed() : step));
        }
        break;
    }
    case 2: { // an arc of short steps
        const double r = 10 + rng() % 90, a0 = angle(rng), turn = (rng() % 2 ? 1 : -1) * 0.08;
        chain.clear();
        for (int n = 0; n < 2 * steps(rng); ++n)
            chain.push_back(centre + QPoint(int(std::lround(r * std::cos(a0 + n * turn))),
                                            int(std::lround(r * std::sin(a0 + n * turn)))));
        break;
    }
    case 3: // scattered points, some far beyond the image
        for (int n = rays(rng); n > 0; --n)
            chain.push_back(n % 4 ? QPoint(inside(rng), inside(rng))
                                  : QPoint(farther(rng), farther(rng)));
        break;
    case 4: { // long and shallow, one pixel across every so often
        const int run = 20 + int(rng() % 80);
        chain = {QPoint(-40, inside(rng)), QPoint(200, 0)};
        chain[1].setY(chain[0].y() + int(rng() % 7) - 3);
        if (rng() % 2) chain = {chain[0].transposed(), chain[1].transposed()};
        if (rng() % 3 == 0)
            chain.insert(chain.begin() + 1, chain[0] + (chain[1] - chain[0]) * run / 240);
        break;
    }
    default: // a single point, once or repeated
        for (int n = int(rng() % 3); n >= 0; --n) chain.push_back(centre);
        break;
    }
    return chain;
}

} // namespace

// Crowded and odd chains, widths from just over a pixel to far wider than the image: pixel
// for pixel what the most any segment covers of each pixel gives.
TEST(SmoothStrokes, BlendTheMostAnySegmentCoversWhereManySegmentsMeet) {
    std::mt19937 rng(41);
    std::uniform_real_distribution<double> thin(1.01, 1.45), narrow(1.45, 4), wide(4, 24),
        huge(40, 400);
    const QRect clips[] = {QRect(), QRect(0, 0, 160, 80), QRect(0, 80, 160, 80),
                           QRect(0, 31, 160, 67)};
    long differ = 0, worst = 0, drawn = 0;
    for (size_t i = 0; i < 240; ++i) {
        const std::vector<QPoint> chain = CrowdedChain(rng, int(i % 6));
        TSetting s = RandomSetting(i, rng);
        switch (i / 6 % 4) {
        case 0:
            s.Width = thin(rng);
            break;
        case 1:
            s.Width = narrow(rng);
            break;
        case 2:
            s.Width = i % 5 ? wide(rng) : std::round(wide(rng));
            break;
        default:
            s.Width = huge(rng);
            break;
        }
        s.Clip = clips[i / 24 % 4];
        const QImage mine = Stroked(chain, s, false);
        const QImage expected = ReferenceStroked(chain, s);
        for (int y = 0; y < mine.height(); ++y)
            for (int x = 0; x < mine.width(); ++x) {
                drawn += mine.pixel(x, y) != kGround.rgb();
                if (mine.pixel(x, y) != expected.pixel(x, y)) {
                    ++differ;
                    worst = std::max<long>(worst, std::abs(CoverageOf(mine.pixel(x, y)) -
                                                           CoverageOf(expected.pixel(x, y))));
                }
            }
    }
    EXPECT_GT(drawn, 100000);
    EXPECT_EQ(differ, 0) << "largest difference " << worst << " levels";
}

namespace {

// Pixels of two images that differ, and the largest difference of their coverage.
struct TDifference {
    long Pixels = 0, Worst = 0;

    void Add(const QImage& mine, const QImage& expected) {
        for (int y = 0; y < mine.height(); ++y)
            for (int x = 0; x < mine.width(); ++x)
                if (mine.pixel(x, y) != expected.pixel(x, y)) {
                    ++Pixels;
                    Worst = std::max<long>(Worst, std::abs(CoverageOf(mine.pixel(x, y)) -
                                                           CoverageOf(expected.pixel(x, y))));
                }
    }
};

// Chains whose segments' wholly covered runs on a row meet in every way: columns side by side
// a width apart, a pixel nearer or farther, or half a width (one segment's edge inside the
// next one's run), joined along the rows or back on themselves; saw teeth of short steps along
// the rows, many segments to a row; columns and rows turning gently off them and back; and
// U-turns whose second leg runs within the first.
std::vector<QPoint> MeetingChain(std::mt19937& rng, int kind, int width) {
    std::uniform_int_distribution<int> start(-10, 40), offset(-1, 1), teeth(10, 60), rise(1, 4);
    std::vector<QPoint> chain{QPoint(start(rng), 10 + start(rng) / 4)};
    switch (kind) {
    case 0:   // columns a width apart, give or take a pixel
    case 1: { // columns half a width apart
        const int apart = std::max(1, kind == 0 ? width + offset(rng) : width / 2);
        for (int n = 0; n < 12; ++n) {
            const QPoint p = chain.back();
            chain.push_back(QPoint(p.x(), n % 2 ? 10 : 150));
            chain.push_back(QPoint(p.x() + apart, n % 2 ? 10 : 150));
        }
        break;
    }
    case 2: { // saw teeth along the rows, or along the columns
        const bool across = rng() % 2;
        const int up = rise(rng);
        for (int n = teeth(rng); n > 0; --n) {
            const QPoint step(1 + int(rng() % 3), n % 2 ? up : -up);
            chain.push_back(chain.back() + (across ? step.transposed() : step));
        }
        break;
    }
    case 3: { // along the columns or the rows, turning gently off them and back
        const bool across = rng() % 2;
        std::uniform_int_distribution<int> run(20, 60), off(1, 9);
        for (int n = 0; n < 4; ++n) {
            const QPoint straight(0, run(rng)), turn(off(rng) * (rng() % 2 ? 1 : -1), run(rng));
            chain.push_back(chain.back() + (across ? straight.transposed() : straight));
            chain.push_back(chain.back() + (across ? turn.transposed() : turn));
        }
        break;
    }
    default: { // there and back within the stroke, once or twice
        const QPoint a = chain.back() + QPoint(70, 60), b = a + QPoint(90, int(rng() % 9) - 4);
        chain = {a, b, a + QPoint(0, offset(rng) * (1 + int(rng() % 3)))};
        if (rng() % 2) chain.push_back(b + QPoint(int(rng() % 5) - 2, int(rng() % 5) - 2));
        break;
    }
    }
    return chain;
}

// The chain of curves flattened as TSmoothStrokes::Curves flattens it for the canvas.
std::vector<QPointF> Flattened(const std::vector<QPoint>& curves, const TSetting& s, QRect clip) {
    const double reach = s.Width / 2 + 2;
    std::vector<QPointF> flat;
    FlattenCubics(curves, QRectF(clip).translated(-s.Shift).adjusted(-reach, -reach, reach, reach),
                  kFineFlattening, flat);
    return flat;
}

} // namespace

// Columns whose full runs touch, overlap by a pixel or leave one between them, edges within
// another segment's full run, rows met by a dozen segments at once, gentle turns off the
// columns and rows: pixel for pixel what the most any segment covers of each pixel gives.
TEST(SmoothStrokes, BlendTheMostAnySegmentCoversWhereFullRunsMeet) {
    std::mt19937 rng(51);
    std::uniform_real_distribution<double> width(2, 16);
    const QPointF shifts[] = {{0, 0}, {0.5, 0.5}, {0.25, -0.5}};
    const QRect clips[] = {QRect(), QRect(0, 0, 160, 80), QRect(0, 80, 160, 80)};
    TDifference all;
    long drawn = 0;
    for (int i = 0; i < 200; ++i) {
        TSetting s;
        const int w = 2 + i % 13;
        s.Width = i % 4 == 3 ? width(rng) : w;
        s.Shift = shifts[i / 4 % 3];
        s.Clip = clips[i / 12 % 3];
        const std::vector<QPoint> chain = MeetingChain(rng, i % 5, w);
        const QImage mine = Stroked(chain, s, false);
        all.Add(mine, ReferenceStroked(chain, s));
        for (int y = 0; y < mine.height(); ++y)
            for (int x = 0; x < mine.width(); ++x) drawn += mine.pixel(x, y) != kGround.rgb();
    }
    EXPECT_GT(drawn, 200000);
    EXPECT_EQ(all.Pixels, 0) << "largest difference " << all.Worst << " levels";
}

// Curves of widths 2-30, flattened to many short segments a row, some bending sharply, on the
// whole image and on bands of rows: pixel for pixel what the most any of their segments covers
// of each pixel gives.
TEST(SmoothStrokes, CurvesBlendTheMostAnyOfTheirSegmentsCovers) {
    std::mt19937 rng(61);
    std::uniform_int_distribution<int> point(-30, 190), step(-140, 140), bend(-60, 60),
        curves(1, 3);
    std::uniform_real_distribution<double> width(2, 30);
    const QPointF shifts[] = {{0, 0}, {0.5, 0.5}, {0.3, 0.1}};
    const QRect clips[] = {QRect(), QRect(0, 0, 160, 80), QRect(0, 80, 160, 80)};
    TDifference all;
    for (int i = 0; i < 90; ++i) {
        std::vector<QPoint> chain{QPoint(point(rng), point(rng))};
        for (int n = curves(rng); n > 0; --n) {
            const QPoint a = chain.back(), b = a + QPoint(step(rng), step(rng));
            chain.push_back(a + (b - a) / 3 + QPoint(bend(rng), bend(rng)));
            chain.push_back(a + (b - a) * 2 / 3 + QPoint(bend(rng), bend(rng)));
            chain.push_back(b);
        }
        TSetting s;
        s.Width = i % 3 ? std::round(width(rng)) : width(rng);
        s.Shift = shifts[i % 3];
        s.Clip = clips[i / 3 % 3];
        QImage mine(160, 160, QImage::Format_RGB32);
        mine.fill(kGround);
        {
            QPainter p(&mine);
            p.setRenderHint(QPainter::Antialiasing, true);
            if (!s.Clip.isNull()) p.setClipRect(s.Clip);
            p.translate(s.Shift);
            p.setPen(QPen(kInk, s.Width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            const auto strokes = TSmoothStrokes::For(p);
            ASSERT_TRUE(strokes);
            strokes->Curves(chain);
        }
        const QRect clip = s.Clip.isNull() ? mine.rect() : s.Clip;
        all.Add(mine, ReferenceStroked(Flattened(chain, s, clip), s));
    }
    EXPECT_EQ(all.Pixels, 0) << "largest difference " << all.Worst << " levels";
}
