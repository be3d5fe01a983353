#include "platform/FileLocation.h"

#include "platform/Platform.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tsivor::platform {
namespace {

QString Trimmed(QString dir) {
    while (dir.size() > 1 && (dir.endsWith(u'/') || dir.endsWith(u'\\'))) dir.chop(1);
    return dir;
}

} // namespace

TFileLocation::TFileLocation(const QString& deploymentDir, const QString& userRoot)
    : FDeploymentDir(Trimmed(deploymentDir)), FUserRoot(Trimmed(userRoot)) {
    if (FUserRoot.isEmpty())
        FUserRoot = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                    QStringLiteral("/tsivor");
}

QString TFileLocation::UserDir() const {
    const QFileInfo info(FDeploymentDir);
    QString full = info.canonicalFilePath();
    if (full.isEmpty()) full = info.absoluteFilePath();
    const QByteArray hash =
        QCryptographicHash::hash(full.toUtf8(), QCryptographicHash::Sha1).toHex().left(10);
    QString name = QFileInfo(full).fileName();
    if (name.isEmpty()) name = QStringLiteral("root");
    return FUserRoot + u'/' + name + u'-' + QString::fromLatin1(hash);
}

QString TFileLocation::UserPath(const QString& relative) const {
    return UserDir() + u'/' + relative;
}

QString TFileLocation::DeploymentPath(const QString& relative) const {
    return FDeploymentDir + u'/' + relative;
}

QString TFileLocation::ReadPath(const QString& relative) const {
    const QString user = UserPath(relative);
    return QFileInfo::exists(user) ? user : DeploymentPath(relative);
}

QString TFileLocation::WritePath(const QString& relative) const {
    const QString user = UserPath(relative);
    if (QFileInfo::exists(user)) return user;
    const QString own = DeploymentPath(relative);
    const QString ownDir = QFileInfo(own).absolutePath();
    if (QFileInfo(ownDir).isDir() && Current().CanWriteFolder(ownDir)) return own;
    QDir().mkpath(QFileInfo(user).absolutePath());
    return user;
}

TIniFile TFileLocation::ReadIni(const QString& relative) const {
    const QString user = UserPath(relative);
    if (QFileInfo::exists(user)) return TIniFile(user, DeploymentPath(relative));
    return TIniFile(DeploymentPath(relative));
}

TIniFile TFileLocation::WriteIni(const QString& relative) const {
    const QString path = WritePath(relative);
    const QString own = DeploymentPath(relative);
    return path == own ? TIniFile(own) : TIniFile(path, own);
}

TFileLocation TFileLocation::ForFile(const QString& path) {
    return TFileLocation(QFileInfo(path).absolutePath());
}

} // namespace tsivor::platform
