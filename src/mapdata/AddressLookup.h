#pragma once
// Names to codes and back for the street and town tables, and the search of objects by address.
// Every failure is -1, an empty string or an empty result; nothing here reports or throws.

#include "mapdata/MapDocument.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace tsivor::mapdata {

// A table entry handed out by GetStreets/GetTowns.
struct TNamedCode {
    QString Name;
    int Code = 0;
    friend bool operator==(const TNamedCode&, const TNamedCode&) = default;
};

class TAddressLookup {
public:
    explicit TAddressLookup(TMapDocument& document) : FDoc(document) {}

    // Exact lookup after trimming and upper-casing; the code as an unsigned 16-bit value.
    int FindStreetCode(const QString& name) const;
    int FindTownCode(const QString& name) const;
    // Exact first, then the first entry holding every typed word in order.
    int FindStreetCodeLike(const QString& name) const;
    int FindTownCodeLike(const QString& name) const;

    // Get-or-add: a new name takes the next free code of the header.
    int StreetCodeOf(const QString& name);
    int TownCodeOf(const QString& name);

    QString StreetNameOf(int16_t code) const;
    QString TownNameOf(int16_t code) const;

    std::vector<TNamedCode> GetStreets() const;
    std::vector<TNamedCode> GetTowns() const;

    TAdres DecodeAddress(const TORBMapObjectMem& object) const;

    // All top-level objects addressed to Street/House (Town empty = any town, Category < 0 =
    // any category) in list order into found; returns the first, or -1.
    int FindHouse(int category, const QString& town, const QString& house, const QString& street,
                  std::vector<int>& found) const;
    // The same with the tolerant street and town lookups.
    int FindHouseLike(int category, const QString& town, const QString& house,
                      const QString& street, std::vector<int>& found) const;

private:
    int SearchHouses(int category, int townCode, const QString& house, int streetCode,
                     std::vector<int>& found) const;

    TMapDocument& FDoc;
};

// Tolerant match of one table name against words typed in upper case: every word occurs in
// the name, each after the end of the previous one. Empty words are skipped.
bool NameHoldsWordsInOrder(const QString& upperName, const QStringList& words);

} // namespace tsivor::mapdata
