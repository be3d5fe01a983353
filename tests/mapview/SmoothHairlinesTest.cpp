// Smoothed hairlines stepped straight into the image: they must look as Qt smooths the same
// outlines, stay inside the clip, and leave every state they do not reproduce to Qt.
#include "mapview/SmoothHairlines.h"
#include "mapview/DrawPrimitives.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

using namespace tsivor::mapview;

namespace {

const QColor kGround(200, 230, 180), kInk(40, 20, 160);
// The largest channel difference of ink and ground.
constexpr int kContrast = 210;

struct TFigure {
    std::vector<QPoint> Points;
    bool Closed = false;
};

// Chains of 1-6 segments of 0-200 pixels in every direction, many reaching off the image.
std::vector<TFigure> RandomFigures(int count, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> start(-40, 200), length(0, 200), segments(1, 6);
    std::uniform_real_distribution<double> angle(0, 2 * std::numbers::pi);
    std::vector<TFigure> figures;
    for (int i = 0; i < count; ++i) {
        TFigure f;
        f.Closed = i % 2 == 1;
        f.Points.push_back(QPoint(start(rng), start(rng)));
        for (int n = segments(rng); n > 0; --n) {
            const double a = angle(rng), l = i % 7 == 0 ? length(rng) % 4 : length(rng);
            f.Points.push_back(f.Points.back() + QPoint(int(std::lround(l * std::cos(a))),
                                                        int(std::lround(l * std::sin(a)))));
        }
        figures.push_back(std::move(f));
    }
    return figures;
}

struct TSetting {
    QPen Pen;
    QPointF Shift;
    QRect Clip; // none when null
    QImage::Format Format = QImage::Format_RGB32;
};

// The figure drawn smoothed by Qt or by the stepper.
QImage Drawn(const TFigure& f, const TSetting& s, bool byQt) {
    QImage img(160, 160, s.Format);
    img.fill(kGround);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (!s.Clip.isNull()) p.setClipRect(s.Clip);
    p.translate(s.Shift);
    p.setPen(s.Pen);
    const int n = int(f.Points.size());
    if (byQt) {
        if (f.Closed)
            p.drawPolygon(f.Points.data(), n);
        else
            p.drawPolyline(f.Points.data(), n);
    } else {
        auto lines = TSmoothHairlines::For(p);
        if (!lines) {
            ADD_FAILURE() << "no stepper";
            return img;
        }
        lines->Chain(f.Points, f.Closed);
    }
    return img.convertToFormat(QImage::Format_RGB32);
}

int Difference(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

struct TComparison {
    int Max = 0;
    double Sum = 0;
    long Pixels = 0;
    int Stray = 0;       // drawn with nothing of Qt's line within a pixel
    int OutsideClip = 0; // drawn outside the clip
};

void Compare(const QImage& drawn, const QImage& byQt, const QRect& clip, TComparison& c) {
    const QRgb ground = kGround.rgb();
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x) {
            const QRgb mine = drawn.pixel(x, y);
            const int d = Difference(mine, byQt.pixel(x, y));
            c.Max = std::max(c.Max, d);
            c.Sum += d;
            ++c.Pixels;
            if (mine == ground) continue;
            if (!clip.isNull() && !clip.contains(x, y)) ++c.OutsideClip;
            bool near = false;
            for (int j = std::max(0, y - 1); j <= std::min(drawn.height() - 1, y + 1); ++j)
                for (int i = std::max(0, x - 1); i <= std::min(drawn.width() - 1, x + 1); ++i)
                    near = near || byQt.pixel(i, j) != ground;
            c.Stray += !near;
        }
}

} // namespace

// Every direction and slope, ends on whole and half pixels and between, outlines of width 0
// and 1 with each kind of end, on the whole image and clipped to a band of rows whose edges
// the lines cross: within an eighth of the contrast of Qt's, nowhere Qt draws nothing near,
// nothing outside the clip.
TEST(SmoothHairlines, LookAsQtSmoothsTheSameOutlines) {
    const auto figures = RandomFigures(600, 7);
    const Qt::PenCapStyle caps[] = {Qt::RoundCap, Qt::FlatCap, Qt::SquareCap};
    const QPointF shifts[] = {{0, 0}, {0.5, 0.5}, {0.3, -0.7}};
    const QRect clips[] = {QRect(), QRect(0, 53, 160, 41), QRect(37, 0, 60, 160)};
    TComparison c;
    for (size_t i = 0; i < figures.size(); ++i) {
        TSetting s;
        s.Pen = QPen(kInk, int(i / 3 % 2), Qt::SolidLine, caps[i % 3], Qt::RoundJoin);
        s.Shift = shifts[i / 5 % 3];
        s.Clip = clips[i / 2 % 3];
        if (i % 11 == 0) s.Format = QImage::Format_ARGB32_Premultiplied;
        Compare(Drawn(figures[i], s, false), Drawn(figures[i], s, true), s.Clip, c);
    }
    EXPECT_LE(c.Max, kContrast / 8);
    EXPECT_LT(c.Sum / c.Pixels, 0.1);
    EXPECT_EQ(c.Stray, 0);
    EXPECT_EQ(c.OutsideClip, 0);
}

// Where two sides of a house meet, the corner pixel is blended once for each side, as Qt
// blends it: no darker and no lighter than Qt's corner.
TEST(SmoothHairlines, CornersAreAsDarkAsQtsCorners) {
    const TFigure house{{{20, 20}, {120, 24}, {116, 90}, {24, 110}}, true};
    for (QPointF shift : {QPointF(0, 0), QPointF(0.5, 0.5)}) {
        TSetting s;
        s.Pen = QPen(kInk, 1);
        s.Shift = shift;
        const QImage drawn = Drawn(house, s, false), byQt = Drawn(house, s, true);
        for (const QPoint& corner : house.Points)
            for (int y = corner.y() - 1; y <= corner.y() + 1; ++y)
                for (int x = corner.x() - 1; x <= corner.x() + 1; ++x)
                    EXPECT_LE(Difference(drawn.pixel(x, y), byQt.pixel(x, y)), 4)
                        << x << "," << y << " shift " << shift.x();
    }
}

namespace {

// A house outlined and a street line through the drawing object, or drawn by Qt as the
// drawing object asks it to (odd widths of lines on the aliased rows).
QImage HouseAndLine(const QPen& pen, const std::function<void(QPainter&)>& setUp, bool byQt,
                    QImage::Format format = QImage::Format_RGB32) {
    QImage img(160, 120, format);
    img.fill(kGround);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    setUp(p);
    p.setPen(pen);
    const QPoint house[] = {{20, 20}, {90, 28}, {80, 100}, {26, 90}};
    const QPoint line[] = {{5, 110}, {60, 60}, {150, 40}};
    if (byQt) {
        p.drawPolygon(house, 4, Qt::OddEvenFill);
        if (pen.width() % 2) p.translate(0.5, 0.5);
        p.drawPolyline(line, 3);
    } else {
        TDrawObject draw;
        draw.SetCanvas(&p);
        draw.Polygon(house);
        draw.Polyline(line);
        draw.SetCanvas(nullptr);
    }
    return img;
}

} // namespace

// Translucent, dashed and wider pens, a translucent canvas, a turned or scaled one, a clip of
// more than one rectangle or of parts of pixels, a non-premultiplied image: Qt draws them,
// exactly as it would by itself.
TEST(SmoothHairlines, WhatTheyDoNotReproduceIsLeftToQt) {
    const QPen ink(kInk, 1);
    auto none = [](QPainter&) {};
    QPen translucent = ink, dashed = ink, wide = ink;
    translucent.setColor(QColor(40, 20, 160, 128));
    dashed.setStyle(Qt::DashLine);
    wide.setWidth(2);
    for (const QPen& pen : {translucent, dashed, wide})
        EXPECT_EQ(HouseAndLine(pen, none, false), HouseAndLine(pen, none, true));
    const std::function<void(QPainter&)> states[] = {
        [](QPainter& p) { p.setOpacity(0.5); },
        [](QPainter& p) { p.rotate(10); },
        [](QPainter& p) { p.scale(1.5, 1.5); },
        [](QPainter& p) { p.setClipRegion(QRegion(0, 0, 160, 50) + QRegion(0, 70, 160, 50)); },
        [](QPainter& p) { p.setClipRect(QRectF(0, 10.5, 160, 60)); },
        [](QPainter& p) { p.setCompositionMode(QPainter::CompositionMode_Multiply); },
    };
    for (const auto& state : states)
        EXPECT_EQ(HouseAndLine(ink, state, false), HouseAndLine(ink, state, true));
    EXPECT_EQ(HouseAndLine(ink, none, false, QImage::Format_ARGB32),
              HouseAndLine(ink, none, true, QImage::Format_ARGB32));
}

// A rectangle redrawn under a clip gets the pixels of the whole picture: long, shallow lines,
// whose steps round a little each, are stepped from their first pixel whatever the clip.
TEST(SmoothHairlines, AClippedRedrawGivesThePixelsOfTheWholePicture) {
    std::mt19937 random(11);
    auto between = [&](double lo, double hi) {
        return std::uniform_real_distribution(lo, hi)(random);
    };
    const QRect clips[] = {QRect(300, 40, 60, 50), QRect(0, 0, 15, 200), QRect(580, 150, 20, 50)};
    for (int round = 0; round < 200; ++round) {
        const std::vector<QPoint> chain = {
            QPoint(int(between(-900, 100)), int(between(-50, 250))),
            QPoint(int(between(500, 1500)), int(between(-50, 250))),
            QPoint(int(between(-300, 900)), int(between(-600, 800)))};
        auto draw = [&](const QRect* clip) {
            QImage img(600, 200, QImage::Format_RGB32);
            img.fill(QColor(240, 235, 220));
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(QPen(QColor(40, 40, 120), 1));
            if (clip) p.setClipRect(*clip);
            TSmoothHairlines::For(p)->Chain(chain, false);
            return img;
        };
        const QImage whole = draw(nullptr);
        for (const QRect& clip : clips) {
            const QImage part = draw(&clip);
            ASSERT_EQ(part.copy(clip), whole.copy(clip)) << "round " << round;
        }
    }
}
