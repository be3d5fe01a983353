// A map with a raster layer: where the tiles land, their opacity, their place below or above
// the objects, the kept picture and the layer's switch, files that cannot be read.
#include "RenderTestSupport.h"

#include "mapdata/OrbHugeBitmap.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace rendertest;
using namespace tsivor::mapview;

namespace {

constexpr TColor kBlue = 0xFF0000, kWhite = 0xFFFFFF;

// Left half red, right half green, 10 x 10 pixels.
QImage TwoColours() {
    QImage img(10, 10, QImage::Format_RGB32);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) img.setPixel(x, y, x < 5 ? qRgb(255, 0, 0) : qRgb(0, 255, 0));
    return img;
}

constexpr TColor kTileRed = 0x0000FF, kTileGreen = 0x00FF00;

// A 200 x 150 map at Scale 100 with one tile on the map rectangle (20, 30)–(120, 80).
struct TRasterMap : TTestMap {
    TRasterMap() {
        EXPECT_TRUE(layer.AddTile(QStringLiteral("two"), TwoColours(), 20, 30, 120, 80));
        layer.SetEnabled(true);
        map.SetScanMap(&layer);
    }
    TOrbHugeBitmap layer;
};

} // namespace

TEST(RasterLayerOnMap, TheTileLandsOnItsPixelsAtTwoScalesAndAfterAPan) {
    TRasterMap t;
    const QImage& img = t.Frame();
    EXPECT_EQ(PixelColor(img, 20, 30), kTileRed);
    EXPECT_EQ(PixelColor(img, 69, 79), kTileRed);
    EXPECT_EQ(PixelColor(img, 70, 30), kTileGreen);
    EXPECT_EQ(PixelColor(img, 119, 79), kTileGreen);
    EXPECT_EQ(PixelColor(img, 19, 50), kWhite);
    EXPECT_EQ(PixelColor(img, 120, 50), kWhite);
    EXPECT_EQ(PixelColor(img, 50, 80), kWhite);

    t.map.SetScale(200);
    t.map.SetXWind(10);
    t.map.SetYWind(20);
    const QImage& twice = t.Frame(); // map (20, 30) at pixel (20, 20)
    EXPECT_EQ(PixelColor(twice, 20, 20), kTileRed);
    EXPECT_EQ(PixelColor(twice, 119, 20), kTileRed);
    EXPECT_EQ(PixelColor(twice, 120, 20), kTileGreen);
    EXPECT_EQ(PixelColor(twice, 19, 20), kWhite);
    EXPECT_EQ(PixelColor(twice, 20, 19), kWhite);

    // Scrolled 30 pixels: the strip is composed for the new view like a whole frame.
    ASSERT_TRUE(t.map.ScrollBy(sdRight, 30, 0));
    ASSERT_EQ(std::abs(t.map.XWind() - 10), 15);
    const QImage scrolled = t.map.Picture().copy();
    const int boundary = int((70 - t.map.XWind()) * 2), end = int((120 - t.map.XWind()) * 2);
    EXPECT_EQ(PixelColor(scrolled, boundary - 1, 20), kTileRed);
    EXPECT_EQ(PixelColor(scrolled, boundary, 20), kTileGreen);
    EXPECT_EQ(PixelColor(scrolled, end - 1, 20), kTileGreen);
    if (end < 200) {
        EXPECT_EQ(PixelColor(scrolled, end, 20), kWhite);
    }
    EXPECT_EQ(scrolled, t.Frame());
}

TEST(RasterLayerOnMap, BackLayersLieUnderTheObjectsFrontLayersOverThem) {
    TRasterMap t;
    AddRect(t.Doc(), 40, 40, 100, 60, kBlue, -64);
    AddRect(t.Doc(), 150, 100, 180, 130, kBlue, 64);
    EXPECT_EQ(PixelColor(t.Frame(), 50, 50), kBlue);
    t.layer.SetLayerType(orbFront);
    EXPECT_EQ(PixelColor(t.map.Picture(), 50, 50), kTileRed); // redrawn by the change
    EXPECT_EQ(PixelColor(t.map.Picture(), 160, 110), kBlue);  // the map beside the tiles
    // An export draws the layer under the objects whatever its type.
    const QImage exported = t.map.Render().RenderImage(0, 0, 200, 150, 100);
    EXPECT_EQ(PixelColor(exported, 50, 50), kBlue);
    EXPECT_EQ(PixelColor(exported, 30, 35), kTileRed);
}

TEST(RasterLayerOnMap, TheLayerIsDrawnWithItsOwnOpacity) {
    TRasterMap t;
    AddRect(t.Doc(), 40, 40, 100, 60, kBlue);
    t.layer.SetAlphaBlending(128);
    const QImage& back = t.Frame();
    const QRgb overWhite = back.pixel(30, 35);
    EXPECT_EQ(qRed(overWhite), 255);
    EXPECT_NEAR(qGreen(overWhite), 127, 1);
    EXPECT_NEAR(qBlue(overWhite), 127, 1);
    EXPECT_EQ(PixelColor(back, 50, 50), kBlue);
    t.layer.SetLayerType(orbFront);
    const QRgb overBlue = t.map.Picture().pixel(50, 50);
    EXPECT_NEAR(qRed(overBlue), 128, 1);
    EXPECT_EQ(qGreen(overBlue), 0);
    EXPECT_NEAR(qBlue(overBlue), 127, 1);
}

TEST(RasterLayerOnMap, TheKeptPictureIsUsedUntilTheViewChanges) {
    TRasterMap t;
    t.Frame();
    const qint64 composed =
        t.layer.Compose(t.map.size(), 0, 0, 200, 150, t.map.PixelsPerUnit())->cacheKey();
    t.Frame();
    EXPECT_EQ(t.layer.Compose(t.map.size(), 0, 0, 200, 150, 1)->cacheKey(), composed);
    t.map.SetXWind(5);
    t.Frame();
    EXPECT_NE(t.layer.Compose(t.map.size(), 5, 0, 205, 150, 1)->cacheKey(), composed);
    EXPECT_EQ(PixelColor(t.map.Picture(), 15, 30), kTileRed);
}

TEST(RasterLayerOnMap, DisabledEmptyOrDetachedLayersDrawNothing) {
    TTestMap plain;
    AddRect(plain.Doc(), 40, 40, 100, 60, kBlue);
    const QImage without = plain.Frame().copy();

    TRasterMap t;
    AddRect(t.Doc(), 40, 40, 100, 60, kBlue);
    t.Frame();
    t.map.ClearRedrawLog();
    t.layer.SetEnabled(true); // no change: no frame
    EXPECT_EQ(t.map.RedrawLog().FullFrames, 0);
    t.layer.SetEnabled(false);
    EXPECT_EQ(t.map.RedrawLog().FullFrames, 1);
    EXPECT_EQ(t.map.Picture(), without);
    t.layer.SetEnabled(true);
    t.layer.ClearTiles();
    EXPECT_EQ(t.map.Picture(), without);

    ASSERT_TRUE(t.layer.AddTile(QStringLiteral("two"), TwoColours(), 20, 30, 120, 80));
    EXPECT_NE(t.map.Picture(), without);
    t.map.SetScanMap(nullptr);
    EXPECT_EQ(t.map.ScanMap(), nullptr);
    EXPECT_TRUE(t.layer.Clients().empty());
    EXPECT_EQ(t.map.Picture(), without);

    // A layer destroyed while a map uses it leaves the map without one.
    auto doomed = std::make_unique<TOrbHugeBitmap>();
    ASSERT_TRUE(doomed->AddTile(QStringLiteral("two"), TwoColours(), 20, 30, 120, 80));
    doomed->SetEnabled(true);
    t.map.SetScanMap(doomed.get());
    EXPECT_NE(t.Frame(), without);
    doomed.reset();
    EXPECT_EQ(t.map.ScanMap(), nullptr);
    EXPECT_EQ(t.Frame(), without);
}

TEST(RasterLayerOnMap, PaintingTheBackgroundOneselfLeavesTheBackLayerOut) {
    TRasterMap t;
    int calls = 0;
    t.map.Render().OnPaintBackground = [&](QPainter&, float, float, float, float) { ++calls; };
    EXPECT_EQ(PixelColor(t.Frame(), 30, 35), kWhite);
    EXPECT_EQ(calls, 1);
    t.layer.SetLayerType(orbFront);
    EXPECT_EQ(PixelColor(t.map.Picture(), 30, 35), kTileRed);
}

TEST(RasterLayerOnMap, AMissingFileLeavesTheRestOfTheMapDrawn) {
    TRasterMap t;
    AddRect(t.Doc(), 150, 100, 180, 130, kBlue);
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(
        t.layer.AddTile(dir.filePath(QStringLiteral("aerial.jpg")), 0, 0, 200, 150, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("aerial.jpg")));
    const QImage& img = t.Frame();
    EXPECT_EQ(PixelColor(img, 30, 35), kTileRed);
    EXPECT_EQ(PixelColor(img, 160, 110), kBlue);
    EXPECT_EQ(PixelColor(img, 5, 5), kWhite);
}
