#pragma once
// The sample town as a map document (the tests load it back and compare).

#include "CityPlan.h"

#include "mapdata/MapDocument.h"

namespace tsivor::sample {

// Fills doc with the map of the plan: land, districts, blocks, river, parks, streets, houses,
// labels, notes and pictures.
void BuildSampleMap(const CityPlan& plan, mapdata::TMapDocument& doc);

} // namespace tsivor::sample
