#include "app/PrintButtons.h"

#include "platform/Platform.h"

namespace tsivor::app {

void ApplyMapButtonSettings(mapui::tOrbMapPrinterSettings& s, const mapview::TDataMap& map) {
    s.ShowDialogPrint = false;
    s.Border = true;
    s.BorderColor = 0x000000;
    s.BorderWidth = 0.3f;
    s.Title = true;
    s.ScaleBar = false;
    s.PaperColor = 237 | (211 << 8) | (174 << 16);
    s.Mashtab = false;
    s.PrintRegion = mapui::CurrentEkran;
    s.MashtabPrint = mapui::S_Current;
    s.NumberDom = map.Scale() >= map.Options().MinScaleAddress();
}

void PrintMapClick(mapui::TMapPrint& print, QPrinter& printer, QWidget* parent) {
    if (!platform::Current().ChoosePrinter(printer, parent)) return;
    ApplyMapButtonSettings(print.PrinterSettings(), print.Map());
    mapui::TPrinterTarget target(printer);
    QString error;
    if (!print.PrintMap(target, &error))
        platform::ShowMessage(error, platform::MessageKind::Error, parent);
}

} // namespace tsivor::app
