#pragma once
// The entry of the map tools that work without a window: the offscreen platform, the usage
// text on --help or without arguments, then the parsed job run on a map control.

#include "mapview/DataMap.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>

namespace tsivor::render {

// parse(args, error) returns an optional job; run(job, map, error) returns success.
template <class Parse, class Run>
int RunMapTool(int argc, char** argv, const QString& usage, Parse parse, Run run) {
    // The map control is a widget; no display is needed to draw it.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    if (args.isEmpty() || args.contains(QLatin1String("--help")) ||
        args.contains(QLatin1String("-h"))) {
        std::fputs(qPrintable(usage), stdout);
        return args.isEmpty() ? 2 : 0;
    }
    QString error;
    const auto job = parse(args, error);
    if (!job) {
        std::fprintf(stderr, "%s\n\n%s", error.toUtf8().constData(), usage.toUtf8().constData());
        return 2;
    }
    mapview::TDataMap map;
    if (!run(*job, map, error)) {
        std::fprintf(stderr, "%s\n", error.toUtf8().constData());
        return 1;
    }
    return 0;
}

} // namespace tsivor::render
