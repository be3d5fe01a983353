#pragma once
// The values the whole program shares while it runs, in one place.

#include "app/Config.h"
#include "platform/FileLocation.h"

#include <QString>

namespace tsivor::app {

struct TAppGlobals {
    QString ExeDir;               // folder of the executable, no trailing separator
    QString ReleaseTitle;         // "Сентябрь ' 2003"
    TMasSettings Mas;             // scale and logo settings read at start
    bool MainFormShown = false;   // the main window has been shown once
    bool StartPageClosed = false; // the user has left the start page
    QString CurrentResultKey;     // key of the result on show; a repeated key is not reloaded
    double MinScale = 5.0;        // set after each map load to the scale of the whole map
    double MaxScale = 4000.0;
};

// The one instance of the running program.
TAppGlobals& Globals();

// A file named relative to ExeDir.
QString ExePath(const QString& relative);
// Where this deployment's settings and favourites are read and written: next to the program,
// or in the user's folder when ExeDir takes no new files.
platform::TFileLocation SettingsLocation();

} // namespace tsivor::app
