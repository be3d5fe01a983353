#include "platform/Platform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryFile>
#include <QUrl>

namespace tsivor::platform {
namespace {

class DesktopPlatform final : public Platform {
public:
    void ShowMessage(const QString& message, MessageKind kind, QWidget* parent) override {
        const QString title = QStringLiteral("Цивор");
        // The program's texts break lines with "\n\r"; the box wants one line feed.
        QString text = message;
        text.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
        switch (kind) {
        case MessageKind::Information:
            QMessageBox::information(parent, title, text);
            break;
        case MessageKind::Warning:
            QMessageBox::warning(parent, title, text);
            break;
        case MessageKind::Error:
            QMessageBox::critical(parent, title, text);
            break;
        }
    }
    Answer AskYesNo(const QString& text, QWidget* parent) override {
        return QMessageBox::question(parent, QStringLiteral("Цивор"), text) == QMessageBox::Yes
                   ? Answer::Yes
                   : Answer::No;
    }
    bool InputText(const QString& title, const QString& prompt, QString& value,
                   QWidget* parent) override {
        bool ok = false;
        const QString v =
            QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, value, &ok);
        if (ok) value = v;
        return ok;
    }
    void Beep() override { QApplication::beep(); }
    bool OpenUrl(const QString& target) override {
        const QFileInfo fi(target);
        const QUrl url =
            fi.exists() ? QUrl::fromLocalFile(fi.absoluteFilePath()) : QUrl::fromUserInput(target);
        return QDesktopServices::openUrl(url);
    }
    void SelectRussianLayout() override {} // the desktop's own layout switch rules on Linux
    bool ChoosePrinter(QPrinter& printer, QWidget* parent) override {
        QPrintDialog dlg(&printer, parent);
        return dlg.exec() == QDialog::Accepted;
    }
    bool SetupPrinter(QPrinter& printer, QWidget* parent) override {
        QPageSetupDialog dlg(&printer, parent);
        return dlg.exec() == QDialog::Accepted;
    }
};

Platform* g_installed = nullptr;

} // namespace

bool Platform::CanWriteFolder(const QString& dir) {
    // Permission bits say little (root, read-only mounts, access lists): try it.
    QTemporaryFile probe(dir + QStringLiteral("/.tsivor-probe-XXXXXX"));
    return probe.open();
}

bool Platform::SetupPrinter(QPrinter&, QWidget*) {
    return false;
}

Platform& Current() {
    static DesktopPlatform desktop;
    return g_installed ? *g_installed : desktop;
}

void Install(Platform* p) {
    g_installed = p;
}

} // namespace tsivor::platform
