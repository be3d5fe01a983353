#include "mapui/DragMapTool.h"

namespace tsivor::mapui {

void TDragMapTool::Press(TMouseButton /*button*/) {
    FDragging = true;
    FDragCenter = FMap.GetViewCenter();
    FDragOrigin = QPointF(FMouse.MousePos);
}

void TDragMapTool::Move() {
    if (FMoving || !FDragging) return;
    mapview::TFlagGuard guard(FMoving);
    // Always from the start of the drag, so no error builds up over the moves.
    const double scale = FMap.Scale();
    const float ax = float((FMouse.MousePos.x() - FDragOrigin.x()) * 100.0 / scale);
    const float ay = float((FMouse.MousePos.y() - FDragOrigin.y()) * 100.0 / scale);
    const float cx = float(FDragCenter.x()) - ax, cy = float(FDragCenter.y()) - ay;
    if (FMap.Options().LockScrollOutMap()) {
        const mapdata::TMapExtent& e = FMap.MapExtent();
        if (cx < e.MinX || cx > e.MaxX || cy < e.MinY || cy > e.MaxY) return;
    }
    FMap.ZoomAt(cx, cy, scale);
}

void TDragMapTool::Release(TMouseButton /*button*/) {
    const mapview::tOrbMapOptions& o = FMap.Options();
    if (o.View3D() && FMap.Scale() >= o.MinScale3D()) {
        FMap.MarkDirty();
        FMap.Redraw();
        FMap.RepaintControl();
    }
}

} // namespace tsivor::mapui
