#pragma once
// The blink list of the map: found objects whose colours are inverted on every other tick of
// the blink timer. A tick redraws only the rectangles of the listed objects.

#include "mapdata/MapObject.h"

#include <QTimer>

#include <functional>
#include <vector>

namespace tsivor::mapview {

class TDataMap;

// The host may set any pen and brush of a blinking object for its on-phase.
using TBlinkObjectEvent =
    std::function<void(const mapdata::TORBMapObjectMem& MapObject, mapdata::TORBMapPen& Pen,
                       mapdata::TORBMapBrush& Brush)>;

class TMapBlinker {
public:
    // Installs itself as the frames' blink substitute; the timer runs from here on.
    explicit TMapBlinker(TDataMap& map);
    ~TMapBlinker();
    TMapBlinker(const TMapBlinker&) = delete;
    TMapBlinker& operator=(const TMapBlinker&) = delete;

    void SetObjects(const std::vector<int>& indices) { FList = indices; }
    void Clear() { FList.clear(); }
    const std::vector<int>& Objects() const { return FList; }
    bool Phase() const { return FPhase; }
    void Tick();
    int Interval() const { return FTimer.interval(); }
    void SetInterval(int ms) { FTimer.setInterval(ms); }
    TBlinkObjectEvent OnBlinkObject;

private:
    // What a frame draws for the object of index: nullptr for the record itself.
    const mapdata::TORBMapObjectMem* Substitute(int index);
    // The copy borrows the record's data; it never owns it.
    void ReleaseBorrowed();

    TDataMap& FMap;
    QTimer FTimer;
    std::vector<int> FList;
    bool FPhase = false;
    mapdata::TORBMapObjectMem FCopy;
};

// RGB complement of a colour, the high byte kept.
constexpr mapdata::TColor InvertedColor(mapdata::TColor c) {
    return c ^ 0x00FFFFFFu;
}

} // namespace tsivor::mapview
