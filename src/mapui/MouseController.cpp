#include "mapui/MouseController.h"

#include "mapui/SelectionCursor.h"
#include "mapview/SelectionOverlay.h"

namespace tsivor::mapui {

using namespace mapview;

TCursor ToolCursor(TInstrument tool) {
    if (tool == iLinza) return crLinza;
    if (tool == iDragMap) return crOrbHand;
    return crDefault;
}

TCursor AfterScrollCursor(TInstrument tool) {
    return tool == iLinza ? crLinza : crDefault;
}

TMapMouseController::TMapMouseController(TDataMap& map) : FMap(map) {
    auto measure = std::make_unique<TMeasureTool>(map, FMouse);
    auto lens = std::make_unique<TLensTool>(map, FMouse);
    auto drag = std::make_unique<TDragMapTool>(map, FMouse);
    FMeasure = measure.get();
    FLens = lens.get();
    FDrag = drag.get();
    auto slot = [&](bool movesAfterRightPress) {
        return std::make_unique<TDrawingToolSlot>(map, FMouse, movesAfterRightPress);
    };
    FTools[iNone] = std::make_unique<TNoTool>(map, FMouse);
    FTools[iMeasure] = std::move(measure);
    FTools[iPick] = std::make_unique<TPickTool>(map, FMouse);
    FTools[iPolygon] = slot(true);
    FTools[iRectangle] = slot(false);
    FTools[iLine] = slot(true);
    FTools[iPixel] = std::make_unique<TNoTool>(map, FMouse);
    FTools[iBezier] = slot(true);
    FTools[iBezierFill] = slot(true);
    FTools[iEllipse] = slot(false);
    FTools[iText] = slot(false);
    FTools[iBitmap] = slot(false);
    FTools[iZametka] = slot(false);
    FTools[iLinza] = std::move(lens);
    FTools[iRegion] = std::make_unique<TRegionTool>(map, FMouse);
    FTools[iRegionRect] = std::make_unique<TRegionRectTool>(map, FMouse);
    FTools[iDragMap] = std::move(drag);
}

TMapMouseController::~TMapMouseController() = default;

void TMapMouseController::Record(Qt::KeyboardModifiers shift, QPoint pos) {
    FMouse.MousePos = pos;
    float x = float(pos.x()), y = float(pos.y());
    FMap.ScreenToMap(x, y);
    FMouse.MouseMapPos = QPointF(x, y);
    FMouse.LastShift = shift;
    FMap.SetMousePos(pos);
}

void TMapMouseController::MouseDown(TMouseButton button, Qt::KeyboardModifiers shift, QPoint pos) {
    if (FMouse.IgnoreNextMouseDown) {
        FMouse.IgnoreNextMouseDown = false;
        return;
    }
    FMap.setFocus(Qt::MouseFocusReason);
    FMouse.MouseDown = true;
    Record(shift, pos);
    FMouse.LastButton = button;
    // The modal gestures return only after their button is released; the map may be gone
    // by then, and this object with it.
    if (button == mbMiddle) {
        FMouse.AutoScrolling = true;
        FMouse.AutoScrollOrigin = pos;
        FAutoScroller.Run(FWait);
        return;
    }
    switch (FEdges.EdgeScroll(FWait)) {
    case TGestureResult::MapGone:
        return;
    case TGestureResult::Ran:
        // A press inside an edge zone never reaches the tool.
        FMouse.MouseDown = false;
        return;
    case TGestureResult::NotRun:
        break;
    }
    Current().Press(button);
}

void TMapMouseController::MouseMove(Qt::KeyboardModifiers shift, QPoint pos) {
    Record(shift, pos);
    if (FEdges.CheckScrollZone(pos)) return; // moves inside an edge zone reach no tool
    if (FMap.SelectedObject()) SelectionCursor(pos);
    if (FMouse.LastButton == mbLeft ||
        (FMouse.LastButton == mbRight && Current().MovesAfterRightPress()))
        Current().Move();
}

void TMapMouseController::SelectionCursor(QPoint pos) {
    // The scrolling direction stays on show while the middle button scrolls.
    if (FMouse.AutoScrolling) return;
    const TInstrument tool = FMap.Instrument();
    if (tool == iDragMap) {
        FMap.SetMapCursor(crOrbHand);
        return;
    }
    // A locked object keeps whatever cursor the pointer has.
    if (BufferLockedAgainstEditing(FMap)) return;
    FMap.SetMapCursor(HandleCursor(FMap, pos).value_or(ToolCursor(tool)));
}

void TMapMouseController::MouseUp(TMouseButton button, Qt::KeyboardModifiers shift, QPoint pos) {
    Record(shift, pos);
    FMouse.LastButton = button;
    FMouse.MouseDown = false;
    FLens->Finish();
    if (FMouse.AutoScrolling) {
        // Clearing the flag ends the scrolling loop running inside the press handler.
        FMouse.AutoScrolling = false;
        FMap.SetMapCursor(AfterScrollCursor(FMap.Instrument()));
        FMap.RepaintControl();
    }
    Current().Release(button);
    if (!FMouse.EdgeScrolling) FDrag->EndDrag();
    // Ends the edge-scroll loop running inside the press handler.
    FMouse.EdgeScrolling = false;
}

void TMapMouseController::DblClick() {
    const TInstrument tool = FMap.Instrument();
    if (tool == iLinza || tool == iPick) return;
    if (FMap.Options().CancelAction() == orbRightButton) {
        // The press the toolkit sends with the double click is not a new gesture.
        FMouse.IgnoreNextMouseDown = true;
        return;
    }
    if (!Current().DoubleClick()) return;
    FMap.RepaintControl();
    FMouse.IgnoreNextMouseDown = true;
}

void TMapMouseController::MouseLeave() {
    // A pan goes on when the pointer comes back; object drags stop here.
    FMouse.MouseDown = false;
}

void TMapMouseController::InstrumentChanging(TInstrument old) {
    Tool(old).Cancel();
}

void TMapMouseController::PaintOverlays(QPainter& canvas) {
    canvas.save();
    Current().PaintOverlay(canvas);
    canvas.restore();
    FAutoScroller.PaintOverlay(canvas);
}

void TMapMouseController::PaintTopOverlays(QPainter& canvas) {
    FLens->PaintFrame(canvas);
}

TMapMouseController& AttachMouseTools(TDataMap& map) {
    auto controller = std::make_unique<TMapMouseController>(map);
    TMapMouseController& ref = *controller;
    map.SetMouseHandler(std::move(controller));
    return ref;
}

} // namespace tsivor::mapui
