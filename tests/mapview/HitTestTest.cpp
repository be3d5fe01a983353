// Hit testing: every object type at the edges of its test, the filter, the order of the hits
// and the spatial index giving the same answers as the full scan.

#include "RenderTestSupport.h"

#include "TestSupport.h"
#include "mapview/HitTest.h"

#include <gtest/gtest.h>

namespace {

using namespace rendertest;
using tsivor::mapview::FlattenBezier;
using tsivor::mapview::NearSegment;
using tsivor::mapview::PointInPolygon;

constexpr int kHouse = 13;
constexpr int kPark = 10;

// A map at Scale 100 with hit tests on everything of category != 0 (the application's
// setting) and the default line tolerance switched off unless a test asks for it.
struct THitMap : TTestMap {
    THitMap() {
        map.Options().NotifyChange = false;
        map.Options().SetmpEdit(false);
        map.Options().SetZoneFindLine(0);
        map.Options().NotifyChange = true;
    }
    TORBMapObjectMem& Rect(float x0, float y0, float x1, float y1, int layer = 0,
                           int category = kHouse) {
        TORBMapObjectMem& o = AddRect(Doc(), x0, y0, x1, y1, 0xFF, layer);
        o.Category = category;
        return o;
    }
    TORBMapObjectMem& Take(std::unique_ptr<TORBMapObjectMem> o, int category = kHouse) {
        o->Category = category;
        Doc().CalcObjectBox(*o);
        return Doc().Append(std::move(o));
    }
    int At(float x, float y) { return map.ObjectAtPoint(x, y); }
    std::vector<int> Found(float x, float y) {
        map.FindObjectsAt(x, y);
        return map.FoundObjects;
    }
};

std::unique_ptr<TORBMapObjectMem> Points(uint8_t type, std::initializer_list<TORBMapPoint> pts,
                                         float penWidth = 0) {
    auto o = MakePoints(type, pts);
    o->Pen.Width = penWidth;
    return o;
}

std::unique_ptr<TORBMapObjectMem> Note(float x, float y) {
    auto o = std::make_unique<TORBMapObjectMem>();
    TORBMapZametka z;
    z.X = x, z.Y = y;
    z.NameLib = QStringLiteral("nowhere"); // missing: the 32 × 32 error icon
    z.NamePic = QStringLiteral("none");
    o->SetZametka(z);
    return o;
}

TEST(HitGeometry, EvenOddPolygonWithVertexHeightsClassifiedConsistently) {
    const TORBMapPoint diamond[] = {{0, -10}, {10, 0}, {0, 10}, {-10, 0}};
    EXPECT_TRUE(PointInPolygon(diamond, 3, 0, 0));
    EXPECT_TRUE(PointInPolygon(diamond, 3, 9.9f, 0));    // the height of two vertices
    EXPECT_FALSE(PointInPolygon(diamond, 3, 10.1f, 0));  // same height, outside
    EXPECT_FALSE(PointInPolygon(diamond, 3, -10.1f, 0)); // same height, outside on the left
    EXPECT_FALSE(PointInPolygon(diamond, 3, 6, 6));
    // A ring drawn twice over is even: outside.
    const TORBMapPoint twice[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10},
                                  {0, 0}, {10, 0}, {10, 10}, {0, 10}};
    EXPECT_FALSE(PointInPolygon(twice, 7, 5, 5));
    EXPECT_FALSE(PointInPolygon(diamond, -1, 0, 0));
}

TEST(HitGeometry, NearSegmentRoundsTheDistanceHalvesToEven) {
    // Tolerance 5: half 2.5; 2.5 rounds to 2 and hits, 2.6 rounds to 3 and misses.
    EXPECT_TRUE(NearSegment(5, 2.5f, 0, 0, 10, 0, 5));
    EXPECT_FALSE(NearSegment(5, 2.6f, 0, 0, 10, 0, 5));
    // Beyond the end of the segment by more than the half tolerance.
    EXPECT_FALSE(NearSegment(13, 0, 0, 0, 10, 0, 5));
    EXPECT_TRUE(NearSegment(12, 0, 0, 0, 10, 0, 5));
    // Tolerance 0 still catches the axis itself, within half a unit.
    EXPECT_TRUE(NearSegment(5, 0.4f, 0, 0, 10, 0, 0));
    EXPECT_FALSE(NearSegment(5, 0.6f, 0, 0, 10, 0, 0));
    // A segment of no length.
    EXPECT_TRUE(NearSegment(1, 1, 1, 1, 1, 1, 2));
}

TEST(HitGeometry, FlattenedChainHasTwentyOnePointsPerSegment) {
    const TORBMapPoint chain[] = {{0, 0},    {0, 10},   {10, 10}, {10, 0},
                                  {10, -10}, {20, -10}, {20, 0},  {99, 99}};
    std::vector<TORBMapPoint> out;
    FlattenBezier(chain, 7, out); // the eighth point is a surplus, left out
    ASSERT_EQ(out.size(), 42u);
    EXPECT_EQ(out[0], chain[0]);
    EXPECT_EQ(out[20], chain[3]);
    EXPECT_EQ(out[21], chain[3]);
    EXPECT_EQ(out[41], chain[6]);
    EXPECT_NEAR(out[10].X, 5, 1e-4);
    EXPECT_NEAR(out[10].Y, 7.5, 1e-4);
}

TEST(HitTypes, PolygonInsideAndOutsideItsOutline) {
    THitMap t;
    t.Take(Points(cPolygon, {{0, 0}, {40, 0}, {40, 40}, {20, 20}, {0, 40}}));
    EXPECT_EQ(t.At(10, 10), 0);
    EXPECT_EQ(t.At(39.9f, 39), 0);
    EXPECT_EQ(t.At(20, 30), -1); // inside the box, in the notch
    EXPECT_EQ(t.At(40.5f, 10), -1);
    EXPECT_EQ(t.At(-0.5f, 10), -1);
}

TEST(HitTypes, LineAtExactlyItsTolerance) {
    THitMap t;
    t.Take(Points(cLine, {{0, 0}, {100, 0}}, 6));
    // No zone: half the pen width.
    EXPECT_EQ(t.At(50, 3), 0);
    EXPECT_EQ(t.At(50, -3), 0);
    EXPECT_EQ(t.At(50, 3.2f), -1);
    // Zone 3 pixels at Scale 100: (3 + 6) / 2 = 4.5 map units, beyond the pen's own box.
    t.map.Options().SetZoneFindLine(3);
    EXPECT_EQ(t.At(50, 4.5f), 0);
    EXPECT_EQ(t.At(50, -4.5f), 0);
    EXPECT_EQ(t.At(50, 4.6f), -1);
    // At Scale 300 the same 3 pixels are one map unit: (1 + 6) / 2 = 3.5, and a distance of
    // 3.5 rounds to 4 (halves to even), so only up to 3.4 is hit.
    t.map.SetScale(300);
    EXPECT_EQ(t.At(50, 3.4f), 0);
    EXPECT_EQ(t.At(50, 3.5f), -1);
}

TEST(HitTypes, CurvesAreFlattened) {
    THitMap t;
    // An arch from (0, 0) up to about y = -75 and down to (100, 0).
    t.Take(Points(cBezier, {{0, 0}, {0, -100}, {100, -100}, {100, 0}}, 2));
    EXPECT_EQ(t.At(50, -75), 0);
    EXPECT_EQ(t.At(50, -50), -1); // under the arch, inside the control box
    t.Take(Points(cBezierFill, {{200, 0}, {200, -100}, {300, -100}, {300, 0}}));
    EXPECT_EQ(t.At(250, -50), 1);
    EXPECT_EQ(t.At(205, -90), -1); // the control polygon's corner lies outside the curve
}

TEST(HitTypes, EllipseInsideItsQuadrilateral) {
    THitMap t;
    t.Take(Points(cEllipse, {{0, 0}, {100, 0}, {100, 50}, {0, 50}}));
    EXPECT_EQ(t.At(50, 25), 0);
    EXPECT_EQ(t.At(99, 25), 0);
    EXPECT_EQ(t.At(3, 3), -1); // a corner of the box
    EXPECT_EQ(t.At(50, 51), -1);
}

TEST(HitTypes, TextByItsRotatedBox) {
    THitMap t;
    auto o = std::make_unique<TORBMapObjectMem>();
    TORBMapText text;
    text.X = 0, text.Y = 0, text.Size = 20, text.Angle = 900; // up the screen
    text.Text = QStringLiteral("Улица");
    o->SetText(text);
    TORBMapObjectMem& placed = t.Take(std::move(o));
    // Turned by 90 degrees the box runs from the anchor upwards and to the right.
    const float length = placed.Box[1].Y; // negative: the text's width up the screen
    ASSERT_LT(length, -20);
    EXPECT_EQ(t.At(10, length / 2), 0);
    EXPECT_EQ(t.At(10, 5), -1);
    EXPECT_EQ(t.At(-5, length / 2), -1);
}

TEST(HitTypes, PictureByItsCorners) {
    THitMap t;
    auto o = std::make_unique<TORBMapObjectMem>();
    o->ObjectType = cBitmap;
    o->Bitmap = std::make_unique<TORBMapBitmap>();
    o->Bitmap->Corners = {TORBMapPoint{10, 10}, {60, 10}, {60, 40}, {10, 40}};
    t.Take(std::move(o));
    EXPECT_EQ(t.At(30, 20), 0);
    EXPECT_EQ(t.At(61, 20), -1);
}

TEST(HitTypes, NoteOnlyFromMinScaleIconWithinItsIcon) {
    THitMap t;
    t.Take(Note(100, 100));
    t.map.Options().SetMinScaleIcon(50);
    t.map.SetScale(49);
    EXPECT_FALSE(t.map.FindObjectsAt(100, 100));
    t.map.SetScale(50);
    // The 32-pixel error icon is 64 map units wide at Scale 50: 32 to each side.
    EXPECT_EQ(t.At(100, 100), 0);
    EXPECT_EQ(t.At(132, 68), 0);
    EXPECT_EQ(t.At(132.5f, 100), -1);
}

TEST(HitTypes, GroupIsHitThroughItsMembers) {
    THitMap t;
    auto group = std::make_unique<TORBMapObjectMem>();
    group->ObjectType = cGroup;
    group->Children = std::make_unique<TOrbMapList>();
    auto inner = std::make_unique<TORBMapObjectMem>();
    inner->ObjectType = cGroup;
    inner->Category = kHouse;
    inner->Children = std::make_unique<TOrbMapList>();
    auto house = Points(cPolygon, {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    house->Category = kHouse;
    inner->Children->push_back(std::move(house));
    auto shed = Points(cPolygon, {{50, 0}, {60, 0}, {60, 10}, {50, 10}});
    shed->Category = 0; // not hit while editing is off
    group->Children->push_back(std::move(inner));
    group->Children->push_back(std::move(shed));
    group->Count = 2;
    t.Take(std::move(group));
    EXPECT_EQ(t.At(5, 5), 0);
    EXPECT_EQ(t.At(30, 5), -1); // inside the group's box, between the members
    EXPECT_EQ(t.At(55, 5), -1);
    t.map.Options().SetmpEdit(true);
    EXPECT_EQ(t.At(55, 5), 0);
}

TEST(HitRules, CategoryZeroOnlyWhileEditing) {
    THitMap t;
    t.Rect(0, 0, 10, 10, 0, 0);
    EXPECT_EQ(t.At(5, 5), -1);
    t.map.Options().SetmpEdit(true);
    EXPECT_EQ(t.At(5, 5), 0);
}

TEST(HitRules, HiddenCategoryWithFilterOnAndOff) {
    THitMap t;
    t.Rect(0, 0, 50, 50, 0, kPark);
    t.Rect(10, 10, 40, 40, 0, kHouse); // on top of the park
    t.map.SetCategoryVisible(kPark, true);
    EXPECT_EQ(t.At(20, 20), 1); // no filter: the bits are not asked
    t.map.SetFilter(true);
    EXPECT_EQ(t.Found(20, 20), std::vector<int>{0});
    EXPECT_EQ(t.At(20, 20), 0); // the next lower visible hit
    // A handler may make a hidden object hittable; it is still not chosen, since it is not
    // drawn.
    int asked = 0;
    t.map.Categories().OnFilteredObject = [&](const TORBMapObjectMem& o, bool& visible) {
        ++asked;
        if (o.Category == kHouse) visible = true;
    };
    EXPECT_EQ(t.Found(20, 20), (std::vector<int>{0, 1}));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(t.At(20, 20), 0);
    // And hide a visible one from both.
    t.map.Categories().OnFilteredObject = [](const TORBMapObjectMem&, bool& visible) {
        visible = false;
    };
    EXPECT_EQ(t.At(20, 20), -1);
    t.map.SetFilter(false);
    EXPECT_EQ(t.At(20, 20), 1);
}

TEST(HitOrder, TopmostAcrossLayersAndWithinALayer) {
    THitMap t;
    t.Rect(0, 0, 50, 50, 5);           // a house on layer 5
    t.Rect(0, 0, 100, 100, -3, kPark); // a park on layer -3, later in the list
    t.Rect(20, 20, 60, 60, 5);         // a second house on layer 5, later
    EXPECT_EQ(t.Found(30, 30), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(t.At(30, 30), 2);
    EXPECT_EQ(t.At(10, 10), 0);
    EXPECT_EQ(t.At(90, 90), 1);
}

TEST(HitEvents, AfterFindAndAfterLocateTellWhatHappened) {
    THitMap t;
    t.Rect(0, 0, 10, 10);
    std::vector<std::pair<char, bool>> events;
    t.map.OnAfterFind = [&](TDataMap*, bool v) { events.push_back({'f', v}); };
    t.map.OnAfterLocate = [&](TDataMap*, bool v) { events.push_back({'l', v}); };
    EXPECT_EQ(t.At(5, 5), 0);
    EXPECT_EQ(t.At(50, 50), -1);
    const std::vector<std::pair<char, bool>> expected = {
        {'f', true}, {'l', true}, {'f', false}, {'l', false}};
    EXPECT_EQ(events, expected);
}

TEST(HitIndex, SameHitsWithAndWithoutTheIndexOnTheSampleCity) {
    TDataMap map;
    map.resize(400, 300);
    ASSERT_TRUE(map.MapLoad(tsivor::test::DeployDir() + "/info1.db"));
    map.Options().SetmpEdit(false);
    const TMapExtent e = map.MapExtent();
    struct TProbe {
        float X, Y;
        double Scale;
        std::vector<int> Found;
    };
    std::vector<TProbe> probes;
    for (double scale : {20.0, 100.0, 400.0})
        for (int i = 0; i <= 30; ++i)
            for (int j = 0; j <= 30; ++j)
                probes.push_back({e.MinX + (e.MaxX - e.MinX) * float(i) / 30,
                                  e.MinY + (e.MaxY - e.MinY) * float(j) / 30,
                                  scale,
                                  {}});
    auto run = [&](bool useIndex) {
        map.SetUseIndex(useIndex);
        for (TProbe& p : probes) {
            if (map.Scale() != p.Scale) map.SetScale(p.Scale);
            map.FindObjectsAt(p.X, p.Y);
            p.Found = map.FoundObjects;
        }
    };
    run(false);
    const std::vector<TProbe> scanned = probes;
    run(true);
    int hits = 0;
    for (size_t k = 0; k < probes.size(); ++k) {
        ASSERT_EQ(probes[k].Found, scanned[k].Found)
            << probes[k].X << " " << probes[k].Y << " at " << probes[k].Scale;
        hits += !probes[k].Found.empty();
    }
    EXPECT_GT(hits, 1000); // the points fall on the city, not only on grass
}

TEST(HitIndex, LargeNoteAtASmallScaleIsFoundThroughTheIndex) {
    THitMap t;
    t.map.Options().SetMinScaleIcon(1);
    t.Take(Note(5000, 5000));
    t.map.SetScale(1); // the icon covers 3200 map units: more than a cell and its neighbours
    t.map.SetUseIndex(true);
    EXPECT_EQ(t.At(6550, 5000), 0);
}

} // namespace
