#pragma once
// A plausible small town written as an OpenStreetMap file through libosmium (.osm XML or
// .osm.pbf by the file's suffix), the same data in both: a grid of named streets of several
// classes, addressed buildings with heights, a corner house, shops and cafés, a river with a
// lake, a park, a railway and the town's and districts' names.

#include <QString>

#include <cstdint>

namespace tsivor::importosm::testtown {

struct TTownSize {
    int StreetsX = 6; // streets running north-south
    int StreetsY = 5; // streets running east-west
    int HousesPerSide = 3;
};

struct TTownFacts {
    int64_t Nodes = 0, Ways = 0, Relations = 0;
    int Buildings = 0;
    int Organisations = 0;  // named points and buildings with a directory tag
    double EastNodeLon = 0; // two nodes exactly 1000 m apart east-west (the "ruler")
};

constexpr const char* kTown = "Новоозёрск";
constexpr double kLat0 = 56.3, kLon0 = 38.1;

// Writes the file anew; what it holds.
TTownFacts WriteTown(const QString& path, const TTownSize& size = {});

} // namespace tsivor::importosm::testtown
