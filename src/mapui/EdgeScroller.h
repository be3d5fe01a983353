#pragma once
// Edge scrolling: bands along the border of the map where the cursor points out of the
// control; a press there scrolls the map that way until the button is released. Works with
// every tool and takes the press before the tool.

#include "mapui/GestureLoop.h"
#include "mapui/MapTool.h"

namespace tsivor::mapui {

// The edge zone of a control of w × h pixels with zones z pixels deep that holds (x, y): its
// cursor number 1000..1007, or 0 outside all zones.
int EdgeZoneAt(int w, int h, int z, int x, int y);

class TEdgeScroller {
public:
    TEdgeScroller(TDataMap& map, TMouseState& mouse) : FMap(map), FMouse(mouse) {}

    // Zone test of a pointer move: sets the zone cursor and returns true inside a zone, else
    // sets the tool cursor (unless middle-button scrolling runs) and returns false.
    bool CheckScrollZone(QPoint pos);
    // Called on every left or right press: scrolls while the button is held when the press
    // was inside a zone. Ran means it scrolled and the press is used up.
    TGestureResult EdgeScroll(const TGestureWait& wait);

private:
    TDataMap& FMap;
    TMouseState& FMouse;
    bool FRunning = false; // re-entry guard: a press delivered inside the loop
};

} // namespace tsivor::mapui
