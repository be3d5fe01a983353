// The marks of a result through the main window on the sample deployment: a rubric chosen as
// a user does marks its houses, the next result replaces them, a right click on a mark shows
// its organisations, and the history brings the marks of each result back.
#include "app/AppGlobals.h"
#include "app/MainForm.h"
#include "app/Navigator.h"
#include "app/RubricPanel.h"

#include "IconPixels.h"
#include "TestSupport.h"
#include "directory/DataModule.h"
#include "directory/Database.h"
#include "mapview/DataMap.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QSet>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <map>

using namespace tsivor::app;
namespace mapview = tsivor::mapview;
namespace mapdata = tsivor::mapdata;

namespace {

// What the marks of a rubric must be, read from the directory file itself: for every house
// the ids of its organisations and the picture.
struct TExpectedMark {
    QSet<int> Ids;
    QString Picture = "F-1";
};

std::map<int, TExpectedMark> ExpectedMarks(const QString& dbPath, const QString& rubric,
                                           int objectCount) {
    tsivor::directory::TDatabase db;
    QString error;
    EXPECT_TRUE(db.Open(dbPath, tsivor::directory::TDatabase::Mode::ReadOnly, &error));
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db.Handle(),
                       "SELECT Main.Id, length(Main.File) > 1, length(Main.Memo) > 3, Main.ids "
                       "FROM Main WHERE Main.Id IN (SELECT Jumps.Id_Main FROM Jumps JOIN Topics "
                       "ON Topics.id = Jumps.Id_Topic WHERE Topics.Name = ?1)",
                       -1, &st, nullptr);
    const QByteArray name = rubric.toUtf8();
    sqlite3_bind_text(st, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    std::map<int, TExpectedMark> out;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const int id = sqlite3_column_int(st, 0);
        const bool file = sqlite3_column_int(st, 1) != 0, memo = sqlite3_column_int(st, 2) != 0;
        const QString ids =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 3)));
        for (const QString& p : ids.split(';', Qt::SkipEmptyParts)) {
            const int house = p.toInt();
            if (house < 0 || house >= objectCount) continue;
            TExpectedMark& m = out[house];
            m.Ids.insert(id);
            if (file)
                m.Picture = "!-1";
            else if (memo && m.Picture == "F-1")
                m.Picture = "I-1";
        }
    }
    sqlite3_finalize(st);
    return out;
}

class ResultMarksWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        deploy = tsivor::test::DeployDir();
        if (!QFileInfo::exists(deploy + "/info.db") || !QFileInfo::exists(deploy + "/info1.db"))
            GTEST_SKIP() << "no sample deployment";
        TMainFormSettings s;
        s.ExeDir = deploy;
        s.IndexedMapObjects = indexFrom;
        form = std::make_unique<TFMainForm>(s, dm);
        QString error;
        ASSERT_TRUE(form->FormCreate(&error)) << error.toStdString();
        form->setWindowState(Qt::WindowNoState);
        form->resize(1400, 900);
        form->show();
        for (int i = 0; i < 50 && !form->Ready(); ++i) QCoreApplication::processEvents();
        ASSERT_TRUE(form->Ready());
        Globals().StartPageClosed = true;
        map = form->DataMap1;
        base = 0;
        for (int i = 0; i < map->ObjectCount(); ++i)
            if (map->Object(i)->Category != 50) base = i + 1;
    }
    void TearDown() override { Globals().StartPageClosed = false; }

    // The user types the start of the rubric into the filter and clicks it in the list.
    void ClickRubric(const QString& name) {
        form->PageControl1->setCurrentIndex(0);
        QLineEdit* filter = form->RubricPanel->eFind1();
        filter->setFocus();
        filter->clear();
        for (const QChar ch : name.left(4)) { // Cyrillic letters: press and release with text
            QWidget* w = QApplication::focusWidget();
            QTest::sendKeyEvent(QTest::Press, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
        QListWidget* list = form->RubricPanel->dbBOXFind1();
        QListWidgetItem* item = list->findItems(name, Qt::MatchExactly).value(0);
        ASSERT_NE(item, nullptr) << name.toStdString();
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(item).center());
    }
    // The mark notes on the map by the point they stand on.
    std::map<std::pair<float, float>, int> MarksOnMap() const {
        std::map<std::pair<float, float>, int> out;
        for (int i = 0; i < map->ObjectCount(); ++i) {
            mapdata::TORBMapZametka z;
            if (map->Object(i)->Category == 50 && map->Object(i)->GetZametka(z))
                out[{z.X, z.Y}] = i;
        }
        return out;
    }
    mapdata::TORBMapZametka Note(int i) const {
        mapdata::TORBMapZametka z;
        EXPECT_TRUE(map->Object(i)->GetZametka(z));
        return z;
    }
    QSet<int> IdsOf(const QString& text) const {
        QSet<int> s;
        for (const QString& p : text.split(';', Qt::SkipEmptyParts)) s.insert(p.toInt());
        return s;
    }
    // Every expected house has its one mark with the ids and the picture; nothing else.
    void ExpectMarksOf(const QString& rubric) {
        const auto expected = ExpectedMarks(deploy + "/info.db", rubric, base);
        ASSERT_FALSE(expected.empty());
        const auto onMap = MarksOnMap();
        EXPECT_EQ(onMap.size(), expected.size()) << rubric.toStdString();
        EXPECT_EQ(map->ObjectCount(), base + int(expected.size()));
        for (const auto& [house, mark] : expected) {
            const auto* h = map->Object(house);
            const auto it = onMap.find({h->CenterX, h->CenterY});
            ASSERT_NE(it, onMap.end()) << "house " << house;
            const mapdata::TORBMapZametka z = Note(it->second);
            EXPECT_EQ(IdsOf(z.Text), mark.Ids) << z.Text.toStdString();
            EXPECT_EQ(z.NamePic, mark.Picture) << "house " << house;
            EXPECT_EQ(z.NameLib, "tsivor");
            const int layer = map->Object(it->second)->Layer;
            EXPECT_EQ(layer, mark.Picture == "F-1" ? 50 : mark.Picture == "!-1" ? 51 : 52);
        }
    }
    QPoint PixelOf(float x, float y) const {
        map->MapToScreen(x, y);
        return {int(std::lround(x)), int(std::lround(y))};
    }
    // How much of note i's picture the map's image shows.
    double IconShown(int i) const {
        const mapdata::TORBMapZametka z = Note(i);
        const QImage* icon = map->Icons().GetIcon("tsivor", z.NamePic);
        return icon ? tsivor::test::IconPixelsShown(map->Picture(), *icon, PixelOf(z.X, z.Y)) : 0;
    }
    // The pointer goes there first (from beside it: a move to where the cursor already is
    // sends nothing).
    void PointAt(QPoint at) {
        QTest::mouseMove(map, at + QPoint(3, 3));
        QTest::mouseMove(map, at);
    }
    void RightClickAt(QPoint at) {
        PointAt(at);
        QTest::mousePress(map, Qt::RightButton, {}, at);
        QTest::mouseRelease(map, Qt::RightButton, {}, at);
    }

    tsivor::test::FakePlatform platform;
    tsivor::directory::Tdm dm;
    int indexFrom = 100000; // the sample town is far smaller: no index
    QString deploy;
    std::unique_ptr<TFMainForm> form;
    mapview::TDataMap* map = nullptr;
    int base = 0;
};

TEST_F(ResultMarksWindowTest, ARubricMarksItsHousesAndTheNextOneReplacesThem) {
    QCoreApplication::processEvents();
    EXPECT_FALSE(map->UseIndex());
    ClickRubric("Кафе");
    ASSERT_TRUE(form->ResultTitle().startsWith("Рубрика: Кафе"))
        << form->ResultTitle().toStdString();
    ExpectMarksOf("Кафе");
    // Drawn: the picture of a mark is on the map image where the mark stands.
    const auto onMap = MarksOnMap();
    const int mark = onMap.begin()->second;
    map->ZoomToObjects({mark}, 300);
    map->Redraw();
    EXPECT_GT(IconShown(mark), 0.6);

    ClickRubric("Аптеки");
    ASSERT_TRUE(form->ResultTitle().startsWith("Рубрика: Аптеки"));
    ExpectMarksOf("Аптеки");
    EXPECT_TRUE(platform.messages.isEmpty()) << platform.messages.join('|').toStdString();
}

TEST_F(ResultMarksWindowTest, ARightClickOnAMarkSelectsItAndListsItsOrganisations) {
    ClickRubric("Кафе");
    const int marksOfRubric = map->ObjectCount() - base;
    // A mark of two organisations at one house, if the rubric has one, else the first.
    int mark = MarksOnMap().begin()->second;
    for (const auto& [at, i] : MarksOnMap())
        if (IdsOf(Note(i).Text).size() > 1) mark = i;
    const mapdata::TORBMapZametka z = Note(mark);
    const int layer = map->Object(mark)->Layer;
    map->ZoomToObjects({mark}, 300);
    map->Redraw();
    RightClickAt(PixelOf(z.X, z.Y));
    EXPECT_EQ(map->Object(mark)->Layer, layer + 3);
    EXPECT_EQ(Note(mark).NamePic, z.NamePic + "-B");
    const int n = int(IdsOf(z.Text).size());
    EXPECT_EQ(form->Navigator->ItemsCount(), n);
    EXPECT_EQ(form->ResultTitle(), QString("Выборка по карте (%1 шт.)").arg(n));
    EXPECT_EQ(form->CurrentResultKey(), "По адресу" + z.Text);
    QSet<int> cards;
    for (int i = 0; i < form->Navigator->ItemsCount(); ++i)
        cards.insert(form->Navigator->Item(i)->FOrgId);
    EXPECT_EQ(cards, IdsOf(z.Text));
    // The marks of the rubric stay while the organisations of one of them are shown.
    EXPECT_EQ(map->ObjectCount() - base, marksOfRubric);
    EXPECT_GT(IconShown(mark), 0.6);

    // Another mark: the first goes back.
    int other = -1;
    for (const auto& [at, i] : MarksOnMap())
        if (i != mark) other = i;
    ASSERT_GE(other, 0);
    const mapdata::TORBMapZametka oz = Note(other);
    map->ZoomToObjects({other}, 300);
    map->Redraw();
    RightClickAt(PixelOf(oz.X, oz.Y));
    EXPECT_EQ(map->Object(mark)->Layer, layer);
    EXPECT_EQ(Note(mark).NamePic, z.NamePic);
    EXPECT_EQ(Note(other).NamePic, oz.NamePic + "-B");
    EXPECT_EQ(form->CurrentResultKey(), "По адресу" + oz.Text);
}

TEST_F(ResultMarksWindowTest, ALeftClickOnAMarkSelectsItAndADragDoesNot) {
    ClickRubric("Кафе");
    const QString rubricKey = form->CurrentResultKey();
    const int mark = MarksOnMap().begin()->second;
    const mapdata::TORBMapZametka z = Note(mark);
    map->ZoomToObjects({mark}, 300);
    map->Redraw();
    const QPoint at = PixelOf(z.X, z.Y);
    // A drag that starts on the mark moves the map and leaves the result.
    PointAt(at);
    QTest::mousePress(map, Qt::LeftButton, {}, at);
    QTest::mouseMove(map, at + QPoint(40, 30));
    QTest::mouseRelease(map, Qt::LeftButton, {}, at + QPoint(40, 30));
    EXPECT_EQ(form->CurrentResultKey(), rubricKey);
    EXPECT_EQ(Note(mark).NamePic, z.NamePic);
    const QPoint moved = PixelOf(z.X, z.Y);
    ASSERT_NE(moved, at);
    PointAt(moved);
    QTest::mousePress(map, Qt::LeftButton, {}, moved);
    QTest::mouseRelease(map, Qt::LeftButton, {}, moved);
    EXPECT_EQ(Note(mark).NamePic, z.NamePic + "-B");
    EXPECT_EQ(form->CurrentResultKey(), "По адресу" + z.Text);
    EXPECT_EQ(form->Navigator->ItemsCount(), int(IdsOf(z.Text).size()));
}

TEST_F(ResultMarksWindowTest, BackAndForwardBringTheMarksOfEachResultBack) {
    ClickRubric("Кафе");
    ClickRubric("Аптеки");
    QTest::mouseClick(form->sbNavigatorPrev, Qt::LeftButton);
    ASSERT_TRUE(form->ResultTitle().startsWith("Рубрика: Кафе"));
    ExpectMarksOf("Кафе");
    QTest::mouseClick(form->sbNavigatorNext, Qt::LeftButton);
    ASSERT_TRUE(form->ResultTitle().startsWith("Рубрика: Аптеки"));
    ExpectMarksOf("Аптеки");
}

// The same window on a map counted as large: from its first frame on it works through the index.
class IndexedMapWindowTest : public ResultMarksWindowTest {
protected:
    void SetUp() override {
        indexFrom = 1000;
        ResultMarksWindowTest::SetUp();
    }
};

TEST_F(IndexedMapWindowTest, TheIndexComesOnAfterTheFirstFrameAndChangesNothingShown) {
    for (int i = 0; i < 20 && !map->UseIndex(); ++i) QCoreApplication::processEvents();
    ASSERT_TRUE(map->UseIndex());
    ClickRubric("Кафе");
    ASSERT_TRUE(form->ResultTitle().startsWith("Рубрика: Кафе"));
    ExpectMarksOf("Кафе"); // placed through the edit buffer, the index kept
    const int mark = MarksOnMap().begin()->second;
    map->ZoomToObjects({mark}, 300);
    map->Redraw();
    const QImage indexed = map->Picture();
    map->SetUseIndex(false);
    map->MarkDirty();
    map->Redraw();
    EXPECT_EQ(map->Picture(), indexed);
    map->SetUseIndex(true);

    // A right click on the mark finds it through the index and lists its organisations.
    const mapdata::TORBMapZametka z = Note(mark);
    RightClickAt(PixelOf(z.X, z.Y));
    EXPECT_EQ(Note(mark).NamePic, z.NamePic + "-B");
    EXPECT_EQ(form->Navigator->ItemsCount(), int(IdsOf(z.Text).size()));
}

} // namespace
