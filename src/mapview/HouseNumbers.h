#pragma once
// House numbers: the label an addressed object gets right after it is drawn, centred on the
// object (or on a point inside an L-shaped house) in a colour contrasting with its fill.

#include "mapdata/MapObject.h"
#include "mapview/DrawPrimitives.h"
#include "mapview/MapOptions.h"
#include "mapview/Viewport.h"

#include <QPointF>
#include <QString>

#include <functional>

namespace tsivor::mapview {

using mapdata::TColor;

// The host may move the label and change both colours.
using TPaintAddressEvent = std::function<void(int& X, int& Y, TColor ObjectColor, TColor& FontColor,
                                              TColor& BackgroundColor)>;

// "12" or "12/3А"; empty without an address.
QString HouseNumberText(const mapdata::TORBMapObjectMem& o);
// Black on fills whose strongest component is 150 or more, else white.
TColor HouseNumberFontColor(TColor fill);
// Even–odd crossing test of a point against the object's points.
bool PointInPolygon(const mapdata::TORBMapObjectMem& o, float x, float y);
// The label anchor in map units: the box centre, or for a polygon whose centre is outside,
// the inside point of the 7 × 7 grid nearest to the centre.
QPointF HouseNumberAnchor(const mapdata::TORBMapObjectMem& o);

// What a drawing pass tells the house-number painter about the device.
struct THouseNumberDevice {
    const TMapTransform* Transform = nullptr;
    double Scale = 100;
    bool Printing = false;
    bool PrintNumberDom = false; // replaces the scale test and mpNumberDom while printing
    int LogicalDpi = 96;         // of the canvas, for point sizes
    double PixelsPerUnit = 1;    // with the device factor: the roof shift of the 3-D view
};

class THouseNumberPainter {
public:
    TPaintAddressEvent OnPaintAddress;

    // Whether the label of o is drawn at all on this device.
    bool Gate(const mapdata::TORBMapObjectMem& o, const tOrbMapOptions& options,
              const THouseNumberDevice& device) const;
    // Draws the label of o after the object itself; height is the extrusion used (0 flat).
    void Draw(const mapdata::TORBMapObjectMem& o, const tOrbMapOptions& options,
              const THouseNumberDevice& device, TDrawObject& draw, float height = 0) const;
};

} // namespace tsivor::mapview
