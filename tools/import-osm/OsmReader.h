#pragma once
// Reads an OpenStreetMap file (.osm XML or .osm.pbf, also compressed) with libosmium into the
// importer's extract: areas assembled from closed ways and multipolygons, lines with the
// locations of their nodes.

#include "OsmExtract.h"

namespace tsivor::importosm {

// False with a Russian message when the file cannot be opened or holds nothing at all. A file
// damaged part way keeps what was read before the damage, with the reason in ReadError.
bool ReadOsmFile(const QString& path, TOsmExtract& out, QString* error);

} // namespace tsivor::importosm
