#include "app/ProgramStart.h"

#include "app/AppGlobals.h"
#include "app/MainForm.h"
#include "app/Navigator.h"
#include "app/StartUp.h"
#include "directory/DataModule.h"
#include "mapview/DataMap.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QLabel>

namespace tsivor::app {

TProgramStart::TProgramStart(QString exeDir, QString workDir, unsigned seed)
    : FWorkDir(std::move(workDir)), FSeed(seed) {
    while (exeDir.size() > 1 && (exeDir.endsWith(u'/') || exeDir.endsWith(u'\\'))) exeDir.chop(1);
    Globals().ExeDir = exeDir;
}

TProgramStart::~TProgramStart() = default;

bool TProgramStart::Run() {
    const auto mark = [this](const char* name) { platform::MarkPhase(FPhases, name); };
    ReadConfiguration();
    BuildTitles();
    mark("configuration");
    ShowStartPage();
    mark("start page shown");
    if (!CreateMainWindow()) return false;
    SetCaptions();
    ShowMainWindow();
    mark("main window shown");
    return true;
}

void TProgramStart::ReadConfiguration() {
    FConfig.Load(SettingsLocation().ReadIni(QStringLiteral("tsivor.ini")));
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
        if (!FMainWindow) return;
        FMainWindow->activateWindow();
        if (FMainWindow->Navigator) FMainWindow->Navigator->setFocus();
    };
    FStartPage->show();
    FStartPage->repaint();
}

bool TProgramStart::CreateMainWindow() {
    FDm = std::make_unique<directory::Tdm>();
    TMainFormSettings settings = TMainFormSettings::From(FConfig, Globals().ExeDir);
    settings.WorkDir = FWorkDir;
    settings.Phases = FPhases;
    FMainWindow = std::make_unique<TFMainForm>(std::move(settings), *FDm);
    platform::MarkPhase(FPhases, "window: widgets built");
    // Closing the main window ends the program even while the start page is still up.
    // quit() would ask every window to close and give up at the start page, which refuses
    // any close but its own button; the run ends here unconditionally.
    FMainWindow->OnClosed = [this] {
        if (FStartPage) FStartPage->hide();
        QCoreApplication::exit(0);
    };
    FMainWindow->OnSaveView = [](const TMainFormViewState& v) {
        TIniFile ini = SettingsLocation().WriteIni(QStringLiteral("tsivor.ini"));
        TButtonSettings buttons;
        buttons.View3D = v.Buttons3d;
        buttons.Mini = v.ButtonsMini;
        if (!TMapSettings::SaveView(ini, v.P1, v.P2, v.M1) || !buttons.Save(ini))
            platform::ShowMessage(ini.LastError(), platform::MessageKind::Error);
    };
    FMainWindow->ReadHelpNumber = [] {
        return tsivor::app::ReadHelpNumber(
            SettingsLocation().ReadIni(QStringLiteral("tsivor.ini")));
    };
    QString error;
    if (!FMainWindow->FormCreate(&error)) {
        platform::ShowMessage(error, platform::MessageKind::Error);
        FMainWindow.reset();
        return false;
    }
    return true;
}

void TProgramStart::SetCaptions() {
    FMainWindow->setWindowTitle(BuildMainCaption(FConfig.Main.City, Globals().ReleaseTitle));
    FMainWindow->DataMap1->SetNameMap(BuildNameMap(FConfig.Main.City));
}

void TProgramStart::ShowMainWindow() {
    FMainWindow->show(); // maximised; its first show sets MainFormShown
    if (FStartPage && !FStartPage->Closed()) FStartPage->raise(); // stays above until left
}

} // namespace tsivor::app
