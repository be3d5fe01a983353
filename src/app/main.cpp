#include "app/FirstFrameWatch.h"
#include "app/MainForm.h"
#include "app/ProgramStart.h"
#include "app/Snapshot.h"
#include "mapview/DataMap.h"
#include "platform/HugePageHeap.h"
#include "platform/PhaseTimes.h"
#include "platform/QtTexts.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    using namespace tsivor::app;
    tsivor::platform::RestartWithHugePageHeap(argv);
    tsivor::platform::TPhaseTimes phases; // first, so that its figures begin with main
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    const TCommandLine line = ParseCommandLine(args);
    if (!line.Error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(line.Error));
        return 2;
    }
    PrepareSnapshotEnvironment(line);

    QApplication app(argc, argv);
    const tsivor::platform::TRussianQtTexts russian;
    phases.Mark(QStringLiteral("application object"));
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
        if (line.Timing) start.SetPhaseTimes(&phases);
        if (!start.Run()) {
            tsivor::platform::Install(nullptr);
            return 1;
        }
        if (line.Timing) // owned by the main window
            new TFirstFrameWatch(*start.MainWindow(), [&phases, &start] {
                phases.Mark(QStringLiteral("first frame, ready"));
                std::fputs(qPrintable(phases.Report()), stderr);
                std::fprintf(stderr, "full frames of the map: %d\n",
                             start.MainWindow()->DataMap1->RedrawLog().FullFrames);
            });
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
