// The viewport operations of the map control: scale, zoom, scroll, locking, render hooks.
#include "mapview/DataMap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tsivor::mapview;
using tsivor::mapdata::TORBMapObjectMem;

namespace {

// A map of a given client size, drawn once so the back buffer fits it.
struct SizedMap {
    explicit SizedMap(int w = 600, int h = 400) {
        map.resize(w, h);
        map.Redraw();
        map.ClearRedrawLog();
    }
    void AddBox(float x0, float y0, float x1, float y1) {
        auto o = std::make_unique<TORBMapObjectMem>();
        o->Box = {{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}};
        map.Document().Append(std::move(o));
    }
    QPointF Centre() const { return map.GetViewCenter(); }
    TDataMap map;
};

} // namespace

TEST(MapScale, SetScaleKeepsTheCentre) {
    SizedMap s;
    s.map.SetScale(200);
    EXPECT_FLOAT_EQ(s.map.ViewWidth(), 300);
    EXPECT_FLOAT_EQ(s.map.ViewHeight(), 200);
    EXPECT_FLOAT_EQ(s.map.XWind(), 150);
    EXPECT_FLOAT_EQ(s.map.YWind(), 100);
    EXPECT_DOUBLE_EQ(s.map.PixelsPerUnit(), 2);
    EXPECT_FALSE(s.map.Dirty());
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 1);
}

TEST(MapScale, HandlerClampingIsFinalAndKeepsTheFirstCentre) {
    SizedMap s;
    int calls = 0;
    s.map.OnChangeScale = [&](TDataMap* m) {
        ++calls;
        if (m->Scale() > 500) m->SetScale(500);
    };
    s.map.SetScale(1000);
    EXPECT_EQ(calls, 2);
    EXPECT_DOUBLE_EQ(s.map.Scale(), 500);
    EXPECT_DOUBLE_EQ(s.map.PixelsPerUnit(), 5);
    EXPECT_NEAR(s.Centre().x(), 300, 1e-3);
    EXPECT_NEAR(s.Centre().y(), 200, 1e-3);
}

TEST(MapScale, UnusableValuesAreIgnored) {
    SizedMap s;
    s.map.SetScale(250);
    for (double bad : {0.0, -10.0, std::nan(""), std::numeric_limits<double>::infinity()})
        s.map.SetScale(bad);
    EXPECT_DOUBLE_EQ(s.map.Scale(), 250);
    // A control without size cannot be fitted; the view stays usable.
    TDataMap empty;
    empty.resize(0, 0);
    empty.ZoomToRect(0, 0, 100, 100);
    EXPECT_DOUBLE_EQ(empty.Scale(), 100);
    EXPECT_TRUE(std::isfinite(empty.XWind()));
}

TEST(MapZoom, ZoomToRectFitsCentresAndIgnoresCornerOrder) {
    SizedMap a, b;
    a.map.ZoomToRect(0, 0, 1200, 400);
    EXPECT_DOUBLE_EQ(a.map.Scale(), 50);
    EXPECT_NEAR(a.Centre().x(), 600, 1e-3);
    EXPECT_NEAR(a.Centre().y(), 200, 1e-3);
    b.map.ZoomToRect(1200, 400, 0, 0);
    EXPECT_DOUBLE_EQ(b.map.Scale(), 50);
    EXPECT_FLOAT_EQ(a.map.XWind(), b.map.XWind());
    EXPECT_FLOAT_EQ(a.map.YWind(), b.map.YWind());
    // A single point: a zero extent counts as one map unit.
    a.map.ZoomToRect(70, 80, 70, 80);
    EXPECT_DOUBLE_EQ(a.map.Scale(), 100.0 * 400);
    EXPECT_NEAR(a.Centre().x(), 70, 1e-3);
}

TEST(MapZoom, ZoomToObjectsWithinScaleFind) {
    SizedMap s;
    s.AddBox(0, 0, 10, 10);
    s.AddBox(100, 50, 120, 60);
    s.AddBox(40, 40, 40, 40);
    s.map.ZoomToObjects({0});
    EXPECT_DOUBLE_EQ(s.map.Scale(), 800);
    EXPECT_NEAR(s.Centre().x(), 5, 1e-3);
    s.map.SetScaleFind(10000);
    s.map.ZoomToObjects({0, 1}); // 120 x 60 in 600 x 400
    EXPECT_DOUBLE_EQ(s.map.Scale(), 500);
    EXPECT_NEAR(s.Centre().x(), 60, 1e-3);
    EXPECT_NEAR(s.Centre().y(), 30, 1e-3);
    s.map.SetScaleFind(1000000);
    s.map.ZoomToObjects({2}); // a point: zero extent counts as 0.1
    EXPECT_NEAR(s.map.Scale(), 1000.0 * 400, 0.1);
    s.map.ZoomToObjects({0}, 150);
    EXPECT_DOUBLE_EQ(s.map.Scale(), 150);

    s.map.ClearRedrawLog();
    s.map.ZoomToObjects({});
    s.map.ZoomToObjects({7, -1});
    EXPECT_DOUBLE_EQ(s.map.Scale(), 150);
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 0);
}

TEST(MapZoom, ZoomAtTheSameScaleScrollsInstead) {
    SizedMap s; // centre (300, 200)
    s.map.ZoomAt(290, 199.7f, 100);
    EXPECT_FLOAT_EQ(s.map.XWind(), -10);
    EXPECT_FLOAT_EQ(s.map.YWind(), 0);
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 0);
    EXPECT_EQ(s.map.RedrawLog().Strips, std::vector{QRect(0, 0, 10, 400)});
    EXPECT_EQ(s.map.RedrawLog().Repaints, 1);

    s.map.ClearRedrawLog();
    s.map.ZoomAt(290.2f, 200.1f, 100); // at the centre already
    EXPECT_EQ(s.map.RedrawLog().Repaints, 0);

    s.map.ZoomAt(1000, 200, 100); // more than a screen away
    EXPECT_NEAR(s.Centre().x(), 1000, 1e-3);
    EXPECT_TRUE(s.map.RedrawLog().Strips.empty());
    s.map.ZoomAt(50, 60, 400);
    EXPECT_DOUBLE_EQ(s.map.Scale(), 400);
    EXPECT_NEAR(s.Centre().x(), 50, 1e-3);
    EXPECT_NEAR(s.Centre().y(), 60, 1e-3);
}

TEST(MapScroll, EightDirectionsMoveTheWindowAndRedrawStrips) {
    struct Case {
        int direction;
        float dx, dy; // map units at Scale 200
        std::vector<QRect> strips;
    };
    const Case cases[] = {
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
        EXPECT_EQ(s.map.RedrawLog().FullFrames + s.map.RedrawLog().Repaints, 0);
    }
    SizedMap s;
    EXPECT_FALSE(s.map.ScrollBy(9, 10, 10));
    EXPECT_FLOAT_EQ(s.map.XWind(), 0);
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

TEST(MapScroll, LockScrollOutMapStopsAtTheMargin) {
    SizedMap s(300, 300); // margin: 100 map units at Scale 100
    s.AddBox(0, 0, 1000, 1000);
    s.map.Document().RecalcExtent();
    s.map.Options().SetLockScrollOutMap(true);
    int moves = 0;
    while (moves < 100 && s.map.ScrollBy(sdLeft, 10, 0)) ++moves;
    EXPECT_EQ(moves, 10);
    EXPECT_FLOAT_EQ(s.map.XWind(), -100);
    EXPECT_FALSE(s.map.ScrollBy(sdLeftDown, 10, 10));
    EXPECT_FLOAT_EQ(s.map.YWind(), 0) << "a refused diagonal moves neither axis";
    EXPECT_TRUE(s.map.ScrollBy(sdRight, 10, 0));

    s.map.SetXWind(800); // right edge at MaxX + margin
    EXPECT_FALSE(s.map.ScrollBy(sdRight, 1, 0));
    s.map.Options().SetLockScrollOutMap(false);
    EXPECT_TRUE(s.map.ScrollBy(sdRight, 500, 0));
}

TEST(MapDrawing, RedrawRebuildsOnlyWhenDirtyOrResized) {
    SizedMap s;
    s.map.Redraw();
    s.map.MarkDirty();
    s.map.Redraw();
    s.map.Redraw();
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 1);
    s.map.resize(250, 150);
    const QPixmap shot = s.map.grab(); // Paint notices the new size
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 2);
    EXPECT_EQ(s.map.Picture().size(), QSize(250, 150));
}

TEST(MapDrawing, LockingIsNotCountedAndDrawsOneFrame) {
    SizedMap s;
    s.map.LockDrawing();
    {
        TDrawingLock lock(s.map);
        s.map.SetScale(300);
        s.map.SetXWind(5);
        s.map.ScrollBy(sdLeft, 10, 0);
        EXPECT_TRUE(s.map.RedrawLog().Strips.empty());
        EXPECT_TRUE(s.map.Dirty());
    }
    EXPECT_TRUE(s.map.DrawingEnabled()) << "the first unlock resumes";
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 1);
    EXPECT_FALSE(s.map.Dirty());
    s.map.UnlockDrawing();
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 1);
}

TEST(MapDrawing, RedrawingOptionsRedrawTheMap) {
    SizedMap s;
    s.map.Options().SetmpNumberDom(true);
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 1);
    s.map.Options().NotifyChange = false;
    s.map.Options().SetObjectView(2);
    s.map.Options().NotifyChange = true;
    s.map.Options().SetStepScroll(20);
    EXPECT_EQ(s.map.RedrawLog().FullFrames, 1);
}

TEST(MapConversions, MousePositionAndLargeObjects) {
    SizedMap s;
    s.map.SetScale(200);
    s.map.SetMousePos(QPoint(100, 50));
    EXPECT_FLOAT_EQ(s.map.MouseMapX(), 150 + 50);
    EXPECT_FLOAT_EQ(s.map.MouseMapY(), 100 + 25);

    std::vector<tsivor::mapdata::TORBMapPoint> pts(200001);
    for (size_t i = 0; i < pts.size(); ++i) pts[i] = {float(i % 1000), float(i / 1000)};
    const auto out = s.map.MapPointsToScreen(pts.data(), int(pts.size()));
    ASSERT_EQ(out.size(), pts.size());
    EXPECT_EQ(out.back(), QPoint((0 - 150) * 2, (200 - 100) * 2));
    EXPECT_EQ(s.map.MapPointsToScreenCompact(pts.data(), int(pts.size())).size(), pts.size());
}

TEST(MapConversions, PrintingCanSwapTheTransform) {
    struct Shifted : TMapTransform {
        void MapToScreen(float& x, float&) const override { x += 1000; }
        void MapPointsToScreen(const TORBMapPoint*, int, QPoint*) const override {}
        int MapPointsToScreenCompact(const TORBMapPoint*, int, QPoint*) const override { return 0; }
    } shifted;
    SizedMap s;
    s.map.SetTransform(&shifted);
    float x = 1, y = 2;
    s.map.MapToScreen(x, y);
    EXPECT_FLOAT_EQ(x, 1001);
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
    EXPECT_EQ(copied, (std::vector<int32_t>{2000, 500}));
}

TEST(MapHeader, TextBoxesAreMeasuredWithTheMapFonts) {
    TDataMap map;
    auto measure = [&](float size) {
        TORBMapObjectMem o;
        o.SetText({0, 0, 0, 0, size, QStringLiteral("Улица Ленина")});
        map.Document().CalcObjectBox(o);
        return QSizeF(o.Box[2].X - o.Box[0].X, o.Box[2].Y - o.Box[0].Y);
    };
    const QSizeF small = measure(5), large = measure(50);
    ASSERT_GT(small.width(), 0);
    // Small sizes are measured at a hundredfold height, so they stay proportional.
    EXPECT_NEAR(large.width() / small.width(), 10, 1);
    EXPECT_NEAR(large.height() / small.height(), 10, 1);
    EXPECT_GT(large.width(), large.height());
}
