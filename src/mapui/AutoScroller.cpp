#include "mapui/AutoScroller.h"

#include "mapdata/Rounding.h"
#include "mapview/MapCursors.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tsivor::mapui {

using namespace mapview;
using mapdata::RoundToInt;

std::optional<TAutoScrollStep> AutoScrollStepFor(QPoint origin, QPoint c) {
    const int px = origin.x(), py = origin.y();
    const int dx = std::abs(px - c.x()), dy = std::abs(py - c.y());
    const int m = std::max(RoundToInt(2.0 * dx / 3.0), RoundToInt(2.0 * dy / 3.0));
    const int d = RoundToInt(std::sqrt(double(dx * dx + dy * dy)));
    auto step = [](TCursor cursor, TScrollDirection dir, int amount) {
        return TAutoScrollStep{cursor, TScrollStep{dir, amount, amount}};
    };
    // Diagonals while the two offsets are within about 3 : 2 of each other.
    if (px + m < c.x() && py - m > c.y()) return step(crScrRightUp, sdRightUp, d);
    if (px - m > c.x() && py - m > c.y()) return step(crScrLeftUp, sdLeftUp, d);
    if (px - m > c.x() && py + m < c.y()) return step(crScrLeftDown, sdLeftDown, d);
    if (px + m < c.x() && py + m < c.y()) return step(crScrRightDown, sdRightDown, d);
    if (px < c.x() && py + m > c.y() && py - m < c.y()) return step(crScrRight, sdRight, dx);
    if (px > c.x() && py + m > c.y() && py - m < c.y()) return step(crScrLeft, sdLeft, dx);
    if (py > c.y()) return step(crScrUp, sdUp, dy);
    if (py < c.y()) return step(crScrDown, sdDown, dy);
    return std::nullopt;
}

TGestureResult TAutoScroller::Run(const TGestureWait& wait) {
    // The map, and with it this object, may go while events run: see the edge scroller.
    TGestureWatch watch(FMap);
    const TGestureWait pass = wait;
    FMap.RepaintControl(); // shows the marker
    while (FMouse.AutoScrolling) {
        if (const auto s = AutoScrollStepFor(FMouse.AutoScrollOrigin, FMouse.MousePos)) {
            FMap.SetMapCursor(s->Cursor);
            FMap.ScrollBy(s->Step.Direction, s->Step.DX, s->Step.DY);
        }
        FMap.RepaintControl();
        FMap.MarkDirty();
        if (FMap.OnAfterScroll) FMap.OnAfterScroll(&FMap);
        if (!watch.MapAlive()) return TGestureResult::MapGone;
        FMap.UpdateSmallView();
        const bool running = pass(std::clamp(FMap.Options().DelayScroll(), 0, 999));
        if (!watch.MapAlive()) return TGestureResult::MapGone;
        if (!running || watch.Interrupted()) {
            FMouse.AutoScrolling = false;
            FMap.SetMapCursor(AfterScrollCursor(FMap.Instrument()));
            FMap.RepaintControl();
        }
    }
    return TGestureResult::Ran;
}

void TAutoScroller::PaintOverlay(QPainter& canvas) const {
    if (!FMouse.AutoScrolling) return;
    const QImage& marker = MapCursors::ScrollMarker();
    if (marker.isNull()) return;
    const QPoint o = FMouse.AutoScrollOrigin;
    canvas.drawImage(o.x() - marker.width() / 2, o.y() - marker.height() / 2, marker);
}

} // namespace tsivor::mapui
