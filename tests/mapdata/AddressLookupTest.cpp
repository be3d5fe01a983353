#include "mapdata/AddressLookup.h"
#include "mapdata/MapErrorLog.h"

#include "TestMaps.h"

#include <gtest/gtest.h>

namespace tsivor::mapdata {
namespace {

using testmaps::Polygon;
using testmaps::SetAddress;

TOrbMapObjectPtr House(int16_t town, int16_t street, const QString& house, int category = 0,
                       int16_t street1 = -1, const QString& house1 = {}) {
    auto o = Polygon(1, {{0, 0}, {10, 0}, {10, 10}});
    SetAddress(*o, town, street, house, street1, house1);
    o->Category = category;
    return o;
}

class AddressLookupTest : public testing::Test {
protected:
    void SetUp() override {
        doc.Clear();
        doc.Streets.Add("ПРОСПЕКТ МИРА", 3);
        doc.Streets.Add("МИРА ПРОСПЕКТ", 4);
        doc.Streets.Add("ЛЕНИНА", 5);
        doc.Streets.Add("ЁЛОЧНАЯ", 6);
        doc.Towns.Add("ЗАРЕЧИНСК", 1);
        doc.Towns.Add("ПОСЁЛОК", 2);
        doc.Header.NextStreetCode = 7;
        doc.Header.NextTownCode = 3;
        doc.Append(House(1, 5, "10"));            // 0
        doc.Append(House(1, 5, "5А"));            // 1
        doc.Append(House(2, 5, "10", 99));        // 2
        doc.Append(House(1, 3, "2", 0, 5, "10")); // 3: corner of Мира and Ленина
        doc.Append(House(1, 5, ""));              // 4: the street itself
        doc.Append(Polygon(1, {{0, 0}, {1, 1}})); // 5: no address
        doc.Append(House(1, 6, "1"));             // 6
    }

    TMapDocument doc;
    TAddressLookup lookup{doc};
    std::vector<int> found{42};
};

TEST_F(AddressLookupTest, ExactLookupTrimsAndUpperCases) {
    EXPECT_EQ(lookup.FindStreetCode("  ленина "), 5);
    EXPECT_EQ(lookup.FindStreetCode("ёлочная"), 6);
    EXPECT_EQ(lookup.FindStreetCode("ЕЛОЧНАЯ"), -1);
    EXPECT_EQ(lookup.FindStreetCode("ЛЕНИН"), -1);
    EXPECT_EQ(lookup.FindStreetCode(""), -1);
    EXPECT_EQ(lookup.FindTownCode("посёлок"), 2);
}

TEST_F(AddressLookupTest, TolerantLookupWantsWordsInOrder) {
    EXPECT_EQ(lookup.FindStreetCodeLike("пр мира"), 3);
    EXPECT_EQ(lookup.FindStreetCodeLike("мира пр"), 4);
    EXPECT_EQ(lookup.FindStreetCodeLike("мира  проспект"), 4); // typed double space
    EXPECT_EQ(lookup.FindStreetCodeLike("ЛЕН"), 5);
    EXPECT_EQ(lookup.FindStreetCodeLike("ёлоч"), 6);
    EXPECT_EQ(lookup.FindStreetCodeLike("садовая"), -1);
    EXPECT_EQ(lookup.FindStreetCodeLike("   "), -1);
    EXPECT_EQ(lookup.FindTownCodeLike("зареч"), 1);
}

TEST_F(AddressLookupTest, GetOrAddUsesTheNextCodeOnce) {
    EXPECT_EQ(lookup.StreetCodeOf("  садовая "), 7);
    EXPECT_EQ(doc.Header.NextStreetCode, 8);
    EXPECT_EQ(lookup.StreetNameOf(7), "САДОВАЯ");
    EXPECT_EQ(lookup.StreetCodeOf("Садовая"), 7);
    EXPECT_EQ(doc.Header.NextStreetCode, 8);
    EXPECT_EQ(lookup.StreetCodeOf("ленина"), 5);
    EXPECT_EQ(lookup.StreetCodeOf(" "), -1);
    EXPECT_EQ(doc.Streets.Count(), 5);

    EXPECT_EQ(lookup.TownCodeOf("Луговое"), 3);
    EXPECT_EQ(doc.Header.NextTownCode, 4);

    TMapDocument empty;
    TAddressLookup fresh(empty);
    EXPECT_EQ(fresh.TownCodeOf("Город"), 0);
    EXPECT_EQ(fresh.TownNameOf(0), "ГОРОД");
}

// A file may give one code to two names, or a name a negative code: the name of a code is the
// first entry in table order, and negative codes have none, for every reader alike.
TEST(AddressCodeToName, OneRuleForLookupDecodeAndErrorLog) {
    TMapDocument doc;
    doc.Streets.Add("ЯБЛОНЕВАЯ", 4); // added first, sorted last
    doc.Streets.Add("АКАЦИЙ", 4);
    doc.Streets.Add("ТУПИК", -2);
    auto o = Polygon(1, {{0, 0}});
    SetAddress(*o, -1, 4, "1", -2, "2");
    doc.Append(std::move(o));
    TAddressLookup lookup(doc);
    EXPECT_EQ(lookup.StreetNameOf(4), "АКАЦИЙ");
    EXPECT_EQ(lookup.StreetNameOf(-2), "");
    const TAdres a = doc.DecodeAddress(*doc.Object(0));
    EXPECT_EQ(a.Street, "АКАЦИЙ");
    EXPECT_EQ(a.Street1, "");
    EXPECT_EQ(lookup.DecodeAddress(*doc.Object(0)), a);
    const QString log = FormatErrorLogEntry(doc, *doc.Object(0), 0, QDateTime::currentDateTime());
    EXPECT_TRUE(log.contains(QStringLiteral("Street=\"АКАЦИЙ\"")));
    EXPECT_TRUE(log.contains(QStringLiteral("Street1=\"\"")));
}

TEST_F(AddressLookupTest, CodesToNamesAndAddresses) {
    EXPECT_EQ(lookup.StreetNameOf(5), "ЛЕНИНА");
    EXPECT_EQ(lookup.StreetNameOf(-1), "");
    EXPECT_EQ(lookup.StreetNameOf(100), "");
    const TAdres a = lookup.DecodeAddress(*doc.Object(3));
    EXPECT_EQ(a.Town, "ЗАРЕЧИНСК");
    EXPECT_EQ(a.Street, "ПРОСПЕКТ МИРА");
    EXPECT_EQ(a.House, "2");
    EXPECT_EQ(a.Street1, "ЛЕНИНА");
    EXPECT_EQ(a.House1, "10");
    EXPECT_EQ(lookup.DecodeAddress(*doc.Object(5)), TAdres{});

    const auto streets = lookup.GetStreets();
    ASSERT_EQ(streets.size(), 4u);
    EXPECT_EQ(streets[0].Name, "ЁЛОЧНАЯ"); // Ё after Е, at the front here
    EXPECT_EQ(streets[0].Code, 6);
}

TEST_F(AddressLookupTest, FindHouseInListOrderWithCornerBuildings) {
    EXPECT_EQ(lookup.FindHouse(-1, "", "10", "Ленина", found), 0);
    EXPECT_EQ(found, (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(lookup.FindHouse(-1, "", "2", "проспект мира", found), 3);
    EXPECT_EQ(found, (std::vector<int>{3}));
    EXPECT_EQ(lookup.FindHouse(-1, "", "5", "ленина", found), -1); // 5 is not 5А
    EXPECT_TRUE(found.empty());
    EXPECT_EQ(lookup.FindHouse(-1, "", " 5а ", "ленина", found), 1);
    EXPECT_EQ(lookup.FindHouse(-1, "", "", "ленина", found), 4);
    EXPECT_EQ(found, (std::vector<int>{4}));
}

TEST_F(AddressLookupTest, FindHouseFiltersByCategoryAndTown) {
    EXPECT_EQ(lookup.FindHouse(99, "", "10", "ЛЕНИНА", found), 2);
    EXPECT_EQ(found, (std::vector<int>{2}));
    EXPECT_EQ(lookup.FindHouse(-1, "Посёлок", "10", "ЛЕНИНА", found), 2);
    EXPECT_EQ(lookup.FindHouse(-1, "Нигдеево", "10", "ЛЕНИНА", found), -1);
    EXPECT_TRUE(found.empty());
    EXPECT_EQ(lookup.FindHouse(-1, "", "10", "НЕТ ТАКОЙ", found), -1);
}

TEST_F(AddressLookupTest, FindHouseLikeUsesTolerantNames) {
    EXPECT_EQ(lookup.FindHouse(-1, "", "2", "пр  мира", found), -1);
    EXPECT_EQ(lookup.FindHouseLike(-1, "", "2", "пр  мира", found), 3);
    EXPECT_EQ(lookup.FindHouseLike(-1, "зареч", "10", "лен", found), 0);
    EXPECT_EQ(found, (std::vector<int>{0, 3}));
}

TEST(NameWords, EmptyWordsAreSkippedButSomethingMustBeTyped) {
    EXPECT_TRUE(NameHoldsWordsInOrder("ПРОСПЕКТ МИРА", {"ПР", "", "МИРА"}));
    EXPECT_FALSE(NameHoldsWordsInOrder("ПРОСПЕКТ МИРА", {"МИРА", "ПР"}));
    EXPECT_FALSE(NameHoldsWordsInOrder("МИРА ПРОСПЕКТ", {"ПР", "МИРА"}));
    EXPECT_FALSE(NameHoldsWordsInOrder("ПРОСПЕКТ МИРА", {"", ""}));
    // the next word is searched after the end of the previous occurrence
    EXPECT_FALSE(NameHoldsWordsInOrder("МИРА", {"МИ", "ИРА"}));
}

} // namespace
} // namespace tsivor::mapdata
