// Editing the sample city through the map: random sequences of every document change keep the
// spatial index, the street index, the counters and the journal right after every step.

#include "mapview/DataMap.h"

#include "TestSupport.h"
#include "mapdata/Cp1251.h"
#include "mapdata/MapLoader.h"
#include "mapdata/MapWriter.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace tsivor::mapview {
namespace {

using namespace mapdata;

// The house search as a walk of the whole list, the way it was answered before the street
// index: the index must give exactly this.
std::vector<int> ScanHouses(const TMapDocument& doc, int category, int townCode, int streetCode,
                            const QString& house) {
    std::vector<int> found;
    const QString h = cp1251::Key(house);
    for (int i = 0; i < doc.ObjectCount(); ++i) {
        const TORBMapObjectMem& o = *doc.Objects[size_t(i)];
        if (o.HasAddress != 1 || !o.Address) continue;
        if (category >= 0 && o.Category != category) continue;
        const TORBMapAddress& a = *o.Address;
        if (townCode >= 0 && int(uint16_t(a.TownCode)) != townCode) continue;
        if ((int(uint16_t(a.StreetCode)) == streetCode && cp1251::Upper(a.House.Text()) == h) ||
            (int(uint16_t(a.Street1Code)) == streetCode && cp1251::Upper(a.House1.Text()) == h))
            found.push_back(i);
    }
    return found;
}

void CollectIds(const TORBMapObjectMem& o, std::vector<int32_t>& ids) {
    ids.push_back(o.ID);
    if (o.Children)
        for (const auto& c : *o.Children) CollectIds(*c, ids);
}

class SampleCityEdits : public ::testing::Test {
protected:
    void SetUp() override {
        const QString file = test::DeployDir() + "/info1.db";
        if (!QFileInfo::exists(file))
            GTEST_SKIP() << "no sample deployment in " << file.toStdString();
        map.resize(800, 600);
        ASSERT_TRUE(map.MapLoad(file));
        ASSERT_GT(map.ObjectCount(), 1000);
        firstNewId = map.Document().Header.NextId;
    }

    // Every house search of addressed objects answered like the scan.
    void ExpectSearchesLikeTheScan(std::mt19937& rng) {
        const TMapDocument& doc = map.Document();
        for (int k = 0; k < 5; ++k) {
            const TORBMapObjectMem* o = map.Object(int(rng() % uint32_t(map.ObjectCount())));
            if (!o || o->HasAddress != 1) continue;
            const TAdres a = map.DecodeAddress(*o);
            const int category = k % 2 ? o->Category : -1;
            const int first = map.FindHouse(category, QString(), a.House, a.Street);
            const int code = map.FindStreetCode(a.Street);
            EXPECT_EQ(map.FoundObjects, ScanHouses(doc, category, -1, code, a.House));
            EXPECT_EQ(first, map.FoundObjects.empty() ? -1 : map.FoundObjects.front());
            map.FindHouseLike(-1, a.Town, a.House1, a.Street1);
            const int town = map.FindTownCodeLike(a.Town);
            const int code1 = map.FindStreetCodeLike(a.Street1);
            if (code1 >= 0 && (a.Town.isEmpty() || town >= 0)) {
                EXPECT_EQ(map.FoundObjects,
                          ScanHouses(doc, -1, a.Town.isEmpty() ? -1 : town, code1, a.House1));
            }
        }
    }

    void ExpectDocumentRight() {
        const TMapDocument& doc = map.Document();
        ASSERT_TRUE(doc.Index.MatchesRebuild());
        ASSERT_TRUE(doc.StreetIndex().MatchesRebuild(doc.Objects));
        ASSERT_EQ(doc.Header.ObjectCount, doc.ObjectCount());
        std::vector<int32_t> ids;
        for (const auto& o : doc.Objects) CollectIds(*o, ids);
        std::set<int32_t> fresh;
        for (int32_t id : ids) {
            if (id < firstNewId) continue;
            EXPECT_LT(id, doc.Header.NextId);
            EXPECT_TRUE(fresh.insert(id).second) << "ID " << id << " given twice";
        }
        ASSERT_LE(int(map.UndoJournal().Entries().size()), map.Options().UndoLevels());
    }

    test::FakePlatform platform;
    TDataMap map;
    int32_t firstNewId = 0;
};

TEST_F(SampleCityEdits, RandomSequencesKeepIndexesCountersAndJournal) {
    map.SetUseIndex(true);
    map.Options().SetUndoLevels(5);
    std::mt19937 rng(20261209);
    const auto streets = map.GetStreets();
    auto pick = [&] { return int(rng() % uint32_t(map.ObjectCount())); };
    auto coord = [&] { return float(int(rng() % 40000) - 20000); };
    for (int step = 0; step < 400; ++step) {
        const int op = int(rng() % 10);
        SCOPED_TRACE(testing::Message() << "step " << step << " operation " << op);
        switch (op) {
        case 0: { // a new house
            map.ClearBuffer();
            const float x = coord(), y = coord(), s = float(10 + rng() % 3000);
            map.SetBufferPoint(0, x, y);
            map.SetBufferPoint(1, x + s, y);
            map.SetBufferPoint(2, x + s, y + s);
            const auto& st = streets[rng() % streets.size()];
            map.SetBufferAddress({{}, st.Name, QString::number(rng() % 40), {}, {}});
            const int count = map.ObjectCount();
            map.PostBuffer();
            EXPECT_EQ(map.ObjectCount(), count + 1);
            break;
        }
        case 1: { // moved
            map.LoadBuffer(pick());
            float x = 0, y = 0;
            const float dx = coord() / 4, dy = coord() / 4;
            for (int i = 0; map.GetBufferPoint(i, x, y); ++i) map.SetBufferPoint(i, x + dx, y + dy);
            TORBMapText t;
            if (map.GetBufferText(t)) {
                t.X += dx;
                map.SetBufferText(t);
            }
            map.ArmUndo();
            map.RecordUndo(map.CurrentIndex(), uoChange);
            map.PostBuffer();
            EXPECT_EQ(map.UndoJournal().Entries().back().Operation, uoChange);
            break;
        }
        case 2: { // readdressed: a corner house, or no address
            map.LoadBuffer(pick());
            TAdres a = map.BufferAddress();
            a.Street1 = rng() % 3 ? streets[rng() % streets.size()].Name : QString();
            a.House1 = QString::number(rng() % 20);
            if (rng() % 4 == 0) a = {};
            map.SetBufferAddress(a);
            map.PostBuffer();
            break;
        }
        case 3:
            map.DeleteObject(pick(), rng() % 2);
            break;
        case 4:
            map.LoadBuffer(pick());
            map.CloneBuffer(float(rng() % 50), -float(rng() % 50));
            break;
        case 5:
        case 6: {
            const int i = pick();
            map.LoadBuffer(i);
            const int32_t id = map.Object(i)->ID;
            if (op == 5)
                map.MoveObjectToEnd(i);
            else
                map.MoveObjectToStart(i);
            EXPECT_EQ(map.Object(map.CurrentIndex())->ID, id);
            break;
        }
        case 7: {
            const int count = map.ObjectCount();
            map.GroupObjects({pick(), pick(), pick()});
            if (map.ObjectCount() < count) {
                EXPECT_EQ(map.UndoJournal().Entries().back().Operation, uoGroup);
            }
            break;
        }
        case 8: {
            for (int i = map.ObjectCount() - 1; i >= 0; --i) {
                if (map.Object(i)->ObjectType != cGroup || map.Object(i)->Locked) continue;
                const int children = map.Object(i)->Count;
                const int count = map.ObjectCount();
                map.LoadBuffer(i);
                map.UngroupBuffer();
                EXPECT_EQ(map.ObjectCount(), count - 1 + children);
                const TOperationUndo& u = map.UndoJournal().Entries().back();
                EXPECT_EQ(u.Operation, uoUngroup);
                EXPECT_EQ(int(u.Indices.size()), 1 + children);
                EXPECT_EQ(u.Objects[0]->ObjectType, cGroup);
                break;
            }
            break;
        }
        default: { // recorded before a delete, as the popup command does
            const int i = pick();
            map.ArmUndo();
            map.RecordUndo(i, uoDelete);
            map.DeleteObject(i, false);
            break;
        }
        }
        ExpectDocumentRight();
        ExpectSearchesLikeTheScan(rng);
        // Found where it now is.
        if (const TORBMapObjectMem* o = map.Object(map.ObjectCount() - 1)) {
            const auto& near =
                map.SpatialIndex().Query(o->Box[0].X, o->Box[0].Y, o->Box[2].X, o->Box[2].Y);
            EXPECT_TRUE(std::binary_search(near.begin(), near.end(), map.ObjectCount() - 1));
        }
        if (HasFatalFailure()) return;
    }
}

TEST_F(SampleCityEdits, DeletingEverythingLeavesAWritableDocument) {
    map.SetUseIndex(true);
    const QString name = map.NameMap();
    int deleted = 0;
    while (map.ObjectCount() > 0) {
        map.DeleteObject(map.ObjectCount() / 2, map.ObjectCount() == 1 || deleted % 100 == 0);
        ++deleted;
    }
    map.DeleteObject(0, true); // nothing left to delete
    EXPECT_EQ(map.MapExtent(), TMapExtent{});
    EXPECT_TRUE(map.UndoJournal().Empty());
    ExpectDocumentRight();
    map.FindHouse(-1, QString(), "1", map.GetStreets().front().Name);
    EXPECT_TRUE(map.FoundObjects.empty());

    const QByteArray written = WriteMapContent(map.Document());
    TDataMap back;
    back.LoadFromStream(written);
    EXPECT_EQ(back.ObjectCount(), 0);
    EXPECT_EQ(back.NameMap(), name);
    EXPECT_EQ(back.Document().Header.NextId, map.Document().Header.NextId);
    EXPECT_EQ(back.Mashtab(), map.Mashtab());
    // A map without objects is read without its name tables; from then on it is stable.
    EXPECT_TRUE(back.GetStreets().empty());
    const QByteArray again = WriteMapContent(back.Document());
    TDataMap third;
    third.LoadFromStream(again);
    EXPECT_EQ(WriteMapContent(third.Document()), again);

    // And it takes new objects again.
    back.ClearBuffer();
    back.SetBufferPoint(0, 5, 5);
    back.SetBufferPoint(1, 15, 25);
    back.PostBuffer();
    EXPECT_EQ(back.ObjectCount(), 1);
    EXPECT_EQ(back.MapExtent(), (TMapExtent{5, 5, 15, 25}));
}

TEST(DataMapEditing, NewObjectsTakeTheTypeOfTheCurrentTool) {
    TDataMap map;
    map.SetInstrument(iDragMap);
    map.ClearBuffer();
    EXPECT_EQ(map.BufferObject().ObjectType, cPolygon);
    map.SetInstrument(iZametka);
    map.ClearBuffer();
    EXPECT_EQ(map.BufferObject().ObjectType, cZametka);
    map.SetInstrument(iRectangle);
    map.ClearBuffer();
    EXPECT_EQ(map.BufferObject().ObjectType, cPolygon);
    map.SetInstrument(iBezierFill);
    map.ClearBuffer();
    EXPECT_EQ(map.BufferObject().ObjectType, cBezierFill);
}

TEST(DataMapEditing, ObjectAtPointLoadsTheHitObjectIntoTheBuffer) {
    test::FakePlatform platform;
    TDataMap map;
    map.resize(400, 300);
    std::vector<QString> events;
    map.OnAfterAppendObject = [&](TDataMap*) { events.push_back("append"); };
    map.OnBeforePostObject = [&](TDataMap*) { events.push_back("before post"); };
    map.OnAfterPostObject = [&](TDataMap*) { events.push_back("after post"); };
    map.ClearBuffer();
    for (TORBMapPoint p : {TORBMapPoint{0, 0}, {100, 0}, {100, 100}, {0, 100}})
        map.SetBufferPoint(4, p.X, p.Y);
    map.BufferObject().Brush.Style = 0;
    map.SetBufferAddress({{}, QStringLiteral("Садовая"), QStringLiteral("5а"), {}, {}});
    map.PostBuffer();
    EXPECT_EQ(events, (std::vector<QString>{"append", "before post", "after post"}));
    map.ClearBuffer();
    EXPECT_EQ(map.CurrentIndex(), 1);

    EXPECT_EQ(map.ObjectAtPoint(50, 50), 0);
    EXPECT_TRUE(map.BufferLoaded());
    EXPECT_EQ(map.CurrentIndex(), 0);
    EXPECT_EQ(map.BufferAddress().Street, QStringLiteral("САДОВАЯ"));
    EXPECT_EQ(map.BufferAddress().House, QStringLiteral("5а"));
    EXPECT_EQ(map.ObjectAtPoint(5000, 5000), -1);
    EXPECT_FALSE(map.BufferLoaded());
}

} // namespace
} // namespace tsivor::mapview
