#include "mapdata/Categories.h"

#include <gtest/gtest.h>

namespace tsivor::mapdata {
namespace {

TORBMapObjectMem WithCategory(int32_t category) {
    TORBMapObjectMem o;
    o.Category = category;
    return o;
}

TEST(Categories, BitsLiveInSixteenBitWords) {
    TCategories c;
    EXPECT_FALSE(c.IsCategoryVisible(17));
    c.SetCategoryVisible(17, true);
    EXPECT_TRUE(c.IsCategoryVisible(17));
    EXPECT_EQ(c.Word(1), 1u << 1); // code 17: bit 1 of word 1
    EXPECT_FALSE(c.IsCategoryVisible(16));
    EXPECT_FALSE(c.IsCategoryVisible(18));
    c.SetCategoryVisible(17, false);
    EXPECT_EQ(c.Word(1), 0u);

    c.SetCategoryVisible(TCategories::kBitCount - 1, true);
    EXPECT_TRUE(c.IsCategoryVisible(512031));
    EXPECT_EQ(c.Word(TCategories::kWordCount - 1), 0x8000u);
}

TEST(Categories, CodesOutsideTheSetAreHiddenAndNeverStored) {
    TCategories c;
    c.SetAllVisible(true);
    for (int code : {-1, -100000, 512032, 1 << 30}) {
        c.SetCategoryVisible(code, true);
        EXPECT_FALSE(c.IsCategoryVisible(code)) << code;
    }
    c.Filter = true;
    EXPECT_FALSE(c.PassesDrawFilter(WithCategory(600000)));
    EXPECT_FALSE(c.PassesDrawFilter(WithCategory(-5)));
    c.Filter = false;
    EXPECT_TRUE(c.PassesDrawFilter(WithCategory(600000)));
}

TEST(Categories, DrawAndHitRulesDifferInWhatTheHookMayDo) {
    TCategories c;
    int calls = 0;
    c.OnFilteredObject = [&](const TORBMapObjectMem&, bool& visible) {
        ++calls;
        visible = true;
    };
    const TORBMapObjectMem o = WithCategory(5);

    EXPECT_TRUE(c.PassesDrawFilter(o)); // filter off: nothing consulted
    EXPECT_EQ(calls, 0);

    c.Filter = true; // no bit set: nothing drawn, the hook not asked
    EXPECT_FALSE(c.PassesDrawFilter(o));
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(c.PassesHitFilter(o)); // but a hook may make it hittable
    EXPECT_EQ(calls, 1);

    c.SetCategoryVisible(5, true);
    c.OnFilteredObject = [](const TORBMapObjectMem&, bool& visible) { visible = false; };
    EXPECT_FALSE(c.PassesDrawFilter(o));
    EXPECT_FALSE(c.PassesHitFilter(o));
}

TEST(Categories, BuiltInNamesReplaceTheListInTheirOrder) {
    std::vector<TCategoryName> list = {{"старое", 7}};
    GetCategoryNames(list);
    ASSERT_EQ(list.size(), 39u);
    EXPECT_EQ(list.front().Name, "Не определен");
    EXPECT_EQ(list[21].Code, 21);
    EXPECT_EQ(list[21].Name, "Холмы");
    EXPECT_EQ(list[22].Code, 100);
    EXPECT_EQ(list.back().Code, 116);
    EXPECT_EQ(list.back().Name, "Культура и спорт");
    auto nameOf = [&](int code) {
        for (const auto& e : list)
            if (e.Code == code) return e.Name;
        return QString();
    };
    EXPECT_EQ(nameOf(108), nameOf(106));
    EXPECT_EQ(nameOf(111), nameOf(12));
}

} // namespace
} // namespace tsivor::mapdata
