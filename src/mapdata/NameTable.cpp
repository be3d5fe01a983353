#include "mapdata/NameTable.h"

#include "mapdata/Cp1251.h"

#include <algorithm>

namespace tsivor::mapdata {
namespace {

// Alphabetical order of upper-case keys: by code point, except that Ё sorts right after Е
// as in the Russian alphabet, not before А.
uint32_t Weight(QChar c) {
    const uint32_t u = c.unicode();
    return u == 0x0401 ? 0x0415u * 2 + 1 : u * 2;
}

bool KeyLess(const QString& a, const QString& b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const uint32_t wa = Weight(a[i]), wb = Weight(b[i]);
        if (wa != wb) return wa < wb;
    }
    return a.size() < b.size();
}

} // namespace

int TNameTable::LowerBound(const QString& key) const {
    return int(std::lower_bound(keys_.begin(), keys_.end(), key, KeyLess) - keys_.begin());
}

bool TNameTable::Add(const QString& name, int16_t code) {
    const QString key = cp1251::Upper(name);
    const int at = LowerBound(key);
    if (at < Count() && keys_[size_t(at)] == key) return false;
    entries_.insert(entries_.begin() + at, TNameEntry{name, code});
    keys_.insert(keys_.begin() + at, key);
    byCodeStale_ = true;
    return true;
}

void TNameTable::Clear() {
    entries_.clear();
    keys_.clear();
    firstByCode_.clear();
    byCodeStale_ = true;
}

int TNameTable::IndexOf(const QString& name) const {
    const QString key = cp1251::Upper(name);
    const int at = LowerBound(key);
    return at < Count() && keys_[size_t(at)] == key ? at : -1;
}

int TNameTable::CodeOf(const QString& name) const {
    const int i = IndexOf(name);
    return i < 0 ? -1 : entries_[size_t(i)].Code;
}

QString TNameTable::NameOf(int code) const {
    if (code < 0) return {};
    if (byCodeStale_) {
        firstByCode_.clear();
        for (int i = Count() - 1; i >= 0; --i) firstByCode_.insert(entries_[size_t(i)].Code, i);
        byCodeStale_ = false;
    }
    const auto it = firstByCode_.constFind(code);
    return it == firstByCode_.constEnd() ? QString() : entries_[size_t(*it)].Name;
}

} // namespace tsivor::mapdata
