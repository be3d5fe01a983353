#pragma once
// Draws a map's raster layer: the layer's picture of the view at the canvas origin, through the
// drawing object with the layer's opacity.

#include "mapdata/OrbHugeBitmap.h"
#include "mapview/DrawPrimitives.h"

#include <QPainter>
#include <QSize>

namespace tsivor::mapview {

// The view is the map rectangle (x0, y0)–(x1, y1) shown on size pixels at pixelsPerUnit.
void DrawRasterLayer(TDrawObject& draw, QPainter& canvas, mapdata::TOrbHugeBitmap& layer,
                     QSize size, float x0, float y0, float x1, float y1, double pixelsPerUnit);

} // namespace tsivor::mapview
