// Map files of the versions 1 to 13, written field by field in their own layouts, load into the
// current document as each version converts.

#include "LegacyWriter.h"
#include "TestMaps.h"

#include "mapdata/Cp1251.h"
#include "mapdata/MapContentReader.h"

#include <gtest/gtest.h>

using namespace tsivor::mapdata;
using namespace tsivor::mapdata::testmaps;

namespace {

constexpr std::array<TORBMapPoint, 4> kStoredBox{{{-1, -2}, {11, -2}, {11, 12}, {-1, 12}}};

TOrbMapObjectPtr FullPolygon() {
    auto o = Polygon(1, {{0, 0}, {10, 0}, {10, 10}});
    o->Reserved1 = -7;
    o->Reserved2 = 9;
    o->Box = kStoredBox;
    o->CenterX = 3;
    o->CenterY = 4;
    o->Layer = 5;
    o->Category = 77;
    o->Locked = 1;
    o->Alpha = 128;
    o->Pen = {0x00112233, 2, 2.0f, 1};
    o->Brush = {0x00445566, 4};
    o->Height = 7.5f;
    SetAddress(*o, 1, 2, "12345678", 1, "9876543");
    o->HasExtra = 1;
    o->Extra = std::make_unique<TORBMapExtra>();
    for (int i = 0; i < kExtraSize; ++i) (*o->Extra)[size_t(i)] = uint8_t(200 - i);
    return o;
}

TMapDocument Sample() {
    std::vector<TOrbMapObjectPtr> v;
    v.push_back(FullPolygon());
    auto text = Text(2, 20, 30, QStringLiteral("  Улица Садовая "), 12, 45);
    TORBMapText t;
    text->GetText(t);
    t.FontIndex = 1;
    text->SetText(t);
    text->Box = {{{20, 30}, {40, 30}, {40, 42}, {20, 42}}};
    v.push_back(std::move(text));
    v.push_back(Note(3, 70, 80, "PARK", "17", QStringLiteral("Аптека №1")));
    v.push_back(PointObject(cEllipse, 4, {{50, 50}, {60, 70}}));
    auto line = PointObject(cLine, 5, {{1, 1}, {5, 7}});
    line->Pen.Width = 2.5f;
    v.push_back(std::move(line));
    TMapDocument doc = Document(std::move(v));
    // The old versions that store a box hold the true one for everything but the first two.
    for (int i = 2; i < doc.ObjectCount(); ++i) doc.CalcObjectBox(*doc.Object(i));
    doc.Header.Reserved3 = 31;
    doc.Header.Reserved4 = 4;
    doc.Header.Reserved5 = 5;
    return doc;
}

TLoadReport Load(const QByteArray& content, TMapDocument& doc) {
    TMapLoadHost host;
    return LoadFromStream(content, doc, host);
}

bool IntPenWidth(int v) {
    return v != 7 && v != 13;
}

class LegacyVersion : public testing::TestWithParam<int> {};

} // namespace

TEST_P(LegacyVersion, HeaderIsConverted) {
    const int v = GetParam();
    const TMapDocument src = Sample();
    TMapDocument doc;
    const TLoadReport rep = Load(WriteLegacyContent(src, v), doc);
    EXPECT_FALSE(rep.Damaged());
    EXPECT_EQ(rep.Version, v);
    const TORBMapHeader& h = doc.Header;
    EXPECT_EQ(h.Version, v);
    EXPECT_EQ(h.Caption, "Tsivor");
    EXPECT_EQ(h.NameMap, QStringLiteral("Заречинск"));
    EXPECT_EQ(h.CreatedBy, QStringLiteral("тест"));
    EXPECT_EQ(h.Reserved3, 31);
    EXPECT_EQ(h.Reserved4, v >= 10 ? 4 : 0);
    EXPECT_EQ(h.Reserved5, v >= 10 ? 5 : 0);
    EXPECT_EQ(h.Mashtab, 500);
    EXPECT_EQ(h.Date, 45000.5);
    EXPECT_EQ(h.NextId, src.Header.NextId);
    EXPECT_EQ(h.Scale, v >= 10 ? 150 : 100);
    EXPECT_EQ(h.XWind, 10);
    EXPECT_EQ(h.YWind, 20);
    EXPECT_EQ(h.NextStreetCode, 3);
    EXPECT_EQ(doc.Streets.Count(), 2);
    EXPECT_EQ(doc.Streets.NameOf(2), QStringLiteral("САДОВАЯ"));
    EXPECT_EQ(h.NextTownCode, v >= 9 ? 2 : 0);
    EXPECT_EQ(doc.Towns.Count(), v >= 9 ? 1 : 0);
    EXPECT_EQ(h.ObjectCount, 5);
}

TEST_P(LegacyVersion, RecordFieldsAndAddressAreConverted) {
    const int v = GetParam();
    TMapDocument doc;
    Load(WriteLegacyContent(Sample(), v), doc);
    ASSERT_EQ(doc.ObjectCount(), 5);
    const TORBMapObjectMem& o = *doc.Object(0);
    EXPECT_EQ(o.ID, 1);
    EXPECT_EQ(o.Reserved1, v <= 3 ? -1 : -7);
    EXPECT_EQ(o.Reserved2, v <= 3 ? 0 : 9);
    EXPECT_EQ(o.Layer, 5);
    EXPECT_EQ(o.Category, 77);
    EXPECT_EQ(o.Locked, 1);
    EXPECT_EQ(o.ObjectType, cPolygon);
    ASSERT_EQ(o.Count, 3);
    EXPECT_EQ(o.Points[2], (TORBMapPoint{10, 10}));
    EXPECT_EQ(o.Alpha, v >= 12 ? 128 : 255);
    EXPECT_EQ(o.Pen, (TORBMapPen{0x00112233, 2, 2.0f, 1}));
    EXPECT_EQ(o.Brush, (TORBMapBrush{0x00445566, 4}));
    EXPECT_EQ(o.Height, v >= 11 ? 7.5f : 0.0f);
    // The stored box is taken where the version keeps it up to date, else computed.
    const std::array<TORBMapPoint, 4> computed{{{-1, -1}, {11, -1}, {11, 11}, {-1, 11}}};
    EXPECT_EQ(o.Box, v <= 3 || v == 7 ? kStoredBox : computed);
    // Versions 1 to 3 store no centre: the middle of the stored box.
    EXPECT_EQ(o.CenterX, v <= 3 ? 5.0f : 3.0f);
    EXPECT_EQ(o.CenterY, v <= 3 ? 5.0f : 4.0f);

    ASSERT_EQ(o.HasAddress, 1);
    ASSERT_TRUE(o.Address);
    EXPECT_EQ(o.Address->TownCode, v >= 9 ? 1 : -1);
    EXPECT_EQ(o.Address->StreetCode, 2);
    EXPECT_EQ(o.Address->House, v <= 3 ? QByteArray("1234") : QByteArray("123456"));
    EXPECT_EQ(o.Address->Street1Code, v >= 7 ? 1 : -1);
    EXPECT_EQ(o.Address->House1, v >= 7 ? QByteArray("987654") : QByteArray());
    ASSERT_EQ(o.HasExtra, 1);
    ASSERT_TRUE(o.Extra);
    EXPECT_EQ((*o.Extra)[50], 150);

    const TORBMapObjectMem& line = *doc.Object(4);
    EXPECT_EQ(line.Pen.Width, IntPenWidth(v) ? 2.0f : 2.5f);
}

TEST_P(LegacyVersion, TextsAreConverted) {
    const int v = GetParam();
    TMapDocument doc;
    Load(WriteLegacyContent(Sample(), v), doc);
    ASSERT_EQ(doc.ObjectCount(), 5);
    const TORBMapObjectMem& o = *doc.Object(1);
    TORBMapText t;
    ASSERT_TRUE(o.GetText(t));
    EXPECT_EQ(t.X, 20);
    EXPECT_EQ(t.Y, 30);
    // Up to version 5 the angle was in degrees.
    EXPECT_EQ(t.Angle, v <= 5 ? 450 : 45);
    EXPECT_EQ(t.FontIndex, 1);
    EXPECT_EQ(t.Size, 12.0f);
    // The old fixed-size text was trimmed on reading; the later block is kept as stored.
    EXPECT_EQ(t.Text,
              v <= 7 ? QStringLiteral("Улица Садовая") : QStringLiteral("  Улица Садовая "));
    EXPECT_EQ(o.Count, int(tsivor::cp1251::FromUnicode(t.Text).size()) + 22);
    if (v <= 3) {
        EXPECT_EQ(o.CenterX, 20);
        EXPECT_EQ(o.CenterY, 30);
    }
}

TEST_P(LegacyVersion, NotesAreConverted) {
    const int v = GetParam();
    TMapDocument doc;
    Load(WriteLegacyContent(Sample(), v), doc);
    ASSERT_EQ(doc.ObjectCount(), 5);
    const TORBMapObjectMem& o = *doc.Object(2);
    TORBMapZametka z;
    ASSERT_TRUE(o.GetZametka(z));
    EXPECT_EQ(z.X, 70);
    EXPECT_EQ(z.Y, 80);
    // Versions 1 to 4 knew only the built-in pictures, by number.
    EXPECT_EQ(z.NameLib, v <= 4 ? QStringLiteral("DEFAULT") : QStringLiteral("PARK"));
    EXPECT_EQ(z.NamePic, "17");
    EXPECT_EQ(z.Text, QStringLiteral("Аптека №1"));
    EXPECT_EQ(o.Box[0], (TORBMapPoint{70, 80}));
}

TEST_P(LegacyVersion, TwoPointEllipseBecomesFourPointsUpToVersionEleven) {
    const int v = GetParam();
    TMapDocument doc;
    Load(WriteLegacyContent(Sample(), v), doc);
    ASSERT_EQ(doc.ObjectCount(), 5);
    const TORBMapObjectMem& e = *doc.Object(3);
    if (v <= 11) {
        ASSERT_EQ(e.Count, 4);
        EXPECT_EQ(e.Points[0], (TORBMapPoint{50, 50}));
        EXPECT_EQ(e.Points[1], (TORBMapPoint{60, 50}));
        EXPECT_EQ(e.Points[2], (TORBMapPoint{60, 70}));
        EXPECT_EQ(e.Points[3], (TORBMapPoint{50, 70}));
    } else {
        ASSERT_EQ(e.Count, 2);
        EXPECT_EQ(e.Points[1], (TORBMapPoint{60, 70}));
    }
}

TEST_P(LegacyVersion, GroupsFromVersionFourOn) {
    const int v = GetParam();
    std::vector<TOrbMapObjectPtr> inner;
    inner.push_back(Polygon(12, {{0, 0}, {1, 1}}));
    inner.push_back(Polygon(13, {{2, 2}, {30, 3}}));
    std::vector<TOrbMapObjectPtr> outer;
    outer.push_back(Polygon(11, {{5, 5}}));
    outer.push_back(Group(14, std::move(inner)));
    outer.push_back(Text(15, 1, 1, "ab"));
    std::vector<TOrbMapObjectPtr> top;
    top.push_back(Polygon(1, {{0, 0}}));
    top.push_back(Group(10, std::move(outer)));
    top.push_back(Polygon(2, {{7, 7}}));
    TMapDocument doc;
    const TLoadReport rep = Load(WriteLegacyContent(Document(std::move(top)), v), doc);
    if (v <= 3) {
        // No groups existed yet: nothing after one can be framed.
        EXPECT_EQ(doc.ObjectCount(), 1);
        EXPECT_TRUE(rep.Damaged());
        return;
    }
    EXPECT_FALSE(rep.Damaged());
    ASSERT_EQ(doc.ObjectCount(), 3);
    const TORBMapObjectMem& g = *doc.Object(1);
    ASSERT_EQ(g.ObjectType, cGroup);
    ASSERT_EQ(g.Count, 3);
    const TORBMapObjectMem& g2 = *(*g.Children)[1];
    ASSERT_EQ(g2.Count, 2);
    EXPECT_EQ((*g2.Children)[1]->ID, 13);
    EXPECT_EQ(doc.Object(2)->ID, 2);
    // Computed over the children, each group widened by its own pen: 30 + 1 + 1 + 1.
    if (v != 7) {
        EXPECT_EQ(g.Box[2].X, 33);
    }
}

TEST_P(LegacyVersion, PicturesFromVersionTwelveOn) {
    const int v = GetParam();
    std::vector<TOrbMapObjectPtr> objects;
    objects.push_back(
        Bitmap(1, QByteArray("BM\x10\x00xyz", 7), {{{30, 30}, {40, 30}, {40, 40}, {30, 40}}}));
    objects.back()->Bitmap->TransparentColor = 0x00123456;
    objects.push_back(Polygon(2, {{7, 7}}));
    TMapDocument doc;
    const TLoadReport rep = Load(WriteLegacyContent(Document(std::move(objects)), v), doc);
    if (v <= 11) {
        // An old picture record holds no image: dropped, and the next object still reads.
        EXPECT_EQ(rep.ObjectsDropped, 1);
        ASSERT_EQ(doc.ObjectCount(), 1);
        EXPECT_EQ(doc.Object(0)->ID, 2);
        return;
    }
    ASSERT_EQ(doc.ObjectCount(), 2);
    const TORBMapObjectMem& b = *doc.Object(0);
    ASSERT_TRUE(b.Bitmap);
    EXPECT_EQ(b.Bitmap->Image, QByteArray("BM\x10\x00xyz", 7));
    EXPECT_EQ(b.Bitmap->Corners[2], (TORBMapPoint{40, 40}));
    // Version 12 had no transparency: drawn plain.
    EXPECT_EQ(b.Bitmap->Transparent, v == 12 ? 0 : 1);
    EXPECT_EQ(b.Bitmap->TransparentColor, v == 12 ? 0x00FFFFFFu : 0x00123456u);
    EXPECT_EQ(b.Box[0], (TORBMapPoint{30, 30}));
    EXPECT_EQ(doc.Object(1)->ID, 2);
}

// A file cut at any byte loads a prefix of its objects, whole, and never more.
TEST_P(LegacyVersion, CutAtAnyByteLoadsWholeObjectsOnly) {
    const int v = GetParam();
    TMapDocument src = Sample();
    std::vector<TOrbMapObjectPtr> kids;
    kids.push_back(Polygon(21, {{80, 80}, {90, 90}}));
    kids.push_back(Text(22, 3, 3, "x"));
    src.Append(Group(20, std::move(kids)));
    const QByteArray full = WriteLegacyContent(src, v);
    TMapDocument whole;
    Load(full, whole);
    const int all = v <= 3 ? 5 : 6; // the group ends a version-3 file
    ASSERT_EQ(whole.ObjectCount(), all);
    int previous = 0;
    for (qsizetype n = 0; n < full.size(); ++n) {
        TMapDocument doc;
        const TLoadReport rep = Load(full.left(n), doc);
        ASSERT_GE(doc.ObjectCount(), previous) << "cut at " << n;
        ASSERT_LE(doc.ObjectCount(), all) << "cut at " << n;
        for (int i = 0; i < doc.ObjectCount(); ++i)
            ASSERT_EQ(doc.Object(i)->ID, whole.Object(i)->ID) << "cut at " << n;
        // Only versions 1 to 3 may end cleanly between records: they read until the end.
        if (v >= 4) {
            ASSERT_TRUE(rep.Damaged()) << "cut at " << n;
        }
        previous = doc.ObjectCount();
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, LegacyVersion, testing::Range(1, 14),
                         [](const testing::TestParamInfo<int>& i) {
                             return "v" + std::to_string(i.param);
                         });

TEST(LegacyVersions, OldestVersionsReadUntilTheContentEnds) {
    QByteArray content = WriteLegacyContent(ManySquares(4), 2);
    // The header announces one object; the four stored are read all the same.
    const int32_t one = 1;
    std::memcpy(content.data() + 574, &one, 4);
    TMapDocument doc;
    const TLoadReport rep = Load(content, doc);
    EXPECT_EQ(doc.ObjectCount(), 4);
    EXPECT_EQ(doc.Header.ObjectCount, 4);
    EXPECT_FALSE(rep.Damaged());
}

TEST(LegacyVersions, DamagedFileReportsObjectsReadAgainstAnnounced) {
    const QByteArray full = WriteLegacyContent(ManySquares(10), 9);
    TMapDocument doc;
    const TLoadReport rep = Load(full.left(full.size() - 30), doc);
    EXPECT_TRUE(rep.Truncated);
    EXPECT_EQ(rep.ObjectsRead, 9);
    EXPECT_EQ(rep.ObjectsAnnounced, 10);
    EXPECT_EQ(LoadReportMessage(rep),
              QStringLiteral("Файл карты повреждён: прочитано объектов 9 из 10."));
}

TEST(LegacyVersions, UnknownVersionIsNamedInTheMessage) {
    QByteArray content = WriteLegacyContent(ManySquares(2), 13);
    const int32_t bad = 15;
    std::memcpy(content.data() + 41, &bad, 4);
    TMapDocument doc;
    const TLoadReport rep = Load(content, doc);
    EXPECT_TRUE(rep.UnknownVersion);
    EXPECT_EQ(doc.ObjectCount(), 0);
    EXPECT_EQ(LoadReportMessage(rep),
              QStringLiteral("Неизвестная версия файла карты: 15. Карта не загружена."));
}

TEST(LegacyVersions, SoundFileHasNoMessage) {
    TMapDocument doc;
    EXPECT_EQ(LoadReportMessage(Load(WriteLegacyContent(ManySquares(3), 5), doc)), QString());
    EXPECT_EQ(doc.ObjectCount(), 3);
}

TEST(LegacyVersions, TextSizeStoredAsIntBeforeVersionThirteen) {
    std::vector<TOrbMapObjectPtr> objects;
    objects.push_back(Text(1, 0, 0, "abc", 12.75f));
    const TMapDocument src = Document(std::move(objects));
    for (int v : {8, 12, 13}) {
        TMapDocument doc;
        Load(WriteLegacyContent(src, v), doc);
        ASSERT_EQ(doc.ObjectCount(), 1);
        TORBMapText t;
        ASSERT_TRUE(doc.Object(0)->GetText(t));
        EXPECT_EQ(t.Size, v == 13 ? 12.75f : 12.0f) << v;
    }
}
