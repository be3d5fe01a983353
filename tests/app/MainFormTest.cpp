#include "app/MainForm.h"
#include "app/AppGlobals.h"
#include "app/BannerRotator.h"
#include "app/MapBlink.h"
#include "app/MapStatus.h"
#include "app/Navigator.h"
#include "app/RubricPanel.h"
#include "mapview/SmallPreView.h"

#include "TestSupport.h"
#include "directory/DataModule.h"
#include "directory/DirectorySchema.h"

#include "mapview/DataMap.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
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

TEST_F(MainFormFixture, EnterInTheRubricFilterTakesTheOnlyRubricLeft) {
    Make(1);
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->PageControl1->setCurrentIndex(0);
    QLineEdit* filter = form->RubricPanel->eFind1();
    filter->setFocus();
    const auto press = [](Qt::Key key, const QString& text = {}) {
        QWidget* w = QApplication::focusWidget();
        QTest::sendKeyEvent(QTest::Press, w, key, text, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, w, key, text, Qt::NoModifier);
    };
    for (const QChar ch : QStringLiteral("ап")) press(Qt::Key_unknown, QString(ch));
    ASSERT_EQ(form->RubricPanel->dbBOXFind1()->count(), 1);
    const QString before = form->ResultTitle();
    press(Qt::Key_Return);
    EXPECT_EQ(form->ResultTitle(), "Рубрика: Аптеки (3шт.)") << before.toStdString();

    // Two rubrics left: Enter does not guess.
    filter->clear();
    ASSERT_EQ(form->RubricPanel->dbBOXFind1()->count(), 2);
    filter->setFocus();
    press(Qt::Key_Return);
    EXPECT_EQ(form->ResultTitle(), "Рубрика: Аптеки (3шт.)");
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

TEST_F(MainFormFixture, ClosingTheWindowWhileExpandingAllCardsEndsTheLoopSafely) {
    Make(1);
    ASSERT_TRUE(dm.QJumps.Locate("Name", "Аптеки"));
    form->ChooseRubric();
    form->show();
    auto original = form->Navigator->Hooks.FillCardDetails;
    int filled = 0;
    form->Navigator->Hooks.FillCardDetails = [&](TNavigatorItem& c, int id) {
        original(c, id);
        if (++filled == 1) // the user closes the window while the loop lets events through
            QTimer::singleShot(0, form.get(), [&] { form->close(); });
    };
    QTest::mouseClick(form->sbNavShowAll, Qt::LeftButton);
    EXPECT_EQ(filled, 1);
    EXPECT_EQ(form->Navigator, nullptr);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(MainFormFixture, HistoryKeepsTheKeyOfTheResultShown) {
    Make(1);
    ASSERT_TRUE(dm.QJumps.Locate("Name", "Аптеки"));
    form->ChooseRubric();
    ASSERT_TRUE(dm.QJumps.Locate("Name", "Гостиницы"));
    form->ChooseRubric();
    form->sbNavigatorPrevClick();
    EXPECT_EQ(form->CurrentResultKey(), "id_topic471");
    form->sbNavigatorNextClick();
    EXPECT_EQ(form->CurrentResultKey(), "id_topic424");
    // So choosing the rubric shown before is not taken for the one on show.
    ASSERT_TRUE(dm.QJumps.Locate("Name", "Аптеки"));
    form->ChooseRubric();
    EXPECT_EQ(Cards(), 3);
    EXPECT_EQ(form->ResultTitle(), "Рубрика: Аптеки (3шт.)");
}

TEST_F(MainFormFixture, AnOrganisationIsShownOncePerResultAndComesBackSo) {
    Make(1);
    TDatabase db;
    QString error;
    ASSERT_TRUE(db.Open(dir.path() + "/info.db", TDatabase::Mode::ReadWrite, &error));
    // The first hotel twice in its rubric and once more in a second rubric of one request.
    ASSERT_TRUE(db.Exec("INSERT INTO Topics (id, Name) VALUES (855, 'Театры'), (724, 'Кино');"
                        "INSERT INTO Jumps (Id, Id_Topic, Id_Main) VALUES (6, 424, 1), "
                        "(7, 855, 1), (8, 724, 1), (9, 724, 4)",
                        &error))
        << error.toStdString();
    form->ShowQuickRubric(1);
    EXPECT_EQ(Cards(), 2);
    EXPECT_EQ(form->ResultTitle(), "Рубрика: Гостиницы (2шт.)");
    form->ShowQuickRubric(2); // Театры/Кино
    EXPECT_EQ(Cards(), 2);
    EXPECT_EQ(form->ResultTitle(), "Рубрика: Театры/Кино (2шт.)");
    const QString ids = form->Navigator->ResultIds();
    form->sbNavigatorPrevClick();
    form->sbNavigatorNextClick();
    EXPECT_EQ(form->Navigator->ResultIds(), ids);
    EXPECT_EQ(form->ResultTitle(), "Рубрика: Театры/Кино (2шт.)");
}

TEST_F(MainFormFixture, AResultOfAnySizeComesBackFromTheHistory) {
    Make(1);
    TDatabase db;
    QString error;
    ASSERT_TRUE(db.Open(dir.path() + "/info.db", TDatabase::Mode::ReadWrite, &error));
    ASSERT_TRUE(db.Exec("BEGIN", &error));
    for (int i = 100; i < 1300; ++i)
        ASSERT_TRUE(
            db.Exec(QString("INSERT INTO Main (Id, Title) VALUES (%1, 'Орг %1');"
                            "INSERT INTO Jumps (Id, Id_Topic, Id_Main) VALUES (%1, 424, %1)")
                        .arg(i),
                    &error));
    ASSERT_TRUE(db.Exec("COMMIT", &error)) << error.toStdString();
    const int messages = platform.messages.size();
    form->ShowRubricByName("Гостиницы");
    ASSERT_EQ(Cards(), 1202);
    form->ShowRubricByName("Аптеки");
    form->sbNavigatorPrevClick();
    EXPECT_EQ(platform.messages.size(), messages) << platform.messages.join('|').toStdString();
    EXPECT_EQ(Cards(), 1202);
    EXPECT_EQ(form->ResultTitle(), "Рубрика: Гостиницы (1202шт.)");
}

TEST_F(MainFormFixture, ACardKeepsTheOrderInWhichAddressesAndPhonesWereEntered) {
    Make(1);
    TDatabase db;
    QString error;
    ASSERT_TRUE(db.Open(dir.path() + "/info.db", TDatabase::Mode::ReadWrite, &error));
    // Entered first: the street and the number that the covering indexes put last.
    ASSERT_TRUE(db.Exec("INSERT INTO Streets (id, Name) VALUES (3, 'Садовая');"
                        "INSERT INTO Adr (Id, Id_Main, Id_Street, Adr_Pre, Number, Adr_Post, "
                        "id_map) VALUES (3, 3, 3, '', '9', '', 11), (4, 3, 1, '', '1', '', 12);"
                        "INSERT INTO Phones (Id, Id_Adr, Kind, Phone, Comment) VALUES "
                        "(2, 3, 'тел', '999999', ''), (3, 3, 'тел', '111111', '')",
                        &error))
        << error.toStdString();
    form->ShowByIds("3;");
    ASSERT_EQ(Cards(), 1);
    QStringList texts;
    const TNavigatorItem* c = form->Navigator->Item(0);
    for (int i = 0; i < c->LineCount(); ++i)
        if (c->Line(i)->isVisibleTo(c)) texts << c->Line(i)->text();
    const QStringList shown = texts.filter(QRegularExpression("^(Садовая|Лесная|тел)"));
    EXPECT_EQ(shown, (QStringList{"Садовая, 9", "тел. 99-99-99", "тел. 11-11-11", "Лесная, 1"}));
}

TEST_F(MainFormFixture, LinksThatNothingOpensAreNamedInAMessage) {
    Make(1);
    platform.openSucceeds = false;
    platform.messages.clear();
    form->Navigator->Hooks.OnCardWebClick("www.zarya.example");
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages[0].contains("http://www.zarya.example"));
    // An attached file opens by the way of expanding a card: the status line tells.
    form->Navigator->Hooks.OnCardAttachment("chm/none.chm");
    ASSERT_EQ(platform.messages.size(), 1);
    const QString status = form->Status0->text();
    EXPECT_TRUE(status.contains("none.chm") && status.contains("не найден"))
        << status.toStdString();
    QTest::mouseClick(form->sbHelp, Qt::LeftButton);
    ASSERT_EQ(platform.messages.size(), 2);
    EXPECT_TRUE(platform.messages[1].contains("chm_.chm"));
    // A file that is there but that no program opens.
    QFile file(dir.path() + "/chm/chm_.chm");
    ASSERT_TRUE(QDir(dir.path()).mkpath("chm") && file.open(QIODevice::WriteOnly));
    file.close();
    QTest::mouseClick(form->sbHelp, Qt::LeftButton);
    ASSERT_EQ(platform.messages.size(), 3);
    EXPECT_TRUE(platform.messages[2].contains("нет программы"));
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
    s.WorkDir = deploy; // banners and animations
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

    // The bank's banner leads to its card, which opens the bank's attached file.
    for (int i = 0; i < 10 && form.Banners->CurrentNumber() != 2; ++i)
        form.Banners->BannerTimerTimer();
    ASSERT_EQ(form.Banners->CurrentNumber(), 2);
    platform.opened.clear();
    QTest::mouseClick(form.BannerImage, Qt::LeftButton, {}, QPoint(100, 20));
    EXPECT_EQ(platform.opened, QStringList{deploy + "/chm/org_2.chm"});
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join('|').toStdString();
}

} // namespace

namespace {

// The view saved at exit comes back only when it is closer than the whole map, within the
// limits and on the map; the whole map is measured in the window as it is shown.
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
        form->setWindowState(Qt::WindowNoState);
        form->resize(1400, 900);
        form->show();
        for (int i = 0; i < 50 && !form->Ready(); ++i) QCoreApplication::processEvents();
        EXPECT_TRUE(form->Ready());
        return form;
    }
    // The centre of the map, as a saved top-left corner at scale m1 of a window like Open's.
    QPointF CornerAtCentre(const TFMainForm& form, double m1) const {
        const auto& e = form.DataMap1->MapExtent();
        return {(e.MinX + e.MaxX) / 2.0 - form.DataMap1->width() * 50.0 / m1,
                (e.MinY + e.MaxY) / 2.0 - form.DataMap1->height() * 50.0 / m1};
    }
    tsivor::test::FakePlatform platform;
    tsivor::directory::Tdm dm;
    QString deploy;
};

TEST_F(SavedViewTest, TheWholeMapOfTheShownWindowIsTheLowerLimit) {
    auto form = Open(333, 333, 333);
    mapview::TDataMap& m = *form->DataMap1;
    EXPECT_DOUBLE_EQ(tsivor::app::Globals().MinScale, m.Scale());
    // The map fills the control along one axis and fits along the other.
    const auto& e = m.MapExtent();
    const double fx = m.ViewWidth() / (e.MaxX - e.MinX), fy = m.ViewHeight() / (e.MaxY - e.MinY);
    EXPECT_NEAR(std::min(fx, fy), 1.0, 0.05);
    EXPECT_GE(std::max(fx, fy), 0.99);
    form->sbZoomOutClick();
    EXPECT_DOUBLE_EQ(m.Scale(), tsivor::app::Globals().MinScale);
}

TEST_F(SavedViewTest, AScaleAboveTheWholeMapIsRestored) {
    const double whole = Open(333, 333, 333)->DataMap1->Scale();
    auto probe = Open(333, 333, 333);
    const QPointF c = CornerAtCentre(*probe, whole * 3);
    auto form = Open(whole * 3, c.x(), c.y());
    EXPECT_DOUBLE_EQ(form->DataMap1->Scale(), whole * 3);
    EXPECT_NEAR(form->DataMap1->XWind(), c.x(), 0.01);
    EXPECT_NEAR(form->DataMap1->YWind(), c.y(), 0.01);
}

TEST_F(SavedViewTest, TheMarker333AndSmallScalesAreIgnored) {
    const double whole = Open(333, 1500, 1200)->DataMap1->Scale();
    EXPECT_NE(whole, 333);
    auto small = Open(whole / 2, 1500, 1200);
    EXPECT_DOUBLE_EQ(small->DataMap1->Scale(), whole);
}

TEST_F(SavedViewTest, AViewOffTheMapOrBeyondTheLimitIsIgnored) {
    auto probe = Open(333, 333, 333);
    const double whole = probe->DataMap1->Scale();
    // What a run without a map leaves behind: the largest scale far outside the town.
    auto outside = Open(4000, -50000, -50000);
    EXPECT_DOUBLE_EQ(outside->DataMap1->Scale(), whole);
    const QPointF c = CornerAtCentre(*probe, 5000);
    auto beyond = Open(5000, c.x(), c.y());
    EXPECT_DOUBLE_EQ(beyond->DataMap1->Scale(), whole);
}

} // namespace

namespace {

class MapZoomTest : public SavedViewTest {
protected:
    void SetUp() override {
        SavedViewTest::SetUp();
        if (IsSkipped()) return;
        form = Open(333, 333, 333);
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

TEST_F(MapZoomTest, MainKeyboardPlusMinusAndPlainArrowsWorkOnTheMap) {
    mapview::TDataMap& m = *form->DataMap1;
    form->activateWindow();
    m.setFocus();
    m.SetScale(tsivor::app::Globals().MinScale * 2);
    const double s0 = m.Scale();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Plus); // no keypad modifier
    EXPECT_GT(m.Scale(), s0);
    const double s1 = m.Scale();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Minus);
    EXPECT_LT(m.Scale(), s1);
    const float x0 = m.XWind(), y0 = m.YWind();
    const float step = float(4000.0 / m.Scale());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_NEAR(m.XWind(), x0 + step, 0.01);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down, Qt::ControlModifier);
    EXPECT_NEAR(m.YWind(), y0 + step, 0.01);
}

QPoint PixelOfObject(const mapview::TDataMap& m, int o) {
    float x = m.Object(o)->CenterX, y = m.Object(o)->CenterY;
    m.MapToScreen(x, y);
    return {int(x), int(y)};
}

TEST_F(MapZoomTest, ARightClickOnAHouseListsItsOrganisationsOnce) {
    mapview::TDataMap& m = *form->DataMap1;
    const int h = m.FindHouse(-1, QString(), "5", "Кленовая");
    ASSERT_GE(h, 0);
    m.ZoomToObjects({h}, 400);
    const QPoint at = PixelOfObject(m, h);
    QTest::mouseMove(&m, at);
    QTest::mousePress(&m, Qt::RightButton, {}, at);
    QTest::mouseRelease(&m, Qt::RightButton, {}, at);
    EXPECT_EQ(form->Navigator->ItemsCount(), 3);
    EXPECT_EQ(form->ResultTitle().toUpper(), "ВЫБРАНО: КЛЕНОВАЯ, 5");
    EXPECT_TRUE(form->CurrentResultKey().startsWith("house_"));
    EXPECT_EQ(m.BlinkObjects(), std::vector<int>{h});
    auto notes = m.findChildren<TAddressNote*>();
    ASSERT_EQ(notes.size(), 1);
    EXPECT_EQ(notes[0]->toPlainText().toUpper(), "КЛЕНОВАЯ, 5");
    // The same house again, beside the mark its organisations now have: the cards stay.
    QPoint beside = at;
    for (int dx = 20; dx < 80 && beside == at; dx += 2) {
        float x = at.x() + dx, y = at.y();
        m.ScreenToMap(x, y);
        if (m.ObjectAtPoint(x, y) == h) beside = at + QPoint(dx, 0);
    }
    ASSERT_NE(beside, at);
    form->Navigator->Item(0)->SetMaximized(true);
    QTest::mouseMove(&m, beside);
    QTest::mousePress(&m, Qt::RightButton, {}, beside);
    EXPECT_TRUE(form->Navigator->Item(0)->Maximized());
    // A right press on the find button ends the blinking.
    QTest::mousePress(form->sbFind, Qt::RightButton);
    EXPECT_TRUE(m.BlinkObjects().empty());
}

TEST_F(MapZoomTest, ACardAddressLinkBlinksItsHouse) {
    mapview::TDataMap& m = *form->DataMap1;
    const int h = m.FindHouse(-1, QString(), "5", "Кленовая");
    form->Navigator->Hooks.OnCardAddressClick("Кленовая, 5");
    EXPECT_EQ(m.BlinkObjects(), std::vector<int>{h});
    EXPECT_EQ(m.TimerInterval(), TMapBlink::BlinkInterval);
    EXPECT_LE(m.Scale(), m.ScaleFind());
}

TEST_F(MapZoomTest, ToolButtonsChooseTheToolAndTheMeasuringWindowFollows) {
    mapview::TDataMap& m = *form->DataMap1;
    EXPECT_EQ(m.Instrument(), mapview::iDragMap);
    QTest::mouseClick(form->sbMeasure, Qt::LeftButton);
    EXPECT_EQ(m.Instrument(), mapview::iMeasure);
    ASSERT_NE(form->MeasureWindow(), nullptr);
    EXPECT_TRUE(form->MeasureWindow()->isVisible());
    EXPECT_FALSE(form->sbDefault->isChecked());
    m.OnMeasure(&m, 1234, 0.5);
    EXPECT_EQ(form->MeasureWindow()->lSumm->text(), "1 234.0 м");
    QTest::mouseClick(form->sbZoom, Qt::LeftButton);
    EXPECT_EQ(m.Instrument(), mapview::iLinza);
    EXPECT_FALSE(form->MeasureWindow()->isVisible());
    EXPECT_FALSE(form->sbMeasure->isChecked());
    QTest::mouseClick(form->sbZoom, Qt::LeftButton); // the button that is down comes up
    EXPECT_EQ(m.Instrument(), mapview::iDragMap);
    EXPECT_TRUE(form->sbDefault->isChecked());
    QTest::mouseClick(form->sbMeasure, Qt::LeftButton);
    form->MeasureWindow()->close(); // closing the window returns to the main tool
    EXPECT_EQ(m.Instrument(), mapview::iDragMap);
    EXPECT_TRUE(form->sbDefault->isChecked());
    EXPECT_FALSE(form->sbMeasure->isChecked());
}

TEST_F(MapZoomTest, TheMiniMapOpensWithItsButtonAndFollowsTheMap) {
    mapview::TDataMap& m = *form->DataMap1;
    if (!form->sbMini->isChecked()) QTest::mouseClick(form->sbMini, Qt::LeftButton);
    ASSERT_NE(form->MiniWindow(), nullptr);
    EXPECT_TRUE(form->MiniWindow()->isVisible());
    EXPECT_EQ(m.SmallView(), form->MiniWindow()->SmallPreView);
    // As wide as the window of the layout and as high as the town's shape: no empty bands.
    const QSize mini = form->MiniWindow()->size();
    EXPECT_EQ(mini.width(), 143);
    EXPECT_LE(mini.height(), 161);
    const auto& e = m.MapExtent();
    EXPECT_NEAR(double(mini.height()) / mini.width(), (e.MaxY - e.MinY) / (e.MaxX - e.MinX),
                1.0 / 143);
    for (int i = 0; i < 10; ++i) QCoreApplication::processEvents(); // the thumbnail is painted
    const QImage thumbnail = form->MiniWindow()->SmallPreView->Picture();
    ASSERT_FALSE(thumbnail.isNull());
    const QRgb background = qRgb(237, 211, 174);
    for (const int y : {0, thumbnail.height() - 1}) {
        int plain = 0;
        for (int x = 0; x < thumbnail.width(); ++x) plain += thumbnail.pixel(x, y) == background;
        EXPECT_LT(plain, thumbnail.width() / 2) << "row " << y;
    }
    QTest::mouseClick(form->sbMini, Qt::LeftButton);
    EXPECT_FALSE(form->MiniWindow()->isVisible());
    QTest::mouseClick(form->sbMini, Qt::LeftButton);
    form->MiniWindow()->close();
    EXPECT_FALSE(form->sbMini->isChecked());
}

} // namespace
