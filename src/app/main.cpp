#include "app/ProgramStart.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The start page is left for the main window; the main window's close ends the run.
    app.setQuitOnLastWindowClosed(false);
    tsivor::app::TProgramStart start(QCoreApplication::applicationDirPath(), QDir::currentPath());
    start.Run();
    return app.exec();
}
