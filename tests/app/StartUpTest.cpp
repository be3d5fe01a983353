#include "app/StartUp.h"

#include "app/AppGlobals.h"

#include "TestSupport.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

using namespace tsivor::app;

namespace {

TEST(StartUp, NextWorksOnlyAfterTheMainWindowWasShown) {
    tsivor::test::FakePlatform platform;
    QTemporaryDir empty;
    TFStartUp page(empty.path(), empty.path(), 1);
    EXPECT_FALSE(Globals().MainFormShown);
    EXPECT_FALSE(Globals().StartPageClosed);
    int closed = 0;
    page.OnStartPageClosed = [&] { ++closed; };
    page.show();
    QTest::mouseClick(page.bNext, Qt::LeftButton);
    EXPECT_TRUE(page.isVisible());
    EXPECT_EQ(closed, 0);
    page.close(); // no other way out
    EXPECT_TRUE(page.isVisible());
    Globals().MainFormShown = true;
    QTest::mouseClick(page.bNext, Qt::LeftButton);
    EXPECT_FALSE(page.isVisible());
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(Globals().StartPageClosed);
}

TEST(StartUp, TilesTakeEveryCellOnceEvenWithoutFiles) {
    QTemporaryDir empty;
    for (unsigned seed = 1; seed < 20; ++seed) {
        TFStartUp page(empty.path(), empty.path(), seed);
        std::set<int> cells(page.TileCells().begin(), page.TileCells().end());
        EXPECT_EQ(cells.size(), 4u);
        std::set<std::pair<int, int>> places;
        for (QLabel* t : page.RxGifStart) places.insert({t->x(), t->y()});
        EXPECT_EQ(places,
                  (std::set<std::pair<int, int>>{{8, 96}, {280, 96}, {8, 224}, {280, 224}}));
    }
}

TEST(StartUp, TileNumbers) {
    int n = -1;
    EXPECT_TRUE(TileNumberOf("st_12.gif", n));
    EXPECT_EQ(n, 12);
    EXPECT_FALSE(TileNumberOf("st_x.gif", n));
    EXPECT_FALSE(TileNumberOf("stgif", n));
}

TEST(StartUp, LinksAndTilesOpenTheirTargets) {
    tsivor::test::FakePlatform platform;
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("chm");
    QFile f(dir.path() + "/chm/chm_3.chm");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    TFStartUp page(dir.path(), dir.path(), 1);
    page.show();
    QTest::mouseClick(page.Label2, Qt::LeftButton);
    EXPECT_EQ(platform.opened, QStringList{"http://www.tsivor.example"});
    page.LabelWWW->setText("https://city.example");
    page.LabelWWW->show();
    QTest::mouseClick(page.LabelWWW, Qt::LeftButton);
    EXPECT_EQ(platform.opened.value(1), "https://city.example");
    platform.opened.removeLast();
    page.TileNumber[0] = 3;
    page.TileNumber[1] = 4; // no such file
    page.TileClick(0);
    page.TileClick(1);
    page.TileClick(2); // number 0
    ASSERT_EQ(platform.opened.size(), 2);
    EXPECT_EQ(platform.opened[1], dir.path() + "/chm/chm_3.chm");
}

TEST(StartUp, LoadsTheSampleTiles) {
    const QString deploy = tsivor::test::DeployDir();
    const QStringList tiles = QDir(deploy + "/start").entryList({"st_*.gif"}, QDir::Files);
    if (tiles.isEmpty()) GTEST_SKIP() << "no sample deployment";
    TFStartUp page(deploy, deploy, 1);
    int loaded = 0;
    for (QLabel* t : page.RxGifStart) loaded += t->movie() != nullptr;
    EXPECT_EQ(loaded, std::min<int>(4, int(tiles.size())));
    EXPECT_NE(page.TileNumber[0], 0);
}

} // namespace
