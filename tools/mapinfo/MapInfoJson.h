#pragma once
// The whole loaded map as one JSON document: header fields, extent, name tables and objects.

#include "mapdata/MapDocument.h"

#include <QJsonObject>

namespace tsivor::mapinfo {

QJsonObject MapToJson(const mapdata::TMapDocument& doc);
// A decoded address: Town, Street, House, Street1, House1.
QJsonObject AddressToJson(const mapdata::TAdres& a);
// One object with its attribute blocks and, for a group, its children.
QJsonObject ObjectToJson(const mapdata::TMapDocument& doc, const mapdata::TORBMapObjectMem& o);

} // namespace tsivor::mapinfo
