#pragma once
// The pictures of the program drawn in code: the 62 pictures of the built-in icon library,
// the note marks and logos of the sample library, the map's cursors and the scroll marker.
// All are 32 × 32 ARGB images on a transparent background.

#include <QImage>
#include <QPoint>
#include <QString>

#include <vector>

namespace tsivor::iconart {

constexpr int kDefaultIconCount = 62;

// Picture n (0..61) of the built-in library.
QImage DefaultIcon(int n);

// The organisation marks: kind 'F' plain, '!' attached file, 'I' comment; selected draws the
// highlighted "-B" form.
QImage MarkIcon(char kind, bool selected);

// The map logo of advertised organisation number, with its name for the initials.
QImage LogoIcon(int number, const QString& name);

// Cursor numbers 1000..1020 with their hot spots.
std::vector<int> CursorNumbers();
QImage CursorImage(int number, QPoint* hotSpot);

// The marker at the origin of middle-button scrolling.
QImage ScrollMarker();

} // namespace tsivor::iconart
