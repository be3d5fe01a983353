// Small polygons copied from stamps must show exactly the pixels Qt draws for them: random
// figures at random places (clip and picture edges and the seam of two bands of rows among
// them) with every kind of pen and brush are drawn through the stamps and straight through Qt,
// and the pictures compared; a map keeps its stamps over a shifted view.
#include "mapview/PolygonStamps.h"
#include "RenderTestSupport.h"
#include "mapview/DrawPrimitives.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace rendertest;
using namespace tsivor::mapview;

namespace {

constexpr int kWidth = 320, kHeight = 240;

struct TFigure {
    std::vector<QPoint> Points;
    QPen Pen;
    QBrush Brush;
    uint8_t Opacity = 255;
};

QColor RandomColor(std::mt19937& rng, bool translucent) {
    std::uniform_int_distribution<int> channel(0, 255);
    return QColor(channel(rng), channel(rng), channel(rng), translucent ? 140 : 255);
}

// Shapes from a small pool, so that most are met again elsewhere, some larger than stamps are
// made of; placed anywhere, partly off the picture too.
std::vector<TFigure> RandomFigures(unsigned seed, int count) {
    std::mt19937 rng(seed);
    std::vector<std::vector<QPoint>> pool;
    for (int s = 0; s < 60; ++s) {
        const int extent = s % 10 == 0 ? 90 : 2 + s % 37;
        const int n = 2 + int(rng() % 18);
        std::uniform_int_distribution<int> at(0, extent);
        std::vector<QPoint> shape;
        for (int i = 0; i < n; ++i) shape.emplace_back(at(rng), at(rng));
        pool.push_back(std::move(shape));
    }
    std::uniform_int_distribution<int> x(-100, kWidth + 10), y(-100, kHeight + 10);
    std::vector<TFigure> figures;
    for (int i = 0; i < count; ++i) {
        TFigure f;
        const QPoint offset(x(rng), y(rng));
        for (const QPoint& p : pool[rng() % pool.size()]) f.Points.push_back(p + offset);
        const int pen = int(rng() % 6); // none, 0, 1, 2 pixels wide, dashed, translucent
        if (pen == 0) {
            f.Pen = QPen(Qt::NoPen);
        } else {
            f.Pen = QPen(RandomColor(rng, pen == 5), pen == 4 ? 1 : std::min(pen - 1, 2),
                         pen == 4 ? Qt::DashLine : Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        }
        const int brush = int(rng() % 5); // none, opaque, translucent, hatched, opaque
        if (brush == 0)
            f.Brush = Qt::NoBrush;
        else
            f.Brush = QBrush(RandomColor(rng, brush == 2),
                             brush == 3 ? Qt::DiagCrossPattern : Qt::SolidPattern);
        f.Opacity = rng() % 8 == 0 ? 128 : 255;
        figures.push_back(std::move(f));
    }
    return figures;
}

void DrawFigures(TDrawObject& draw, QPainter& canvas, const std::vector<TFigure>& figures,
                 bool smoothed) {
    canvas.setRenderHint(QPainter::Antialiasing, smoothed);
    draw.SetCanvas(&canvas);
    for (const TFigure& f : figures) {
        canvas.setPen(f.Pen);
        canvas.setBrush(f.Brush);
        draw.Opacity = f.Opacity;
        draw.Polygon(f.Points);
    }
    draw.SetCanvas(nullptr);
}

QImage Blank(QImage::Format format, int width = kWidth) {
    QImage img(width, kHeight, format);
    img.fill(QColor(250, 245, 230));
    return img;
}

// The figures on one painter clipped to clip (none when null), smoothed or not.
QImage Painted(TDrawObject& draw, const std::vector<TFigure>& figures, const QRect& clip,
               QImage::Format format = QImage::Format_RGB32, bool smoothed = false,
               int width = kWidth) {
    QImage img = Blank(format, width);
    QPainter p(&img);
    if (!clip.isNull()) p.setClipRect(clip);
    DrawFigures(draw, p, figures, smoothed);
    return img;
}

// The figures in two bands of rows, each painter on the same pixels clipped to its rows, as a
// frame is drawn on two threads.
QImage PaintedInBands(TDrawObject& upper, TDrawObject& lower, const std::vector<TFigure>& figures,
                      int cut, bool smoothed = false) {
    QImage img = Blank(QImage::Format_RGB32);
    QImage lowerRows(img.bits(), img.width(), img.height(), img.bytesPerLine(), img.format());
    {
        QPainter p(&img);
        p.setClipRect(QRect(0, 0, kWidth, cut));
        DrawFigures(upper, p, figures, smoothed);
    }
    {
        QPainter p(&lowerRows);
        p.setClipRect(QRect(0, cut, kWidth, kHeight - cut));
        DrawFigures(lower, p, figures, smoothed);
    }
    return img;
}

// Drawing objects straight through Qt.
struct TDirect : TDrawObject {
    TDirect() {
        UseStamps = false;
        PlainFills = false;
    }
};

TEST(PolygonStamps, RandomFiguresShowQtsPixels) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        const auto figures = RandomFigures(seed, 1500);
        for (const QRect& clip : {QRect(), QRect(37, 29, 201, 157), QRect(0, 0, kWidth, 101)}) {
            TDirect direct;
            TDrawObject stamped;
            const QImage expected = Painted(direct, figures, clip);
            const QImage got = Painted(stamped, figures, clip);
            EXPECT_GT(stamped.Stamps().Count(), 0u);
            ASSERT_EQ(got, expected) << "seed " << seed << " clip " << clip.x() << "," << clip.y();
            // Drawn again from the stamps made the first time.
            ASSERT_EQ(Painted(stamped, figures, clip), expected) << "seed " << seed;
        }
    }
}

// Smoothed figures under an opaque hairline outline: the aliased fill and the stepped outline
// over it come from stamps, the outline's coverages blended again over whatever lies under it;
// smoothed fills without outline come from the spans they were given. The same figures drawn
// straight give the same pixels, in bands of rows too, and again from the stamps once made.
TEST(PolygonStamps, SmoothedOutlinesFromStampsAreTheSteppedOnes) {
    for (unsigned seed = 31; seed <= 34; ++seed) {
        const auto figures = RandomFigures(seed, 1500);
        for (const QRect& clip : {QRect(), QRect(37, 29, 201, 157)}) {
            TDirect direct;
            TDrawObject stamped;
            const QImage expected = Painted(direct, figures, clip, QImage::Format_RGB32, true);
            ASSERT_EQ(Painted(stamped, figures, clip, QImage::Format_RGB32, true), expected)
                << "seed " << seed;
            EXPECT_GT(stamped.Stamps().Count(), 0u);
            ASSERT_EQ(Painted(stamped, figures, clip, QImage::Format_RGB32, true), expected)
                << "seed " << seed;
        }
        for (int cut : {kHeight / 2, 77}) {
            TDirect directUpper, directLower;
            TDrawObject upper, lower;
            const QImage expected = PaintedInBands(directUpper, directLower, figures, cut, true);
            for (int pass = 0; pass < 2; ++pass)
                ASSERT_EQ(PaintedInBands(upper, lower, figures, cut, true), expected)
                    << "seed " << seed;
        }
    }
}

// A smoothed fill without outline is kept as the spans it was given, whatever the colour it was
// first met in: a shape first filled in a clear colour, or faintly, shows its spans when met
// again opaque or patterned; an upright rectangle, which Qt smooths by other means, is left to
// Qt.
TEST(PolygonStamps, SmoothedFillsKeepTheirSpansWhateverColourTheyWereFirstMetIn) {
    const std::vector<std::vector<QPoint>> shapes = {{{0, 0}, {13, 2}, {9, 11}, {2, 7}},
                                                     {{0, 0}, {20, 0}, {20, 9}, {0, 9}},
                                                     {{3, 0}, {7, 12}, {0, 5}, {12, 5}, {1, 12}}};
    std::vector<TFigure> figures;
    for (size_t s = 0; s < shapes.size(); ++s)
        for (int k = 0; k < 6; ++k) {
            TFigure f;
            const QPoint at(17 + 31 * k, 11 + 37 * int(s));
            for (const QPoint& p : shapes[s]) f.Points.push_back(p + at);
            f.Pen = QPen(Qt::NoPen);
            const QColor color =
                k == 0 ? QColor(200, 30, 30, 0) : QColor(30, 40 * k, 200, k % 2 ? 255 : 90);
            f.Brush = QBrush(color, k == 5 ? Qt::Dense4Pattern : Qt::SolidPattern);
            f.Opacity = k == 1 ? 40 : 255;
            figures.push_back(f);
        }
    TDirect direct;
    TDrawObject stamped;
    const QImage expected = Painted(direct, figures, QRect(), QImage::Format_RGB32, true);
    ASSERT_EQ(Painted(stamped, figures, QRect(), QImage::Format_RGB32, true), expected);
    EXPECT_GE(stamped.Stamps().Count(), 2u);
    ASSERT_EQ(Painted(stamped, figures, QRect(), QImage::Format_RGB32, true), expected);
}

// An outline's pixels are kept as offsets into pictures of one width: stamps made on one
// picture still give the stepped pixels on a wider one.
TEST(PolygonStamps, SmoothedOutlinesOnPicturesOfAnotherWidth) {
    const auto figures = RandomFigures(41, 800);
    TDrawObject stamped;
    for (int width : {kWidth, kWidth + 77, kWidth}) {
        TDirect direct;
        ASSERT_EQ(Painted(stamped, figures, QRect(), QImage::Format_RGB32, true, width),
                  Painted(direct, figures, QRect(), QImage::Format_RGB32, true, width))
            << width;
    }
}

TEST(PolygonStamps, OtherPictureFormatsShowQtsPixels) {
    const auto figures = RandomFigures(11, 1500);
    for (auto format : {QImage::Format_ARGB32_Premultiplied, QImage::Format_ARGB32,
                        QImage::Format_RGB888, QImage::Format_RGB16}) {
        TDirect direct;
        TDrawObject stamped;
        ASSERT_EQ(Painted(stamped, figures, QRect(), format),
                  Painted(direct, figures, QRect(), format))
            << format;
    }
}

TEST(PolygonStamps, BandsOfRowsShowQtsPixels) {
    for (unsigned seed = 21; seed <= 24; ++seed) {
        const auto figures = RandomFigures(seed, 1500);
        for (int cut : {kHeight / 2, 77}) {
            TDirect directUpper, directLower;
            TDrawObject upper, lower;
            const QImage expected = PaintedInBands(directUpper, directLower, figures, cut);
            ASSERT_EQ(PaintedInBands(upper, lower, figures, cut), expected) << "seed " << seed;
            ASSERT_EQ(PaintedInBands(upper, lower, figures, cut), expected) << "seed " << seed;
        }
    }
}

// Figures at every offset from the picture's edges and a clip's: stamps stop where the edges
// would change Qt's pixels. Some outlines of these shapes reach a pixel past their points.
TEST(PolygonStamps, FiguresAtEveryDistanceFromTheEdges) {
    const std::vector<std::vector<QPoint>> shapes = {
        {{0, 0}, {6, 1}, {7, 5}, {3, 8}, {0, 5}},
        {{14, 2}, {0, 0}, {3, 5}, {9, 3}, {2, 0}},
        {{11, 17}, {12, 4}, {0, 1}, {25, 0}, {0, 24}, {10, 3}, {2, 16}, {5, 10}, {27, 13}}};
    const QRect clip(0, 0, 207, 171);
    for (const auto& shape : shapes) {
        const QRect box = QPolygon(QList<QPoint>(shape.begin(), shape.end())).boundingRect();
        std::vector<TFigure> figures;
        for (const QPen& pen : {QPen(Qt::NoPen), QPen(Qt::black, 0), QPen(Qt::blue, 1)})
            for (const QBrush& brush : {QBrush(Qt::NoBrush), QBrush(Qt::red)})
                for (int d = -6; d <= 6; ++d) {
                    const int along = 40 + 9 * (d + 6);
                    // Against the picture's left and top edges, the clip's right and bottom
                    // edges, the picture's right and bottom edges.
                    for (const QPoint at : {QPoint(d, along), QPoint(along, d),
                                            QPoint(clip.right() - box.right() + d, along),
                                            QPoint(along, clip.bottom() - box.bottom() + d),
                                            QPoint(kWidth - 1 - box.right() + d, along),
                                            QPoint(along, kHeight - 1 - box.bottom() + d)}) {
                        TFigure f{{}, pen, brush};
                        for (const QPoint& p : shape) f.Points.push_back(p + at);
                        figures.push_back(f);
                    }
                }
        for (const QRect& c : {QRect(), clip})
            for (bool smoothed : {false, true}) {
                TDirect direct;
                TDrawObject stamped;
                EXPECT_EQ(Painted(stamped, figures, c, QImage::Format_RGB32, smoothed),
                          Painted(direct, figures, c, QImage::Format_RGB32, smoothed))
                    << smoothed;
            }
    }
}

TEST(PolygonStamps, TheCacheIsBoundedAndKeptPerScale) {
    TDrawObject draw;
    TPolygonStamps& stamps = draw.Stamps();
    QImage img = Blank(QImage::Format_RGB32);
    QPainter p(&img);
    p.setPen(QPen(Qt::black, 0));
    p.setBrush(Qt::red);
    draw.SetCanvas(&p);
    std::mt19937 rng(5);
    for (size_t i = 0; i < TPolygonStamps::kMaxStamps + 10; ++i) {
        const std::vector<QPoint> pts = {{10, 10},
                                         {10 + int(rng() % 60), 10 + int(rng() % 60)},
                                         {10 + int(rng() % 60), 10 + int(rng() % 60)},
                                         {10 + int(rng() % 60), 10 + int(rng() % 60)}};
        draw.Polygon(pts);
        ASSERT_GT(stamps.Count(), 0u);
        ASSERT_LE(stamps.Count(), TPolygonStamps::kMaxStamps);
        ASSERT_LE(stamps.Bytes(), TPolygonStamps::kMaxBytes + 4096);
    }
    stamps.KeepFor(50);
    const std::vector<QPoint> tri = {{10, 10}, {20, 10}, {15, 18}};
    draw.Polygon(tri);
    stamps.KeepFor(50);
    EXPECT_EQ(stamps.Count(), 1u);
    stamps.KeepFor(60);
    EXPECT_EQ(stamps.Count(), 0u);
    draw.SetCanvas(nullptr);
}

// Houses of a map at a scale where their points round differently from place to place.
void AddHouses(TMapDocument& doc, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> at(-40, 700), size(3, 30);
    AddRect(doc, -100, -100, 900, 900, 0x70A070, -5);
    for (int i = 0; i < 900; ++i) {
        const float x = at(rng), y = at(rng) * 0.7f, w = size(rng), h = size(rng);
        TORBMapObjectMem& o = AddPoints(doc, cPolygon,
                                        {{x, y},
                                         {x + w, y + 0.3f},
                                         {x + w * 1.1f, y + h},
                                         {x + w / 2, y + h * 1.2f},
                                         {x, y + h}},
                                        0x202020, i % 3 ? 0x3050C0 : 0xC0C0C0);
        o.Pen.Width = i % 5 == 0 ? 2 : 0;
    }
}

TEST(PolygonStamps, AMapKeepsItsStampsOverAShiftedView) {
    TTestMap stamped(400, 300), direct(400, 300);
    direct.map.Render().DrawingObject().UseStamps = false;
    direct.map.Render().DrawingObject().PlainFills = false;
    for (TTestMap* m : {&stamped, &direct}) {
        AddHouses(m->Doc(), 3);
        m->map.ZoomAt(260, 180, 137);
        m->Frame();
    }
    ASSERT_EQ(stamped.map.Picture(), direct.map.Picture());
    // Dragged by whole pixels: the uncovered strips, then whole frames, from the stamps.
    for (const QPoint step : {QPoint(7, 0), QPoint(0, 13), QPoint(5, 5), QPoint(11, 3)}) {
        for (TTestMap* m : {&stamped, &direct}) {
            ASSERT_TRUE(m->map.ScrollBy(sdRightDown, step.x(), step.y()));
        }
        ASSERT_EQ(stamped.map.Picture(), direct.map.Picture()) << step.x() << "," << step.y();
        ASSERT_EQ(stamped.Frame(), direct.Frame()) << step.x() << "," << step.y();
    }
    // Moved by a fraction of a pixel: the points round to other shapes.
    for (TTestMap* m : {&stamped, &direct}) m->map.SetXWind(m->map.XWind() + 0.37f);
    ASSERT_EQ(stamped.Frame(), direct.Frame());
}

} // namespace
