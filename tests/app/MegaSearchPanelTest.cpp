#include "TestSupport.h"

#include "app/AppGlobals.h"
#include "app/FindToolsDialog.h"
#include "app/MainForm.h"
#include "app/MegaSearchPanel.h"
#include "app/Navigator.h"
#include "app/RubricPanel.h"
#include "directory/DataModule.h"
#include "directory/DirectorySchema.h"
#include "directory/RubricQueries.h"
#include "platform/IniFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace tsivor;
using app::Globals;
using directory::TCriterion;

namespace {

// Keys as a keyboard sends them, to whichever widget has the focus then.
void Key(int key, const QString& text = QString()) {
    QWidget* w = QApplication::focusWidget();
    ASSERT_NE(w, nullptr);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(w, &press);
    QCoreApplication::sendEvent(w, &release);
}
void Type(const char* utf8) {
    for (QChar c : QString::fromUtf8(utf8))
        Key(c.unicode() < 128 ? QChar(c).toUpper().unicode() : int(Qt::Key_unknown), QString(c));
}

// 401 organisations "Орг N" (the last one "Орх"), each with an address and a rubric; houses
// 1, 10, 12А and 21; telephones 332..., ...332...
void WriteDirectory(const QString& dir) {
    directory::TDatabase db;
    QString error;
    ASSERT_TRUE(db.Open(dir + "/info.db", directory::TDatabase::Mode::Create, &error));
    ASSERT_TRUE(directory::CreateSchema(db, directory::DirectoryTables(), &error));
    QStringList sql = {"BEGIN", "INSERT INTO Topics VALUES (1, 'Кафе'), (2, 'Бары')",
                       "INSERT INTO Streets VALUES (1, 'Ленина'), (2, 'Мира')"};
    const char* houses[] = {"1", "10", "12А", "21", "5"};
    for (int id = 1; id <= 401; ++id) {
        const QString title = id == 401 ? QStringLiteral("Орх") : QStringLiteral("Орг %1").arg(id);
        sql << QStringLiteral("INSERT INTO Main (Id, Title, Memo) VALUES (%1, '%2', '%3')")
                   .arg(id)
                   .arg(title, id == 7 ? QStringLiteral("кафе у реки") : QString());
        sql << QStringLiteral("INSERT INTO Jumps VALUES (%1, %2, %1)").arg(id).arg(id % 2 + 1);
        sql << QStringLiteral("INSERT INTO Adr VALUES (%1, %1, %2, '', '%3', '', -1)")
                   .arg(id)
                   .arg(id % 2 + 1)
                   .arg(QString::fromUtf8(houses[id % 5]));
    }
    sql << "INSERT INTO Phones VALUES (1, 1, 'тел', '3321234', ''), (2, 2, 'тел', '1233200', '')";
    sql << "COMMIT";
    for (const QString& s : sql) ASSERT_TRUE(db.Exec(s, &error)) << error.toStdString();
}

class MegaSearchPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteDirectory(dir.path());
        QString error;
        ASSERT_TRUE(dm.OpenDirectory(dir.path(), &error)) << error.toStdString();
        Globals().StartPageClosed = true;
        panel = std::make_unique<app::TMegaSearchPanel>(dm, dir.filePath("tsivor.ini"));
        panel->OnResult = [this](const directory::TDirectoryResult& r) { results << r.Title; };
        panel->show();
        panel->activateWindow();
    }
    void TearDown() override { Globals().StartPageClosed = false; }

    void Focus(TCriterion c) {
        panel->Edit(c)->setFocus();
        QApplication::setActiveWindow(panel.get());
        ASSERT_EQ(QApplication::focusWidget(), panel->Edit(c));
    }
    QString Label() const { return panel->Label14->text(); }
    QString Button() const { return panel->bMegaFind->text(); }

    test::FakePlatform platform;
    QTemporaryDir dir;
    directory::Tdm dm;
    std::unique_ptr<app::TMegaSearchPanel> panel;
    QStringList results;
};

TEST_F(MegaSearchPanelTest, TypingBeforeTheStartPageIsClosedOnlyShowsNoFilter) {
    Globals().StartPageClosed = false;
    Focus(TCriterion::Name);
    Type("орг 1");
    EXPECT_EQ(Label(), "Задайте критерии для поиска");
    EXPECT_EQ(Button(), "Фильтр не задан");
    EXPECT_FALSE(panel->bMegaFind->isEnabled());
    EXPECT_FALSE(panel->bClear->isEnabled());
    // The tab becoming active later counts what was typed.
    Globals().StartPageClosed = true;
    panel->eNameChange();
    EXPECT_TRUE(panel->bMegaFind->isEnabled());
    EXPECT_EQ(Button(), "Отобразить результат");
}

TEST_F(MegaSearchPanelTest, ExactlyFourHundredEnableTheButtonFourHundredAndOneDoNot) {
    Focus(TCriterion::Name);
    Type("ор");
    EXPECT_EQ(Label(), "401 карточек удовлетворяют критериям поиска");
    EXPECT_EQ(Button(), "Более 400 записей");
    EXPECT_FALSE(panel->bMegaFind->isEnabled());
    Type("г");
    EXPECT_EQ(Label(), "400 карточек удовлетворяют критериям поиска");
    EXPECT_EQ(Button(), "Отобразить результат");
    EXPECT_TRUE(panel->bMegaFind->isEnabled());
    EXPECT_EQ(panel->Label14->palette().color(QPalette::WindowText), QColor(0, 128, 128));
    Type("щ");
    EXPECT_EQ(Button(), "Нет результатов");
    EXPECT_FALSE(panel->bMegaFind->isEnabled());
    EXPECT_EQ(panel->Label14->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(platform.beeps, 1);
}

TEST_F(MegaSearchPanelTest, HouseNumbersArePrefixes) {
    Focus(TCriterion::House);
    Type("1");
    // 1, 10 and 12А of every five; never 21.
    EXPECT_EQ(panel->LastCount(), 241);
    Type("2");
    EXPECT_EQ(panel->LastCount(), 80);
}

TEST_F(MegaSearchPanelTest, TelephoneSubstringSwitchReevaluatesAtOnce) {
    Focus(TCriterion::Phone);
    Type("332");
    EXPECT_EQ(panel->LastCount(), 1);
    QTest::mouseClick(panel->cbPhone, Qt::LeftButton);
    EXPECT_TRUE(panel->cbPhone->isChecked());
    EXPECT_EQ(panel->LastCount(), 2);
    EXPECT_EQ(panel->Edit(TCriterion::Phone)->maxLength(), 7);
}

TEST_F(MegaSearchPanelTest, TwoKeywordWordsInOneColumnAndSlashAlternatives) {
    Focus(TCriterion::Keyword);
    Type("кафе реки");
    EXPECT_EQ(panel->LastCount(), 1); // both in the comment of 7
    panel->Edit(TCriterion::Keyword)->clear();
    Type("кафе орг");
    EXPECT_EQ(panel->LastCount(), 0); // rubric and name are different columns
    panel->Edit(TCriterion::Keyword)->clear();
    Focus(TCriterion::Rubric);
    Type("бары/кафе");
    EXPECT_EQ(panel->LastCount(), 401);
}

TEST_F(MegaSearchPanelTest, EnterShowsTheResultOnlyWhileTheButtonIsEnabled) {
    Focus(TCriterion::Name);
    Type("ор");
    Key(Qt::Key_Return);
    EXPECT_TRUE(results.isEmpty());
    Type("г 40");
    Key(Qt::Key_Return);
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0], "Мегапоиск (5 шт.)"); // Орг 40, 140, 240, 340, 400
    EXPECT_EQ(dm.QMain.RecordCount(), 5);
}

TEST_F(MegaSearchPanelTest, RefusedCharactersBeepAndClearEmptiesEverything) {
    Focus(TCriterion::Street);
    Type("ле%н\"ина");
    EXPECT_EQ(panel->Edit(TCriterion::Street)->text(), "ленина");
    EXPECT_EQ(platform.beeps, 2);
    panel->bClear->click();
    for (int i = 0; i < directory::CriterionCount; ++i)
        EXPECT_TRUE(panel->Edit(TCriterion(i))->text().isEmpty());
    EXPECT_FALSE(panel->bClear->isEnabled());
    EXPECT_EQ(Label(), "Задайте критерии для поиска");
    EXPECT_EQ(Button(), "Фильтр не задан");
}

TEST_F(MegaSearchPanelTest, TuningColumnsAndTheFile) {
    Focus(TCriterion::Keyword);
    Type("кафе");
    EXPECT_EQ(panel->LastCount(), 201); // the even ones in Кафе, and 7 by its comment
    app::TFindToolsDialog& tools = *panel->FindTools;
    QTest::mouseClick(panel->sFindTools, Qt::LeftButton);
    EXPECT_TRUE(tools.isVisible());
    for (QCheckBox* b : {tools.ftComment, tools.ftTitle, tools.ftRubrica}) b->setChecked(false);
    tools.Button1->click();
    EXPECT_FALSE(tools.isVisible());
    EXPECT_FALSE(panel->sFindTools->isChecked());
    // No column: the keyword contributes nothing, every organisation is counted.
    EXPECT_EQ(panel->LastCount(), 401);
    platform::TIniFile ini(dir.filePath("tsivor.ini"));
    EXPECT_FALSE(ini.ReadBool("FindTools", "Title", true));
    EXPECT_TRUE(ini.ReadBool("FindTools", "Preview", false));
    // Defaults restored and closed without "Ок": the file keeps its values, the next
    // evaluation uses the boxes.
    QTest::mouseClick(panel->sFindTools, Qt::LeftButton);
    tools.Button2->click();
    tools.close();
    EXPECT_FALSE(panel->sFindTools->isChecked());
    EXPECT_FALSE(
        platform::TIniFile(dir.filePath("tsivor.ini")).ReadBool("FindTools", "Title", true));
    Focus(TCriterion::Keyword);
    Type(" ");
    EXPECT_EQ(panel->LastCount(), 201);
}

TEST_F(MegaSearchPanelTest, WithoutPreviewTheButtonSearchesAndRefusesTooMany) {
    panel->FindTools->ftPreview->setChecked(false);
    Focus(TCriterion::Name);
    Type("ор");
    EXPECT_EQ(Button(), "Найти");
    EXPECT_TRUE(panel->bMegaFind->isEnabled());
    Key(Qt::Key_Return);
    EXPECT_TRUE(results.isEmpty());
    EXPECT_EQ(Button(), "Более 400 записей");
    Type("х");
    Key(Qt::Key_Return);
    EXPECT_EQ(results, QStringList{"Мегапоиск (1 шт.)"});
}

} // namespace

namespace {

TEST_F(MegaSearchPanelTest, NothingFoundOffersWordsThatExist) {
    Focus(TCriterion::Rubric);
    Type("rfat"); // кафе on the Latin layout
    EXPECT_EQ(panel->LastCount(), 0);
    ASSERT_TRUE(panel->lSuggest->isVisible());
    EXPECT_TRUE(panel->lSuggest->text().contains("кафе")) << panel->lSuggest->text().toStdString();
    emit panel->lSuggest->linkActivated("0");
    EXPECT_EQ(panel->Edit(TCriterion::Rubric)->text(), "кафе");
    EXPECT_EQ(panel->LastCount(), 200);
    EXPECT_FALSE(panel->lSuggest->isVisible());
}

} // namespace

namespace {

// In the main window: the search shows its cards and title; Enter in the rubric filter runs it.
TEST(MegaSearchInTheMainWindow, EnterInTheRubricFilterShowsTheResult) {
    test::FakePlatform platform;
    QTemporaryDir dir;
    WriteDirectory(dir.path());
    directory::Tdm dm;
    app::TMainFormSettings s;
    s.ExeDir = dir.path();
    app::TFMainForm form(s, dm);
    form.resize(1200, 800);
    QString error;
    ASSERT_TRUE(form.FormCreate(&error)) << error.toStdString();
    form.show();
    Globals().StartPageClosed = true;
    form.MegaSearch->Edit(TCriterion::Name)->setText(QString::fromUtf8("орх"));
    ASSERT_TRUE(form.MegaSearch->bMegaFind->isEnabled());
    form.PageControl1->setCurrentIndex(0);
    form.RubricPanel->eFind1()->setFocus();
    QApplication::setActiveWindow(&form);
    Key(Qt::Key_Return);
    EXPECT_EQ(form.ResultTitle(), "Мегапоиск (1 шт.)");
    EXPECT_TRUE(form.CurrentResultKey().startsWith("Мегапоиск1:орх2:"));
    Globals().StartPageClosed = false;
}

} // namespace
