// tsivor-mapinfo [--plain] [--json] FILE: what a map file holds.
// tsivor-mapinfo [--plain] FILE --street NAME --house NUMBER [--like]: the objects found there.
// tsivor-mapinfo [--plain] FILE --at X Y [--scale S]: the object the program picks at a point.
//
// The map is loaded into the program's own map control (with the offscreen platform), so that
// text boxes are measured with the fonts the program draws with.
//
// Each query is an option block: declare its options on the parser below, then answer it after
// the map is loaded, before the default summary.

#include "ArgParser.h"
#include "MapInfoAt.h"
#include "MapInfoHouses.h"
#include "MapInfoJson.h"
#include "MapInfoText.h"

#include "app/MapDesign.h"
#include "mapview/DataMap.h"

#include <QApplication>
#include <QFile>
#include <QJsonDocument>

#include <cmath>
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
    bool At = false;
    QStringList AtPoint;
    QString Scale;
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
bool LoadMap(const TOptions& opt, mapview::TDataMap& map, TLoadReport& report, QString& error) {
    if (!opt.Plain) return map.MapLoad(opt.File, &error, &report);
    QFile f(opt.File);
    if (!f.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Не удалось открыть файл карты «%1»").arg(opt.File);
        return false;
    }
    report = map.LoadFromStream(f.readAll());
    return true;
}

bool ParseNumber(const QString& text, double& value) {
    bool ok = false;
    value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value);
}

} // namespace

int main(int argc, char** argv) {
    // The map control is a widget; no display is needed to measure and hit test.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TOptions opt;
    mapinfo::TArgParser parser(QStringLiteral("usage: tsivor-mapinfo [options] FILE"));
    parser.Flag("--plain", &opt.Plain, "FILE holds unscrambled content");
    parser.Flag("--json", &opt.Json, "print everything as one JSON document");
    parser.Flag("--help", &opt.Help, "show this help");
    parser.Value("--street", "NAME", &opt.Street, "list the objects of a house: its street");
    parser.Value("--house", "NUMBER", &opt.House, "the house number (may be empty)");
    parser.Flag("--like", &opt.Like, "match the street name tolerantly");
    parser.Values("--at", "X Y", 2, &opt.AtPoint, &opt.At,
                  "the object the program picks at map point X Y, as JSON");
    parser.Value("--scale", "S", &opt.Scale, "with --at: the scale (default the file's)");
    parser.Positional("FILE", &opt.File, false);

    QString error;
    if (!parser.Parse(app.arguments().mid(1), &error)) return Fail(error);
    if (opt.Help || opt.File.isEmpty()) {
        Print(opt.Help ? stdout : stderr, parser.Usage());
        return opt.Help ? 0 : 2;
    }

    double x = 0, y = 0, scale = 0;
    if (opt.At && (!ParseNumber(opt.AtPoint.value(0), x) || !ParseNumber(opt.AtPoint.value(1), y)))
        return Fail(QStringLiteral("неверная точка %1").arg(opt.AtPoint.join(' ')));
    if (!opt.Scale.isEmpty() && (!ParseNumber(opt.Scale, scale) || scale <= 0))
        return Fail(QStringLiteral("неверный масштаб %1").arg(opt.Scale));

    mapview::TDataMap map;
    app::ApplyDesignOptions(map);
    map.LockDrawing(); // nothing is shown
    TLoadReport report;
    if (!LoadMap(opt, map, report, error)) return Fail(error);
    TMapDocument& doc = map.Document();
    // Whatever is printed below, an unknown or damaged file is never passed off as sound.
    if (const QString damage = LoadReportMessage(report); !damage.isEmpty())
        Print(stderr, QStringLiteral("tsivor-mapinfo: %1\n").arg(damage));
    const int status = report.UnknownVersion ? 1 : 0; // nothing of the file could be read

    if (opt.At) {
        if (scale > 0) map.SetScale(scale);
        const QJsonObject j = mapinfo::ObjectAtJson(map, float(x), float(y));
        Print(stdout, QString::fromUtf8(QJsonDocument(j).toJson()));
        return status;
    }

    // An empty street or house is a valid query, so the option's presence decides.
    if (app.arguments().mid(1).contains(QStringLiteral("--street"))) {
        Print(stdout, mapinfo::HouseQueryText(doc, opt.Street, opt.House, opt.Like));
        return status;
    }
    if (opt.Json) {
        Print(stdout, QString::fromUtf8(QJsonDocument(mapinfo::MapToJson(doc)).toJson()));
        return status;
    }
    Print(stdout, mapinfo::MapSummaryText(doc, report));
    return status;
}
