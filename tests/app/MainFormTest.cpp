#include "app/MainForm.h"
#include "app/AppGlobals.h"
#include "app/Navigator.h"
#include "app/RubricPanel.h"

#include "TestSupport.h"
#include "directory/DataModule.h"
#include "directory/DirectorySchema.h"

#include "mapview/DataMap.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>

using namespace tsivor::app;
using tsivor::directory::TDatabase;
namespace mapview = tsivor::mapview;

namespace {

// A small directory: three rubrics, five organisations.
void WriteDirectory(const QString& dir) {
    TDatabase db;
    QString error;
    ASSERT_TRUE(db.Open(dir + "/info.db", TDatabase::Mode::Create, &error)) << error.toStdString();
    ASSERT_TRUE(CreateSchema(db, tsivor::directory::DirectoryTables(), &error))
        << error.toStdString();
    const QStringList sql = {
        "INSERT INTO Topics (id, Name) VALUES (424, 'Гостиницы'), (471, 'Аптеки'), (5, 'Пусто')",
        "INSERT INTO Main (Id, Title, Memo, www, Mail, File, Header, Color, AutoLoad, ids) VALUES "
        "(1, 'Гостиница Заря', 'Уютные номера у реки', 'www.zarya.example', 'zarya@example.org', "
        "'', '', 1, 2, '10;'),"
        "(2, 'Аптека Центр', '', '', '', '', '', 0, 1, ''),"
        "(3, 'Аптека Здоровье', '', '', '', '', '', 0, 0, ''),"
        "(4, 'Гостиница Волна', '', '', '', '', '', 0, 0, ''),"
        "(5, 'Аптека Лесная', '', '', '', '', '', 0, 0, '')",
        "INSERT INTO Jumps (Id, Id_Topic, Id_Main) VALUES (1, 424, 1), (2, 424, 4), (3, 471, 2), "
        "(4, 471, 3), (5, 471, 5)",
        "INSERT INTO Streets (id, Name) VALUES (1, 'Лесная'), (2, 'Приреченск')",
        "INSERT INTO Adr (Id, Id_Main, Id_Street, Adr_Pre, Number, Adr_Post, id_map) VALUES "
        "(1, 1, 1, '', '5', 'оф. 2', 10), (2, 2, 2, '', '', '', -1)",
        "INSERT INTO Phones (Id, Id_Adr, Kind, Phone, Comment) VALUES (1, 1, 'тел', '123456', '')",
    };
    for (const QString& s : sql) ASSERT_TRUE(db.Exec(s, &error)) << error.toStdString();
}

class MainFormFixture : public ::testing::Test {
protected:
    void Make(int nedv) {
        WriteDirectory(dir.path());
        TMainFormSettings s;
        s.ExeDir = dir.path();
        s.nedv = nedv;
        form = std::make_unique<TFMainForm>(s, dm);
        form->resize(1200, 800);
        QString error;
        ASSERT_TRUE(form->FormCreate(&error)) << error.toStdString();
    }
    int Cards() const { return form->Navigator->ItemsCount(); }
    QString CardTitle(int i) const {
        const TNavigatorItem* c = form->Navigator->Item(i);
        QString t;
        for (int k = 0; k < c->LineCount() && c->LineStyle(k) == &CaptionStyle; ++k)
            t += c->Line(k)->text();
        return t;
    }

    tsivor::test::FakePlatform platform;
    QTemporaryDir dir;
    tsivor::directory::Tdm dm;
    std::unique_ptr<TFMainForm> form;
};

TEST_F(MainFormFixture, TabsAndTheStartList) {
    Make(0);
    EXPECT_EQ(form->PageControl1->count(), 4);
    EXPECT_EQ(form->PageControl1->tabText(0), "Рубрикатор");
    EXPECT_FALSE(form->PageControl1->isTabVisible(1));
    EXPECT_FALSE(form->PageControl1->isTabVisible(3)); // nedv = 0
    EXPECT_EQ(form->PageControl1->currentIndex(), 2);
    EXPECT_FALSE(form->bAplay->isEnabled());
    EXPECT_TRUE(form->Panel15->isHidden());
    EXPECT_EQ(form->Panel1->width(), 288);
    // The start list: AutoLoad organisations, larger marks first.
    ASSERT_EQ(Cards(), 2);
    EXPECT_EQ(CardTitle(0), "Гостиница Заря");
    EXPECT_EQ(form->ResultTitle(), "Рубрика: Автозагрузка (2шт.)");
    EXPECT_EQ(form->CurrentResultKey(), "AutoLoad");
    EXPECT_EQ(form->sbNavShowAll->toolTip(), "Развернуть все карточки");
}

TEST_F(MainFormFixture, RealEstateTabShownWhenConfigured) {
    Make(1);
    EXPECT_TRUE(form->PageControl1->isTabVisible(3));
}

TEST_F(MainFormFixture, ChoosingARubricShowsItsOrganisations) {
    Make(1);
    ASSERT_TRUE(dm.QJumps.Locate("Name", "Аптеки"));
    form->ChooseRubric();
    ASSERT_EQ(Cards(), 3);
    EXPECT_EQ(form->ResultTitle(), "Рубрика: Аптеки (3шт.)");
    EXPECT_EQ(form->CurrentResultKey(), "id_topic471");
    EXPECT_EQ(CardTitle(0), "Аптека Здоровье"); // by title
    // A card's rubric link of the rubric shown says so.
    form->ShowRubricByName("аптеки");
    EXPECT_EQ(platform.messages.last().toStdString(), "Рубрика \"аптеки\" уже загружена!");
    form->ShowRubricByName("Гостиницы");
    EXPECT_EQ(Cards(), 2);
}

TEST_F(MainFormFixture, ClickingARubricInTheRubricTabShowsItsCards) {
    Make(1);
    ASSERT_NE(form->RubricPanel, nullptr);
    QListWidget* list = form->RubricPanel->dbBOXFind1();
    ASSERT_EQ(list->count(), 2); // the rubric without organisations is not listed
    form->PageControl1->setCurrentIndex(0);
    form->show();
    QListWidgetItem* item = list->findItems("Аптеки", Qt::MatchExactly).value(0);
    ASSERT_NE(item, nullptr);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    EXPECT_EQ(Cards(), 3);
    EXPECT_EQ(form->ResultTitle(), "Рубрика: Аптеки (3шт.)");
    // The filter narrows the list.
    form->RubricPanel->eFind1()->setText("гост");
    EXPECT_EQ(list->count(), 1);
}

TEST_F(MainFormFixture, ExpandedCardShowsDetailsFromTheDatabase) {
    Make(1);
    form->ShowByIds("1;");
    ASSERT_EQ(Cards(), 1);
    TNavigatorItem* c = form->Navigator->Item(0);
    EXPECT_TRUE(c->Maximized());
    QStringList texts;
    for (int i = 0; i < c->LineCount(); ++i) texts << c->Line(i)->text();
    EXPECT_TRUE(texts.contains("Гостиницы"));
    EXPECT_TRUE(texts.contains("Лесная, 5"));
    EXPECT_TRUE(texts.contains("тел. 12-34-56"));
    EXPECT_TRUE(texts.contains("www.zarya.example"));
    EXPECT_EQ(form->ResultTitle(), "Выборка по карте (1 шт.)");
    EXPECT_EQ(form->CurrentResultKey(), "По адресу1;");
    // Mail and web links go to the shell.
    form->Navigator->Hooks.OnCardMailClick("zarya@example.org");
    form->Navigator->Hooks.OnCardWebClick("www.zarya.example");
    EXPECT_EQ(platform.opened,
              (QStringList{"Mailto:zarya@example.org", "http://www.zarya.example"}));
}

TEST(WebLinks, OpenOnlyAsWebAddresses) {
    EXPECT_EQ(WebLinkTarget("https://a.example/x"), "https://a.example/x");
    EXPECT_EQ(WebLinkTarget("HTTP://a.example"), "HTTP://a.example");
    EXPECT_EQ(WebLinkTarget(" www.a.example "), "http://www.a.example");
    EXPECT_EQ(WebLinkTarget("/usr/bin/xterm"), "http:///usr/bin/xterm");
    EXPECT_EQ(WebLinkTarget("file:///etc/passwd"), "http://file:///etc/passwd");
}

TEST_F(MainFormFixture, ShowByIdsKeepsTheStartOrderOnlyAtTheFirstEntry) {
    Make(1);
    form->ShowByIds("2;1;");
    ASSERT_EQ(Cards(), 2);
    EXPECT_EQ(form->Navigator->Item(0)->FOrgId, 1); // HistoryPos 0: larger AutoLoad first
    ASSERT_GT(form->History.HistoryPos(), 0);
    form->ShowByIds("2;1;");
    EXPECT_EQ(form->Navigator->Item(0)->FOrgId, 2); // then by title
    form->ShowByIds("");
    EXPECT_EQ(Cards(), 0);
}

TEST_F(MainFormFixture, HistoryButtonsStepThroughResults) {
    Make(1);
    EXPECT_FALSE(form->sbNavigatorPrev->isEnabled());
    ASSERT_TRUE(dm.QJumps.Locate("Name", "Аптеки"));
    form->ChooseRubric();
    form->Navigator->Item(1)->SetMaximized(true);
    ASSERT_TRUE(dm.QJumps.Locate("Name", "Гостиницы"));
    form->ChooseRubric();
    EXPECT_TRUE(form->sbNavigatorPrev->isEnabled());
    EXPECT_EQ(form->sbNavigatorPrev->toolTip(), "Рубрика: Аптеки (3шт.)");
    EXPECT_FALSE(form->sbNavigatorNext->isEnabled());
    EXPECT_EQ(form->sbNavigatorNext->toolTip(), "");

    QTest::mouseClick(form->sbNavigatorPrev, Qt::LeftButton);
    EXPECT_EQ(Cards(), 3);
    EXPECT_EQ(form->ResultTitle(), "Рубрика: Аптеки (3шт.)");
    EXPECT_EQ(form->CurrentResultKey(), "id_topic471");
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(form->Navigator->Item(i)->Maximized());
    EXPECT_EQ(form->sbNavigatorNext->toolTip(), "Рубрика: Гостиницы (2шт.)");

    QTest::mouseClick(form->sbNavigatorNext, Qt::LeftButton);
    EXPECT_EQ(Cards(), 2);
    EXPECT_EQ(form->ResultTitle(), "Рубрика: Гостиницы (2шт.)");
    EXPECT_FALSE(form->sbNavigatorNext->isEnabled());
}

TEST_F(MainFormFixture, EscActionStopsNothingOutsideALoop) {
    Make(1);
    EXPECT_EQ(form->Esc->shortcut(), QKeySequence(Qt::Key_Escape));
    form->Esc->trigger();
    form->sbNavShowAllClick();
    for (int i = 0; i < Cards(); ++i) EXPECT_TRUE(form->Navigator->Item(i)->Maximized());
    form->sbNavShowAllOFFClick();
    for (int i = 0; i < Cards(); ++i) EXPECT_FALSE(form->Navigator->Item(i)->Maximized());
}

TEST_F(MainFormFixture, EscKeyStopsExpandingAllCards) {
    Make(1);
    ASSERT_TRUE(dm.QJumps.Locate("Name", "Аптеки"));
    form->ChooseRubric();
    ASSERT_EQ(Cards(), 3);
    form->show();
    auto original = form->Navigator->Hooks.FillCardDetails;
    int filled = 0;
    form->Navigator->Hooks.FillCardDetails = [&](TNavigatorItem& c, int id) {
        original(c, id);
        if (++filled == 1) // the user presses ESC while the first card opens
            QTimer::singleShot(0, form.get(), [&] { QTest::keyClick(form.get(), Qt::Key_Escape); });
    };
    QTest::mouseClick(form->sbNavShowAll, Qt::LeftButton);
    EXPECT_EQ(filled, 1);
    EXPECT_TRUE(form->Navigator->Item(0)->Maximized());
    EXPECT_FALSE(form->Navigator->Item(2)->Maximized());
    EXPECT_FALSE(form->Navigator->BulkRunning());
    EXPECT_FALSE(form->pWait->isVisible());
    EXPECT_TRUE(form->Navigator->isVisible());
}

TEST_F(MainFormFixture, QuickRubricImagesLoadTheirRubrics) {
    Make(1);
    ASSERT_NE(form->QuickImages[0], nullptr);
    EXPECT_EQ(form->QuickImages[0]->toolTip(), "Гостиницы");
    form->ShowQuickRubric(1);
    EXPECT_EQ(Cards(), 2);
    EXPECT_EQ(form->ResultTitle(), "Рубрика: Гостиницы (2шт.)");
}

TEST_F(MainFormFixture, CloseWritesTheViewKeys) {
    Make(1);
    TMainFormViewState saved;
    bool called = false;
    form->OnSaveView = [&](const TMainFormViewState& s) {
        saved = s;
        called = true;
    };
    form->sb3D->setChecked(true);
    form->close();
    EXPECT_TRUE(called);
    EXPECT_TRUE(saved.Buttons3d);
    EXPECT_EQ(saved.M1, form->DataMap1->Scale());
}

TEST(MainFormDatabase, MissingDirectoryIsReportedWithItsPath) {
    tsivor::test::FakePlatform platform;
    QTemporaryDir dir;
    tsivor::directory::Tdm dm;
    TMainFormSettings s;
    s.ExeDir = dir.path();
    TFMainForm form(s, dm);
    QString error;
    EXPECT_FALSE(form.FormCreate(&error));
    EXPECT_TRUE(error.contains(dir.path() + "/info.db")) << error.toStdString();
}

} // namespace

namespace {

TEST(MainFormSample, StartsOnTheSampleDeployment) {
    const QString deploy = tsivor::test::DeployDir();
    if (!QFileInfo::exists(deploy + "/info.db") || !QFileInfo::exists(deploy + "/info1.db"))
        GTEST_SKIP() << "no sample deployment";
    tsivor::test::FakePlatform platform;
    tsivor::directory::Tdm dm;
    TMainFormSettings s;
    s.ExeDir = deploy;
    s.Pan = 1;
    TFMainForm form(s, dm);
    QString error;
    ASSERT_TRUE(form.FormCreate(&error)) << error.toStdString();
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join('|').toStdString();
    EXPECT_GT(form.DataMap1->ObjectCount(), 100);
    EXPECT_GT(form.Navigator->ItemsCount(), 0);
    EXPECT_TRUE(form.ResultTitle().startsWith("Рубрика: Автозагрузка ("));
    EXPECT_FALSE(form.Panel15->isHidden());
    form.setWindowState(Qt::WindowNoState);
    form.resize(1400, 900);
    form.show();
    for (int i = 0; i < 50 && !form.Ready(); ++i) QCoreApplication::processEvents();
    EXPECT_TRUE(form.Ready());
    EXPECT_TRUE(tsivor::app::Globals().MainFormShown);
    // Expanding every card of the start list reads their details without complaint.
    form.sbNavShowAllClick();
    EXPECT_TRUE(form.Navigator->Item(0)->FDetailsLoaded);
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join('|').toStdString();
    const QImage shot = form.grab().toImage();
    EXPECT_EQ(shot.size(), QSize(1400, 900));
}

} // namespace

namespace {

// The view saved at exit comes back only when it is closer than the whole map.
class SavedViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        deploy = tsivor::test::DeployDir();
        if (!QFileInfo::exists(deploy + "/info.db") || !QFileInfo::exists(deploy + "/info1.db"))
            GTEST_SKIP() << "no sample deployment";
    }
    std::unique_ptr<TFMainForm> Open(double m1, double p1, double p2) {
        TMainFormSettings s;
        s.ExeDir = deploy;
        s.M1 = m1;
        s.P1 = p1;
        s.P2 = p2;
        auto form = std::make_unique<TFMainForm>(s, dm);
        QString error;
        EXPECT_TRUE(form->FormCreate(&error)) << error.toStdString();
        return form;
    }
    tsivor::test::FakePlatform platform;
    tsivor::directory::Tdm dm;
    QString deploy;
};

TEST_F(SavedViewTest, ScaleAboveTheWholeMapIsRestored) {
    auto form = Open(900, 1500, 1200);
    EXPECT_DOUBLE_EQ(form->DataMap1->Scale(), 900);
    EXPECT_FLOAT_EQ(form->DataMap1->XWind(), 1500);
    EXPECT_FLOAT_EQ(form->DataMap1->YWind(), 1200);
}

TEST_F(SavedViewTest, TheMarker333AndSmallScalesAreIgnored) {
    const double whole = Open(333, 1500, 1200)->DataMap1->Scale();
    EXPECT_NE(whole, 333);
    auto small = Open(whole / 2, 1500, 1200);
    EXPECT_DOUBLE_EQ(small->DataMap1->Scale(), whole);
}

} // namespace

namespace {

class MapZoomTest : public SavedViewTest {
protected:
    void SetUp() override {
        SavedViewTest::SetUp();
        if (IsSkipped()) return;
        form = Open(333, 333, 333);
        form->setWindowState(Qt::WindowNoState);
        form->resize(1400, 900);
        form->show();
        for (int i = 0; i < 20 && !form->Ready(); ++i) QCoreApplication::processEvents();
    }
    std::unique_ptr<TFMainForm> form;
};

TEST_F(MapZoomTest, ButtonsLandExactlyOnTheLimits) {
    auto& g = tsivor::app::Globals();
    mapview::TDataMap& m = *form->DataMap1;
    m.SetScale(g.MaxScale - 10);
    form->sbZoomInClick();
    EXPECT_DOUBLE_EQ(m.Scale(), g.MaxScale);
    m.SetScale(g.MinScale + 1);
    form->sbZoomOutClick();
    EXPECT_DOUBLE_EQ(m.Scale(), g.MinScale);
    m.SetScale(g.MinScale / 2); // below the limit: clamped by the scale change
    EXPECT_DOUBLE_EQ(m.Scale(), g.MinScale);
}

TEST_F(MapZoomTest, WheelKeepsThePointUnderTheMouse) {
    mapview::TDataMap& m = *form->DataMap1;
    const QPoint at(400, 300);
    float x0 = at.x(), y0 = at.y();
    m.ScreenToMap(x0, y0);
    const double before = m.Scale();
    QWheelEvent wheel(at, m.mapToGlobal(QPointF(at)), {}, QPoint(0, 120), Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&m, &wheel);
    EXPECT_NEAR(m.Scale(), before + std::trunc(before * 0.3 * 2), 1e-6); // one notch: +60 %
    float x1 = at.x(), y1 = at.y();
    m.ScreenToMap(x1, y1);
    EXPECT_NEAR(x1, x0, 0.5);
    EXPECT_NEAR(y1, y0, 0.5);
}

TEST_F(MapZoomTest, LogoCategoriesFollowTheScale) {
    mapview::TDataMap& m = *form->DataMap1;
    m.SetScale(200); // logo_p
    EXPECT_FALSE(form->DataMap1->IsCategoryVisible(98));
    EXPECT_TRUE(form->DataMap1->IsCategoryVisible(97)); // above logo_rub 30
    m.SetScale(201);
    EXPECT_TRUE(form->DataMap1->IsCategoryVisible(98));
    EXPECT_TRUE(form->DataMap1->IsCategoryVisible(50));
    EXPECT_FALSE(form->DataMap1->IsCategoryVisible(100));
}

} // namespace
