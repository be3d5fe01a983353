#include "app/AppGlobals.h"

namespace tsivor::app {

TAppGlobals& Globals() {
    static TAppGlobals globals;
    return globals;
}

QString ExePath(const QString& relative) {
    return Globals().ExeDir + u'/' + relative;
}

} // namespace tsivor::app
