// The headless viewport: conversions, scroll steps, clipping.
#include "mapview/Viewport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using namespace tsivor::mapview;
using tsivor::mapdata::TORBMapObjectMem;

namespace {

TMapViewport MakeViewport(int w, int h, double scale = 100, float x = 0, float y = 0) {
    TMapViewport v;
    v.SetControlSize(QSize(w, h));
    v.StoreScale(scale);
    v.UpdatePixelsPerUnit();
    v.SetOrigin(x, y);
    return v;
}

} // namespace

TEST(ViewportConversions, ScreenToMapAndBackWithDeviceFactor) {
    TMapViewport v = MakeViewport(600, 400, 250, 1234.5f, -77.25f);
    for (float px : {0.f, 13.f, 599.f}) {
        float x = px, y = 7;
        v.ScreenToMap(x, y);
        EXPECT_NEAR(x, px * 100 / 250 + 1234.5, 1e-3);
        v.MapToScreen(x, y);
        EXPECT_NEAR(x, px, 1e-2);
        EXPECT_NEAR(y, 7, 1e-2);
    }
    // The device factor scales map-to-device only.
    v.SetDeviceFactor(3.0f);
    float x = 1244.5f, y = -77.25f;
    v.MapToScreen(x, y);
    EXPECT_FLOAT_EQ(x, 10 * 2.5f * 3);
    x = 30;
    v.ScreenToMap(x, y);
    EXPECT_FLOAT_EQ(x, 30 * 100 / 250.0 + 1234.5);
}

TEST(ViewportConversions, PointsRoundHalfToEvenAndNeverOverflow) {
    const TMapViewport v = MakeViewport(100, 100);
    const TORBMapPoint in[] = {{0.5f, 1.5f}, {2.5f, -0.5f}, {-1.5f, 3.6f}};
    QPoint out[3];
    v.MapPointsToScreen(in, 3, out);
    EXPECT_EQ(out[0], QPoint(0, 2));
    EXPECT_EQ(out[1], QPoint(2, 0));
    EXPECT_EQ(out[2], QPoint(-2, 4));

    const TMapViewport zoomed = MakeViewport(100, 100, 1e6);
    const float inf = std::numeric_limits<float>::infinity();
    const TORBMapPoint wild[] = {{3e38f, -3e38f}, {inf, std::nanf("")}};
    zoomed.MapPointsToScreen(wild, 2, out);
    EXPECT_GT(out[0].x(), 1000000);
    EXPECT_LT(out[0].y(), -1000000);
    EXPECT_EQ(out[1].y(), 0);
}

TEST(ViewportConversions, CompactDropsRepeatsFromSixPointsOn) {
    const TMapViewport v = MakeViewport(100, 100);
    const TORBMapPoint pts[] = {{0, 0}, {0.2f, 0}, {0.3f, 0}, {1, 1}, {1.1f, 1}, {0, 0}};
    QPoint out[6];
    EXPECT_EQ(v.MapPointsToScreenCompact(pts, 5, out), 5);
    ASSERT_EQ(v.MapPointsToScreenCompact(pts, 6, out), 3);
    EXPECT_EQ(out[1], QPoint(1, 1));
    EXPECT_EQ(out[2], QPoint(0, 0)) << "only the last written point counts";
}

TEST(ViewportScrolling, StepsTowardsANearTarget) {
    const TMapViewport v = MakeViewport(600, 400); // centre (300, 200)
    using S = std::vector<TScrollStep>;
    EXPECT_EQ(*v.ScrollStepsTowards(290, 190), (S{{sdLeftUp, 10, 10}}));
    EXPECT_EQ(*v.ScrollStepsTowards(290, 212), (S{{sdLeftDown, 10, 12}}));
    EXPECT_EQ(*v.ScrollStepsTowards(320, 200.4f), (S{{sdRight, 20, 0}}));
    EXPECT_EQ(*v.ScrollStepsTowards(320, 190), (S{{sdRightUp, 20, 10}}));
    EXPECT_EQ(*v.ScrollStepsTowards(300.2f, 150), (S{{sdUp, 0, 50}}));
    EXPECT_EQ(*v.ScrollStepsTowards(299.8f, 250), (S{{sdDown, 0, 50}}));
    EXPECT_TRUE(v.ScrollStepsTowards(300.3f, 199.6f)->empty());
    EXPECT_FALSE(v.ScrollStepsTowards(900, 200).has_value()) << "a screen away: rebuild";
    // A move longer than the control uncovers the control only.
    EXPECT_EQ(UncoveredStrips({-900, 0}, QSize(600, 400)), std::vector{QRect(0, 0, 600, 400)});
}

TEST(ViewportClipping, OutcodesAndObjectVisibility) {
    TMapViewport v;
    v.SetClipRect(0, 0, 100, 100);
    EXPECT_EQ(v.ClipCode(50, 50), 0);
    EXPECT_EQ(v.ClipCode(0, 100), 0);
    EXPECT_EQ(v.ClipCode(-1, -1), 1 | 2);
    EXPECT_EQ(v.ClipCode(101, 101), 4 | 8);

    TOrbMapList list;
    for (const std::array<TORBMapPoint, 4>& box : {
             std::array<TORBMapPoint, 4>{{{10, 10}, {20, 10}, {20, 20}, {10, 20}}},
             std::array<TORBMapPoint, 4>{{{200, 10}, {220, 10}, {220, 20}, {200, 20}}},
             std::array<TORBMapPoint, 4>{{{-50, -50}, {150, -50}, {150, 150}, {-50, 150}}},
             std::array<TORBMapPoint, 4>{{{-10, 40}, {50, -10}, {-5, 60}, {50, 110}}},
         }) {
        list.push_back(std::make_unique<TORBMapObjectMem>());
        list.back()->Box = box;
    }
    EXPECT_TRUE(v.IsObjectInView(list, 0));
    EXPECT_FALSE(v.IsObjectInView(list, 1));
    EXPECT_TRUE(v.IsObjectInView(list, 2)) << "covers the view";
    EXPECT_TRUE(v.IsObjectInView(list, 3)) << "seen by the other diagonal";
    EXPECT_FALSE(v.IsObjectInView(list, 4));
    EXPECT_FALSE(v.IsObjectInView(list, -1));
}

TEST(ViewportClipping, TheColumnTestAnswersAsTheRecordTest) {
    // Rectangles in both corner orders, turned boxes, lines and points, under clip rectangles
    // all over them: the document's column must give the record's answer every time.
    tsivor::mapdata::TMapDocument doc;
    std::mt19937 rng(7);
    auto coord = [&] { return float(int(rng() % 400) - 200); };
    for (int k = 0; k < 400; ++k) {
        auto o = std::make_unique<TORBMapObjectMem>();
        const float x0 = coord(), y0 = coord(), x2 = coord(), y2 = coord();
        if (k % 3 == 0)
            o->Box = {{{x0, y0}, {x2, y0}, {x2, y2}, {x0, y2}}};
        else if (k % 3 == 1)
            o->Box = {{{x0, y0}, {coord(), coord()}, {x2, y2}, {coord(), coord()}}};
        else
            o->Box.fill({x0, y0});
        doc.Append(std::move(o));
    }
    TMapViewport v;
    for (int r = 0; r < 200; ++r) {
        const float cx = coord(), cy = coord();
        v.SetClipRect(cx, cy, cx + float(rng() % 150), cy + float(rng() % 150));
        for (int i = -1; i <= doc.ObjectCount(); ++i)
            ASSERT_EQ(v.IsObjectInView(doc, i), v.IsObjectInView(doc.Objects, i))
                << "object " << i << " clip " << r;
    }
}
