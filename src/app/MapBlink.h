#pragma once
// TMapBlink: the main window's blinks. A blink shows its objects at 300 ms for about a second;
// then the map's blink timer is pushed far away, which ends the visible blinking.

#include <QElapsedTimer>

#include <functional>
#include <vector>

namespace tsivor::mapview {
class TDataMap;
}

namespace tsivor::app {

class TMapBlink {
public:
    static constexpr int BlinkInterval = 300;
    static constexpr int IdleInterval = 1000000000;
    static constexpr qint64 BlinkLength = 1000; // milliseconds

    // Installs itself as the map's OnBlinkObject handler.
    explicit TMapBlink(mapview::TDataMap& map);

    void StartBlink(const std::vector<int>& objects);
    void ClearBlink(); // ClearBlinkObjects

    // Milliseconds of a monotonic clock; tests substitute it.
    std::function<qint64()> Clock;

private:
    void BlinkObject();

    mapview::TDataMap& FMap;
    QElapsedTimer FElapsed;
    qint64 FStarted = 0;
};

} // namespace tsivor::app
