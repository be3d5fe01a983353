// The diagnostic pass: objects that cannot be drawn are logged and deleted.

#include "TestMaps.h"

#include "mapdata/MapErrorLog.h"
#include "mapdata/MapWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tsivor::mapdata;
using namespace tsivor::mapdata::testmaps;

namespace {

TMapDocument LogMap() {
    std::vector<TOrbMapObjectPtr> v;
    v.push_back(Polygon(1, {{0, 0}, {1, 1}}));
    auto bad = PointObject(cLine, 2, {{1.5f, -2.25f}, {3, 4}});
    SetAddress(*bad, 1, 1, QStringLiteral("7А"), 2, "1");
    v.push_back(std::move(bad));
    v.push_back(Text(3, 0, 0, "x"));
    v.push_back(Polygon(4, {{100, 100}, {200, 200}}));
    return Document(std::move(v));
}

} // namespace

TEST(ErrorLog, FailedObjectsAreLoggedAndDeletedInPlace) {
    QTemporaryDir dir;
    const QString path = dir.filePath("errors.log");
    TMapDocument doc;
    RecordingHost host;
    host.failingIds = {2, 3}; // neighbours: the second is found at the same index
    const TLoadReport rep = LoadFromStream(WriteMapContent(LogMap()), doc, host, true, 0, path);
    EXPECT_EQ(rep.DiagnosticRemoved, 2);
    EXPECT_TRUE(rep.LogError.isEmpty());
    ASSERT_EQ(doc.ObjectCount(), 2);
    EXPECT_EQ(doc.Object(1)->ID, 4);
    EXPECT_EQ(doc.Header.ObjectCount, 2);
    EXPECT_EQ(doc.Extent.MaxX, 201); // the extent is computed after the pass

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n');
    ASSERT_GE(lines.size(), 26);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("ДАТА КОРРЕКЦИИ:")));
    const QStringList first = lines.mid(1, 14);
    const QStringList expected = {
        "========================",
        QStringLiteral("порядковый # объекта:1"),
        QStringLiteral("ID объекта:2"),
        QStringLiteral("Размер информации о форме объекта:2"),
        QStringLiteral("Наличие адреса:TRUE"),
        QStringLiteral("Town=\"ЗАРЕЧИНСК\" Street=\"ЛЕНИНА\" House=\"7А\""),
        QStringLiteral("Street1=\"САДОВАЯ\" House1=\"1\""),
        QStringLiteral("Тип объекта:cLine"),
        QStringLiteral("-> Координаты объекта <-"),
        "X=1.500000000000 Y=-2.250000000000",
        "X=3.000000000000 Y=4.000000000000",
        "------------------------------",
        "",
        ""};
    EXPECT_EQ(first, expected);
    // The text that slid into index 1 is logged at index 1 too, without address or points.
    EXPECT_EQ(lines[17], QStringLiteral("порядковый # объекта:1"));
    EXPECT_EQ(lines[20], QStringLiteral("Наличие адреса:FALSE"));
    EXPECT_EQ(lines[21], QStringLiteral("Тип объекта:cText"));
    EXPECT_EQ(lines[22], "------------------------------");
}

TEST(ErrorLog, UnwritableLogIsReportedAndTheMapStillCleaned) {
    QTemporaryDir dir;
    TMapDocument doc;
    RecordingHost host;
    host.failingIds = {1};
    const QString path = dir.filePath("missing/folder/errors.log");
    const TLoadReport rep = LoadFromStream(WriteMapContent(LogMap()), doc, host, true, 0, path);
    EXPECT_EQ(doc.ObjectCount(), 3);
    EXPECT_TRUE(rep.LogError.contains(path)) << qPrintable(rep.LogError);
}

TEST(ErrorLog, NothingFailingGivesAnEmptyLog) {
    QTemporaryDir dir;
    const QString path = dir.filePath("errors.log");
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old entries");
    old.close();
    TMapDocument doc;
    RecordingHost host;
    LoadFromStream(WriteMapContent(LogMap()), doc, host, true, 0, path);
    EXPECT_EQ(QFileInfo(path).size(), 0); // overwritten
    EXPECT_EQ(doc.ObjectCount(), 4);
}
