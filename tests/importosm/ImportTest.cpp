// A town written by the test as .osm and as .osm.pbf imports into a whole deployment whose map
// and directory agree: addressed houses with heights, streets by class, water, park, railway,
// labels, notes, organisations linked to their houses; bad input never crashes.

#include "OsmImport.h"
#include "OsmNames.h"
#include "TownExtract.h"

#include "MapStyle.h"

#include "directory/Database.h"
#include "mapdata/AddressLookup.h"
#include "mapdata/MapLoader.h"
#include "platform/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <osmium/builder/attr.hpp>
#include <osmium/io/any_output.hpp>

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace tsivor;
using namespace tsivor::importosm;
using mapdata::TMapDocument;
using mapdata::TORBMapObjectMem;

namespace {

struct TImported {
    QString Dir;
    TImportReport Report;
    testtown::TTownFacts Facts;
    TMapDocument Map;
};

class Import : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        temp = new QTemporaryDir;
        for (const char* suffix : {"osm", "osm.pbf"}) {
            TImported& t = suffix == std::string("osm") ? xml : pbf;
            const QString in = temp->filePath(QStringLiteral("town.%1").arg(suffix));
            t.Facts = testtown::WriteTown(in);
            t.Dir = temp->filePath(QStringLiteral("out-%1").arg(suffix));
            QString error;
            ASSERT_TRUE(ImportOsm({in, t.Dir, {}}, t.Report, &error)) << error.toStdString();
            mapdata::TMapLoadHost host;
            mapdata::TLoadReport load;
            ASSERT_TRUE(mapdata::MapLoad(t.Dir + "/info1.db", t.Map, host, &error, &load));
            ASSERT_FALSE(load.Damaged());
        }
    }
    static void TearDownTestSuite() {
        delete temp;
        temp = nullptr;
    }

    static std::vector<const TORBMapObjectMem*> Objects(int category, int type = -1) {
        std::vector<const TORBMapObjectMem*> v;
        for (const auto& o : xml.Map.Objects)
            if (o->Category == category && (type < 0 || o->ObjectType == type))
                v.push_back(o.get());
        return v;
    }
    static int House(const QString& street, const QString& number) {
        mapdata::TAddressLookup lookup(xml.Map);
        std::vector<int> found;
        return lookup.FindHouse(-1, {}, number, street, found);
    }

    static inline QTemporaryDir* temp = nullptr;
    static inline TImported xml, pbf;
};

float Length(const TORBMapObjectMem& o) {
    float l = 0;
    for (int i = 1; i < o.Count; ++i)
        l += std::hypot(o.Points[i].X - o.Points[i - 1].X, o.Points[i].Y - o.Points[i - 1].Y);
    return l;
}

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// XML is parsed once and kept, PBF read twice: both must hand the areas over in the same order.
TEST_F(Import, XmlAndPbfGiveTheSameDeployment) {
    EXPECT_EQ(xml.Report.Counts.Objects(), xml.Facts.Nodes + xml.Facts.Ways + xml.Facts.Relations);
    EXPECT_EQ(pbf.Report.Counts.Objects(), xml.Report.Counts.Objects());
    EXPECT_EQ(pbf.Map.ObjectCount(), xml.Map.ObjectCount());
    EXPECT_EQ(pbf.Report.Directory.Organisations, xml.Report.Directory.Organisations);
    EXPECT_EQ(pbf.Report.Houses, xml.Report.Houses);
    for (const char* file : {"info1.db", "info.db", "tsivor.ini", "tsivor.lib"}) {
        EXPECT_TRUE(QFileInfo::exists(xml.Dir + '/' + file)) << file;
        EXPECT_EQ(Bytes(xml.Dir + '/' + file), Bytes(pbf.Dir + '/' + file)) << file;
    }
    EXPECT_FALSE(QDir(xml.Dir + "/start").entryList({"st_*.gif"}, QDir::Files).isEmpty());
}

// The advertised organisations' logos point at where they stand in the town, not at a corner
// of the map outside it.
TEST_F(Import, LogosPointAtTheirOrganisations) {
    platform::TIniFile ini(xml.Dir + "/logo/logo.ini");
    const int count = ini.ReadInteger("Main", "Count", 0);
    ASSERT_GT(count, 0);
    const mapdata::TMapExtent& e = xml.Map.Extent;
    for (int i = 0; i < count; ++i) {
        const QString logo = QStringLiteral("Logo%1").arg(i);
        const int x = ini.ReadInteger(logo, "P5", 0), y = ini.ReadInteger(logo, "P6", 0);
        EXPECT_TRUE(x > e.MinX && x < e.MaxX && y > e.MinY && y < e.MaxY) << x << "," << y;
    }
}

TEST_F(Import, TownNameAndTrueMetres) {
    EXPECT_EQ(xml.Report.Town, QString::fromUtf8(testtown::kTown));
    EXPECT_EQ(xml.Map.Header.NameMap, QString::fromUtf8(testtown::kTown));
    platform::TIniFile ini(xml.Dir + "/tsivor.ini");
    EXPECT_EQ(ini.ReadString("Main", "City", ""), QString::fromUtf8(testtown::kTown));
    EXPECT_EQ(ini.ReadInteger("Map", "nedv", 1), 0); // no listings come from map data
    // Nothing of the sample town's own: no web address of it on the start page.
    EXPECT_EQ(ini.ReadString("Main", "WWW", "?"), QString());
    EXPECT_FALSE(Bytes(xml.Dir + "/tsivor.ini").contains("zarechinsk"));
    // The start page tells no telephones of a publisher the town does not have.
    EXPECT_EQ(ini.ReadString("Main", "PhoneS", "?"), QString());
    EXPECT_EQ(ini.ReadString("Main", "PhoneM", "?"), QString());
    // One map unit is one metre: the 1000 m ruler measures 1000 m.
    ASSERT_EQ(xml.Map.Header.Mashtab, 1000);
    mapdata::TAddressLookup lookup(xml.Map);
    std::vector<int> found;
    ASSERT_GE(lookup.FindHouse(-1, {}, {}, QStringLiteral("Мерная линия"), found), 0);
    const float metres = Length(*xml.Map.Object(found[0])) * xml.Map.Header.Mashtab / 1000;
    EXPECT_NEAR(metres, 1000, 1.0);
    // Every coordinate is positive.
    EXPECT_GT(xml.Map.Extent.MinX, 0);
    EXPECT_GT(xml.Map.Extent.MinY, 0);
}

TEST_F(Import, BuildingsAreAddressedHousesWithHeights) {
    EXPECT_EQ(xml.Report.Houses, xml.Facts.Buildings);
    EXPECT_EQ(xml.Report.AddressedHouses, xml.Facts.Buildings);
    // House 0: a corner house on "Центральная улица" 1 and "улица Ленина" 2, 1 storey.
    const int corner = House(QStringLiteral("Центральная улица"), "1");
    ASSERT_GE(corner, 0);
    const TORBMapObjectMem& o = *xml.Map.Object(corner);
    EXPECT_EQ(o.ObjectType, mapdata::cPolygon);
    EXPECT_EQ(o.Category, 13);
    EXPECT_EQ(o.Height, 3.0f);
    EXPECT_EQ(xml.Map.DecodeAddress(o).Street1, QStringLiteral("УЛИЦА ЛЕНИНА"));
    EXPECT_EQ(xml.Map.DecodeAddress(o).House1, "2");
    EXPECT_EQ(House(QStringLiteral("улица Ленина"), "2"), corner); // found by either address
    // House 4 has "height=14.5 m"; house 3 is addressed by a point inside it; house 5 is wooden.
    EXPECT_EQ(xml.Map.Object(House(QStringLiteral("Центральная улица"), "9"))->Height, 14.5f);
    EXPECT_GE(House(QStringLiteral("Центральная улица"), "7"), 0);
    EXPECT_EQ(xml.Map.Object(House(QStringLiteral("Центральная улица"), "11"))->Category, 14);
}

TEST_F(Import, StreetsByClassAddressedToTheirStreet) {
    const auto streets = Objects(1, mapdata::cLine);
    ASSERT_FALSE(streets.empty());
    float primary = 0, residential = 0;
    for (const TORBMapObjectMem* s : streets) {
        const QString name = xml.Map.DecodeAddress(*s).Street;
        if (name == QStringLiteral("УЛИЦА ГАГАРИНА")) primary = s->Pen.Width;
        if (name == QStringLiteral("УЛИЦА МИРА")) residential = s->Pen.Width;
    }
    EXPECT_GT(primary, residential);
    EXPECT_GT(residential, 0);
    // A street's layer is above the ground and below the houses.
    for (const TORBMapObjectMem* s : streets) EXPECT_LT(s->Layer, 10);
    // The lane with missing nodes is drawn with the two it has, and counted.
    EXPECT_EQ(xml.Report.Counts.WaysWithMissingNodes, 1);
    EXPECT_EQ(xml.Report.Counts.WaysSkipped, 0);
}

TEST_F(Import, WaterParkAndRailway) {
    const auto water = Objects(16, mapdata::cPolygon);
    ASSERT_EQ(water.size(), 1u); // the lake, assembled from two ways
    EXPECT_GE(water[0]->Count, 4);
    EXPECT_EQ(Objects(16, mapdata::cLine).size(), 1u);    // the river
    EXPECT_EQ(Objects(10, mapdata::cPolygon).size(), 2u); // the park and its playground
    EXPECT_EQ(Objects(7, mapdata::cLine).size(), 2u);     // rail and its white dashes
    for (const auto* w : water) EXPECT_LT(w->Layer, Objects(13)[0]->Layer);
}

TEST_F(Import, LabelsAndNotes) {
    QStringList texts;
    for (const auto& o : xml.Map.Objects) {
        mapdata::TORBMapText t;
        if (o->GetText(t)) texts << t.Text;
    }
    EXPECT_TRUE(texts.contains(QStringLiteral("улица Гагарина")));
    EXPECT_EQ(texts.count(QStringLiteral("улица Гагарина")), 1); // two short pieces, one label
    EXPECT_TRUE(texts.contains(QStringLiteral("Заречье")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Озёрка")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Городской парк")));
    EXPECT_FALSE(texts.contains(QStringLiteral("Детская площадка «Солнышко»"))); // too small
    int cafes = 0;
    for (const auto& o : xml.Map.Objects) {
        mapdata::TORBMapZametka z;
        if (!o->GetZametka(z)) continue;
        EXPECT_EQ(z.NameLib, "Default");
        if (z.NamePic == "19") ++cafes;
    }
    EXPECT_GT(cafes, 2);
}

// Street names are large enough to read where house numbers appear (scale 150: 1.5 pixels a
// metre), as the sample town's are; the main road's name is the larger one.
TEST_F(Import, StreetLabelsAreReadableFromTheMiddleScales) {
    float smallest = 1e9f, main = 0;
    for (const TORBMapObjectMem* o : Objects(1, mapdata::cText)) {
        mapdata::TORBMapText t;
        ASSERT_TRUE(o->GetText(t));
        smallest = std::min(smallest, t.Size);
        if (t.Text == QStringLiteral("улица Гагарина")) main = t.Size;
    }
    EXPECT_GE(smallest * 1.5f, 12.f);
    EXPECT_GT(main, smallest);
}

// Names of parks and water are as large as the sample town's, a river's as its width.
TEST_F(Import, AreaAndRiverNamesAsLargeAsTheSampleTownsAre) {
    std::map<QString, float> sizes;
    for (const auto& o : xml.Map.Objects) {
        mapdata::TORBMapText t;
        if (o->GetText(t)) sizes[t.Text] = t.Size;
    }
    EXPECT_EQ(sizes[QStringLiteral("Городской парк")], sample::kAreaLabelSize);
    EXPECT_EQ(sizes[QStringLiteral("Озеро Круглое")], sample::kAreaLabelSize);
    EXPECT_EQ(sizes[QStringLiteral("Озёрка")], sample::StreetLabelSize(18)); // a river
}

TEST_F(Import, NamesOutsideTheCodePageAreTransliteratedAndCounted) {
    bool found = false;
    for (const auto& o : xml.Map.Objects) {
        mapdata::TORBMapZametka z;
        if (o->GetZametka(z) && z.Text.startsWith("Cafe Lodz")) found = z.Text == "Cafe Lodz";
    }
    EXPECT_TRUE(found);
    EXPECT_EQ(xml.Report.NamesReplaced, 4); // é Ł ó ź
    EXPECT_EQ(xml.Report.NamesUnknown, 0);
    EXPECT_TRUE(ReportText(xml.Report).contains(QStringLiteral("1251: 4")));
    // The glass has no glyph in the fonts: it is taken out, not shown as "?" or a box.
    EXPECT_EQ(xml.Report.Counts.PictographsDropped, 1);
    EXPECT_TRUE(ReportText(xml.Report).contains(QStringLiteral("(эмодзи): 1")));
    directory::TDatabase db;
    QString error;
    ASSERT_TRUE(db.Open(xml.Dir + "/info.db", directory::TDatabase::Mode::ReadOnly, &error));
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db.Handle(), "SELECT Title FROM Main WHERE Title LIKE 'Caf%'", -1,
                                 &st, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_EQ(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))),
              QStringLiteral("Café Łódź"));
    sqlite3_finalize(st);

    int64_t dropped = 0;
    EXPECT_EQ(WithoutPictographs(QStringLiteral("🍕 Пицца 👍🏽 «Рома»"), dropped),
              QStringLiteral("Пицца «Рома»"));
    EXPECT_EQ(dropped, 3); // the pizza, the hand and its skin tone
    EXPECT_EQ(WithoutPictographs(QStringLiteral("👨‍👩‍👧 Семья"), dropped),
              QStringLiteral("Семья"));
    EXPECT_EQ(dropped, 8); // three people and their two joiners
    // Symbols of the fonts stay; a variation selector alone goes.
    EXPECT_EQ(WithoutPictographs(QStringLiteral("Дом № 5 ☺ ❤️"), dropped),
              QStringLiteral("Дом № 5 ☺ ❤"));
    EXPECT_EQ(dropped, 9);

    TCp1251Names names;
    EXPECT_EQ(names.Convert(QStringLiteral("Ørsted Straße, Ελλάδα")), "Orsted Strasse, Ellada");
    EXPECT_EQ(names.Convert(QStringLiteral("улица Ленина")), QStringLiteral("улица Ленина"));
    EXPECT_EQ(names.Replaced(), 8);
    EXPECT_EQ(names.Unknown(), 0);
}

TEST_F(Import, OrganisationsAreCardsLinkedToTheirHouses) {
    EXPECT_EQ(xml.Report.Directory.Organisations, xml.Facts.Organisations);
    directory::TDatabase db;
    QString error;
    ASSERT_TRUE(db.Open(xml.Dir + "/info.db", directory::TDatabase::Mode::ReadOnly, &error));
    sqlite3_stmt* st = nullptr;
    const char* sql =
        "SELECT Main.Title, Topics.Name, Streets.Name, Adr.Number, Adr.id_map, Main.ids, "
        "Main.Memo, "
        "Main.www, Main.Mail, (SELECT COUNT(*) FROM Phones WHERE Phones.Id_Adr = Adr.Id) "
        "FROM Main JOIN Jumps ON Jumps.Id_Main = Main.Id JOIN Topics ON Topics.id = Jumps.Id_Topic "
        "JOIN Adr ON Adr.Id_Main = Main.Id JOIN Streets ON Streets.id = Adr.Id_Street "
        "WHERE Main.Title LIKE 'Кафе «Ромашка 5»'";
    ASSERT_EQ(sqlite3_prepare_v2(db.Handle(), sql, -1, &st, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    auto text = [&](int c) {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
    };
    EXPECT_EQ(text(1), QStringLiteral("Кафе"));
    // The café has no address of its own: it takes the house it stands in, and links to it.
    const int object = sqlite3_column_int(st, 4);
    ASSERT_GE(object, 0);
    EXPECT_EQ(object, House(text(2), text(3)));
    EXPECT_EQ(text(5), QStringLiteral("%1;").arg(object));
    EXPECT_TRUE(text(6).contains("Домашняя кухня"));
    EXPECT_EQ(text(7), "https://cafe.example");
    EXPECT_EQ(text(8), "cafe@example.org");
    EXPECT_EQ(sqlite3_column_int(st, 9), 2);
    sqlite3_finalize(st);
    // Most addresses are on the map; the start list has organisations to show.
    EXPECT_GE(xml.Report.Directory.OnMap, xml.Report.Directory.Addresses - 1);
}

TEST(ImportBadInput, DamagedEmptyAndMissingFilesGiveMessagesNotCrashes) {
    QTemporaryDir dir;
    const QString pbf = dir.filePath("town.osm.pbf"), xml = dir.filePath("town.osm");
    testtown::WriteTown(pbf);
    testtown::WriteTown(xml);
    QString error;
    TImportReport report;
    EXPECT_FALSE(ImportOsm({dir.filePath("none.osm"), dir.filePath("a"), {}}, report, &error));
    EXPECT_TRUE(error.contains("none.osm"));

    for (const QString& in : {pbf, xml}) {
        QFile f(in);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray whole = f.readAll();
        f.close();
        for (const double part : {0.0, 0.02, 0.3, 0.6, 0.95}) {
            const QString cut = dir.filePath(
                QStringLiteral("cut%1.%2").arg(part).arg(QFileInfo(in).completeSuffix()));
            QFile c(cut);
            ASSERT_TRUE(c.open(QIODevice::WriteOnly));
            c.write(whole.left(qsizetype(whole.size() * part)));
            c.close();
            TImportReport r;
            QString e;
            const bool ok = ImportOsm({cut, dir.filePath("out"), {}}, r, &e);
            // Either a message, or a partial deployment that says the file was damaged.
            if (ok)
                EXPECT_FALSE(r.ReadError.isEmpty()) << cut.toStdString();
            else
                EXPECT_FALSE(e.isEmpty()) << cut.toStdString();
        }
    }
    QFile garbage(dir.filePath("garbage.osm.pbf"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(5000, '\x7f'));
    garbage.close();
    EXPECT_FALSE(ImportOsm({garbage.fileName(), dir.filePath("g"), {}}, report, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(ImportBadInput, NameOptionWins) {
    QTemporaryDir dir;
    const QString in = dir.filePath("t.osm");
    testtown::WriteTown(in, {3, 3, 1});
    TImportReport report;
    QString error;
    ASSERT_TRUE(ImportOsm({in, dir.filePath("out"), QStringLiteral("Тестовск")}, report, &error));
    EXPECT_EQ(report.Town, QStringLiteral("Тестовск"));
}

// Some extracts list nodes after the ways that use them. The XML read handles the nodes a file
// starts with while it parses on, and keeps the rest: it must give what the PBF read gives going
// through the file in order.
TEST(ImportBadInput, NodesAfterWaysReadAlikeFromXmlAndPbf) {
    using namespace osmium::builder::attr;
    osmium::memory::Buffer b{1 << 14, osmium::memory::Buffer::auto_grow::yes};
    int64_t id = 0;
    // A house of four nodes, listed before its way or after it.
    auto box = [&](double lon, double lat, const char* number, bool wayFirst) {
        const int64_t first = id + 1;
        std::vector<osmium::NodeRef> refs;
        for (int64_t n = first; n < first + 4; ++n) refs.emplace_back(n);
        refs.emplace_back(first);
        auto way = [&] {
            osmium::builder::add_way(b, _id(first), _version(1), _nodes(refs),
                                     _tag("building", "yes"), _tag("addr:street", "Лесная улица"),
                                     _tag("addr:housenumber", number));
        };
        if (wayFirst) way();
        for (const auto& [dx, dy] : {std::pair{0, 0}, {1, 0}, {1, 1}, {0, 1}})
            osmium::builder::add_node(b, _id(++id), _version(1),
                                      _location(lon + dx * 2e-4, lat + dy * 1e-4));
        if (!wayFirst) way();
    };
    box(38.1, 56.3, "1", false);
    // A café inside the first house, listed after its way; a house whose nodes come after it,
    // which an ordered read meets without their places; a third house in order.
    osmium::builder::add_node(b, _id(++id), _version(1), _location(38.1001, 56.30005),
                              _tag("amenity", "cafe"), _tag("name", "Кафе «Опушка»"));
    box(38.101, 56.3, "3", true);
    box(38.102, 56.3, "5", false);
    QTemporaryDir dir;
    std::vector<TImportReport> reports;
    for (const char* suffix : {"osm", "osm.pbf"}) {
        const QString in = dir.filePath(QStringLiteral("unsorted.%1").arg(suffix));
        osmium::io::Writer writer{QFile::encodeName(in).toStdString()};
        writer(osmium::memory::Buffer(b.data(), b.committed()));
        writer.close();
        TImportReport report;
        QString error;
        ASSERT_TRUE(ImportOsm({in, dir.filePath(suffix), {}}, report, &error))
            << error.toStdString();
        reports.push_back(report);
    }
    for (const TImportReport& r : reports) {
        EXPECT_EQ(r.Counts.Nodes, 13);
        EXPECT_EQ(r.Counts.Ways, 3);
        EXPECT_EQ(r.Counts.WaysSkipped, 1);
        EXPECT_EQ(r.Houses, 2);
        EXPECT_EQ(r.Directory.OnMap, 1); // the café, in the first house
    }
    for (const char* file : {"info1.db", "info.db"})
        EXPECT_EQ(Bytes(dir.filePath(QStringLiteral("osm/%1").arg(file))),
                  Bytes(dir.filePath(QStringLiteral("osm.pbf/%1").arg(file))))
            << file;
}
