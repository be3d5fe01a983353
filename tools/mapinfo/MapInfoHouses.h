#pragma once
// --street NAME --house NUMBER [--like]: the objects a house search finds, as the map finds
// them (any category, any town).

#include "mapdata/MapDocument.h"

#include <QString>

namespace tsivor::mapinfo {

// The indices found, one per line in list order; empty when nothing matches.
QString HouseQueryText(mapdata::TMapDocument& doc, const QString& street, const QString& house,
                       bool like);

} // namespace tsivor::mapinfo
