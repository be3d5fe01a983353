// The own aliased fill must give exactly the pixels of Qt's: thousands of random polygons of
// every kind (convex, concave, crossing themselves, with holes, degenerate, tiny, larger than the
// picture, far off it, rectangles Qt fills by its shortcut) under both fill rules, on every
// 32-bit format, moved by whole pixels, unclipped, clipped to a rectangle and in two bands of
// rows, are filled by both and the pictures compared.
#include "mapview/PlainFill.h"
#include "mapview/DrawPrimitives.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using namespace tsivor::mapview;

namespace {

constexpr int kWidth = 173, kHeight = 131;

struct TShape {
    std::vector<QPoint> Points;
    Qt::FillRule Rule = Qt::OddEvenFill;
    QColor Color;
};

std::vector<QPoint> Convex(std::mt19937& rng, QPoint centre, int radius) {
    std::uniform_real_distribution<double> turn(0.05, 1.2);
    std::vector<QPoint> pts;
    for (double a = turn(rng); a < 2 * M_PI; a += turn(rng))
        pts.emplace_back(centre.x() + int(std::lround(radius * std::cos(a))),
                         centre.y() + int(std::lround(radius * std::sin(a))));
    return pts;
}

std::vector<QPoint> Scattered(std::mt19937& rng, QPoint corner, int extent, int n) {
    std::uniform_int_distribution<int> at(0, std::max(0, extent));
    std::vector<QPoint> pts;
    for (int i = 0; i < n; ++i) pts.push_back(corner + QPoint(at(rng), at(rng)));
    return pts;
}

// One random figure of the kind k, about the picture (which spans 0..kWidth x 0..kHeight).
std::vector<QPoint> RandomPoints(std::mt19937& rng, int kind) {
    std::uniform_int_distribution<int> x(-60, kWidth + 60), y(-60, kHeight + 60);
    std::uniform_int_distribution<int> small(0, 12), size(1, 90);
    const QPoint at(x(rng), y(rng));
    switch (kind) {
    case 0: // convex
        return Convex(rng, at, 1 + int(rng() % 70));
    case 1: // concave or crossing itself
        return Scattered(rng, at - QPoint(40, 40), size(rng), 3 + int(rng() % 14));
    case 2: { // a ring with a hole: outer ring, back to its start, inner ring reversed
        const int r = 12 + int(rng() % 60);
        std::vector<QPoint> outer = Convex(rng, at, r), inner = Convex(rng, at, r / 2);
        std::vector<QPoint> pts = outer;
        pts.push_back(outer[0]);
        pts.insert(pts.end(), inner.rbegin(), inner.rend());
        pts.push_back(inner.back());
        return pts;
    }
    case 3: { // degenerate: collinear, repeated points, zero area
        const QPoint step(int(rng() % 9) - 4, int(rng() % 9) - 4);
        std::vector<QPoint> pts;
        for (int i = 0, n = 2 + int(rng() % 6); i < n; ++i)
            pts.push_back(at + step * int(rng() % 7));
        if (rng() % 2) pts.push_back(pts[0]);
        return pts;
    }
    case 4: // tiny
        return Scattered(rng, at, small(rng) / 4, 3 + int(rng() % 5));
    case 5: { // larger than the picture, reaching beyond every side
        std::uniform_int_distribution<int> far(-900, 900);
        std::vector<QPoint> pts;
        for (int i = 0, n = 3 + int(rng() % 8); i < n; ++i)
            pts.emplace_back(kWidth / 2 + far(rng), kHeight / 2 + far(rng));
        return pts;
    }
    case 6: { // far off the picture, some edges crossing it
        std::uniform_int_distribution<int> far(-200000, 200000);
        std::vector<QPoint> pts = Scattered(rng, at, 30, 3);
        pts.emplace_back(far(rng), far(rng));
        if (rng() % 2) pts.emplace_back(far(rng), at.y());
        return pts;
    }
    case 7: { // axis-aligned rectangles of 4 and 5 points, either way round
        const int w = int(rng() % 40), h = int(rng() % 40);
        std::vector<QPoint> pts = {at, at + QPoint(w, 0), at + QPoint(w, h), at + QPoint(0, h)};
        if (rng() % 2) std::reverse(pts.begin(), pts.end());
        if (rng() % 2) pts.push_back(pts[0]);
        return pts;
    }
    case 8: { // steep and flat edges near the sides of the picture and of the test's clip
        static constexpr int kColumns[] = {0, kWidth, 23, 152}, kRows[] = {0, kHeight, 17, 108};
        const bool columns = rng() % 2;
        const int side = columns ? kColumns[rng() % 4] : kRows[rng() % 4];
        std::vector<QPoint> pts;
        for (int i = 0, n = 3 + int(rng() % 3); i < n; ++i) {
            const int along = int(rng() % 400) - 100, across = side + int(rng() % 9) - 4;
            pts.push_back(columns ? QPoint(across, along) : QPoint(along, across));
        }
        return pts;
    }
    default: { // long thin slivers
        const QPoint a = at, b = at + QPoint(int(rng() % 300) - 150, int(rng() % 300) - 150);
        return {a, b, b + QPoint(int(rng() % 3) - 1, int(rng() % 3) - 1)};
    }
    }
}

std::vector<TShape> RandomShapes(unsigned seed, int count) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> channel(0, 255);
    std::vector<TShape> shapes;
    for (int i = 0; i < count; ++i) {
        TShape s;
        s.Points = RandomPoints(rng, i % 10);
        s.Rule = rng() % 3 == 0 ? Qt::WindingFill : Qt::OddEvenFill;
        s.Color = QColor(channel(rng), channel(rng), channel(rng));
        shapes.push_back(std::move(s));
    }
    return shapes;
}

// How the shapes are drawn: moved by Shift, clipped to Clip (none when null, in the moved
// coordinates), in the rows [Top, Bottom) only when Bottom > 0.
struct TSetting {
    QImage::Format Format = QImage::Format_RGB32;
    QPoint Shift;
    QRect Clip;
    int Top = 0, Bottom = 0;
};

TSetting Setting(QImage::Format format, QPoint shift = {}, QRect clip = {}) {
    TSetting s;
    s.Format = format, s.Shift = shift, s.Clip = clip;
    return s;
}

void Prepare(QPainter& p, const TSetting& s) {
    p.translate(s.Shift);
    if (s.Bottom > 0)
        p.setClipRect(QRect(0, s.Top, kWidth, s.Bottom - s.Top).translated(-s.Shift));
    else if (!s.Clip.isNull())
        p.setClipRect(s.Clip);
}

// The rectangle a painter prepared so draws into, in its coordinates.
QRect DrawnRect(const TSetting& s) {
    QRect r = QRect(0, 0, kWidth, kHeight).translated(-s.Shift);
    if (s.Bottom > 0) return r & QRect(0, s.Top, kWidth, s.Bottom - s.Top).translated(-s.Shift);
    return s.Clip.isNull() ? r : r & s.Clip;
}

QImage Blank(const TSetting& s) {
    QImage img(kWidth, kHeight, s.Format);
    img.fill(QColor(250, 245, 230));
    return img;
}

void FillByQt(QImage& img, const TSetting& s, std::span<const TShape> shapes) {
    QPainter p(&img);
    Prepare(p, s);
    p.setPen(Qt::NoPen);
    for (const TShape& shape : shapes) {
        p.setBrush(shape.Color);
        p.drawPolygon(shape.Points.data(), int(shape.Points.size()), shape.Rule);
    }
}

void FillOwn(QImage& img, const TSetting& s, std::span<const TShape> shapes) {
    QPainter p(&img);
    Prepare(p, s);
    p.setPen(Qt::NoPen);
    TPlainFill fill;
    const QRect clip = DrawnRect(s);
    for (const TShape& shape : shapes) {
        p.setBrush(shape.Color);
        ASSERT_TRUE(TPlainFill::Applies(p, clip));
        ASSERT_TRUE(fill.Fill(p, shape.Points, clip, shape.Rule));
    }
}

// Both fills of the shapes, in two bands of rows when the setting is cut at a row: each band
// on its own painter over the same pixels, as a frame is drawn on two threads.
template <class TFillFunction>
QImage Filled(const TSetting& s, int cut, std::span<const TShape> shapes, TFillFunction fill) {
    QImage img = Blank(s);
    if (cut <= 0) {
        fill(img, s, shapes);
        return img;
    }
    QImage lower(img.bits(), img.width(), img.height(), img.bytesPerLine(), img.format());
    TSetting upperRows = s, lowerRows = s;
    upperRows.Top = 0, upperRows.Bottom = cut;
    lowerRows.Top = cut, lowerRows.Bottom = kHeight;
    fill(img, upperRows, shapes);
    fill(lower, lowerRows, shapes);
    return img;
}

QString Describe(const TShape& shape) {
    QString text =
        shape.Rule == Qt::WindingFill ? QStringLiteral("winding:") : QStringLiteral("odd-even:");
    for (const QPoint& p : shape.Points) text += QStringLiteral(" (%1,%2)").arg(p.x()).arg(p.y());
    return text;
}

// Compares the fills of all shapes; on a difference names the first shape that differs.
void ExpectSameFills(const std::vector<TShape>& shapes, const TSetting& s, int cut = 0) {
    const QImage expected = Filled(s, cut, shapes, FillByQt);
    const QImage got = Filled(s, cut, shapes, FillOwn);
    if (got == expected) return;
    for (size_t i = 0; i < shapes.size(); ++i) {
        const std::span<const TShape> one(&shapes[i], 1);
        const QImage a = Filled(s, cut, one, FillByQt), b = Filled(s, cut, one, FillOwn);
        int differ = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) differ += a.pixel(x, y) != b.pixel(x, y);
        ASSERT_EQ(differ, 0) << "shape " << i << " " << qPrintable(Describe(shapes[i])) << " shift "
                             << s.Shift.x() << "," << s.Shift.y() << " cut " << cut;
    }
    FAIL() << "the pictures differ, though each shape alone is filled alike";
}

TEST(PlainFill, RandomPolygonsFillQtsPixels) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
        const auto shapes = RandomShapes(seed, 2000);
        ExpectSameFills(shapes, {});
        ExpectSameFills(shapes, Setting(QImage::Format_RGB32, {}, QRect(23, 17, 129, 91)));
    }
}

TEST(PlainFill, MovedByWholePixels) {
    const auto shapes = RandomShapes(7, 2000);
    for (const QPoint shift : {QPoint(5, -3), QPoint(-40, 17), QPoint(120, -50)}) {
        ExpectSameFills(shapes, Setting(QImage::Format_RGB32, shift));
        ExpectSameFills(shapes, Setting(QImage::Format_RGB32, shift, QRect(-9, 20, 100, 70)));
    }
}

TEST(PlainFill, EveryThirtyTwoBitFormat) {
    const auto shapes = RandomShapes(9, 2000);
    for (auto format : {QImage::Format_ARGB32_Premultiplied, QImage::Format_ARGB32}) {
        ExpectSameFills(shapes, Setting(format));
        ExpectSameFills(shapes, Setting(format, QPoint(3, 4), QRect(10, 10, 90, 90)));
    }
}

TEST(PlainFill, BandsOfRows) {
    for (unsigned seed = 11; seed <= 13; ++seed) {
        const auto shapes = RandomShapes(seed, 2000);
        for (int cut : {kHeight / 2, 1, 77}) {
            ExpectSameFills(shapes, {}, cut);
            ExpectSameFills(shapes, Setting(QImage::Format_RGB32, QPoint(-7, 12)), cut);
        }
    }
}

// Figures whose edges meet a side of the clip at every slope and offset: the rows where an
// edge is pressed onto the side are those Qt presses.
TEST(PlainFill, EdgesAcrossTheSidesOfTheClip) {
    const QRect clip(20, 15, 120, 90);
    std::vector<TShape> shapes;
    std::mt19937 rng(3);
    for (int side : {clip.left(), clip.right() + 1})
        for (int dx = -70; dx <= 70; dx += 3)
            for (int off = -3; off <= 3; ++off) {
                const int y0 = 5 + int(rng() % 40), y1 = y0 + 1 + int(rng() % 100);
                const QPoint a(side + off, y0), b(side + off + dx, y1);
                shapes.push_back({{a, b, b + QPoint(side > 50 ? -30 : 30, 0)},
                                  Qt::OddEvenFill,
                                  QColor(int(rng() % 256), int(rng() % 256), 9)});
            }
    ExpectSameFills(shapes, {});
    ExpectSameFills(shapes, Setting(QImage::Format_RGB32, {}, clip));
    ExpectSameFills(shapes, Setting(QImage::Format_RGB32, {}, clip), 52);
}

// Polygons through the drawing object, filled by TPlainFill and outlined by Qt, against Qt
// drawing fill and outline at once: the outline lies on the fill as Qt's own does, for every kind
// of pen, on rectangles Qt draws by its shortcut and on rings the drawing object shortens.
TEST(PlainFill, OutlinedFiguresThroughTheDrawingObject) {
    std::mt19937 rng(17);
    auto shapes = RandomShapes(19, 3000);
    for (int i = 0; i < 200; ++i) { // rings of many points reaching far beyond the picture
        TShape s;
        s.Points = Convex(rng, QPoint(kWidth / 2, kHeight / 2) + QPoint(int(rng() % 600) - 300, 0),
                          100 + int(rng() % 400));
        s.Color = QColor(int(rng() % 256), 90, int(rng() % 256));
        shapes.push_back(std::move(s));
    }
    std::vector<QPen> pens = {QPen(Qt::NoPen),
                              QPen(Qt::black, 0),
                              QPen(Qt::darkRed, 1),
                              QPen(Qt::blue, 2),
                              QPen(Qt::black, 1, Qt::DashLine),
                              QPen(QColor(0, 0, 0, 120), 0)};
    auto draw = [&](bool plain, const TSetting& s, int cut) {
        return Filled(s, cut, shapes, [&](QImage& img, const TSetting& set, auto figures) {
            QPainter p(&img);
            Prepare(p, set);
            TDrawObject d;
            d.UseStamps = false;
            d.PlainFills = plain;
            d.SetCanvas(&p);
            size_t n = 0;
            for (const TShape& shape : figures) {
                p.setPen(pens[n++ % pens.size()]);
                p.setBrush(shape.Color);
                d.Polygon(shape.Points);
            }
            d.SetCanvas(nullptr);
        });
    };
    for (const TSetting& s : {TSetting{}, Setting(QImage::Format_RGB32, {}, QRect(23, 17, 129, 91)),
                              Setting(QImage::Format_ARGB32_Premultiplied, QPoint(-6, 9))})
        for (int cut : {0, kHeight / 2})
            EXPECT_EQ(draw(true, s, cut), draw(false, s, cut)) << "cut " << cut;
}

TEST(PlainFill, AppliesOnlyWhereItIsExact) {
    QImage img(40, 40, QImage::Format_RGB32);
    const QRect clip(0, 0, 40, 40);
    QPainter p(&img);
    p.setBrush(Qt::red);
    EXPECT_TRUE(TPlainFill::Applies(p, clip));
    EXPECT_FALSE(TPlainFill::Applies(p, QRect()));
    p.setBrush(QColor(255, 0, 0, 128));
    EXPECT_FALSE(TPlainFill::Applies(p, clip));
    p.setBrush(QBrush(Qt::red, Qt::Dense4Pattern));
    EXPECT_FALSE(TPlainFill::Applies(p, clip));
    p.setBrush(Qt::red);
    p.setOpacity(0.5);
    EXPECT_FALSE(TPlainFill::Applies(p, clip));
    p.setOpacity(1);
    p.setRenderHint(QPainter::Antialiasing);
    EXPECT_FALSE(TPlainFill::Applies(p, clip));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.translate(0.5, 0);
    EXPECT_FALSE(TPlainFill::Applies(p, clip));
    p.translate(0.5, 0);
    EXPECT_TRUE(TPlainFill::Applies(p, clip));
    p.scale(2, 2);
    EXPECT_FALSE(TPlainFill::Applies(p, clip));
    p.resetTransform();
    p.setCompositionMode(QPainter::CompositionMode_Source);
    EXPECT_FALSE(TPlainFill::Applies(p, clip));
    p.end();
    for (auto format : {QImage::Format_RGB16, QImage::Format_RGB888}) {
        QImage other(40, 40, format);
        QPainter q(&other);
        q.setBrush(Qt::red);
        EXPECT_FALSE(TPlainFill::Applies(q, clip)) << format;
    }
}

TEST(PlainFill, PointsBeyondItsReachAreLeftToQt) {
    QImage img(40, 40, QImage::Format_RGB32);
    img.fill(Qt::white);
    const QImage blank = img;
    QPainter p(&img);
    p.setBrush(Qt::red);
    TPlainFill fill;
    const std::vector<QPoint> far = {{0, 0}, {TPlainFill::kMaxCoordinate + 1, 10}, {0, 30}};
    EXPECT_FALSE(fill.Fill(p, far, QRect(0, 0, 40, 40)));
    p.end();
    EXPECT_EQ(img, blank);
}

} // namespace
