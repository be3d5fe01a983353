#pragma once
// The map's cursors 1000..1020 and the scroll marker, from the program's resources.

#include "mapdata/OrbIcon.h"

#include <QCursor>
#include <QImage>

namespace tsivor::mapview {

class MapCursors {
public:
    static constexpr int kFirst = 1000;
    static constexpr int kLast = 1020;

    // The cursor of a number 1000..1020 or of a standard number (crCross etc.); unknown
    // numbers give the arrow.
    static QCursor Cursor(int number);
    // True for the numbers that have a picture of their own.
    static bool Has(int number) { return number >= kFirst && number <= kLast; }
    // The picture of a cursor and its hot spot, for drawing without a screen.
    static QImage Image(int number, QPoint* hotSpot = nullptr);
    // The marker drawn centred on the origin of middle-button scrolling.
    static const QImage& ScrollMarker();
};

// The icon library "Default" compiled into the program, as bytes of a library file.
QByteArray BuiltInIconLibrary();
// Loads "Default" into icons (appended after any library already there).
void LoadBuiltInIcons(mapdata::TOrbIcon& icons);

} // namespace tsivor::mapview
