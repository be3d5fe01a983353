// The headless viewport: conversions, fitting, scroll limits and strips, clipping.
#include "mapview/Viewport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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

TEST(ViewportConversions, InitialState) {
    const TMapViewport v;
    EXPECT_DOUBLE_EQ(v.Scale(), 100.0);
    EXPECT_DOUBLE_EQ(v.PixelsPerUnit(), 1.0);
    EXPECT_FLOAT_EQ(v.DeviceFactor(), 1.0f);
    EXPECT_EQ(v.XWind(), 0);
    EXPECT_EQ(v.YWind(), 0);
    EXPECT_EQ(v.ScaleFind(), 800);
}

TEST(ViewportConversions, ScreenToMapAndBack) {
    const TMapViewport v = MakeViewport(600, 400, 250, 1234.5f, -77.25f);
    for (float px : {0.f, 13.f, 299.f, 599.f}) {
        for (float py : {0.f, 7.f, 399.f}) {
            float x = px, y = py;
            v.ScreenToMap(x, y);
            EXPECT_NEAR(x, px * 100 / 250 + 1234.5, 1e-3);
            v.MapToScreen(x, y);
            EXPECT_NEAR(x, px, 1e-2);
            EXPECT_NEAR(y, py, 1e-2);
        }
    }
}

TEST(ViewportConversions, DeviceFactorAppliesOnlyToMapToScreen) {
    TMapViewport v = MakeViewport(600, 400, 200, 10, 20);
    v.SetDeviceFactor(3.0f);
    float x = 15, y = 30;
    v.MapToScreen(x, y);
    EXPECT_FLOAT_EQ(x, 5 * 2 * 3);
    EXPECT_FLOAT_EQ(y, 10 * 2 * 3);
    float sx = 30, sy = 60;
    v.ScreenToMap(sx, sy);
    EXPECT_FLOAT_EQ(sx, 30 * 100 / 200.0 + 10);
    EXPECT_FLOAT_EQ(sy, 60 * 100 / 200.0 + 20);
}

TEST(ViewportConversions, PixelsPerUnitFollowsOnlyOnUpdate) {
    TMapViewport v = MakeViewport(100, 100);
    v.StoreScale(400);
    float x = 10, y = 0;
    v.MapToScreen(x, y);
    EXPECT_FLOAT_EQ(x, 10);
    v.UpdatePixelsPerUnit();
    x = 10;
    v.MapToScreen(x, y);
    EXPECT_FLOAT_EQ(x, 40);
}

TEST(ViewportConversions, PointsAreRoundedHalfToEven) {
    const TMapViewport v = MakeViewport(100, 100);
    const TORBMapPoint in[] = {{0.5f, 1.5f}, {2.5f, -0.5f}, {-1.5f, 3.4f}, {3.6f, 0.49f}};
    QPoint out[4];
    v.MapPointsToScreen(in, 4, out);
    EXPECT_EQ(out[0], QPoint(0, 2));
    EXPECT_EQ(out[1], QPoint(2, 0));
    EXPECT_EQ(out[2], QPoint(-2, 3));
    EXPECT_EQ(out[3], QPoint(4, 0));
}

TEST(ViewportConversions, HugeAndInvalidCoordinatesDoNotOverflow) {
    const TMapViewport v = MakeViewport(100, 100, 1e6);
    const float inf = std::numeric_limits<float>::infinity();
    const TORBMapPoint in[] = {{3e38f, -3e38f}, {inf, std::nanf("")}};
    QPoint out[2];
    v.MapPointsToScreen(in, 2, out);
    EXPECT_GT(out[0].x(), 1000000);
    EXPECT_LT(out[0].y(), -1000000);
    EXPECT_GT(out[1].x(), 1000000);
    EXPECT_EQ(out[1].y(), 0);
}

TEST(ViewportConversions, CompactDropsRepeatsFromSixPointsOn) {
    const TMapViewport v = MakeViewport(100, 100);
    const TORBMapPoint five[] = {{0, 0}, {0.2f, 0}, {0.3f, 0}, {1, 1}, {1.1f, 1}};
    QPoint out[8];
    EXPECT_EQ(v.MapPointsToScreenCompact(five, 5, out), 5);

    const TORBMapPoint six[] = {{0, 0}, {0.2f, 0}, {0.3f, 0}, {1, 1}, {1.1f, 1}, {0, 0}};
    ASSERT_EQ(v.MapPointsToScreenCompact(six, 6, out), 3);
    EXPECT_EQ(out[0], QPoint(0, 0));
    EXPECT_EQ(out[1], QPoint(1, 1));
    EXPECT_EQ(out[2], QPoint(0, 0));
}

TEST(ViewportFitting, ViewSizeAndCentre) {
    const TMapViewport v = MakeViewport(600, 400, 200, 150, 100);
    EXPECT_FLOAT_EQ(v.ViewWidth(), 300);
    EXPECT_FLOAT_EQ(v.ViewHeight(), 200);
    EXPECT_EQ(v.GetViewCenter(), QPointF(300, 200));
    EXPECT_EQ(v.OriginCentredOn(300, 200, 200), QPointF(150, 100));
}

TEST(ViewportFitting, ZeroExtentCountsAsGivenValue) {
    const TMapViewport v = MakeViewport(600, 400);
    EXPECT_DOUBLE_EQ(v.FitScale(600, 100, 1), 100);
    EXPECT_DOUBLE_EQ(v.FitScale(0, 0, 1), 100 * 400);
    EXPECT_NEAR(v.FitScale(0, 0, 0.1f), 400000, 0.1);
}

TEST(ViewportScrolling, MovementOfEachDirection) {
    EXPECT_EQ(ScrollMovement(sdLeft, 5, 7), QPoint(-5, 0));
    EXPECT_EQ(ScrollMovement(sdUp, 5, 7), QPoint(0, -7));
    EXPECT_EQ(ScrollMovement(sdRight, 5, 7), QPoint(5, 0));
    EXPECT_EQ(ScrollMovement(sdDown, 5, 7), QPoint(0, 7));
    EXPECT_EQ(ScrollMovement(sdLeftUp, 5, 7), QPoint(-5, -7));
    EXPECT_EQ(ScrollMovement(sdRightUp, 5, 7), QPoint(5, -7));
    EXPECT_EQ(ScrollMovement(sdRightDown, 5, 7), QPoint(5, 7));
    EXPECT_EQ(ScrollMovement(sdLeftDown, 5, 7), QPoint(-5, 7));
    EXPECT_FALSE(ScrollMovement(8, 5, 7).has_value());
    EXPECT_FALSE(ScrollMovement(-1, 5, 7).has_value());
}

TEST(ViewportScrolling, StripsOfStraightAndDiagonalMoves) {
    const QSize s(600, 400);
    using R = std::vector<QRect>;
    // QRect(x, y, w, h) for the strips left/top/right/bottom.
    EXPECT_EQ(UncoveredStrips({-10, 0}, s), R{QRect(0, 0, 10, 400)});
    EXPECT_EQ(UncoveredStrips({0, -8}, s), R{QRect(0, 0, 600, 8)});
    EXPECT_EQ(UncoveredStrips({10, 0}, s), R{QRect(590, 0, 10, 400)});
    EXPECT_EQ(UncoveredStrips({0, 8}, s), R{QRect(0, 392, 600, 8)});
    EXPECT_EQ(UncoveredStrips({-10, -8}, s), (R{QRect(0, 0, 10, 400), QRect(10, 0, 590, 8)}));
    EXPECT_EQ(UncoveredStrips({10, -8}, s), (R{QRect(590, 0, 10, 400), QRect(0, 0, 590, 8)}));
    EXPECT_EQ(UncoveredStrips({10, 8}, s), (R{QRect(590, 0, 10, 400), QRect(0, 392, 590, 8)}));
    EXPECT_EQ(UncoveredStrips({-10, 8}, s), (R{QRect(0, 0, 10, 400), QRect(10, 392, 590, 8)}));
    EXPECT_TRUE(UncoveredStrips({0, 0}, s).empty());
    // A move of more than the control uncovers the control only.
    EXPECT_EQ(UncoveredStrips({-900, 0}, s), R{QRect(0, 0, 600, 400)});
}

TEST(ViewportScrolling, LimitKeepsWindowNearTheExtent) {
    // 300 x 300 control at Scale 100: margin 100 map units.
    const TMapViewport v = MakeViewport(300, 300, 100, -90, 0);
    const TMapExtent e{0, 0, 1000, 1000};
    EXPECT_TRUE(v.ScrollAllowed({-10, 0}, e));  // XWind -100 = MinX - margin
    EXPECT_FALSE(v.ScrollAllowed({-11, 0}, e)); // XWind -101
    EXPECT_TRUE(v.ScrollAllowed({11, 0}, e));
    // Refusing one axis refuses the diagonal.
    EXPECT_FALSE(v.ScrollAllowed({-11, 5}, e));
    EXPECT_TRUE(v.ScrollAllowed({-10, 5}, e));

    const TMapViewport far = MakeViewport(300, 300, 100, 800, 800); // right edge 1100
    EXPECT_TRUE(far.ScrollAllowed({0, 0}, e));
    EXPECT_FALSE(far.ScrollAllowed({1, 0}, e)); // 1101 > MaxX + margin
    EXPECT_FALSE(far.ScrollAllowed({0, 1}, e));
    EXPECT_TRUE(far.ScrollAllowed({-1, -1}, e));
}

TEST(ViewportScrolling, StepsTowardsANearTarget) {
    const TMapViewport v = MakeViewport(600, 400); // centre (300, 200)
    using S = std::vector<TScrollStep>;
    EXPECT_EQ(*v.ScrollStepsTowards(290, 199.7f), (S{{sdLeft, 10, 0}}));
    EXPECT_EQ(*v.ScrollStepsTowards(290, 190), (S{{sdLeftUp, 10, 10}}));
    EXPECT_EQ(*v.ScrollStepsTowards(290, 212), (S{{sdLeftDown, 10, 12}}));
    EXPECT_EQ(*v.ScrollStepsTowards(320, 200.4f), (S{{sdRight, 20, 0}}));
    EXPECT_EQ(*v.ScrollStepsTowards(320, 190), (S{{sdRightUp, 20, 10}}));
    EXPECT_EQ(*v.ScrollStepsTowards(320, 230), (S{{sdRightDown, 20, 30}}));
    EXPECT_EQ(*v.ScrollStepsTowards(300.2f, 150), (S{{sdUp, 0, 50}}));
    EXPECT_EQ(*v.ScrollStepsTowards(299.8f, 250), (S{{sdDown, 0, 50}}));
    EXPECT_TRUE(v.ScrollStepsTowards(300.3f, 199.6f)->empty());
    // A screen or more away: rebuild instead.
    EXPECT_FALSE(v.ScrollStepsTowards(900, 200).has_value());
    EXPECT_FALSE(v.ScrollStepsTowards(300, -200).has_value());
}

TEST(ViewportClipping, OutcodeBits) {
    TMapViewport v;
    v.SetClipRect(0, 0, 100, 50);
    EXPECT_EQ(v.ClipCode(50, 25), 0);
    EXPECT_EQ(v.ClipCode(-1, 25), 1);
    EXPECT_EQ(v.ClipCode(50, -1), 2);
    EXPECT_EQ(v.ClipCode(101, 25), 4);
    EXPECT_EQ(v.ClipCode(50, 51), 8);
    EXPECT_EQ(v.ClipCode(-1, -1), 3);
    EXPECT_EQ(v.ClipCode(101, 51), 12);
    EXPECT_EQ(v.ClipCode(0, 50), 0); // the edges are inside
}

TEST(ViewportClipping, ObjectVisibilityByBoxCorners) {
    TMapViewport v;
    v.SetClipRect(0, 0, 100, 100);
    TOrbMapList list;
    auto add = [&](std::array<TORBMapPoint, 4> box) {
        auto o = std::make_unique<TORBMapObjectMem>();
        o->Box = box;
        list.push_back(std::move(o));
    };
    add({{{10, 10}, {20, 10}, {20, 20}, {10, 20}}});         // inside
    add({{{200, 10}, {220, 10}, {220, 20}, {200, 20}}});     // right of the view
    add({{{-50, -50}, {150, -50}, {150, 150}, {-50, 150}}}); // covers the view
    add({{{-10, 50}, {50, -10}, {110, 50}, {50, 110}}});     // a rotated text around it
    add({{{110, -30}, {130, -10}, {110, 10}, {90, -10}}});   // rotated, beyond the corner
    EXPECT_TRUE(v.IsObjectInView(list, 0));
    EXPECT_FALSE(v.IsObjectInView(list, 1));
    EXPECT_TRUE(v.IsObjectInView(list, 2));
    EXPECT_TRUE(v.IsObjectInView(list, 3));
    EXPECT_FALSE(v.IsObjectInView(list, 4));
    EXPECT_FALSE(v.IsObjectInView(list, 5));
    EXPECT_FALSE(v.IsObjectInView(list, -1));
}
