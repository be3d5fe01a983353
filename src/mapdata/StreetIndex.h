#pragma once
// TStreetIndex: for every street code, the top-level objects addressed to it (either address
// of a corner house), ascending, so the house search visits only the street's own objects.

#include "mapdata/MapObject.h"

#include <cstdint>
#include <vector>

namespace tsivor::mapdata {

class TStreetIndex {
public:
    void Clear();
    void Rebuild(const TOrbMapList& objects);

    // Maintenance by the document's changes of the object list.
    void Add(int index, const TORBMapObjectMem& o);
    void Remove(int index, const TORBMapObjectMem& o);
    void ShiftDown(int index); // object index left the list
    void ShiftUp(int index);   // an object was inserted at index

    // The objects addressed to the street code (compared as an unsigned 16-bit value), ascending;
    // each object once.
    const std::vector<int32_t>& Objects(int streetCode) const;

    // Holds exactly what a fresh rebuild from objects would hold.
    bool MatchesRebuild(const TOrbMapList& objects) const;

private:
    // Codes of the two streets of an addressed object; the second is -1 when it is the same
    // street or there is no address.
    static bool Codes(const TORBMapObjectMem& o, int& first, int& second);
    std::vector<int32_t>& ListOf(int code);
    std::vector<std::vector<int32_t>> FByStreet; // 65536 lists once used
    std::vector<int> FUsed;                      // the codes that ever had a list
};

} // namespace tsivor::mapdata
