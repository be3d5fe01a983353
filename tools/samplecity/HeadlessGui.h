#pragma once
// The generators draw pictures with fonts, which needs a GUI application but no screen; a
// build or a script has no session either. Call before the application object is made.

#include <QFile>
#include <QTemporaryDir>

namespace tsivor::sample {

// The offscreen platform unless one is chosen, and runtime (kept alive by the caller) as Qt's
// private runtime folder instead of a warning.
inline void PrepareHeadlessGui(const QTemporaryDir& runtime) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
}

} // namespace tsivor::sample
