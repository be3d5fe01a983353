#pragma once
// Draws a map's raster layer: the layer's picture of the view at the canvas origin, through the
// drawing object with the layer's opacity.

#include "mapdata/OrbHugeBitmap.h"
#include "mapview/DrawPrimitives.h"

#include <QPainter>
#include <QRect>
#include <QSize>

namespace tsivor::mapview {

// The view is the map rectangle (x0, y0)–(x1, y1) shown on size pixels at pixelsPerUnit.
void DrawRasterLayer(TDrawObject& draw, QPainter& canvas, mapdata::TOrbHugeBitmap& layer,
                     QSize size, float x0, float y0, float x1, float y1, double pixelsPerUnit);

// The same over rect of a canvas of any resolution (a printed page) showing the map rectangle
// (x0, y0)–(x1, y1): composed at most 4096 pixels wide and high, stretched over rect.
void DrawRasterLayerOver(TDrawObject& draw, QPainter& canvas, mapdata::TOrbHugeBitmap& layer,
                         const QRect& rect, float x0, float y0, float x1, float y1);

} // namespace tsivor::mapview
