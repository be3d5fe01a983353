// The three-dimensional view: extrusion, wall shade, painter's order and the numbers on roofs.
#include "RenderTestSupport.h"

#include "mapview/DrawPrimitives.h"
#include "mapview/View3D.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>

using namespace rendertest;
using namespace tsivor::mapview;

namespace {

constexpr TColor kRed = 0x0000C8;  // R 200
constexpr TColor kWall = 0x000096; // three quarters of it
constexpr TColor kBlue = 0xC80000;
constexpr TColor kWhite = 0xFFFFFF;

// A 3-D view at Scale 300 (3 pixels per map unit) with the origin at 0, 0.
struct T3DMap : TTestMap {
    explicit T3DMap(int angle, double scale = 300) : TTestMap(240, 180) {
        tOrbMapOptions& o = map.Options();
        o.SetMinScale3D(299);
        o.SetView3DAngle(angle);
        o.SetView3D(true);
        Place(scale);
    }
    void Place(double scale) {
        map.SetScale(scale);
        map.SetXWind(0);
        map.SetYWind(0);
    }
    TORBMapObjectMem& House(float x0, float y0, float x1, float y1, float height, TColor c) {
        TORBMapObjectMem& o = AddRect(Doc(), x0, y0, x1, y1, c);
        o.Height = height;
        return o;
    }
    std::vector<int> Extruded() { return map.Render().Layer3DLists()[64]; }
    // Pixels of the rectangle much lighter than the dark houses.
    int CountLight(const QRect& r) {
        const QImage& img = Frame();
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) n += qGreen(img.pixel(x, y)) > 128;
        return n;
    }
};

TEST(RotatePoint, TurnsCounterClockwiseOnTheScreen) {
    float x = 10, y = 0;
    RotatePoint(x, y, 0, 0, 90);
    EXPECT_NEAR(x, 0, 1e-5);
    EXPECT_NEAR(y, -10, 1e-5);
    int ix = 10, iy = 0;
    RotatePoint(ix, iy, 0, 0, 45);
    EXPECT_EQ(ix, 7);
    EXPECT_EQ(iy, -7);
    const QPointF down = ExtrusionVector(10, -30); // towards the lower right
    EXPECT_GT(down.x(), 8.6);
    EXPECT_NEAR(down.y(), 5, 1e-5);
}

TEST(ReferenceLine, DepthGrowsInTheExtrusionDirection) {
    TReferenceLine line;
    EXPECT_EQ(line.Depth(100, 5), 0); // never set: no order
    line.Set(50, 50, 0);
    EXPECT_EQ(line.Depth(60, 0) - line.Depth(50, 99), 10);
    line.Set(50, 50, 90);
    EXPECT_GT(line.Depth(0, 10), line.Depth(0, 20)); // up the screen is farther
}

TEST(View3D, RoofThirtyPixelsUpAndWallsInThreeQuartersOfTheFill) {
    T3DMap m(90);
    m.House(20, 30, 40, 40, 10, kRed); // pixels 60..120 x 90..120
    const QImage& img = m.Frame();
    EXPECT_EQ(PixelColor(img, 90, 75), kRed); // roof, 30 pixels above the base
    EXPECT_EQ(PixelColor(img, 90, 62), kRed);
    EXPECT_EQ(PixelColor(img, 90, 105), kWall); // the front wall over the base
    EXPECT_EQ(PixelColor(img, 90, 57), kWhite); // nothing above the roof
    EXPECT_EQ(m.Extruded().size(), 1u);
}

TEST(View3D, BelowTheMinimumScaleHousesAreFlat) {
    T3DMap m(90, 298);
    m.House(20, 30, 40, 40, 10, kRed);
    const QImage& img = m.Frame();
    EXPECT_EQ(PixelColor(img, 89, 104), kRed);
    EXPECT_EQ(PixelColor(img, 89, 80), kWhite);
    EXPECT_TRUE(m.Extruded().empty());
}

TEST(View3D, TinyHeightsAndHeightsTheHostZeroesStayFlat) {
    T3DMap m(90);
    m.House(20, 30, 40, 40, 0.0000005f, kRed);
    EXPECT_EQ(PixelColor(m.Frame(), 90, 105), kRed);
    EXPECT_TRUE(m.Extruded().empty());

    T3DMap h(90);
    h.House(20, 30, 40, 40, 10, kRed);
    h.map.Render().Painter().OnHeightObject = [](const TORBMapObjectMem&, float& v) { v = 0; };
    EXPECT_EQ(PixelColor(h.Frame(), 90, 105), kRed);
    EXPECT_EQ(PixelColor(h.Frame(), 90, 75), kWhite);
    EXPECT_TRUE(h.Extruded().empty());
}

TEST(View3D, ANegativeAngleExtrudesTowardsTheLowerRight) {
    T3DMap m(-30);
    EXPECT_EQ(m.map.Options().View3DAngle(), -30);
    m.House(10, 10, 20, 20, 10, kRed); // pixels 30..60; roof shifted by (26, 15)
    const QImage& img = m.Frame();
    EXPECT_EQ(PixelColor(img, 80, 68), kRed);
    EXPECT_EQ(PixelColor(img, 32, 32), kWall);
}

TEST(View3D, BuildingsOverlappingInTheExtrusionDirectionArePaintedBackToFront) {
    T3DMap m(90);
    // The front house comes first in the list; the house behind it must still be painted
    // first, so the front house's roof covers the other's base.
    const TORBMapObjectMem& front = m.House(20, 30, 40, 40, 10, kRed);
    m.House(20, 20, 40, 28, 4, kBlue);
    (void)front;
    const QImage& img = m.Frame();
    EXPECT_EQ(m.Extruded(), (std::vector<int>{1, 0}));
    EXPECT_EQ(PixelColor(img, 90, 75), kRed);  // the front roof over the back house's base
    EXPECT_EQ(PixelColor(img, 90, 50), kBlue); // the back roof, above the front roof
}

TEST(View3D, SideBySideTheOneFartherAlongIsDrawnFirst) {
    T3DMap m(0);
    m.House(10, 10, 20, 20, 5, kRed);  // left
    m.House(22, 10, 32, 20, 5, kBlue); // right
    m.Frame();
    EXPECT_EQ(m.Extruded(), (std::vector<int>{1, 0}));
}

TEST(View3D, HousesJustOutsideTheViewWhoseRoofsReachInAreDrawn) {
    T3DMap m(90);
    // Below the 180-pixel view (60 map units) with a roof 45 pixels high.
    m.House(20, 62, 40, 70, 15, kRed);
    const QImage& img = m.Frame();
    EXPECT_EQ(PixelColor(img, 90, 150), kRed);  // roof at 141..165
    EXPECT_EQ(PixelColor(img, 90, 175), kWall); // and its front wall
    EXPECT_EQ(m.Extruded().size(), 1u);
}

TEST(View3D, TheScreenRectangleIncludesTheRoof) {
    T3DMap m(90);
    m.House(20, 30, 40, 40, 10, kRed);
    m.Frame();
    const QRect r = m.map.Render().ObjectScreenRect(0);
    EXPECT_LE(r.top(), 60 - 3);
    EXPECT_GE(r.bottom(), 120);
}

TEST(View3D, TheHouseNumberMovesWithTheRoof) {
    for (const double scale : {300.0, 298.0}) {
        T3DMap m(90, scale);
        tOrbMapOptions& o = m.map.Options();
        o.SetmpNumberDom(true);
        o.SetMinScaleAddress(150);
        o.SetmpNumberDomFill(false);
        TORBMapObjectMem& house = m.House(20, 30, 40, 40, 10, 0x000080); // dark red: white text
        SetAddress(house, "5", "");
        const int onRoof = m.CountLight(QRect(62, 62, 56, 26));
        const int onBase = m.CountLight(QRect(62, 92, 56, 26));
        if (scale >= 299) {
            EXPECT_GT(onRoof, 5) << scale;
            EXPECT_EQ(onBase, 0) << scale;
        } else {
            EXPECT_GT(onBase, 5) << scale;
        }
    }
}

} // namespace

namespace {

// The house as its base swept to the roof: every pixel the sweep covers, nothing beyond.
QImage Swept(const std::vector<QPoint>& base, QPoint roofShift, QSize size) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    const int steps = std::max(std::abs(roofShift.x()), std::abs(roofShift.y()));
    for (int k = 0; k <= steps; ++k) {
        std::vector<QPoint> moved = base;
        for (QPoint& q : moved) q += roofShift * k / steps;
        p.drawPolygon(moved.data(), int(moved.size()), Qt::OddEvenFill);
    }
    return img;
}

TEST(View3D, WallsUnderTheRoofAreLeftOutWithoutOpeningAHole) {
    // A U whose arms are thinner than the extrusion, in both windings: walls facing the roof
    // are skipped, and the walls facing away still close every gap.
    std::vector<QPoint> u = {{40, 60},  {140, 60}, {140, 140}, {120, 140},
                             {120, 80}, {60, 80},  {60, 140},  {40, 140}};
    for (const bool reversed : {false, true}) {
        std::vector<QPoint> base = u;
        if (reversed) std::reverse(base.begin(), base.end());
        for (const int angle : {80, -30, 200}) {
            QImage img(200, 200, QImage::Format_RGB32);
            img.fill(Qt::white);
            {
                QPainter p(&img);
                p.setPen(Qt::NoPen);
                p.setBrush(Qt::black);
                TDrawObject draw;
                draw.SetCanvas(&p);
                TExtruder().DrawPolygon3D(draw, base, 40, angle);
            }
            int ox = 40, oy = 0;
            RotatePoint(ox, oy, 0, 0, angle);
            const QImage want = Swept(base, {ox, oy}, img.size());
            int differing = 0, painted = 0;
            for (int y = 0; y < 200; ++y)
                for (int x = 0; x < 200; ++x) {
                    const bool a = qRed(img.pixel(x, y)) < 128, b = qRed(want.pixel(x, y)) < 128;
                    differing += a != b;
                    painted += b;
                }
            EXPECT_LT(differing, painted / 100) << "angle " << angle << " reversed " << reversed;
        }
    }
}

TEST(View3DHits, AHouseIsHitOnItsWallsAndRoofOnlyInThe3DMode) {
    T3DMap m(90);
    m.map.Options().SetmpEdit(true); // the test houses have category 0
    m.House(20, 30, 40, 40, 10, kRed);
    EXPECT_TRUE(m.map.FindObjectsAt(30, 25)); // on the roof, above the base
    m.map.Options().SetView3D(false);
    EXPECT_FALSE(m.map.FindObjectsAt(30, 25));
    EXPECT_TRUE(m.map.FindObjectsAt(30, 35));
}

TEST(View3DHits, TheHousePaintedOnTopIsChosen) {
    T3DMap m(90);
    m.map.Options().SetmpEdit(true);
    m.House(20, 30, 40, 40, 10, kRed); // front, its roof over the base of the one behind
    m.House(20, 20, 40, 28, 4, kBlue);
    m.Frame();
    ASSERT_TRUE(m.map.FindObjectsAt(30, 25));
    EXPECT_EQ(m.map.FoundObjects, (std::vector<int>{1, 0}));
    EXPECT_EQ(m.map.ObjectAtPoint(30, 25), 0);
}

} // namespace
