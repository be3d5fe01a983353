#include "SampleParts.h"

#include "IconArt.h"
#include "mapdata/OrbIcon.h"

#include <QDir>
#include <QSaveFile>

namespace tsivor::sample {
namespace {

mapdata::TOrbIconPicture Picture(const QString& name, const QImage& image) {
    mapdata::TOrbIconPicture p;
    p.Head.Name = name;
    p.Data = mapdata::EncodeIconBmp(image);
    return p;
}

} // namespace

// tsivor.lib: the library "tsivor" with the organisation marks of the map and the icon logos
// of the advertised organisations.
bool WriteSampleIconLibrary(const CityPlan& plan, const QString& dir, QString* error) {
    std::vector<mapdata::TOrbIconPicture> pictures;
    for (const char kind : {'F', '!', 'I'}) {
        const QString name = QStringLiteral("%1-1").arg(QChar(kind));
        pictures.push_back(Picture(name, iconart::MarkIcon(kind, false)));
        pictures.push_back(Picture(name + "-B", iconart::MarkIcon(kind, true)));
    }
    for (int n = 1; n <= 20; ++n) {
        const QString title =
            n <= int(plan.AdvertisedNames.size()) ? plan.AdvertisedNames[size_t(n - 1)] : QString();
        pictures.push_back(Picture(QStringLiteral("logo_%1").arg(n), iconart::LogoIcon(n, title)));
    }
    const QByteArray bytes = mapdata::WriteIconLibrary(QStringLiteral("tsivor"), pictures);

    QSaveFile file(QDir(dir).filePath(QStringLiteral("tsivor.lib")));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error) *error = QStringLiteral("tsivor.lib: ") + file.errorString();
        return false;
    }
    return true;
}

} // namespace tsivor::sample
