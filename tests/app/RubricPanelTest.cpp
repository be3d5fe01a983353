#include "TestSupport.h"

#include "app/RubricPanel.h"
#include "directory/DataModule.h"
#include "directory/DirectorySchema.h"
#include "directory/RubricQueries.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace tsivor;

namespace {

// Types text key by key as a keyboard would, Cyrillic included.
void Type(QWidget* w, const char* utf8) {
    for (QChar c : QString::fromUtf8(utf8)) {
        const int key = c.unicode() < 128 ? QChar(c).toUpper().unicode() : int(Qt::Key_unknown);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(w, &press);
        QCoreApplication::sendEvent(w, &release);
    }
}

class RubricPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QString error;
        {
            directory::TDatabase db;
            ASSERT_TRUE(
                db.Open(dir.filePath("info.db"), directory::TDatabase::Mode::Create, &error));
            ASSERT_TRUE(directory::CreateSchema(db, directory::DirectoryTables(), &error));
            ASSERT_TRUE(db.Exec(
                QString::fromUtf8("INSERT INTO Topics VALUES (1,'Кафе'),(2,'Бары'),(3,'Аптеки');"
                                  "INSERT INTO Main (Id,Title) VALUES (1,'Ёжик'),(2,'Альфа');"
                                  "INSERT INTO Jumps VALUES (1,1,1),(2,2,1),(3,3,2);")));
        }
        ASSERT_TRUE(dm.OpenDirectory(dir.path(), &error)) << error.toStdString();
        ASSERT_TRUE(rubrics.OpenRubricLists());
        panel = std::make_unique<app::TRubricPanel>(dm, rubrics);
        panel->Reload();
    }

    QStringList Listed() const {
        QStringList out;
        for (int i = 0; i < panel->dbBOXFind1()->count(); ++i)
            out << panel->dbBOXFind1()->item(i)->text();
        return out;
    }

    test::FakePlatform platform;
    QTemporaryDir dir;
    directory::Tdm dm;
    directory::TRubricQueries rubrics{dm};
    std::unique_ptr<app::TRubricPanel> panel;
};

TEST_F(RubricPanelTest, ListsRubricsByName) {
    EXPECT_EQ(Listed(), (QStringList{"Аптеки", "Бары", "Кафе"}));
}

TEST_F(RubricPanelTest, TypedRefusedCharacterBeepsAndIsDropped) {
    Type(panel->eFind1(), "ка\"ф%е");
    EXPECT_EQ(panel->eFind1()->text(), QString::fromUtf8("кафе"));
    EXPECT_EQ(platform.beeps, 2);
    EXPECT_EQ(Listed(), QStringList{"Кафе"});
    // The slash, the hyphen and the full stop are allowed.
    panel->eFind1()->clear();
    Type(panel->eFind1(), "а/-.");
    EXPECT_EQ(panel->eFind1()->text(), QString::fromUtf8("а/-."));
}

TEST_F(RubricPanelTest, PastedTextIsTakenAsItIs) {
    QApplication::clipboard()->setText(QString::fromUtf8("\"; DROP TABLE Topics; --"));
    panel->eFind1()->paste();
    EXPECT_EQ(panel->eFind1()->text(), QString::fromUtf8("\"; DROP TABLE Topics; --"));
    EXPECT_TRUE(Listed().isEmpty()); // nothing matches, and nothing broke
    EXPECT_TRUE(platform.messages.isEmpty());
    panel->eFind1()->clear();
    EXPECT_EQ(Listed().size(), 3);
}

TEST_F(RubricPanelTest, NoMatchBeepsAndTurnsRed) {
    Type(panel->eFind1(), "щ");
    EXPECT_EQ(platform.beeps, 1);
    EXPECT_EQ(panel->eFind1()->palette().color(QPalette::Base), QColor(Qt::red));
    EXPECT_EQ(panel->eFind1()->palette().color(QPalette::Text), QColor(Qt::white));
    QTest::keyClick(panel->eFind1(), Qt::Key_Backspace);
    EXPECT_EQ(panel->eFind1()->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(panel->eFind1()->palette().color(QPalette::Text), QColor(Qt::black));
}

TEST_F(RubricPanelTest, ClickChoosesTheRubricRowAndEnterIsPassedOn) {
    QSignalSpy chosen(panel.get(), &app::TRubricPanel::rubricChosen);
    QSignalSpy enter(panel.get(), &app::TRubricPanel::enterPressed);
    QListWidget* list = panel->dbBOXFind1();
    emit list->itemClicked(list->item(2));
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(dm.QJumps.FieldAsString("Name"), QString::fromUtf8("Кафе"));
    const auto r = rubrics.ChooseCurrentRubric("");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->Title, QString::fromUtf8("Рубрика: Кафе (1шт.)"));
    QTest::keyClick(panel->eFind1(), Qt::Key_Return);
    EXPECT_EQ(enter.count(), 1);
}

TEST_F(RubricPanelTest, DownArrowGoesToTheListAndArrowsThereChoose) {
    QSignalSpy chosen(panel.get(), &app::TRubricPanel::rubricChosen);
    panel->show();
    panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
    panel->eFind1()->setFocus();
    // Press and release each go to the widget that has the focus then, as a keyboard's do.
    QTest::keyPress(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), panel->dbBOXFind1());
    QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(chosen.count(), 0);
    EXPECT_EQ(panel->dbBOXFind1()->currentRow(), 0);
    QTest::keyClick(panel->dbBOXFind1(), Qt::Key_Down);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(dm.QJumps.FieldAsString("Name"), QString::fromUtf8("Бары"));
}

TEST_F(RubricPanelTest, EnterInTheListChoosesTheRubricTheKeysCameTo) {
    QSignalSpy chosen(panel.get(), &app::TRubricPanel::rubricChosen);
    panel->show();
    panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
    panel->eFind1()->setFocus();
    Type(panel->eFind1(), "каф"); // one rubric left: no other to move to
    QTest::keyPress(QApplication::focusWidget(), Qt::Key_Down);
    QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Down);
    ASSERT_EQ(QApplication::focusWidget(), panel->dbBOXFind1());
    EXPECT_EQ(chosen.count(), 0);
    QTest::keyPress(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(dm.QJumps.FieldAsString("Name"), QString::fromUtf8("Кафе"));
}

TEST_F(RubricPanelTest, AFilterTooLongToSearchIsSaidOnce) {
    QString words;
    for (int i = 0; i < 600; ++i) words += QString("к/а ");
    panel->eFind1()->setText(words);
    Type(panel->eFind1(), "б");
    Type(panel->eFind1(), "в");
    ASSERT_EQ(platform.messages.size(), 1);
    EXPECT_TRUE(platform.messages[0].startsWith(QString::fromUtf8("Слишком длинный")));
    EXPECT_EQ(Listed().size(), 3); // the list stays as it was
    panel->eFind1()->setText(QString::fromUtf8("каф"));
    EXPECT_EQ(Listed(), QStringList{"Кафе"});
}

} // namespace
