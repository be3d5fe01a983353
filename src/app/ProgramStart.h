#pragma once
// TProgramStart: the program start as named steps, run in order by Run: the configuration,
// the start page, the data module and the main window.

#include "app/Config.h"
#include "platform/PhaseTimes.h"

#include <QString>

#include <memory>

namespace tsivor::directory {
class Tdm;
}

namespace tsivor::app {

class TFMainForm;
class TFStartUp;

class TProgramStart {
public:
    // exeDir: the executable's folder; workDir: where the start page tiles are looked up.
    // seed 0 shuffles the start page tiles at random.
    TProgramStart(QString exeDir, QString workDir, unsigned seed = 0);
    ~TProgramStart();

    // Every step below, in order; the message loop is the caller's. False when the program
    // cannot go on (the directory could not be opened; the message was shown).
    bool Run();

    void ReadConfiguration(); // tsivor.ini at ExeDir into Config() and Globals()
    void BuildTitles();       // ReleaseTitle and the start page subtitle
    void ShowStartPage();     // shown and painted at once, so it stays up while the rest loads
    bool CreateMainWindow();  // the data module, then the main window (databases, map)
    void SetCaptions();       // window caption and NameMap
    void ShowMainWindow();    // from here on the start page may be left

    // Times every step of Run and of the main window's creation; none when not set.
    void SetPhaseTimes(platform::TPhaseTimes* phases) { FPhases = phases; }

    const TTsivorConfig& Config() const { return FConfig; }
    const QString& Subtitle() const { return FSubtitle; }
    TFStartUp* StartPage() const { return FStartPage.get(); }
    TFMainForm* MainWindow() const { return FMainWindow.get(); }

private:
    QString FWorkDir;
    unsigned FSeed;
    platform::TPhaseTimes* FPhases = nullptr;
    TTsivorConfig FConfig;
    QString FSubtitle;
    std::unique_ptr<TFStartUp> FStartPage; // owned by the program, not the main window
    std::unique_ptr<directory::Tdm> FDm;   // outlives the main window
    std::unique_ptr<TFMainForm> FMainWindow;
};

} // namespace tsivor::app
