// Aliased hairlines stepped straight into the image: every pixel as Qt's own stroker writes it,
// and what they cannot reproduce left to Qt.
#include "mapview/PlainHairlines.h"
#include "mapview/DrawPrimitives.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <functional>
#include <random>
#include <sstream>
#include <vector>

using namespace tsivor::mapview;

namespace {

constexpr int kWidth = 61, kHeight = 47;

struct TFigure {
    std::vector<QPoint> Points;
    bool Closed = false;
};

// Points the stroker treats specially: on and next to the edges of the image, beyond them, far
// beyond them.
int EdgeCoordinate(std::mt19937& rng, int side) {
    const int near[] = {-2, -1, 0, 1, side - 2, side - 1, side, side + 1, side + 2};
    const int far[] = {-100000, -3000, 3000, 1000000};
    switch (rng() % 4) {
    case 0:
        return near[rng() % std::size(near)];
    case 1:
        return far[rng() % std::size(far)];
    default:
        return int(rng() % unsigned(side + 40)) - 20;
    }
}

// The next point: repeated, a pixel or two away, along an axis, on a diagonal, short or long.
QPoint NextPoint(std::mt19937& rng, QPoint from) {
    auto small = [&] { return int(rng() % 7) - 3; };
    auto any = [&] { return int(rng() % 161) - 80; };
    switch (rng() % 9) {
    case 0:
        return from;
    case 1:
        return from + QPoint(small(), small());
    case 2:
        return from + QPoint(any(), 0);
    case 3:
        return from + QPoint(0, any());
    case 4: {
        const int d = any();
        return from + QPoint(d, rng() % 2 ? d : -d);
    }
    case 5:
        return QPoint(EdgeCoordinate(rng, kWidth), EdgeCoordinate(rng, kHeight));
    case 6:
        return from + QPoint(int(rng() % 3) - 1, any());
    default:
        return from + QPoint(any(), any());
    }
}

std::vector<TFigure> RandomFigures(int count, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<TFigure> figures;
    for (int i = 0; i < count; ++i) {
        TFigure f;
        f.Closed = rng() % 2 == 0;
        const int n = rng() % 5 == 0 ? 2 : 2 + int(rng() % 12);
        f.Points.push_back(QPoint(EdgeCoordinate(rng, kWidth), EdgeCoordinate(rng, kHeight)));
        while (int(f.Points.size()) < n) f.Points.push_back(NextPoint(rng, f.Points.back()));
        // Chains back at their start, and rectangles, which Qt outlines by another route.
        if (rng() % 8 == 0) f.Points.push_back(f.Points.front());
        if (rng() % 12 == 0) {
            const QPoint a = f.Points[0], d(1 + int(rng() % 50), 1 + int(rng() % 40));
            f.Points = {a, a + QPoint(d.x(), 0), a + d, a + QPoint(0, d.y())};
        }
        figures.push_back(std::move(f));
    }
    return figures;
}

// Noise, so that a pixel written with anything but the pen's value shows.
QImage Background(QImage::Format format, unsigned seed) {
    std::mt19937 rng(seed);
    QImage img(kWidth, kHeight, format);
    for (int y = 0; y < kHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < kWidth; ++x) row[x] = 0xff000000u | (rng() & 0xffffffu);
    }
    return img;
}

struct TSetting {
    QPen Pen;
    QPointF Shift;
    QRect Clip; // device pixels; none when null
    bool ClipAfterShift = false;
    QImage::Format Format = QImage::Format_RGB32;
};

std::string Describe(const TFigure& f, const TSetting& s) {
    std::ostringstream out;
    out << (f.Closed ? "polygon" : "polyline");
    for (const QPoint& p : f.Points) out << " (" << p.x() << "," << p.y() << ")";
    out << " width " << s.Pen.widthF() << " cap " << int(s.Pen.capStyle()) << " shift "
        << s.Shift.x() << "," << s.Shift.y() << " clip " << s.Clip.x() << "," << s.Clip.y() << " "
        << s.Clip.width() << "x" << s.Clip.height() << " format " << int(s.Format);
    return out.str();
}

void SetUp(QPainter& p, const TSetting& s) {
    if (!s.Clip.isNull() && !s.ClipAfterShift) p.setClipRect(s.Clip);
    p.translate(s.Shift);
    if (!s.Clip.isNull() && s.ClipAfterShift) p.setClipRect(s.Clip.translated(-s.Shift.toPoint()));
    p.setPen(s.Pen);
    p.setBrush(Qt::NoBrush);
}

QImage ByQt(const TFigure& f, const TSetting& s, const QImage& ground) {
    QImage img = ground.copy();
    QPainter p(&img);
    SetUp(p, s);
    if (f.Closed)
        p.drawPolygon(f.Points.data(), int(f.Points.size()), Qt::OddEvenFill);
    else
        p.drawPolyline(f.Points.data(), int(f.Points.size()));
    return img;
}

QImage ByStepper(const TFigure& f, const TSetting& s, const QImage& ground) {
    QImage img = ground.copy();
    QPainter p(&img);
    SetUp(p, s);
    auto lines = TPlainHairlines::For(p);
    if (!lines) {
        ADD_FAILURE() << "no stepper for " << Describe(f, s);
        return img;
    }
    lines->Chain(f.Points, f.Closed);
    return img;
}

// Runs every figure in settings picked by the figure's number; the number of figures drawn
// other than by Qt (the first few described).
int Mismatches(const std::vector<TFigure>& figures,
               const std::function<TSetting(size_t)>& setting) {
    int differ = 0;
    for (size_t i = 0; i < figures.size(); ++i) {
        const TSetting s = setting(i);
        const QImage ground = Background(s.Format, unsigned(i));
        if (ByStepper(figures[i], s, ground) == ByQt(figures[i], s, ground)) continue;
        if (++differ <= 5) ADD_FAILURE() << "differs: " << Describe(figures[i], s);
    }
    return differ;
}

const Qt::PenCapStyle kCaps[] = {Qt::SquareCap, Qt::FlatCap, Qt::RoundCap};

} // namespace

// Integer points: every direction, zero-length and one-pixel steps, turns back along an axis,
// ends on the edges of the image and far beyond them, closed and open, each kind of end, both
// widths Qt strokes as hairlines, both pixel formats.
TEST(PlainHairlines, DrawEveryPixelAsQt) {
    const auto figures = RandomFigures(6000, 11);
    EXPECT_EQ(Mismatches(figures,
                         [](size_t i) {
                             TSetting s;
                             s.Pen = QPen(QColor(40, 20, 160), int(i / 3 % 2), Qt::SolidLine,
                                          kCaps[i % 3], Qt::MiterJoin);
                             if (i % 5 == 0) s.Format = QImage::Format_ARGB32_Premultiplied;
                             return s;
                         }),
              0);
}

// A translation by whole pixels and by parts of one moves the points before Qt cuts them to
// its 64ths of a pixel.
TEST(PlainHairlines, DrawEveryPixelAsQtWhenMoved) {
    const auto figures = RandomFigures(6000, 23);
    const QPointF shifts[] = {{3, -2}, {0.5, 0.5}, {0.3, -0.7}, {-0.25, 0.75}, {-7.9, 0.01}};
    EXPECT_EQ(Mismatches(figures,
                         [&](size_t i) {
                             TSetting s;
                             s.Pen = QPen(QColor(200, 120, 10), int(i / 2 % 2), Qt::SolidLine,
                                          kCaps[i % 3]);
                             s.Shift = shifts[i / 3 % std::size(shifts)];
                             if (i % 7 == 0) s.Format = QImage::Format_ARGB32_Premultiplied;
                             return s;
                         }),
              0);
}

// A rectangular clip: inside the image, reaching beyond it, and the two bands of rows a frame
// is drawn in by two threads; the lines still step as cut at the image, not at the clip.
TEST(PlainHairlines, DrawEveryPixelAsQtWithinAClip) {
    const auto figures = RandomFigures(6000, 37);
    const QRect clips[] = {QRect(0, 0, kWidth, kHeight / 2),
                           QRect(0, kHeight / 2, kWidth, kHeight - kHeight / 2),
                           QRect(7, 5, 30, 21),
                           QRect(-10, 30, 100, 40),
                           QRect(20, 0, 1, kHeight),
                           QRect(kWidth - 1, 0, 1, kHeight)};
    const QPointF shifts[] = {{0, 0}, {2, 5}, {0.5, -0.5}};
    EXPECT_EQ(Mismatches(figures,
                         [&](size_t i) {
                             TSetting s;
                             s.Pen = QPen(QColor(0, 90, 0), int(i / 2 % 2), Qt::SolidLine,
                                          kCaps[i % 3]);
                             s.Clip = clips[i % std::size(clips)];
                             s.Shift = shifts[i / 5 % std::size(shifts)];
                             s.ClipAfterShift = i % 4 == 1 && s.Shift == s.Shift.toPoint();
                             if (i % 3 == 0) s.Format = QImage::Format_ARGB32_Premultiplied;
                             return s;
                         }),
              0);
}

namespace {

// Long wandering chains of short steps, in and out of a clip many times, turning often.
std::vector<TFigure> RandomWalks(int count, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<TFigure> walks;
    for (int i = 0; i < count; ++i) {
        TFigure f;
        f.Closed = rng() % 3 == 0;
        QPoint p(int(rng() % kWidth), int(rng() % kHeight));
        const int n = 20 + int(rng() % 300), reach = 1 + int(rng() % 4);
        for (int k = 0; k < n; ++k) {
            f.Points.push_back(p);
            if (rng() % 40 == 0)
                p = QPoint(EdgeCoordinate(rng, kWidth), EdgeCoordinate(rng, kHeight));
            else
                p += QPoint(int(rng() % (2 * reach + 1)) - reach,
                            int(rng() % (2 * reach + 1)) - reach);
            // Mostly near the image, so that the chain keeps coming back.
            p = QPoint(std::clamp(p.x(), -30, kWidth + 30), std::clamp(p.y(), -30, kHeight + 30));
        }
        walks.push_back(std::move(f));
    }
    return walks;
}

} // namespace

// Chains leaving the clip and coming back: the pixels they draw after a stretch out of sight
// are those of Qt, which carries its joint rules through the stretch.
TEST(PlainHairlines, DrawEveryPixelAsQtAfterLeavingTheClip) {
    const auto walks = RandomWalks(4000, 41);
    EXPECT_EQ(Mismatches(walks,
                         [](size_t i) {
                             std::mt19937 rng{unsigned(i)};
                             TSetting s;
                             s.Pen = QPen(QColor(90, 0, 90), int(i % 2), Qt::SolidLine,
                                          kCaps[i / 2 % 3]);
                             const int top = int(rng() % kHeight), left = int(rng() % kWidth);
                             const int rows = 1 + int(rng() % 4), columns = 1 + int(rng() % 4);
                             switch (i % 4) {
                             case 0:
                                 s.Clip = QRect(0, top, kWidth, rows);
                                 break;
                             case 1:
                                 s.Clip = QRect(left, 0, columns, kHeight);
                                 break;
                             case 2:
                                 s.Clip = QRect(left, top, columns, rows);
                                 break;
                             default:
                                 s.Clip = QRect(0, kHeight / 2, kWidth, kHeight);
                             }
                             if (i % 5 == 0) s.Shift = QPointF(int(rng() % 9) - 4, -3);
                             if (i % 7 == 0) s.Format = QImage::Format_ARGB32_Premultiplied;
                             return s;
                         }),
              0);
}

namespace {

// The figures drawn through the drawing object, or by Qt alone.
QImage Drawn(const std::function<void(QPainter&)>& setUp, bool byQt, bool polygons) {
    const auto figures = RandomFigures(400, 5);
    QImage img = Background(QImage::Format_RGB32, 99);
    QPainter p(&img);
    setUp(p);
    TDrawObject draw;
    draw.SetCanvas(&p);
    for (const TFigure& f : figures) {
        const std::span<const QPoint> pts(f.Points);
        if (polygons && byQt)
            p.drawPolygon(pts.data(), int(pts.size()), Qt::OddEvenFill);
        else if (polygons)
            draw.Polygon(pts);
        else if (byQt)
            p.drawPolyline(pts.data(), int(pts.size()));
        else
            draw.Polyline(pts);
    }
    draw.SetCanvas(nullptr);
    return img;
}

} // namespace

// Polygons filled and outlined, and polylines, by the drawing object: the pixels of Qt drawing
// them itself, the outline drawn after the fill.
TEST(PlainHairlines, FiguresOfTheDrawingObjectAreQts) {
    const std::function<void(QPainter&)> states[] = {
        [](QPainter& p) {
            p.setPen(QPen(QColor(10, 10, 10), 1));
            p.setBrush(QColor(250, 200, 0));
        },
        [](QPainter& p) {
            p.setClipRect(QRect(0, kHeight / 2, kWidth, kHeight));
            p.setPen(QPen(QColor(0, 0, 200), 0, Qt::SolidLine, Qt::FlatCap));
            p.setBrush(QColor(0, 200, 0));
        },
        [](QPainter& p) {
            p.translate(0.5, -0.25);
            p.setPen(QPen(QColor(100, 0, 0), 1, Qt::SolidLine, Qt::RoundCap));
            p.setBrush(Qt::NoBrush);
        },
    };
    for (const auto& state : states)
        for (bool polygons : {true, false})
            EXPECT_EQ(Drawn(state, false, polygons), Drawn(state, true, polygons)) << polygons;
}

// Dashed, translucent or wider pens, a smoothed, translucent, turned or scaled canvas, a clip
// of more than one rectangle or of parts of pixels, another composition, a non-premultiplied
// image: nothing to step, Qt draws them.
TEST(PlainHairlines, WhatTheyDoNotReproduceIsLeftToQt) {
    QImage img(40, 40, QImage::Format_RGB32);
    auto refused = [&](const std::function<void(QPainter&)>& state) {
        QPainter p(&img);
        p.setPen(QPen(Qt::black, 1));
        state(p);
        return !TPlainHairlines::For(p).has_value();
    };
    EXPECT_FALSE(refused([](QPainter&) {}));
    EXPECT_TRUE(refused([](QPainter& p) { p.setPen(QPen(Qt::black, 1, Qt::DashLine)); }));
    EXPECT_TRUE(refused([](QPainter& p) { p.setPen(QPen(QColor(0, 0, 0, 128), 1)); }));
    EXPECT_TRUE(refused([](QPainter& p) { p.setPen(QPen(Qt::black, 2)); }));
    EXPECT_TRUE(refused([](QPainter& p) { p.setPen(QPen(Qt::black, 0.5)); }));
    EXPECT_TRUE(refused([](QPainter& p) { p.setRenderHint(QPainter::Antialiasing); }));
    EXPECT_TRUE(refused([](QPainter& p) { p.setOpacity(0.5); }));
    EXPECT_TRUE(refused([](QPainter& p) { p.rotate(10); }));
    EXPECT_TRUE(refused([](QPainter& p) { p.scale(1.5, 1.5); }));
    EXPECT_TRUE(refused(
        [](QPainter& p) { p.setClipRegion(QRegion(0, 0, 40, 10) + QRegion(0, 20, 40, 10)); }));
    EXPECT_TRUE(refused([](QPainter& p) { p.setClipRect(QRectF(0, 10.5, 40, 20)); }));
    EXPECT_TRUE(
        refused([](QPainter& p) { p.setCompositionMode(QPainter::CompositionMode_Multiply); }));
    QImage plain(40, 40, QImage::Format_ARGB32);
    QPainter p(&plain);
    EXPECT_FALSE(TPlainHairlines::For(p).has_value());
}
