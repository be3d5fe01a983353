#include "mapui/PrinterSettings.h"

#include "mapview/DrawPrimitives.h"

namespace tsivor::mapui {

namespace {

QFont SettingsFont(int points) {
    mapview::InstallMapFontSubstitutes();
    QFont f(QStringLiteral("Arial Cyr"));
    f.setPointSize(points);
    return f;
}

} // namespace

tOrbMapPrinterSettings::tOrbMapPrinterSettings()
    : TitleFont(SettingsFont(13)), MashtabFont(SettingsFont(11)) {}

void tOrbMapPrinterSettings::SetCustomMashtab(int v) {
    if (v == FCustomMashtab || v < 0) return;
    FCustomMashtab = v;
    MashtabPrint = S_Custom;
}

} // namespace tsivor::mapui
