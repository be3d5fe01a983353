#pragma once
// One mouse tool of the map: the handler of the gestures of one TInstrument. The mouse
// controller owns one per tool and hands each event to the handler of the current tool.

#include "mapview/DataMap.h"

#include <QPainter>
#include <QPoint>
#include <QPointF>

namespace tsivor::mapui {

using mapview::TDataMap;
using mapview::TInstrument;
using mapview::TMouseButton;

// The pointer as the tools see it; one set per map control.
struct TMouseState {
    QPoint MousePos;     // pixel of the last press, move or release
    QPointF MouseMapPos; // the same in map units
    Qt::KeyboardModifiers LastShift;
    TMouseButton LastButton = mapview::mbLeft; // of the last press or release
    bool MouseDown = false;                    // a press was accepted, no release or leave since
    bool IgnoreNextMouseDown = false;          // set by a double click: swallows the next press
    int ScrollZone = 0;         // cursor of the edge zone under the pointer, 0 outside
    bool EdgeScrolling = false; // the edge-scroll loop runs
    bool AutoScrolling = false; // middle-button scrolling runs
    QPoint AutoScrollOrigin;    // where the middle button went down
};

// The cursor of a tool away from the edge zones.
mapview::TCursor ToolCursor(TInstrument tool);
// The cursor set when middle-button scrolling ends (the hand returns with the next move).
mapview::TCursor AfterScrollCursor(TInstrument tool);

class TMapTool {
public:
    TMapTool(TDataMap& map, TMouseState& mouse) : FMap(map), FMouse(mouse) {}
    virtual ~TMapTool() = default;
    TMapTool(const TMapTool&) = delete;
    TMapTool& operator=(const TMapTool&) = delete;

    // A left or right press that no edge zone took; the position is in the mouse state.
    virtual void Press(TMouseButton /*button*/) {}
    // Every pointer move outside the edge zones, with or without a button held.
    virtual void Move() {}
    virtual void Release(TMouseButton /*button*/) {}
    // A double click while double clicks cancel; true when it ended a gesture (the next
    // press is then swallowed).
    virtual bool DoubleClick() { return false; }
    // The tool is being left: its multi-press gesture ends.
    virtual void Cancel() {}
    // Drawn over the copied back buffer while this is the current tool.
    virtual void PaintOverlay(QPainter& /*canvas*/) {}
    // Whether moves after a right press still reach the tool.
    virtual bool MovesAfterRightPress() const { return false; }

protected:
    TDataMap& FMap;
    TMouseState& FMouse;
};

// iNone and iPixel: no gesture.
class TNoTool final : public TMapTool {
public:
    using TMapTool::TMapTool;
};

// The slot of a drawing tool (polygon, rectangle, line, Bézier, ellipse, text, picture,
// note): the drawing gestures plug in here; until then the tool does nothing.
class TDrawingToolSlot final : public TMapTool {
public:
    TDrawingToolSlot(TDataMap& map, TMouseState& mouse, bool movesAfterRightPress)
        : TMapTool(map, mouse), FMovesAfterRightPress(movesAfterRightPress) {}
    bool MovesAfterRightPress() const override { return FMovesAfterRightPress; }

private:
    bool FMovesAfterRightPress;
};

} // namespace tsivor::mapui
