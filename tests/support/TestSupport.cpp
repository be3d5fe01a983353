#include "TestSupport.h"

#include <QDir>
#include <QFile>

namespace tsivor::test {

QString SourceDir() {
    return QStringLiteral(TSIVOR_SOURCE_DIR);
}
QString DeployDir() {
    return QStringLiteral(TSIVOR_DEPLOY_DIR);
}
QString SharedTestData() {
    return QDir(SourceDir()).absoluteFilePath("../shared/testdata");
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

} // namespace tsivor::test
