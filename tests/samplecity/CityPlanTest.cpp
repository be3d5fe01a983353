#include "CityPlan.h"

#include <gtest/gtest.h>

#include <QSet>

#include <algorithm>
#include <cmath>
#include <set>

namespace tsivor::sample {
namespace {

const CityPlan& Plan() {
    static const CityPlan plan = MakeCityPlan(false);
    return plan;
}

bool SamePoints(const std::vector<PlanPoint>& a, const std::vector<PlanPoint>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].X != b[i].X || a[i].Y != b[i].Y) return false;
    return true;
}

TEST(CityPlan, IsTheSameOnEveryRun) {
    const CityPlan again = MakeCityPlan(false);
    const CityPlan& plan = Plan();
    ASSERT_EQ(plan.Houses.size(), again.Houses.size());
    ASSERT_EQ(plan.Streets.size(), again.Streets.size());
    for (size_t i = 0; i < plan.Houses.size(); ++i) {
        const PlanHouse& a = plan.Houses[i];
        const PlanHouse& b = again.Houses[i];
        ASSERT_EQ(a.Street, b.Street);
        ASSERT_EQ(a.House, b.House);
        ASSERT_EQ(a.Street1, b.Street1);
        ASSERT_EQ(a.House1, b.House1);
        ASSERT_EQ(a.Height, b.Height);
        ASSERT_TRUE(SamePoints(a.Outline, b.Outline)) << i;
    }
    for (size_t i = 0; i < plan.Streets.size(); ++i)
        ASSERT_TRUE(SamePoints(plan.Streets[i].Line, again.Streets[i].Line));
}

TEST(CityPlan, HasATownOfTheExpectedSize) {
    const CityPlan& plan = Plan();
    EXPECT_EQ(plan.City, QStringLiteral("Заречинск"));
    EXPECT_EQ(plan.CityGenitive, QStringLiteral("Заречинска"));
    EXPECT_GT(plan.Mashtab, 0);
    EXPECT_GE(plan.Streets.size(), 25u);
    EXPECT_GE(plan.Houses.size(), 1500u);
    EXPECT_LE(plan.Houses.size(), 3000u);
    EXPECT_EQ(plan.Districts.size(), 4u);
    EXPECT_GE(plan.River.size(), 2u);
    EXPECT_FALSE(plan.Bridges.empty());
    EXPECT_FALSE(plan.Areas.empty());
}

TEST(CityPlan, StreetNamesAreUniqueIgnoringCase) {
    std::set<QString> names;
    for (const PlanStreet& s : Plan().Streets) {
        EXPECT_FALSE(s.Name.isEmpty());
        EXPECT_LE(s.Name.size(), 40);
        EXPECT_GE(s.Line.size(), 2u) << s.Name.toStdString();
        EXPECT_GT(s.Width, 0);
        EXPECT_TRUE(names.insert(s.Name.toUpper()).second) << s.Name.toStdString();
    }
}

// Every address must lead to one house, or the directory's address links find the wrong one.
TEST(CityPlan, EveryAddressNamesOneHouseOnAKnownStreet) {
    QSet<QString> streets;
    for (const PlanStreet& s : Plan().Streets) streets.insert(s.Name);
    std::set<QString> addresses;
    for (const PlanHouse& h : Plan().Houses) {
        ASSERT_TRUE(streets.contains(h.Street)) << h.Street.toStdString();
        ASSERT_FALSE(h.House.isEmpty());
        EXPECT_LE(h.House.size(), 12);
        EXPECT_TRUE(addresses.insert(h.Street + '|' + h.House).second)
            << h.Street.toStdString() << " " << h.House.toStdString();
        if (!h.Street1.isEmpty()) {
            ASSERT_TRUE(streets.contains(h.Street1));
            EXPECT_NE(h.Street1, h.Street);
            EXPECT_TRUE(addresses.insert(h.Street1 + '|' + h.House1).second)
                << h.Street1.toStdString() << " " << h.House1.toStdString();
        }
    }
}

TEST(CityPlan, HasCornerHousesYardHousesAndVariedStoreys) {
    int corners = 0, yards = 0, flat = 0, titled = 0, lShaped = 0;
    QSet<int> storeys, categories, layers;
    QSet<QString> districts;
    for (const PlanHouse& h : Plan().Houses) {
        corners += !h.Street1.isEmpty();
        yards += h.House.endsWith(QStringLiteral("А"));
        flat += h.Height == 0;
        titled += !h.Title.isEmpty();
        lShaped += h.Outline.size() == 6;
        storeys.insert(h.Storeys);
        categories.insert(h.Category);
        layers.insert(h.Layer);
        districts.insert(h.District);
        EXPECT_FLOAT_EQ(h.Height, float(h.Storeys) * 3);
        EXPECT_LT(h.Category, 97); // 97 and up are logos
    }
    EXPECT_GT(corners, 100);
    EXPECT_GT(yards, 10);
    EXPECT_GT(flat, 0);
    EXPECT_GT(titled, 3);
    EXPECT_GT(lShaped, 20);
    EXPECT_GE(storeys.size(), 8);
    EXPECT_GE(categories.size(), 4);
    EXPECT_GE(layers.size(), 3);
    EXPECT_EQ(districts.size(), 4);
}

TEST(CityPlan, NamesTwentyDistinctAdvertisedHouses) {
    const CityPlan& plan = Plan();
    ASSERT_EQ(plan.Advertised.size(), 20u);
    std::set<int> seen(plan.Advertised.begin(), plan.Advertised.end());
    EXPECT_EQ(seen.size(), 20u);
    for (int h : plan.Advertised) ASSERT_TRUE(h >= 0 && size_t(h) < plan.Houses.size());
}

TEST(CityPlan, StreetCrossingsLieOnTheirLines) {
    for (const PlanStreet& s : Plan().Streets) {
        float length = 0;
        for (size_t i = 1; i < s.Line.size(); ++i)
            length += std::hypot(s.Line[i].X - s.Line[i - 1].X, s.Line[i].Y - s.Line[i - 1].Y);
        ASSERT_GE(s.Crossings.size(), 2u) << s.Name.toStdString();
        EXPECT_TRUE(std::is_sorted(s.Crossings.begin(), s.Crossings.end()));
        EXPECT_GE(s.Crossings.front(), 0);
        EXPECT_LE(s.Crossings.back(), length + 0.01f);
    }
}

TEST(CityPlan, EverythingLiesInsideTheExtent) {
    const CityPlan& plan = Plan();
    auto inside = [&](const PlanPoint& p) {
        return p.X >= plan.MinX && p.X <= plan.MaxX && p.Y >= plan.MinY && p.Y <= plan.MaxY;
    };
    ASSERT_LT(plan.MinX, plan.MaxX);
    ASSERT_LT(plan.MinY, plan.MaxY);
    EXPECT_GE(plan.MinX, 0); // positive coordinates keep the view origin simple
    EXPECT_GE(plan.MinY, 0);
    for (const PlanHouse& h : plan.Houses) {
        ASSERT_GE(h.Outline.size(), 4u);
        for (const PlanPoint& p : h.Outline) ASSERT_TRUE(inside(p));
    }
    for (const PlanArea& a : plan.Areas)
        for (const PlanPoint& p : a.Outline) ASSERT_TRUE(inside(p));
}

} // namespace
} // namespace tsivor::sample
