// How the main window looks on the sample city: texts that must fit, the start view of the map.
#include "app/AppGlobals.h"
#include "app/MainForm.h"
#include "app/MapZoom.h"
#include "app/MegaSearchPanel.h"
#include "app/RubricPanel.h"

#include "TestSupport.h"
#include "directory/DataModule.h"
#include "mapview/DataMap.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>

using namespace tsivor::app;
namespace mapview = tsivor::mapview;

namespace {

class MainWindowLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString deploy = tsivor::test::DeployDir();
        if (!QFileInfo::exists(deploy + "/info.db") || !QFileInfo::exists(deploy + "/info1.db"))
            GTEST_SKIP() << "no sample deployment";
        Globals().StartPageClosed = false;
        TMainFormSettings s;
        s.ExeDir = deploy;
        s.nedv = 1; // all three tabs a user sees
        s.Pan = 1;
        form = std::make_unique<TFMainForm>(s, dm);
        QString error;
        ASSERT_TRUE(form->FormCreate(&error)) << error.toStdString();
        form->setWindowState(Qt::WindowNoState);
        form->resize(1000, 700);
        form->show();
        for (int i = 0; i < 50 && !form->Ready(); ++i) QCoreApplication::processEvents();
        ASSERT_TRUE(form->Ready());
    }
    void TearDown() override { Globals().StartPageClosed = false; }

    void Settle() {
        for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
    }
    // Share of the map control the whole map takes across and down.
    QSizeF MapShare() const {
        const mapview::TDataMap& m = *form->DataMap1;
        const auto& e = m.MapExtent();
        float x1 = e.MinX, y1 = e.MinY, x2 = e.MaxX, y2 = e.MaxY;
        m.MapToScreen(x1, y1);
        m.MapToScreen(x2, y2);
        return {std::abs(x2 - x1) / m.width(), std::abs(y2 - y1) / m.height()};
    }
    QRectF MapOnScreen() const {
        const mapview::TDataMap& m = *form->DataMap1;
        const auto& e = m.MapExtent();
        float x1 = e.MinX, y1 = e.MinY, x2 = e.MaxX, y2 = e.MaxY;
        m.MapToScreen(x1, y1);
        m.MapToScreen(x2, y2);
        return QRectF(QPointF(std::min(x1, x2), std::min(y1, y2)),
                      QPointF(std::max(x1, x2), std::max(y1, y2)));
    }

    tsivor::test::FakePlatform platform;
    tsivor::directory::Tdm dm;
    std::unique_ptr<TFMainForm> form;
};

TEST_F(MainWindowLayoutTest, VisibleTabsFitTheColumnWithoutScrollArrows) {
    const QTabBar* bar = form->PageControl1->tabBar();
    int width = 0;
    for (int i = 0; i < bar->count(); ++i)
        if (bar->isTabVisible(i)) width += bar->tabRect(i).width();
    EXPECT_LE(width, form->PageControl1->width());
}

TEST_F(MainWindowLayoutTest, TwoLineResultTitleIsReadable) {
    form->sbLabel->setPlainText("Рубрика: Автосервис, СТО, автомагазины (12шт.)");
    Settle();
    const QTextLayout* layout = form->sbLabel->document()->firstBlock().layout();
    ASSERT_GE(layout->lineCount(), 2); // the title does wrap at this width
    QTextCursor end(form->sbLabel->document());
    end.movePosition(QTextCursor::End);
    EXPECT_LE(form->sbLabel->cursorRect(end).bottom(), form->sbLabel->viewport()->height());
}

TEST_F(MainWindowLayoutTest, WholeMapFollowsTheWindowUntilTheUserMovesIt) {
    // The window manager maximises the window after it was first shown.
    form->resize(1500, 950);
    Settle();
    const QSizeF share = MapShare();
    EXPECT_GT(std::max(share.width(), share.height()), 0.9);
    const QRectF r = MapOnScreen();
    EXPECT_GE(r.left(), -1);
    EXPECT_GE(r.top(), -1);
    EXPECT_LE(r.right(), form->DataMap1->width() + 1);
    EXPECT_LE(r.bottom(), form->DataMap1->height() + 1);
    EXPECT_DOUBLE_EQ(Globals().MinScale, form->DataMap1->Scale());

    // Leaving the start page changes nothing of that: the user has not looked anywhere yet.
    Globals().StartPageClosed = true;
    form->resize(1100, 800);
    Settle();
    EXPECT_GT(std::max(MapShare().width(), MapShare().height()), 0.9);
    EXPECT_DOUBLE_EQ(Globals().MinScale, form->DataMap1->Scale());

    // A view the user zoomed to stays whatever happens to the window.
    form->sbZoomInClick();
    const double chosen = form->DataMap1->Scale();
    form->resize(1500, 950);
    Settle();
    EXPECT_DOUBLE_EQ(form->DataMap1->Scale(), chosen);
}

TEST_F(MainWindowLayoutTest, WholeMapFitsAWindowSmallerThanAtLoading) {
    form->resize(form->minimumSize());
    Settle();
    EXPECT_TRUE(QRectF(form->DataMap1->rect()).adjusted(-1, -1, 1, 1).contains(MapOnScreen()));

    // The button does the same later, whatever limit the larger window left.
    Globals().StartPageClosed = true;
    form->resize(1500, 950);
    form->sbZoomAllClick();
    form->resize(form->minimumSize());
    Settle();
    form->sbZoomAllClick();
    EXPECT_TRUE(QRectF(form->DataMap1->rect()).adjusted(-1, -1, 1, 1).contains(MapOnScreen()));
    EXPECT_DOUBLE_EQ(Globals().MinScale, form->DataMap1->Scale());
}

TEST_F(MainWindowLayoutTest, AViewTheUserChoseIsKeptWhenTheWindowGrows) {
    form->sbZoomInClick();
    const double chosen = form->DataMap1->Scale();
    form->resize(1500, 950);
    Settle();
    EXPECT_DOUBLE_EQ(form->DataMap1->Scale(), chosen);
}

} // namespace

namespace {

TEST_F(MainWindowLayoutTest, ChosenTabsTakeTheFocusAndTheListingsKeepTheWholeColumn) {
    Globals().StartPageClosed = true;
    QTabBar* bar = form->PageControl1->tabBar();
    // The window opens on the search tab: the user goes to the rubrics and back.
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    Settle();
    EXPECT_EQ(QApplication::focusWidget(), form->RubricPanel->eFind1());
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
    ASSERT_EQ(form->PageControl1->currentIndex(), 2);
    Settle();
    EXPECT_EQ(QApplication::focusWidget(),
              form->MegaSearch->Edit(tsivor::directory::TCriterion::Keyword));
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    Settle();
    EXPECT_EQ(QApplication::focusWidget(), form->RubricPanel->eFind1());
    const int rubricHeight = form->PageControl1->height();
    form->resize(1000, 800);
    Settle();
    EXPECT_EQ(form->PageControl1->height(), rubricHeight); // the cards get the new room

    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(3).center());
    ASSERT_EQ(form->PageControl1->currentIndex(), 3);
    Settle();
    const int column = form->Panel1->height() - form->Panel16->height();
    EXPECT_GE(form->PageControl1->height(), column - form->Splitter1->handleWidth());
    EXPECT_TRUE(form->Panel12->isHidden());
    form->resize(1000, 900);
    Settle();
    EXPECT_GE(form->PageControl1->height(),
              form->Panel1->height() - form->Panel16->height() - form->Splitter1->handleWidth());
    form->resize(1000, 650);
    Settle();
    EXPECT_GE(form->PageControl1->height(),
              form->Panel1->height() - form->Panel16->height() - form->Splitter1->handleWidth());
}

TEST_F(MainWindowLayoutTest, TheRubricAndSearchTabsLeaveTheRestOfTheColumnToTheCards) {
    // The listings tab holds many more controls; the other tabs still keep their own height.
    QTabBar* bar = form->PageControl1->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    Settle();
    EXPECT_EQ(form->PageControl1->height(), 182);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
    Settle();
    EXPECT_EQ(form->PageControl1->height(), 199);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(3).center());
    Settle();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    Settle();
    EXPECT_EQ(form->PageControl1->height(), 182);
}

TEST_F(MainWindowLayoutTest, TheScaleTextFollowsEveryScaleChange) {
    const mapview::TDataMap& m = *form->DataMap1;
    const auto expected = [&] { return ScreenScaleText(m.Scale(), m.Mashtab(), m.logicalDpiX()); };
    ASSERT_FALSE(expected().isEmpty());
    EXPECT_EQ(form->LScale->text(), expected());
    const QString whole = form->LScale->text();
    QTest::mouseClick(form->sbZoomIn, Qt::LeftButton);
    EXPECT_EQ(form->LScale->text(), expected());
    EXPECT_NE(form->LScale->text(), whole);
    QTest::mouseClick(form->sbZoomAll, Qt::LeftButton);
    EXPECT_EQ(form->LScale->text(), whole);
}

TEST(ScreenScale, GroundMetresForAScreenMetreRounded) {
    EXPECT_EQ(ScreenScaleText(100, 1000, 96), "1:3 800"); // 3 779.5
    EXPECT_EQ(ScreenScaleText(400, 4520, 96), "1:4 300");
    EXPECT_EQ(ScreenScaleText(2000, 1000, 96), "1:190");
    EXPECT_EQ(ScreenScaleText(1, 100000, 96), "1:37 795 300");
    EXPECT_EQ(ScreenScaleText(100, 0, 96), "");
    EXPECT_EQ(ScreenScaleText(0, 1000, 96), "");
}

} // namespace
