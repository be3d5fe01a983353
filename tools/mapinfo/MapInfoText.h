#pragma once
// The plain-text summary of a loaded map.

#include "mapdata/MapLoader.h"

namespace tsivor::mapinfo {

QString MapSummaryText(const mapdata::TMapDocument& doc, const mapdata::TLoadReport& report);

} // namespace tsivor::mapinfo
