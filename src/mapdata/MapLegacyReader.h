#pragma once
// Object readers of the content versions 1 to 13.

#include "mapdata/ByteReader.h"
#include "mapdata/LoadProgress.h"
#include "mapdata/MapDocument.h"

namespace tsivor::mapdata {

// Reads the objects of a version 1..13 content (the header and the name tables are already
// read) and appends them to doc. Not supported yet: such a map loads without objects.
void ReadLegacyObjects(TByteReader& r, int32_t version, TMapDocument& doc, TLoadProgress& progress,
                       TLoadReport& report);

} // namespace tsivor::mapdata
