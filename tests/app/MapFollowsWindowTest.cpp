// The whole-map view of a fresh start follows the window's size, also after the start page.
#include "app/AppGlobals.h"
#include "app/MainForm.h"
#include "app/ProgramStart.h"
#include "app/RubricPanel.h"
#include "app/StartUp.h"
#include "mapview/DataMap.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace tsivor;
using namespace tsivor::app;

namespace {

// The box of everything on the picture that is not the map's background.
QRect DrawnBox(const QImage& picture) {
    const QRgb background = qRgb(237, 211, 174);
    int left = picture.width(), top = picture.height(), right = -1, bottom = -1;
    for (int y = 0; y < picture.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            if ((line[x] & 0xffffff) == (background & 0xffffff)) continue;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// The whole map fills the map control along one side at least.
bool FillsTheMap(const mapview::TDataMap& map) {
    const QImage& picture = map.Picture();
    if (picture.size() != map.size()) return false;
    const QRect box = DrawnBox(picture);
    return box.width() >= map.width() * 9 / 10 || box.height() >= map.height() * 9 / 10;
}

class MapFollowsWindow : public testing::Test {
protected:
    void SetUp() override { Globals() = TAppGlobals{}; }
    void TearDown() override { Globals() = TAppGlobals{}; }
    test::FakePlatform fake;
};

TEST_F(MapFollowsWindow, AResizeAfterTheStartPageShowsTheWholeMapAtTheNewSize) {
    const QString deploy = test::DeployDir();
    if (!QFile::exists(deploy + QStringLiteral("/info1.db")) ||
        !QFile::exists(deploy + QStringLiteral("/tsivor.ini")))
        GTEST_SKIP() << "no sample deployment";
    TProgramStart start(deploy, deploy, 7);
    start.Run();
    QPointer<TFMainForm> window = start.MainWindow();
    ASSERT_TRUE(window);
    for (int i = 0; i < 100 && window && !window->Ready(); ++i) QCoreApplication::processEvents();
    ASSERT_TRUE(window && window->Ready());
    mapview::TDataMap& map = *window->DataMap1;
    EXPECT_TRUE(FillsTheMap(map));

    // The user leaves the start page with its button.
    TFStartUp* page = start.StartPage();
    ASSERT_NE(page, nullptr);
    QTest::mouseClick(page->bNext, Qt::LeftButton);
    ASSERT_TRUE(Globals().StartPageClosed);

    // ...and makes the window much larger.
    const QSize before = map.size();
    window->resize(window->width() + 700, window->height() + 500);
    for (int i = 0; i < 100 && window && !(map.size() != before && FillsTheMap(map)); ++i)
        QCoreApplication::processEvents();
    ASSERT_TRUE(window);
    ASSERT_GT(map.width(), before.width() + 500);
    EXPECT_EQ(map.Picture().size(), map.size());
    EXPECT_TRUE(FillsTheMap(map)) << "drawn " << DrawnBox(map.Picture()).width() << "x"
                                  << DrawnBox(map.Picture()).height() << " of " << map.width()
                                  << "x" << map.height();

    // A rubric chosen then is drawn on the whole picture of the new size.
    QTabBar* tabs = window->PageControl1->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    QListWidget* list = window->RubricPanel->dbBOXFind1();
    QListWidgetItem* item = list->findItems(QStringLiteral("Аптеки"), Qt::MatchExactly).value(0);
    ASSERT_NE(item, nullptr);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    for (int i = 0; i < 20 && window; ++i) QCoreApplication::processEvents();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->ResultTitle().startsWith(QStringLiteral("Рубрика: Аптеки")));
    EXPECT_EQ(map.Picture().size(), map.size());
    EXPECT_TRUE(FillsTheMap(map));
}

} // namespace
