// tsivor-mapinfo --at: the object the program picks at a map point, on the sample city.

#include "MapInfoAt.h"

#include "TestSupport.h"
#include "app/MapDesign.h"
#include "mapview/DataMap.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <gtest/gtest.h>

using namespace tsivor;
using namespace tsivor::mapdata;

namespace {

QString SampleMap() {
    return test::DeployDir() + "/info1.db";
}

// The first addressed rectangular house of the sample and a point in its middle.
int FirstHouse(const TMapDocument& doc, float& x, float& y) {
    for (int i = 0; i < doc.ObjectCount(); ++i) {
        const TORBMapObjectMem& o = *doc.Objects[size_t(i)];
        if (o.ObjectType != cPolygon || o.HasAddress != 1 || o.Count != 4) continue;
        x = (o.Box[0].X + o.Box[2].X) / 2;
        y = (o.Box[0].Y + o.Box[2].Y) / 2;
        return i;
    }
    return -1;
}

TEST(MapInfoAt, NamesTheHouseUnderThePointWithItsAddress) {
    mapview::TDataMap map;
    app::ApplyDesignOptions(map);
    ASSERT_TRUE(map.MapLoad(SampleMap()));
    float x = 0, y = 0;
    const int house = FirstHouse(map.Document(), x, y);
    ASSERT_GE(house, 0);
    const QJsonObject j = mapinfo::ObjectAtJson(map, x, y);
    const QJsonArray found = j["found"].toArray();
    ASSERT_FALSE(found.isEmpty());
    EXPECT_TRUE(found.contains(house));
    EXPECT_EQ(j["index"].toInt(), found.last().toInt());
    const TORBMapObjectMem& chosen = *map.Object(j["index"].toInt());
    EXPECT_EQ(j["Layer"].toInt(), chosen.Layer);
    EXPECT_EQ(j["Category"].toInt(), chosen.Category);
    EXPECT_EQ(j["ObjectType"].toInt(), chosen.ObjectType);
    if (j["index"].toInt() == house) {
        const TAdres a = map.DecodeAddress(chosen);
        EXPECT_FALSE(a.Street.isEmpty());
        EXPECT_EQ(j["Address"].toObject()["Street"].toString(), a.Street);
        EXPECT_EQ(j["Address"].toObject()["House"].toString(), a.House);
    }
}

TEST(MapInfoAt, NothingFarOutsideTheCity) {
    mapview::TDataMap map;
    ASSERT_TRUE(map.MapLoad(SampleMap()));
    const QJsonObject j = mapinfo::ObjectAtJson(map, -1e6f, -1e6f);
    EXPECT_EQ(j["index"].toInt(), -1);
    EXPECT_TRUE(j["found"].toArray().isEmpty());
    EXPECT_TRUE(j["Address"].isNull());
    EXPECT_TRUE(j["ObjectType"].isNull());
}

TEST(MapInfoAt, ToolAnswersOnTheSampleCity) {
    const QString tool = QStringLiteral(TSIVOR_DEPLOY_DIR "/tsivor-mapinfo");
    if (!QFile::exists(tool)) GTEST_SKIP() << "tsivor-mapinfo not built";
    mapview::TDataMap map;
    app::ApplyDesignOptions(map);
    ASSERT_TRUE(map.MapLoad(SampleMap()));
    float x = 0, y = 0;
    ASSERT_GE(FirstHouse(map.Document(), x, y), 0);
    const int expected = map.ObjectAtPoint(x, y);

    auto run = [&](const QStringList& args, int exitCode = 0) {
        QProcess p;
        p.start(tool, args);
        EXPECT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), exitCode) << p.readAllStandardError().toStdString();
        return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    };
    const QStringList at = {SampleMap(), "--at", QString::number(x, 'g', 9),
                            QString::number(y, 'g', 9)};
    EXPECT_EQ(run(at)["index"].toInt(), expected);
    EXPECT_EQ(run(at + QStringList{"--scale", "400"})["index"].toInt(), expected);
    EXPECT_EQ(run({SampleMap(), "--at", "-1000000", "-1000000"})["index"].toInt(), -1);
    run({SampleMap(), "--at", "x", "1"}, 1);
    run({SampleMap(), "--at", "1"}, 1);
}

} // namespace
