// The map viewer window: the whole map after loading, zoom limits, the fixed point of the
// wheel zoom and dragging.
#include "app/MapWindow.h"
#include "app/AppGlobals.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace tsivor;

namespace {

const QString kCity = QStringLiteral(TSIVOR_DEPLOY_DIR "/info1.db");

struct MapWindowTest : ::testing::Test {
    void SetUp() override {
        if (!QFileInfo::exists(kCity)) GTEST_SKIP() << "sample deployment not built";
        saved = app::Globals();
        window.resize(800, 600);
        window.Map().resize(800, 600);
        QString error;
        ASSERT_TRUE(window.LoadMap(kCity, &error)) << error.toStdString();
    }
    void TearDown() override { app::Globals() = saved; }
    app::TAppGlobals saved;
    app::TMapWindow window;
};

} // namespace

TEST_F(MapWindowTest, ShowsTheWholeMapWithTheApplicationsLook) {
    mapview::TDataMap& m = window.Map();
    const auto& e = m.MapExtent();
    EXPECT_LE(m.XWind(), e.MinX + 0.01f);
    EXPECT_LE(m.YWind(), e.MinY + 0.01f);
    EXPECT_GE(m.XWind() + m.ViewWidth(), e.MaxX - 0.01f);
    EXPECT_GE(m.YWind() + m.ViewHeight(), e.MaxY - 0.01f);
    EXPECT_DOUBLE_EQ(app::Globals().MinScale, m.Scale());
    EXPECT_EQ(m.BackgroundColor(), mapdata::TColor(0xAED3ED));
    EXPECT_TRUE(m.Options().mpNumberDom());
    EXPECT_EQ(m.Options().ObjectView(), 2);
}

TEST_F(MapWindowTest, WheelZoomKeepsThePointUnderThePointer) {
    mapview::TDataMap& m = window.Map();
    const QPoint pixel(200, 150);
    float x0 = 200, y0 = 150;
    m.ScreenToMap(x0, y0);
    const double before = m.Scale();
    window.WheelAt(pixel, 120);
    EXPECT_NEAR(m.Scale(), before + std::trunc(before * 0.6), 1e-9);
    float x1 = 200, y1 = 150;
    m.ScreenToMap(x1, y1);
    EXPECT_NEAR(x1, x0, 0.01);
    EXPECT_NEAR(y1, y0, 0.01);
}

TEST_F(MapWindowTest, ZoomStopsAtTheLimits) {
    mapview::TDataMap& m = window.Map();
    for (int i = 0; i < 20; ++i) window.ZoomIn();
    EXPECT_DOUBLE_EQ(m.Scale(), app::Globals().MaxScale);
    for (int i = 0; i < 20; ++i) window.WheelAt(QPoint(10, 10), -120);
    EXPECT_DOUBLE_EQ(m.Scale(), app::Globals().MinScale);
}

TEST_F(MapWindowTest, DraggingMovesTheImageWithThePointer) {
    mapview::TDataMap& m = window.Map();
    window.ZoomIn();
    window.ZoomIn();
    const float x = m.XWind(), y = m.YWind();
    window.DragBy(QPoint(30, -20));
    EXPECT_NEAR(m.XWind(), x - 30 * 100 / m.Scale(), 1e-3);
    EXPECT_NEAR(m.YWind(), y + 20 * 100 / m.Scale(), 1e-3);
}
