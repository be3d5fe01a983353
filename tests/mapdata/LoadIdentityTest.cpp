// A map loaded whole is the map read record by record: the same records, boxes, extent, column
// and indexes, for the sample town, for a generated town whose labels and house numbers repeat,
// and for the seed maps of every version.

#include "TestMaps.h"
#include "TestSupport.h"

#include "mapdata/MapContentReader.h"
#include "mapdata/MapEnvelope.h"
#include "mapdata/MapWriter.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <bit>

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

} // namespace

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
    // Larger than one piece of the reading, so the key has to keep in step across pieces.
    QTemporaryDir dir;
    const QString path = dir.filePath("info1.db");
    const QByteArray content = WriteMapContent(RepeatingTown(12000));
    ASSERT_GT(content.size(), 3 * 256 * 1024);
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
