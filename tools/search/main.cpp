// tsivor-search [--dir FOLDER] [--count] --keyword W --name W --rubric W --street W --house N
//               --phone N [--phone-substring] --mail W --www W
#include "SearchTool.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const auto r = tsivor::searchtool::RunSearchTool(app.arguments().mid(1),
                                                     QCoreApplication::applicationDirPath());
    const QByteArray out = r.Out.toUtf8(), err = r.Err.toUtf8();
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    std::fwrite(err.constData(), 1, size_t(err.size()), stderr);
    return r.ExitCode;
}
