#include "mapui/LensTool.h"

#include "mapdata/Rounding.h"

#include <cmath>

namespace tsivor::mapui {

using namespace mapview;

double TLensTool::Step(double scale) const {
    return FMap.Options().mpLinzaDouble() ? scale : scale * FMap.Options().StepLinza() / 100;
}

void TLensTool::Press(TMouseButton button) {
    if (button == mbLeft) {
        FLensDragging = true;
        FLensStart = FLensEnd = FMouse.MouseMapPos;
        FMap.RepaintControl();
        return;
    }
    // Zooming out takes half the step of zooming in when the steps double.
    const double scale = FMap.Scale();
    const double step = FMap.Options().mpLinzaDouble() ? scale / 2 : Step(scale);
    if (scale - step > 0)
        FMap.ZoomAt(float(FMouse.MouseMapPos.x()), float(FMouse.MouseMapPos.y()), scale - step);
}

void TLensTool::Move() {
    if (!FLensDragging) return;
    FLensEnd = FMouse.MouseMapPos;
    FMap.RepaintControl();
}

void TLensTool::Finish() {
    if (!FLensDragging) return;
    FLensDragging = false;
    // A frame smaller than 3 map units either way counts as a click.
    if (std::abs(FLensStart.x() - FLensEnd.x()) >= 3 &&
        std::abs(FLensStart.y() - FLensEnd.y()) >= 3) {
        FMap.ZoomToRect(float(FLensStart.x()), float(FLensStart.y()), float(FLensEnd.x()),
                        float(FLensEnd.y()));
        return;
    }
    const double scale = FMap.Scale();
    const double zoomed = std::min(scale + Step(scale), kMaxScale);
    FMap.ZoomAt(float(FMouse.MouseMapPos.x()), float(FMouse.MouseMapPos.y()), zoomed);
}

void TLensTool::PaintFrame(QPainter& canvas) const {
    if (!FLensDragging) return;
    float x0 = float(FLensStart.x()), y0 = float(FLensStart.y());
    float x1 = float(FLensEnd.x()), y1 = float(FLensEnd.y());
    FMap.MapToScreen(x0, y0);
    FMap.MapToScreen(x1, y1);
    const QRect r(
        QPoint(mapdata::RoundToInt(std::min(x0, x1)), mapdata::RoundToInt(std::min(y0, y1))),
        QPoint(mapdata::RoundToInt(std::max(x0, x1)), mapdata::RoundToInt(std::max(y0, y1))));
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    canvas.setPen(QPen(Qt::white, FMap.Options().WidthRectLinza(), Qt::DotLine));
    canvas.setBrush(Qt::NoBrush);
    canvas.drawRect(r);
    canvas.restore();
}

} // namespace tsivor::mapui
