#pragma once
// Snapshot mode: "tsivor --snapshot FILE.png" starts as usual, leaves the start page as a user
// would, waits until the map and the cards are shown, writes a picture of the main window and
// ends. It runs without a display through the offscreen platform.

#include "platform/Platform.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace tsivor::app {

class TFMainForm;
class TFStartUp;

struct TCommandLine {
    bool Snapshot = false;
    QString SnapshotFile;
    QString DataDir;     // --data DIR: the deployment folder instead of the program's own, absolute
    bool Timing = false; // --timing: the start-up phases are printed to stderr once ready
    QString Error;       // not empty: the arguments are not understood
};

// The program's options: --snapshot FILE, --data DIR (an existing folder), --timing.
TCommandLine ParseCommandLine(const QStringList& args);
// Before the application object exists: without a display, snapshots use the offscreen platform.
void PrepareSnapshotEnvironment(const TCommandLine& line);

// Messages go to stderr instead of boxes no one would close; nothing is opened or beeped.
class TSnapshotPlatform : public platform::Platform {
public:
    void ShowMessage(const QString& text, platform::MessageKind kind, QWidget* parent) override;
    platform::Answer AskYesNo(const QString& text, QWidget* parent) override;
    bool InputText(const QString& title, const QString& prompt, QString& value,
                   QWidget* parent) override;
    void Beep() override {}
    bool OpenUrl(const QString&) override { return true; }
    void SelectRussianLayout() override {}
    bool ChoosePrinter(QPrinter&, QWidget*) override { return false; }
};

class TSnapshot : public QObject {
public:
    static constexpr int SnapshotWidth = 1400;
    static constexpr int SnapshotHeight = 900;
    static constexpr int TimeoutMs = 30000;

    TSnapshot(QString file, TFMainForm& form, TFStartUp* startPage);
    // Fixes the window size and starts waiting; Finished is called with the exit code.
    void Start();
    std::function<void(int exitCode)> Finished;

private:
    void Poll();
    void Finish(int code, const QString& error = QString());

    QString FFile;
    TFMainForm& FForm;
    TFStartUp* FStartPage;
    int FElapsed = 0;
    bool FDone = false;
};

} // namespace tsivor::app
