#pragma once
// Helpers shared by the test executables.

#include "platform/Platform.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tsivor::test {

// Records what the program would have shown or done instead of doing it.
class FakePlatform : public platform::Platform {
public:
    FakePlatform() { platform::Install(this); }
    ~FakePlatform() override { platform::Install(nullptr); }

    void ShowMessage(const QString& text, platform::MessageKind, QWidget*) override {
        messages << text;
    }
    platform::Answer AskYesNo(const QString& text, QWidget*) override {
        messages << text;
        return answer;
    }
    bool InputText(const QString&, const QString& prompt, QString& value, QWidget*) override {
        messages << prompt;
        if (!inputReplies.isEmpty()) {
            value = inputReplies.takeFirst();
            return true;
        }
        if (!inputReply.has_value()) return false;
        value = *inputReply;
        return true;
    }
    void Beep() override { ++beeps; }
    bool OpenUrl(const QString& target) override {
        opened << target;
        return openSucceeds;
    }
    void SelectRussianLayout() override { ++layoutSwitches; }
    bool ChoosePrinter(QPrinter& printer, QWidget*) override {
        ++printerChoices;
        if (printerAccepted && onChoosePrinter) onChoosePrinter(printer);
        return printerAccepted;
    }
    bool SetupPrinter(QPrinter&, QWidget*) override {
        ++printerSetups;
        return printerAccepted;
    }
    // Folders listed in readOnlyFolders take no new files, as an installed program's folder.
    bool CanWriteFolder(const QString& dir) override {
        for (const QString& ro : readOnlyFolders)
            if (QDir(ro).canonicalPath() == QDir(dir).canonicalPath()) return false;
        return platform::Platform::CanWriteFolder(dir);
    }

    QStringList messages;
    QStringList opened;
    int beeps = 0;
    int layoutSwitches = 0;
    platform::Answer answer = platform::Answer::Yes;
    std::optional<QString> inputReply;
    QStringList inputReplies; // answered in turn before inputReply
    bool printerAccepted = true;
    bool openSucceeds = true; // false: no program opens anything
    QStringList readOnlyFolders;
    int printerChoices = 0;
    int printerSetups = 0;
    // What the user picks in the print dialog, e.g. a PDF file.
    std::function<void(QPrinter&)> onChoosePrinter;
};

// The project's source folder and the folder holding the generated sample deployment.
QString SourceDir();
QString DeployDir();
// ../shared/testdata relative to the project root.
QString SharedTestData();
QByteArray ReadFile(const QString& path);

} // namespace tsivor::test
