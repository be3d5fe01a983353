#include "app/ServiceCommands.h"

#include "app/MapZoom.h"
#include "mapview/DataMap.h"
#include "platform/Platform.h"

#include <QFile>

namespace tsivor::app {

bool TMapServiceCommands::ExportPicture() {
    platform::Beep();
    QString name;
    if (!platform::Current().InputText(QStringLiteral("Enter"), QStringLiteral("fName = "), name))
        return false;
    QString percent = QStringLiteral("100");
    if (!platform::Current().InputText(QStringLiteral("Enter"), QStringLiteral("% = "), percent))
        return false;
    bool ok = false;
    const double scale = percent.trimmed().toDouble(&ok);
    if (!ok || !(scale > 0) || name.trimmed().isEmpty()) {
        platform::ShowMessage(
            QStringLiteral("Неверное число или имя файла: «%1», «%2».").arg(name, percent),
            platform::MessageKind::Error);
        return false;
    }
    if (QFile::exists(name)) QFile::remove(name);
    mapview::tOrbMapOptions& o = FMap.Options();
    o.SetmpNumberDomSizeFont(HouseNumberFontSize(scale, FFont));
    o.NotifyChange = true;
    FMap.SetFilter(true);
    FMap.MarkDirty();
    QString error;
    const float x = FMap.XWind(), y = FMap.YWind();
    const bool written = FMap.SaveImageToFile(mapview::pf16bit, name, x, y, x + FMap.ViewWidth(),
                                              y + FMap.ViewHeight(), scale, &error);
    // The view keeps the house-number size of its own scale.
    o.SetmpNumberDomSizeFont(HouseNumberFontSize(FMap.Scale(), FFont));
    if (!written) {
        platform::ShowMessage(error.isEmpty() ? QStringLiteral("Не удалось записать ") + name
                                              : error,
                              platform::MessageKind::Error);
        return false;
    }
    platform::ShowMessage(QStringLiteral("Ok Ready"));
    return true;
}

void TMapServiceCommands::ToggleCategories() {
    const bool show = !FMap.IsCategoryVisible(20);
    for (int code = 1000; code >= 20; --code) FMap.SetCategoryVisible(code, show);
    FMap.SetFilter(true);
    FMap.MarkDirty();
    FMap.Redraw();
    FMap.update();
}

} // namespace tsivor::app
