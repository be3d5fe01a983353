#include "mapview/RasterLayerPainter.h"

#include <algorithm>
#include <cmath>

namespace tsivor::mapview {

namespace {

constexpr int kMaxRasterSide = 4096;

} // namespace

void DrawRasterLayer(TDrawObject& draw, QPainter& canvas, mapdata::TOrbHugeBitmap& layer,
                     QSize size, float x0, float y0, float x1, float y1, double pixelsPerUnit) {
    const QImage* picture = layer.Compose(size, x0, y0, x1, y1, pixelsPerUnit);
    if (!picture) return;
    // The drawing object's canvas and opacity are its own again afterwards.
    struct TRestore {
        TDrawObject& Draw;
        QPainter* Canvas;
        uint8_t Opacity;
        ~TRestore() {
            Draw.SetCanvas(Canvas);
            Draw.Opacity = Opacity;
        }
    } restore{draw, draw.Canvas(), draw.Opacity};
    draw.SetCanvas(&canvas);
    draw.Opacity = layer.AlphaBlending();
    draw.DrawGraphic(0, 0, *picture);
}

void DrawRasterLayerOver(TDrawObject& draw, QPainter& canvas, mapdata::TOrbHugeBitmap& layer,
                         const QRect& rect, float x0, float y0, float x1, float y1) {
    if (rect.isEmpty() || !(x1 > x0) || !(y1 > y0)) return;
    // A page of a fine printer would need a picture of hundreds of megabytes; the tiles of a
    // scanned plan have nothing that fine to show.
    const double shrink =
        std::min(1.0, double(kMaxRasterSide) / std::max(rect.width(), rect.height()));
    const QSize size(std::max(1, int(std::ceil(rect.width() * shrink))),
                     std::max(1, int(std::ceil(rect.height() * shrink))));
    canvas.save();
    canvas.translate(rect.topLeft());
    canvas.scale(1 / shrink, 1 / shrink);
    DrawRasterLayer(draw, canvas, layer, size, x0, y0, x1, y1, rect.width() * shrink / (x1 - x0));
    canvas.restore();
}

} // namespace tsivor::mapview
