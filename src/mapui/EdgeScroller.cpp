#include "mapui/EdgeScroller.h"

#include <algorithm>

namespace tsivor::mapui {

using namespace mapview;

namespace {

bool In(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

} // namespace

int EdgeZoneAt(int w, int h, int z, int x, int y) {
    const int w3 = w / 3, h3 = h / 3;
    if (In(x, 0, z) && In(y, h3, h - h3)) return crOrbLeft;
    if (In(x, w - z, w) && In(y, h3, h - h3)) return crOrbRight;
    if (In(x, w3, w - w3) && In(y, 0, z)) return crOrbUp;
    if (In(x, w3, w - w3) && In(y, h - z, h)) return crOrbDown;
    // A corner is the outer third of the band along each of its two edges.
    const bool left = In(x, 0, z), right = In(x, w - z, w);
    const bool leftThird = In(x, 0, w3), rightThird = In(x, w - w3, w);
    const bool top = In(y, 0, z), bottom = In(y, h - z, h);
    const bool topThird = In(y, 0, h3), bottomThird = In(y, h - h3, h);
    if ((left && topThird) || (leftThird && top)) return crOrbLeftUp;
    if ((right && topThird) || (rightThird && top)) return crOrbRightUp;
    if ((right && bottomThird) || (rightThird && bottom)) return crOrbRightDown;
    if ((left && bottomThird) || (leftThird && bottom)) return crOrbLeftDown;
    return 0;
}

bool TEdgeScroller::CheckScrollZone(QPoint pos) {
    FMouse.ScrollZone = 0;
    const int z = FMap.Options().ZoneScroll();
    if (z > 0 && !FMap.Options().mpNoScroll()) {
        if (const int zone = EdgeZoneAt(FMap.width(), FMap.height(), z, pos.x(), pos.y())) {
            FMap.SetMapCursor(zone);
            FMouse.ScrollZone = zone;
            return true;
        }
    }
    if (!FMouse.AutoScrolling) FMap.SetMapCursor(ToolCursor(FMap.Instrument()));
    return false;
}

TGestureResult TEdgeScroller::EdgeScroll(const TGestureWait& wait) {
    if (FRunning) {
        FMouse.MouseDown = false;
        return TGestureResult::Ran;
    }
    if (FMouse.ScrollZone == 0) return TGestureResult::NotRun;
    // The map, and with it this object, may go while events run: after every call that
    // lets events through only locals are touched until the watch says the map lives.
    TGestureWatch watch(FMap);
    const TGestureWait pass = wait;
    FRunning = true;
    bool scrolled = false;
    FMouse.EdgeScrolling = true;
    if (FMap.OnBeforeScroll) FMap.OnBeforeScroll(&FMap);
    if (!watch.MapAlive()) return TGestureResult::MapGone;
    while (FMouse.EdgeScrolling) {
        if (FMouse.ScrollZone != 0) {
            // A step the scroll limit refuses still counts as a step.
            FMap.ScrollBy(FMouse.ScrollZone - crOrbLeft, FMap.Options().StepScroll(),
                          FMap.Options().StepScroll());
            scrolled = true;
        }
        if (scrolled) FMap.RepaintControl();
        const int delay = std::clamp(FMap.Options().DelayScroll(), 0, 999);
        const bool running = pass(delay);
        if (!watch.MapAlive()) return TGestureResult::MapGone;
        // A move during the wait may change the direction or pause outside the zones.
        CheckScrollZone(FMouse.MousePos);
        if (!running || watch.Interrupted()) FMouse.EdgeScrolling = false;
        FMap.UpdateSmallView();
    }
    if (scrolled) {
        FMouse.MouseDown = false;
        if (FMap.OnAfterScroll) FMap.OnAfterScroll(&FMap);
        if (!watch.MapAlive()) return TGestureResult::MapGone;
    }
    FRunning = false;
    return scrolled ? TGestureResult::Ran : TGestureResult::NotRun;
}

} // namespace tsivor::mapui
