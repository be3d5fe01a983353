#include "mapdata/MapIndex.h"

#include "TestMaps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace tsivor::mapdata {
namespace {

using testmaps::Polygon;

TOrbMapList Squares(std::vector<std::array<float, 4>> boxes) {
    TOrbMapList list;
    int id = 1;
    for (const auto& b : boxes) {
        auto o = Polygon(id++, {{b[0], b[1]}, {b[2], b[1]}, {b[2], b[3]}, {b[0], b[3]}});
        o->Box = {TORBMapPoint{b[0], b[1]}, {b[2], b[1]}, {b[2], b[3]}, {b[0], b[3]}};
        list.push_back(std::move(o));
    }
    return list;
}

TEST(MapIndexCells, HalvesRoundToEvenAndFarObjectsLandInTheBorder) {
    TOrbMapList list = Squares({{500, -200, 1500, 300}, {-900000, 0, -800000, 10}});
    TOrbMapIndex index(list);
    EXPECT_EQ(index.CellsX(), 128);
    EXPECT_EQ(index.CellRange(0), (TOrbMapIndex::TCellRange{64, 64, 66, 64}));
    EXPECT_EQ(index.CellRange(1).Col0, 0);
    EXPECT_EQ(index.CellRange(1).Col1, 0);

    EXPECT_TRUE(index.Cell(65, 64).empty()) << "inactive: nothing listed";
    index.SetActive(true);
    EXPECT_EQ(index.Cell(65, 64), std::vector<int32_t>{0});
    EXPECT_EQ(index.Cell(0, 64), std::vector<int32_t>{1});
    // Near the left border the far object is found.
    EXPECT_EQ(index.Query(-63500, 0, -63400, 10), std::vector<int32_t>{1});
    // Reversed corners give the same cells.
    EXPECT_EQ(index.Query(-63400, 10, -63500, 0), std::vector<int32_t>{1});
}

TEST(MapIndexQuery, SortedAndOnceForObjectsInSeveralCells) {
    TOrbMapList list = Squares({{0, 0, 10, 10}, {-600, 0, 600, 10}, {5000, 5000, 5010, 5010}});
    TOrbMapIndex index(list);
    index.SetActive(true);
    // Cells -1..1 around 0: object 1 spans columns 63..65 and is listed once.
    EXPECT_EQ(index.Query(0, 0, 1, 1), (std::vector<int32_t>{0, 1}));
    EXPECT_TRUE(index.Query(20000, 20000, 20001, 20001).empty());
    index.SetActive(false);
    EXPECT_TRUE(index.Query(0, 0, 1, 1).empty());
    EXPECT_TRUE(index.Cell(64, 64).empty());
}

// Small and large parts of a map of many objects, some spanning many cells: the same objects
// as the cells list, ascending, each once.
TEST(MapIndexQuery, SmallAndLargeRectanglesListEveryNearObjectOnce) {
    std::vector<std::array<float, 4>> boxes;
    for (int i = 0; i < 3000; ++i) {
        const float x = float((i * 7919) % 40000 - 20000), y = float((i * 104729) % 40000 - 20000);
        const float side = i % 10 == 0 ? 6000 : 30;
        boxes.push_back({x, y, x + side, y + side});
    }
    TOrbMapList list = Squares(boxes);
    TOrbMapIndex index(list);
    index.SetActive(true);
    for (const auto& r : std::vector<std::array<float, 4>>{
             {0, 0, 500, 500}, {-3000, -3000, 3000, 3000}, {-30000, -30000, 30000, 30000}}) {
        const int c0 = int(std::nearbyint(r[0] / 1000)) + 63;
        const int c1 = int(std::nearbyint(r[2] / 1000)) + 65;
        const int r0 = int(std::nearbyint(r[1] / 1000)) + 63;
        const int r1 = int(std::nearbyint(r[3] / 1000)) + 65;
        std::vector<int32_t> expected;
        for (int c = c0; c <= c1; ++c)
            for (int w = r0; w <= r1; ++w)
                for (int32_t i : index.Cell(c, w)) expected.push_back(i);
        std::sort(expected.begin(), expected.end());
        expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
        EXPECT_EQ(index.Query(r[0], r[1], r[2], r[3]), expected) << r[2];
    }
}

// The cells a rectangle touches list every object whose box meets it, whatever the cell size.
TEST(MapIndexQuery, TouchedCellsListEveryObjectMeetingTheRectangle) {
    std::vector<std::array<float, 4>> boxes;
    for (int i = 0; i < 3000; ++i) {
        const float x = float((i * 7919) % 40000 - 20000), y = float((i * 104729) % 40000 - 20000);
        const float side = i % 10 == 0 ? 6000 : i % 3 == 0 ? 0 : 30;
        boxes.push_back({x, y, x + side, y + side});
    }
    TOrbMapList list = Squares(boxes);
    TOrbMapIndex index(list);
    index.SetActive(true);
    for (const int cell : {1000, 700, 2500}) {
        index.SetCellSize(cell, cell);
        for (int k = 0; k < 200; ++k) {
            const float x = float((k * 4099) % 44000 - 22000),
                        y = float((k * 6151) % 44000 - 22000);
            const float w = float(k % 7 == 0 ? 3000 : 5 + (k * 37) % 400), h = float(5 + k % 90);
            std::vector<int32_t> meeting;
            for (int i = 0; i < int(boxes.size()); ++i) {
                const auto& b = boxes[size_t(i)];
                if (b[0] <= x + w && b[2] >= x && b[1] <= y + h && b[3] >= y) meeting.push_back(i);
            }
            const std::vector<int32_t> touched = index.QueryTouching(x, y, x + w, y + h);
            EXPECT_TRUE(std::is_sorted(touched.begin(), touched.end()));
            EXPECT_EQ(std::adjacent_find(touched.begin(), touched.end()), touched.end());
            EXPECT_TRUE(
                std::includes(touched.begin(), touched.end(), meeting.begin(), meeting.end()))
                << cell << " " << k;
            const std::vector<int32_t> near = index.Query(x, y, x + w, y + h);
            EXPECT_TRUE(std::includes(near.begin(), near.end(), touched.begin(), touched.end()));
        }
    }
}

TEST(MapIndexMaintenance, RemoveAndShiftKeepIndicesInStep) {
    TOrbMapList list = Squares({{0, 0, 10, 10}, {0, 0, 10, 10}, {0, 0, 10, 10}});
    TOrbMapIndex index(list);
    index.SetActive(true);
    EXPECT_TRUE(index.MatchesRebuild());
    index.RemoveFromCells(index.CellRange(1), 1);
    index.ShiftDown(1);
    EXPECT_EQ(index.Cell(64, 64), (std::vector<int32_t>{0, 1}));
    index.ShiftUp(0);
    EXPECT_EQ(index.Cell(64, 64), (std::vector<int32_t>{1, 2}));
    index.AddObject(1);
    index.AddObject(1); // already listed: once only
    EXPECT_EQ(index.Cell(64, 64), (std::vector<int32_t>{1, 2}));
}

TEST(MapIndexSize, NewCellSizeRebuildsTheGrid) {
    TOrbMapList list = Squares({{1400, 0, 1410, 10}});
    TOrbMapIndex index(list);
    index.SetActive(true);
    EXPECT_EQ(index.Cell(65, 64), std::vector<int32_t>{0});
    index.SetCellSize(2000, 2000);
    EXPECT_EQ(index.CellsX(), 64);
    EXPECT_EQ(index.Cell(33, 32), std::vector<int32_t>{0}); // round(0.7) + 32
}

} // namespace
} // namespace tsivor::mapdata
