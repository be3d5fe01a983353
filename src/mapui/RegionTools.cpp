#include "mapui/RegionTools.h"

#include "mapdata/Rounding.h"
#include "mapview/HitTest.h"

#include <algorithm>
#include <cmath>

namespace tsivor::mapui {

using mapdata::TORBMapPoint;
using namespace mapview;

void AddSelected(std::vector<int>& selection, int index) {
    if (std::find(selection.begin(), selection.end(), index) == selection.end())
        selection.push_back(index);
}

void ToggleSelected(std::vector<int>& selection, int index) {
    const auto it = std::find(selection.begin(), selection.end(), index);
    if (it != selection.end())
        selection.erase(it);
    else
        selection.push_back(index);
}

// ---------------------------------------------------------------------- pick

void TPickTool::Press(TMouseButton button) {
    if (HandlePress(button)) return;
    const int previous = FMap.CurrentIndex();
    const int hit =
        FMap.ObjectAtPoint(float(FMouse.MouseMapPos.x()), float(FMouse.MouseMapPos.y()));
    std::vector<int>& selection = FMap.SelectedObjectsRef();
    if (hit < 0) {
        FMap.DisarmUndo();
        FMap.SetSelectedObject(false);
        FMap.SetEditMode(emResize);
        selection.clear();
        FMap.RepaintControl();
        return;
    }
    // The next change of this object goes into the undo journal.
    FMap.ArmUndo();
    if (button == mbLeft) {
        if (FMouse.LastShift & Qt::ShiftModifier) {
            ToggleSelected(selection, hit);
        } else {
            selection.clear();
            AddSelected(selection, hit);
        }
        if (FMap.OnRegion) FMap.OnRegion(&FMap, selection);
    }
    if (hit != previous) FMap.SetEditMode(emResize);
    const uint8_t type = FMap.BufferObject().ObjectType;
    if (type == mapdata::cZametka || (type == mapdata::cText && FMap.EditMode() == emResize))
        FMap.SetEditMode(emNodes);
    FMap.SetSelectedObject(true);
    FMap.RepaintControl();
}

// ---------------------------------------------------------------------- regions

TORBMapPoint TSelectionRegion::MousePoint() const {
    return {float(FMouse.MouseMapPos.x()), float(FMouse.MouseMapPos.y())};
}

void TSelectionRegion::Cancel() {
    FRegionPoints.clear();
    FMap.RepaintControl();
}

void TSelectionRegion::RegionChanged() {
    SelectObjectsInRegion();
    if (FMap.OnRegion) FMap.OnRegion(&FMap, FMap.SelectedObjects());
}

void TSelectionRegion::RegionFinished() {
    if (!FMap.OnAfterRegion) return;
    SelectObjectsInRegion();
    FMap.OnAfterRegion(&FMap, FMap.SelectedObjects());
}

void TSelectionRegion::SelectObjectsInRegion() {
    std::vector<int>& selection = FMap.SelectedObjectsRef();
    selection.clear();
    if (FRegionPoints.empty()) return;
    float x0 = FRegionPoints[0].X, y0 = FRegionPoints[0].Y, x1 = x0, y1 = y0;
    for (const TORBMapPoint& p : FRegionPoints) {
        x0 = std::min(x0, p.X), x1 = std::max(x1, p.X);
        y0 = std::min(y0, p.Y), y1 = std::max(y1, p.Y);
    }
    const int last = int(FRegionPoints.size()) - 1;
    auto consider = [&](int i) {
        const mapdata::TORBMapObjectMem* o = FMap.Object(i);
        if (!o) return;
        float minX = o->Box[0].X, minY = o->Box[0].Y, maxX = minX, maxY = minY;
        for (const TORBMapPoint& c : o->Box) {
            minX = std::min(minX, c.X), maxX = std::max(maxX, c.X);
            minY = std::min(minY, c.Y), maxY = std::max(maxY, c.Y);
        }
        // The other two corners are not tested.
        if (PointInPolygon(FRegionPoints.data(), last, minX, minY) &&
            PointInPolygon(FRegionPoints.data(), last, maxX, maxY))
            AddSelected(selection, i);
    };
    if (FMap.UseIndex()) {
        mapdata::TOrbMapIndex& index = FMap.SpatialIndex();
        int previous = -1;
        for (int32_t i : index.Query(x0, y0, x1, y1)) {
            if (i == previous) continue;
            previous = i;
            consider(i);
        }
        return;
    }
    for (int i = 0; i < FMap.ObjectCount(); ++i) consider(i);
}

void TSelectionRegion::PaintOverlay(QPainter& canvas) {
    if (FRegionPoints.size() < 2) return;
    QPolygon outline;
    for (const TORBMapPoint& p : FRegionPoints) {
        float x = p.X, y = p.Y;
        FMap.MapToScreen(x, y);
        outline << QPoint(mapdata::RoundToInt(x), mapdata::RoundToInt(y));
    }
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    canvas.setPen(QPen(Qt::white, FMap.Options().WidthRectLinza()));
    canvas.setBrush(Qt::NoBrush);
    canvas.drawPolygon(outline);
}

void TRegionTool::Press(TMouseButton button) {
    if (button == mbRight) {
        if (FMap.Options().CancelAction() != orbRightButton) return;
        RegionFinished();
        FRegionPoints.clear();
        FMap.RepaintControl();
        return;
    }
    if (FRegionPoints.empty())
        FRegionPoints.assign(3, MousePoint());
    else
        FRegionPoints.push_back(MousePoint());
    FMap.RepaintControl();
    RegionChanged();
}

void TRegionTool::Move() {
    if (FRegionPoints.size() < 2) return;
    FRegionPoints.back() = MousePoint();
    FMap.RepaintControl();
    RegionChanged();
}

bool TRegionTool::DoubleClick() {
    RegionFinished();
    FRegionPoints.clear();
    return true;
}

void TRegionRectTool::Press(TMouseButton /*button*/) {
    if (FRegionPoints.empty()) FRegionPoints.assign(4, MousePoint());
    FMap.RepaintControl();
}

void TRegionRectTool::Move() {
    if (FRegionPoints.size() < 2) return;
    const TORBMapPoint p0 = FRegionPoints[0], m = MousePoint();
    FRegionPoints[1] = {m.X, p0.Y};
    FRegionPoints[2] = m;
    FRegionPoints[3] = {p0.X, m.Y};
    FMap.RepaintControl();
}

void TRegionRectTool::Release(TMouseButton /*button*/) {
    RegionChanged();
    RegionFinished();
    FRegionPoints.clear();
    FMap.RepaintControl();
}

} // namespace tsivor::mapui
