// tsivor-import-mdb IN.mdb OUT.sqlite: copies every table of an Access (Jet 3 or Jet 4) file
// with all its columns into a new SQLite file, texts as UTF-8.
#include "directory/JetImport.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 2 || args[0].startsWith(u'-')) {
        std::fprintf(stderr, "usage: tsivor-import-mdb IN.mdb OUT.sqlite\n");
        return 2;
    }
    QString error;
    if (!tsivor::directory::ImportJetDatabase(args[0], args[1], &error)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
