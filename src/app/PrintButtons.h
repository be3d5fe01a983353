#pragma once
// What the main window's two print buttons do: the map as the application prints it, and the
// expanded cards. Both print on the program's one printer, which the user picks each time.

#include "app/CardPrint.h"
#include "mapui/MapPrint.h"

class QPrinter;
class QWidget;

namespace tsivor::app {

// The settings the map-printing button prints with: the screen view at the screen's scale,
// on the application's paper colour, house numbers when the screen shows them.
void ApplyMapButtonSettings(mapui::tOrbMapPrinterSettings& s, const mapview::TDataMap& map);

// sbPrintMapClick: the print dialog, then the map; a failure is told in a message box.
void PrintMapClick(mapui::TMapPrint& print, QPrinter& printer, QWidget* parent);

} // namespace tsivor::app
