// The scrambled envelope and MapLoad from a file.

#include "TestMaps.h"

#include "mapdata/MapEnvelope.h"
#include "mapdata/MapWriter.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tsivor::mapdata;
using namespace tsivor::mapdata::testmaps;

TEST(Envelope, LastPartialBlockUsesTheFirstKeyBytes) {
    QByteArray content(23, '\0');
    for (int i = 0; i < 23; ++i) content[i] = char(i * 7);
    const QByteArray file = Scramble(content);
    ASSERT_EQ(file.size(), kPreambleSize + 23);
    for (int i = 0; i < 23; ++i)
        EXPECT_EQ(uint8_t(file[kPreambleSize + i]),
                  uint8_t(content[i] ^ kScrambleKey[size_t(i % 10)]))
            << i;
    EXPECT_EQ(uint8_t(file[kPreambleSize + 22]), uint8_t(content[22] ^ kScrambleKey[2]));
}

TEST(Envelope, UnscrambleInvertsScrambleAtEveryLength) {
    for (int n = 0; n < 130; ++n) {
        QByteArray content(n, '\0');
        for (int i = 0; i < n; ++i) content[i] = char(i * 31 + n);
        EXPECT_EQ(Unscramble(Scramble(content)), content) << n;
        EXPECT_EQ(XorWithKey(XorWithKey(content)), content);
    }
}

// Written piece by piece, the file is the scrambled content all the same, for a content of
// many pieces and for one of a few bytes.
TEST(Envelope, MapFileWrittenInPiecesIsTheScrambledContent) {
    QTemporaryDir dir;
    for (const int n : {1, 7, 3001}) {
        const TMapDocument doc = ManySquares(n);
        const QString path = dir.filePath(QStringLiteral("info%1.db").arg(n));
        ASSERT_TRUE(WriteMapFile(path, doc));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), Scramble(WriteMapContent(doc))) << n;
    }
    EXPECT_FALSE(WriteMapFile(dir.filePath("missing/info1.db"), ManySquares(2)));
}

TEST(Envelope, ScramblingFromAnOffsetContinuesTheKey) {
    QByteArray content(97, '\0');
    for (int i = 0; i < content.size(); ++i) content[i] = char(i * 13);
    const QByteArray whole = XorWithKey(content);
    for (const int cut : {1, 9, 10, 41, 80}) {
        QByteArray a = content.left(cut), b = content.mid(cut);
        XorInPlace(reinterpret_cast<uint8_t*>(a.data()), a.size(), 0);
        XorInPlace(reinterpret_cast<uint8_t*>(b.data()), b.size(), cut);
        EXPECT_EQ(a + b, whole) << cut;
    }
}

TEST(Envelope, FileNoLongerThanThePreambleHasNoContent) {
    EXPECT_TRUE(Unscramble(QByteArray()).isEmpty());
    EXPECT_TRUE(Unscramble(QByteArray(kPreambleSize, 'x')).isEmpty());
}

TEST(MapLoadFile, LoadsAScrambledFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("info1.db");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(Scramble(WriteMapContent(ManySquares(7))));
    f.close();
    TMapDocument doc;
    RecordingHost host;
    QString error;
    TLoadReport report;
    ASSERT_TRUE(MapLoad(path, doc, host, &error, &report));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(doc.ObjectCount(), 7);
    EXPECT_EQ(report.ObjectsRead, 7);
    EXPECT_EQ(doc.Header.Mashtab, 500);
}

TEST(MapLoadFile, MissingFileIsReportedAndLeavesTheMapAlone) {
    QTemporaryDir dir;
    TMapDocument doc = ManySquares(3);
    RecordingHost host;
    QString error;
    for (const QString& path : {dir.filePath("нет.db"), dir.path()}) {
        EXPECT_FALSE(MapLoad(path, doc, host, &error)) << qPrintable(path);
        EXPECT_TRUE(error.contains(QStringLiteral("Не удалось"))) << qPrintable(error);
        EXPECT_TRUE(error.contains(path));
    }
    EXPECT_EQ(doc.ObjectCount(), 3);
    EXPECT_TRUE(host.calls.isEmpty());
}
