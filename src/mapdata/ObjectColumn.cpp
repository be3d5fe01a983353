#include "mapdata/ObjectColumn.h"

#include <algorithm>
#include <bit>

namespace tsivor::mapdata {

TObjectColumnEntry TObjectColumnEntry::Of(const TORBMapObjectMem& o) {
    const auto& b = o.Box;
    TObjectColumnEntry e;
    e.X0 = b[0].X;
    e.Y0 = b[0].Y;
    e.X2 = b[2].X;
    e.Y2 = b[2].Y;
    e.PenWidth = o.Pen.Width;
    e.Category = o.Category;
    e.Layer = int8_t(std::clamp<int32_t>(o.Layer, -64, 64));
    e.ObjectType = o.ObjectType;
    // Comparisons with a NaN fail, so such a box is never taken for a rectangle.
    e.Rectangle = b[1].X == b[2].X && b[1].Y == b[0].Y && b[3].X == b[0].X && b[3].Y == b[2].Y;
    return e;
}

void TObjectColumn::Reserve(int count) {
    FEntries.reserve(size_t(std::max(count, 0)));
}

void TObjectColumn::Clear() {
    FEntries.clear();
}

void TObjectColumn::Append(const TORBMapObjectMem& o) {
    FEntries.push_back(TObjectColumnEntry::Of(o));
}

void TObjectColumn::Insert(int index, const TORBMapObjectMem& o) {
    FEntries.insert(FEntries.begin() + index, TObjectColumnEntry::Of(o));
}

void TObjectColumn::Erase(int index) {
    FEntries.erase(FEntries.begin() + index);
}

void TObjectColumn::Update(int index, const TORBMapObjectMem& o) {
    FEntries[size_t(index)] = TObjectColumnEntry::Of(o);
}

bool TObjectColumnEntry::SameAs(const TObjectColumnEntry& b) const {
    auto bits = [](float v) { return std::bit_cast<uint32_t>(v); };
    return bits(X0) == bits(b.X0) && bits(Y0) == bits(b.Y0) && bits(X2) == bits(b.X2) &&
           bits(Y2) == bits(b.Y2) && bits(PenWidth) == bits(b.PenWidth) && Category == b.Category &&
           Layer == b.Layer && ObjectType == b.ObjectType && Rectangle == b.Rectangle;
}

bool TObjectColumn::Matches(const TOrbMapList& objects) const {
    if (objects.size() != FEntries.size()) return false;
    for (size_t i = 0; i < objects.size(); ++i)
        if (!TObjectColumnEntry::Of(*objects[i]).SameAs(FEntries[i])) return false;
    return true;
}

} // namespace tsivor::mapdata
