#include "app/ProgramStart.h"
#include "app/AppGlobals.h"
#include "app/MainForm.h"
#include "app/StartUp.h"
#include "directory/Database.h"
#include "directory/DirectorySchema.h"
#include "mapdata/MapEnvelope.h"
#include "mapdata/MapWriter.h"
#include "mapview/DataMap.h"
#include "mapview/MapCursors.h"
#include "platform/Cp1251Codec.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tsivor;
using namespace tsivor::app;

namespace {

class ProgramStartTest : public testing::Test {
protected:
    void SetUp() override { Globals() = TAppGlobals{}; }
    void TearDown() override { Globals() = TAppGlobals{}; }

    void Put(const QString& name, const QByteArray& bytes) {
        QFile f(exeDir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    // A map with one square on a named street, scrambled as the program expects it.
    void PutMap() {
        mapdata::TMapDocument doc;
        doc.Header.Version = 14;
        doc.Header.Mashtab = 500;
        doc.Header.NameMap = QStringLiteral("Заречинск");
        doc.Streets.Add(QStringLiteral("ЛЕНИНА"), 1);
        doc.Streets.Add(QStringLiteral("САДОВАЯ"), 2);
        doc.Towns.Add(QStringLiteral("ЗАРЕЧИНСК"), 1);
        auto o = std::make_unique<mapdata::TORBMapObjectMem>();
        o->ID = 1;
        o->ObjectType = uint8_t(mapdata::cPolygon);
        o->Count = 4;
        o->Points = std::make_unique<mapdata::TORBMapPoint[]>(4);
        o->Points[0] = {10, 20};
        o->Points[1] = {110, 20};
        o->Points[2] = {110, 70};
        o->Points[3] = {10, 70};
        doc.Append(std::move(o));
        Put(QStringLiteral("info1.db"), mapdata::Scramble(mapdata::WriteMapContent(doc)));
    }

    // An empty directory and an icon library: what the main window opens besides the map.
    void PutDirectory() {
        directory::TDatabase db;
        QString error;
        ASSERT_TRUE(db.Open(exeDir.filePath(QStringLiteral("info.db")),
                            directory::TDatabase::Mode::Create, &error));
        ASSERT_TRUE(directory::CreateSchema(db, directory::DirectoryTables(), &error));
        Put(QStringLiteral("tsivor.lib"), mapview::BuiltInIconLibrary());
    }

    QByteArray SampleIni(const QString& www = QString()) {
        return platform::Cp1251Encode(QStringLiteral("[Main]\r\nYear=2009\r\nMonth=9\r\n"
                                                     "City=Заречинск\r\nPhoneS=22-33-44\r\n"
                                                     "PhoneM=8-900-000\r\nWWW=") +
                                      www + QStringLiteral("\r\n[Mas]\r\nscale_find=450\r\n"));
    }

    QTemporaryDir exeDir;
    QTemporaryDir workDir;
    test::FakePlatform fake;
};

} // namespace

TEST_F(ProgramStartTest, RunsWithTheConfigurationAndTheMap) {
    Put(QStringLiteral("tsivor.ini"), SampleIni(QStringLiteral("zarechinsk.example")));
    PutMap();
    PutDirectory();
    TProgramStart start(exeDir.path() + u'/', workDir.path(), 7);
    start.Run();

    EXPECT_TRUE(fake.messages.isEmpty()) << fake.messages.join(u'|').toStdString();
    EXPECT_EQ(Globals().ExeDir, exeDir.path()); // no trailing separator
    EXPECT_EQ(Globals().ReleaseTitle, QStringLiteral("Сентябрь ' 2009"));
    EXPECT_EQ(Globals().Mas.scale_find, 450);
    EXPECT_EQ(Globals().Mas.font, 100);
    EXPECT_TRUE(Globals().MainFormShown);
    EXPECT_FALSE(Globals().StartPageClosed);

    TFStartUp* page = start.StartPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->LVersion->text(), QStringLiteral("Сентябрь ' 2009"));
    EXPECT_EQ(page->LCity->text(), QStringLiteral("Электронная карта г. Заречинска"));
    EXPECT_EQ(page->Label5->text(), "22-33-44");
    EXPECT_EQ(page->Label7->text(), "8-900-000");
    EXPECT_EQ(page->LabelWWW->text(), "zarechinsk.example");
    EXPECT_FALSE(page->LabelWWW->isHidden());

    TFMainForm* window = start.MainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Цивор - Заречинск за Сентябрь ' 2009"));
    EXPECT_EQ(window->DataMap1->ObjectCount(), 1);
    EXPECT_EQ(window->DataMap1->NameMap(), BuildNameMap(QStringLiteral("Заречинск")));

    // The main window is shown, so the start page may now be left.
    page->bNext->click();
    EXPECT_TRUE(page->Closed());
    EXPECT_TRUE(Globals().StartPageClosed);
}

TEST_F(ProgramStartTest, MissingMapIsReportedAndTheWindowOpensEmpty) {
    Put(QStringLiteral("tsivor.ini"), SampleIni());
    PutDirectory();
    TProgramStart start(exeDir.path(), workDir.path(), 7);
    EXPECT_TRUE(start.Run());

    ASSERT_EQ(fake.messages.size(), 1);
    EXPECT_TRUE(fake.messages[0].contains(QStringLiteral("info1.db")));
    TFMainForm* window = start.MainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->DataMap1->ObjectCount(), 0);
    EXPECT_TRUE(start.StartPage()->LabelWWW->isHidden()); // no web address configured
}

TEST_F(ProgramStartTest, MissingDirectoryEndsTheStartWithOneMessage) {
    Put(QStringLiteral("tsivor.ini"), SampleIni());
    PutMap();
    TProgramStart start(exeDir.path(), workDir.path(), 7);
    EXPECT_FALSE(start.Run());
    ASSERT_EQ(fake.messages.size(), 1);
    EXPECT_TRUE(fake.messages[0].contains(exeDir.filePath(QStringLiteral("info.db"))))
        << fake.messages[0].toStdString();
    EXPECT_EQ(start.MainWindow(), nullptr);
}

TEST_F(ProgramStartTest, NoConfigurationGivesTheDefaults) {
    TProgramStart start(exeDir.path(), workDir.path(), 7);
    start.ReadConfiguration();
    start.BuildTitles();
    EXPECT_EQ(Globals().ReleaseTitle, QStringLiteral(" ' 2003"));
    EXPECT_EQ(start.Subtitle(), QStringLiteral("Электронная карта г. а"));
    EXPECT_EQ(Globals().Mas.Mashtab, 4520);
}

TEST_F(ProgramStartTest, StartPageStaysUntilTheMainWindowWasShown) {
    TProgramStart start(exeDir.path(), workDir.path(), 7);
    start.ReadConfiguration();
    start.BuildTitles();
    start.ShowStartPage();
    start.StartPage()->bNext->click();
    EXPECT_FALSE(start.StartPage()->Closed());
    EXPECT_FALSE(Globals().StartPageClosed);
}

TEST_F(ProgramStartTest, DamagedMapLoadsWhatItCan) {
    Put(QStringLiteral("info1.db"), QByteArray(200, '\x5A')); // scrambled noise
    mapview::TDataMap map;
    QString error;
    // Read, though nothing usable came of it.
    EXPECT_TRUE(map.MapLoad(exeDir.filePath(QStringLiteral("info1.db")), &error))
        << error.toStdString();
    EXPECT_TRUE(fake.messages.isEmpty());
}

TEST_F(ProgramStartTest, StartsOnTheSampleDeployment) {
    const QString deploy = test::DeployDir();
    if (!QFile::exists(deploy + QStringLiteral("/info1.db")) ||
        !QFile::exists(deploy + QStringLiteral("/tsivor.ini")))
        GTEST_SKIP() << "no sample deployment";
    TProgramStart start(deploy, deploy, 7);
    start.Run();
    EXPECT_TRUE(fake.messages.isEmpty()) << fake.messages.join(u'|').toStdString();
    EXPECT_FALSE(start.Config().Main.City.isEmpty());
    EXPECT_GT(start.MainWindow()->DataMap1->ObjectCount(), 100);
    EXPECT_GT(start.MainWindow()->DataMap1->Document().Streets.Count(), 0);
    EXPECT_TRUE(start.MainWindow()->windowTitle().startsWith(QStringLiteral("Цивор - ") +
                                                             start.Config().Main.City));
}

namespace {

TEST(ProgramEnd, ClosingTheMainWindowEndsTheRunWhileTheStartPageIsUp) {
    const QString deploy = test::DeployDir();
    if (!QFile::exists(deploy + QStringLiteral("/info1.db")))
        GTEST_SKIP() << "no sample deployment";
    test::FakePlatform fake;
    TProgramStart start(deploy, deploy, 7);
    ASSERT_TRUE(start.Run());
    ASSERT_FALSE(start.StartPage()->Closed());
    bool ended = true;
    QTimer::singleShot(0, start.MainWindow(), [&] { start.MainWindow()->close(); });
    // Should the run go on, this ends the loop instead and the test fails.
    QObject guard; // the fallback goes with the test
    QTimer::singleShot(5000, &guard, [&] {
        ended = false;
        QCoreApplication::exit(1);
    });
    const int code = QCoreApplication::exec();
    EXPECT_TRUE(ended);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(start.StartPage()->isVisible());
}

} // namespace
