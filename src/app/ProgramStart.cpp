#include "app/ProgramStart.h"

#include "app/AppGlobals.h"
#include "app/MapSummaryWindow.h"
#include "app/StartUp.h"

#include <QCoreApplication>
#include <QLabel>

namespace tsivor::app {

TProgramStart::TProgramStart(QString exeDir, QString workDir, unsigned seed)
    : FWorkDir(std::move(workDir)), FSeed(seed) {
    while (exeDir.size() > 1 && (exeDir.endsWith(u'/') || exeDir.endsWith(u'\\'))) exeDir.chop(1);
    Globals().ExeDir = exeDir;
}

TProgramStart::~TProgramStart() = default;

void TProgramStart::Run() {
    ReadConfiguration();
    BuildTitles();
    ShowStartPage();
    CreateMainWindow();
    SetCaptions();
    ShowMainWindow();
}

void TProgramStart::ReadConfiguration() {
    FConfig.Load(TIniFile(ExePath(QStringLiteral("tsivor.ini"))));
    Globals().Mas = FConfig.Mas;
}

void TProgramStart::BuildTitles() {
    Globals().ReleaseTitle = BuildReleaseTitle(FConfig.Main.Month, FConfig.Main.Year);
    FSubtitle = BuildStartSubtitle(FConfig.Main);
}

void TProgramStart::ShowStartPage() {
    Globals().MainFormShown = false;
    Globals().StartPageClosed = false;
    FStartPage = std::make_unique<TFStartUp>(Globals().ExeDir, FWorkDir, FSeed);
    FStartPage->LVersion->setText(Globals().ReleaseTitle);
    FStartPage->LCity->setText(FSubtitle);
    FStartPage->Label5->setText(FConfig.Main.PhoneS);
    FStartPage->Label7->setText(FConfig.Main.PhoneM);
    FStartPage->LabelWWW->setText(FConfig.Main.WWW);
    FStartPage->LabelWWW->setVisible(!FConfig.Main.WWW.isEmpty());
    FStartPage->IsMainFormShown = [] { return Globals().MainFormShown; };
    FStartPage->OnStartPageClosed = [this] {
        Globals().StartPageClosed = true;
        if (FMainWindow) FMainWindow->activateWindow();
    };
    FStartPage->show();
    FStartPage->repaint();
}

void TProgramStart::CreateMainWindow() {
    FMainWindow = std::make_unique<TFMapSummary>();
    // Closing the main window ends the program even while the start page is still up.
    FMainWindow->OnClosed = [] { QCoreApplication::quit(); };
    FMainWindow->LoadMap(ExePath(QStringLiteral("info1.db")));
}

void TProgramStart::SetCaptions() {
    FMainWindow->setWindowTitle(BuildMainCaption(FConfig.Main.City, Globals().ReleaseTitle));
    FMainWindow->SetNameMap(BuildNameMap(FConfig.Main.City));
}

void TProgramStart::ShowMainWindow() {
    FMainWindow->show();
    Globals().MainFormShown = true;
    if (FStartPage && !FStartPage->Closed()) FStartPage->raise(); // stays above until left
}

} // namespace tsivor::app
