#include "mapview/MapOptions.h"

#include <gtest/gtest.h>

using namespace tsivor::mapview;

namespace {

struct CountingOptions {
    int changes = 0;
    tOrbMapOptions options{[this] { ++changes; }};
};

} // namespace

TEST(MapOptions, InitialValues) {
    const tOrbMapOptions o;
    EXPECT_TRUE(o.NotifyChange);
    EXPECT_TRUE(o.mpEdit());
    EXPECT_FALSE(o.mpGrid());
    EXPECT_TRUE(o.mpGuideLines());
    EXPECT_FALSE(o.mpNumberDom());
    EXPECT_EQ(o.mpNumberDomSizeFont(), 8);
    EXPECT_TRUE(o.mpNumberDomFill());
    EXPECT_FALSE(o.mpAllMapAfterLoad());
    EXPECT_FALSE(o.mpLocked());
    EXPECT_FLOAT_EQ(o.mpLineWidthMin(), 0.0001f);
    EXPECT_FALSE(o.View3D());
    EXPECT_EQ(o.View3DAngle(), 0);
    EXPECT_FLOAT_EQ(o.MinScale3D(), 299);
    EXPECT_DOUBLE_EQ(o.MinScaleAddress(), 299);
    EXPECT_DOUBLE_EQ(o.MinScaleIcon(), 1.0);
    EXPECT_EQ(o.MeasureFontSize(), 12);
    EXPECT_EQ(o.FontSystem(), QStringLiteral("Arial Cyr"));
    EXPECT_EQ(o.FontSystem1(), QStringLiteral("Times New Roman Cyr"));
    EXPECT_EQ(o.ObjectView(), 3);
    EXPECT_EQ(o.SizeRect(), 4);
    EXPECT_DOUBLE_EQ(o.StepLinza(), 50);
    EXPECT_EQ(o.WidthRectLinza(), 3);
    EXPECT_EQ(o.StepScroll(), 50);
    EXPECT_EQ(o.DelayScroll(), 50);
    EXPECT_EQ(o.ZoneScroll(), 30);
    EXPECT_TRUE(o.BorderSelectedObject());
    EXPECT_EQ(o.UndoLevels(), 20);
    EXPECT_TRUE(o.ShowMeasure());
    EXPECT_FALSE(o.UseGDIPlus());
    EXPECT_EQ(o.AlphaBlending(), 255);
    EXPECT_EQ(o.AntiAliasing(), orbSmoothingModeDefault);
    EXPECT_FALSE(o.LockScrollOutMap());
    EXPECT_TRUE(o.SystemPopUpMenu());
    EXPECT_EQ(o.CancelAction(), orbRightButton);
    EXPECT_EQ(o.ZoneFindLine(), 3);
    EXPECT_TRUE(o.ShowRegion());
}

TEST(MapOptions, ClampingSetters) {
    tOrbMapOptions o;
    o.SetmpNumberDomSizeFont(4);
    EXPECT_EQ(o.mpNumberDomSizeFont(), 6);
    o.SetmpNumberDomSizeFont(7);
    EXPECT_EQ(o.mpNumberDomSizeFont(), 7);

    o.SetView3DAngle(370);
    EXPECT_EQ(o.View3DAngle(), 10);
    o.SetView3DAngle(-30);
    EXPECT_EQ(o.View3DAngle(), -30);
    o.SetView3DAngle(-390);
    EXPECT_EQ(o.View3DAngle(), -30);
    o.SetView3DAngle(359);
    EXPECT_EQ(o.View3DAngle(), 359);
    o.SetView3DAngle(360);
    EXPECT_EQ(o.View3DAngle(), 0);

    o.SetStepLinza(99.5);
    EXPECT_DOUBLE_EQ(o.StepLinza(), 99.5);
    o.SetStepLinza(100);
    EXPECT_DOUBLE_EQ(o.StepLinza(), 50);
    o.SetStepLinza(0);
    EXPECT_DOUBLE_EQ(o.StepLinza(), 0);
    o.SetStepLinza(-1);
    EXPECT_DOUBLE_EQ(o.StepLinza(), 50);

    o.SetZoneFindLine(7);
    o.SetZoneFindLine(-2);
    EXPECT_EQ(o.ZoneFindLine(), 7);
    o.SetZoneFindLine(0);
    EXPECT_EQ(o.ZoneFindLine(), 0);
}

TEST(MapOptions, OnlyRedrawingSettersNotifyTheMap) {
    CountingOptions c;
    c.options.SetmpNumberDom(true);
    c.options.SetView3DAngle(45);
    c.options.SetFontSystem(QStringLiteral("Arial"));
    c.options.SetObjectView(2);
    EXPECT_EQ(c.changes, 4);

    c.options.SetLockScrollOutMap(true);
    c.options.SetStepLinza(30);
    c.options.SetmpLocked(true);
    c.options.SetDelayScroll(20);
    c.options.SetZoneFindLine(0);
    EXPECT_EQ(c.changes, 4);
    EXPECT_TRUE(c.options.LockScrollOutMap());
    EXPECT_EQ(c.options.DelayScroll(), 20);
}

TEST(MapOptions, NotifyChangeOffBatchesChanges) {
    CountingOptions c;
    c.options.NotifyChange = false;
    c.options.SetmpNumberDom(true);
    c.options.SetmpNumberDomSizeFont(10);
    c.options.SetView3D(true);
    EXPECT_EQ(c.changes, 0);
    EXPECT_TRUE(c.options.mpNumberDom());
    EXPECT_EQ(c.options.mpNumberDomSizeFont(), 10);
    c.options.NotifyChange = true;
    EXPECT_EQ(c.changes, 0); // the host redraws once by itself
    c.options.SetView3D(false);
    EXPECT_EQ(c.changes, 1);
}

TEST(MapOptions, ClampedValueIsStoredBeforeTheMapIsNotified) {
    int seen = 0;
    tOrbMapOptions* self = nullptr;
    tOrbMapOptions o([&] { seen = self->mpNumberDomSizeFont(); });
    self = &o;
    o.SetmpNumberDomSizeFont(2);
    EXPECT_EQ(seen, 6);
}
