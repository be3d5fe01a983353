#pragma once
// The map of an extract: every feature becomes map objects in a local metric plane, on layers
// and in categories that the program's filter and drawing order expect, with addresses that the
// house search finds; labels along streets and inside districts; notes for points of interest.

#include "LocalProjection.h"
#include "OsmExtract.h"
#include "OsmNames.h"

#include "mapdata/MapDocument.h"

namespace tsivor::importosm {

class TOsmMapBuilder {
public:
    TOsmMapBuilder(TOsmExtract& extract, QString townName);

    // Fills doc anew (version 14, Mashtab 1000: one map unit is one metre) and places every
    // organisation on it: the map object of its house, and the house's address when it has none
    // of its own. The points of the buildings move into the map on the way; afterwards the
    // extract's features, places and address points may be let go.
    void Build(mapdata::TMapDocument& doc);

    // A point of the extract in the map's metres, once the map is built.
    mapdata::TORBMapPoint Map(TOsmPoint p) const;
    // A name as the map stores it (code page 1251 only).
    QString MapName(const QString& name) { return FNames.Convert(name); }
    const TCp1251Names& Names() const { return FNames; }

private:
    void Project();

    TOsmExtract& FExtract;
    QString FTownName;
    TCp1251Names FNames;
    TLocalProjection FProjection;
    float FOffsetX = 0, FOffsetY = 0;
};

} // namespace tsivor::importosm
