#pragma once
// TEditBuffer: the one object being built or changed, with its address as texts. It holds its
// own copy of the object, so the list record stays usable until the buffer is posted.

#include "mapdata/MapObject.h"

namespace tsivor::mapdata {

struct TEditBuffer {
    TORBMapObjectMem Object;
    TORBMapText Text;      // the text attributes of a cText
    TAdres Address;        // House and House1 at most 12 characters
    int CurrentIndex = -1; // the list index the buffer belongs to; ObjectCount for a new object
    bool Loaded = false;

    // Back to an empty record: no data, address or extra.
    void Reset();
};

// The style of new objects: white solid pen of one pixel, clear black brush, opaque.
void ApplyNewObjectStyle(TORBMapObjectMem& o);

} // namespace tsivor::mapdata
