#pragma once
// A street or town table: names with 16-bit codes, ordered case-insensitively, no duplicates.

#include <QHash>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tsivor::mapdata {

struct TNameEntry {
    QString Name; // as stored (names added by lookup are upper case)
    int16_t Code = 0;
};

class TNameTable {
public:
    // Adds name with code unless a name equal ignoring case is there; the first one wins.
    bool Add(const QString& name, int16_t code);
    void Clear();
    void Reserve(int n) { entries_.reserve(size_t(std::max(0, n))); }

    int Count() const { return int(entries_.size()); }
    const TNameEntry& At(int index) const { return entries_[size_t(index)]; }
    const std::vector<TNameEntry>& Entries() const { return entries_; }

    // Index of the name compared case-insensitively (cp1251 sense, no trimming); -1 if absent.
    int IndexOf(const QString& name) const;
    // Code of the name, or -1.
    int CodeOf(const QString& name) const;
    // Name of a code: the first entry in table order that carries it; an empty string for a
    // negative or unknown code.
    QString NameOf(int code) const;

private:
    int LowerBound(const QString& key) const;

    std::vector<TNameEntry> entries_; // sorted by the upper-case key
    std::vector<QString> keys_;       // upper-case keys, parallel to entries_
    // Code to the first entry carrying it, rebuilt after the table changed.
    mutable QHash<int, int> firstByCode_;
    mutable bool byCodeStale_ = true;
};

} // namespace tsivor::mapdata
