// Smoothing (the AntiAliasing option): which modes smooth, what is smoothed and what stays
// exactly as drawn without it.
#include "RenderTestSupport.h"

#include "mapview/BmpWriter.h"
#include "mapview/DrawPrimitives.h"
#include "mapview/SmoothHairlines.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

using namespace rendertest;
using namespace tsivor::mapview;

namespace {

constexpr TColor kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00, kWhite = 0xFFFFFF;

// A slanted wide line, a triangle, a curve and an ellipse: every edge but few is oblique.
void FillScene(TMapDocument& doc) {
    auto& line = AddPoints(doc, cLine, {{10, 140}, {190, 20}}, kRed, 0);
    line.Pen.Width = 3;
    doc.CalcObjectBox(line);
    AddPoints(doc, cPolygon, {{20, 20}, {90, 30}, {40, 110}}, kBlue, kBlue);
    auto& curve =
        AddPoints(doc, cBezier, {{110, 100}, {130, 40}, {170, 150}, {190, 60}}, kGreen, 0);
    curve.Pen.Width = 2;
    doc.CalcObjectBox(curve);
    AddPoints(doc, cEllipse, {{120, 10}, {180, 10}, {180, 50}, {120, 50}}, kBlue, kRed);
}

QImage FrameWith(TTestMap& t, orbSmothing mode) {
    t.map.Options().SetAntiAliasing(mode);
    return t.Frame().copy();
}

// Pixels whose colour is none of the given ones.
int ForeignPixels(const QImage& img, const std::set<TColor>& palette) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (!palette.count(PixelColor(img, x, y))) ++n;
    return n;
}

// A smoothed street running across a wide screen: through the drawing object, or as Qt strokes
// it in one piece.
QImage StreetStroke(const QPen& pen, uint8_t opacity, bool inOne) {
    QImage img(900, 120, QImage::Format_RGB32);
    img.fill(QColor(230, 225, 215));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(pen);
    const QPoint street[] = {{10, 40}, {420, 52}, {600, 50}, {890, 80}, {870, 110}, {300, 100}};
    if (inOne) {
        p.setOpacity(opacity / 255.0);
        if (pen.width() % 2) p.translate(0.5, 0.5); // odd widths on the aliased rows
        p.drawPolyline(street, int(std::size(street)));
    } else {
        TDrawObject draw;
        draw.SetCanvas(&p);
        draw.Opacity = opacity;
        draw.Polyline(street);
        draw.SetCanvas(nullptr);
    }
    return img;
}

QPen StreetPen(int width, Qt::PenStyle style = Qt::SolidLine, Qt::PenCapStyle cap = Qt::RoundCap) {
    QPen pen(QColor(40, 40, 160), width, style, cap, Qt::RoundJoin);
    return pen;
}

// Slanted houses of a block, smoothed: through the drawing object, or as Qt draws them.
QImage HouseBlock(const QPen& pen, const QBrush& brush, uint8_t opacity, bool byQt) {
    QImage img(200, 120, QImage::Format_RGB32);
    img.fill(QColor(60, 160, 60));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(pen);
    p.setBrush(brush);
    TDrawObject draw;
    draw.SetCanvas(&p);
    draw.Opacity = opacity;
    p.setOpacity(byQt ? opacity / 255.0 : 1);
    for (int i = 0; i < 6; ++i) {
        const int x = 10 + 31 * i, y = 10 + 7 * i;
        const QPoint house[] = {{x, y + 3}, {x + 22, y}, {x + 25, y + 40 + i}, {x + 2, y + 44}};
        if (byQt)
            p.drawPolygon(house, 4, Qt::OddEvenFill);
        else
            draw.Polygon(house);
    }
    draw.SetCanvas(nullptr);
    return img;
}

int PixelsDifferingBy(const QImage& a, const QImage& b, int more) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            n += std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                           std::abs(qBlue(p) - qBlue(q))}) > more;
        }
    return n;
}

} // namespace

TEST(Smoothing, OnlyHighQualityAndAntiAliasSmoothTheFigures) {
    TTestMap t;
    FillScene(t.Doc());
    const std::set<TColor> palette{kRed, kBlue, kGreen, kWhite};
    const QImage none = FrameWith(t, orbSmoothingModeNone);
    EXPECT_EQ(ForeignPixels(none, palette), 0);
    EXPECT_EQ(FrameWith(t, orbSmoothingModeDefault), none);
    EXPECT_EQ(FrameWith(t, orbSmoothingModeHighSpeed), none);

    const QImage smooth = FrameWith(t, orbSmoothingModeAntiAlias);
    EXPECT_EQ(FrameWith(t, orbSmoothingModeHighQuality), smooth);
    // Every oblique edge gets blended pixels; the insides keep their colours.
    EXPECT_GT(ForeignPixels(smooth, palette), 300);
    EXPECT_EQ(PixelColor(smooth, 50, 50), kBlue);
    EXPECT_EQ(PixelColor(smooth, 150, 30), kRed);
    EXPECT_EQ(PixelColor(smooth, 5, 5), kWhite);
    auto foreignNear = [&](int x0, int y0, int x1, int y1) {
        return ForeignPixels(smooth.copy(QRect(QPoint(x0, y0), QPoint(x1, y1))), palette);
    };
    EXPECT_GT(foreignNear(20, 120, 40, 130), 0); // the slanted line
    EXPECT_GT(foreignNear(25, 60, 35, 80), 0);   // the triangle's left edge
    EXPECT_GT(foreignNear(120, 55, 135, 90), 0); // the curve
    EXPECT_GT(foreignNear(118, 12, 130, 25), 0); // the ellipse
}

TEST(Smoothing, StrokesOfAnyWidthKeepThePixelRowsOfTheAliasedOnes) {
    for (float width : {0.0f, 1.0f, 2.0f, 3.0f, 4.0f}) {
        TTestMap t;
        auto& line = AddPoints(t.Doc(), cLine, {{20, 50}, {180, 50}}, kRed, 0);
        line.Pen.Width = width;
        t.Doc().CalcObjectBox(line);
        const QImage aliased = FrameWith(t, orbSmoothingModeNone);
        const QImage smooth = FrameWith(t, orbSmoothingModeAntiAlias);
        for (int y = 40; y <= 60; ++y)
            EXPECT_EQ(PixelColor(smooth, 100, y), PixelColor(aliased, 100, y))
                << "width " << width << " row " << y;
    }
}

TEST(Smoothing, PicturesAndHostDrawnLinesStayAsTheyAre) {
    TTestMap t;
    QImage art(5, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) art.setPixel(x, y, qRgb(40 * x, 80 * y, 200));
    auto o = std::make_unique<TORBMapObjectMem>();
    o->ObjectType = cBitmap;
    o->Bitmap = std::make_unique<TORBMapBitmap>();
    o->Bitmap->Corners = {{{13, 17}, {121, 17}, {121, 88}, {13, 88}}};
    o->Bitmap->Image = EncodeBmp(art, pf24bit);
    t.Doc().CalcObjectBox(*o);
    t.Doc().Append(std::move(o));
    auto& host = AddPoints(t.Doc(), cLine, {{10, 140}, {190, 95}}, kRed, 0);
    host.Pen.Flags = kPenHostDrawn;
    t.map.Render().Painter().OnPixelLineEvent = [](const TORBMapObjectMem&, int x, int y, int,
                                                   double, QPainter& canvas) {
        canvas.setPen(QPen(Qt::black, 1));
        canvas.drawPoint(x, y);
        canvas.drawLine(x, y + 2, x + 3, y + 4);
    };
    EXPECT_EQ(FrameWith(t, orbSmoothingModeAntiAlias), FrameWith(t, orbSmoothingModeNone));
}

// Qt smooths glyphs whatever the option, so texts look the same both ways.
TEST(Smoothing, TextsAreSmoothed) {
    TTestMap t;
    auto o = std::make_unique<TORBMapObjectMem>();
    o->ObjectType = cText;
    o->Pen.Color = 0x000000;
    o->Brush.Style = 1;
    TORBMapText text;
    text.X = 10, text.Y = 20, text.Size = 30, text.Angle = 150;
    text.Text = QStringLiteral("Заречинск");
    o->SetText(text);
    t.Doc().CalcObjectBox(*o);
    t.Doc().Append(std::move(o));
    const QImage smooth = FrameWith(t, orbSmoothingModeAntiAlias);
    EXPECT_GT(ForeignPixels(smooth, {0x000000, kWhite}), 50);
}

TEST(Smoothing, StripsAfterAScrollAndExportsAreSmoothedLikeTheFrame) {
    TTestMap t;
    FillScene(t.Doc());
    t.map.Options().SetAntiAliasing(orbSmoothingModeAntiAlias);
    t.map.SetScale(200); // whole pixels are exact map units here
    t.map.SetXWind(-20);
    const QImage before = t.Frame().copy();
    ASSERT_TRUE(t.map.ScrollBy(sdLeft, 23, 17));
    const QImage scrolled = t.map.Picture().copy();
    // A clipped edge may round its coverage one step differently.
    EXPECT_LE(MaxChannelDifference(scrolled, t.Frame()), 2);
    EXPECT_NE(scrolled, before);
    const QImage exported = t.map.Render().RenderImage(
        t.map.XWind(), t.map.YWind(), t.map.XWind() + 100, t.map.YWind() + 75, 200);
    EXPECT_LE(MaxChannelDifference(exported, t.Frame()), 2);
}

// Long wide strokes are drawn in pieces, which meet only in a few edge pixels.
TEST(Smoothing, WideStreetsLookAsOneStroke) {
    const QImage empty = StreetStroke(QPen(Qt::NoPen), 255, true);
    for (int width : {2, 3, 5, 8, 13}) {
        const QImage whole = StreetStroke(StreetPen(width), 255, true);
        const QImage drawn = StreetStroke(StreetPen(width), 255, false);
        const int street = PixelsDifferingBy(whole, empty, 0);
        EXPECT_LE(MaxChannelDifference(drawn, whole), 64) << "width " << width;
        EXPECT_LT(PixelsDifferingBy(drawn, whole, 8), street / 50) << "width " << width;
    }
}

// Where pieces overlap a translucent stroke would be blended twice, a dashed one would restart
// its pattern and square caps would stand out of the line. The dashes of an opaque dashed
// street are stroked straight into the image, each as a street of its own: they lie where
// Qt's do, their edges near Qt's.
TEST(Smoothing, TranslucentDashedAndSquareEndedStreetsAreOneStroke) {
    EXPECT_EQ(StreetStroke(StreetPen(5), 128, false), StreetStroke(StreetPen(5), 128, true));
    const QPen dashed = StreetPen(5, Qt::DashLine);
    const QImage whole = StreetStroke(dashed, 255, true);
    const QImage drawn = StreetStroke(dashed, 255, false);
    const int street = PixelsDifferingBy(whole, StreetStroke(QPen(Qt::NoPen), 255, true), 0);
    EXPECT_GT(street, 1000);
    EXPECT_LE(MaxChannelDifference(drawn, whole), 64);
    // Every dash has two caps: edges are a larger share of a dashed street than of a solid one.
    EXPECT_LT(PixelsDifferingBy(drawn, whole, 8), street / 12);
    QPen dashedGlass = dashed;
    dashedGlass.setColor(QColor(40, 40, 160, 100));
    EXPECT_EQ(StreetStroke(dashedGlass, 255, false), StreetStroke(dashedGlass, 255, true));
    // A square-ended street is one stroke too, its ends as near Qt's as its edges.
    const QPen square = StreetPen(5, Qt::SolidLine, Qt::SquareCap);
    const QImage squareWhole = StreetStroke(square, 255, true);
    const QImage squareDrawn = StreetStroke(square, 255, false);
    EXPECT_LE(MaxChannelDifference(squareDrawn, squareWhole), 64);
    EXPECT_LT(PixelsDifferingBy(squareDrawn, squareWhole, 8), street / 50);
    QPen glass = StreetPen(5);
    glass.setColor(QColor(40, 40, 160, 100));
    EXPECT_EQ(StreetStroke(glass, 255, false), StreetStroke(glass, 255, true));
}

// Under an opaque outline the edge of a fill hardly shows: it is filled more cheaply, and the
// houses look as Qt smooths them, within a tenth of the contrast of fill and ground.
TEST(Smoothing, OutlinedHousesLookAsQtSmoothsThem) {
    const QBrush roof(QColor(230, 200, 150));
    for (int width : {0, 1, 2, 3}) {
        const QPen outline(QColor(90, 60, 40), width);
        const QImage byQt = HouseBlock(outline, roof, 255, true);
        const QImage drawn = HouseBlock(outline, roof, 255, false);
        EXPECT_LE(MaxChannelDifference(drawn, byQt), 17) << "width " << width;
        EXPECT_EQ(PixelColor(drawn, 24, 30), PixelColor(byQt, 24, 30)) << "width " << width;
    }
}

// Under an opaque outline the fill is the aliased one, scanned by the drawing object itself:
// random small figures, concave and crossing ones among them, some reaching past the clip of a
// band, give the pixels of Qt's aliased fill with the smoothed outline stepped over it.
TEST(Smoothing, FillsUnderOutlinesAreQtsAliasedFills) {
    std::mt19937 random(7);
    auto coordinate = [&](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(random); };
    for (int round = 0; round < 300; ++round) {
        std::vector<QPoint> ring(size_t(coordinate(3, 9)));
        const int x = coordinate(-20, 170), y = coordinate(-20, 100);
        for (QPoint& p : ring) p = QPoint(x + coordinate(0, 40), y + coordinate(0, 40));
        const QPen outline(QColor(90, 60, 40), coordinate(0, 1));
        auto draw = [&](bool reference) {
            QImage img(200, 120, QImage::Format_RGB32);
            img.fill(QColor(60, 160, 60));
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing, true);
            if (round % 3 == 0) p.setClipRect(QRect(0, 30, 200, 50));
            p.setPen(outline);
            p.setBrush(QColor(230, 200, 150));
            if (reference) {
                p.setPen(Qt::NoPen);
                p.setRenderHint(QPainter::Antialiasing, false);
                p.drawPolygon(ring.data(), int(ring.size()), Qt::OddEvenFill);
                p.setRenderHint(QPainter::Antialiasing, true);
                p.setPen(outline);
                TSmoothHairlines::For(p)->Chain(ring, true);
            } else {
                TDrawObject d;
                d.SetCanvas(&p);
                d.Polygon(ring);
                d.SetCanvas(nullptr);
            }
            return img;
        };
        ASSERT_EQ(draw(false), draw(true)) << "round " << round;
    }
}

// Without an outline, or where it is translucent or has gaps, the fill's own edge shows.
TEST(Smoothing, HousesWithoutAFullOutlineAreFilledSmoothed) {
    const QBrush roof(QColor(230, 200, 150));
    for (const QPen& pen : {QPen(Qt::NoPen), QPen(QColor(90, 60, 40), 1, Qt::DotLine),
                            QPen(QColor(90, 60, 40, 120), 1)})
        EXPECT_EQ(HouseBlock(pen, roof, 255, false), HouseBlock(pen, roof, 255, true));
    const QPen outline(QColor(90, 60, 40), 1);
    EXPECT_EQ(HouseBlock(outline, roof, 128, false), HouseBlock(outline, roof, 128, true));
}

// The same holds for a pond outlined along its curves.
TEST(Smoothing, OutlinedPondsLookAsQtSmoothsThem) {
    const QPoint pond[] = {{20, 60},   {20, 20},  {90, 10},  {150, 30}, {190, 45},
                           {185, 100}, {120, 95}, {70, 110}, {25, 100}, {20, 60}};
    QPainterPath chain(pond[0]);
    for (int i = 1; i + 2 < int(std::size(pond)); i += 3)
        chain.cubicTo(pond[i], pond[i + 1], pond[i + 2]);
    chain.closeSubpath();
    chain.setFillRule(Qt::OddEvenFill);
    auto draw = [&](bool byQt) {
        QImage img(200, 120, QImage::Format_RGB32);
        img.fill(QColor(60, 160, 60));
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(QColor(20, 60, 150), 1));
        p.setBrush(QColor(150, 200, 240));
        if (byQt) {
            p.drawPath(chain);
        } else {
            TDrawObject d;
            d.SetCanvas(&p);
            d.FillBezierPath(pond);
            d.SetCanvas(nullptr);
        }
        return img;
    };
    const QImage byQt = draw(true), drawn = draw(false);
    // Within a seventh of the contrast of water and ground (180 levels of red).
    EXPECT_LE(MaxChannelDifference(drawn, byQt), 26);
    EXPECT_EQ(PixelColor(drawn, 100, 60), PixelColor(byQt, 100, 60));
}

// A river bank of many points reaching far beyond a band of rows, filled smoothed without an
// outline: drawn band by band of rows, it looks as Qt's one smoothed fill, also translucent
// (no row is filled twice) and when the canvas is moved by part of a pixel (the bands still
// meet on whole rows of the image).
TEST(Smoothing, LargeFillsLookAsOneFill) {
    std::vector<QPoint> bank;
    for (int i = 0; i <= 24; ++i) bank.push_back(QPoint(-300 + 110 * i, 40 + (i * 37) % 23));
    for (int i = 24; i >= 0; --i) bank.push_back(QPoint(-300 + 110 * i, 190 + (i * 53) % 31));
    for (qreal shift : {0.0, 0.5, 0.25})
        for (int alpha : {255, 128}) {
            auto draw = [&](bool byQt) {
                QImage img(900, 240, QImage::Format_RGB32);
                img.fill(QColor(230, 225, 215));
                QPainter p(&img);
                p.setRenderHint(QPainter::Antialiasing, true);
                p.setClipRect(QRect(0, 60, 900, 120));
                p.translate(0, shift);
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(150, 200, 240, alpha));
                if (byQt) {
                    p.drawPolygon(bank.data(), int(bank.size()), Qt::OddEvenFill);
                } else {
                    TDrawObject d;
                    d.SetCanvas(&p);
                    d.Polygon(bank);
                    d.SetCanvas(nullptr);
                }
                return img;
            };
            const QImage byQt = draw(true), drawn = draw(false);
            EXPECT_LE(MaxChannelDifference(drawn, byQt), 8)
                << "shift " << shift << " alpha " << alpha;
            EXPECT_EQ(PixelColor(drawn, 450, 120), PixelColor(byQt, 450, 120))
                << "shift " << shift << " alpha " << alpha;
        }
}

// The same river bank hatched, in the upper and the lower band of rows of a frame, the canvas
// moved by whole pixels and by half a one: the hatching lies where Qt's one smoothed fill puts
// it.
TEST(Smoothing, LargeHatchedFillsLookAsOneFill) {
    std::vector<QPoint> bank;
    for (int i = 0; i <= 24; ++i) bank.push_back(QPoint(-300 + 110 * i, 40 + (i * 37) % 23));
    for (int i = 24; i >= 0; --i) bank.push_back(QPoint(-300 + 110 * i, 190 + (i * 53) % 31));
    for (const QRect band : {QRect(0, 0, 900, 120), QRect(0, 120, 900, 120)})
        for (const QPointF shift : {QPointF(0, 0), QPointF(3, -5), QPointF(0.5, 0.5)})
            for (const Qt::BrushStyle style : {Qt::BDiagPattern, Qt::Dense5Pattern}) {
                auto draw = [&](bool byQt) {
                    QImage img(900, 240, QImage::Format_RGB32);
                    img.fill(QColor(230, 225, 215));
                    QPainter p(&img);
                    p.setRenderHint(QPainter::Antialiasing, true);
                    p.setClipRect(band);
                    p.translate(shift);
                    p.setPen(Qt::NoPen);
                    p.setBrush(QBrush(QColor(40, 90, 200), style));
                    if (byQt) {
                        p.drawPolygon(bank.data(), int(bank.size()), Qt::OddEvenFill);
                    } else {
                        TDrawObject d;
                        d.SetCanvas(&p);
                        d.Polygon(bank);
                        d.SetCanvas(nullptr);
                    }
                    return img;
                };
                EXPECT_LE(MaxChannelDifference(draw(false), draw(true)), 8)
                    << "band " << band.top() << " shift " << shift.x() << "," << shift.y()
                    << " style " << int(style);
            }
}

// The drawing object reads the canvas's pixels and clip once while attached: figures drawn
// after the canvas moved, with thin and wide pens, look as drawn by an object attached anew
// for each, and nothing leaves the clip.
TEST(Smoothing, FiguresFollowTheCanvasMovedWhileAttached) {
    const QPoint house[] = {{0, 3}, {22, 0}, {25, 40}, {2, 44}};
    const QPoint street[] = {{-5, 50}, {60, 58}, {120, 30}};
    auto draw = [&](bool attachedOnce) {
        QImage img(260, 160, QImage::Format_RGB32);
        img.fill(QColor(60, 160, 60));
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setClipRect(QRect(5, 8, 230, 140));
        p.setBrush(QColor(230, 200, 150));
        TDrawObject d;
        d.SetCanvas(&p);
        for (int i = 0; i < 8; ++i) {
            p.resetTransform();
            p.translate(i * 29.5, i * 13.25 - 20);
            if (!attachedOnce) {
                d.SetCanvas(nullptr);
                d.SetCanvas(&p);
            }
            p.setPen(QPen(QColor(90, 60, 40), 1));
            d.Polygon(house);
            p.setPen(StreetPen(i % 3 + 1));
            d.Polyline(street);
        }
        d.SetCanvas(nullptr);
        return img;
    };
    const QImage once = draw(true);
    EXPECT_EQ(once, draw(false));
    for (int y = 0; y < once.height(); ++y) {
        for (int x = 0; x < once.width(); ++x) {
            if (!QRect(5, 8, 230, 140).contains(x, y)) {
                ASSERT_EQ(once.pixel(x, y), qRgb(60, 160, 60)) << x << "," << y;
            }
        }
    }
}

// The aliased fill under a smoothed outline is stamped once per shape and copied after: a row
// of the same few houses, some near the clip's edge, some far off it, drawn by one object,
// gives Qt's aliased fill with the smoothed outline over it wherever they stand.
TEST(Smoothing, StampedFillsUnderOutlinesAreQtsAliasedFills) {
    const std::vector<std::vector<QPoint>> shapes = {
        {{0, 3}, {22, 0}, {25, 40}, {2, 44}},
        {{0, 0}, {30, 0}, {30, 8}, {12, 8}, {12, 30}, {0, 30}},
        {{5, 0}, {40, 12}, {28, 50}, {0, 35}, {18, 20}}};
    const QPen outline(QColor(90, 60, 40), 1);
    const QBrush roof(QColor(230, 200, 150));
    auto draw = [&](bool reference) {
        QImage img(300, 200, QImage::Format_RGB32);
        img.fill(QColor(60, 160, 60));
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setClipRect(QRect(10, 10, 280, 170));
        p.setPen(outline);
        p.setBrush(roof);
        TDrawObject d;
        d.SetCanvas(&p);
        for (int i = 0; i < 60; ++i) {
            std::vector<QPoint> ring = shapes[size_t(i) % shapes.size()];
            const QPoint at((i * 37) % 320 - 20, (i * 23) % 210 - 15);
            for (QPoint& q : ring) q += at;
            if (reference) {
                p.setPen(Qt::NoPen);
                p.setRenderHint(QPainter::Antialiasing, false);
                p.drawPolygon(ring.data(), int(ring.size()), Qt::OddEvenFill);
                p.setRenderHint(QPainter::Antialiasing, true);
                p.setPen(outline);
                TSmoothHairlines::For(p)->Chain(ring, true);
            } else {
                d.Polygon(ring);
            }
        }
        d.SetCanvas(nullptr);
        return img;
    };
    EXPECT_EQ(draw(false), draw(true));
}
