#pragma once
// Where a text label goes so that it is centred on a point and turned along a direction, kept
// readable (never upside down): the generated maps place their street and area names with it.

#include "mapdata/MapDocument.h"

namespace tsivor::mapdata {

// The text block (anchor, angle in tenths of a degree, font, size) of such a label; the text is
// measured with doc's measurer.
TORBMapText LabelAlong(const TMapDocument& doc, const QString& text, TORBMapPoint centre,
                       TORBMapPoint dir, float size, uint8_t font = 0);

} // namespace tsivor::mapdata
