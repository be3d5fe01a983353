#include "mapview/HairlineCanvas.h"

#include "mapview/PixelCanvas.h"

namespace tsivor::mapview {

std::optional<THairlineCanvas> THairlineCanvas::Of(const QPainter& canvas,
                                                   const std::optional<TPixelCanvas>* read) {
    const QPen& pen = canvas.pen();
    if (pen.style() != Qt::SolidLine || pen.brush().style() != Qt::SolidPattern ||
        !pen.color().rgba64().isOpaque() || (pen.widthF() != 0 && pen.widthF() != 1))
        return std::nullopt;
    const auto pixels = read ? TPixelCanvas::Still(canvas, *read, false) : TPixelCanvas::Of(canvas);
    if (!pixels) return std::nullopt;

    THairlineCanvas c;
    static_cast<TPixelCanvas&>(c) = *pixels;
    c.Color = pen.color().rgba64().toArgb32();
    c.Caps = pen.capStyle() != Qt::FlatCap;
    return c;
}

} // namespace tsivor::mapview
