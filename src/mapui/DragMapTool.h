#pragma once
// iDragMap: the map follows the pointer while a button is held.

#include "mapui/MapTool.h"

namespace tsivor::mapui {

class TDragMapTool final : public TMapTool {
public:
    using TMapTool::TMapTool;

    void Press(TMouseButton button) override;
    void Move() override;
    // Rebuilds the extruded buildings once at the end of a pan in the 3-D view.
    void Release(TMouseButton button) override;
    bool MovesAfterRightPress() const override { return true; }

    bool Dragging() const { return FDragging; }
    // The pan ends at every release that is not the end of an edge scroll.
    void EndDrag() { FDragging = false; }

private:
    bool FDragging = false;
    QPointF FDragCenter;  // view centre at the press, map units
    QPointF FDragOrigin;  // pointer at the press, pixels
    bool FMoving = false; // a move arriving while the previous one is handled is dropped
};

} // namespace tsivor::mapui
