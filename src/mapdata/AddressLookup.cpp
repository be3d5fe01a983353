#include "mapdata/AddressLookup.h"

#include "mapdata/Cp1251.h"

namespace tsivor::mapdata {
namespace {

int ExactCode(const TNameTable& table, const QString& name) {
    const QString key = cp1251::Key(name);
    if (key.isEmpty()) return -1;
    const int i = table.IndexOf(key);
    return i < 0 ? -1 : int(uint16_t(table.At(i).Code));
}

int LikeCode(const TNameTable& table, const QString& name) {
    const QString key = cp1251::Key(name);
    if (key.isEmpty()) return -1;
    const int exact = ExactCode(table, key);
    if (exact >= 0) return exact;
    // A typed double space would give an empty word that no name holds.
    const QStringList words = key.split(QChar(' '), Qt::SkipEmptyParts);
    for (const TNameEntry& e : table.Entries()) {
        if (NameHoldsWordsInOrder(cp1251::Upper(e.Name), words)) return int(uint16_t(e.Code));
    }
    return -1;
}

int CodeOrAdd(TNameTable& table, const QString& name, int32_t& nextCode, int32_t& count) {
    const QString key = cp1251::Key(name);
    if (key.isEmpty()) return -1;
    if (table.Count() > 0) {
        const int i = table.IndexOf(key);
        if (i >= 0) return int(uint16_t(table.At(i).Code));
    }
    const int16_t code = int16_t(nextCode);
    table.Add(key, code);
    ++nextCode;
    count = table.Count();
    return int(uint16_t(code));
}

std::vector<TNamedCode> Copy(const TNameTable& table) {
    std::vector<TNamedCode> out;
    out.reserve(size_t(table.Count()));
    for (const TNameEntry& e : table.Entries()) out.push_back({e.Name, int(e.Code)});
    return out;
}

} // namespace

bool NameHoldsWordsInOrder(const QString& upperName, const QStringList& words) {
    qsizetype from = 0;
    bool any = false;
    for (const QString& w : words) {
        if (w.isEmpty()) continue;
        const qsizetype at = upperName.indexOf(w, from, Qt::CaseSensitive);
        if (at < 0) return false;
        from = at + w.size();
        any = true;
    }
    return any;
}

int TAddressLookup::FindStreetCode(const QString& name) const {
    return ExactCode(FDoc.Streets, name);
}
int TAddressLookup::FindTownCode(const QString& name) const {
    return ExactCode(FDoc.Towns, name);
}
int TAddressLookup::FindStreetCodeLike(const QString& name) const {
    return LikeCode(FDoc.Streets, name);
}
int TAddressLookup::FindTownCodeLike(const QString& name) const {
    return LikeCode(FDoc.Towns, name);
}

int TAddressLookup::StreetCodeOf(const QString& name) {
    return CodeOrAdd(FDoc.Streets, name, FDoc.Header.NextStreetCode, FDoc.Header.StreetCount);
}

int TAddressLookup::TownCodeOf(const QString& name) {
    return CodeOrAdd(FDoc.Towns, name, FDoc.Header.NextTownCode, FDoc.Header.TownCount);
}

QString TAddressLookup::StreetNameOf(int16_t code) const {
    return FDoc.Streets.NameOf(code);
}
QString TAddressLookup::TownNameOf(int16_t code) const {
    return FDoc.Towns.NameOf(code);
}

std::vector<TNamedCode> TAddressLookup::GetStreets() const {
    return Copy(FDoc.Streets);
}
std::vector<TNamedCode> TAddressLookup::GetTowns() const {
    return Copy(FDoc.Towns);
}

TAdres TAddressLookup::DecodeAddress(const TORBMapObjectMem& object) const {
    return FDoc.DecodeAddress(object);
}

int TAddressLookup::FindHouse(int category, const QString& town, const QString& house,
                              const QString& street, std::vector<int>& found) const {
    found.clear();
    int townCode = -1;
    if (!town.isEmpty()) {
        townCode = FindTownCode(town);
        if (townCode < 0) return -1;
    }
    const int streetCode = FindStreetCode(street);
    if (streetCode < 0) return -1;
    return SearchHouses(category, townCode, house, streetCode, found);
}

int TAddressLookup::FindHouseLike(int category, const QString& town, const QString& house,
                                  const QString& street, std::vector<int>& found) const {
    found.clear();
    int townCode = -1;
    if (!town.isEmpty()) {
        townCode = FindTownCodeLike(town);
        if (townCode < 0) return -1;
    }
    const int streetCode = FindStreetCodeLike(street);
    if (streetCode < 0) return -1;
    return SearchHouses(category, townCode, house, streetCode, found);
}

int TAddressLookup::SearchHouses(int category, int townCode, const QString& house, int streetCode,
                                 std::vector<int>& found) const {
    const QString h = cp1251::Key(house);
    // Only the street's own objects, in list order: the same result as a walk of the list.
    for (const int32_t i : FDoc.StreetIndex().Objects(streetCode)) {
        const TORBMapObjectMem& o = *FDoc.Objects[size_t(i)];
        if (o.HasAddress != 1 || !o.Address) continue;
        if (category >= 0 && o.Category != category) continue;
        const TORBMapAddress& a = *o.Address;
        if (townCode >= 0 && int(uint16_t(a.TownCode)) != townCode) continue;
        // The stored number is compared untrimmed: "5 " is not "5".
        if (int(uint16_t(a.StreetCode)) == streetCode && cp1251::Upper(a.House.Text()) == h) {
            found.push_back(i);
        } else if (int(uint16_t(a.Street1Code)) == streetCode &&
                   cp1251::Upper(a.House1.Text()) == h) {
            found.push_back(i);
        }
    }
    return found.empty() ? -1 : found.front();
}

} // namespace tsivor::mapdata
