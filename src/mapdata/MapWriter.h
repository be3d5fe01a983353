#pragma once
// Writes a document as version-14 content (the component itself never saves; this serves the
// tools and the tests).

#include "mapdata/MapDocument.h"

#include <functional>

namespace tsivor::mapdata {

// The plain content: header (ObjectCount, StreetCount and TownCount taken from the lists),
// street table, town table, objects depth first.
QByteArray WriteMapContent(const TMapDocument& doc);
// The same content handed to put in pieces of about 64 KB, in order, for writing a large map
// without holding it whole; false as soon as put returns false.
bool WriteMapContent(const TMapDocument& doc, const std::function<bool(QByteArray&)>& put);
// The document as a map file (envelope and content); false when it could not be written whole.
bool WriteMapFile(const QString& path, const TMapDocument& doc);
// The header as versions 10 to 14 store it, with the version given. StreetCount and TownCount
// are those of the lists, or 0 when there are no objects (the tables are stored only with them).
void WriteMapHeader(QByteArray& out, const TMapDocument& doc, int32_t version = 14);
// A street or town table: code and name, entry after entry.
void WriteNameTable(QByteArray& out, const TNameTable& table);
// One object record as stored, children included.
void WriteObjectRecord(QByteArray& out, const TORBMapObjectMem& o);

} // namespace tsivor::mapdata
