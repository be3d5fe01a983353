#include "mapview/MapCursors.h"

#include <gtest/gtest.h>

namespace tsivor::mapview {
namespace {

TEST(BuiltInIcons, DefaultHoldsSixtyTwoNumberedPictures) {
    mapdata::TOrbIcon icons;
    LoadBuiltInIcons(icons);
    ASSERT_EQ(icons.LibraryCount(), 1);
    EXPECT_EQ(icons.LibraryName(0), "Default");
    ASSERT_EQ(icons.PictureCount("DEFAULT"), 62);
    const mapdata::TOrbIconList* lib = icons.Library(0);
    for (int i = 0; i < 62; ++i) {
        EXPECT_EQ(icons.PictureName("Default", i), QString::number(i));
        const auto* head = &lib->Picture(i)->Head;
        EXPECT_EQ(head->Transparent, 1);
        EXPECT_EQ(head->TransparentColor, 0x00FFFF00u);
        QImage raw;
        ASSERT_TRUE(raw.loadFromData(lib->Picture(i)->Data, "BMP"));
        EXPECT_EQ(raw.size(), QSize(32, 32));
        EXPECT_EQ(raw.depth(), 8);
        const QImage* ready = icons.GetIcon("default", QString::number(i));
        ASSERT_NE(ready, nullptr);
        EXPECT_EQ(qAlpha(ready->pixel(0, 0)), 0) << "picture " << i << " has no clear corner";
    }
}

TEST(MapCursorsTest, EveryNumberHasAPictureWithItsHotSpotInside) {
    for (int n = MapCursors::kFirst; n <= MapCursors::kLast; ++n) {
        QPoint hot(-1, -1);
        const QImage img = MapCursors::Image(n, &hot);
        ASSERT_FALSE(img.isNull()) << n;
        EXPECT_EQ(img.size(), QSize(32, 32));
        EXPECT_TRUE(img.rect().contains(hot)) << n;
        EXPECT_EQ(MapCursors::Cursor(n).shape(), Qt::BitmapCursor);
    }
    EXPECT_TRUE(MapCursors::Image(999).isNull());
    EXPECT_EQ(MapCursors::Cursor(1021).shape(), Qt::ArrowCursor);
    EXPECT_FALSE(MapCursors::ScrollMarker().isNull());
}

} // namespace
} // namespace tsivor::mapview
