#include "app/Favourites.h"
#include "app/FavouritesMenu.h"
#include "app/MainForm.h"
#include "app/Navigator.h"

#include "TestSupport.h"
#include "directory/DataModule.h"
#include "directory/DirectorySchema.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace tsivor::app;
using tsivor::platform::TFileLocation;

namespace {

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A deployment folder and a user folder of its own for every test.
class FavouritesFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath("app"));
        ASSERT_TRUE(QDir(dir.path()).mkpath("user"));
    }
    QString App() const { return dir.filePath("app"); }
    QString File() const { return App() + "/tsivor-f.ini"; }
    TFileLocation Location() const { return TFileLocation(App(), dir.filePath("user")); }

    QTemporaryDir dir;
    tsivor::test::FakePlatform platform;
};

TEST(FavouritesList, RemovalTakesOnlyTheWholeNumber) {
    EXPECT_EQ(TFavourites::Removed("12;2;25;", 2), "12;25;");
    EXPECT_EQ(TFavourites::Removed("12;2;", 12), "2;");
    EXPECT_EQ(TFavourites::Removed("22;2;", 2), "22;");
    EXPECT_EQ(TFavourites::Removed("22;", 2), "22;");
}

TEST(FavouritesList, OnlyListsOfNumbersAreRead) {
    EXPECT_EQ(TFavourites::Parse(""), "");
    EXPECT_EQ(TFavourites::Parse("12;7;305;"), "12;7;305;");
    EXPECT_EQ(TFavourites::Parse(" 12 ; 7;305"), "12;7;305;"); // edited by hand
    EXPECT_FALSE(TFavourites::Parse("12;x;"));
    EXPECT_FALSE(TFavourites::Parse("12;-7;"));
    EXPECT_FALSE(TFavourites::Parse("12;;;\x01"));
}

TEST_F(FavouritesFixture, ChangesAreKeptInTheFileInTheirOrder) {
    TFavourites f(Location());
    f.LoadFavourites();
    EXPECT_EQ(f.FavouriteIds(), "");
    EXPECT_EQ(f.Hint(), "Избранное (0 шт.)");
    ASSERT_TRUE(f.Add(12));
    ASSERT_TRUE(f.Add(2));
    ASSERT_TRUE(f.Add(25));
    EXPECT_EQ(f.Hint(), "Избранное (3 шт.)");
    EXPECT_TRUE(Read(File()).contains("Favorit=12;2;25;"));
    ASSERT_TRUE(f.Remove(2));
    TFavourites again(Location()); // the next start
    again.LoadFavourites();
    EXPECT_EQ(again.FavouriteIds(), "12;25;");
    EXPECT_TRUE(again.Contains(12));
    EXPECT_FALSE(again.Contains(2));
    ASSERT_TRUE(again.Clear());
    f.LoadFavourites();
    EXPECT_EQ(f.FavouriteIds(), "");
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(FavouritesFixture, ADamagedFileIsReportedOnceAndKeptUntilTheListChanges) {
    static const char bytes[] = "[Main]\r\nFavorit=12;7\x00\x00\x00garbage";
    const QByteArray damaged(bytes, sizeof bytes - 1);
    ASSERT_TRUE(Write(File(), damaged));
    TFavourites f(Location());
    f.LoadFavourites();
    EXPECT_EQ(f.FavouriteIds(), "");
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages[0].contains("tsivor-f.ini.bad"));
    f.LoadFavourites(); // re-read on every use, reported once
    EXPECT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(Read(File()), damaged);

    ASSERT_TRUE(f.Add(5));
    EXPECT_EQ(Read(File() + ".bad"), damaged);
    EXPECT_EQ(f.FavouriteIds(), "5;");
    EXPECT_EQ(platform.messages.size(), 1);

    // A second damaged file does not overwrite the first one kept aside.
    ASSERT_TRUE(Write(File(), "[Main]\nFavorit=abc"));
    f.LoadFavourites();
    ASSERT_TRUE(f.Add(6));
    EXPECT_EQ(Read(File() + ".bad"), damaged);
    EXPECT_EQ(Read(File() + ".bad1"), "[Main]\nFavorit=abc");
}

TEST_F(FavouritesFixture, AnUnreadableFileGivesAnEmptyList) {
    ASSERT_TRUE(QDir(App()).mkdir("tsivor-f.ini")); // not a file at all
    TFavourites f(Location());
    f.LoadFavourites();
    EXPECT_EQ(f.FavouriteIds(), "");
    EXPECT_EQ(platform.messages.size(), 1);
    ASSERT_TRUE(f.Add(3));
    EXPECT_TRUE(QFileInfo(File() + ".bad").isDir());
    EXPECT_TRUE(Read(File()).contains("Favorit=3;"));
}

TEST_F(FavouritesFixture, AReadOnlyInstallKeepsTheListInTheUserFolder) {
    ASSERT_TRUE(Write(File(), "[Main]\r\nFavorit=4;\r\n"));
    platform.readOnlyFolders << App();
    TFavourites f(Location());
    f.LoadFavourites();
    EXPECT_EQ(f.FavouriteIds(), "4;"); // the shipped list is read
    ASSERT_TRUE(f.Add(9));
    EXPECT_EQ(Read(File()), "[Main]\r\nFavorit=4;\r\n");
    TFavourites again(Location());
    again.LoadFavourites();
    EXPECT_EQ(again.FavouriteIds(), "4;9;");
    EXPECT_TRUE(QFileInfo::exists(Location().UserDir() + "/tsivor-f.ini"));
}

TEST_F(FavouritesFixture, AFailedSaveKeepsTheOldListAndSaysSo) {
    ASSERT_TRUE(Write(File(), "[Main]\r\nFavorit=4;\r\n"));
    platform.readOnlyFolders << App();
    // Neither the program's folder nor the user's (a file stands in its place) takes the list.
    ASSERT_TRUE(Write(dir.filePath("blocked"), "x"));
    TFavourites f(TFileLocation(App(), dir.filePath("blocked")));
    f.LoadFavourites();
    EXPECT_FALSE(f.Add(2));
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_EQ(f.FavouriteIds(), "4;");
    EXPECT_EQ(Read(File()), "[Main]\r\nFavorit=4;\r\n");
}

// ---- through the main window

void WriteDirectory(const QString& dir) {
    tsivor::directory::TDatabase db;
    QString error;
    ASSERT_TRUE(db.Open(dir + "/info.db", tsivor::directory::TDatabase::Mode::Create, &error));
    ASSERT_TRUE(CreateSchema(db, tsivor::directory::DirectoryTables(), &error));
    for (const char* sql :
         {"INSERT INTO Main (Id, Title, AutoLoad) VALUES (1, 'Яблоко', 1), (2, 'Арбуз', 1), "
          "(3, 'Малина', 0)"}) {
        ASSERT_TRUE(db.Exec(QString::fromUtf8(sql), &error)) << error.toStdString();
    }
}

class FavouritesWindow : public FavouritesFixture {
protected:
    void SetUp() override {
        FavouritesFixture::SetUp();
        WriteDirectory(App());
        qputenv("XDG_CONFIG_HOME", dir.filePath("user").toUtf8());
    }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }
    std::unique_ptr<TFMainForm> Start() {
        TMainFormSettings s;
        s.ExeDir = App();
        auto form = std::make_unique<TFMainForm>(s, dm);
        form->resize(1000, 700);
        QString error;
        EXPECT_TRUE(form->FormCreate(&error)) << error.toStdString();
        return form;
    }
    // The right click on a card, then a menu item.
    void ChooseFromCardMenu(TFMainForm& form, int card, QAction*(TFavouritesMenu::*item)) {
        QTest::mouseClick(form.Navigator->Item(card), Qt::RightButton, {}, QPoint(100, 5));
        ASSERT_TRUE(form.PopupNavigator->isVisible());
        QAction* a = form.PopupNavigator->*item;
        ASSERT_TRUE(a->isEnabled());
        a->trigger();
        form.PopupNavigator->hide();
    }
    tsivor::directory::Tdm dm;
};

TEST_F(FavouritesWindow, AddedFromTheCardMenuAndShownAfterARestart) {
    auto form = Start();
    platform.messages.clear(); // the deployment has no map: said at the start
    form->sbFavorit->click();
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages[0].startsWith("Раздел Избранное пуст.\nДля того"));
    ASSERT_EQ(form->Navigator->ItemsCount(), 2); // the start list stays
    form->show();
    // Cards of the start list: Яблоко, Арбуз (AutoLoad order).
    ChooseFromCardMenu(*form, 0, &TFavouritesMenu::nfavoritADD);
    EXPECT_EQ(form->sbFavorit->toolTip(), "Избранное (1 шт.)");
    QTest::mouseClick(form->Navigator->Item(0), Qt::RightButton, {}, QPoint(100, 5));
    EXPECT_FALSE(form->PopupNavigator->nfavoritADD->isEnabled()); // no second time
    EXPECT_TRUE(form->PopupNavigator->nfavoritDEL->isEnabled());
    form->PopupNavigator->hide();
    ChooseFromCardMenu(*form, 1, &TFavouritesMenu::nfavoritADD);
    form->close();
    form.reset();

    form = Start();
    EXPECT_EQ(form->sbFavorit->toolTip(), "Избранное (2 шт.)");
    form->sbFavorit->click();
    EXPECT_EQ(form->CurrentResultKey(), "Favorite");
    EXPECT_EQ(form->ResultTitle(), "Избранное: (2 шт.)");
    ASSERT_EQ(form->Navigator->ItemsCount(), 2);
    form->show();
    // Removing one from its card's menu and showing the rest through the menu.
    ChooseFromCardMenu(*form, 0, &TFavouritesMenu::nfavoritDEL);
    form->PopupNavigator->N3->trigger();
    EXPECT_EQ(form->ResultTitle(), "Избранное: (1 шт.)");
    form->PopupNavigator->N5->trigger();
    EXPECT_EQ(form->sbFavorit->toolTip(), "Избранное (0 шт.)");
    EXPECT_TRUE(Read(File()).contains("Favorit=\r\n") || Read(File()).contains("Favorit=\n"));
}

} // namespace
