#pragma once
// TOrbMapIndex: an optional uniform grid over the map plane listing, per cell, the top-level
// objects whose box touches it, so drawing on a large map visits only nearby objects.

#include "mapdata/MapObject.h"

#include <cstdint>
#include <vector>

namespace tsivor::mapdata {

class TOrbMapIndex {
public:
    // The cells and rows of one object's box, inclusive.
    struct TCellRange {
        int Col0 = 0, Row0 = 0, Col1 = 0, Row1 = 0;
        friend bool operator==(const TCellRange&, const TCellRange&) = default;
    };

    explicit TOrbMapIndex(const TOrbMapList& objects);
    // The list moved with its owner: the grid now reads it there.
    void Rebind(const TOrbMapList& objects) { FObjects = &objects; }

    // Off to on rebuilds; on to off empties the cells.
    void SetActive(bool value);
    bool Active() const { return FActive; }
    // No effect when unchanged; otherwise a new grid, rebuilt.
    void SetCellSize(int width, int height);
    int CellWidth() const { return FCellWidth; }
    int CellsX() const { return FCellsX; }
    int CellsY() const { return FCellsY; }

    void Clear();
    void Rebuild();
    // Every cell holds the same objects as after a fresh rebuild (the order within a cell
    // may differ): the check that the maintenance steps kept the grid current.
    bool MatchesRebuild() const;

    // Maintenance, each a no-op while inactive.
    void AddObject(int index);
    TCellRange CellRange(int index) const;
    void RemoveFromCells(const TCellRange& range, int index);
    void ShiftDown(int index); // object index left the list: later indices decrease by 1
    void ShiftUp(int index);   // an object was inserted at index: indices from it increase by 1

    // The objects listed in the cells around a map rectangle, widened by one cell, ascending,
    // each once. Empty while inactive.
    const std::vector<int32_t>& Query(float x1, float y1, float x2, float y2);
    // The objects listed in the cells the map rectangle itself touches, ascending, each once:
    // every object whose box meets the rectangle, and fewer others than Query gives.
    const std::vector<int32_t>& QueryTouching(float x1, float y1, float x2, float y2);
    // How many entries the cells the rectangle touches hold (an object once per cell): when
    // they are as many as the objects, reading every object costs less than the query.
    size_t ListedTouching(float x1, float y1, float x2, float y2) const;
    // The indices stored in one cell (clamped into the grid).
    const std::vector<int32_t>& Cell(int col, int row) const;

private:
    int Column(float x) const;
    int Row(float y) const;
    std::vector<int32_t>& CellAt(int col, int row);
    TCellRange CellsOf(float x1, float y1, float x2, float y2, int cells) const;
    size_t Listed(const TCellRange& range) const;
    // The objects of the cells around the rectangle, widened by cells on every side.
    const std::vector<int32_t>& CellsAround(float x1, float y1, float x2, float y2, int cells);

    static constexpr int kExtent = 128000; // side of the covered square in map units
    static constexpr int kMinCell = 100;
    const TOrbMapList* FObjects;
    bool FActive = false;
    int FCellWidth = 0, FCellHeight = 0;
    int FCellsX = 0, FCellsY = 0;
    int FOriginCol = 0, FOriginRow = 0;
    std::vector<std::vector<int32_t>> FCells;
    std::vector<int32_t> FResult;
    std::vector<uint64_t> FMarks; // one bit an object: the large queries' merge
};

} // namespace tsivor::mapdata
