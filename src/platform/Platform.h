#pragma once
// The one door to the desktop: message boxes, beeps, the shell's "open", the keyboard
// layout, the printer and whether a folder takes new files. Tests install a substitute so nothing
// pops up or beeps.

#include "platform/SystemText.h"

#include <QString>
#include <QStringList>

class QWidget;
class QPrinter;

namespace tsivor::platform {

enum class MessageKind { Information, Warning, Error };
enum class Answer { Ok, Cancel, Yes, No };

class Platform {
public:
    virtual ~Platform() = default;

    virtual void ShowMessage(const QString& text, MessageKind kind = MessageKind::Information,
                             QWidget* parent = nullptr) = 0;
    virtual Answer AskYesNo(const QString& text, QWidget* parent = nullptr) = 0;
    // An input box; returns false when the user cancels.
    virtual bool InputText(const QString& title, const QString& prompt, QString& value,
                           QWidget* parent = nullptr) = 0;
    virtual void Beep() = 0;
    // The shell's "open" verb: web and mail links, help files, external programs.
    virtual bool OpenUrl(const QString& target) = 0;
    // Switches the keyboard to the Russian layout where the desktop allows it.
    virtual void SelectRussianLayout() = 0;
    // Shows the print dialog for printer; false when the user cancels.
    virtual bool ChoosePrinter(QPrinter& printer, QWidget* parent = nullptr) = 0;
    // Whether a new file can be made in the folder (an installed program's folder cannot take
    // one); found out by making and removing a file.
    virtual bool CanWriteFolder(const QString& dir);
    // The printer setup dialog (paper, orientation) for printer; false when cancelled.
    virtual bool SetupPrinter(QPrinter& printer, QWidget* parent = nullptr);
};

// The platform in use; the desktop one unless a test installed another.
Platform& Current();
// Installs p (not owned) as the current platform; nullptr restores the desktop one.
void Install(Platform* p);

// Shorthands used across the program. Messages carry the Russian meaning of the system's
// English texts.
inline void ShowMessage(const QString& text, MessageKind kind = MessageKind::Information,
                        QWidget* parent = nullptr) {
    Current().ShowMessage(WithRussianMeaning(text), kind, parent);
}
inline void Beep() {
    Current().Beep();
}
inline bool OpenUrl(const QString& target) {
    return Current().OpenUrl(target);
}

} // namespace tsivor::platform
