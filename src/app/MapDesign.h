#pragma once
// The map as the main window's designer left it: the option values the application does not
// set at run time. They are data of the application, not defaults of the map control.

namespace tsivor::mapview {
class TDataMap;
}

namespace tsivor::app {

void ApplyDesignOptions(mapview::TDataMap& map);

} // namespace tsivor::app
