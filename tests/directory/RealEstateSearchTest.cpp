#include "directory/RealEstateSearch.h"

#include <gtest/gtest.h>

using namespace tsivor::directory;

namespace {

TRealEstateFilter AllBoxes() {
    TRealEstateFilter f;
    f.Districts.fill(true);
    f.Rooms.fill(true);
    return f;
}

TEST(RealEstateCondition, ClausesInOrder) {
    TRealEstateFilter f = AllBoxes();
    f.Districts = {true, true, false, false, false, false, false};
    f.Rooms = {false, false, false, false, true};
    f.Operation = 3;
    EXPECT_EQ(BuildRealEstateCondition(f),
              "( (Operation=3) ) and ( (District=1) or  (District=2)) and ( (Rooms>=4))");
    f.Rooms = {true, true, false, false, false};
    f.Phone = true;
    EXPECT_EQ(BuildRealEstateCondition(f),
              "( (Operation=3) ) and ( (District=1) or  (District=2)) and ( (Rooms=0) or  "
              "(Rooms=1)) and ( (phone=\"+\") )");
}

TEST(RealEstateCondition, PricesShareOneClause) {
    TRealEstateFilter f = AllBoxes();
    f.Districts = {true, false, false, false, false, false, false};
    f.Rooms = {false, true, false, false, false};
    f.PriceFrom = "500";
    f.PriceTo = "1200";
    EXPECT_TRUE(BuildRealEstateCondition(f).endsWith(" and ( (Summa>= 500) and  (Summa<= 1200))"))
        << BuildRealEstateCondition(f).toStdString();
    f.PriceFrom.clear();
    EXPECT_TRUE(BuildRealEstateCondition(f).endsWith(" and ( (Summa<= 1200))"));
    // Pasted text is not a price: only its digits count.
    f.PriceTo = "1) or (1=1";
    EXPECT_TRUE(BuildRealEstateCondition(f).endsWith(" and ( (Summa<= 111))"));
    f.PriceTo = "abc";
    EXPECT_TRUE(BuildRealEstateCondition(f).endsWith("( (Rooms=1))"));
}

TEST(RealEstateCondition, DistrictsAndRoomsAreRequired) {
    TRealEstateFilter f = AllBoxes();
    EXPECT_FALSE(RealEstateFilterProblem(f));
    f.Rooms.fill(false);
    EXPECT_EQ(RealEstateFilterProblem(f), "Небходимо выбрать кол-во комнат!");
    f.Districts.fill(false);
    EXPECT_EQ(RealEstateFilterProblem(f), "Небходимо выбрать район!");
}

TEST(ListingAddress, StreetTypeAndFlatAreDropped) {
    auto p = ParseListingAddress("Ленина ул, 15-3");
    EXPECT_EQ(p.Street, "Ленина");
    EXPECT_EQ(p.House, "15");
    p = ParseListingAddress("Мира 7а");
    EXPECT_EQ(p.Street, "Мира");
    EXPECT_EQ(p.House, "7а");
    p = ParseListingAddress("Строителей проспект, 2");
    EXPECT_EQ(p.Street, "Строителей проспект"); // six letters follow: kept
    p = ParseListingAddress("Мира ул, 3");      // the space is not after the fifth letter
    EXPECT_EQ(p.Street, "Мира ул");
    p = ParseListingAddress("12");
    EXPECT_EQ(p.Street, "");
    EXPECT_EQ(p.House, "12");
}

} // namespace
