#include "app/MainForm.h"
#include "app/ProgramStart.h"
#include "app/Snapshot.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    using namespace tsivor::app;
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    const TCommandLine line = ParseCommandLine(args);
    if (!line.Error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(line.Error));
        return 2;
    }
    PrepareSnapshotEnvironment(line);

    QApplication app(argc, argv);
    // The start page is left for the main window; the main window's close ends the run.
    app.setQuitOnLastWindowClosed(false);
    // A snapshot runs unattended: messages go to stderr instead of boxes.
    TSnapshotPlatform unattended;
    if (line.Snapshot) tsivor::platform::Install(&unattended);

    int exitCode = 0;
    {
        // Another deployment folder holds everything the program's own folder holds, the start
        // page tiles included.
        const bool data = !line.DataDir.isEmpty();
        TProgramStart start(data ? line.DataDir : QCoreApplication::applicationDirPath(),
                            data ? line.DataDir : QDir::currentPath());
        if (!start.Run()) {
            tsivor::platform::Install(nullptr);
            return 1;
        }
        std::unique_ptr<TSnapshot> snapshot;
        if (line.Snapshot) {
            snapshot = std::make_unique<TSnapshot>(line.SnapshotFile, *start.MainWindow(),
                                                   start.StartPage());
            snapshot->Finished = [&exitCode](int code) {
                exitCode = code;
                QCoreApplication::exit(code);
            };
            snapshot->Start();
        }
        const int loop = app.exec();
        if (!line.Snapshot) exitCode = loop;
    }
    tsivor::platform::Install(nullptr);
    return exitCode;
}
