// The map control's icon source, category bits and address searches.

#include "mapview/DataMap.h"

#include "mapdata/Cp1251.h"

#include <gtest/gtest.h>

#include <memory>

namespace tsivor::mapview {
namespace {

using namespace mapdata;

TEST(DataMapIcons, OwnDefaultUntilAnotherComponentIsSet) {
    TDataMap map;
    EXPECT_EQ(map.OrbMapIcon(), nullptr);
    EXPECT_EQ(&map.Icons(), &map.OwnIcons());
    EXPECT_EQ(map.Icons().PictureCount("Default"), 62);
    EXPECT_FALSE(map.Render().Painter().IconLookup("DEFAULT", "61").isNull());

    auto other = std::make_unique<TOrbIcon>();
    other->AddLibrary("tsivor");
    map.SetOrbMapIcon(other.get());
    EXPECT_EQ(&map.Icons(), other.get());
    EXPECT_EQ(other->ClientCount(), 1);
    EXPECT_TRUE(map.Render().Painter().IconLookup("DEFAULT", "61").isNull());

    other.reset(); // the component goes away first: the map falls back
    EXPECT_EQ(map.OrbMapIcon(), nullptr);
    EXPECT_EQ(&map.Icons(), &map.OwnIcons());
}

TEST(DataMapIcons, SwitchingComponentsMovesTheRegistration) {
    TOrbIcon a, b;
    {
        TDataMap map;
        map.SetOrbMapIcon(&a);
        map.SetOrbMapIcon(&b);
        EXPECT_EQ(a.ClientCount(), 0);
        EXPECT_EQ(b.ClientCount(), 1);
        map.SetOrbMapIcon(nullptr);
        EXPECT_EQ(b.ClientCount(), 0);
        map.SetOrbMapIcon(&a);
    }
    EXPECT_EQ(a.ClientCount(), 0); // a destroyed map leaves no dangling client
}

TEST(DataMapCategories, BitsDecideWhatTheFilterDraws) {
    TDataMap map;
    EXPECT_FALSE(map.IsCategoryVisible(0));
    map.SetCategoryVisible(17, true);
    EXPECT_TRUE(map.IsCategoryVisible(17));
    EXPECT_FALSE(map.IsCategoryVisible(18));
    EXPECT_FALSE(map.IsCategoryVisible(-1));
    EXPECT_FALSE(map.Filter());
    map.SetFilter(true);
    EXPECT_TRUE(map.Categories().Filter); // drawing and hit testing read the same switch
    std::vector<TCategoryName> names;
    TDataMap::GetCategoryNames(names);
    EXPECT_EQ(names.size(), 39u);
}

TEST(DataMapAddress, HouseSearchFillsFoundObjects) {
    TDataMap map;
    auto house = std::make_unique<TORBMapObjectMem>();
    house->HasAddress = 1;
    house->Address = std::make_unique<TORBMapAddress>();
    house->Address->StreetCode = int16_t(map.StreetCodeOf(" ленина "));
    house->Address->House = cp1251::FromUnicode("5А");
    map.Document().Append(std::move(house));

    EXPECT_EQ(map.StreetNameOf(0), "ЛЕНИНА");
    EXPECT_EQ(map.FindHouse(-1, "", "5а", "Ленина"), 0);
    EXPECT_EQ(map.FoundObjects, std::vector<int>{0});
    EXPECT_EQ(map.FindHouse(-1, "", "5", "Ленина"), -1);
    EXPECT_TRUE(map.FoundObjects.empty());
    EXPECT_EQ(map.FindHouseLike(-1, "", "5А", "лен"), 0);
    EXPECT_EQ(map.DecodeAddress(*map.Object(0)).House, "5А");
}

} // namespace
} // namespace tsivor::mapview
