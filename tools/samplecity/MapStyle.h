#pragma once
// What the generated maps (the sample town and towns imported from OpenStreetMap) draw alike:
// colours as the map stores them, the built-in categories they file objects under, the size of
// street and area names, and how a finished object joins the document.

#include "mapdata/MapDocument.h"

namespace tsivor::sample {

// A colour as the map stores it, 0x00BBGGRR.
constexpr mapdata::TColor Rgb(int r, int g, int b) {
    return mapdata::TColor(r) | mapdata::TColor(g) << 8 | mapdata::TColor(b) << 16;
}

// Codes of the component's built-in categories.
enum TMapCategory : int {
    kCatNone = 0,
    kCatStreet = 1,
    kCatDistrict = 2,
    kCatTransport = 7,
    kCatIndustry = 9,
    kCatPark = 10,
    kCatMedicine = 12,
    kCatBuilding = 13,       // stone and concrete
    kCatWoodenBuilding = 14, // wood
    kCatBlock = 15,
    kCatWater = 16,
    kCatEvent = 17,
};

// The height of a street's name in metres by the street's width in metres: as tall as the
// carriageway is wide (9 to 22), so it is large enough to read from the middle scales on and
// covers no house number at any scale.
float StreetLabelSize(float width);
// The height of the names of parks, squares and water in metres.
constexpr float kAreaLabelSize = 14;

// Gives the object its box and its centre (the box's, children included) and appends it.
mapdata::TORBMapObjectMem& AppendObject(mapdata::TMapDocument& doc, mapdata::TOrbMapObjectPtr o);

} // namespace tsivor::sample
