#pragma once
// --at X Y [--scale S]: the object the map picks at a map point, as the program picks it.

#include <QJsonObject>

namespace tsivor::mapview {
class TDataMap;
}

namespace tsivor::mapinfo {

// ObjectAtPoint at (x, y) on a loaded map: index (-1 when nothing), ObjectType, Layer,
// Category and the decoded Address of the chosen object, and found, every hit in order.
QJsonObject ObjectAtJson(mapview::TDataMap& map, float x, float y);

} // namespace tsivor::mapinfo
