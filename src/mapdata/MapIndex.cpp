#include "mapdata/MapIndex.h"

#include "mapdata/Rounding.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace tsivor::mapdata {

TOrbMapIndex::TOrbMapIndex(const TOrbMapList& objects) : FObjects(&objects) {
    SetCellSize(1000, 1000);
}

void TOrbMapIndex::SetActive(bool value) {
    if (value == FActive) return;
    if (value) {
        FActive = true;
        Rebuild();
    } else {
        Clear();
        FActive = false;
    }
}

void TOrbMapIndex::SetCellSize(int width, int height) {
    // Tiny cells would make a grid of billions of cells.
    width = std::max(width, kMinCell);
    height = std::max(height, kMinCell);
    if (width == FCellWidth && height == FCellHeight) return;
    Clear();
    FCellWidth = width;
    FCellHeight = height;
    FCellsX = std::max(kExtent / width, 1);
    FCellsY = std::max(kExtent / height, 1);
    FOriginCol = FCellsX / 2;
    FOriginRow = FCellsY / 2;
    FCells.assign(size_t(FCellsX) * size_t(FCellsY), {});
    Rebuild();
}

void TOrbMapIndex::Clear() {
    for (auto& c : FCells) std::vector<int32_t>().swap(c);
    FResult.clear();
}

void TOrbMapIndex::Rebuild() {
    Clear();
    if (!FActive) return;
    for (int i = 0; i < int(FObjects->size()); ++i) AddObject(i);
}

int TOrbMapIndex::Column(float x) const {
    const double c = NearestEven(double(x) / FCellWidth) + FOriginCol;
    return int(std::clamp(c, 0.0, double(FCellsX - 1)));
}

int TOrbMapIndex::Row(float y) const {
    const double r = NearestEven(double(y) / FCellHeight) + FOriginRow;
    return int(std::clamp(r, 0.0, double(FCellsY - 1)));
}

std::vector<int32_t>& TOrbMapIndex::CellAt(int col, int row) {
    col = std::clamp(col, 0, FCellsX - 1);
    row = std::clamp(row, 0, FCellsY - 1);
    return FCells[size_t(col) * size_t(FCellsY) + size_t(row)];
}

const std::vector<int32_t>& TOrbMapIndex::Cell(int col, int row) const {
    return const_cast<TOrbMapIndex*>(this)->CellAt(col, row);
}

TOrbMapIndex::TCellRange TOrbMapIndex::CellRange(int index) const {
    TCellRange r;
    if (index < 0 || size_t(index) >= FObjects->size() || !(*FObjects)[size_t(index)]) return r;
    const auto& box = (*FObjects)[size_t(index)]->Box;
    float x0 = box[0].X, x1 = box[0].X, y0 = box[0].Y, y1 = box[0].Y;
    for (const TORBMapPoint& p : box) {
        x0 = std::min(x0, p.X);
        x1 = std::max(x1, p.X);
        y0 = std::min(y0, p.Y);
        y1 = std::max(y1, p.Y);
    }
    r.Col0 = Column(x0);
    r.Col1 = Column(x1);
    r.Row0 = Row(y0);
    r.Row1 = Row(y1);
    return r;
}

void TOrbMapIndex::AddObject(int index) {
    if (!FActive) return;
    const TCellRange r = CellRange(index);
    for (int c = r.Col0; c <= r.Col1; ++c) {
        for (int w = r.Row0; w <= r.Row1; ++w) {
            auto& cell = CellAt(c, w);
            if (std::find(cell.begin(), cell.end(), index) == cell.end()) cell.push_back(index);
        }
    }
}

void TOrbMapIndex::RemoveFromCells(const TCellRange& range, int index) {
    if (!FActive) return;
    for (int c = range.Col0; c <= range.Col1; ++c) {
        for (int w = range.Row0; w <= range.Row1; ++w) {
            auto& cell = CellAt(c, w);
            auto it = std::find(cell.begin(), cell.end(), index);
            if (it != cell.end()) cell.erase(it);
        }
    }
}

bool TOrbMapIndex::MatchesRebuild() const {
    if (!FActive)
        return std::all_of(FCells.begin(), FCells.end(), [](auto& c) { return c.empty(); });
    TOrbMapIndex fresh(*FObjects);
    fresh.SetCellSize(FCellWidth, FCellHeight);
    fresh.SetActive(true);
    for (size_t k = 0; k < FCells.size(); ++k) {
        std::vector<int32_t> mine = FCells[k], theirs = fresh.FCells[k];
        std::sort(mine.begin(), mine.end());
        std::sort(theirs.begin(), theirs.end());
        if (mine != theirs) return false;
    }
    return true;
}

void TOrbMapIndex::ShiftDown(int index) {
    if (!FActive) return;
    for (auto& cell : FCells)
        for (int32_t& v : cell)
            if (v >= index) --v;
}

void TOrbMapIndex::ShiftUp(int index) {
    if (!FActive) return;
    for (auto& cell : FCells)
        for (int32_t& v : cell)
            if (v >= index) ++v;
}

const std::vector<int32_t>& TOrbMapIndex::Query(float x1, float y1, float x2, float y2) {
    return CellsAround(x1, y1, x2, y2, 1);
}

const std::vector<int32_t>& TOrbMapIndex::QueryTouching(float x1, float y1, float x2, float y2) {
    // An object is listed in every cell its box touches, so in the cell of any point it shares
    // with the rectangle.
    return CellsAround(x1, y1, x2, y2, 0);
}

size_t TOrbMapIndex::ListedTouching(float x1, float y1, float x2, float y2) const {
    if (!FActive) return 0;
    const TCellRange r = CellsOf(x1, y1, x2, y2, 0);
    return Listed(r);
}

TOrbMapIndex::TCellRange TOrbMapIndex::CellsOf(float x1, float y1, float x2, float y2,
                                               int cells) const {
    // Reversed corners are ordered before widening, so the range never shrinks.
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    return {std::clamp(Column(x1) - cells, 0, FCellsX - 1),
            std::clamp(Row(y1) - cells, 0, FCellsY - 1),
            std::clamp(Column(x2) + cells, 0, FCellsX - 1),
            std::clamp(Row(y2) + cells, 0, FCellsY - 1)};
}

size_t TOrbMapIndex::Listed(const TCellRange& r) const {
    size_t total = 0;
    for (int c = r.Col0; c <= r.Col1; ++c)
        for (int w = r.Row0; w <= r.Row1; ++w) total += Cell(c, w).size();
    return total;
}

const std::vector<int32_t>& TOrbMapIndex::CellsAround(float x1, float y1, float x2, float y2,
                                                      int cells) {
    FResult.clear();
    if (!FActive) return FResult;
    const TCellRange range = CellsOf(x1, y1, x2, y2, cells);
    const int c0 = range.Col0, c1 = range.Col1, r0 = range.Row0, r1 = range.Row1;
    const size_t total = Listed(range);
    const size_t objects = FObjects->size();
    const bool all = total > objects / 16;
    int32_t lowest = std::numeric_limits<int32_t>::max(), highest = -1;
    if (!all)
        for (int c = c0; c <= c1; ++c)
            for (int w = r0; w <= r1; ++w)
                for (const int32_t i : CellAt(c, w))
                    lowest = std::min(lowest, i), highest = std::max(highest, i);
    // Marks cost a bit an index between the lowest and the highest, a sort about log2 total
    // steps an object: the marks are taken while they cost less.
    const size_t span = highest >= lowest ? size_t(highest - lowest) + 1 : 0;
    if (all || (lowest >= 0 && size_t(highest) < objects &&
                span / 64 < total * size_t(std::bit_width(total)))) {
        // A large part of the map, or indices close together: marking the objects and reading
        // the marks in order costs far less than sorting them.
        const size_t base = all ? 0 : size_t(lowest);
        FMarks.assign((all ? objects : span) / 64 + 1, 0);
        for (int c = c0; c <= c1; ++c)
            for (int w = r0; w <= r1; ++w)
                for (const int32_t i : CellAt(c, w))
                    if (i >= 0 && size_t(i) < objects) {
                        const size_t bit = size_t(i) - base;
                        FMarks[bit / 64] |= 1ull << (bit % 64);
                    }
        FResult.reserve(std::min(total, objects));
        for (size_t word = 0; word < FMarks.size(); ++word)
            for (uint64_t bits = FMarks[word]; bits; bits &= bits - 1)
                FResult.push_back(int32_t(base + word * 64 + size_t(std::countr_zero(bits))));
        return FResult;
    }
    FResult.reserve(total);
    for (int c = c0; c <= c1; ++c)
        for (int w = r0; w <= r1; ++w) {
            const auto& cell = CellAt(c, w);
            FResult.insert(FResult.end(), cell.begin(), cell.end());
        }
    std::sort(FResult.begin(), FResult.end());
    FResult.erase(std::unique(FResult.begin(), FResult.end()), FResult.end());
    return FResult;
}

} // namespace tsivor::mapdata
