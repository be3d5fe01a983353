#include "SampleParts.h"

#include "mapdata/Cp1251.h"

#include <QDir>
#include <QFile>

namespace tsivor::sample {

// The sample release: September 2024. Scales are Scale values of the map (pixels per hundred
// map units); with one map unit a metre, house numbers appear from 1.5 pixels a metre on.
bool WriteSampleIni(const CityPlan& plan, const QString& dir, QString* error) {
    const QString text = QStringLiteral("[Main]\n"
                                        "City=%1\n"
                                        "Citya=%2\n"
                                        "Year=2024\n"
                                        "Month=9\n"
                                        "PhoneS=%6\n"
                                        "PhoneM=%7\n"
                                        "WWW=%4\n"
                                        "Help=1\n"
                                        "\n"
                                        "[Mas]\n"
                                        "min_3=150\n"
                                        "min_adr=%5\n"
                                        "logo_p=60\n"
                                        "logo_rub=20\n"
                                        "font=25\n"
                                        "scale_find=400\n"
                                        "Mashtab=%3\n"
                                        "\n"
                                        "[Map]\n"
                                        "nedv=1\n"
                                        "Pan=1\n"
                                        "\n"
                                        "[Buttons]\n"
                                        "3d=1\n"
                                        "Mini=1\n"
                                        "\n"
                                        "[FindTools]\n"
                                        "Comment=1\n"
                                        "Title=1\n"
                                        "Rubrica=1\n"
                                        "Street=0\n"
                                        "House=0\n"
                                        "Phone=0\n"
                                        "Preview=1\n"
                                        "\n"
                                        "[zhilinfo]\n"
                                        "lastdate=01.09.2024\n")
                             .arg(plan.City, plan.CityGenitive)
                             .arg(plan.Mashtab)
                             .arg(plan.Web)
                             .arg(kHouseNumberScale)
                             .arg(plan.PhoneS, plan.PhoneM);
    // A Windows profile file as the original deployments have it: code page 1251, CR LF.
    QByteArray bytes = cp1251::FromUnicode(text);
    bytes.replace("\n", "\r\n");
    const QString path = QDir(dir).filePath(QStringLiteral("tsivor.ini"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        if (error) *error = QStringLiteral("Не удалось записать %1").arg(path);
        return false;
    }
    return true;
}

} // namespace tsivor::sample
