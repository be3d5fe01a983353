#pragma once
// TMapMouseController: the mouse tools of one map control. It keeps the pointer state, hands
// each press, move, release and double click to the handler of the current tool, and gives
// the edge zones and middle-button scrolling precedence over the tools.

#include "mapui/AutoScroller.h"
#include "mapui/DragMapTool.h"
#include "mapui/EdgeScroller.h"
#include "mapui/LensTool.h"
#include "mapui/MapTool.h"
#include "mapui/MeasureTool.h"
#include "mapui/RegionTools.h"

#include <array>
#include <memory>

namespace tsivor::mapui {

class TMapMouseController final : public mapview::TMapMouseHandler {
public:
    explicit TMapMouseController(TDataMap& map);
    ~TMapMouseController() override;

    const TMouseState& Mouse() const { return FMouse; }
    TMapTool& Tool(TInstrument tool) { return *FTools[size_t(tool)]; }
    TMeasureTool& Measure() { return *FMeasure; }
    TLensTool& Lens() { return *FLens; }
    TDragMapTool& Drag() { return *FDrag; }
    TEdgeScroller& Edges() { return FEdges; }
    // How the modal gestures let events run between their steps (tests step them by hand).
    void SetGestureWait(TGestureWait wait) { FWait = std::move(wait); }

    void MouseDown(TMouseButton button, Qt::KeyboardModifiers shift, QPoint pos) override;
    void MouseMove(Qt::KeyboardModifiers shift, QPoint pos) override;
    void MouseUp(TMouseButton button, Qt::KeyboardModifiers shift, QPoint pos) override;
    void DblClick() override;
    void MouseLeave() override;
    void InstrumentChanging(TInstrument old) override;
    void PaintOverlays(QPainter& canvas) override;
    void PaintTopOverlays(QPainter& canvas) override;

private:
    TMapTool& Current() { return Tool(FMap.Instrument()); }
    void Record(Qt::KeyboardModifiers shift, QPoint pos);
    // The cursor over the selected object: the hand, a handle's cursor or the tool's.
    void SelectionCursor(QPoint pos);

    TDataMap& FMap;
    TMouseState FMouse;
    std::array<std::unique_ptr<TMapTool>, mapview::kInstrumentCount> FTools;
    TMeasureTool* FMeasure = nullptr;
    TLensTool* FLens = nullptr;
    TDragMapTool* FDrag = nullptr;
    TEdgeScroller FEdges{FMap, FMouse};
    TAutoScroller FAutoScroller{FMap, FMouse};
    TGestureWait FWait = PassEvents;
};

// Gives the map its mouse tools; the map owns them.
TMapMouseController& AttachMouseTools(TDataMap& map);

} // namespace tsivor::mapui
