#pragma once
// What the importer keeps of an OpenStreetMap extract: the features the map draws, the
// organisations of the directory and the counts of what was read and skipped. Coordinates stay
// in degrees (1e-7, as OpenStreetMap stores them) until the town's centre is known.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <vector>

namespace tsivor::importosm {

struct TOsmPoint {
    int32_t X = 0, Y = 0; // longitude, latitude in 1e-7 degrees
    double Lon() const { return X * 1e-7; }
    double Lat() const { return Y * 1e-7; }
};
using TOsmRing = std::vector<TOsmPoint>;

enum class TFeatureKind : uint8_t {
    Building,
    Street,   // a highway line
    Railway,  // a railway line
    Waterway, // a river, canal or stream line
    Water,    // a lake, pond, riverbank area
    Park,     // parks, gardens, grass
    Forest,   // woods
    Square,   // pedestrian areas and squares
    Landuse,  // residential, industrial and other ground
    District, // a suburb or quarter outline (its name is a label)
};

// Road classes from the widest down; their widths and layers are in the map builder.
enum class TRoadClass : uint8_t {
    Motorway,
    Trunk,
    Primary,
    Secondary,
    Tertiary,
    Residential,
    Service,
    Pedestrian,
    Path,
    Other
};

struct TOsmAddress {
    QString Street, House;
    bool Empty() const { return Street.isEmpty() || House.isEmpty(); }
};

struct TOsmFeature {
    TFeatureKind Kind = TFeatureKind::Building;
    TRoadClass Road = TRoadClass::Other; // streets; for waterways 0 river, 1 canal, 2 stream
    bool Wooden = false;                 // buildings of wood are their own category
    bool Industrial = false;             // landuse: industrial ground
    std::vector<TOsmRing> Rings;         // outer rings of an area, or the one line
    QString Name;
    TOsmAddress Address, Address2; // the second address of a corner house
    float Height = 0;              // metres, from height or building:levels
    int64_t OsmId = 0;
};

// A point with a name that the map shows as a label: a suburb, a quarter, the town itself.
struct TOsmPlace {
    QString Name;
    QString Kind; // the place tag: city, town, suburb, quarter, neighbourhood, village...
    TOsmPoint At;
};

// An address point: a node with addr:housenumber that is not an organisation.
struct TOsmAddressPoint {
    TOsmAddress Address;
    TOsmPoint At;
};

struct TOsmOrganisation {
    QString Title;
    QStringList Phones;
    QString Website, Email;
    QString Comment; // opening hours and description
    QStringList Rubrics;
    int Picture = 12; // of the "Default" library
    TOsmAddress Address;
    TOsmPoint At;      // where its note stands
    int Building = -1; // the feature of its building, when it is one
    bool IsPoint = true;
    int MapObject = -1; // its house on the map, once the map is built
};

struct TOsmCounts {
    int64_t Nodes = 0, Ways = 0, Relations = 0;
    int64_t WaysWithMissingNodes = 0; // drawn with the nodes that are there
    int64_t WaysSkipped = 0;          // fewer than two nodes left: not drawn
    int64_t PictographsDropped = 0;   // emoji and the like taken out of names and texts
    int64_t Objects() const { return Nodes + Ways + Relations; }
};

// Deques: a large town grows them without ever holding two copies while they grow.
struct TOsmExtract {
    std::deque<TOsmFeature> Features;
    std::vector<TOsmPlace> Places;
    std::deque<TOsmAddressPoint> AddressPoints;
    std::deque<TOsmOrganisation> Organisations;
    TOsmCounts Counts;
    QString TownName;  // place=city/town/village with the widest rank met, when any
    QString ReadError; // set when the file was damaged: what was read before stays
};

} // namespace tsivor::importosm
