#include "app/AppGlobals.h"

namespace tsivor::app {

TAppGlobals& Globals() {
    static TAppGlobals globals;
    return globals;
}

QString ExePath(const QString& relative) {
    return Globals().ExeDir + u'/' + relative;
}

platform::TFileLocation SettingsLocation() {
    return platform::TFileLocation(Globals().ExeDir);
}

} // namespace tsivor::app
