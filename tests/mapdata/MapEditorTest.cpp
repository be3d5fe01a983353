// The edit buffer, the document changes it makes with their events, and the undo journal.

#include "mapdata/MapEditor.h"

#include "TestMaps.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace tsivor::mapdata {
namespace {

using namespace testmaps;

// Records the editor's calls on the view in order.
class EditHost : public TMapEditHost {
public:
    TMapDocument& Document() override { return doc; }
    bool LockedOption() const override { return locked; }
    int UndoLevels() const override { return levels; }
    uint8_t NewObjectType() const override { return newType; }
    double Scale() const override { return scale; }
    void MarkDirty() override { ++dirty; }
    void SyncLinkedMaps() override { ++syncs; }
    void ClearSelection() override { calls << "ClearSelection"; }
    void AfterAppendObject() override { calls << "AfterAppend"; }
    void BeforePostObject() override { calls << "BeforePost"; }
    void AfterPostObject() override { calls << "AfterPost"; }
    void BeforeDelete(const TORBMapObjectMem& o) override {
        calls << QStringLiteral("BeforeDelete(%1)").arg(o.ID);
    }
    void AfterDelete(const TORBMapObjectMem& o) override {
        calls << QStringLiteral("AfterDelete(%1)").arg(o.ID);
        deletedHadData = o.HasData();
    }
    void UndoAction(bool active) override { undo << active; }

    TMapDocument doc;
    bool locked = false;
    int levels = 20;
    uint8_t newType = cPolygon;
    double scale = 100;
    int dirty = 0;
    int syncs = 0;
    bool deletedHadData = false;
    QStringList calls;
    QList<bool> undo;
};

struct Editing : ::testing::Test {
    Editing() {
        host.doc.Header.NextId = 100;
        host.doc.Index.SetActive(true);
    }
    // A new square posted through the buffer; returns its index.
    int AddSquare(float x, float y, float side = 10, int layer = 0) {
        ed.ClearBuffer();
        ed.Buffer().Object.Layer = layer;
        ed.SetBufferPoint(0, x, y);
        ed.SetBufferPoint(1, x + side, y);
        ed.SetBufferPoint(2, x + side, y + side);
        ed.SetBufferPoint(3, x, y + side);
        ed.PostBuffer();
        return ed.Buffer().CurrentIndex;
    }
    void ExpectIndexesCurrent() {
        EXPECT_TRUE(host.doc.Index.MatchesRebuild());
        EXPECT_TRUE(host.doc.StreetIndex().MatchesRebuild(host.doc.Objects));
        EXPECT_TRUE(host.doc.Column().Matches(host.doc.Objects));
        EXPECT_EQ(host.doc.Header.ObjectCount, host.doc.ObjectCount());
    }

    test::FakePlatform platform;
    EditHost host;
    TMapEditor ed{host};
};

TEST_F(Editing, ClearBufferPreparesANewObjectOfTheTool) {
    host.newType = cLine;
    ed.ClearBuffer();
    const TEditBuffer& b = ed.Buffer();
    EXPECT_TRUE(b.Loaded);
    EXPECT_EQ(b.CurrentIndex, 0);
    EXPECT_EQ(b.Object.ID, 100);
    EXPECT_EQ(b.Object.ObjectType, cLine);
    EXPECT_EQ(b.Object.Pen.Color, 0x00FFFFFFu);
    EXPECT_EQ(b.Object.Brush.Style, 1);
    EXPECT_EQ(b.Object.Alpha, 255);
    EXPECT_EQ(host.calls, QStringList{"AfterAppend"});
    EXPECT_EQ(host.dirty, 1);
}

TEST_F(Editing, PostingAnEmptyBufferWritesNothingButFiresBothEvents) {
    ed.ClearBuffer();
    host.calls.clear();
    ed.PostBuffer();
    EXPECT_EQ(host.calls, (QStringList{"BeforePost", "AfterPost"}));
    EXPECT_EQ(host.doc.ObjectCount(), 0);
    EXPECT_EQ(host.doc.Header.NextId, 100);
    EXPECT_EQ(host.doc.Extent, TMapExtent{}); // not pulled to the origin by an empty box
}

TEST_F(Editing, AppendTakesNextIdAndReplaceKeepsIt) {
    EXPECT_EQ(AddSquare(50, 60), 0);
    EXPECT_EQ(host.doc.Header.NextId, 101);
    const TORBMapObjectMem& o = *host.doc.Object(0);
    EXPECT_EQ(o.ID, 100);
    EXPECT_FLOAT_EQ(o.CenterX, 55);
    EXPECT_FLOAT_EQ(o.CenterY, 65);
    EXPECT_EQ(host.doc.Extent, (TMapExtent{50, 60, 60, 70}));

    ed.LoadBuffer(0);
    ed.SetBufferPoint(2, 500, 500);
    EXPECT_FLOAT_EQ(host.doc.Object(0)->Points[2].X, 60); // the list record is untouched
    ed.PostBuffer();
    EXPECT_EQ(host.doc.ObjectCount(), 1);
    EXPECT_EQ(host.doc.Object(0)->ID, 100);
    EXPECT_FLOAT_EQ(host.doc.Object(0)->Box[2].X, 500);
    EXPECT_EQ(host.doc.Header.NextId, 101);
    EXPECT_EQ(host.doc.Extent, (TMapExtent{50, 60, 500, 500}));
    ExpectIndexesCurrent();
    // Found where it now is.
    const auto& near = host.doc.Index.Query(490, 490, 491, 491);
    EXPECT_EQ(std::count(near.begin(), near.end(), 0), 1);
}

TEST_F(Editing, PointRulesOfTheBuffer) {
    ed.ClearBuffer();
    ed.SetBufferPoint(7, 1, 1); // no points yet: one point, whatever the index
    ed.SetBufferPoint(1, 2, 2);
    EXPECT_EQ(ed.Buffer().Object.Count, 2);
    ed.SetBufferPoint(5, 3, 3); // appends a third point, not a sixth
    EXPECT_EQ(ed.Buffer().Object.Count, 3);
    ed.InsertBufferPoint(0, 0, 0);
    ed.InsertBufferPoint(4, 9, 9);
    float x = 0, y = 0;
    ASSERT_TRUE(ed.GetBufferPoint(0, x, y));
    EXPECT_EQ(x, 0);
    ASSERT_TRUE(ed.GetBufferPoint(4, x, y));
    EXPECT_EQ(x, 9);
    EXPECT_FALSE(ed.GetBufferPoint(5, x, y));
    for (int i = 0; i < 5; ++i) ed.DeleteBufferPoint(0);
    EXPECT_EQ(ed.Buffer().Object.Count, 0);
    EXPECT_FALSE(ed.Buffer().Object.Points);
    ed.DeleteBufferPoint(0); // nothing left: nothing happens

    host.newType = cZametka;
    ed.ClearBuffer();
    ed.SetBufferPoint(0, 1, 1); // notes have no points
    EXPECT_EQ(ed.Buffer().Object.Count, 0);

    host.newType = cPolygon;
    ed.ClearBuffer();
    ed.Buffer().Object.Locked = 1;
    host.locked = true;
    ed.SetBufferPoint(0, 1, 1);
    EXPECT_EQ(ed.Buffer().Object.Count, 0);
}

TEST_F(Editing, TextNoteAndBitmapBlocks) {
    host.newType = cText;
    ed.ClearBuffer();
    ed.SetBufferText({10, 20, 450, 1, 12, QStringLiteral("Мира")});
    EXPECT_EQ(ed.Buffer().Object.Count, 4 + 22);
    TORBMapText t;
    ASSERT_TRUE(ed.GetBufferText(t));
    EXPECT_EQ(t.Text, QStringLiteral("Мира"));
    EXPECT_EQ(t.Angle, 450);
    TORBMapZametka z;
    EXPECT_FALSE(ed.GetBufferNote(z));
    ed.SetBufferNote({1, 2, "DEFAULT", "1", "x"}); // wrong type: nothing
    EXPECT_EQ(ed.Buffer().Object.ObjectType, cText);
    ed.PostBuffer();
    EXPECT_EQ(host.doc.ObjectCount(), 1);
    EXPECT_FLOAT_EQ(host.doc.Object(0)->CenterX, 10); // corner 0 for texts

    ed.ClearBuffer();
    ed.SetBufferText({10, 20, 0, 0, 12, QString()});
    ed.PostBuffer(); // a text without characters is not written
    EXPECT_EQ(host.doc.ObjectCount(), 1);

    host.newType = cZametka;
    ed.ClearBuffer();
    const QString longName(40, QChar('N'));
    ed.SetBufferNote({5, 6, longName, longName, QStringLiteral("Аптека")});
    ASSERT_TRUE(ed.GetBufferNote(z));
    EXPECT_EQ(z.NameLib.size(), 30);
    EXPECT_EQ(z.NamePic.size(), 30);
    EXPECT_EQ(ed.Buffer().Object.Count, 6 + 75);

    host.newType = cBitmap;
    ed.ClearBuffer();
    TORBMapBitmap b;
    EXPECT_FALSE(ed.GetBufferBitmap(b));
    b.Corners[0] = {100, 200};
    b.Transparent = 1;
    b.Image = QByteArray(54, '\0');
    // A BMP of 30 x 20 pixels at 2000 x 500 pixels per metre.
    auto put = [&](int at, int32_t v) { std::memcpy(b.Image.data() + at, &v, 4); };
    put(14 + 4, 30);
    put(14 + 8, -20);
    put(14 + 24, 2000);
    put(14 + 28, 0);
    ed.FitBitmapToImage(b);
    EXPECT_EQ(b.Corners[1], (TORBMapPoint{115, 200}));
    EXPECT_EQ(b.Corners[2], (TORBMapPoint{115, 220}));
    EXPECT_EQ(b.Corners[3], (TORBMapPoint{100, 220}));
    ed.SetBufferBitmap(b);
    EXPECT_EQ(ed.Buffer().Object.Count, kBitmapHeadSize);
    TORBMapBitmap back;
    ASSERT_TRUE(ed.GetBufferBitmap(back));
    EXPECT_EQ(back.Transparent, 1);
    EXPECT_EQ(back.Image.size(), 54);
}

TEST_F(Editing, AddressesArePostedThroughGetOrAdd) {
    ed.ClearBuffer();
    ed.SetBufferPoint(0, 1, 1);
    ed.SetBufferAddress({QStringLiteral("заречинск"), QString(), QString(),
                         QStringLiteral(" Мира "), QStringLiteral("7 ")});
    ed.PostBuffer();
    const TORBMapObjectMem& o = *host.doc.Object(0);
    ASSERT_EQ(o.HasAddress, 1);
    // Street empty and Street1 set: the second street becomes the first.
    EXPECT_EQ(o.Address->StreetCode, 0);
    EXPECT_EQ(o.Address->House, QByteArray("7"));
    EXPECT_EQ(o.Address->Street1Code, -1);
    EXPECT_EQ(o.Address->TownCode, 0);
    EXPECT_EQ(host.doc.Towns.At(0).Name, QStringLiteral("ЗАРЕЧИНСК"));
    EXPECT_EQ(host.doc.Header.NextTownCode, 1);
    EXPECT_EQ(host.doc.StreetIndex().Objects(0), std::vector<int32_t>{0});

    ed.LoadBuffer(0);
    EXPECT_EQ(ed.Buffer().Address.Street, QStringLiteral("МИРА"));
    ed.SetBufferAddress({});
    ed.PostBuffer(); // no names left: the address goes
    EXPECT_EQ(host.doc.Object(0)->HasAddress, 0);
    EXPECT_FALSE(host.doc.Object(0)->Address);
    EXPECT_TRUE(host.doc.StreetIndex().Objects(0).empty());

    ed.SetBufferAddress({{}, "A", QString(20, QChar('9')), {}, {}});
    EXPECT_EQ(ed.Buffer().Address.House.size(), 12);
}

TEST_F(Editing, DeleteFiresItsEventsAndUnloadsTheBuffer) {
    AddSquare(0, 0);
    AddSquare(2000, 0);
    AddSquare(4000, 0);
    ed.LoadBuffer(1);
    host.calls.clear();
    ed.DeleteObject(1, true);
    EXPECT_EQ(host.calls, (QStringList{"BeforeDelete(101)", "ClearSelection", "AfterDelete(101)"}));
    EXPECT_FALSE(host.deletedHadData);
    EXPECT_FALSE(ed.Buffer().Loaded);
    EXPECT_EQ(host.doc.ObjectCount(), 2);
    EXPECT_EQ(host.doc.Object(1)->ID, 102);
    ExpectIndexesCurrent();
    host.calls.clear();
    ed.PostBuffer();
    EXPECT_EQ(platform.messages, QStringList{QString::fromUtf8(kNoObjectInBuffer)});
    EXPECT_TRUE(host.calls.isEmpty());

    ed.DeleteObject(5, false); // outside the list
    host.doc.Object(0)->Locked = 1;
    host.locked = true;
    ed.DeleteObject(0, false);
    EXPECT_EQ(host.doc.ObjectCount(), 2);
}

TEST_F(Editing, CloneAppendsAShiftedDeepCopy) {
    host.scale = 200; // 2 pixels per map unit
    ed.ClearBuffer();
    ed.SetBufferPoint(0, 10, 10);
    ed.SetBufferPoint(1, 20, 10);
    ed.Buffer().Object.HasExtra = 1;
    ed.Buffer().Object.Extra = std::make_unique<TORBMapExtra>();
    (*ed.Buffer().Object.Extra)[3] = 42;
    ed.Buffer().Object.Reserved1 = 77;
    ed.SetBufferAddress({{}, QStringLiteral("ЛЕНИНА"), "3", {}, {}});
    ed.PostBuffer();
    EXPECT_EQ(host.doc.Header.NextId, 101);
    ed.CloneBuffer(20, -10);
    ASSERT_EQ(host.doc.ObjectCount(), 2);
    const TORBMapObjectMem& c = *host.doc.Object(1);
    EXPECT_EQ(c.ID, 101);
    EXPECT_EQ(host.doc.Header.NextId, 103);
    EXPECT_EQ(c.Points[0], (TORBMapPoint{20, 5}));
    EXPECT_EQ(c.Reserved1, 77);
    ASSERT_TRUE(c.Extra);
    EXPECT_EQ((*c.Extra)[3], 42);
    EXPECT_NE(c.Extra.get(), host.doc.Object(0)->Extra.get());
    EXPECT_EQ(c.Address->StreetCode, host.doc.Object(0)->Address->StreetCode);
    EXPECT_EQ(host.doc.StreetIndex().Objects(0), (std::vector<int32_t>{0, 1}));
    ExpectIndexesCurrent();

    ed.ForgetBuffer();
    ed.CloneBuffer(1, 1);
    EXPECT_EQ(platform.messages.size(), 1);
}

TEST_F(Editing, ReorderingKeepsTheIndexAndFollowsTheBuffer) {
    for (int i = 0; i < 5; ++i) AddSquare(float(i) * 1500, 0);
    ed.LoadBuffer(1);
    ed.MoveObjectToEnd(1);
    EXPECT_EQ(host.doc.Object(4)->ID, 101);
    EXPECT_EQ(ed.Buffer().CurrentIndex, 4);
    ExpectIndexesCurrent();
    ed.MoveObjectToStart(3);
    EXPECT_EQ(host.doc.Object(0)->ID, 104);
    EXPECT_EQ(host.doc.Object(1)->ID, 100);
    EXPECT_EQ(ed.Buffer().CurrentIndex, 4);
    ExpectIndexesCurrent();
    ed.PostBuffer(); // still writes the loaded object, not its old neighbour
    EXPECT_EQ(host.doc.Object(4)->ID, 101);

    ed.ForgetBuffer();
    ed.MoveObjectToEnd(0); // refused without a loaded buffer
    EXPECT_EQ(host.doc.Object(0)->ID, 104);
}

TEST_F(Editing, GroupSkipsLockedObjectsAndUngroupRestoresTheChildren) {
    AddSquare(0, 0);
    AddSquare(100, 0);
    AddSquare(200, 0);
    AddSquare(300, 0);
    host.doc.Object(2)->Locked = 1;
    host.calls.clear();
    ed.GroupObjects({3, 2, 0});
    ASSERT_EQ(host.doc.ObjectCount(), 3);
    EXPECT_EQ(host.doc.Object(0)->ID, 101);
    EXPECT_EQ(host.doc.Object(1)->ID, 102); // locked: stays
    const TORBMapObjectMem& g = *host.doc.Object(2);
    EXPECT_EQ(g.ObjectType, cGroup);
    EXPECT_EQ(g.Count, 2);
    EXPECT_EQ((*g.Children)[0]->ID, 100);
    EXPECT_EQ((*g.Children)[1]->ID, 103);
    EXPECT_TRUE((*g.Children)[1]->Points);
    EXPECT_FLOAT_EQ(g.Box[2].X, 310);
    EXPECT_TRUE(host.doc.Index.Active());
    ExpectIndexesCurrent();
    EXPECT_EQ(host.calls.filter("BeforeDelete"),
              (QStringList{"BeforeDelete(103)", "BeforeDelete(100)"}));
    ASSERT_EQ(ed.Journal().Entries().size(), 1u);
    EXPECT_EQ(ed.Journal().Entries()[0].Operation, uoGroup);
    EXPECT_EQ(ed.Journal().Entries()[0].Indices, (std::vector<int>{0, 2, 3}));

    ed.LoadBuffer(2);
    ed.UngroupBuffer();
    ASSERT_EQ(host.doc.ObjectCount(), 4);
    EXPECT_EQ(host.doc.Object(2)->ID, 100);
    EXPECT_EQ(host.doc.Object(3)->ID, 103);
    EXPECT_TRUE(host.doc.Object(3)->Points);
    ExpectIndexesCurrent();
    ASSERT_EQ(ed.Journal().Entries().size(), 2u);
    const TOperationUndo& u = ed.Journal().Entries()[1];
    EXPECT_EQ(u.Operation, uoUngroup);
    EXPECT_EQ(u.Indices, (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(u.Objects[0]->ObjectType, cGroup);
    EXPECT_EQ(u.Objects[0]->Children->size(), 2u);

    ed.GroupObjects({0, 1}); // object 1 is locked: fewer than two
    EXPECT_EQ(host.doc.ObjectCount(), 4);
}

TEST_F(Editing, JournalRecordsOnlyWhenArmedWithinItsLevels) {
    AddSquare(0, 0);
    AddSquare(10, 0);
    ed.RecordUndo(0, uoChange); // not armed
    EXPECT_TRUE(ed.Journal().Empty());
    host.levels = 2;
    for (int op : {uoChange, uoDelete, uoMoveToEnd}) {
        ed.ArmUndo();
        ed.RecordUndo(1, op);
        ed.RecordUndo(0, uoAppend); // disarmed by the first
    }
    ASSERT_EQ(ed.Journal().Entries().size(), 2u);
    EXPECT_EQ(ed.Journal().Entries()[0].Operation, uoDelete);
    EXPECT_EQ(ed.Journal().Entries()[1].Operation, uoMoveToEnd);
    const TORBMapObjectMem& copy = *ed.Journal().Entries()[1].Objects[0];
    EXPECT_NE(&copy, host.doc.Object(1));
    EXPECT_EQ(copy.Points[0], host.doc.Object(1)->Points[0]);
    EXPECT_EQ(host.undo, (QList<bool>{true, true, true}));

    ed.ArmUndo();
    ed.RecordUndo(2, uoChange); // past the list
    EXPECT_EQ(ed.Journal().Entries().size(), 2u);
    host.levels = 0;
    ed.RecordUndo(0, uoChange); // still armed; no journal kept
    EXPECT_TRUE(ed.Journal().Empty());
    EXPECT_EQ(host.undo.back(), false);
}

} // namespace
} // namespace tsivor::mapdata
