#include "mapdata/StreetIndex.h"

#include <algorithm>

namespace tsivor::mapdata {
namespace {

const std::vector<int32_t> kNone;

void InsertSorted(std::vector<int32_t>& list, int32_t index) {
    // Appends are the common case (loading, new objects).
    if (list.empty() || list.back() < index) {
        list.push_back(index);
        return;
    }
    const auto at = std::lower_bound(list.begin(), list.end(), index);
    if (at == list.end() || *at != index) list.insert(at, index);
}

} // namespace

bool TStreetIndex::Codes(const TORBMapObjectMem& o, int& first, int& second) {
    if (o.HasAddress != 1 || !o.Address) return false;
    first = uint16_t(o.Address->StreetCode);
    second = uint16_t(o.Address->Street1Code);
    if (second == first) second = -1;
    return true;
}

void TStreetIndex::Clear() {
    FByStreet.clear();
    FUsed.clear();
}

std::vector<int32_t>& TStreetIndex::ListOf(int code) {
    if (FByStreet.empty()) FByStreet.resize(65536);
    auto& list = FByStreet[size_t(code)];
    if (list.capacity() == 0) FUsed.push_back(code);
    return list;
}

void TStreetIndex::Rebuild(const TOrbMapList& objects) {
    Clear();
    for (int i = 0; i < int(objects.size()); ++i) Add(i, *objects[size_t(i)]);
}

void TStreetIndex::Add(int index, const TORBMapObjectMem& o) {
    int first = 0, second = 0;
    if (!Codes(o, first, second)) return;
    InsertSorted(ListOf(first), index);
    if (second >= 0) InsertSorted(ListOf(second), index);
}

void TStreetIndex::Remove(int index, const TORBMapObjectMem& o) {
    int first = 0, second = 0;
    if (!Codes(o, first, second) || FByStreet.empty()) return;
    for (int code : {first, second}) {
        if (code < 0) continue;
        auto& list = FByStreet[size_t(code)];
        const auto at = std::lower_bound(list.begin(), list.end(), index);
        if (at != list.end() && *at == index) list.erase(at);
    }
}

void TStreetIndex::ShiftDown(int index) {
    for (int code : FUsed) {
        auto& list = FByStreet[size_t(code)];
        for (auto it = std::lower_bound(list.begin(), list.end(), index); it != list.end(); ++it)
            --*it;
    }
}

void TStreetIndex::ShiftUp(int index) {
    for (int code : FUsed) {
        auto& list = FByStreet[size_t(code)];
        for (auto it = std::lower_bound(list.begin(), list.end(), index); it != list.end(); ++it)
            ++*it;
    }
}

bool TStreetIndex::MatchesRebuild(const TOrbMapList& objects) const {
    TStreetIndex fresh;
    fresh.Rebuild(objects);
    for (int code = 0; code < 65536; ++code)
        if (Objects(code) != fresh.Objects(code)) return false;
    return true;
}

const std::vector<int32_t>& TStreetIndex::Objects(int streetCode) const {
    if (FByStreet.empty() || streetCode < 0 || streetCode > 65535) return kNone;
    return FByStreet[size_t(streetCode)];
}

} // namespace tsivor::mapdata
