#pragma once
// Writes a document as version-14 content (the component itself never saves; this serves the
// tools and the tests).

#include "mapdata/MapDocument.h"

namespace tsivor::mapdata {

// The plain content: header (ObjectCount, StreetCount and TownCount taken from the lists),
// street table, town table, objects depth first.
QByteArray WriteMapContent(const TMapDocument& doc);
// One object record as stored, children included.
void WriteObjectRecord(QByteArray& out, const TORBMapObjectMem& o);

} // namespace tsivor::mapdata
