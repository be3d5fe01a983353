#pragma once
// Object readers of the content versions 1 to 13: each group of versions has its own record
// layout, address block and forms of texts, notes and pictures, converted on reading into the
// current object model.

#include "mapdata/ByteReader.h"
#include "mapdata/LoadProgress.h"
#include "mapdata/MapDocument.h"

namespace tsivor::mapdata {

// Reads the objects of a version 1..13 content (the header and the name tables are already
// read) and appends them to doc. Versions 1 to 3 read records until the content ends, later
// versions the header's ObjectCount. Damaged records are dropped and counted as for version 14,
// and so is a picture before version 12 (its 42 bytes are passed over: it has no image to show).
// A group before version 4 or nested deeper than 64 levels cannot be framed: reading ends there
// as at a cut.
void ReadLegacyObjects(TByteReader& r, int32_t version, TMapDocument& doc, TLoadProgress& progress,
                       TLoadReport& report);

} // namespace tsivor::mapdata
