// tsivor-render: exports a picture of a map file without opening a window.
#include "MapPictureJob.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    // The map control is a widget; no display is needed to render it.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    if (args.isEmpty() || args.contains(QLatin1String("--help")) ||
        args.contains(QLatin1String("-h"))) {
        std::fputs(qPrintable(tsivor::render::UsageText()), stdout);
        return args.isEmpty() ? 2 : 0;
    }
    QString error;
    const auto job = tsivor::render::ParseJob(args, error);
    if (!job) {
        std::fprintf(stderr, "%s\n\n%s", error.toUtf8().constData(),
                     tsivor::render::UsageText().toUtf8().constData());
        return 2;
    }
    tsivor::mapview::TDataMap map;
    if (!tsivor::render::RunJob(*job, map, error)) {
        std::fprintf(stderr, "%s\n", error.toUtf8().constData());
        return 1;
    }
    return 0;
}
