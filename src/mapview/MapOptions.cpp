#include "mapview/MapOptions.h"

#include <utility>

namespace tsivor::mapview {

tOrbMapOptions::tOrbMapOptions(std::function<void()> optionsChanged)
    : FOptionsChanged(std::move(optionsChanged)) {}

template <typename T> void tOrbMapOptions::Store(T& field, const T& value, bool redraws) {
    field = value;
    if (redraws && NotifyChange && FOptionsChanged) FOptionsChanged();
}

void tOrbMapOptions::SetmpEdit(bool v) {
    Store(FmpEdit, v, true);
}
void tOrbMapOptions::SetmpGrid(bool v) {
    Store(FmpGrid, v, true);
}
void tOrbMapOptions::SetmpDelete(bool v) {
    Store(FmpDelete, v, false);
}
void tOrbMapOptions::SetmpGuideLines(bool v) {
    Store(FmpGuideLines, v, true);
}
void tOrbMapOptions::SetmpHint(bool v) {
    Store(FmpHint, v, false);
}
void tOrbMapOptions::SetmpLocked(bool v) {
    Store(FmpLocked, v, false);
}
void tOrbMapOptions::SetMoveCell(bool v) {
    Store(FMoveCell, v, false);
}
void tOrbMapOptions::SetBorderSelectedObject(bool v) {
    Store(FBorderSelectedObject, v, false);
}
void tOrbMapOptions::SetSizeRect(int v) {
    Store(FSizeRect, v, true);
}
void tOrbMapOptions::SetUndoLevels(int v) {
    Store(FUndoLevels, v, false);
}
void tOrbMapOptions::SetShowRegion(bool v) {
    Store(FShowRegion, v, false);
}
void tOrbMapOptions::SetSystemPopUpMenu(bool v) {
    Store(FSystemPopUpMenu, v, false);
}
void tOrbMapOptions::SetCancelAction(tOrbCancelAction v) {
    Store(FCancelAction, v, false);
}

void tOrbMapOptions::SetZoneFindLine(int v) {
    if (v >= 0) Store(FZoneFindLine, v, false);
}

void tOrbMapOptions::SetmpNumberDom(bool v) {
    Store(FmpNumberDom, v, true);
}

void tOrbMapOptions::SetmpNumberDomSizeFont(int v) {
    Store(FmpNumberDomSizeFont, v < 6 ? 6 : v, true);
}

void tOrbMapOptions::SetmpNumberDomFill(bool v) {
    Store(FmpNumberDomFill, v, true);
}
void tOrbMapOptions::SetmpNumberDomBold(bool v) {
    Store(FmpNumberDomBold, v, true);
}
void tOrbMapOptions::SetMinScaleAddress(double v) {
    Store(FMinScaleAddress, v, true);
}

void tOrbMapOptions::SetmpLineWidthMin(float v) {
    Store(FmpLineWidthMin, v, true);
}
void tOrbMapOptions::SetObjectView(int v) {
    Store(FObjectView, v, true);
}
void tOrbMapOptions::SetMinScaleIcon(double v) {
    Store(FMinScaleIcon, v, true);
}
void tOrbMapOptions::SetTexture(bool v) {
    Store(FTexture, v, true);
}
void tOrbMapOptions::SetFontSystem(const QString& v) {
    Store(FFontSystem, v, true);
}
void tOrbMapOptions::SetFontSystem1(const QString& v) {
    Store(FFontSystem1, v, true);
}
void tOrbMapOptions::SetUseGDIPlus(bool v) {
    Store(FUseGDIPlus, v, true);
}
void tOrbMapOptions::SetAlphaBlending(uint8_t v) {
    Store(FAlphaBlending, v, true);
}
bool Antialiased(orbSmothing mode) {
    return mode == orbSmoothingModeHighQuality || mode == orbSmoothingModeAntiAlias;
}

void tOrbMapOptions::SetAntiAliasing(orbSmothing v) {
    Store(FAntiAliasing, v, true);
}

void tOrbMapOptions::SetView3D(bool v) {
    Store(FView3D, v, true);
}

void tOrbMapOptions::SetView3DAngle(int v) {
    // C++ % truncates like the original division, so -30 stays -30 and 370 becomes 10.
    Store(FView3DAngle, (v >= 0 && v <= 359) ? v : v % 360, true);
}

void tOrbMapOptions::SetMinScale3D(float v) {
    Store(FMinScale3D, v, true);
}

void tOrbMapOptions::SetMeasureFontSize(int v) {
    Store(FMeasureFontSize, v, true);
}
void tOrbMapOptions::SetShowMeasure(bool v) {
    Store(FShowMeasure, v, true);
}

void tOrbMapOptions::SetmpAllMapAfterLoad(bool v) {
    Store(FmpAllMapAfterLoad, v, true);
}
void tOrbMapOptions::SetLockScrollOutMap(bool v) {
    Store(FLockScrollOutMap, v, false);
}
void tOrbMapOptions::SetmpLinzaDouble(bool v) {
    Store(FmpLinzaDouble, v, false);
}

void tOrbMapOptions::SetStepLinza(double v) {
    // Written so that a NaN also falls back to 50.
    Store(FStepLinza, (v >= 0 && v < 100) ? v : 50.0, false);
}

void tOrbMapOptions::SetWidthRectLinza(int v) {
    Store(FWidthRectLinza, v, false);
}
void tOrbMapOptions::SetmpNoScroll(bool v) {
    Store(FmpNoScroll, v, false);
}
void tOrbMapOptions::SetStepScroll(int v) {
    Store(FStepScroll, v, false);
}
void tOrbMapOptions::SetDelayScroll(int v) {
    Store(FDelayScroll, v, false);
}
void tOrbMapOptions::SetZoneScroll(int v) {
    Store(FZoneScroll, v, false);
}
void tOrbMapOptions::SetRefreshLink(bool v) {
    Store(FRefreshLink, v, false);
}

} // namespace tsivor::mapview
