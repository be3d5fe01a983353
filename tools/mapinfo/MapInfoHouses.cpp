#include "MapInfoHouses.h"

#include "mapdata/AddressLookup.h"

namespace tsivor::mapinfo {

QString HouseQueryText(mapdata::TMapDocument& doc, const QString& street, const QString& house,
                       bool like) {
    mapdata::TAddressLookup lookup(doc);
    std::vector<int> found;
    if (like)
        lookup.FindHouseLike(-1, QString(), house, street, found);
    else
        lookup.FindHouse(-1, QString(), house, street, found);
    QString text;
    for (int index : found) text += QString::number(index) + QLatin1Char('\n');
    return text;
}

} // namespace tsivor::mapinfo
