#pragma once
// TObjectColumn: a compact copy, one entry per top-level object in list order, of the fields
// the frame collection and the visibility tests read first. On a large map the records lie
// far apart in memory; scanning this contiguous array instead lets those tests skip the
// record of every object that fails them. Only the document changes it, in its operations
// that change the object list, so it never goes stale.

#include "mapdata/MapObject.h"

#include <cstdint>
#include <vector>

namespace tsivor::mapdata {

struct TObjectColumnEntry {
    // Corners 0 and 2 of the box as stored (not sorted).
    float X0 = 0, Y0 = 0, X2 = 0, Y2 = 0;
    float PenWidth = 0;
    int32_t Category = 0;
    int8_t Layer = 0; // clamped to -64..64, the range of the drawing's layer lists
    uint8_t ObjectType = 0;
    // Corners 1 and 3 are (X2, Y0) and (X0, Y2): the box is the rectangle on the diagonal, so
    // a test of the diagonal is the test of the whole box. False for turned text boxes and
    // boxes that are not numbers.
    bool Rectangle = false;

    static TObjectColumnEntry Of(const TORBMapObjectMem& o);
    // Equal field by field; floats by their bits, so that a NaN corner equals itself.
    bool SameAs(const TObjectColumnEntry& other) const;
};

class TObjectColumn {
public:
    const TObjectColumnEntry& operator[](int index) const { return FEntries[size_t(index)]; }
    int Count() const { return int(FEntries.size()); }

    // ---- kept by the document alongside its list
    void Reserve(int count);
    void Clear();
    void Append(const TORBMapObjectMem& o);
    void Insert(int index, const TORBMapObjectMem& o);
    void Erase(int index);
    void Update(int index, const TORBMapObjectMem& o);

    // Every entry equals the one made afresh from the record at its place: the check that the
    // document kept the column current.
    bool Matches(const TOrbMapList& objects) const;

private:
    std::vector<TObjectColumnEntry> FEntries;
};

} // namespace tsivor::mapdata
