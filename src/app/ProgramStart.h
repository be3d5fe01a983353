#pragma once
// TProgramStart: the program start as named steps, run in order by Run. The main window slots
// in at CreateMainWindow; until it exists the map summary stands in its place.

#include "app/Config.h"

#include <QString>

#include <memory>

namespace tsivor::app {

class TFMapSummary;
class TFStartUp;

class TProgramStart {
public:
    // exeDir: the executable's folder; workDir: where the start page tiles are looked up.
    // seed 0 shuffles the start page tiles at random.
    TProgramStart(QString exeDir, QString workDir, unsigned seed = 0);
    ~TProgramStart();

    // Every step below, in order; the message loop is the caller's.
    void Run();

    void ReadConfiguration(); // tsivor.ini at ExeDir into Config() and Globals()
    void BuildTitles();       // ReleaseTitle and the start page subtitle
    void ShowStartPage();     // shown and painted at once, so it stays up while the rest loads
    void CreateMainWindow();  // loads ExeDir/info1.db
    void SetCaptions();       // window caption and NameMap
    void ShowMainWindow();    // from here on the start page may be left

    const TTsivorConfig& Config() const { return FConfig; }
    const QString& Subtitle() const { return FSubtitle; }
    TFStartUp* StartPage() const { return FStartPage.get(); }
    TFMapSummary* MainWindow() const { return FMainWindow.get(); }

private:
    QString FWorkDir;
    unsigned FSeed;
    TTsivorConfig FConfig;
    QString FSubtitle;
    std::unique_ptr<TFStartUp> FStartPage; // owned by the program, not the main window
    std::unique_ptr<TFMapSummary> FMainWindow;
};

} // namespace tsivor::app
