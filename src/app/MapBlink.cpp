#include "app/MapBlink.h"

#include "mapview/DataMap.h"

namespace tsivor::app {

TMapBlink::TMapBlink(mapview::TDataMap& map) : FMap(map) {
    FElapsed.start();
    Clock = [this] { return FElapsed.elapsed(); };
    FMap.OnBlinkObject() = [this](const mapdata::TORBMapObjectMem&, mapdata::TORBMapPen&,
                                  mapdata::TORBMapBrush&) { BlinkObject(); };
}

void TMapBlink::StartBlink(const std::vector<int>& objects) {
    FMap.SetTimerInterval(BlinkInterval);
    FStarted = Clock();
    FMap.SetBlinkObjects(objects);
}

void TMapBlink::ClearBlink() {
    FMap.ClearBlinkObjects();
}

void TMapBlink::BlinkObject() {
    if (Clock() - FStarted > BlinkLength && FMap.TimerInterval() != IdleInterval)
        FMap.SetTimerInterval(IdleInterval);
}

} // namespace tsivor::app
