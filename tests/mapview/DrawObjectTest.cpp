// Drawing of single objects: pens and casings, host-drawn lines, texts, ellipses, notes,
// groups, printing without fills, and the clipping and line-stepping helpers.
#include "RenderTestSupport.h"

#include "mapview/BmpWriter.h"
#include "mapview/DrawObject.h"

#include <QFontDatabase>
#include <QFontInfo>

#include <gtest/gtest.h>

using namespace rendertest;
using namespace tsivor::mapview;

namespace {

constexpr TColor kWhite = 0xFFFFFF, kRed = 0x0000FF, kBlue = 0xFF0000;

// Rows of column x whose colour is c.
int RunLength(const QImage& img, int x, TColor c) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y) n += PixelColor(img, x, y) == c;
    return n;
}

int CountNot(const QImage& img, TColor c) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += PixelColor(img, x, y) != c;
    return n;
}

} // namespace

TEST(DrawLines, CasingIsTwoPixelsWiderInTheBrushColour) {
    TTestMap t;
    auto& line = AddPoints(t.Doc(), cLine, {{10, 20}, {50, 20}}, kRed, kBlue);
    line.Pen.Width = 1;
    line.Pen.Flags = kPenCasing;
    t.Doc().CalcObjectBox(line);
    t.map.SetXWind(0);
    t.map.SetScale(300);
    t.map.SetXWind(0);
    t.map.SetYWind(0);
    const QImage& img = t.Frame();
    EXPECT_EQ(RunLength(img, 90, kRed), 3);
    EXPECT_EQ(RunLength(img, 90, kBlue), 2); // 5 pixels of casing, 3 covered by the line
}

TEST(DrawLines, PensFollowWidthStyleAndFlags) {
    TORBMapObjectMem o;
    o.Pen.Style = 1;
    o.Pen.Width = 0;
    EXPECT_EQ(TObjectPainter::MakePen(o, 1.0, 0).width(), 1);
    o.Pen.Width = 2;
    QPen pen = TObjectPainter::MakePen(o, 1.0, 0);
    EXPECT_EQ(pen.width(), 2);
    EXPECT_EQ(pen.capStyle(), Qt::RoundCap);
    EXPECT_EQ(pen.style(), Qt::DashLine);
    o.Pen.Style = 0;
    o.Pen.Flags = kPenSquareEnds;
    pen = TObjectPainter::MakePen(o, 2.0, 2);
    EXPECT_EQ(pen.capStyle(), Qt::SquareCap);
    EXPECT_EQ(pen.width(), 6);
    o.Pen.Flags = 0;
    EXPECT_EQ(TObjectPainter::MakePen(o, 2.0, 2).width(), 4); // a simple pen adds nothing
}

TEST(DrawLines, HostDrawnLineGoesPixelByPixelAndGetsNoNumber) {
    TTestMap t;
    auto& line = AddPoints(t.Doc(), cLine, {{10, 10}, {20, 10}, {20, 13}}, kRed, kRed);
    line.Pen.Flags = kPenHostDrawn;
    line.Pen.Width = 1;
    SetAddress(line, "5", "");
    t.Doc().CalcObjectBox(line);
    t.map.Options().SetMinScaleAddress(50);
    t.map.Options().SetmpNumberDom(true);
    int labels = 0;
    t.map.Render().Painter().HouseNumbers.OnPaintAddress = [&](int&, int&, TColor, TColor&,
                                                               TColor&) { ++labels; };
    t.Frame();
    EXPECT_EQ(labels, 1); // without a handler nothing is drawn but the number is
    std::vector<std::tuple<int, int, int>> pixels;
    t.map.Render().Painter().OnPixelLineEvent = [&](const TORBMapObjectMem&, int x, int y, int n,
                                                    double koef, QPainter&) {
        EXPECT_DOUBLE_EQ(koef, 1.0);
        pixels.emplace_back(x, y, n);
    };
    labels = 0;
    t.Frame();
    EXPECT_EQ(labels, 0);
    ASSERT_EQ(pixels.size(), 13u);
    EXPECT_EQ(pixels.front(), std::make_tuple(10, 10, 0));
    EXPECT_EQ(pixels[9], std::make_tuple(19, 10, 9));
    EXPECT_EQ(pixels[10], std::make_tuple(20, 10, 0)); // each segment counts from 0
    EXPECT_EQ(pixels.back(), std::make_tuple(20, 12, 2));
}

TEST(DrawLines, StepLineIncludesStartExcludesEnd) {
    std::vector<QPoint> seen;
    StepLine(QPoint(0, 0), QPoint(5, 2), [&](int x, int y) { seen.emplace_back(x, y); });
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen.front(), QPoint(0, 0));
    EXPECT_EQ(seen.back().x(), 4);
    seen.clear();
    StepLine(QPoint(3, 9), QPoint(3, 4), [&](int x, int y) { seen.emplace_back(x, y); });
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen.back(), QPoint(3, 5));
    seen.clear();
    StepLine(QPoint(2, 2), QPoint(2, 2), [&](int x, int y) { seen.emplace_back(x, y); });
    EXPECT_TRUE(seen.empty());
}

TEST(DrawLines, CohenSutherlandClipping) {
    EXPECT_EQ(OutCode(QPoint(-1, -1), 100, 50), 3);
    EXPECT_EQ(OutCode(QPoint(101, 51), 100, 50), 12);
    EXPECT_EQ(ClipSegment(QPoint(1, 1), QPoint(99, 49), 100, 50),
              (TSegment{QPoint(1, 1), QPoint(99, 49)}));
    EXPECT_FALSE(ClipSegment(QPoint(-10, 5), QPoint(-1, 40), 100, 50));
    EXPECT_FALSE(ClipSegment(QPoint(-10, 80), QPoint(200, 60), 100, 50));
    EXPECT_EQ(ClipSegment(QPoint(-50, 25), QPoint(150, 25), 100, 50),
              (TSegment{QPoint(0, 25), QPoint(100, 25)}));
    EXPECT_EQ(ClipSegment(QPoint(-10, -10), QPoint(10, 10), 100, 50),
              (TSegment{QPoint(0, 0), QPoint(10, 10)}));
    // Far-away ends do not overflow.
    const auto far = ClipSegment(QPoint(-2000000000, 25), QPoint(2000000000, 25), 100, 50);
    ASSERT_TRUE(far);
    EXPECT_EQ(far->A, QPoint(0, 25));
}

TEST(DrawTexts, TextsOfFourPixelsOrLessAreLeftOut) {
    auto inked = [](double scale) {
        TTestMap t;
        auto o = std::make_unique<TORBMapObjectMem>();
        TORBMapText text;
        text.X = 0.001f, text.Y = 0.001f, text.Size = 0.04f, text.Text = QStringLiteral("WWW");
        o->SetText(text);
        t.Doc().CalcObjectBox(*o);
        t.Doc().Append(std::move(o));
        t.map.SetScale(scale);
        t.map.SetXWind(0);
        t.map.SetYWind(0);
        return CountNot(t.Frame(), kWhite);
    };
    EXPECT_EQ(inked(10000), 0);
    EXPECT_GT(inked(12500), 0);
}

TEST(DrawShapes, EllipseChainHasThirteenPointsOnTheSideMidpoints) {
    const QPointF square[4] = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
    const auto pts = TObjectPainter::EllipseQuadPoints(square);
    ASSERT_EQ(pts.size(), 13u);
    EXPECT_EQ(pts[0], QPoint(50, 0));
    EXPECT_EQ(pts[1], QPoint(78, 0)); // 50 + 0.5523 * 50
    EXPECT_EQ(pts[2], QPoint(100, 22));
    EXPECT_EQ(pts[3], QPoint(100, 50));
    EXPECT_EQ(pts[6], QPoint(50, 100));
    EXPECT_EQ(pts[9], QPoint(0, 50));
    EXPECT_EQ(pts[12], pts[0]);
}

TEST(DrawShapes, PrintingContoursOnlyKeepsEllipsesFilled) {
    TTestMap t;
    TMapDocument& doc = t.Doc();
    AddRect(doc, 10, 10, 60, 60, kRed).Pen.Color = kBlue;
    AddPoints(doc, cEllipse, {{100, 10}, {160, 10}, {160, 60}, {100, 60}}, kBlue, kRed);
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    TDrawObject draw;
    draw.SetCanvas(&p);
    TObjectPainter painter(draw);
    TMapViewport vp;
    TDrawDevice device;
    device.Transform = &vp;
    device.Clip = &vp;
    device.Printing = true;
    device.ConturOnly = true;
    for (const auto& o : doc.Objects) painter.DrawObject(*o, t.map.Options(), device);
    p.end();
    EXPECT_EQ(PixelColor(img, 35, 35), kWhite); // polygon outline only
    EXPECT_EQ(PixelColor(img, 10, 35), kBlue);
    EXPECT_EQ(PixelColor(img, 130, 35), kRed); // ellipse stays filled
}

TEST(DrawShapes, HatchedBrushesLeaveTheBackgroundBetweenTheirLines) {
    TTestMap t;
    auto& r = AddRect(t.Doc(), 10, 10, 60, 60, kRed);
    r.Brush.Style = 2; // horizontal
    const QImage& img = t.Frame();
    int red = 0, white = 0;
    for (int y = 15; y < 55; ++y) (PixelColor(img, 30, y) == kRed ? red : white)++;
    EXPECT_GT(red, 0);
    EXPECT_GT(white, red);
}

TEST(DrawNotes, MissingIconShowsTheErrorIconCentred) {
    TTestMap t;
    auto o = std::make_unique<TORBMapObjectMem>();
    TORBMapZametka z;
    z.X = 100, z.Y = 75, z.NameLib = QStringLiteral("LIB"), z.NamePic = QStringLiteral("none");
    o->SetZametka(z);
    t.Doc().CalcObjectBox(*o);
    t.Doc().Append(std::move(o));
    t.map.Render().Painter().IconLookup = [](const QString&, const QString&) { return QImage(); };
    const QImage& img = t.Frame();
    EXPECT_EQ(PixelColor(img, 84, 59), kWhite); // outer frame, top-left at (84, 59)
    EXPECT_EQ(PixelColor(img, 85, 60), 0u);     // black inner frame
    EXPECT_EQ(PixelColor(img, 86, 80), kRed);   // red fill
    EXPECT_EQ(PixelColor(img, 115, 90), kWhite);
    EXPECT_EQ(PixelColor(img, 116, 91), kWhite); // outside the icon
}

TEST(DrawGroups, SmallMembersAreSkippedNotesAreNot) {
    TTestMap t;
    t.map.Options().SetObjectView(3);
    auto group = std::make_unique<TORBMapObjectMem>();
    group->ObjectType = cGroup;
    group->Children = std::make_unique<TOrbMapList>();
    TMapDocument scratch;
    AddRect(scratch, 10, 10, 12, 12, kRed);  // too small
    AddRect(scratch, 20, 10, 40, 30, kBlue); // drawn
    while (scratch.ObjectCount() > 0) group->Children->push_back(scratch.Take(0));
    group->Count = 2;
    t.Doc().CalcObjectBox(*group);
    t.Doc().Append(std::move(group));
    const QImage& img = t.Frame();
    EXPECT_EQ(PixelColor(img, 11, 11), kWhite);
    EXPECT_EQ(PixelColor(img, 30, 20), kBlue);
}

TEST(DrawHost, OnPaintObjectMayChangeBrushAndAlpha) {
    TTestMap t;
    AddRect(t.Doc(), 10, 10, 60, 60, kRed);
    t.map.Render().Painter().OnPaintObject = [](const TORBMapObjectMem&, uint8_t& alpha, QPen&,
                                                QBrush& brush) {
        brush.setColor(Qt::blue);
        alpha = 255;
    };
    EXPECT_EQ(PixelColor(t.Frame(), 30, 30), kBlue);
}

namespace {

TORBMapObjectMem& AddBitmap(TMapDocument& doc, float x0, float y0, float x1, float y1,
                            const QByteArray& image, uint8_t format, bool transparent, TColor key) {
    auto o = std::make_unique<TORBMapObjectMem>();
    o->ObjectType = cBitmap;
    o->Bitmap = std::make_unique<TORBMapBitmap>();
    o->Bitmap->Corners = {{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}};
    o->Bitmap->Format = format;
    o->Bitmap->Transparent = transparent;
    o->Bitmap->TransparentColor = key;
    o->Bitmap->Image = image;
    doc.CalcObjectBox(*o);
    return doc.Append(std::move(o));
}

QByteArray HalfKeyedBmp() {
    QImage img(4, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) img.setPixel(x, y, x < 2 ? qRgb(255, 0, 255) : qRgb(0, 0, 255));
    return EncodeBmp(img, pf24bit);
}

} // namespace

TEST(DrawBitmaps, TransparentColourOfABmpLetsTheMapShowThrough) {
    TTestMap t;
    AddRect(t.Doc(), 0, 0, 200, 150, kRed);
    AddBitmap(t.Doc(), 20, 20, 100, 100, HalfKeyedBmp(), 0, true, 0xFF00FF);
    AddBitmap(t.Doc(), 120, 20, 200, 100, HalfKeyedBmp(), 0, false, 0xFF00FF);
    const QImage& img = t.Frame();
    EXPECT_EQ(PixelColor(img, 40, 60), kRed); // keyed half
    EXPECT_EQ(PixelColor(img, 80, 60), kBlue);
    EXPECT_EQ(PixelColor(img, 140, 60), 0xFF00FFu); // not transparent: the key colour shows
}

TEST(DrawBitmaps, MissingOrDamagedPicturesShowACrossedOutline) {
    TTestMap t;
    t.map.SetBackgroundColor(0);
    AddBitmap(t.Doc(), 10, 10, 90, 90, QByteArray(), 0, false, 0);
    AddBitmap(t.Doc(), 110, 10, 190, 90, QByteArray("\xFF\xD8\xFF garbage", 12), 1, false, 0);
    const QImage& img = t.Frame();
    // The dash-dot diagonals: most pixels of each diagonal are white.
    int first = 0, second = 0;
    for (int d = 15; d < 85; ++d) {
        first += PixelColor(img, d, d) == kWhite;
        second += PixelColor(img, 100 + d, d) == kWhite;
    }
    EXPECT_GT(first, 35);
    EXPECT_GT(second, 35);
    EXPECT_EQ(PixelColor(img, 30, 50), 0u);
}

TEST(DrawLimits, ObjectsWithMorePointsThanTheBufferAreDrawn) {
    TTestMap t;
    auto o = std::make_unique<TORBMapObjectMem>();
    o->ObjectType = cPolygon;
    o->Count = 200000;
    o->Points = std::make_unique<TORBMapPoint[]>(size_t(o->Count));
    // A square traced with many points along its sides.
    const int perSide = o->Count / 4;
    for (int i = 0; i < o->Count; ++i) {
        const int side = i / perSide;
        const float f = float(i % perSide) / perSide * 100;
        const TORBMapPoint p = side == 0   ? TORBMapPoint{10 + f, 10}
                               : side == 1 ? TORBMapPoint{110, 10 + f}
                               : side == 2 ? TORBMapPoint{110 - f, 110}
                                           : TORBMapPoint{10, 110 - f};
        o->Points[size_t(i)] = p;
    }
    o->Pen.Color = o->Brush.Color = kBlue;
    t.Doc().CalcObjectBox(*o);
    t.Doc().Append(std::move(o));
    // Zoomed in, so the compact conversion keeps every point.
    t.map.SetScale(100000);
    t.map.SetXWind(10);
    t.map.SetYWind(9.99f);
    EXPECT_EQ(PixelColor(t.Frame(), 50, 50), kBlue);
    t.map.SetScale(100);
    t.map.SetXWind(0);
    t.map.SetYWind(0);
    EXPECT_EQ(PixelColor(t.Frame(), 60, 60), kBlue);
}

TEST(DrawTexts, MapFontNamesResolveToTheMetricCompatibleFonts) {
    if (!QFontDatabase::hasFamily(QStringLiteral("Liberation Sans")))
        GTEST_SKIP() << "fonts-liberation not installed";
    InstallMapFontSubstitutes();
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("Arial Cyr"))).family(),
              QStringLiteral("Liberation Sans"));
    EXPECT_EQ(QFontInfo(QFont(QStringLiteral("Times New Roman Cyr"))).family(),
              QStringLiteral("Liberation Serif"));
    // A positive height is the cell height, as the map files mean it.
    TCellFonts fonts;
    const QFontMetrics m(fonts.Font(QStringLiteral("Arial Cyr"), 40));
    EXPECT_NEAR(m.ascent() + m.descent(), 40, 1);
}
