// The object model: boxes, extent, copies, addresses, code page 1251 and the name tables.

#include "TestMaps.h"

#include "mapdata/Cp1251.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tsivor::mapdata;
using namespace tsivor::mapdata::testmaps;

namespace {

// Measures 10 units per character at whatever height it is asked for, and records the height.
struct RecordingMeasurer {
    std::vector<double>* heights;
    QSizeF operator()(const QString& text, uint8_t, double height) const {
        heights->push_back(height);
        return QSizeF(10.0 * double(text.size()), height);
    }
};

void ExpectPoint(const TORBMapPoint& p, float x, float y) {
    EXPECT_NEAR(p.X, x, 1e-3);
    EXPECT_NEAR(p.Y, y, 1e-3);
}

} // namespace

TEST(CalcObjectBox, PointTypesTakeMinMaxWidenedByHalfThePen) {
    TMapDocument doc;
    auto o = PointObject(cLine, 1, {{10, 20}, {4, 30}, {8, 25}});
    o->Pen.Width = 2;
    doc.CalcObjectBox(*o);
    ExpectPoint(o->Box[0], 3, 19);
    ExpectPoint(o->Box[1], 11, 19);
    ExpectPoint(o->Box[2], 11, 31);
    ExpectPoint(o->Box[3], 3, 31);
}

TEST(CalcObjectBox, BitmapUsesItsCornersWithoutWidening) {
    TMapDocument doc;
    auto o = Bitmap(1, {}, {{{5, 5}, {1, 7}, {9, 2}, {3, 3}}});
    o->Pen.Width = 10;
    doc.CalcObjectBox(*o);
    ExpectPoint(o->Box[0], 1, 2);
    ExpectPoint(o->Box[2], 9, 7);
}

TEST(CalcObjectBox, NoteBoxIsItsPosition) {
    TMapDocument doc;
    auto o = Note(1, 12, 34, "DEFAULT", "3", "x");
    o->Pen.Width = 8;
    doc.CalcObjectBox(*o);
    for (const auto& p : o->Box) ExpectPoint(p, 12, 34);
}

TEST(CalcObjectBox, GroupCoversChildrenThenWidensByItsOwnPen) {
    TMapDocument doc;
    std::vector<TOrbMapObjectPtr> kids;
    kids.push_back(Polygon(2, {{0, 0}, {10, 10}})); // pen 2: box -1..11
    kids.push_back(Note(3, 20, -5, "L", "P", "t")); // a point
    auto g = Group(1, std::move(kids));
    g->Pen.Width = 4;
    doc.CalcObjectBox(*g);
    ExpectPoint(g->Box[0], -3, -7);
    ExpectPoint(g->Box[2], 22, 13);
    // The children's boxes were computed on the way.
    ExpectPoint((*g->Children)[0]->Box[2], 11, 11);
}

TEST(CalcObjectBox, SmallTextIsMeasuredHundredfold) {
    TMapDocument doc;
    std::vector<double> heights;
    doc.MeasureText = RecordingMeasurer{&heights};
    auto small = Text(1, 100, 200, "abc", 5);
    doc.CalcObjectBox(*small);
    auto big = Text(2, 100, 200, "abc", 12);
    doc.CalcObjectBox(*big);
    EXPECT_EQ(heights, (std::vector<double>{500, 12}));
    // 30 units wide at height 500 -> 0.3 wide, 5 high.
    ExpectPoint(small->Box[2], 100.3f, 205);
    ExpectPoint(big->Box[2], 130, 212);
}

TEST(CalcObjectBox, TextIsRotatedAboutItsAnchor) {
    TMapDocument doc;
    std::vector<double> heights;
    doc.MeasureText = RecordingMeasurer{&heights};
    auto t = Text(1, 0, 0, "ab", 10, 900); // 20 x 10, a quarter turn
    doc.CalcObjectBox(*t);
    ExpectPoint(t->Box[0], 0, 0);
    // The polar angle decreases by 90 degrees: (20, 0) goes to (0, -20).
    ExpectPoint(t->Box[1], 0, -20);
    ExpectPoint(t->Box[2], 10, -20);
    ExpectPoint(t->Box[3], 10, 0);
}

TEST(CalcObjectBox, UnknownTypesAndEmptyPointObjectsKeepTheirBox) {
    TMapDocument doc;
    auto o = PointObject(cPolygon, 1, {});
    o->Box[2] = {7, 7};
    doc.CalcObjectBox(*o);
    EXPECT_EQ(o->Box[2], (TORBMapPoint{7, 7}));
    o->ObjectType = 77;
    doc.CalcObjectBox(*o);
    EXPECT_EQ(o->Box[2], (TORBMapPoint{7, 7}));
}

TEST(MapExtent, FoldsCornersZeroAndTwoOfTopLevelObjects) {
    TMapDocument doc;
    EXPECT_EQ(doc.Extent, TMapExtent{});
    doc.Append(Polygon(1, {{10, 10}, {20, 20}}));
    doc.Append(Polygon(2, {{-5, 15}, {0, 40}}));
    for (auto& o : doc.Objects) doc.CalcObjectBox(*o);
    doc.RecalcExtent();
    EXPECT_EQ(doc.Extent, (TMapExtent{-6, 9, 21, 41}));
    doc.Delete(1);
    EXPECT_EQ(doc.Header.ObjectCount, 1);
    EXPECT_EQ(doc.Extent, (TMapExtent{-6, 9, 21, 41})); // Delete leaves it alone
    doc.RecalcExtent();
    EXPECT_EQ(doc.Extent, (TMapExtent{9, 9, 21, 21}));
    doc.Clear();
    doc.RecalcExtent();
    EXPECT_EQ(doc.Extent, TMapExtent{});
}

TEST(MapObject, CloneKeepsReservedFieldsExtraAndChildren) {
    TMapDocument every = EveryType();
    const TORBMapObjectMem& p = *every.Object(0);
    const auto c = p.Clone();
    EXPECT_EQ(c->Reserved1, -7);
    EXPECT_EQ(c->Reserved2, 9);
    ASSERT_TRUE(c->Extra);
    EXPECT_EQ(*c->Extra, *p.Extra);
    EXPECT_NE(c->Extra.get(), p.Extra.get());
    EXPECT_EQ(*c->Address, *p.Address);

    const TORBMapObjectMem& g = *every.Object(8);
    const auto gc = g.Clone();
    ASSERT_EQ(gc->Children->size(), 2u);
    EXPECT_NE((*gc->Children)[0].get(), (*g.Children)[0].get());
    EXPECT_EQ((*gc->Children)[1]->Points[1], (TORBMapPoint{95, 75}));
}

TEST(MapObject, AddressDecodesOnlyWithHasAddress) {
    TMapDocument doc = Document();
    auto o = Polygon(1, {{0, 0}});
    SetAddress(*o, 1, 2, "5", 99, "7");
    EXPECT_EQ(doc.DecodeAddress(*o),
              (TAdres{QStringLiteral("ЗАРЕЧИНСК"), QStringLiteral("САДОВАЯ"), "5", "", "7"}));
    o->HasAddress = 0; // the block is still there
    EXPECT_EQ(doc.DecodeAddress(*o), TAdres{});
}

TEST(MapObject, TextAndNoteBlocksPackAsStored) {
    auto t = Text(1, 1.5f, 2.5f, QStringLiteral("Ёлка"), 8, -30);
    EXPECT_EQ(t->Count, 4 + 22);
    TORBMapText back;
    ASSERT_TRUE(t->GetText(back));
    EXPECT_EQ(back.Text, QStringLiteral("Ёлка"));
    EXPECT_EQ(back.Angle, -30);
    EXPECT_EQ(back.Size, 8);
    auto n = Note(2, 0, 0, QString(40, 'L'), "p", "ab");
    EXPECT_EQ(n->Count, 2 + 75);
    TORBMapZametka z;
    ASSERT_TRUE(n->GetZametka(z));
    EXPECT_EQ(z.NameLib, QString(30, 'L')); // cut to 30 characters
    EXPECT_FALSE(n->GetText(back));         // wrong type
}

TEST(MapObject, DamagedTextLengthNeverReadsPastTheBlock) {
    auto t = Text(1, 0, 0, "abc");
    const int32_t huge = 1 << 30;
    std::memcpy(t->Block.get() + 17, &huge, 4);
    TORBMapText back;
    ASSERT_TRUE(t->GetText(back));
    EXPECT_LE(back.Text.size(), 4);
}

TEST(Cp1251, RoundTripsEveryDefinedByte) {
    QByteArray all;
    for (int b = 1; b < 256; ++b)
        if (b != 0x98) all.append(char(b));
    const QString u = tsivor::cp1251::ToUnicode(all);
    EXPECT_EQ(tsivor::cp1251::FromUnicode(u), all);
    EXPECT_EQ(tsivor::cp1251::ToUnicode(QByteArray("\xB8\xA8", 2)), QStringLiteral("ёЁ"));
    EXPECT_EQ(tsivor::cp1251::FromUnicode(QStringLiteral("日")), "?");
}

TEST(Cp1251, UpperCasesCyrillicIncludingYo) {
    EXPECT_EQ(tsivor::cp1251::Upper(QStringLiteral("ёлка street ґ")),
              QStringLiteral("ЁЛКА STREET Ґ"));
    EXPECT_EQ(tsivor::cp1251::Key(QStringLiteral("  ленина\t")), QStringLiteral("ЛЕНИНА"));
}

TEST(NameTable, FirstNameWinsIgnoringCase) {
    TNameTable t;
    EXPECT_TRUE(t.Add(QStringLiteral("Ёлочная"), 4));
    EXPECT_FALSE(t.Add(QStringLiteral("ЁЛОЧНАЯ"), 9));
    EXPECT_EQ(t.Count(), 1);
    EXPECT_EQ(t.CodeOf(QStringLiteral("ёлочная")), 4);
    EXPECT_EQ(t.NameOf(9), QString());
    EXPECT_EQ(t.CodeOf(QStringLiteral("ЛЕСНАЯ")), -1);
}

TEST(NameTable, SortsAlphabeticallyWithYoAfterYe) {
    TNameTable t;
    for (const char* n : {"ЖУКОВА", "ЁЛОЧНАЯ", "ЕЛЕЦКАЯ", "АВИАТОРОВ", "ЯБЛОЧНАЯ"})
        t.Add(QString::fromUtf8(n), 1);
    QStringList order;
    for (const auto& e : t.Entries()) order << e.Name;
    EXPECT_EQ(order, QString::fromUtf8("АВИАТОРОВ ЕЛЕЦКАЯ ЁЛОЧНАЯ ЖУКОВА ЯБЛОЧНАЯ").split(' '));
    EXPECT_EQ(t.IndexOf(QString::fromUtf8("ёлочная")), 2);
}

// A house number is held in the address: what is longer than a record keeps is cut there, and
// it reads and compares as the bytes it holds.
TEST(HouseNumber, KeepsAtMostTwelveBytesAndComparesByThem) {
    THouseNumber n = QByteArray("123456789012345");
    EXPECT_EQ(n.size(), 12);
    EXPECT_EQ(n, QByteArray("123456789012"));
    EXPECT_EQ(QByteArray(n), QByteArray("123456789012"));
    n = tsivor::cp1251::FromUnicode(QStringLiteral("5А"));
    EXPECT_EQ(n.Text(), QStringLiteral("5А"));
    EXPECT_FALSE(n == THouseNumber(QByteArray("5")));
    n.clear();
    EXPECT_TRUE(n.isEmpty());
    EXPECT_EQ(n, THouseNumber());
}
