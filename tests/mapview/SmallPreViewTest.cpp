// The overview: its thumbnail, the view frame following the map and clicks moving the map.
#include "RenderTestSupport.h"

#include "mapdata/OrbHugeBitmap.h"
#include "mapview/SmallPreView.h"

#include "TestSupport.h"

#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

using namespace rendertest;
using tsivor::mapview::TSmallPreView;

namespace {

constexpr TColor kBlue = 0xFF0000, kWhite = 0xFFFFFF, kRed = 0x0000FF;

// A map twice as wide as high (0..400 × 0..200 units), blue, on a white ground.
struct Overview : ::testing::Test {
    Overview() {
        AddRect(t.Doc(), 0, 0, 400, 200, kBlue);
        t.Doc().Extent = {0, 0, 400, 200};
        preview.resize(100, 100);
        t.map.SetSmallView(&preview);
    }
    QImage Shown() { return preview.grab().toImage(); }
    TTestMap t{200, 100};
    TSmallPreView preview;
};

} // namespace

TEST_F(Overview, AWideMapFillsTheWidthAndIsCentredVertically) {
    const QImage img = Shown(); // the first paint renders the thumbnail
    EXPECT_EQ(preview.RenderedSize(), QSize(100, 100));
    const QImage& thumb = t.map.Thumbnail();
    ASSERT_FALSE(thumb.isNull());
    EXPECT_EQ(PixelColor(thumb, 50, 10), kWhite); // above the map
    EXPECT_EQ(PixelColor(thumb, 50, 90), kWhite); // below it
    EXPECT_EQ(PixelColor(thumb, 2, 40), kBlue);
    EXPECT_EQ(PixelColor(thumb, 97, 60), kBlue);
    EXPECT_EQ(PixelColor(thumb, 50, 24), kWhite);
    EXPECT_EQ(PixelColor(thumb, 50, 26), kBlue);
}

TEST_F(Overview, TheFrameFollowsTheView) {
    Shown();
    // The view is 0..200 × 0..100 units: pixels 0..50 × 25..50 of the preview.
    QImage img = preview.Picture();
    EXPECT_NE(PixelColor(img, 25, 50), PixelColor(t.map.Thumbnail(), 25, 50)); // bottom edge
    t.map.SetXWind(200);
    img = preview.Picture();
    EXPECT_EQ(PixelColor(img, 25, 50), PixelColor(t.map.Thumbnail(), 25, 50));
    EXPECT_NE(PixelColor(img, 75, 50), PixelColor(t.map.Thumbnail(), 75, 50));
}

TEST_F(Overview, AClickNearTheCentreScrollsAndAFarOneJumps) {
    Shown();
    t.map.ClearRedrawLog();
    // The view centre (100, 50) is preview pixel (25, 37.5); 10 pixels right is 40 units.
    QTest::mouseClick(&preview, Qt::LeftButton, {}, QPoint(35, 38));
    EXPECT_NEAR(t.map.GetViewCenter().x(), 140, 1e-3);
    EXPECT_EQ(t.map.RedrawLog().FullFrames, 0);
    EXPECT_GT(t.map.RedrawLog().RectPasses, 0);
    QTest::mouseClick(&preview, Qt::LeftButton, {}, QPoint(90, 38));
    EXPECT_NEAR(t.map.GetViewCenter().x(), 360, 1e-3);
    EXPECT_EQ(t.map.RedrawLog().FullFrames, 1);
    // The right button does nothing.
    QTest::mouseClick(&preview, Qt::RightButton, {}, QPoint(10, 38));
    EXPECT_NEAR(t.map.GetViewCenter().x(), 360, 1e-3);
}

TEST_F(Overview, DraggingMovesTheView) {
    Shown();
    preview.show();
    QTest::mousePress(&preview, Qt::LeftButton, {}, QPoint(25, 38));
    QTest::mouseMove(&preview, QPoint(50, 50));
    QTest::mouseRelease(&preview, Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_NEAR(t.map.GetViewCenter().x(), 200, 1e-3);
    EXPECT_NEAR(t.map.GetViewCenter().y(), 100, 1e-3);
}

TEST_F(Overview, ObjectViewRendersAgainOnlyForValidChanges) {
    Shown();
    AddRect(t.Doc(), 0, 0, 100, 200, kWhite);
    preview.SetObjectView(-1);
    EXPECT_EQ(preview.ObjectView(), 0);
    EXPECT_EQ(PixelColor(t.map.Thumbnail(), 10, 50), kBlue); // not rendered again
    preview.SetObjectView(3);
    EXPECT_EQ(preview.ObjectView(), 3);
    EXPECT_EQ(PixelColor(t.map.Thumbnail(), 10, 50), kWhite);
}

TEST_F(Overview, TheHostMayHideObjectsAndNotesNeverShow) {
    preview.OnFilteredObject = [](const TORBMapObjectMem&, bool& visible) { visible = false; };
    preview.resize(100, 101); // a new size renders again at the next paint
    Shown();
    EXPECT_EQ(PixelColor(t.map.Thumbnail(), 50, 50), kWhite);
}

TEST_F(Overview, APreviewOfAnotherMapIsRefused) {
    tsivor::test::FakePlatform platform;
    preview.setObjectName(QStringLiteral("SmallPreView1"));
    TTestMap other;
    other.map.SetSmallView(&preview);
    EXPECT_EQ(other.map.SmallView(), nullptr);
    EXPECT_EQ(t.map.SmallView(), &preview);
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(
        platform.messages[0],
        QStringLiteral("Ошибка! С компонентом SmallPreView1 уже связан другой компонент DataMap"));
}

TEST_F(Overview, APreviewGoingAwayUnlinksItself) {
    auto* second = new TSmallPreView;
    t.map.SetSmallView(nullptr);
    t.map.SetSmallView(second);
    delete second;
    EXPECT_EQ(t.map.SmallView(), nullptr);
    t.map.SetXWind(10); // no overview to update
}

TEST_F(Overview, TheRasterLayerLiesUnderOrOverTheObjectsAsInAFrame) {
    QImage red(4, 4, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    tsivor::mapdata::TOrbHugeBitmap layer;
    // One tile on the left quarter of the map, one above the map (the white band).
    ASSERT_TRUE(layer.AddTile(QStringLiteral("plan"), red, 0, 0, 100, 200));
    ASSERT_TRUE(layer.AddTile(QStringLiteral("above"), red, 0, -100, 100, 0));
    layer.SetEnabled(true);
    t.map.SetScanMap(&layer);
    t.map.RenderSmallView();
    const QImage& thumb = t.map.Thumbnail();
    EXPECT_EQ(PixelColor(thumb, 10, 50), kBlue); // under the map's object
    EXPECT_EQ(PixelColor(thumb, 10, 10), kRed);  // on the open ground above it
    EXPECT_EQ(PixelColor(thumb, 60, 10), kWhite);
    layer.SetLayerType(tsivor::mapdata::orbFront);
    t.map.RenderSmallView();
    EXPECT_EQ(PixelColor(t.map.Thumbnail(), 10, 50), kRed); // over it
    EXPECT_EQ(PixelColor(t.map.Thumbnail(), 60, 50), kBlue);
    t.map.SetScanMap(nullptr);
}
