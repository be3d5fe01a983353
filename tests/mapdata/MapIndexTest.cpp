#include "mapdata/MapIndex.h"

#include "TestMaps.h"

#include <gtest/gtest.h>

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

TEST(MapIndexQuery, SortedWithRepeatsForObjectsInSeveralCells) {
    TOrbMapList list = Squares({{0, 0, 10, 10}, {-600, 0, 600, 10}, {5000, 5000, 5010, 5010}});
    TOrbMapIndex index(list);
    index.SetActive(true);
    // Cells -1..1 around 0: object 1 spans columns 63..65, so it appears three times.
    EXPECT_EQ(index.Query(0, 0, 1, 1), (std::vector<int32_t>{0, 1, 1, 1}));
    EXPECT_TRUE(index.Query(20000, 20000, 20001, 20001).empty());
    index.SetActive(false);
    EXPECT_TRUE(index.Query(0, 0, 1, 1).empty());
    EXPECT_TRUE(index.Cell(64, 64).empty());
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
