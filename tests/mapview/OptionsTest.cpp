#include "mapview/MapOptions.h"

#include <gtest/gtest.h>

using namespace tsivor::mapview;

TEST(MapOptions, InitialValues) {
    const tOrbMapOptions o;
    EXPECT_TRUE(o.NotifyChange);
    EXPECT_TRUE(o.mpEdit());
    EXPECT_TRUE(o.mpGuideLines());
    EXPECT_EQ(o.mpNumberDomSizeFont(), 8);
    EXPECT_TRUE(o.mpNumberDomFill());
    EXPECT_FLOAT_EQ(o.mpLineWidthMin(), 0.0001f);
    EXPECT_FLOAT_EQ(o.MinScale3D(), 299);
    EXPECT_DOUBLE_EQ(o.MinScaleAddress(), 299);
    EXPECT_EQ(o.FontSystem(), QStringLiteral("Arial Cyr"));
    EXPECT_EQ(o.FontSystem1(), QStringLiteral("Times New Roman Cyr"));
    EXPECT_EQ(o.ObjectView(), 3);
    EXPECT_EQ(o.DelayScroll(), 50);
    EXPECT_EQ(o.AlphaBlending(), 255);
    EXPECT_EQ(o.AntiAliasing(), orbSmoothingModeDefault);
    EXPECT_FALSE(o.LockScrollOutMap());
    EXPECT_EQ(o.CancelAction(), orbRightButton);
    EXPECT_EQ(o.ZoneFindLine(), 3);
    EXPECT_TRUE(o.ShowRegion());
}

TEST(MapOptions, ClampingSetters) {
    tOrbMapOptions o;
    o.SetmpNumberDomSizeFont(4);
    EXPECT_EQ(o.mpNumberDomSizeFont(), 6);

    const std::pair<int, int> angles[] = {{370, 10}, {-30, -30}, {-390, -30}, {359, 359}, {360, 0}};
    for (auto [in, stored] : angles) {
        o.SetView3DAngle(in);
        EXPECT_EQ(o.View3DAngle(), stored) << in;
    }

    const std::pair<double, double> steps[] = {{99.5, 99.5}, {100, 50}, {0, 0}, {-1, 50}};
    for (auto [in, stored] : steps) {
        o.SetStepLinza(in);
        EXPECT_DOUBLE_EQ(o.StepLinza(), stored) << in;
    }

    o.SetZoneFindLine(7);
    o.SetZoneFindLine(-2);
    EXPECT_EQ(o.ZoneFindLine(), 7);
}

TEST(MapOptions, OnlyRedrawingSettersNotifyAndOnlyWhileNotifyChange) {
    int changes = 0, sizeSeen = 0;
    tOrbMapOptions* self = nullptr;
    tOrbMapOptions o([&] {
        ++changes;
        sizeSeen = self->mpNumberDomSizeFont();
    });
    self = &o;
    o.SetmpNumberDomSizeFont(2);
    EXPECT_EQ(sizeSeen, 6) << "the clamped value is stored before the map hears of it";
    o.SetView3DAngle(45);
    o.SetFontSystem(QStringLiteral("Arial"));
    EXPECT_EQ(changes, 3);

    o.SetLockScrollOutMap(true);
    o.SetStepLinza(30);
    o.SetmpLocked(true);
    o.SetDelayScroll(20);
    EXPECT_EQ(changes, 3);

    o.NotifyChange = false;
    o.SetmpNumberDom(true);
    o.SetView3D(true);
    EXPECT_EQ(changes, 3);
    EXPECT_TRUE(o.mpNumberDom());
    o.NotifyChange = true;
    o.SetView3D(false);
    EXPECT_EQ(changes, 4);
}
