#include "app/Favourites.h"

#include "app/CardFiller.h"

#include "platform/IniFile.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace tsivor::app {
namespace {

const QString kSection = QStringLiteral("Main");
const QString kKey = QStringLiteral("Favorit");

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// A free name beside the damaged file: tsivor-f.ini.bad, then .bad1, .bad2, ...
QString FreeAsideName(const QString& path) {
    QString name = path + QStringLiteral(".bad");
    for (int i = 1; QFileInfo::exists(name); ++i) name = path + QStringLiteral(".bad%1").arg(i);
    return name;
}

} // namespace

TFavourites::TFavourites(platform::TFileLocation location) : FLocation(std::move(location)) {}

std::optional<QString> TFavourites::Parse(const QString& text) {
    // Numbers each followed by ";"; blanks are tolerated and a last ";" may be missing.
    static const QRegularExpression list(
        QStringLiteral("^\\s*(?:\\d{1,9}\\s*;\\s*)*(?:\\d{1,9}\\s*)?$"));
    if (!list.match(text).hasMatch()) return std::nullopt;
    QString out;
    for (int n : ParseIdList(text)) out += QString::number(n) + u';';
    return out;
}

void TFavourites::LoadFavourites() {
    FFavouriteIds.clear();
    FDamagedPath.clear();
    FAsideName.clear();
    const QString path = FLocation.ReadPath(QString::fromLatin1(FileName));
    const QFileInfo info(path);
    if (!info.exists()) return;

    bool sound = info.isFile() && info.size() <= platform::TIniFile::MaxFileSize;
    if (sound) {
        QFile f(path);
        sound = f.open(QIODevice::ReadOnly);
        if (sound) sound = !f.readAll().contains('\0');
    }
    if (sound) {
        const auto ids = Parse(platform::TIniFile(path).ReadString(kSection, kKey, QString()));
        sound = ids.has_value();
        if (sound) FFavouriteIds = *ids;
    }
    if (sound) {
        FReported.clear();
        return;
    }
    FDamagedPath = path;
    FAsideName = FreeAsideName(path);
    if (FReported == path) return;
    FReported = path;
    platform::ShowMessage(
        QStringLiteral("Файл избранного «%1» повреждён или не читается, список Избранное пуст.\n"
                       "Файл оставлен без изменений; при первом изменении Избранного он будет "
                       "сохранён под именем «%2».")
            .arg(Shown(path), Shown(FAsideName)),
        platform::MessageKind::Warning);
}

bool TFavourites::MoveDamagedAside() {
    if (FDamagedPath.isEmpty()) return true;
    // A damaged file in a folder that takes no changes stays where it is: the new list goes
    // to the user's folder and is read from there.
    if (FLocation.WritePath(QString::fromLatin1(FileName)) != FDamagedPath) return true;
    if (QFile::rename(FDamagedPath, FAsideName)) return true;
    platform::ShowMessage(QStringLiteral("Не удалось переименовать повреждённый файл избранного "
                                         "«%1»; Избранное не сохранено.")
                              .arg(Shown(FDamagedPath)),
                          platform::MessageKind::Error);
    return false;
}

bool TFavourites::SaveFavourites() {
    const QString ids = FFavouriteIds;
    if (!MoveDamagedAside()) return false;
    platform::TIniFile ini = FLocation.WriteIni(QString::fromLatin1(FileName));
    const bool ok = ini.WriteString(kSection, kKey, ids);
    if (!ok) platform::ShowMessage(ini.LastError(), platform::MessageKind::Error);
    LoadFavourites();
    return ok;
}

QString TFavourites::Hint() const {
    return QStringLiteral("Избранное (%1 шт.)").arg(Count());
}

bool TFavourites::Contains(int orgId) const {
    return (u';' + FFavouriteIds).contains(u';' + QString::number(orgId) + u';');
}

bool TFavourites::Add(int orgId) {
    FFavouriteIds += QString::number(orgId) + u';';
    return SaveFavourites();
}

QString TFavourites::Removed(const QString& list, int orgId) {
    const QString n = QString::number(orgId);
    const qsizetype p = (u';' + list).indexOf(u';' + n + u';');
    if (p < 0) return list;
    return QString(list).remove(p, n.size() + 1);
}

bool TFavourites::Remove(int orgId) {
    FFavouriteIds = Removed(FFavouriteIds, orgId);
    return SaveFavourites();
}

bool TFavourites::Clear() {
    FFavouriteIds.clear();
    return SaveFavourites();
}

} // namespace tsivor::app
