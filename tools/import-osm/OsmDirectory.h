#pragma once
// info.db of an imported town: organisations with their rubrics, addresses, telephones, web
// and mail, each address linked to the map object of its house.

#include "OsmExtract.h"

namespace tsivor::importosm {

class TOsmMapBuilder;

struct TDirectoryCounts {
    int Organisations = 0;
    int Rubrics = 0;
    int Addresses = 0;
    int OnMap = 0; // addresses whose house is on the map
    int Phones = 0;
};

// Writes the file anew; false with the message (the file is then removed).
// Addresses without a street are filed under the town's name.
bool WriteOsmDirectory(const TOsmExtract& extract, TOsmMapBuilder& map, const QString& town,
                       const QString& path, TDirectoryCounts& counts, QString* error);

} // namespace tsivor::importosm
