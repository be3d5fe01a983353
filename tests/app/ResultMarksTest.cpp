// The marks of a result on the sample map: one note per house with the ids of its
// organisations, pictures and layers by file and comment, one batch and one redraw, deleted
// at the next result without disturbing the indices of other objects, and selection.
#include "app/ResultMarks.h"

#include "IconPixels.h"
#include "TestSupport.h"
#include "mapview/DataMap.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace tsivor::app;
namespace mapview = tsivor::mapview;
namespace mapdata = tsivor::mapdata;

namespace {

class ResultMarksTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString deploy = tsivor::test::DeployDir();
        if (!QFileInfo::exists(deploy + "/info1.db")) GTEST_SKIP() << "no sample deployment";
        map.resize(800, 600);
        QString error;
        ASSERT_TRUE(map.MapLoad(deploy + "/info1.db", &error)) << error.toStdString();
        ASSERT_TRUE(icons.LoadIconLibrary(deploy + "/tsivor.lib", &error)) << error.toStdString();
        map.SetOrbMapIcon(&icons);
        for (int c = 0; c <= 99; ++c) map.SetCategoryVisible(c, true);
        map.SetFilter(true);
        base = map.ObjectCount();
        a = map.FindHouse(-1, QString(), "5", "Кленовая");
        b = map.FindHouse(-1, QString(), "10", "Гагарина");
        c = map.FindHouse(-1, QString(), "2", "Северная");
        ASSERT_GE(a, 0);
        ASSERT_GE(b, 0);
        ASSERT_GE(c, 0);
        marks.CurrentKey = [this] { return key; };
        marks.ShowByIds = [this](const QString& ids) {
            shown << ids;
            key = "По адресу" + ids;
            // The organisations of the mark fill the cards: their marks must not be touched.
            marks.OnBeforeFill();
            for (int id : {1, 2}) marks.OnHouseMarker(c, id, false, false);
            marks.OnAfterFill();
        };
    }
    // One result: organisations (id, house, file, comment) in card order.
    struct Org {
        int id, house;
        bool file = false, comment = false;
    };
    void Fill(const std::vector<Org>& orgs) {
        marks.OnBeforeFill();
        for (const Org& o : orgs) marks.OnHouseMarker(o.house, o.id, o.file, o.comment);
        marks.OnAfterFill();
    }
    mapdata::TORBMapZametka Note(int i) const {
        mapdata::TORBMapZametka z;
        EXPECT_TRUE(map.Object(i)->GetZametka(z));
        return z;
    }
    int MarkOf(int house) const {
        for (size_t k = 0; k < marks.Houses().size(); ++k)
            if (marks.Houses()[k] == house) return marks.Marks()[k];
        return -1;
    }
    double IconShownAt(const QString& pic, float x, float y) {
        const QImage* icon = icons.GetIcon("tsivor", pic);
        if (!icon) return 0;
        map.MapToScreen(x, y);
        return tsivor::test::IconPixelsShown(map.Picture(), *icon,
                                             QPoint(int(std::lround(x)), int(std::lround(y))));
    }
    double IconShown(int note) {
        const mapdata::TORBMapZametka z = Note(note);
        return IconShownAt(z.NamePic, z.X, z.Y);
    }

    tsivor::test::FakePlatform platform;
    mapview::TDataMap map;
    mapdata::TOrbIcon icons;
    TResultMarks marks{map};
    QString key;
    QStringList shown;
    int base = 0, a = -1, b = -1, c = -1;
};

TEST_F(ResultMarksTest, OneNotePerHouseListsItsOrganisationsWithPictureAndLayer) {
    Fill({{7, a},
          {8, b, false, true},
          {9, a, false, true},
          {10, a, true},
          {11, a, false, true},
          {12, c, false, true},
          {13, c, true},
          {7, a}});
    ASSERT_EQ(map.ObjectCount(), base + 3);
    EXPECT_EQ(marks.Houses(), (std::vector<int>{a, b, c}));
    EXPECT_EQ(marks.Marks(), (std::vector<int>{base, base + 1, base + 2}));
    const mapdata::TORBMapObjectMem& first = *map.Object(MarkOf(a));
    EXPECT_EQ(first.ObjectType, mapdata::cZametka);
    EXPECT_EQ(first.Category, 50);
    mapdata::TORBMapZametka z = Note(MarkOf(a));
    EXPECT_EQ(z.NameLib, "tsivor");
    EXPECT_EQ(z.Text, "7;9;10;11;"); // an organisation listed twice at a house counts once
    // A file anywhere at the house wins, also over a comment that comes after it.
    EXPECT_EQ(z.NamePic, "!-1");
    EXPECT_EQ(first.Layer, 51);
    EXPECT_FLOAT_EQ(z.X, map.Object(a)->CenterX);
    EXPECT_FLOAT_EQ(z.Y, map.Object(a)->CenterY);
    // A comment only: the comment's picture and its layer, also when it joins a mark.
    EXPECT_EQ(Note(MarkOf(b)).NamePic, "I-1");
    EXPECT_EQ(map.Object(MarkOf(b))->Layer, 52);
    EXPECT_EQ(Note(MarkOf(c)).Text, "12;13;");
    EXPECT_EQ(Note(MarkOf(c)).NamePic, "!-1");
    EXPECT_EQ(map.Object(MarkOf(c))->Layer, 51);
    Fill({{1, a}, {2, a, false, true}});
    EXPECT_EQ(Note(MarkOf(a)).NamePic, "I-1");
    EXPECT_EQ(map.Object(MarkOf(a))->Layer, 52);
    Fill({{1, b}});
    EXPECT_EQ(Note(MarkOf(b)).NamePic, "F-1");
    EXPECT_EQ(map.Object(MarkOf(b))->Layer, 50);
}

TEST_F(ResultMarksTest, AResultIsPlacedInOneRedrawAndTheNextOneTakesItsMarksAway) {
    map.ZoomToObjects({a}, 400);
    map.Redraw();
    const int frames = map.RedrawLog().FullFrames;
    Fill({{1, a}, {2, b}, {3, c, true}});
    EXPECT_EQ(map.RedrawLog().FullFrames, frames + 1);
    EXPECT_GT(IconShown(MarkOf(a)), 0.6); // drawn on the map, not only listed
    const float ax = map.Object(a)->CenterX, ay = map.Object(a)->CenterY;
    Fill({{4, c}});
    EXPECT_EQ(map.RedrawLog().FullFrames, frames + 2);
    EXPECT_EQ(map.ObjectCount(), base + 1);
    EXPECT_EQ(marks.Houses(), std::vector<int>{c});
    EXPECT_EQ(Note(base).Text, "4;");
    EXPECT_LT(IconShownAt("F-1", ax, ay), 0.3); // gone from the picture too
    Fill({});
    EXPECT_EQ(map.ObjectCount(), base);
    EXPECT_TRUE(marks.Marks().empty());
}

TEST_F(ResultMarksTest, IdsOfNoObjectOrOfNoHouseLeaveNoMark) {
    int text = -1;
    for (int i = 0; i < base && text < 0; ++i)
        if (map.Object(i)->ObjectType == mapdata::cText) text = i;
    ASSERT_GE(text, 0);
    // The last one is the index the mark of the first receives.
    Fill({{1, a}, {2, -1}, {3, base + 50}, {4, 1 << 30}, {5, text}, {6, base}});
    EXPECT_EQ(map.ObjectCount(), base + 1);
    EXPECT_EQ(marks.Houses(), std::vector<int>{a});
    EXPECT_EQ(Note(base).Text, "1;");
    EXPECT_TRUE(platform.messages.isEmpty());
}

TEST_F(ResultMarksTest, DeletingMarksKeepsTheIndicesOfLaterObjects) {
    Fill({{1, a}});
    // A house drawn after the first mark, then marked itself: its index follows a mark.
    map.LoadBuffer(b);
    map.CloneBuffer(300, 0);
    const int late = map.ObjectCount() - 1;
    ASSERT_EQ(late, base + 1);
    std::vector<int> deleted;
    marks.OnObjectDeleted = [&](int i) { deleted.push_back(i); };
    // Reuse the first result's marks for the late house too: the same batch, marks in between.
    marks.OnHouseMarker(late, 2, false, false);
    marks.OnAfterFill();
    ASSERT_EQ(marks.Marks(), (std::vector<int>{base, base + 2}));
    map.SetBlinkObjects({a, late});
    const auto lateId = map.Object(late)->ID;
    Fill({{3, a}});
    EXPECT_EQ(deleted, (std::vector<int>{base + 2, base}));
    // The late house moved into the first mark's place; the blink list went with it.
    EXPECT_EQ(map.Object(base)->ID, lateId);
    EXPECT_EQ(map.BlinkObjects(), (std::vector<int>{a, base}));
    EXPECT_EQ(marks.Marks(), std::vector<int>{base + 1});
    EXPECT_EQ(Note(base + 1).Text, "3;");
    // Marks of the late house at its new index, among marks of earlier houses.
    Fill({{4, base}, {5, a}});
    EXPECT_EQ(marks.Houses(), (std::vector<int>{base, a}));
    EXPECT_EQ(Note(MarkOf(base)).Text, "4;");
    EXPECT_EQ(map.ObjectCount(), base + 3);
}

TEST_F(ResultMarksTest, SelectingAMarkShowsItsOrganisationsAndPutsThePreviousOneBack) {
    Fill({{1, a}, {2, a, true}, {3, b, false, true}, {4, c}});
    const int ma = MarkOf(a), mb = MarkOf(b), mc = MarkOf(c);
    marks.SelectMark(ma);
    EXPECT_EQ(Note(ma).NamePic, "!-1-B");
    EXPECT_EQ(map.Object(ma)->Layer, 54);
    EXPECT_EQ(shown, QStringList{"1;2;"});
    // The organisations of the mark are on show: the marks of the result stay as they were.
    EXPECT_EQ(marks.Marks(), (std::vector<int>{ma, mb, mc}));
    EXPECT_TRUE(marks.Handling());
    EXPECT_EQ(map.ObjectCount(), base + 3);
    // Again: the same organisations are not shown again.
    marks.SelectMark(ma);
    EXPECT_EQ(shown.size(), 1);
    EXPECT_EQ(map.Object(ma)->Layer, 54);
    marks.SelectMark(mb);
    EXPECT_EQ(Note(ma).NamePic, "!-1");
    EXPECT_EQ(map.Object(ma)->Layer, 51);
    EXPECT_EQ(Note(mb).NamePic, "I-1-B");
    EXPECT_EQ(map.Object(mb)->Layer, 55);
    EXPECT_EQ(shown.last(), "3;");
    EXPECT_GT(IconShown(mb), 0.0); // drawn with the selected picture
    // Something that is not a note selects nothing and shows nothing.
    marks.SelectMark(a);
    EXPECT_EQ(shown.size(), 2);
    EXPECT_EQ(map.Object(mb)->Layer, 52);
}

TEST_F(ResultMarksTest, AnotherMapInPlaceKeepsItsObjects) {
    Fill({{1, a}, {2, b}});
    QString error;
    ASSERT_TRUE(map.MapLoad(tsivor::test::DeployDir() + "/info1.db", &error));
    // Its own objects where the marks were.
    map.LoadBuffer(b);
    map.CloneBuffer(100, 0);
    map.LoadBuffer(b);
    map.CloneBuffer(200, 0);
    const int count = map.ObjectCount();
    ASSERT_EQ(count, base + 2);
    Fill({{3, c}});
    EXPECT_EQ(map.ObjectCount(), count + 1);
    EXPECT_EQ(marks.Houses(), std::vector<int>{c});
}

TEST(MarkPictures, LayersAndPicturesOfEveryKind) {
    EXPECT_EQ(MarkLayer(TMarkKind::Plain, false), 50);
    EXPECT_EQ(MarkLayer(TMarkKind::File, false), 51);
    EXPECT_EQ(MarkLayer(TMarkKind::Comment, true), 55);
    EXPECT_EQ(MarkPicture(TMarkKind::File, true), "!-1-B");
    bool selected = false;
    EXPECT_EQ(MarkKindOfLayer(53, &selected), TMarkKind::Plain);
    EXPECT_TRUE(selected);
    EXPECT_FALSE(MarkKindOfLayer(56).has_value());
    std::vector<int> v{3, 7, 5, 9};
    FollowRemoval(v, 5);
    EXPECT_EQ(v, (std::vector<int>{3, 6, 8}));
}

} // namespace
