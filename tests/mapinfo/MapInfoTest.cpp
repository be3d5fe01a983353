// The map dump of tsivor-mapinfo and its argument parsing.

#include "ArgParser.h"
#include "MapInfoJson.h"
#include "MapInfoText.h"

#include "mapdata/Cp1251.h"
#include "mapdata/MapWriter.h"

#include <QJsonArray>

#include <gtest/gtest.h>

using namespace tsivor;
using namespace tsivor::mapdata;

namespace {

TMapDocument Loaded() {
    TMapDocument src;
    src.Header.NameMap = QStringLiteral("Заречинск");
    src.Header.Mashtab = 500;
    src.Streets.Add(QStringLiteral("ЛЕНИНА"), 3);
    auto poly = std::make_unique<TORBMapObjectMem>();
    poly->ID = 7;
    poly->Count = 2;
    poly->Points = std::make_unique<TORBMapPoint[]>(2);
    poly->Points[0] = {1.1f, 2};
    poly->Points[1] = {16.4f, 5};
    poly->HasAddress = 1;
    poly->Address = std::make_unique<TORBMapAddress>(
        TORBMapAddress{-1, 3, -1, cp1251::FromUnicode(QStringLiteral("12А")), {}});
    auto group = std::make_unique<TORBMapObjectMem>();
    group->ID = 8;
    group->ObjectType = cGroup;
    group->Children = std::make_unique<TOrbMapList>();
    group->Children->push_back(poly->Clone());
    group->Count = 1;
    src.Append(std::move(poly));
    src.Append(std::move(group));
    auto note = std::make_unique<TORBMapObjectMem>();
    note->ID = 9;
    note->SetZametka(TORBMapZametka{3, 4, "DEFAULT", "17", QStringLiteral("Аптека")});
    src.Append(std::move(note));

    TMapDocument doc;
    TMapLoadHost host;
    LoadFromStream(WriteMapContent(src), doc, host);
    return doc;
}

} // namespace

TEST(MapInfoJson, CarriesHeaderTablesAndObjects) {
    const TMapDocument doc = Loaded();
    const QJsonObject j = mapinfo::MapToJson(doc);
    EXPECT_EQ(j["NameMap"].toString(), QStringLiteral("Заречинск"));
    EXPECT_EQ(j["Version"].toInt(), 14);
    EXPECT_EQ(j["ObjectCount"].toInt(), 3);
    EXPECT_EQ(j["streets"].toArray()[0].toObject()["code"].toInt(), 3);
    EXPECT_EQ(j["extent"].toArray().size(), 4);

    const QJsonArray objects = j["objects"].toArray();
    ASSERT_EQ(objects.size(), 3);
    const QJsonObject poly = objects[0].toObject();
    EXPECT_EQ(poly["Box"].toArray()[2].toArray()[0].toDouble(), 16.4); // shortest decimal
    EXPECT_EQ(poly["Address"].toObject()["Street"].toString(), QStringLiteral("ЛЕНИНА"));
    EXPECT_EQ(poly["Address"].toObject()["House"].toString(), QStringLiteral("12А"));
    EXPECT_FALSE(poly.contains("Text"));
    const QJsonArray children = objects[1].toObject()["children"].toArray();
    ASSERT_EQ(children.size(), 1);
    EXPECT_EQ(children[0].toObject()["ID"].toInt(), 7);
    const QJsonObject note = objects[2].toObject()["Zametka"].toObject();
    EXPECT_EQ(note["NamePic"].toString(), "17");
    EXPECT_EQ(note["Text"].toString(), QStringLiteral("Аптека"));
    EXPECT_FALSE(objects[2].toObject().contains("Address"));
}

TEST(MapInfoText, CountsTopLevelTypesAndChildren) {
    const QString s = mapinfo::MapSummaryText(Loaded(), TLoadReport{});
    EXPECT_TRUE(s.contains(QRegularExpression("cPolygon:\\s+1\\n"))) << qPrintable(s);
    EXPECT_TRUE(s.contains(QRegularExpression("cGroup:\\s+1\\n")));
    EXPECT_TRUE(s.contains(QRegularExpression("in groups:\\s+1\\n")));
    EXPECT_TRUE(s.contains(QRegularExpression("Streets:\\s+1\\n")));
    EXPECT_FALSE(s.contains("Warning"));
}

TEST(ArgParser, FlagsValuesAndPositionals) {
    bool json = false;
    QString street, file;
    mapinfo::TArgParser p("usage");
    p.Flag("--json", &json, "");
    p.Value("--street", "NAME", &street, "");
    p.Positional("FILE", &file);
    QString error;
    ASSERT_TRUE(p.Parse({"--street", QStringLiteral("Ленина"), "map.db", "--json"}, &error));
    EXPECT_TRUE(json);
    EXPECT_EQ(street, QStringLiteral("Ленина"));
    EXPECT_EQ(file, "map.db");
    EXPECT_FALSE(p.Parse({"--street"}, &error));
    EXPECT_TRUE(error.contains("NAME"));
    EXPECT_FALSE(p.Parse({"a", "b"}, &error));
    EXPECT_FALSE(p.Parse({"--nope", "a"}, &error));
    mapinfo::TArgParser q("usage");
    q.Positional("FILE", &file);
    EXPECT_FALSE(q.Parse({}, &error));
}

TEST(MapInfoJson, NamesCodesByTheFirstTableEntry) {
    TMapDocument doc;
    doc.Streets.Add("ЯБЛОНЕВАЯ", 4);
    doc.Streets.Add("АКАЦИЙ", 4);
    doc.Streets.Add("ТУПИК", -2);
    TORBMapObjectMem o;
    o.HasAddress = 1;
    o.Address = std::make_unique<TORBMapAddress>(
        TORBMapAddress{-1, 4, -2, QByteArray("1"), QByteArray("2")});
    const QJsonObject a = mapinfo::ObjectToJson(doc, o)["Address"].toObject();
    EXPECT_EQ(a["Street"].toString(), QStringLiteral("АКАЦИЙ"));
    EXPECT_EQ(a["Street1"].toString(), QString());
}
