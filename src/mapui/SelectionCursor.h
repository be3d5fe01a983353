#pragma once
// The cursor over the selected object: with editing on, the cursor of the handle under the
// pointer tells what a press there would drag.

#include "mapview/DataMap.h"

#include <QPoint>

#include <optional>

namespace tsivor::mapui {

// The cursor of the selected object's handle at pos, or none off every handle and while the
// object shows no handles.
std::optional<mapview::TCursor> HandleCursor(const mapview::TDataMap& map, QPoint pos);

} // namespace tsivor::mapui
