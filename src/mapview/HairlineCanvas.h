#pragma once
// The pixels and pen of a canvas whose one-pixel outlines Qt strokes straight into the image:
// what the hairline steppers (TPlainHairlines, TSmoothHairlines) need to draw those outlines
// themselves.

#include "mapview/PixelCanvas.h"

#include <QPainter>
#include <QPointF>
#include <QRect>

#include <cstdint>
#include <optional>

namespace tsivor::mapview {

// Device: Qt cuts lines near it, whatever the clip.
struct THairlineCanvas : TPixelCanvas {
    uint32_t Color = 0; // the pen's pixel
    bool Caps = true;   // the pen's ends are not flat

    // The canvas as it stands, or nullopt unless Qt strokes its pen as a hairline written
    // straight into the pixels: pixels that can be written straight (see TPixelCanvas) and a
    // solid, opaque pen of width 0 or 1 in one solid colour. Smoothing is for the caller to
    // check.
    // read, when given, is what TPixelCanvas::Read gave for the canvas as it stands.
    static std::optional<THairlineCanvas> Of(const QPainter& canvas,
                                             const std::optional<TPixelCanvas>* read = nullptr);
};

} // namespace tsivor::mapview
