#include "mapview/RasterLayerPainter.h"

namespace tsivor::mapview {

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

} // namespace tsivor::mapview
