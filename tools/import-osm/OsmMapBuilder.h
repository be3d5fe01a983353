#pragma once
// The map of an extract: every feature becomes map objects in a local metric plane, on layers
// and in categories that the program's filter and drawing order expect, with addresses that the
// house search finds; labels along streets and inside districts; notes for points of interest.

#include "LocalProjection.h"
#include "OsmExtract.h"
#include "OsmNames.h"

#include "mapdata/MapDocument.h"

#include <memory>

namespace tsivor::importosm {

class TOsmMapBuilder {
public:
    TOsmMapBuilder(const TOsmExtract& extract, QString townName);
    ~TOsmMapBuilder();

    // Fills doc anew (version 14, Mashtab 1000: one map unit is one metre). Afterwards the
    // extract's features, places and address points may be let go: the lookups below keep
    // what they need.
    void Build(mapdata::TMapDocument& doc);

    // Object index of a building feature's house; -1 when it has none.
    int HouseOf(int feature) const;
    // Building feature that holds the point, or -1.
    int BuildingAt(TOsmPoint at) const;
    // The address a building ends up with: its own or that of an address point inside it.
    TOsmAddress AddressOf(int feature) const;
    // A name as the map stores it (code page 1251 only).
    QString MapName(const QString& name) { return FNames.Convert(name); }
    const TCp1251Names& Names() const { return FNames; }

private:
    class TBuildingGrid;
    mapdata::TORBMapPoint Map(TOsmPoint p) const;
    void Project();
    void AssignAddresses();

    const TOsmExtract& FExtract;
    QString FTownName;
    TCp1251Names FNames;
    TLocalProjection FProjection;
    float FOffsetX = 0, FOffsetY = 0;
    std::vector<int> FHouseObject;      // per feature
    std::vector<TOsmAddress> FAddress;  // per feature: the building's address
    std::vector<TOsmAddress> FAddress2; // per feature: its second address
    std::unique_ptr<TBuildingGrid> FBuildings;
};

} // namespace tsivor::importosm
