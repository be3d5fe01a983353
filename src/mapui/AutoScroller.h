#pragma once
// Middle-button scrolling: while the middle button is held the map scrolls towards the
// pointer, the faster the farther the pointer is from where the button went down.

#include "mapui/GestureLoop.h"
#include "mapui/MapTool.h"

#include <optional>

namespace tsivor::mapui {

// One pass of the scrolling for the pointer at c after a press at origin: the cursor and the
// scroll step, or nothing with the pointer on the origin.
struct TAutoScrollStep {
    mapview::TCursor Cursor = mapview::crDefault;
    mapview::TScrollStep Step;
};
std::optional<TAutoScrollStep> AutoScrollStepFor(QPoint origin, QPoint c);

class TAutoScroller {
public:
    TAutoScroller(TDataMap& map, TMouseState& mouse) : FMap(map), FMouse(mouse) {}

    // Scrolls until the middle button is released (or Esc, or the map is hidden or gone).
    TGestureResult Run(const TGestureWait& wait);
    // The marker centred on the origin while the scrolling runs.
    void PaintOverlay(QPainter& canvas) const;

private:
    TDataMap& FMap;
    TMouseState& FMouse;
};

} // namespace tsivor::mapui
