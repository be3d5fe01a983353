#pragma once
// The hidden service commands of the main window: the map picture export (Ctrl+Alt+Shift+S)
// and the switch of the categories 20..1000 (Ctrl+Alt+Shift+C).

namespace tsivor::mapview {
class TDataMap;
}

namespace tsivor::app {

class TMapServiceCommands {
public:
    TMapServiceCommands(mapview::TDataMap& map, int font) : FMap(map), FFont(font) {}

    // Asks for a file name and a percentage, then writes the visible map rectangle at that
    // scale as a 16-bit bitmap file. False when cancelled or refused (the message says why).
    bool ExportPicture();
    // Every category from 1000 down to 20 to the opposite of category 20's visibility.
    void ToggleCategories();

private:
    mapview::TDataMap& FMap;
    int FFont;
};

} // namespace tsivor::app
