// Smoothed fills computed straight into the image: they must look as Qt smooths the same
// figures by the odd-even rule, stay inside the clip, and leave what they do not reproduce to
// Qt.
#include "mapview/SmoothFills.h"

#include "mapview/DrawPrimitives.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <optional>
#include <random>
#include <vector>

using namespace tsivor::mapview;

namespace {

const QColor kGround(200, 230, 180), kInk(40, 20, 160);

struct TSetting {
    QPointF Shift;
    QRect Clip; // none when null
    QImage::Format Format = QImage::Format_RGB32;
};

QImage Filled(const std::vector<QPoint>& ring, const TSetting& s, bool byQt) {
    QImage img(160, 160, s.Format);
    img.fill(kGround);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (!s.Clip.isNull()) p.setClipRect(s.Clip);
    p.translate(s.Shift);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    if (byQt) {
        p.drawPolygon(ring.data(), int(ring.size()), Qt::OddEvenFill);
    } else {
        const auto fills = TSmoothFills::For(p);
        if (!fills) {
            ADD_FAILURE() << "no fills";
            return img;
        }
        fills->OddEven(ring);
    }
    return img.convertToFormat(QImage::Format_RGB32);
}

int Difference(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// Rings of 3-40 points: small houses, long thin slivers, stars crossing themselves, and
// large figures reaching far off the image.
std::vector<std::vector<QPoint>> RandomRings(int count, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> points(3, 40), kind(0, 3);
    std::vector<std::vector<QPoint>> rings;
    for (int i = 0; i < count; ++i) {
        const int k = kind(rng);
        const int spread = k == 0 ? 20 : k == 1 ? 160 : 2000;
        std::uniform_int_distribution<int> centre(-20, 180), offset(-spread, spread);
        const QPoint c(centre(rng), centre(rng));
        std::vector<QPoint> ring;
        for (int n = points(rng); n > 0; --n) {
            ring.push_back(c + QPoint(offset(rng), offset(rng)));
            if (k == 3 && n % 3 == 0) ring.push_back(ring.back() + QPoint(1, 0)); // slivers
        }
        rings.push_back(std::move(ring));
    }
    return rings;
}

} // namespace

// Every kind of edge, figures crossing themselves, shifts of whole, half and other parts of
// pixels, clipped to bands of rows and columns: within a few levels of Qt's pixels, nothing
// outside the clip.
TEST(SmoothFills, LookAsQtSmoothsTheSameFigures) {
    const auto rings = RandomRings(400, 3);
    const QPointF shifts[] = {{0, 0}, {0.5, 0.5}, {0.3, -0.7}};
    const QRect clips[] = {QRect(), QRect(0, 53, 160, 41), QRect(37, 0, 60, 160),
                           QRect(0, 80, 160, 80)};
    int max = 0, outside = 0;
    double sum = 0;
    long pixels = 0;
    for (size_t i = 0; i < rings.size(); ++i) {
        TSetting s;
        s.Shift = shifts[i / 3 % 3];
        s.Clip = clips[i % 4];
        if (i % 7 == 0) s.Format = QImage::Format_ARGB32_Premultiplied;
        const QImage mine = Filled(rings[i], s, false), qt = Filled(rings[i], s, true);
        for (int y = 0; y < mine.height(); ++y)
            for (int x = 0; x < mine.width(); ++x) {
                const int d = Difference(mine.pixel(x, y), qt.pixel(x, y));
                max = std::max(max, d);
                sum += d, ++pixels;
                if (mine.pixel(x, y) != kGround.rgb() && !s.Clip.isNull() && !s.Clip.contains(x, y))
                    ++outside;
            }
    }
    EXPECT_LE(max, 8);
    EXPECT_LT(sum / pixels, 0.05);
    EXPECT_EQ(outside, 0);
}

namespace {

// How a ring is filled: where, moved how, clipped to what, at which opacity, in which colour.
struct TExactSetting {
    QPointF Shift;
    QRect Clip; // none when null
    QImage::Format Format = QImage::Format_RGB32;
    qreal Opacity = 1;
    QColor Ink = kInk;
};

constexpr int kSide = 96;

// A ground of one colour, translucent on images with alpha.
QImage Ground(const TExactSetting& s) {
    QImage img(kSide, kSide, s.Format);
    img.fill(s.Format == QImage::Format_RGB32 ? kGround : QColor(200, 230, 180, 150));
    return img;
}

// The canvas the figure is drawn on, set up for the setting.
void Prepare(QPainter& p, const TExactSetting& s) {
    p.setRenderHint(QPainter::Antialiasing, true);
    if (!s.Clip.isNull()) p.setClipRect(s.Clip);
    p.translate(s.Shift);
    p.setOpacity(s.Opacity);
    p.setPen(Qt::NoPen);
    p.setBrush(s.Ink);
}

// The ring filled by Qt, or here; nullopt when it is left to Qt here.
template <class TPoint>
std::optional<QImage> ExactFilled(const std::vector<TPoint>& ring, const TExactSetting& s,
                                  bool byQt) {
    QImage img = Ground(s);
    QPainter p(&img);
    Prepare(p, s);
    if (byQt) {
        p.drawPolygon(ring.data(), int(ring.size()), Qt::OddEvenFill);
    } else {
        const auto fills = TSmoothFills::For(p);
        if (!fills) ADD_FAILURE() << "no fills";
        if (!fills || !fills->OddEven(std::span<const TPoint>(ring))) return std::nullopt;
    }
    return img;
}

int PixelsDiffering(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) n += pa[x] != pb[x];
    }
    return n;
}

// Rings of whole points of every kind: convex and concave ones, stars crossing themselves,
// specks of 1-3 pixels, long thin slivers, houses, and figures reaching far beyond the image.
std::vector<QPoint> KindOfRing(std::mt19937& rng, int kind) {
    auto in = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const QPoint c(in(-10, kSide + 10), in(-10, kSide + 10));
    std::vector<QPoint> ring;
    switch (kind) {
    case 0:   // convex
    case 1: { // concave: corners alternately nearer
        const int n = in(3, 14), r = in(2, 70);
        const double start = in(0, 628) / 100.0;
        for (int i = 0; i < n; ++i) {
            const double a = start + 6.283185307179586 * i / n;
            const double k = kind == 1 && i % 2 ? in(10, 60) / 100.0 : 1.0;
            ring.push_back(c + QPoint(int(r * k * std::cos(a)), int(r * k * std::sin(a))));
        }
        break;
    }
    case 2: // crossing itself
        for (int n = in(3, 24); n > 0; --n) ring.push_back(c + QPoint(in(-60, 60), in(-60, 60)));
        break;
    case 3: // a speck
        for (int n = in(3, 5); n > 0; --n) ring.push_back(c + QPoint(in(0, 3), in(0, 3)));
        break;
    case 4: { // a sliver, along or across the rows or slanted
        const QPoint a = c + QPoint(in(-200, 200), in(-200, 200));
        const QPoint b = c + QPoint(in(-200, 200), in(-200, 200));
        const QPoint w(in(0, 2), in(0, 2));
        ring = {a, b, b + w, a + w + QPoint(in(0, 1), 0)};
        break;
    }
    case 5: { // a house
        const int w = in(3, 30), h = in(3, 40), lean = in(-4, 4);
        ring = {c, c + QPoint(w, lean), c + QPoint(w + lean, h), c + QPoint(lean, h - lean)};
        break;
    }
    default: // far beyond the image, also beyond Qt's cells of 16 bits
        for (int n = in(3, 10); n > 0; --n) {
            const int spread = in(0, 7) ? 3000 : 400000;
            ring.push_back(c + QPoint(in(-spread, spread), in(-spread, spread)));
        }
        break;
    }
    return ring;
}

TExactSetting KindOfSetting(std::mt19937& rng) {
    auto in = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const QPointF shifts[] = {{0, 0}, {0.5, 0.5}, {-0.3, 0.7}, {13, -7}, {0.015625, -0.2}};
    const QRect clips[] = {QRect(), QRect(0, 30, kSide, 25), QRect(0, 48, kSide, 48),
                           QRect(20, 0, 40, kSide), QRect(5, 61, 77, 1)};
    const qreal opacities[] = {1, 1, 0.5, 128 / 255.0, 0.2, 0.999};
    const int alphas[] = {255, 255, 200, 128, 17};
    TExactSetting s;
    s.Shift = shifts[in(0, 4)];
    s.Clip = clips[in(0, 4)];
    if (in(0, 2) == 0) s.Format = QImage::Format_ARGB32_Premultiplied;
    s.Opacity = opacities[in(0, 5)];
    s.Ink = QColor(in(0, 255), in(0, 255), in(0, 255), alphas[in(0, 4)]);
    return s;
}

} // namespace

// Thousands of rings of whole points of every kind, under translations of whole pixels and
// parts of them, clipped to bands of rows and columns, at several opacities and brush alphas,
// on both kinds of image: not a pixel differs from Qt's smoothed fill.
TEST(SmoothFills, AreQtsPixelsForRingsOfWholePoints) {
    std::mt19937 rng(17);
    int differing = 0, figures = 0, left = 0;
    for (int i = 0; i < 4200; ++i) {
        const auto ring = KindOfRing(rng, i % 7);
        const TExactSetting s = KindOfSetting(rng);
        const auto mine = ExactFilled(ring, s, false);
        if (!mine) {
            ++left; // upright rectangles among the houses and slivers
            continue;
        }
        const int d = PixelsDiffering(*mine, *ExactFilled(ring, s, true));
        if (d > 0 && differing == 0)
            ADD_FAILURE() << "first differing ring " << i << " of kind " << i % 7;
        differing += d, ++figures;
    }
    EXPECT_GT(figures, 4000);
    EXPECT_LT(left, 100);
    EXPECT_EQ(differing, 0);
}

// Rings of points anywhere between whole pixels, as curves flatten to, give Qt's pixels too.
TEST(SmoothFills, AreQtsPixelsForRingsOfAnyPoints) {
    std::mt19937 rng(23);
    std::uniform_real_distribution<double> at(-30, kSide + 30), near(-4, 4);
    int differing = 0;
    for (int i = 0; i < 1500; ++i) {
        std::vector<QPointF> ring;
        const QPointF c(at(rng), at(rng));
        const int n = 3 + i % 12;
        for (int k = 0; k < n; ++k) {
            if (i % 3 == 0)
                ring.push_back(c + QPointF(near(rng), near(rng)));
            else
                ring.emplace_back(at(rng), at(rng));
            if (i % 5 == 0)
                ring.back() = QPointF(std::round(ring.back().x() * 64) / 64 + 1 / 128.0,
                                      std::round(ring.back().y() * 64) / 64);
        }
        const TExactSetting s = KindOfSetting(rng);
        const auto mine = ExactFilled(ring, s, false);
        ASSERT_TRUE(mine.has_value());
        differing += PixelsDiffering(*mine, *ExactFilled(ring, s, true));
    }
    EXPECT_EQ(differing, 0);
}

// Figures on a large image are worked through in several bands of rows: rings reaching over
// and beyond it, clipped to bands of rows and columns or not, give Qt's pixels in every band.
TEST(SmoothFills, AreQtsPixelsOverManyRowsOfALargeImage) {
    constexpr int kWidth = 900, kHeight = 600;
    std::mt19937 rng(37);
    auto in = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const QRect clips[] = {QRect(), QRect(0, 0, kWidth, kHeight / 2),
                           QRect(0, kHeight / 2, kWidth, kHeight / 2), QRect(130, 40, 700, 523)};
    const QPointF shifts[] = {{0, 0}, {0.5, -0.5}, {-17, 9}};
    int differing = 0;
    for (int i = 0; i < 48; ++i) {
        std::vector<QPoint> ring;
        const QPoint c(in(-100, kWidth + 100), in(-100, kHeight + 100));
        const int spread = i % 3 == 0 ? 2000 : 700;
        for (int n = in(3, 30); n > 0; --n)
            ring.push_back(c + QPoint(in(-spread, spread), in(-spread, spread)));
        auto draw = [&](bool byQt) {
            QImage img(kWidth, kHeight, QImage::Format_RGB32);
            img.fill(kGround);
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing, true);
            if (!clips[i % 4].isNull()) p.setClipRect(clips[i % 4]);
            p.translate(shifts[i / 4 % 3]);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(in(0, 255), in(0, 255), in(0, 255), i % 2 ? 255 : 140));
            if (byQt) {
                p.drawPolygon(ring.data(), int(ring.size()), Qt::OddEvenFill);
            } else {
                const auto fills = TSmoothFills::For(p);
                EXPECT_TRUE(fills && fills->OddEven(ring));
            }
            return img;
        };
        const std::mt19937 colour = rng;
        const QImage mine = draw(false);
        rng = colour;
        differing += PixelsDiffering(mine, draw(true));
    }
    EXPECT_EQ(differing, 0);
}

// Rings reaching as far as Qt's fixed point holds, a long edge crossing the image far from its
// first point, whole points and points between pixels: Qt's pixels.
TEST(SmoothFills, AreQtsPixelsForRingsAsWideAsQtReaches) {
    constexpr double kFar = (1 << 23) - 1 - kSide - 3; // the ring's span just within the reach
    std::mt19937 rng(41);
    auto in = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    int differing = 0;
    for (int i = 0; i < 8; ++i) {
        // Two corners on the image, one as far from them as the reach allows.
        const double sx = i % 2 ? 1 : -1, sy = i / 2 % 2 ? 1 : -1;
        const QPointF near(in(0, kSide), in(0, kSide));
        std::vector<QPointF> ring{near, near + QPointF(sx * kFar, sy * kFar),
                                  QPointF(in(0, kSide), in(0, kSide))};
        if (i >= 4) ring[2] += QPointF(in(0, 63) / 64.0 + 1 / 128.0, in(0, 99) / 100.0);
        TExactSetting s;
        if (i % 3 == 0) s.Shift = QPointF(0.25, -0.5);
        const auto mine = ExactFilled(ring, s, false);
        ASSERT_TRUE(mine.has_value()) << "ring " << i;
        differing += PixelsDiffering(*mine, *ExactFilled(ring, s, true));
    }
    EXPECT_EQ(differing, 0);
}

// The colour of the brush follows each figure, at each opacity of the canvas, though figures
// one after another mostly share it.
TEST(SmoothFills, TakeEachFiguresBrushAndOpacity) {
    const std::vector<QPoint> ring{{10, 12}, {80, 20}, {60, 85}, {14, 70}};
    const QColor a(40, 20, 160), b(40, 20, 161), c(40, 20, 160, 128);
    const std::pair<QColor, qreal> brushes[] = {{a, 1},   {a, 0.5}, {a, 1},    {b, 1},
                                                {b, 0.5}, {c, 0.5}, {c, 0.25}, {a, 0.25}};
    int differing = 0;
    for (const auto& [ink, opacity] : brushes) {
        TExactSetting s;
        s.Ink = ink, s.Opacity = opacity;
        const auto mine = ExactFilled(ring, s, false);
        ASSERT_TRUE(mine.has_value());
        differing += PixelsDiffering(*mine, *ExactFilled(ring, s, true));
    }
    EXPECT_EQ(differing, 0);
}

namespace {

// An image of random pixels, valid premultiplied ones on images with alpha: blends must take
// every channel of what lies under them.
QImage Noise(int width, int height, QImage::Format format, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    QImage img(width, height, format);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int a = format == QImage::Format_RGB32 ? 255 : byte(rng);
            auto upTo = [&](int most) { return std::uniform_int_distribution<int>(0, most)(rng); };
            line[x] = qRgba(upTo(a), upTo(a), upTo(a), a);
        }
    }
    return img;
}

// The ring filled over a copy of ground by Qt, or here, with the canvas set up as s says (its
// clip, translation, opacity and brush colour); nullopt when it is left to Qt here.
template <class TPoint>
std::optional<QImage> FilledOver(const QImage& ground, const std::vector<TPoint>& ring,
                                 const TExactSetting& s, bool byQt) {
    QImage img = ground.copy();
    QPainter p(&img);
    Prepare(p, s);
    if (byQt) {
        p.drawPolygon(ring.data(), int(ring.size()), Qt::OddEvenFill);
    } else {
        const auto fills = TSmoothFills::For(p);
        if (!fills) ADD_FAILURE() << "no fills";
        if (!fills || !fills->OddEven(std::span<const TPoint>(ring))) return std::nullopt;
    }
    return img;
}

// The pixels where the ring filled here differs from Qt's fill; all of them when it is left to
// Qt here, which the rings these tests give never are.
template <class TPoint>
int DifferingFromQt(const QImage& ground, const std::vector<TPoint>& ring, const TExactSetting& s) {
    const auto mine = FilledOver(ground, ring, s, false);
    EXPECT_TRUE(mine.has_value());
    return mine ? PixelsDiffering(*mine, *FilledOver(ground, ring, s, true))
                : ground.width() * ground.height();
}

} // namespace

// Interior spans of every length from one pixel to a few dozen, in translucent colours and at
// opacities below one, over random pixels on both kinds of image: each span blended as Qt
// blends it, pixel by pixel, whether or not its length is a multiple of four.
TEST(SmoothFills, BlendTranslucentSpansOfEveryLengthAsQtDoes) {
    const QColor inks[] = {QColor(40, 20, 160, 128), QColor(250, 3, 77, 201), QColor(9, 200, 90)};
    const qreal opacities[] = {1, 0.6, 1};
    const QPointF shifts[] = {{0, 0}, {0.5, 0.25}, {0.3, 0}};
    int differing = 0, figures = 0;
    for (const QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
        const QImage ground = Noise(kSide, kSide, format, 7);
        for (int length = 1; length <= 40; ++length) {
            const int x = length % 13, y = length % 7;
            // Counter-clockwise: not the rectangle Qt smooths by other means.
            const std::vector<QPoint> ring{
                {x, y}, {x, y + 30}, {x + length, y + 30}, {x + length, y}};
            for (int k = 0; k < 3; ++k) {
                TExactSetting s;
                s.Format = format;
                s.Ink = inks[k], s.Opacity = opacities[k], s.Shift = shifts[(length + k) % 3];
                differing += DifferingFromQt(ground, ring, s);
                ++figures;
            }
        }
    }
    EXPECT_EQ(figures, 240);
    EXPECT_EQ(differing, 0);
}

// Stars winding round their centre up to nine times, either way, with whole points and points
// between pixels: the odd-even rule folds covers of many turns as Qt folds them.
TEST(SmoothFills, AreQtsPixelsForRingsWindingManyTimes) {
    int differing = 0;
    const QImage ground = Noise(kSide, kSide, QImage::Format_RGB32, 9);
    for (int turns = 1; turns <= 9; ++turns)
        for (int way = -1; way <= 1; way += 2) {
            const int corners = 2 * turns + 1 + (turns % 3);
            std::vector<QPoint> whole;
            std::vector<QPointF> any;
            for (int i = 0; i < corners; ++i) {
                const double a = way * 6.283185307179586 * turns * i / corners + 0.1 * turns;
                const QPointF at(48 + 45 * std::cos(a), 48 + 41 * std::sin(a));
                whole.emplace_back(int(std::lround(at.x())), int(std::lround(at.y())));
                any.push_back(at);
            }
            TExactSetting s;
            s.Ink = QColor(200, 40, 10, turns % 2 ? 255 : 150);
            differing += DifferingFromQt(ground, whole, s) + DifferingFromQt(ground, any, s);
        }
    EXPECT_EQ(differing, 0);
}

// Fills of two brushes at hand at once, used by turns, each fill in its own colour.
TEST(SmoothFills, KeepEachOnesColourWhenUsedByTurns) {
    const std::vector<QPoint> first{{10, 12}, {80, 20}, {60, 85}, {14, 70}};
    const std::vector<QPoint> second{{50, 5}, {90, 60}, {5, 90}};
    const QColor a(40, 20, 160, 200), b(200, 120, 10);
    auto draw = [&](bool byQt) {
        QImage img = Noise(kSide, kSide, QImage::Format_RGB32, 3);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Qt::NoPen);
        p.setBrush(a);
        const auto inA = TSmoothFills::For(p);
        p.setBrush(b);
        const auto inB = TSmoothFills::For(p);
        EXPECT_TRUE(inA && inB);
        for (int i = 0; i < 4; ++i) {
            const auto& ring = i % 2 ? second : first;
            if (byQt) {
                p.setBrush(i % 2 ? b : a);
                p.drawPolygon(ring.data(), int(ring.size()), Qt::OddEvenFill);
            } else {
                EXPECT_TRUE((i % 2 ? inB : inA)->OddEven(ring));
            }
        }
        return img;
    };
    EXPECT_EQ(PixelsDiffering(draw(false), draw(true)), 0);
}

// Over a large image a figure is worked through in many bands of rows and each edge stepped
// in the bands it crosses: combs of teeth starting and ending in every band, edges along rows,
// edges within one row or band and across many, clipped to rows starting and ending within
// bands or not, whole points and points between pixels, over random pixels: Qt's pixels.
TEST(SmoothFills, AreQtsPixelsForEdgesStartingInEveryBandOfRows) {
    constexpr int kWidth = 1100, kHeight = 640;
    std::mt19937 rng(43);
    auto in = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const QRect clips[] = {QRect(), QRect(0, 101, kWidth, 333), QRect(200, 0, 700, kHeight),
                           QRect(0, 37, kWidth, 1)};
    const QImage ground = Noise(kWidth, kHeight, QImage::Format_RGB32, 5);
    int differing = 0;
    for (int i = 0; i < 24; ++i) {
        // Teeth hanging from a bar above the image, to depths anywhere down and beyond it.
        std::vector<QPointF> ring{{-30, -20}};
        const int teeth = in(4, 40);
        for (int t = 0; t < teeth; ++t) {
            const double x = -30 + (kWidth + 60) * (t + 0.5) / teeth;
            const double depth = in(-10, kHeight + 20) + (i % 2 ? in(0, 63) / 64.0 : 0);
            ring.emplace_back(x - 3, -20);
            ring.emplace_back(x - 1 + (i % 3) * 0.5, depth);
            ring.emplace_back(x + 2, depth - in(0, 2) * (i % 4));
            ring.emplace_back(x + 4, -20);
        }
        ring.emplace_back(kWidth + 30, -20);
        ring.emplace_back(kWidth + 30, -60);
        ring.emplace_back(-30, -60);
        TExactSetting s;
        s.Clip = clips[i % 4];
        s.Ink = QColor(in(0, 255), in(0, 255), in(0, 255), i % 3 ? 255 : 130);
        if (i % 5 == 0) s.Shift = QPointF(0.5, -7.25);
        std::vector<QPoint> whole;
        for (const QPointF& p : ring) whole.emplace_back(int(p.x()), int(p.y()));
        differing += DifferingFromQt(ground, ring, s) + DifferingFromQt(ground, whole, s);
    }
    EXPECT_EQ(differing, 0);
}

// An upright rectangle from its top left corner clockwise is one Qt smooths by other means,
// and points beyond Qt's fixed point are cut by Qt first: those are left to Qt.
TEST(SmoothFills, LeaveRectanglesAndFarRingsToQt) {
    QImage img(40, 40, QImage::Format_RGB32);
    img.fill(kGround);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    const auto fills = TSmoothFills::For(p);
    ASSERT_TRUE(fills.has_value());
    const std::vector<QPoint> rect{{2, 3}, {30, 3}, {30, 20}, {2, 20}};
    EXPECT_FALSE(fills->OddEven(rect));
    std::vector<QPoint> closed = rect;
    closed.push_back(rect[0]);
    EXPECT_FALSE(fills->OddEven(closed));
    const std::vector<QPoint> turned{{2, 3}, {2, 20}, {30, 20}, {30, 3}};
    EXPECT_TRUE(fills->OddEven(turned));
    const std::vector<QPoint> far{{2, 3}, {9000000, 3}, {2, 20}};
    EXPECT_FALSE(fills->OddEven(far));
    const std::vector<QPoint> wide{{-4200000, 3}, {4200000, 3}, {2, 20}};
    EXPECT_FALSE(fills->OddEven(wide));
}

// The reach of Qt's fixed point holds for the points as the canvas's translation moves them.
TEST(SmoothFills, LeaveRingsMovedBeyondTheReachToQt) {
    constexpr int kReach = (1 << 23) - 1;
    QImage img(40, 40, QImage::Format_RGB32);
    img.fill(kGround);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    const std::vector<QPoint> ring{{2, 3}, {kReach - 20, 3}, {2, 20}};
    p.translate(20, 0);
    auto fills = TSmoothFills::For(p);
    ASSERT_TRUE(fills.has_value());
    EXPECT_TRUE(fills->OddEven(ring)) << "moved up to the reach";
    p.translate(1, 0);
    fills = TSmoothFills::For(p);
    EXPECT_FALSE(fills->OddEven(ring)) << "moved beyond the reach";
    const std::vector<QPoint> low{{2, 40 - kReach}, {30, 10 - kReach}, {2, 60 - kReach}};
    p.translate(0, -10);
    fills = TSmoothFills::For(p);
    EXPECT_TRUE(fills->OddEven(low)) << "moved down to the reach";
    p.translate(0, -1);
    fills = TSmoothFills::For(p);
    EXPECT_FALSE(fills->OddEven(low)) << "moved beyond the reach";
}

// Polygons drawn smoothed without an opaque outline, through the drawing object: without a
// pen, with a dotted or a translucent one, and at object opacities below 255 also with an
// opaque one, are Qt's pixels, fill and outline.
TEST(SmoothFills, PolygonsWithoutAFullOutlineAreQtsPixels) {
    std::mt19937 rng(29);
    const QPen pens[] = {QPen(Qt::NoPen), QPen(QColor(90, 60, 40), 1, Qt::DotLine),
                         QPen(QColor(90, 60, 40, 120), 1), QPen(QColor(90, 60, 40), 1),
                         QPen(QColor(90, 60, 40, 200), 2)};
    const uint8_t opacities[] = {255, 128, 77};
    int differing = 0;
    for (int i = 0; i < 600; ++i) {
        const auto ring = KindOfRing(rng, i % 7);
        TExactSetting s = KindOfSetting(rng);
        s.Shift = QPointF(0, 0);
        const QPen& pen = pens[i % 5];
        const uint8_t opacity = opacities[i / 5 % 3];
        if (pen.style() == Qt::SolidLine && pen.color().alpha() == 255 && opacity == 255) continue;
        auto draw = [&](bool byQt) {
            QImage img = Ground(s);
            QPainter p(&img);
            Prepare(p, s);
            p.setOpacity(byQt ? opacity / 255.0 : 1);
            p.setPen(pen);
            if (byQt) {
                p.drawPolygon(ring.data(), int(ring.size()), Qt::OddEvenFill);
            } else {
                TDrawObject d;
                d.SetCanvas(&p);
                d.Opacity = opacity;
                d.Polygon(ring);
                d.SetCanvas(nullptr);
            }
            return img;
        };
        differing += PixelsDiffering(draw(false), draw(true));
    }
    EXPECT_EQ(differing, 0);
}

// Hatched and dense patterns too: polygons without an opaque outline are Qt's pixels, the
// pattern's edges blended as Qt blends a textured span.
TEST(SmoothFills, HatchedPolygonsWithoutAFullOutlineAreQtsPixels) {
    std::mt19937 rng(31);
    const QPen pens[] = {QPen(Qt::NoPen), QPen(QColor(90, 60, 40), 1, Qt::DotLine)};
    int differing = 0;
    for (int i = 0; i < 200; ++i) {
        const auto ring = KindOfRing(rng, i % 7);
        auto draw = [&](bool byQt) {
            QImage img(kSide, kSide, QImage::Format_RGB32);
            img.fill(kGround);
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(pens[i % 2]);
            p.setBrush(QBrush(kInk, i % 3 ? Qt::BDiagPattern : Qt::Dense4Pattern));
            if (byQt) {
                p.drawPolygon(ring.data(), int(ring.size()), Qt::OddEvenFill);
            } else {
                TDrawObject d;
                d.SetCanvas(&p);
                d.Polygon(ring);
                d.SetCanvas(nullptr);
            }
            return img;
        };
        differing += PixelsDiffering(draw(false), draw(true));
    }
    EXPECT_EQ(differing, 0);
}

namespace {

constexpr Qt::BrushStyle kFirstPattern = Qt::Dense1Pattern, kLastPattern = Qt::DiagCrossPattern;

struct TPatternSetting {
    Qt::BrushStyle Style = Qt::BDiagPattern;
    QPointF Shift;  // of the painter
    QPointF Origin; // of the brush
    QRect Clip;     // none when null
    QImage::Format Format = QImage::Format_RGB32;
};

// The ring filled with the setting's pattern, or solid with its colour.
QImage PatternFilled(const std::vector<QPoint>& ring, const TPatternSetting& s, bool solid,
                     bool byQt) {
    QImage img(160, 160, s.Format);
    img.fill(kGround);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (!s.Clip.isNull()) p.setClipRect(s.Clip);
    p.translate(s.Shift);
    p.setBrushOrigin(s.Origin);
    p.setPen(Qt::NoPen);
    p.setBrush(solid ? QBrush(kInk) : QBrush(kInk, s.Style));
    if (byQt) {
        p.drawPolygon(ring.data(), int(ring.size()), Qt::OddEvenFill);
    } else {
        const auto fills = TSmoothFills::For(p);
        if (!fills) {
            ADD_FAILURE() << "no fills for style " << int(s.Style);
            return img;
        }
        fills->OddEven(ring);
    }
    return img.convertToFormat(QImage::Format_RGB32);
}

// Convex rings: regular figures of 3-12 corners, some reaching off the image.
std::vector<QPoint> ConvexRing(std::mt19937& rng) {
    std::uniform_int_distribution<int> corners(3, 12), centre(-20, 180), radius(5, 300);
    std::uniform_real_distribution<double> turn(0, 6.28);
    const int n = corners(rng), r = radius(rng);
    const QPoint c(centre(rng), centre(rng));
    const double start = turn(rng);
    std::vector<QPoint> ring;
    for (int i = 0; i < n; ++i) {
        const double a = start + 6.283185307179586 * i / n;
        ring.push_back(c + QPoint(int(r * std::cos(a)), int(r * std::sin(a))));
    }
    return ring;
}

// How the pattern fills differ from Qt's pixels: where both Qt and the solid fills here
// leave a pixel untouched or cover it in full, the pattern must be the same as Qt's; the other
// pixels are edge pixels and may differ by a few levels.
struct TPatternDifference {
    int Inner = 0; // pixels off the edge that differ
    int Max = 0;   // over the edge pixels
    double Sum = 0;
    long Edges = 0;
};

void Compare(const std::vector<QPoint>& ring, const TPatternSetting& s, TPatternDifference& d) {
    const QImage mine = PatternFilled(ring, s, false, false);
    const QImage qt = PatternFilled(ring, s, false, true);
    const QImage mineSolid = PatternFilled(ring, s, true, false);
    const QImage qtSolid = PatternFilled(ring, s, true, true);
    auto edge = [](QRgb solid) { return solid != kGround.rgb() && solid != kInk.rgb(); };
    for (int y = 0; y < qt.height(); ++y)
        for (int x = 0; x < qt.width(); ++x) {
            const int diff = Difference(mine.pixel(x, y), qt.pixel(x, y));
            if (edge(qtSolid.pixel(x, y)) || edge(mineSolid.pixel(x, y))) {
                d.Max = std::max(d.Max, diff);
                d.Sum += diff, ++d.Edges;
            } else {
                d.Inner += diff != 0;
            }
        }
}

} // namespace

// Every hatch and dense pattern over convex, concave and self-crossing rings reaching beyond
// the image, the painter moved by whole pixels and by parts of one, brush origins of whole and
// half pixels (Qt rounds them half away from zero), in the two bands of rows of a frame: the
// pattern lies on the same pixels as Qt's, and edge pixels take its colour only where the
// pattern has it.
TEST(SmoothFills, PatternsLieOnThePixelsQtPutsThemOn) {
    auto rings = RandomRings(130, 11);
    std::mt19937 rng(5);
    for (size_t i = 0; i < rings.size(); i += 4) rings[i] = ConvexRing(rng);
    const QPointF shifts[] = {{0, 0}, {3, -5}, {-13, 7}, {8, 16}, {0.5, -0.5}};
    const QPointF origins[] = {{0, 0}, {2, 5}, {0.5, -1.5}, {-3.5, 2.5}, {-6, -1}};
    const QRect bands[] = {QRect(0, 0, 160, 80), QRect(0, 80, 160, 80), QRect()};
    TPatternDifference d;
    int figures = 0;
    for (int style = kFirstPattern; style <= kLastPattern; ++style)
        for (size_t i = 0; i < rings.size(); i += 5) {
            const size_t k = i / 5 + size_t(style);
            TPatternSetting s;
            s.Style = Qt::BrushStyle(style);
            s.Shift = shifts[k % 5];
            s.Origin = origins[k / 5 % 5];
            s.Clip = bands[k % 3];
            if (k % 4 == 0) s.Format = QImage::Format_ARGB32_Premultiplied;
            const auto& ring = rings[(i + size_t(style)) % rings.size()];
            Compare(ring, s, d);
            ++figures;
        }
    EXPECT_GT(figures, 300);
    EXPECT_EQ(d.Inner, 0);
    EXPECT_GT(d.Edges, 0);
    EXPECT_LE(d.Max, 4);
    EXPECT_LT(d.Sum / double(std::max(1L, d.Edges)), 0.5);
}

// What Qt's pattern fill does besides tiling an opaque colour over a transparent ground is
// left to Qt.
TEST(SmoothFills, LeaveOtherPatternFillsToQt) {
    QImage img(40, 40, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(QBrush(kInk, Qt::CrossPattern));
    EXPECT_TRUE(TSmoothFills::For(p).has_value());

    p.setBackgroundMode(Qt::OpaqueMode);
    EXPECT_FALSE(TSmoothFills::For(p).has_value()) << "opaque background";
    p.setBackgroundMode(Qt::TransparentMode);

    p.setBrush(QBrush(QColor(40, 20, 160, 128), Qt::CrossPattern));
    EXPECT_FALSE(TSmoothFills::For(p).has_value()) << "translucent colour";

    QBrush turned(kInk, Qt::CrossPattern);
    turned.setTransform(QTransform().rotate(30));
    p.setBrush(turned);
    EXPECT_FALSE(TSmoothFills::For(p).has_value()) << "brush transform";

    QImage tile(4, 4, QImage::Format_RGB32);
    tile.fill(kInk);
    p.setBrush(QBrush(tile));
    EXPECT_FALSE(TSmoothFills::For(p).has_value()) << "texture";

    p.setBrush(QBrush(kInk, Qt::CrossPattern));
    p.rotate(10);
    EXPECT_FALSE(TSmoothFills::For(p).has_value()) << "rotated canvas";
}
