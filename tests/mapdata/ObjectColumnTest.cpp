// The document's object column: every change of the object list keeps it equal to the records.

#include "mapdata/MapDocument.h"

#include "TestMaps.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>

namespace tsivor::mapdata {
namespace {

using namespace testmaps;

// One of the kinds whose boxes differ: squares, turned texts, notes, groups, a line with a
// wide pen; layers outside the drawn range.
TOrbMapObjectPtr SomeObject(std::mt19937& rng, TMapDocument& doc, int id) {
    const float x = float(rng() % 20000) - 10000, y = float(rng() % 20000) - 10000;
    TOrbMapObjectPtr o;
    switch (rng() % 6) {
    case 0:
        o = Polygon(id, {{x, y}, {x + 30, y}, {x + 30, y + 20}, {x, y + 20}});
        break;
    case 1:
        o = Text(id, x, y, QStringLiteral("Садовая"), 12, int(rng() % 3600));
        break;
    case 2:
        o = Note(id, x, y, QStringLiteral("lib"), QStringLiteral("pic"), QStringLiteral("1;"));
        break;
    case 3: {
        std::vector<TOrbMapObjectPtr> children;
        children.push_back(Polygon(id * 10, {{x, y}, {x + 5, y + 5}, {x, y + 9}}));
        children.push_back(Text(id * 10 + 1, x, y, QStringLiteral("д. 3"), 4, 450));
        o = Group(id, std::move(children));
        break;
    }
    case 4:
        o = PointObject(cLine, id, {{x, y}, {x + 100, y + 3}});
        o->Pen.Width = float(rng() % 40) / 4;
        break;
    default:
        o = Polygon(id, {{x, y}, {x + 1, y + 1}, {x, y + 2}});
        break;
    }
    o->Layer = int32_t(rng() % 161) - 80;
    o->Category = int32_t(rng() % 120);
    doc.CalcObjectBox(*o);
    return o;
}

TEST(ObjectColumn, RandomEditsKeepItEqualToTheRecords) {
    std::mt19937 rng(20261209);
    TMapDocument doc;
    doc.Index.SetActive(true);
    int id = 1;
    for (int k = 0; k < 60; ++k) doc.Append(SomeObject(rng, doc, id++));
    ASSERT_TRUE(doc.Column().Matches(doc.Objects));
    for (int step = 0; step < 1500; ++step) {
        const int n = doc.ObjectCount();
        const int at = n > 0 ? int(rng() % unsigned(n)) : 0;
        const unsigned op = rng() % 9;
        switch (op) {
        case 0:
            doc.Append(SomeObject(rng, doc, id++));
            break;
        case 1:
            doc.Insert(at, SomeObject(rng, doc, id++));
            break;
        case 2:
            doc.Take(at);
            break;
        case 3:
            doc.Delete(at);
            break;
        case 4:
            doc.Replace(at, SomeObject(rng, doc, id++));
            break;
        case 5:
            doc.TakeContent(at);
            break;
        case 6:
            doc.MoveToEnd(at);
            break;
        case 7:
            doc.MoveToStart(at);
            break;
        default:
            if (rng() % 40 == 0) doc.Clear();
            break;
        }
        ASSERT_EQ(doc.Column().Count(), doc.ObjectCount()) << "step " << step << " op " << op;
        ASSERT_TRUE(doc.Column().Matches(doc.Objects)) << "step " << step << " op " << op;
    }
    // Out-of-range calls change nothing.
    const int n = doc.ObjectCount();
    doc.Take(-1);
    doc.Take(n);
    doc.Replace(n, SomeObject(rng, doc, id++));
    doc.MoveToEnd(n);
    doc.MoveToStart(-3);
    EXPECT_EQ(doc.ObjectCount(), n);
    EXPECT_TRUE(doc.Column().Matches(doc.Objects));

    // The document moves with its column.
    TMapDocument moved(std::move(doc));
    EXPECT_TRUE(moved.Column().Matches(moved.Objects));
    EXPECT_EQ(doc.Column().Count(), 0);
}

TEST(ObjectColumn, AnEntryTellsRectanglesFromTurnedAndBrokenBoxes) {
    TMapDocument doc;
    auto square = Polygon(1, {{10, 20}, {40, 20}, {40, 50}, {10, 50}});
    auto turned = Text(2, 0, 0, QStringLiteral("Мира"), 12, 300);
    auto level = Text(3, 0, 0, QStringLiteral("Мира"), 12, 0);
    auto broken = Polygon(4, {{10, 20}, {40, 50}});
    for (auto* o : {square.get(), turned.get(), level.get(), broken.get()}) doc.CalcObjectBox(*o);
    broken->Box[2].Y = std::numeric_limits<float>::quiet_NaN();
    square->Layer = 90;
    square->Pen.Width = 3.5f;

    const TObjectColumnEntry e = TObjectColumnEntry::Of(*square);
    EXPECT_TRUE(e.Rectangle);
    EXPECT_EQ(e.Layer, 64);
    EXPECT_FLOAT_EQ(e.PenWidth, 3.5f);
    EXPECT_EQ(e.X0, square->Box[0].X);
    EXPECT_EQ(e.Y2, square->Box[2].Y);
    EXPECT_FALSE(TObjectColumnEntry::Of(*turned).Rectangle);
    EXPECT_TRUE(TObjectColumnEntry::Of(*level).Rectangle);
    EXPECT_FALSE(TObjectColumnEntry::Of(*broken).Rectangle);
}

TEST(ObjectColumn, TheCheckNoticesARecordChangedBehindTheDocument) {
    TMapDocument doc = ManySquares(5);
    ASSERT_TRUE(doc.Column().Matches(doc.Objects));
    doc.Object(3)->Layer += 1;
    EXPECT_FALSE(doc.Column().Matches(doc.Objects));
    // Putting the record back through the document mends it.
    doc.Replace(3, doc.Object(3)->Clone());
    EXPECT_TRUE(doc.Column().Matches(doc.Objects));
}

} // namespace
} // namespace tsivor::mapdata
