#include "TestSupport.h"

#include "app/HouseResultWindow.h"
#include "app/RealEstatePanel.h"
#include "directory/DataModule.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace tsivor;

namespace {

const QString kDeploy = QStringLiteral(TSIVOR_DEPLOY_DIR);

// The presence of the listings is tested in the working directory: each test sets it.
class WorkingDir {
public:
    explicit WorkingDir(const QString& dir) : FOld(QDir::currentPath()) { QDir::setCurrent(dir); }
    ~WorkingDir() { QDir::setCurrent(FOld); }

private:
    QString FOld;
};

int Listings(directory::Tdm& dm, const QString& where) {
    directory::TQuery q(&dm.ADOConnection2);
    EXPECT_TRUE(q.Reopen({"SELECT count(*) AS n FROM Base WHERE " + where}));
    return int(q.FieldAsInteger("n"));
}

TEST(RealEstatePanel, SearchShowsTheListingsOverTheMainWindow) {
    test::FakePlatform platform;
    WorkingDir cwd(kDeploy);
    directory::Tdm dm;
    ASSERT_TRUE(dm.OpenHouses(kDeploy)) << dm.HousesError().toStdString();
    QWidget main;
    main.setGeometry(100, 100, 1200, 900);
    auto* panel = new app::TRealEstatePanel(dm, kDeploy, &main);
    main.show();
    EXPECT_TRUE(panel->bAplay->isEnabled());
    EXPECT_FALSE(panel->Notice->isVisible());
    EXPECT_NE(panel->Districts[1]->text(), "Район 2"); // named by the base
    EXPECT_TRUE(panel->sbMap->isChecked());
    panel->bAplay->click();
    app::THouseResultWindow& results = *panel->Results;
    ASSERT_TRUE(results.isVisible());
    EXPECT_TRUE(panel->sbResult->isChecked());
    const int sales = Listings(dm, "Operation=1");
    ASSERT_GT(sales, 0);
    EXPECT_EQ(results.DBGrid1->rowCount(), sales);
    EXPECT_EQ(results.Label1->text(), QStringLiteral("Выбрано записей: %1").arg(sales));
    EXPECT_EQ(results.geometry().width(), 1200 - 26);
    EXPECT_EQ(results.geometry().height(), 300);
    EXPECT_TRUE(results.windowTitle().startsWith("Недвижимость -> Результаты поиска (база за "));
    // Only "4-комн. и более", with a price ceiling.
    for (QCheckBox* b : panel->Rooms) b->setChecked(false);
    panel->Rooms[4]->setChecked(true);
    panel->ePriceTo->setText("3000");
    panel->bAplay->click();
    EXPECT_EQ(results.DBGrid1->rowCount(),
              Listings(dm, "Operation=1 AND Rooms>=4 AND Summa<=3000"));
    // Closing the window brings the map toggle down again.
    results.bHouseResultClose->click();
    EXPECT_FALSE(results.isVisible());
    EXPECT_TRUE(panel->sbMap->isChecked());
}

TEST(RealEstatePanel, NoDistrictOrNoRoomsIsRefusedWithAMessage) {
    test::FakePlatform platform;
    WorkingDir cwd(kDeploy);
    directory::Tdm dm;
    ASSERT_TRUE(dm.OpenHouses(kDeploy));
    app::TRealEstatePanel panel(dm, kDeploy);
    for (QCheckBox* b : panel.Rooms) b->setChecked(false);
    panel.bAplay->click();
    EXPECT_EQ(platform.messages.value(0), "Небходимо выбрать кол-во комнат!");
    for (QCheckBox* b : panel.Districts) b->setChecked(false);
    panel.bAplay->click();
    EXPECT_EQ(platform.messages.value(1), "Небходимо выбрать район!");
    EXPECT_FALSE(panel.Results->isVisible());
}

TEST(RealEstatePanel, PriceEditsTakeDigitsOnly) {
    test::FakePlatform platform;
    directory::Tdm dm;
    app::TRealEstatePanel panel(dm, kDeploy);
    panel.show();
    panel.ePriceFrom->setFocus();
    for (QChar c : QStringLiteral("1a2")) QTest::keyClick(panel.ePriceFrom, c.toLatin1());
    QTest::keyClick(panel.ePriceFrom, Qt::Key_Backspace);
    EXPECT_EQ(panel.ePriceFrom->text(), "1");
    EXPECT_EQ(platform.beeps, 2);
}

TEST(RealEstatePanel, MissingOrDamagedListingsAreNamedOnTheTab) {
    test::FakePlatform platform;
    QTemporaryDir dir;
    WorkingDir cwd(dir.path());
    directory::Tdm dm;
    EXPECT_FALSE(dm.OpenHouses(dir.path()));
    app::TRealEstatePanel missing(dm, dir.path());
    EXPECT_FALSE(missing.bAplay->isEnabled());
    EXPECT_FALSE(missing.Notice->isHidden());
    EXPECT_TRUE(missing.Notice->text().contains("houses/houses.db"));

    ASSERT_TRUE(QDir(dir.path()).mkdir("houses"));
    QFile bad(dir.filePath("houses/houses.db"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(5000, 'x'));
    bad.close();
    EXPECT_FALSE(dm.OpenHouses(dir.path()));
    app::TRealEstatePanel damaged(dm, dir.path());
    EXPECT_FALSE(damaged.bAplay->isEnabled());
    EXPECT_FALSE(damaged.Notice->text().isEmpty());
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST(RealEstatePanel, UpdateModuleMessages) {
    test::FakePlatform platform;
    QTemporaryDir dir;
    WorkingDir cwd(dir.path());
    directory::Tdm dm;
    app::TRealEstatePanel panel(dm, dir.path());
    platform.answer = platform::Answer::No;
    panel.bUpdateZhilinfo->click();
    EXPECT_EQ(platform.messages.last(), "Обновление отменено пользователем");
    platform.answer = platform::Answer::Yes;
    panel.bUpdateZhilinfo->click();
    EXPECT_TRUE(platform.messages.last().startsWith(
        "Модуль обновления отсутствует! Загрузите его с сайта "));
    EXPECT_TRUE(platform.opened.isEmpty());
    ASSERT_TRUE(QDir(dir.path()).mkpath("update"));
    QFile module(dir.filePath("update/zhilinfo.exe"));
    ASSERT_TRUE(module.open(QIODevice::WriteOnly));
    module.close();
    panel.bUpdateZhilinfo->click();
    EXPECT_EQ(platform.opened, QStringList{dir.filePath("update/zhilinfo.exe")});
    EXPECT_FALSE(panel.bAplay->isEnabled()); // still no listings to reopen
}

TEST(RealEstatePanel, OwnListingHelpOpensOrIsNamedWhenMissing) {
    test::FakePlatform platform;
    QTemporaryDir dir;
    directory::Tdm dm;
    app::TRealEstatePanel panel(dm, dir.path());
    panel.Button1->click();
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages[0].contains("zhilinfo.chm") &&
                platform.messages[0].contains("не найден"))
        << platform.messages[0].toStdString();
    EXPECT_TRUE(platform.opened.isEmpty());
    ASSERT_TRUE(QDir(dir.path()).mkpath("chm"));
    QFile help(dir.filePath("chm/zhilinfo.chm"));
    ASSERT_TRUE(help.open(QIODevice::WriteOnly));
    help.close();
    panel.Button1->click();
    EXPECT_EQ(platform.opened, QStringList{dir.filePath("chm/zhilinfo.chm")});
    EXPECT_EQ(platform.messages.size(), 1);
}

TEST(HouseResultWindow, FindAndMarkOnTheMap) {
    test::FakePlatform platform;
    WorkingDir cwd(kDeploy);
    directory::Tdm dm;
    ASSERT_TRUE(dm.OpenHouses(kDeploy));
    ASSERT_TRUE(dm.QHouses.Reopen({directory::Tdm::BuildHousesStatement(
        "(Operation=1)", "Base.Operation, Base.District, Base.Rooms;")}));
    app::THouseResultWindow w;
    w.Fill(dm.QHouses);
    // The grid's columns by their fields, not by the statement's order.
    dm.QHouses.First();
    EXPECT_EQ(w.DBGrid1->horizontalHeaderItem(10)->text(), "Цена, т.р.");
    EXPECT_EQ(w.DBGrid1->item(0, 10)->text(), dm.QHouses.FieldAsString("Summa1"));
    EXPECT_EQ(w.DBGrid1->item(0, 11)->text(), dm.QHouses.FieldAsString("Comment"));
    EXPECT_EQ(w.DBGrid1->item(0, 1)->text(), dm.QHouses.FieldAsString("Raion.Name"));
    QStringList looked;
    std::vector<int> shown, marked;
    int clears = 0;
    w.FindAddress = [&](const QString& a) {
        looked << a;
        return looked.size() % 2 == 0 ? looked.size() : -1;
    };
    w.ShowObject = [&](int o) { shown.push_back(o); };
    w.MarkObjects = [&](const std::vector<int>& o) {
        if (o.empty()) ++clears;
        marked = o;
    };
    w.bHouseSearch->click(); // the first lookup fails: a beep
    EXPECT_EQ(platform.beeps, 1);
    EXPECT_TRUE(shown.empty());
    w.bHouseSearch->click();
    EXPECT_EQ(shown, std::vector<int>{2});
    EXPECT_EQ(clears, 2);
    looked.clear();
    w.bSelectAll->click();
    EXPECT_EQ(looked.size(), dm.QHouses.RecordCount());
    EXPECT_EQ(int(marked.size()), dm.QHouses.RecordCount() / 2);
}

} // namespace

#include "app/MainForm.h"
#include "mapview/DataMap.h"

namespace {

// The main window's part: a listing's house found on the sample map blinks.
TEST(RealEstateOnTheMap, FoundListingsBlink) {
    test::FakePlatform platform;
    WorkingDir cwd(kDeploy);
    directory::Tdm dm;
    app::TMainFormSettings s;
    s.ExeDir = kDeploy;
    app::TFMainForm form(s, dm);
    form.resize(1200, 800);
    QString error;
    ASSERT_TRUE(form.FormCreate(&error)) << error.toStdString();
    form.RealEstate->bAplay->click();
    app::THouseResultWindow& results = *form.RealEstate->Results;
    ASSERT_GT(results.DBGrid1->rowCount(), 0);
    int found = -1;
    for (int r = 0; r < results.DBGrid1->rowCount() && found < 0; ++r) {
        results.DBGrid1->setCurrentCell(r, 0);
        results.bHouseSearch->click();
        if (!form.DataMap1->BlinkObjects().empty()) found = r;
    }
    ASSERT_GE(found, 0) << "no listing address of the sample found on its map";
    EXPECT_EQ(form.DataMap1->BlinkObjects().size(), 1u);
    results.bSelectAll->click();
    EXPECT_GT(form.DataMap1->BlinkObjects().size(), 1u);
    results.bHouseResultClose->click();
    EXPECT_TRUE(form.RealEstate->sbMap->isChecked());
}

} // namespace
