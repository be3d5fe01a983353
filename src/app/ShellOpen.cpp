#include "app/ShellOpen.h"

#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>

namespace tsivor::app {

QString OpenFile(const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    if (!QFileInfo::exists(path)) return QStringLiteral("Файл «%1» не найден.").arg(shown);
    if (platform::OpenUrl(path)) return {};
    return QStringLiteral("Не удалось открыть файл «%1»: нет программы, которая его открывает.")
        .arg(shown);
}

bool OpenFileOrSay(const QString& path) {
    const QString why = OpenFile(path);
    if (why.isEmpty()) return true;
    platform::ShowMessage(why, platform::MessageKind::Warning);
    return false;
}

bool OpenAddressOrSay(const QString& address) {
    if (platform::OpenUrl(address)) return true;
    platform::ShowMessage(
        QStringLiteral("Не удалось открыть «%1»: нет программы, которая открывает такие адреса.")
            .arg(address),
        platform::MessageKind::Warning);
    return false;
}

} // namespace tsivor::app
