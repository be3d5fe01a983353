// tsivor-mapinfo --street/--house: the house search as a listing of indices.

#include "MapInfoHouses.h"

#include "mapdata/Cp1251.h"
#include "mapdata/MapWriter.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tsivor;
using namespace tsivor::mapdata;

namespace {

TOrbMapObjectPtr Addressed(int16_t street, const char* house, int32_t category = 0,
                           int16_t town = -1) {
    auto o = std::make_unique<TORBMapObjectMem>();
    o->Count = 1;
    o->ObjectType = cPixel;
    o->Points = std::make_unique<TORBMapPoint[]>(1);
    o->Category = category;
    o->HasAddress = 1;
    o->Address = std::make_unique<TORBMapAddress>(
        TORBMapAddress{town, street, -1, cp1251::FromUnicode(QString::fromUtf8(house)), {}});
    return o;
}

TMapDocument City() {
    TMapDocument doc;
    doc.Streets.Add("ПРОСПЕКТ МИРА", 1);
    doc.Streets.Add("ЛЕНИНА", 2);
    doc.Towns.Add("ЗАРЕЧИНСК", 0);
    doc.Append(Addressed(2, "7"));
    doc.Append(Addressed(1, "3", 50, 0));
    doc.Append(Addressed(2, ""));
    doc.Append(Addressed(1, "3а", 97));
    doc.Append(Addressed(1, "3"));
    return doc;
}

TEST(HouseQuery, ListsEveryCategoryAndTownInOrder) {
    TMapDocument doc = City();
    EXPECT_EQ(mapinfo::HouseQueryText(doc, "проспект мира", "3", false), "1\n4\n");
    EXPECT_EQ(mapinfo::HouseQueryText(doc, "проспект мира", "3А", false), "3\n");
    EXPECT_EQ(mapinfo::HouseQueryText(doc, "Ленина", "", false), "2\n");
    EXPECT_EQ(mapinfo::HouseQueryText(doc, "пр мира", "3", false), "");
    EXPECT_EQ(mapinfo::HouseQueryText(doc, "пр  мира", "3", true), "1\n4\n");
    EXPECT_EQ(mapinfo::HouseQueryText(doc, "садовая", "3", true), "");
}

// The built tool on a plain content file, when it has been built next to the tests.
TEST(HouseQuery, ToolPrintsTheIndices) {
    const QString tool = QStringLiteral(TSIVOR_DEPLOY_DIR "/tsivor-mapinfo");
    if (!QFile::exists(tool)) GTEST_SKIP() << "tsivor-mapinfo not built";
    QTemporaryDir dir;
    const QString path = dir.filePath("plain.db");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(WriteMapContent(City()));
    f.close();

    auto run = [&](const QStringList& args) {
        QProcess p;
        p.start(tool, args);
        EXPECT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitCode(), 0);
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    EXPECT_EQ(run({"--plain", path, "--street", "ПРОСПЕКТ МИРА", "--house", "3"}), "1\n4\n");
    EXPECT_EQ(run({"--plain", path, "--street", "ЛЕНИНА", "--house", ""}), "2\n");
    EXPECT_EQ(run({"--plain", path, "--street", "МИРА", "--house", "3", "--like"}), "1\n4\n");
    EXPECT_EQ(run({"--plain", path, "--street", "НЕТ", "--house", "3"}), "");
}

} // namespace
