#include "mapview/SelectionOverlay.h"

#include "mapview/DataMap.h"
#include "mapview/DrawPrimitives.h"

#include "mapdata/Rounding.h"

#include <algorithm>
#include <cmath>

namespace tsivor::mapview {

using mapdata::TORBMapObjectMem;
using mapdata::TORBMapPoint;

namespace {

QPoint ScreenPoint(const TDataMap& map, float x, float y) {
    map.MapToScreen(x, y);
    return {mapdata::RoundToInt(x), mapdata::RoundToInt(y)};
}

// The one-pixel dotted XOR pen of the selection frame and outline.
void DottedXor(const TDataMap& map, QPainter& canvas) {
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    canvas.setPen(QPen(ToQColor(map.BackgroundColor()), 0, Qt::DotLine));
    canvas.setBrush(Qt::NoBrush);
}

void PaintSeveralFrame(const TDataMap& map, QPainter& canvas) {
    bool any = false;
    float minX = 0, minY = 0, maxX = 0, maxY = 0;
    for (int index : map.SelectedObjects()) {
        const TORBMapObjectMem* o = map.Object(index);
        if (!o) continue;
        for (const TORBMapPoint& p : o->Box) {
            if (!any) {
                minX = maxX = p.X, minY = maxY = p.Y;
                any = true;
            }
            minX = std::min(minX, p.X), maxX = std::max(maxX, p.X);
            minY = std::min(minY, p.Y), maxY = std::max(maxY, p.Y);
        }
    }
    if (!any) return;
    DottedXor(map, canvas);
    canvas.drawRect(QRect(ScreenPoint(map, minX, minY), ScreenPoint(map, maxX, maxY)));
}

QRect HandleSquare(QPoint c, int half) {
    return QRect(c.x() - half, c.y() - half, 2 * half, 2 * half);
}

void PaintResizeHandles(const TSelectionHandles& h, int half, QPainter& canvas) {
    canvas.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    canvas.setPen(QPen(Qt::white, 0));
    canvas.setBrush(Qt::black);
    for (QPoint p : h.Resize) canvas.drawRect(HandleSquare(p, half));
}

void PaintNodeHandles(const TSelectionHandles& h, int half, QPainter& canvas) {
    if (h.BezierNodes) {
        // Each control point hangs on its anchor: the one before it or the one after it.
        canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
        canvas.setPen(QPen(Qt::white, 0, Qt::DashLine));
        const int n = int(h.Nodes.size());
        for (int i = 0; i < n; ++i) {
            if (IsBezierAnchor(i)) continue;
            const int anchor = i % 3 == 1 ? i - 1 : i + 1;
            if (anchor < n) canvas.drawLine(h.Nodes[size_t(i)], h.Nodes[size_t(anchor)]);
        }
        canvas.setPen(Qt::NoPen);
        canvas.setBrush(Qt::blue);
        for (int i = 0; i < n; ++i)
            if (!IsBezierAnchor(i)) canvas.drawRect(HandleSquare(h.Nodes[size_t(i)], half));
    }
    canvas.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    canvas.setPen(QPen(Qt::white, 0));
    canvas.setBrush(Qt::NoBrush);
    for (size_t i = 0; i < h.Nodes.size(); ++i)
        if (!h.BezierNodes || IsBezierAnchor(int(i)))
            canvas.drawRect(HandleSquare(h.Nodes[i], half));
}

void PaintRotateHandles(const TSelectionHandles& h, int half, QPainter& canvas) {
    canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
    canvas.setPen(QPen(Qt::black, 0));
    canvas.setBrush(Qt::white);
    for (QPoint p : h.Corners) canvas.drawEllipse(p, half + 2, half + 2);
    if (!h.CentreShown) return;
    canvas.setBrush(Qt::NoBrush);
    const int arm = half + 3;
    for (const auto& [colour, shift] : {std::pair{Qt::black, 0}, std::pair{Qt::white, 1}}) {
        const QPoint c = h.Centre + QPoint(shift, shift);
        canvas.setPen(QPen(colour, 0));
        canvas.drawEllipse(c, half, half);
        canvas.drawLine(c.x() - arm, c.y(), c.x() + arm, c.y());
        canvas.drawLine(c.x(), c.y() - arm, c.x(), c.y() + arm);
    }
}

} // namespace

TSelectionHandles SelectionHandles(const TDataMap& map) {
    const TORBMapObjectMem& o = map.BufferObject();
    TSelectionHandles h;
    for (size_t i = 0; i < 4; ++i) h.Corners[i] = ScreenPoint(map, o.Box[i].X, o.Box[i].Y);
    for (size_t i = 0; i < 4; ++i) {
        h.Resize[2 * i] = h.Corners[i];
        const TORBMapPoint &p = o.Box[i], &q = o.Box[(i + 1) % 4];
        h.Resize[2 * i + 1] = ScreenPoint(map, (p.X + q.X) / 2, (p.Y + q.Y) / 2);
    }
    h.Centre = ScreenPoint(map, o.CenterX, o.CenterY);
    h.CentreShown = o.ObjectType != mapdata::cZametka;
    if (HasNodeHandles(o.ObjectType) && o.Points)
        for (int i = 0; i < o.Count; ++i)
            h.Nodes.push_back(ScreenPoint(map, o.Points[i].X, o.Points[i].Y));
    h.BezierNodes = o.ObjectType == mapdata::cBezier || o.ObjectType == mapdata::cBezierFill;
    return h;
}

bool BufferLockedAgainstEditing(const TDataMap& map) {
    return map.BufferObject().Locked == 1 && map.Options().mpLocked();
}

bool HandlesShown(const TDataMap& map) {
    return map.Options().mpEdit() && !BufferLockedAgainstEditing(map);
}

bool HandleHit(QPoint handle, QPoint pos, int sizeRect) {
    return std::abs(pos.x() - handle.x()) <= sizeRect && std::abs(pos.y() - handle.y()) <= sizeRect;
}

bool HasNodeHandles(uint8_t objectType) {
    using namespace mapdata;
    return objectType != cBitmap && objectType != cEllipse && objectType != cGroup &&
           objectType != cText && objectType != cZametka;
}

void PaintSelection(const TDataMap& map, QPainter& canvas) {
    const tOrbMapOptions& opt = map.Options();
    const size_t selected = map.SelectedObjects().size();
    if (opt.ShowRegion() && selected >= 2) PaintSeveralFrame(map, canvas);
    if (!map.SelectedObject() || !map.BufferLoaded()) return;
    const TSelectionHandles h = SelectionHandles(map);
    if (opt.BorderSelectedObject() && selected <= 1) {
        DottedXor(map, canvas);
        canvas.drawPolygon(h.Corners.data(), 4);
    }
    if (!HandlesShown(map)) return;
    canvas.setRenderHint(QPainter::Antialiasing, false);
    const int half = opt.SizeRect();
    switch (map.EditMode()) {
    case emResize:
        PaintResizeHandles(h, half, canvas);
        break;
    case emNodes:
        PaintNodeHandles(h, half, canvas);
        break;
    case emRotate:
        PaintRotateHandles(h, half, canvas);
        break;
    }
}

} // namespace tsivor::mapview
