#include "app/ShellOpen.h"

#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>

namespace tsivor::app {

bool OpenFileOrSay(const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    if (!QFileInfo::exists(path)) {
        platform::ShowMessage(QStringLiteral("Файл «%1» не найден.").arg(shown),
                              platform::MessageKind::Warning);
        return false;
    }
    if (platform::OpenUrl(path)) return true;
    platform::ShowMessage(
        QStringLiteral("Не удалось открыть файл «%1»: нет программы, которая его открывает.")
            .arg(shown),
        platform::MessageKind::Warning);
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
