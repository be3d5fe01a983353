#pragma once
// The modal gestures (edge scrolling, middle-button scrolling) run as loops inside the press
// handler that let the event loop run between their steps. Whatever those events do (close
// or delete the window, hide the map, press Esc, quit) the loop must notice and end.

#include "mapview/DataMap.h"

#include <QObject>
#include <QPointer>

#include <functional>

namespace tsivor::mapui {

// Lets pending events run for about ms milliseconds; false when the application is quitting.
using TGestureWait = std::function<bool(int ms)>;
bool PassEvents(int ms);

// Watches one modal gesture: Esc pressed anywhere ends it, and so does the map going away
// or being hidden. Lives on the stack of the loop.
class TGestureWatch final : public QObject {
public:
    explicit TGestureWatch(mapview::TDataMap& map);
    ~TGestureWatch() override;
    // After events ran: false when the map is gone (touch nothing of it then).
    bool MapAlive() const { return !FMap.isNull(); }
    // The gesture must stop: Esc, hidden or gone.
    bool Interrupted() const { return FEscape || FMap.isNull() || !FMap->isVisible(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<mapview::TDataMap> FMap;
    bool FEscape = false;
};

// How a modal gesture ended.
enum class TGestureResult { NotRun, Ran, MapGone };

} // namespace tsivor::mapui
