// The viewport operations of the map control: scale, zoom, scroll, locking, linked maps.
#include "mapview/DataMap.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <cmath>
#include <limits>

using namespace tsivor::mapview;
using tsivor::mapdata::cPolygon;
using tsivor::mapdata::TORBMapObjectMem;

namespace {

// A map of a given client size, drawn once so the back buffer fits it.
struct SizedMap {
    explicit SizedMap(int w = 600, int h = 400) {
        map.resize(w, h);
        map.Redraw();
        map.ClearRedrawLog();
    }
    TDataMap map;
};

void AddBox(TDataMap& map, float x0, float y0, float x1, float y1) {
    auto o = std::make_unique<TORBMapObjectMem>();
    o->ObjectType = cPolygon;
    o->Box = {{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}};
    map.Document().Append(std::move(o));
}

QPointF Centre(const TDataMap& m) {
    return m.GetViewCenter();
}

} // namespace

TEST(MapScale, SetScaleKeepsTheCentre) {
    SizedMap s;
    s.map.SetScale(200);
    EXPECT_DOUBLE_EQ(s.map.Scale(), 200);
    EXPECT_FLOAT_EQ(s.map.ViewWidth(), 300);
    EXPECT_FLOAT_EQ(s.map.ViewHeight(), 200);
    EXPECT_FLOAT_EQ(s.map.XWind(), 150);
    EXPECT_FLOAT_EQ(s.map.YWind(), 100);
    EXPECT_DOUBLE_EQ(s.map.PixelsPerUnit(), 2);
    EXPECT_FALSE(s.map.Dirty());
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 1);
    EXPECT_GE(s.map.RedrawLog().Repaints, 1);
}

TEST(MapScale, HandlerClampingIsFinalAndKeepsTheFirstCentre) {
    SizedMap s;
    int calls = 0;
    double pixelsPerUnitSeen = 0;
    s.map.OnChangeScale = [&](TDataMap* m) {
        ++calls;
        pixelsPerUnitSeen = m->PixelsPerUnit();
        if (m->Scale() > 500) m->SetScale(500);
    };
    s.map.SetScale(1000);
    EXPECT_EQ(calls, 2);
    EXPECT_DOUBLE_EQ(s.map.Scale(), 500);
    EXPECT_DOUBLE_EQ(s.map.PixelsPerUnit(), 5);
    EXPECT_NEAR(Centre(s.map).x(), 300, 1e-3);
    EXPECT_NEAR(Centre(s.map).y(), 200, 1e-3);
    EXPECT_FLOAT_EQ(s.map.XWind(), 240);
    // The handler runs before the pixel factor follows the new scale.
    EXPECT_DOUBLE_EQ(pixelsPerUnitSeen, 1);
}

TEST(MapScale, UnusableValuesAreIgnored) {
    SizedMap s;
    s.map.SetScale(250);
    for (double bad : {0.0, -10.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        s.map.SetScale(bad);
        EXPECT_DOUBLE_EQ(s.map.Scale(), 250);
    }
    EXPECT_TRUE(std::isfinite(s.map.XWind()));
}

TEST(MapScale, OriginSettersRedraw) {
    SizedMap s;
    s.map.SetXWind(50);
    s.map.SetYWind(-20);
    EXPECT_FLOAT_EQ(s.map.XWind(), 50);
    EXPECT_FLOAT_EQ(s.map.YWind(), -20);
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 2);
}

TEST(MapZoom, ZoomToRectFitsAndCentres) {
    SizedMap s;
    s.map.ZoomToRect(0, 0, 1200, 400);
    EXPECT_DOUBLE_EQ(s.map.Scale(), 50);
    EXPECT_NEAR(Centre(s.map).x(), 600, 1e-3);
    EXPECT_NEAR(Centre(s.map).y(), 200, 1e-3);
    EXPECT_NEAR(s.map.XWind(), 0, 1e-3);
}

TEST(MapZoom, ZoomToRectIgnoresCornerOrder) {
    SizedMap a, b;
    a.map.ZoomToRect(10, 20, 310, 420);
    b.map.ZoomToRect(310, 420, 10, 20);
    EXPECT_DOUBLE_EQ(a.map.Scale(), b.map.Scale());
    EXPECT_FLOAT_EQ(a.map.XWind(), b.map.XWind());
    EXPECT_FLOAT_EQ(a.map.YWind(), b.map.YWind());
}

TEST(MapZoom, ZoomToRectOfAPoint) {
    SizedMap s;
    s.map.ZoomToRect(70, 80, 70, 80);
    EXPECT_DOUBLE_EQ(s.map.Scale(), 100.0 * 400);
    EXPECT_NEAR(Centre(s.map).x(), 70, 1e-3);
    EXPECT_NEAR(Centre(s.map).y(), 80, 1e-3);
}

TEST(MapZoom, ZoomToObjectsIsLimitedByScaleFind) {
    SizedMap s;
    AddBox(s.map, 0, 0, 10, 10);
    AddBox(s.map, 100, 50, 120, 60);
    AddBox(s.map, 5000, 5000, 5001, 5001);
    s.map.ZoomToObjects({0});
    EXPECT_DOUBLE_EQ(s.map.Scale(), 800);
    EXPECT_NEAR(Centre(s.map).x(), 5, 1e-3);
    EXPECT_NEAR(Centre(s.map).y(), 5, 1e-3);

    s.map.SetScaleFind(300);
    s.map.ZoomToObjects({0});
    EXPECT_DOUBLE_EQ(s.map.Scale(), 300);

    s.map.SetScaleFind(10000);
    s.map.ZoomToObjects({0, 1}); // 120 x 60 in 600 x 400
    EXPECT_DOUBLE_EQ(s.map.Scale(), 500);
    EXPECT_NEAR(Centre(s.map).x(), 60, 1e-3);
    EXPECT_NEAR(Centre(s.map).y(), 30, 1e-3);
}

TEST(MapZoom, ZoomToObjectsWithAGivenScaleOrNothing) {
    SizedMap s;
    AddBox(s.map, 0, 0, 10, 10);
    s.map.ZoomToObjects({0}, 150);
    EXPECT_DOUBLE_EQ(s.map.Scale(), 150);
    EXPECT_NEAR(Centre(s.map).x(), 5, 1e-3);

    s.map.ClearRedrawLog();
    s.map.ZoomToObjects({});
    s.map.ZoomToObjects({7, -1});
    EXPECT_DOUBLE_EQ(s.map.Scale(), 150);
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 0);
}

TEST(MapZoom, ZoomToObjectsOfAPointObject) {
    SizedMap s;
    AddBox(s.map, 40, 40, 40, 40);
    s.map.SetScaleFind(1000000);
    s.map.ZoomToObjects({0});
    EXPECT_NEAR(s.map.Scale(), 1000.0 * 400, 0.1);
}

TEST(MapZoom, ZoomAtTheSameScaleScrollsInstead) {
    SizedMap s; // centre (300, 200)
    s.map.ZoomAt(290, 199.7f, 100);
    EXPECT_FLOAT_EQ(s.map.XWind(), -10);
    EXPECT_FLOAT_EQ(s.map.YWind(), 0);
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 0);
    ASSERT_EQ(s.map.RedrawLog().Strips.size(), 1u);
    EXPECT_EQ(s.map.RedrawLog().Strips[0], QRect(0, 0, 10, 400));
    EXPECT_EQ(s.map.RedrawLog().Repaints, 1);
}

TEST(MapZoom, ZoomAtAFarPointOrNewScaleRebuilds) {
    SizedMap s;
    s.map.ZoomAt(1000, 200, 100);
    EXPECT_NEAR(Centre(s.map).x(), 1000, 1e-3);
    EXPECT_TRUE(s.map.RedrawLog().Strips.empty());
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 1);

    s.map.ZoomAt(50, 60, 400);
    EXPECT_DOUBLE_EQ(s.map.Scale(), 400);
    EXPECT_NEAR(Centre(s.map).x(), 50, 1e-3);
    EXPECT_NEAR(Centre(s.map).y(), 60, 1e-3);
}

TEST(MapZoom, ZoomAtTheCentreDoesNothing) {
    SizedMap s;
    s.map.ZoomAt(300.2f, 199.9f, 100);
    EXPECT_FLOAT_EQ(s.map.XWind(), 0);
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 0);
    EXPECT_EQ(s.map.RedrawLog().Repaints, 0);
}

TEST(MapScroll, EightDirectionsMoveTheWindowAndRedrawStrips) {
    struct Case {
        int direction;
        float dx, dy;
        std::vector<QRect> strips;
    };
    const std::vector<Case> cases = {
        {sdLeft, -5, 0, {QRect(0, 0, 10, 400)}},
        {sdUp, 0, -4, {QRect(0, 0, 600, 8)}},
        {sdRight, 5, 0, {QRect(590, 0, 10, 400)}},
        {sdDown, 0, 4, {QRect(0, 392, 600, 8)}},
        {sdLeftUp, -5, -4, {QRect(0, 0, 10, 400), QRect(10, 0, 590, 8)}},
        {sdRightUp, 5, -4, {QRect(590, 0, 10, 400), QRect(0, 0, 590, 8)}},
        {sdRightDown, 5, 4, {QRect(590, 0, 10, 400), QRect(0, 392, 590, 8)}},
        {sdLeftDown, -5, 4, {QRect(0, 0, 10, 400), QRect(10, 392, 590, 8)}},
    };
    for (const Case& c : cases) {
        SizedMap s;
        s.map.SetScale(200);
        s.map.ClearRedrawLog();
        const float x0 = s.map.XWind(), y0 = s.map.YWind();
        EXPECT_TRUE(s.map.ScrollBy(c.direction, 10, 8));
        EXPECT_FLOAT_EQ(s.map.XWind() - x0, c.dx) << c.direction;
        EXPECT_FLOAT_EQ(s.map.YWind() - y0, c.dy) << c.direction;
        EXPECT_EQ(s.map.RedrawLog().Strips, c.strips) << c.direction;
        EXPECT_EQ(s.map.RedrawLog().FullFrames, 0);
        EXPECT_EQ(s.map.RedrawLog().Repaints, 0) << "callers repaint";
    }
}

TEST(MapScroll, ImageMovesOppositeToTheWindow) {
    SizedMap s;
    s.map.Picture().fill(Qt::white);
    s.map.Picture().setPixel(100, 100, qRgb(255, 0, 0));
    s.map.ScrollBy(sdLeftUp, 10, 5);
    EXPECT_EQ(s.map.Picture().pixel(110, 105), qRgb(255, 0, 0));
    s.map.ScrollBy(sdRightDown, 30, 20);
    EXPECT_EQ(s.map.Picture().pixel(80, 85), qRgb(255, 0, 0));
}

TEST(MapScroll, UnknownDirectionDoesNothing) {
    SizedMap s;
    EXPECT_FALSE(s.map.ScrollBy(9, 10, 10));
    EXPECT_FLOAT_EQ(s.map.XWind(), 0);
    EXPECT_TRUE(s.map.RedrawLog().Strips.empty());
}

TEST(MapScroll, LockScrollOutMapStopsAtTheMargin) {
    SizedMap s(300, 300); // margin: 100 map units at Scale 100
    AddBox(s.map, 0, 0, 1000, 1000);
    s.map.Document().RecalcExtent();
    s.map.Options().SetLockScrollOutMap(true);
    int moves = 0;
    while (moves < 100 && s.map.ScrollBy(sdLeft, 10, 0)) ++moves;
    EXPECT_EQ(moves, 10);
    EXPECT_FLOAT_EQ(s.map.XWind(), -100);
    EXPECT_FALSE(s.map.ScrollBy(sdLeftDown, 10, 10));
    EXPECT_FLOAT_EQ(s.map.YWind(), 0) << "a refused diagonal does not move either axis";
    EXPECT_TRUE(s.map.ScrollBy(sdRight, 10, 0));
    EXPECT_FLOAT_EQ(s.map.XWind(), -90);

    s.map.Options().SetLockScrollOutMap(false);
    EXPECT_TRUE(s.map.ScrollBy(sdLeft, 500, 0));
}

TEST(MapScroll, WhileLockedTheStripsAreOwedToTheNextFrame) {
    SizedMap s;
    s.map.LockDrawing();
    EXPECT_TRUE(s.map.ScrollBy(sdLeft, 10, 0));
    EXPECT_TRUE(s.map.RedrawLog().Strips.empty());
    EXPECT_TRUE(s.map.Dirty());
    s.map.UnlockDrawing();
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 1);
    EXPECT_FALSE(s.map.Dirty());
}

TEST(MapDrawing, RedrawRebuildsOnlyWhenNeeded) {
    SizedMap s;
    s.map.Redraw();
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 0);
    s.map.MarkDirty();
    s.map.Redraw();
    s.map.Redraw();
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 1);
    s.map.resize(200, 100);
    s.map.Redraw();
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 2);
    EXPECT_EQ(s.map.Picture().size(), QSize(200, 100));
}

TEST(MapDrawing, PaintRedrawsAfterAResize) {
    SizedMap s;
    s.map.resize(250, 150);
    const QPixmap shot = s.map.grab();
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 1);
    EXPECT_EQ(s.map.Picture().size(), QSize(250, 150));
    EXPECT_EQ(shot.size(), QSize(250, 150));
}

TEST(MapDrawing, LockingIsNotCounted) {
    SizedMap s;
    s.map.LockDrawing();
    s.map.LockDrawing();
    s.map.SetScale(300);
    s.map.SetXWind(5);
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 0);
    EXPECT_TRUE(s.map.Dirty());
    s.map.UnlockDrawing();
    EXPECT_TRUE(s.map.DrawingEnabled());
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 1);
    s.map.UnlockDrawing();
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 1);
}

TEST(MapDrawing, DrawingLockGuardDrawsOneFrame) {
    SizedMap s;
    {
        TDrawingLock lock(s.map);
        s.map.SetScale(150);
        s.map.SetXWind(1);
        s.map.SetYWind(2);
        EXPECT_FALSE(s.map.DrawingEnabled());
    }
    EXPECT_TRUE(s.map.DrawingEnabled());
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 1);
}

TEST(MapDrawing, DrawingLockIsReleasedOnException) {
    SizedMap s;
    try {
        TDrawingLock lock(s.map);
        throw std::runtime_error("boom");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(s.map.DrawingEnabled());
}

TEST(MapDrawing, RedrawingOptionsRedrawTheMap) {
    SizedMap s;
    s.map.Options().SetmpNumberDom(true);
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 1);
    s.map.Options().NotifyChange = false;
    s.map.Options().SetmpNumberDom(false);
    s.map.Options().SetObjectView(2);
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 1);
    s.map.Options().SetStepScroll(10);
    s.map.Options().NotifyChange = true;
    s.map.Options().SetStepScroll(20);
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 1);
}

TEST(MapMouse, MouseMapPositionUsesTheCurrentView) {
    SizedMap s;
    s.map.SetScale(200);
    s.map.SetMousePos(QPoint(100, 50));
    EXPECT_FLOAT_EQ(s.map.MouseMapX(), 150 + 50);
    EXPECT_FLOAT_EQ(s.map.MouseMapY(), 100 + 25);
}

TEST(MapConversions, DevicePointBufferGrowsForLargeObjects) {
    SizedMap s;
    std::vector<tsivor::mapdata::TORBMapPoint> pts(200001);
    for (size_t i = 0; i < pts.size(); ++i) pts[i] = {float(i % 1000), float(i / 1000)};
    const auto out = s.map.MapPointsToScreen(pts.data(), int(pts.size()));
    ASSERT_EQ(out.size(), pts.size());
    EXPECT_EQ(out.back(), QPoint(0, 200));
    const auto compact = s.map.MapPointsToScreenCompact(pts.data(), int(pts.size()));
    EXPECT_EQ(compact.size(), pts.size());
    EXPECT_TRUE(s.map.MapPointsToScreen(pts.data(), 0).empty());
}

TEST(MapConversions, TransformCanBeSwapped) {
    struct Shifted : TMapTransform {
        void MapToScreen(float& x, float& y) const override {
            x += 1000;
            y += 1000;
        }
        void MapPointsToScreen(const TORBMapPoint* in, int n, QPoint* out) const override {
            for (int i = 0; i < n; ++i) out[i] = QPoint(int(in[i].X) + 1000, 0);
        }
        int MapPointsToScreenCompact(const TORBMapPoint* in, int n, QPoint* out) const override {
            MapPointsToScreen(in, n, out);
            return n;
        }
    } shifted;
    SizedMap s;
    s.map.SetTransform(&shifted);
    float x = 1, y = 2;
    s.map.MapToScreen(x, y);
    EXPECT_FLOAT_EQ(x, 1001);
    const TORBMapPoint p{5, 5};
    EXPECT_EQ(s.map.MapPointsToScreen(&p, 1)[0], QPoint(1005, 0));
    s.map.SetTransform(nullptr);
    x = 1;
    s.map.MapToScreen(x, y);
    EXPECT_FLOAT_EQ(x, 1);
}

TEST(MapHeader, MashtabChangeGoesToThePrinter) {
    TDataMap map;
    std::vector<int32_t> copied;
    map.MashtabToPrinter = [&](int32_t v) { copied.push_back(v); };
    map.SetMashtab(2000);
    map.SetMashtab(2000);
    map.SetMashtab(500);
    EXPECT_EQ(map.Mashtab(), 500);
    EXPECT_EQ(copied, (std::vector<int32_t>{2000, 500}));
    map.SetFileName(QStringLiteral("  info1.db "));
    EXPECT_EQ(map.FileName(), QStringLiteral("info1.db"));
}

TEST(MapText, TextBoxesAreMeasuredWithTheMapFonts) {
    TDataMap map;
    auto measure = [&](float size) {
        TORBMapObjectMem o;
        o.SetText({0, 0, 0, 0, size, QStringLiteral("Улица Ленина")});
        map.Document().CalcObjectBox(o);
        return QSizeF(o.Box[2].X - o.Box[0].X, o.Box[2].Y - o.Box[0].Y);
    };
    const QSizeF small = measure(5), large = measure(50);
    EXPECT_GT(small.width(), 0);
    EXPECT_GT(small.height(), 0);
    // Small sizes are measured at a hundredfold height, so they stay proportional.
    EXPECT_NEAR(large.width() / small.width(), 10, 1);
    EXPECT_NEAR(large.height() / small.height(), 10, 1);
    EXPECT_GT(large.width(), large.height());
}
