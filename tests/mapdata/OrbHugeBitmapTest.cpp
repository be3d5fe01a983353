// The raster layer on its own: tiles, composing a view with its cache, the switch and the
// clients, image files that cannot be read.
#include "mapdata/OrbHugeBitmap.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tsivor::mapdata;

namespace {

// Column x of the picture has red x, row y green y.
QImage Ramp(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(x, y, 200));
    return img;
}

struct TCountingClient : TOrbHugeBitmapClient {
    void RasterLayerChanged() override { ++changed; }
    void RasterLayerDetached() override { ++detached; }
    int changed = 0, detached = 0;
};

} // namespace

TEST(RasterLayer, ComposesTheTilesOfTheViewAtItsScale) {
    TOrbHugeBitmap layer;
    EXPECT_FALSE(layer.Enabled());
    EXPECT_EQ(layer.LayerType(), orbBack);
    EXPECT_EQ(layer.AlphaBlending(), 255);
    ASSERT_TRUE(layer.AddTile(QStringLiteral("ramp"), Ramp(50, 25), 70, 55, 20, 30));
    const TOrbHugeTile& t = layer.Tiles().front();
    EXPECT_EQ(t.X1, 20);
    EXPECT_EQ(t.Y2, 55);
    EXPECT_FLOAT_EQ(t.SX, 1.0f);
    EXPECT_FLOAT_EQ(t.SY, 1.0f);
    EXPECT_EQ(layer.Compose(QSize(100, 80), 0, 0, 100, 80, 1), nullptr); // still disabled
    layer.SetEnabled(true);

    const QImage* one = layer.Compose(QSize(100, 80), 0, 0, 100, 80, 1);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->pixel(20, 30), qRgb(0, 0, 200));
    EXPECT_EQ(one->pixel(69, 54), qRgb(49, 24, 200));
    EXPECT_EQ(qAlpha(one->pixel(19, 30)), 0); // transparent beside the tile
    EXPECT_EQ(qAlpha(one->pixel(70, 54)), 0);

    // Twice the scale, the view's corner at (30, 35): the tile from pixel (-20, -10).
    const QImage twice = layer.Compose(QSize(100, 80), 30, 35, 80, 75, 2)->copy();
    EXPECT_EQ(twice.pixel(0, 0), qRgb(10, 5, 200));
    EXPECT_EQ(twice.pixel(1, 1), qRgb(10, 5, 200));
    EXPECT_EQ(twice.pixel(2, 3), qRgb(11, 6, 200));
    EXPECT_EQ(twice.pixel(79, 39), qRgb(49, 24, 200));
    EXPECT_EQ(qAlpha(twice.pixel(80, 39)), 0);
    EXPECT_EQ(qAlpha(twice.pixel(79, 40)), 0);
}

TEST(RasterLayer, AViewInsideATileStartsAtTheRightColumn) {
    TOrbHugeBitmap layer;
    layer.SetEnabled(true);
    ASSERT_TRUE(layer.AddTile(QStringLiteral("ramp"), Ramp(100, 100), 0, 0, 100, 100));
    // The left side is moved 5 units out but not beyond the tile; half units at ppu 2.
    for (float left : {1.0f, 2.5f, 37.5f}) {
        const QImage* c = layer.Compose(QSize(40, 40), left, 10, left + 20, 30, 2);
        ASSERT_TRUE(c);
        EXPECT_EQ(qRed(c->pixel(0, 0)), int(left)) << left;
        EXPECT_EQ(qRed(c->pixel(3, 0)), int(left + 1.5f)) << left;
        EXPECT_EQ(qGreen(c->pixel(0, 0)), 10);
    }
}

TEST(RasterLayer, TheSameViewGivesTheKeptPictureUntilTheViewOrTheLayerChanges) {
    TOrbHugeBitmap layer;
    ASSERT_TRUE(layer.AddTile(QStringLiteral("ramp"), Ramp(50, 25), 20, 30, 70, 55));
    layer.SetEnabled(true);
    const qint64 first = layer.Compose(QSize(100, 80), 0, 0, 100, 80, 1)->cacheKey();
    EXPECT_EQ(layer.Compose(QSize(100, 80), 0, 0, 100, 80, 1)->cacheKey(), first);
    const qint64 moved = layer.Compose(QSize(100, 80), 1, 0, 101, 80, 1)->cacheKey();
    EXPECT_NE(moved, first);
    EXPECT_NE(layer.Compose(QSize(100, 80), 1, 0, 101, 80, 1.5)->cacheKey(), moved);
    EXPECT_NE(layer.Compose(QSize(90, 80), 1, 0, 101, 80, 1.5)->cacheKey(), moved);
    const qint64 kept = layer.Compose(QSize(100, 80), 1, 0, 101, 80, 1)->cacheKey();
    ASSERT_TRUE(layer.AddTile(QStringLiteral("more"), Ramp(5, 5), 0, 0, 5, 5));
    EXPECT_NE(layer.Compose(QSize(100, 80), 1, 0, 101, 80, 1)->cacheKey(), kept);
    const qint64 again = layer.Compose(QSize(100, 80), 1, 0, 101, 80, 1)->cacheKey();
    layer.SetEnabled(false);
    layer.SetEnabled(true);
    EXPECT_NE(layer.Compose(QSize(100, 80), 1, 0, 101, 80, 1)->cacheKey(), again);
    layer.ClearTiles();
    EXPECT_TRUE(layer.Tiles().empty());
    EXPECT_EQ(layer.Compose(QSize(100, 80), 1, 0, 101, 80, 1), nullptr);
}

TEST(RasterLayer, ClientsAreToldOfChangesOnceAndWhenTheLayerGoes) {
    TCountingClient a, b;
    {
        TOrbHugeBitmap layer;
        layer.AddClient(&a);
        layer.AddClient(&a);
        layer.AddClient(&b);
        EXPECT_EQ(layer.Clients().size(), 2u);
        layer.SetEnabled(false); // the value it has
        EXPECT_EQ(a.changed, 0);
        layer.SetEnabled(true);
        EXPECT_EQ(a.changed, 1);
        EXPECT_EQ(b.changed, 1);
        layer.SetEnabled(true);
        EXPECT_EQ(a.changed, 1);
        layer.RemoveClient(&b);
        ASSERT_TRUE(layer.AddTile(QStringLiteral("t"), Ramp(2, 2), 0, 0, 2, 2));
        layer.SetLayerType(orbFront);
        layer.SetAlphaBlending(100); // stored only
        EXPECT_EQ(a.changed, 3);
        EXPECT_EQ(b.changed, 1);
        EXPECT_EQ(layer.AlphaBlending(), 100);
    }
    EXPECT_EQ(a.detached, 1);
    EXPECT_EQ(b.detached, 0);
}

TEST(RasterLayer, FilesThatCannotBeReadAreRefusedWithAMessage) {
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("plan.png"));
    ASSERT_TRUE(Ramp(40, 20).save(good));
    const QString damaged = dir.filePath(QStringLiteral("damaged.png"));
    {
        QFile f(damaged);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QFile source(good);
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        f.write(source.read(40)); // the header without the picture
    }
    TOrbHugeBitmap layer;
    QString error;
    EXPECT_FALSE(layer.AddTile(dir.filePath(QStringLiteral("missing.png")), 0, 0, 10, 10, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("не найден"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("missing.png")));
    error.clear();
    EXPECT_FALSE(layer.AddTile(damaged, 0, 0, 10, 10, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("Не удалось прочитать"))) << error.toStdString();
    EXPECT_FALSE(layer.AddTile(dir.path(), 0, 0, 10, 10, &error)); // a folder
    error.clear();
    EXPECT_FALSE(layer.AddTile(good, 5, 0, 5, 10, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(layer.Tiles().empty());

    ASSERT_TRUE(layer.AddTile(good, 100, 200, 180, 240, &error)) << error.toStdString();
    ASSERT_EQ(layer.Tiles().size(), 1u);
    EXPECT_EQ(layer.Tiles()[0].Name, good);
    EXPECT_FLOAT_EQ(layer.Tiles()[0].SX, 0.5f);
    EXPECT_FLOAT_EQ(layer.Tiles()[0].SY, 0.5f);
}
