// Loading plain version-14 content: the format, the order of the load's steps and damaged input.

#include "TestMaps.h"

#include "mapdata/Cp1251.h"
#include "mapdata/MapContentReader.h"
#include "mapdata/MapWriter.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace tsivor::mapdata;
using namespace tsivor::mapdata::testmaps;

namespace {

template <typename T> void Put(QByteArray& out, T v) {
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

// A 56-byte fixed part with the given type and count, no address, no extra.
QByteArray FixedPart(int id, uint8_t type, int32_t count, uint8_t hasAddress = 0) {
    TORBMapObjectMem o;
    o.ID = id;
    o.ObjectType = type;
    o.HasAddress = hasAddress;
    QByteArray out;
    WriteObjectRecord(out, o); // a point type with no points writes only the fixed part
    out.truncate(kRecordFixedSize);
    std::memcpy(out.data() + 27, &count, 4);
    if (hasAddress) out.append(QByteArray(kAddressSize, '\0'));
    return out;
}

QByteArray Square(int id) {
    QByteArray r;
    WriteObjectRecord(r, *Polygon(id, {{0, 0}, {4, 0}, {4, 4}, {0, 4}}));
    return r;
}

TLoadReport Load(const QByteArray& content, TMapDocument& doc, int maxObjects = 0) {
    RecordingHost host;
    return LoadFromStream(content, doc, host, false, maxObjects);
}

} // namespace

TEST(MapLoaderSteps, FiresHostStepsInOrderAndRestoresLock) {
    TMapDocument doc;
    RecordingHost host;
    host.locked = true;
    LoadFromStream(WriteMapContent(ManySquares(250)), doc, host);
    const QStringList expected = {
        "ClearUndo",       "SetLocked(0)", "BeforeLoad", "ClearView",       "SwitchIndexOff",
        "Progress",        "Progress",     "Progress",   "RestoreIndex(1)", "ClearSelection",
        "ApplyLoadedView", "MarkDirty",    "AfterLoad",  "SyncLinkedMaps",  "CopyMashtabToPrinter",
        "SetLocked(1)"};
    EXPECT_EQ(host.calls, expected);
    // Every 100 objects, then once at the end.
    EXPECT_EQ(host.progress, (std::vector<int>{40, 80, 100}));
    EXPECT_EQ(host.mashtab, 500);
    EXPECT_EQ(doc.ObjectCount(), 250);
}

TEST(MapLoaderSteps, UnknownVersionGivesEmptyMapWithAllThreeEvents) {
    QByteArray content = WriteMapContent(ManySquares(3));
    const int32_t bad = 77;
    std::memcpy(content.data() + 41, &bad, 4);
    TMapDocument doc = ManySquares(5);
    RecordingHost host;
    const TLoadReport rep = LoadFromStream(content, doc, host);
    EXPECT_TRUE(rep.UnknownVersion);
    EXPECT_EQ(doc.ObjectCount(), 0);
    EXPECT_EQ(doc.Streets.Count(), 0);
    EXPECT_EQ(doc.Header.Version, 0);
    EXPECT_EQ(doc.Header.Scale, 100);
    EXPECT_TRUE(host.calls.contains("BeforeLoad"));
    EXPECT_TRUE(host.calls.contains("AfterLoad"));
    EXPECT_EQ(host.progress, std::vector<int>{100});
    EXPECT_EQ(doc.Extent, TMapExtent{});
}

TEST(MapLoaderSteps, EmptyAndTinyContentAreEmptyMaps) {
    for (const QByteArray& content : {QByteArray(), QByteArray(44, 'x'), QByteArray(100, '\0')}) {
        TMapDocument doc;
        RecordingHost host;
        LoadFromStream(content, doc, host);
        EXPECT_EQ(doc.ObjectCount(), 0);
        EXPECT_EQ(host.progress, std::vector<int>{100});
    }
}

TEST(MapLoaderSteps, OldHeaderOfVersionNineIsConverted) {
    QByteArray h(kOldHeader9Size, '\0');
    auto put32 = [&](int off, int32_t v) { std::memcpy(h.data() + off, &v, 4); };
    put32(41, 9);
    put32(562, 250);
    put32(582, 12345); // not taken over
    const float x = 5.5f;
    std::memcpy(h.data() + 586, &x, 4);
    put32(594, 0);
    put32(606, 8);
    TMapDocument doc;
    Load(h, doc);
    EXPECT_EQ(doc.Header.Version, 9);
    EXPECT_EQ(doc.Header.Mashtab, 250);
    EXPECT_EQ(doc.Header.Scale, 100);
    EXPECT_EQ(doc.Header.XWind, 5.5f);
    EXPECT_EQ(doc.Header.NextTownCode, 8);
}

TEST(MapFormat, ZeroObjectsEndsAfterHeaderEvenWithStreetCount) {
    QByteArray content = HeaderBytes(14, 0, 2, 1);
    content += NameEntry(1, "LENINA");
    TMapDocument doc;
    RecordingHost host;
    LoadFromStream(content, doc, host);
    EXPECT_EQ(doc.Streets.Count(), 0);
    EXPECT_EQ(doc.Header.StreetCount, 2);
    EXPECT_EQ(host.progress, std::vector<int>{100});
}

TEST(MapFormat, GroupChildrenFollowDepthFirst) {
    std::vector<TOrbMapObjectPtr> inner;
    inner.push_back(Polygon(3, {{0, 0}, {1, 1}}));
    inner.push_back(Polygon(4, {{2, 2}, {3, 3}}));
    std::vector<TOrbMapObjectPtr> outer;
    outer.push_back(Polygon(2, {{5, 5}, {6, 6}}));
    outer.push_back(Group(5, std::move(inner)));
    outer.push_back(Polygon(6, {{7, 7}, {8, 8}}));
    std::vector<TOrbMapObjectPtr> top;
    top.push_back(Group(1, std::move(outer)));
    const QByteArray content = WriteMapContent(Document(std::move(top)));

    // Header, 2 streets, 1 town, then the group and its five descendants in depth-first order.
    int pos = kHeaderSize + 3 * kNameEntrySize;
    const int rec = kRecordFixedSize + 2 * 8;
    std::vector<int> ids;
    for (int k = 0; k < 6; ++k) {
        int32_t id;
        std::memcpy(&id, content.constData() + pos, 4);
        ids.push_back(id);
        pos += content[pos + 26] == char(cGroup) ? kRecordFixedSize : rec;
    }
    EXPECT_EQ(ids, (std::vector<int>{1, 2, 5, 3, 4, 6}));
    EXPECT_EQ(pos, content.size());

    TMapDocument doc;
    Load(content, doc);
    ASSERT_EQ(doc.ObjectCount(), 1);
    const auto& g = *doc.Object(0);
    ASSERT_EQ(g.Children->size(), 3u);
    EXPECT_EQ((*g.Children)[1]->Children->size(), 2u);
    EXPECT_EQ((*(*g.Children)[1]->Children)[1]->ID, 4);
}

TEST(MapFormat, FiveCharacterTextHasCount27) {
    const QByteArray content = WriteMapContent(Document([] {
        std::vector<TOrbMapObjectPtr> v;
        v.push_back(Text(1, 0, 0, QStringLiteral("Абвгд")));
        return v;
    }()));
    EXPECT_EQ(content.size(), kHeaderSize + 3 * kNameEntrySize + kRecordFixedSize + 27);
    TMapDocument doc;
    Load(content, doc);
    ASSERT_EQ(doc.ObjectCount(), 1);
    EXPECT_EQ(doc.Object(0)->Count, 27);
    TORBMapText t;
    ASSERT_TRUE(doc.Object(0)->GetText(t));
    EXPECT_EQ(t.Text, QStringLiteral("Абвгд"));
}

TEST(MapFormat, MaxObjectsLimitsTheRead) {
    const QByteArray content = WriteMapContent(ManySquares(1000));
    TMapDocument doc;
    RecordingHost host;
    LoadFromStream(content, doc, host, false, 10);
    EXPECT_EQ(doc.ObjectCount(), 10);
    EXPECT_EQ(doc.Header.ObjectCount, 10);
    EXPECT_EQ(host.progress, std::vector<int>{100});
}

TEST(MapFormat, DuplicateStreetNamesKeepTheFirst) {
    QByteArray content = HeaderBytes(14, 1, 3, 0);
    content += NameEntry(5, "LENINA");
    content += NameEntry(9, "lenina");
    content += NameEntry(7, "MIRA");
    content += Square(1);
    TMapDocument doc;
    Load(content, doc);
    ASSERT_EQ(doc.Streets.Count(), 2);
    EXPECT_EQ(doc.Streets.CodeOf("LENINA"), 5);
    EXPECT_EQ(doc.Streets.NameOf(9), QString());
    EXPECT_EQ(doc.ObjectCount(), 1);
}

TEST(MapFormat, BitmapWithEmptyImageLoads) {
    std::vector<TOrbMapObjectPtr> v;
    v.push_back(Bitmap(1, {}, {{{0, 0}, {5, 0}, {5, 5}, {0, 5}}}));
    TMapDocument doc;
    Load(WriteMapContent(Document(std::move(v))), doc);
    ASSERT_EQ(doc.ObjectCount(), 1);
    ASSERT_TRUE(doc.Object(0)->Bitmap);
    EXPECT_TRUE(doc.Object(0)->Bitmap->Image.isEmpty());
    EXPECT_EQ(doc.Object(0)->Box[2], (TORBMapPoint{5, 5}));
}

TEST(MapFormat, WriterRoundTripIsByteExact) {
    const TMapDocument original = EveryType();
    const QByteArray first = WriteMapContent(original);
    TMapDocument doc;
    const TLoadReport rep = Load(first, doc);
    EXPECT_EQ(rep.ObjectsDropped, 0);
    EXPECT_FALSE(rep.Truncated);
    EXPECT_EQ(doc.ObjectCount(), original.ObjectCount());
    EXPECT_EQ(WriteMapContent(doc), first);

    EXPECT_EQ(doc.Header.NameMap, QStringLiteral("Заречинск"));
    EXPECT_EQ(doc.Header.Date, 45000.5);
    const TORBMapObjectMem& p = *doc.Object(0);
    EXPECT_EQ(p.Reserved1, -7);
    EXPECT_EQ(p.Reserved2, 9);
    ASSERT_TRUE(p.Extra);
    EXPECT_EQ((*p.Extra)[50], uint8_t(250));
    EXPECT_EQ(doc.DecodeAddress(p),
              (TAdres{QStringLiteral("ЗАРЕЧИНСК"), QStringLiteral("ЛЕНИНА"), QStringLiteral("12А"),
                      QStringLiteral("САДОВАЯ"), "3"}));
    TORBMapZametka z;
    ASSERT_TRUE(doc.Object(7)->GetZametka(z));
    EXPECT_EQ(z.NamePic, "17");
    EXPECT_EQ(z.Text, QStringLiteral("Аптека"));
    EXPECT_EQ(doc.Object(4)->Bitmap->Image, QByteArray("BM\x10\x00", 4));
    EXPECT_EQ(doc.Object(10)->ObjectType, 42);
}

TEST(MapFormat, LayerOutsideTheDrawListsIsClampedAndBadScaleFallsBack) {
    QByteArray content = WriteMapContent(ManySquares(1));
    const int32_t layer = 1000;
    std::memcpy(content.data() + kHeaderSize + 3 * kNameEntrySize + 17, &layer, 4);
    const double scale = 0;
    std::memcpy(content.data() + 582, &scale, 8);
    TMapDocument doc;
    Load(content, doc);
    ASSERT_EQ(doc.ObjectCount(), 1);
    EXPECT_EQ(doc.Object(0)->Layer, 64);
    EXPECT_EQ(doc.Header.Scale, 100);
}

// ---- damaged content ----

TEST(MapDamaged, PointObjectWithoutPointsIsDroppedAndReadingGoesOn) {
    QByteArray content = HeaderBytes(14, 3);
    content += Square(1);
    content += FixedPart(2, cPolygon, 0, 1);
    content += Square(3);
    TMapDocument doc;
    const TLoadReport rep = Load(content, doc);
    ASSERT_EQ(doc.ObjectCount(), 2);
    EXPECT_EQ(doc.Object(1)->ID, 3);
    EXPECT_EQ(rep.ObjectsDropped, 1);
}

TEST(MapDamaged, NegativeCountsAreDropped) {
    for (uint8_t type : {uint8_t(cLine), uint8_t(cText), uint8_t(cZametka), uint8_t(cGroup)}) {
        QByteArray content = HeaderBytes(14, 2);
        content += FixedPart(1, type, -5);
        content += Square(2);
        TMapDocument doc;
        Load(content, doc);
        ASSERT_EQ(doc.ObjectCount(), 1) << int(type);
        EXPECT_EQ(doc.Object(0)->ID, 2);
    }
}

TEST(MapDamaged, HugeCountsInATinyFileNeitherAllocateNorCrash) {
    for (uint8_t type : {uint8_t(cPolygon), uint8_t(cText), uint8_t(cGroup)}) {
        QByteArray content = HeaderBytes(14, 1);
        content += FixedPart(1, type, 0x7FFFFFFF);
        content += QByteArray(40, '\x01');
        TMapDocument doc;
        const TLoadReport rep = Load(content, doc);
        EXPECT_EQ(doc.ObjectCount(), 0);
        EXPECT_TRUE(rep.Truncated);
    }
    // A bitmap announcing 2 GB of picture.
    QByteArray content = HeaderBytes(14, 1);
    content += FixedPart(1, cBitmap, 42);
    QByteArray head(kBitmapHeadSize, '\0');
    const int32_t length = 0x7FFFFFF0;
    std::memcpy(head.data() + 38, &length, 4);
    content += head + QByteArray(10, 'x');
    TMapDocument doc;
    Load(content, doc);
    EXPECT_EQ(doc.ObjectCount(), 0);
}

TEST(MapDamaged, HugeHeaderCountsDoNotReserveMemory) {
    QByteArray content = HeaderBytes(14, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF);
    content += NameEntry(1, "A");
    TMapDocument doc;
    const TLoadReport rep = Load(content, doc);
    EXPECT_TRUE(rep.Truncated);
    EXPECT_EQ(doc.Streets.Count(), 1);
    EXPECT_EQ(doc.ObjectCount(), 0);
    EXPECT_LT(doc.Objects.capacity(), 30000u);
}

TEST(MapDamaged, CutFileKeepsWholeObjectsAndDropsThePartialOne) {
    const QByteArray full = WriteMapContent(ManySquares(5));
    const int rec = kRecordFixedSize + kAddressSize + 4 * 8;
    const int start = kHeaderSize + 3 * kNameEntrySize;
    TMapDocument doc;
    const TLoadReport rep = Load(full.left(start + 3 * rec + rec / 2), doc);
    EXPECT_EQ(doc.ObjectCount(), 3);
    EXPECT_TRUE(rep.Truncated);
    EXPECT_EQ(doc.Header.ObjectCount, 3);
}

TEST(MapDamaged, MaxObjectsAboveTheCountReadsOnlyTheAnnounced) {
    QByteArray content = WriteMapContent(ManySquares(2));
    content += Square(99); // trailing bytes that are not part of the map
    TMapDocument doc;
    const TLoadReport rep = Load(content, doc, 10);
    EXPECT_EQ(doc.ObjectCount(), 2);
    EXPECT_FALSE(rep.Truncated);
}

namespace {

// depth nested groups, the innermost holding one square; then one more top-level square.
QByteArray NestedContent(int depth) {
    QByteArray content = HeaderBytes(14, 2);
    for (int d = 0; d < depth; ++d) content += FixedPart(100 + d, cGroup, 1);
    content += Square(1);
    content += Square(2);
    return content;
}

int Depth(const TORBMapObjectMem& o) {
    int d = 0;
    const TORBMapObjectMem* p = &o;
    while (p->ObjectType == cGroup && p->Children && !p->Children->empty()) {
        p = (*p->Children)[0].get();
        ++d;
    }
    return d;
}

} // namespace

TEST(MapDamaged, ReasonableNestingLoadsWhole) {
    TMapDocument doc;
    Load(NestedContent(kMaxGroupDepth), doc);
    ASSERT_EQ(doc.ObjectCount(), 2);
    EXPECT_EQ(Depth(*doc.Object(0)), kMaxGroupDepth);
    EXPECT_EQ(doc.Object(0)->Box[2], (TORBMapPoint{5, 5})); // square 0..4 widened by pen 2/2
}

TEST(MapDamaged, AbsurdNestingIsCutWithoutStackOverflow) {
    for (int depth : {kMaxGroupDepth + 1, 200000}) {
        TMapDocument doc;
        Load(NestedContent(depth), doc);
        // The group too deep is dropped with its content; reading goes on after it.
        ASSERT_EQ(doc.ObjectCount(), 2) << depth;
        EXPECT_EQ(Depth(*doc.Object(0)), kMaxGroupDepth - 1);
        EXPECT_EQ(doc.Object(1)->ID, 2);
        doc.Clear();
    }
}

TEST(MapDamaged, DamagedChildIsDroppedAloneAndCountFollows) {
    QByteArray content = HeaderBytes(14, 1);
    content += FixedPart(1, cGroup, 3);
    content += Square(2);
    content += FixedPart(3, cLine, 0);
    content += Square(4);
    TMapDocument doc;
    Load(content, doc);
    ASSERT_EQ(doc.ObjectCount(), 1);
    EXPECT_EQ(doc.Object(0)->Count, 2);
    EXPECT_EQ((*doc.Object(0)->Children)[1]->ID, 4);
}

TEST(MapDamaged, OverlongShortStringsAreCut) {
    QByteArray content = WriteMapContent(ManySquares(1));
    content[45] = char(255); // NameMap claims 255 bytes: allowed
    content[0] = char(200);  // Caption claims 200 of its 40
    TMapDocument doc;
    Load(content, doc);
    EXPECT_EQ(doc.Header.Caption.size(), 40);
    EXPECT_EQ(doc.Header.NameMap.size(), 255);
}

TEST(MapDamaged, ProgressCountsDroppedObjectsButNeverPassesHundred) {
    QByteArray content = HeaderBytes(14, 200);
    for (int i = 0; i < 150; ++i) content += FixedPart(i, cPolygon, 0); // all dropped
    for (int i = 0; i < 50; ++i) content += Square(1000 + i);
    TMapDocument doc;
    RecordingHost host;
    const TLoadReport rep = LoadFromStream(content, doc, host);
    EXPECT_EQ(rep.ObjectsDropped, 150);
    EXPECT_EQ(doc.ObjectCount(), 50);
    // After 100 and 200 records read of 200, then the final figure against the 50 kept.
    EXPECT_EQ(host.progress, (std::vector<int>{50, 100, 100}));
}
