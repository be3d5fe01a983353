#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace tsivor::platform {
namespace {

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

TAtomicFile::TAtomicFile(const QString& fileName) : FFile(fileName) {}

TAtomicFile::~TAtomicFile() {
    if (FFile.isOpen()) FFile.cancelWriting();
}

bool TAtomicFile::Open() {
    FError.clear();
    if (FFile.open(QIODevice::WriteOnly)) return true;
    Fail();
    return false;
}

QIODevice& TAtomicFile::Device() {
    return FFile;
}

bool TAtomicFile::Commit() {
    if (!FFile.isOpen()) {
        if (FError.isEmpty()) Fail();
        return false;
    }
    if (FFile.error() == QFileDevice::NoError && FFile.commit()) return true;
    Fail();
    if (FFile.isOpen()) FFile.cancelWriting();
    return false;
}

void TAtomicFile::Fail() {
    const QString name = Shown(FFile.fileName());
    switch (FFile.error()) {
    case QFileDevice::ResourceError:
    case QFileDevice::WriteError:
        FError = QStringLiteral("Не удалось записать файл «%1»: на диске нет места или он "
                                "недоступен. Прежний файл оставлен без изменений.")
                     .arg(name);
        break;
    default:
        FError = QStringLiteral("Не удалось записать файл «%1»: нет доступа к папке. Прежний "
                                "файл оставлен без изменений.")
                     .arg(name);
        break;
    }
}

bool TAtomicFile::Write(const QString& fileName, const QByteArray& bytes, QString* error) {
    TAtomicFile f(fileName);
    bool ok = f.Open();
    if (ok && f.FFile.write(bytes) != bytes.size()) {
        f.Fail();
        ok = false;
    }
    ok = ok && f.Commit();
    if (!ok && error) *error = f.FError;
    return ok;
}

bool TAtomicFile::Replace(const QString& finished, const QString& target, QString* error) {
    // rename(2) replaces an existing target in one step; QFile::rename refuses to.
    if (std::rename(QFile::encodeName(finished).constData(),
                    QFile::encodeName(target).constData()) == 0)
        return true;
    if (error)
        *error = QStringLiteral("Не удалось записать файл «%1». Прежний файл оставлен без "
                                "изменений.")
                     .arg(Shown(target));
    return false;
}

} // namespace tsivor::platform
