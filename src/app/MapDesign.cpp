#include "app/MapDesign.h"

#include "mapview/DataMap.h"

namespace tsivor::app {

void ApplyDesignOptions(mapview::TDataMap& map) {
    mapview::tOrbMapOptions& o = map.Options();
    o.NotifyChange = false;
    o.SetmpEdit(false);
    o.SetmpGrid(false);
    o.SetmpDelete(false);
    o.SetmpGuideLines(false);
    o.SetmpHint(true);
    o.SetmpNumberDom(true);
    o.SetmpNumberDomFill(false);
    o.SetmpNumberDomBold(false);
    o.SetmpLinzaDouble(false);
    o.SetmpAllMapAfterLoad(false);
    o.SetmpNoScroll(false);
    o.SetmpLineWidthMin(0.0001f);
    o.SetView3DAngle(0);
    o.SetMinScaleIcon(1);
    o.SetMeasureFontSize(12);
    o.SetRefreshLink(false);
    o.SetTexture(false);
    o.SetFontSystem(QStringLiteral("Arial Cyr"));
    o.SetFontSystem1(QStringLiteral("Times New Roman Cyr"));
    o.SetObjectView(2);
    o.SetSizeRect(4);
    o.SetStepLinza(50);
    o.SetDelayScroll(20);
    o.SetBorderSelectedObject(false);
    o.SetAntiAliasing(mapview::orbSmoothingModeNone);
    o.SetLockScrollOutMap(true);
    o.SetSystemPopUpMenu(true);
    o.SetCancelAction(mapview::orbRightButton);
    o.SetZoneFindLine(0);
    o.SetShowRegion(true);
    o.NotifyChange = true;
    map.SetScaleFind(800);
}

} // namespace tsivor::app
