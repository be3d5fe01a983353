// tsivor-import-mdb [--codepage CP] IN.mdb OUT.sqlite: copies every table of an Access (Jet 3 or
// Jet 4) file with all its columns into a new SQLite file, texts as UTF-8. Jet 3 texts are read
// in the code page of the file's sort order unless --codepage names another (1251, CP1252, ...).
#include "directory/JetImport.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: tsivor-import-mdb [--codepage CP] IN.mdb OUT.sqlite\n");
    return 2;
}

// "1251", "CP1251" or "cp1251"; 0 when it is none of these.
int ParseCodePage(QString text) {
    if (text.startsWith(QLatin1String("cp"), Qt::CaseInsensitive)) text = text.mid(2);
    bool ok = false;
    const int cp = text.toInt(&ok);
    return ok && cp > 0 && cp < 65536 ? cp : 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int codePage = 0;
    const qsizetype at = args.indexOf(QStringLiteral("--codepage"));
    if (at >= 0) {
        if (at + 1 >= args.size()) return Usage();
        codePage = ParseCodePage(args[at + 1]);
        if (codePage == 0) {
            std::fprintf(stderr, "tsivor-import-mdb: not a code page: %s\n",
                         args[at + 1].toLocal8Bit().constData());
            return 2;
        }
        args.remove(at, 2);
    }
    if (args.size() != 2 || args[0].startsWith(u'-')) return Usage();
    QString error;
    if (!tsivor::directory::ImportJetDatabase(args[0], args[1], &error, codePage)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
