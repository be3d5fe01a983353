// Cutting polygons and wide polylines down to the drawn rectangle must not change a pixel:
// every figure is drawn with the cut and without it and the pictures compared.
#include "mapview/DrawPrimitives.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

using namespace tsivor::mapview;

namespace {

// A wavy line across the picture reaching far beyond it on both sides, crossing itself.
std::vector<QPoint> LongWave() {
    std::vector<QPoint> pts;
    for (int i = 0; i <= 400; ++i) {
        const double x = -6000 + i * 30;
        pts.emplace_back(int(x), int(150 + 260 * std::sin(i * 0.21)));
    }
    pts.emplace_back(200, -3000); // back across the picture: the line overlaps itself
    pts.emplace_back(210, 4000);
    return pts;
}

// A ragged ring of radius ~radius around centre: most of it off the picture.
std::vector<QPoint> LargeRing(QPoint centre, double radius) {
    std::vector<QPoint> pts;
    for (int i = 0; i < 720; ++i) {
        const double a = i * std::numbers::pi / 360;
        const double r = radius * (1 + 0.05 * std::sin(i * 0.7));
        pts.emplace_back(centre.x() + int(r * std::cos(a)), centre.y() + int(r * std::sin(a)));
    }
    return pts;
}

struct TFigure {
    QPen Pen;
    QBrush Brush = Qt::NoBrush;
    uint8_t Opacity = 255;
    QRect Clip; // painter clip, none when null
    bool Smooth = false;
};

TFigure Fig(const QPen& pen, const QBrush& brush = Qt::NoBrush, uint8_t opacity = 255,
            const QRect& clip = QRect()) {
    return TFigure{pen, brush, opacity, clip};
}

// The picture of one drawing call with the figure's canvas state, cut to the target or not.
QImage Paint(const TFigure& f, bool cut, const std::function<void(TDrawObject&)>& figure) {
    QImage img(400, 300, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, f.Smooth);
    if (!f.Clip.isNull()) p.setClipRect(f.Clip);
    p.setPen(f.Pen);
    p.setBrush(f.Brush);
    TDrawObject draw;
    draw.SetCanvas(&p);
    draw.Opacity = f.Opacity;
    draw.ClipToTarget = cut;
    figure(draw);
    draw.SetCanvas(nullptr);
    return img;
}

QImage Draw(const TFigure& f, std::span<const QPoint> pts, bool polygon, bool cut) {
    return Paint(f, cut, [&](TDrawObject& draw) {
        if (polygon)
            draw.Polygon(pts);
        else
            draw.Polyline(pts);
    });
}

int DifferentPixels(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

void ExpectSamePixels(const TFigure& f, std::span<const QPoint> pts, bool polygon) {
    const QImage plain = Draw(f, pts, polygon, false);
    const QImage cut = Draw(f, pts, polygon, true);
    EXPECT_EQ(DifferentPixels(plain, cut), 0);
    EXPECT_GT(DifferentPixels(plain, Draw(Fig(QPen(Qt::NoPen)), pts, polygon, false)), 0)
        << "the figure shows nothing";
}

QPen WidePen(int width, Qt::PenCapStyle cap = Qt::RoundCap) {
    QPen pen(QColor(200, 30, 30), width);
    pen.setCapStyle(cap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

} // namespace

TEST(ClipExact, WideLinesReachingFarOutsideKeepTheirPixels) {
    const auto wave = LongWave();
    for (int width : {2, 7, 24, 61})
        for (Qt::PenCapStyle cap : {Qt::RoundCap, Qt::SquareCap, Qt::FlatCap}) {
            SCOPED_TRACE(width);
            ExpectSamePixels(Fig(WidePen(width, cap)), wave, false);
        }
}

TEST(ClipExact, TranslucentSelfCrossingLineIsBlendedOnce) {
    ExpectSamePixels(Fig(WidePen(15), Qt::NoBrush, 128), LongWave(), false);
}

TEST(ClipExact, StripsOfAScrolledImageMatchTheWholeDrawing) {
    const auto wave = LongWave();
    const auto ring = LargeRing({250, 120}, 700);
    for (const QRect strip :
         {QRect(0, 0, 400, 10), QRect(350, 0, 50, 300), QRect(0, 250, 400, 50)}) {
        ExpectSamePixels(Fig(WidePen(11), Qt::NoBrush, 255, strip), wave, false);
        ExpectSamePixels(Fig(WidePen(9), QBrush(QColor(30, 160, 60)), 255, strip), ring, true);
    }
}

TEST(ClipExact, LargePolygonsKeepFillAndOutline) {
    const auto ring = LargeRing({150, 200}, 900);
    const QBrush green(QColor(30, 160, 60));
    ExpectSamePixels(Fig(WidePen(1), green), ring, true);
    ExpectSamePixels(Fig(WidePen(13), green), ring, true);
    ExpectSamePixels(Fig(WidePen(13), Qt::NoBrush), LargeRing({200, 1200}, 1100), true);
    ExpectSamePixels(Fig(QPen(Qt::NoPen), green), ring, true);
    ExpectSamePixels(Fig(QPen(Qt::NoPen), QBrush(Qt::blue, Qt::DiagCrossPattern)), ring, true);
    ExpectSamePixels(Fig(WidePen(13), green, 100), ring, true);
    // A ring whose edge passes through the picture several times.
    ExpectSamePixels(Fig(WidePen(5), green), LargeRing({200, 1200}, 1100), true);
}

namespace {

// Dashed pens of every kind the map uses, and a custom pattern with its own offset.
std::vector<QPen> DashedPens() {
    std::vector<QPen> pens;
    for (const Qt::PenStyle style :
         {Qt::DashLine, Qt::DotLine, Qt::DashDotLine, Qt::DashDotDotLine})
        for (int width : {2, 3, 7}) {
            QPen pen = WidePen(width, width == 3 ? Qt::SquareCap : Qt::FlatCap);
            pen.setStyle(style);
            pens.push_back(pen);
        }
    QPen custom = WidePen(4);
    custom.setDashPattern({3.5, 1.25, 0.5, 2});
    custom.setDashOffset(1.75);
    pens.push_back(custom);
    return pens;
}

// A zigzag and a ring that stay inside the 400 x 300 picture: around a small drawn rectangle
// the dashes go on from the parts left out.
std::vector<QPoint> ZigzagInside() {
    std::vector<QPoint> pts;
    for (int i = 0; i <= 60; ++i)
        pts.emplace_back(6 + i * 6 + (i % 3), i % 2 ? 40 + i * 3 : 260 - i);
    return pts;
}

// Small rectangles like a blinking house, and strips like those of a scroll step.
const QRect kDashClips[] = {QRect(),
                            QRect(180, 120, 30, 25),
                            QRect(5, 200, 17, 40),
                            QRect(300, 60, 20, 20),
                            QRect(0, 45, 400, 12),
                            QRect(390, 0, 10, 300)};

} // namespace

TEST(ClipExact, DashedLinesGoOnWithTheirPatternAfterTheCut) {
    const QBrush green(QColor(30, 160, 60));
    const struct {
        const char* Name;
        std::vector<QPoint> Points;
        bool Polygon;
        QBrush Brush;
        uint8_t Opacity;
    } figures[] = {{"wave", LongWave(), false, Qt::NoBrush, 255},
                   {"zigzag", ZigzagInside(), false, Qt::NoBrush, 255},
                   {"small ring", LargeRing({200, 150}, 120), true, green, 200},
                   {"ring", LargeRing({150, 200}, 900), true, green, 255},
                   {"crossing", LargeRing({200, 1200}, 1100), true, Qt::NoBrush, 140}};
    for (const auto& figure : figures)
        for (const QPen& pen : DashedPens()) {
            SCOPED_TRACE(testing::Message()
                         << figure.Name << " " << pen.style() << " " << pen.widthF());
            ExpectSamePixels(Fig(pen, figure.Brush, figure.Opacity), figure.Points, figure.Polygon);
            for (const QRect& clip : kDashClips) {
                SCOPED_TRACE(clip.x());
                const TFigure f = Fig(pen, figure.Brush, figure.Opacity, clip);
                EXPECT_EQ(DifferentPixels(Draw(f, figure.Points, figure.Polygon, false),
                                          Draw(f, figure.Points, figure.Polygon, true)),
                          0);
            }
        }
}

TEST(ClipExact, RingLosesOnlyVerticesBeyondOneSide) {
    const QRect rect(0, 0, 100, 100);
    const std::vector<QPoint> ring = {{50, 50},   {-10, 20},  {-300, 40}, {-200, 900},
                                      {-50, 500}, {-20, 60},  {150, 150}, {500, 140},
                                      {600, 160}, {400, -10}, {60, -5}};
    // {-10,20}..{-20,60} all left; {150,150}..{400,-10} all right.
    EXPECT_EQ(
        ReduceRingOutside(ring, rect),
        (std::vector<QPoint>{{50, 50}, {-10, 20}, {-20, 60}, {150, 150}, {400, -10}, {60, -5}}));
}

TEST(ClipExact, PolylineSplitsAtSegmentsWhollyOutside) {
    const QRect rect(0, 0, 100, 100);
    const std::vector<QPoint> pts = {{-50, 50}, {50, 50}, {50, 300}, {400, 300},
                                     {400, 50}, {90, 50}, {90, -40}};
    const auto runs = PolylineRunsInside(pts, rect);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(std::vector<QPoint>(runs[0].begin(), runs[0].end()),
              (std::vector<QPoint>{{-50, 50}, {50, 50}, {50, 300}}));
    EXPECT_EQ(std::vector<QPoint>(runs[1].begin(), runs[1].end()),
              (std::vector<QPoint>{{400, 50}, {90, 50}, {90, -40}}));
    EXPECT_TRUE(PolylineRunsInside(std::vector<QPoint>{{200, 0}, {300, 50}}, rect).empty());
}

namespace {

// A chain of cubic segments zigzagging inside the picture.
std::vector<QPoint> BezierZigzagInside() {
    std::vector<QPoint> pts{{10, 150}};
    for (int i = 0; i < 38; ++i) {
        const int x = 10 + i * 10;
        pts.emplace_back(x + 3, i % 2 ? 20 : 280);
        pts.emplace_back(x + 7, i % 2 ? 280 : 20);
        pts.emplace_back(x + 10, 150 + (i % 5) * 7);
    }
    return pts;
}

// A chain of cubic segments waving across the picture, most of it far off both sides.
std::vector<QPoint> LongBezierWave() {
    std::vector<QPoint> pts{{-6000, 150}};
    for (int i = 0; i < 120; ++i) {
        const int x = -6000 + i * 100;
        pts.emplace_back(x + 30, i % 2 ? -200 : 500);
        pts.emplace_back(x + 70, i % 2 ? 500 : -200);
        pts.emplace_back(x + 100, 150);
    }
    return pts;
}

QImage DrawBezier(const QPen& pen, std::span<const QPoint> pts, bool cut, const QRect& clip) {
    return Paint(Fig(pen, Qt::NoBrush, 255, clip), cut,
                 [&](TDrawObject& draw) { draw.PolyBezier(pts); });
}

} // namespace

TEST(ClipExact, BezierChainsStrokeOnlyTheSegmentsNearThePicture) {
    std::vector<QPen> pens = DashedPens();
    for (const QPen& pen : {QPen(QColor(20, 20, 200), 0), WidePen(9), WidePen(30, Qt::SquareCap),
                            QPen(QColor(20, 20, 200), 1, Qt::DashLine)})
        pens.push_back(pen);
    for (const auto& chain : {LongBezierWave(), BezierZigzagInside()})
        for (const QPen& pen : pens) {
            SCOPED_TRACE(testing::Message() << pen.style() << " " << pen.widthF());
            EXPECT_GT(DifferentPixels(DrawBezier(pen, chain, false, QRect()),
                                      DrawBezier(QPen(Qt::NoPen), chain, false, QRect())),
                      0);
            for (const QRect& clip : kDashClips) {
                SCOPED_TRACE(clip.x());
                EXPECT_EQ(DifferentPixels(DrawBezier(pen, chain, false, clip),
                                          DrawBezier(pen, chain, true, clip)),
                          0);
            }
        }
}

namespace {

// A closed chain of curves, a river bank of a large town: a wide ring around the picture
// with a wave through it, much of it far off the picture, crossing itself.
std::vector<QPoint> LargeBezierRing() {
    std::vector<QPoint> pts{{-3000, -2000}};
    const auto curveTo = [&pts](QPoint c1, QPoint c2, QPoint end) {
        pts.insert(pts.end(), {c1, c2, end});
    };
    for (int i = 0; i < 60; ++i) { // along the top, far above, then down through the picture
        const int x = -3000 + i * 100;
        curveTo({x + 30, -2100}, {x + 70, -1900}, {x + 100, -2000});
    }
    curveTo({3200, -500}, {-100, 100}, {150, 140});
    for (int i = 0; i < 8; ++i) { // a wave across the picture
        const int x = 150 + i * 40;
        curveTo({x + 10, i % 2 ? 60 : 260}, {x + 30, i % 2 ? 260 : 60}, {x + 40, 150});
    }
    curveTo({900, 400}, {3000, 2500}, {3000, 3000});
    for (int i = 0; i < 60; ++i) { // back along the bottom, far below
        const int x = 3000 - i * 100;
        curveTo({x - 30, 3100}, {x - 70, 2900}, {x - 100, 3000});
    }
    return pts;
}

QImage FillBezier(const QPen& pen, std::span<const QPoint> pts, bool cut, const QRect& clip,
                  bool smooth, uint8_t opacity) {
    return Paint(TFigure{pen, QColor(60, 140, 220), opacity, clip, smooth}, cut,
                 [&](TDrawObject& draw) { draw.FillBezierPath(pts); });
}

} // namespace

TEST(ClipExact, FilledBezierRingsKeepFillAndOutlineWhereTheyAreDrawn) {
    const std::vector<QPoint> ring = LargeBezierRing();
    std::vector<QPen> pens = {QPen(Qt::NoPen), QPen(QColor(20, 20, 200), 0), WidePen(9),
                              WidePen(20, Qt::SquareCap),
                              QPen(QColor(20, 20, 200), 2, Qt::DashLine)};
    for (bool smooth : {false, true})
        for (const uint8_t opacity : {uint8_t(255), uint8_t(128)})
            for (const QPen& pen : pens) {
                SCOPED_TRACE(testing::Message() << smooth << " " << int(opacity) << " "
                                                << pen.style() << " " << pen.widthF());
                const QImage whole = FillBezier(pen, ring, false, QRect(), smooth, opacity);
                EXPECT_GT(DifferentPixels(whole, QImage(whole.size(), whole.format())), 0);
                EXPECT_EQ(
                    DifferentPixels(whole, FillBezier(pen, ring, true, QRect(), smooth, opacity)),
                    0);
                for (const QRect& clip : kDashClips) {
                    SCOPED_TRACE(clip.x());
                    EXPECT_EQ(DifferentPixels(FillBezier(pen, ring, false, clip, smooth, opacity),
                                              FillBezier(pen, ring, true, clip, smooth, opacity)),
                              0);
                }
            }
}
