// tsivor-mapinfo [--plain] [--json] FILE: what a map file holds.
// tsivor-mapinfo [--plain] FILE --street NAME --house NUMBER [--like]: the objects found there.
//
// Each query is an option block: declare its options on the parser below, then answer it after
// the map is loaded, before the default summary.

#include "ArgParser.h"
#include "MapInfoHouses.h"
#include "MapInfoJson.h"
#include "MapInfoText.h"

#include "mapdata/MapLoader.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>

#include <cstdio>

using namespace tsivor;
using namespace tsivor::mapdata;

namespace {

struct TOptions {
    bool Plain = false;
    bool Json = false;
    bool Help = false;
    QString File;
    QString Street, House;
    bool Like = false;
};

void Print(FILE* to, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), to);
}

int Fail(const QString& message) {
    Print(stderr, QStringLiteral("tsivor-mapinfo: %1\n").arg(message));
    return 1;
}

// Loads FILE as an envelope file, or as plain content with --plain.
bool LoadMap(const TOptions& opt, TMapDocument& doc, TLoadReport& report, QString& error) {
    TMapLoadHost host;
    if (!opt.Plain) return MapLoad(opt.File, doc, host, &error, &report);
    QFile f(opt.File);
    if (!f.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Не удалось открыть файл карты «%1»").arg(opt.File);
        return false;
    }
    report = LoadFromStream(f.readAll(), doc, host);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TOptions opt;
    mapinfo::TArgParser parser(QStringLiteral("usage: tsivor-mapinfo [options] FILE"));
    parser.Flag("--plain", &opt.Plain, "FILE holds unscrambled content");
    parser.Flag("--json", &opt.Json, "print everything as one JSON document");
    parser.Flag("--help", &opt.Help, "show this help");
    parser.Value("--street", "NAME", &opt.Street, "list the objects of a house: its street");
    parser.Value("--house", "NUMBER", &opt.House, "the house number (may be empty)");
    parser.Flag("--like", &opt.Like, "match the street name tolerantly");
    parser.Positional("FILE", &opt.File, false);

    QString error;
    if (!parser.Parse(app.arguments().mid(1), &error)) return Fail(error);
    if (opt.Help || opt.File.isEmpty()) {
        Print(opt.Help ? stdout : stderr, parser.Usage());
        return opt.Help ? 0 : 2;
    }

    TMapDocument doc;
    TLoadReport report;
    if (!LoadMap(opt, doc, report, error)) return Fail(error);

    // An empty street or house is a valid query, so the option's presence decides.
    if (app.arguments().mid(1).contains(QStringLiteral("--street"))) {
        Print(stdout, mapinfo::HouseQueryText(doc, opt.Street, opt.House, opt.Like));
        return 0;
    }
    if (opt.Json) {
        Print(stdout, QString::fromUtf8(QJsonDocument(mapinfo::MapToJson(doc)).toJson()));
        return 0;
    }
    Print(stdout, mapinfo::MapSummaryText(doc, report));
    return 0;
}
