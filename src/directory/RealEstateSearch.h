#pragma once
// The real-estate search: the filter of the "Недвижимость" tab as the condition of the
// listings statement, and a listing's address as the street and house to look up on the map.

#include <QString>

#include <array>
#include <optional>

namespace tsivor::directory {

struct TRealEstateFilter {
    int Operation = 1;               // 1 sale, 2 purchase, 3 to let, 4 to rent
    std::array<bool, 7> Districts{}; // districts 1..7
    std::array<bool, 5> Rooms{};     // 0 (СРТ/КСС), 1, 2, 3, 4 and more
    bool Phone = false;              // only flats with a telephone
    QString PriceFrom, PriceTo;      // thousands of roubles; empty: no limit
};

// The message that stops a search ("Небходимо выбрать район!", ...), none when it may run.
std::optional<QString> RealEstateFilterProblem(const TRealEstateFilter& f);
// The condition of the listings statement. Prices are used by their digits only, so text
// pasted into a price edit cannot change the statement.
QString BuildRealEstateCondition(const TRealEstateFilter& f);
// The order of the listings.
inline QString RealEstateOrder() {
    return QStringLiteral("Base.Operation, Base.District, Base.Rooms;");
}
// "Выбрано записей: " + rows.
QString RealEstateCountText(int rows);

struct TListingAddress {
    QString Street;
    QString House;
};
// "Street type, 15-3" to the street without a short trailing word and the house without the
// flat.
TListingAddress ParseListingAddress(const QString& text);

} // namespace tsivor::directory
