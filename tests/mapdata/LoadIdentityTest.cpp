// A map loaded whole is the map read record by record: the same records, boxes, extent, column
// and indexes, for the sample town, for a generated town whose labels and house numbers repeat,
// and for the seed maps of every version.

#include "TestMaps.h"
#include "TestSupport.h"

#include "mapdata/MapContentReader.h"
#include "mapdata/MapEnvelope.h"
#include "mapdata/MapLoader.h"
#include "mapdata/MapWriter.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>

using namespace tsivor::mapdata;
using namespace tsivor::mapdata::testmaps;

namespace {

// A size that differs with every text, font and height, so that a label given the size of
// another shows in its box.
QSizeF Measure(const QString& text, uint8_t fontIndex, double height) {
    return QSizeF(double(qHash(text) % 97) + height * double(text.size()), height + fontIndex);
}

// The plain reading of version-14 content: each record alone, measured by the raw measurer,
// listed, and the extent taken from the records.
TMapDocument ReadRecordByRecord(const QByteArray& content) {
    TMapDocument doc;
    doc.MeasureText = Measure;
    TByteReader r(content);
    EXPECT_TRUE(ReadHeader(r, PeekVersion(r), doc.Header));
    EXPECT_TRUE(ReadNameTable(r, doc.Header.StreetCount, doc.Streets));
    EXPECT_TRUE(ReadNameTable(r, doc.Header.TownCount, doc.Towns));
    const int announced = doc.Header.ObjectCount; // each append sets the header's count
    for (int k = 0; k < announced; ++k) {
        TOrbMapObjectPtr o;
        if (ReadObjectV14(r, o) != TReadStatus::Ok) break;
        doc.CalcObjectBox(*o);
        doc.Append(std::move(o));
    }
    doc.RecalcExtent();
    return doc;
}

TMapDocument LoadWhole(const QByteArray& content) {
    TMapDocument doc;
    doc.MeasureText = Measure;
    TMapLoadHost host;
    LoadFromStream(content, doc, host);
    return doc;
}

bool SameBits(float a, float b) {
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

void ExpectSameBoxes(const TORBMapObjectMem& a, const TORBMapObjectMem& b) {
    for (size_t k = 0; k < 4; ++k)
        EXPECT_TRUE(SameBits(a.Box[k].X, b.Box[k].X) && SameBits(a.Box[k].Y, b.Box[k].Y))
            << "object " << a.ID << " corner " << k;
    ASSERT_EQ(bool(a.Children), bool(b.Children));
    if (!a.Children) return;
    ASSERT_EQ(a.Children->size(), b.Children->size());
    for (size_t i = 0; i < a.Children->size(); ++i)
        ExpectSameBoxes(*(*a.Children)[i], *(*b.Children)[i]);
}

void ExpectExtentOfRecords(TMapDocument& doc) {
    const TMapExtent loaded = doc.Extent;
    doc.RecalcExtent();
    EXPECT_TRUE(SameBits(loaded.MinX, doc.Extent.MinX) && SameBits(loaded.MinY, doc.Extent.MinY) &&
                SameBits(loaded.MaxX, doc.Extent.MaxX) && SameBits(loaded.MaxY, doc.Extent.MaxY));
}

void ExpectSameDocument(TMapDocument& loaded, TMapDocument& plain) {
    // The writer puts down every stored field of the header, the tables and each record.
    EXPECT_EQ(WriteMapContent(loaded), WriteMapContent(plain));
    ASSERT_EQ(loaded.ObjectCount(), plain.ObjectCount());
    for (int i = 0; i < loaded.ObjectCount(); ++i)
        ExpectSameBoxes(*loaded.Objects[size_t(i)], *plain.Objects[size_t(i)]);
    EXPECT_TRUE(SameBits(loaded.Extent.MinX, plain.Extent.MinX) &&
                SameBits(loaded.Extent.MinY, plain.Extent.MinY) &&
                SameBits(loaded.Extent.MaxX, plain.Extent.MaxX) &&
                SameBits(loaded.Extent.MaxY, plain.Extent.MaxY));
    EXPECT_TRUE(loaded.Column().Matches(loaded.Objects));
    EXPECT_TRUE(loaded.StreetIndex().MatchesRebuild(loaded.Objects));
    for (int i = 0; i < loaded.ObjectCount(); ++i)
        EXPECT_TRUE(loaded.Column()[i].SameAs(plain.Column()[i])) << "column entry " << i;
}

// Houses along a few streets with numbers that recur, labels that recur, corner houses with a
// second address, and groups holding labels.
TMapDocument RepeatingTown(int n) {
    std::vector<TOrbMapObjectPtr> v;
    for (int i = 0; i < n; ++i) {
        const float x = float(i % 40) * 12, y = float(i / 40) * 12;
        if (i % 10 == 9) {
            v.push_back(
                Text(i + 1, x, y, QStringLiteral("ул. Садовая %1").arg(i % 3), 4, i % 4 * 450));
        } else if (i % 25 == 0) {
            std::vector<TOrbMapObjectPtr> kids;
            kids.push_back(Polygon(100000 + i, {{x, y}, {x + 5, y}, {x + 5, y + 5}}));
            kids.push_back(Text(200000 + i, x, y + 6, QStringLiteral("Сквер"), 12));
            v.push_back(Group(i + 1, std::move(kids)));
        } else {
            auto o = Polygon(i + 1, {{x, y}, {x + 8, y}, {x + 8, y + 8}, {x, y + 8}});
            if (i % 7 == 0)
                SetAddress(*o, 1, 1, QString::number(i % 12), 2, QString::number(i % 5));
            else
                SetAddress(*o, 1, int16_t(1 + i % 2), QString::number(i % 30));
            v.push_back(std::move(o));
        }
    }
    return Document(std::move(v));
}

// Content handed to a reader as it asks, up to an end where it stops coming in.
class TContentSource : public TByteSource {
public:
    explicit TContentSource(const QByteArray& content, qsizetype stop = -1)
        : FContent(content), FStop(stop < 0 ? content.size() : stop) {}
    size_t Read(uint8_t* out, size_t n) override {
        n = std::min(n, size_t(FStop - FAt));
        std::memcpy(out, FContent.constData() + FAt, n);
        FAt += qsizetype(n);
        return n;
    }

private:
    const QByteArray& FContent;
    qsizetype FStop, FAt = 0;
};

TMapDocument LoadThroughWindow(const QByteArray& content, size_t window, qsizetype stop = -1,
                               TLoadReport* report = nullptr) {
    TContentSource source(content, stop);
    TByteReader r(source, size_t(content.size()), window);
    TMapDocument doc;
    doc.MeasureText = Measure;
    TMapLoadHost host;
    const TLoadReport got = LoadFromReader(r, doc, host);
    if (report) *report = got;
    return doc;
}

} // namespace

// Records cut by the window's edge anywhere, and records longer than the window, read as they
// do from the whole content.
TEST(LoadIdentity, ContentReadThroughAWindowLoadsAsWhole) {
    const QByteArray content = WriteMapContent(RepeatingTown(3000));
    TMapDocument plain = ReadRecordByRecord(content);
    for (size_t window : {size_t(1), size_t(7), size_t(56), size_t(57), size_t(4096)}) {
        SCOPED_TRACE(window);
        TMapDocument loaded = LoadThroughWindow(content, window);
        ExpectSameDocument(loaded, plain);
    }
    for (const auto& [name, seed] : SeedCorpus()) {
        SCOPED_TRACE(name.toStdString());
        TMapDocument whole = LoadWhole(seed);
        TMapDocument windowed = LoadThroughWindow(seed, 13);
        EXPECT_EQ(WriteMapContent(windowed), WriteMapContent(whole));
    }
}

// A file whose reading stops halfway loads as the content cut there: the whole records before
// it, reported as cut.
TEST(LoadIdentity, ContentThatStopsComingInIsACutContent) {
    const QByteArray content = WriteMapContent(RepeatingTown(3000));
    const qsizetype half = content.size() / 2;
    TLoadReport report;
    TMapDocument cut = LoadThroughWindow(content, 4096, half, &report);
    EXPECT_TRUE(report.Truncated);
    EXPECT_GT(cut.ObjectCount(), 1000);
    EXPECT_LT(cut.ObjectCount(), 3000);
    TMapDocument whole = LoadWhole(content.left(half));
    EXPECT_EQ(WriteMapContent(cut), WriteMapContent(whole));
}

TEST(LoadIdentity, RepeatingTownLoadsAsReadRecordByRecord) {
    const QByteArray content = WriteMapContent(RepeatingTown(3000));
    TMapDocument loaded = LoadWhole(content);
    TMapDocument plain = ReadRecordByRecord(content);
    EXPECT_EQ(loaded.ObjectCount(), 3000);
    ExpectSameDocument(loaded, plain);
}

TEST(LoadIdentity, SampleTownLoadsAsReadRecordByRecord) {
    QFile file(tsivor::test::DeployDir() + "/info1.db");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray content = Unscramble(file.readAll());
    TMapDocument loaded = LoadWhole(content);
    TMapDocument plain = ReadRecordByRecord(content);
    EXPECT_GT(loaded.ObjectCount(), 1000);
    ExpectSameDocument(loaded, plain);
}

TEST(LoadIdentity, MapLoadReadsTheFileAsItsContent) {
    // Larger than a few windows of the reading, so the key has to keep in step across them.
    QTemporaryDir dir;
    const QString path = dir.filePath("info1.db");
    const QByteArray content = WriteMapContent(RepeatingTown(40000));
    ASSERT_GT(content.size(), 3 << 20);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(Scramble(content)), kPreambleSize + content.size());
    file.close();
    TMapDocument fromFile;
    fromFile.MeasureText = Measure;
    TMapLoadHost host;
    ASSERT_TRUE(MapLoad(path, fromFile, host));
    TMapDocument plain = ReadRecordByRecord(content);
    ExpectSameDocument(fromFile, plain);
}

TEST(LoadIdentity, SeedMapsOfEveryVersionKeepTheirExtentColumnAndIndexes) {
    for (const auto& [name, content] : SeedCorpus()) {
        SCOPED_TRACE(name.toStdString());
        TMapDocument loaded = LoadWhole(content);
        EXPECT_TRUE(loaded.Column().Matches(loaded.Objects));
        EXPECT_TRUE(loaded.StreetIndex().MatchesRebuild(loaded.Objects));
        if (loaded.Header.Version == 14) {
            TMapDocument plain = ReadRecordByRecord(content);
            ExpectSameDocument(loaded, plain);
        }
        ExpectExtentOfRecords(loaded);
    }
}
