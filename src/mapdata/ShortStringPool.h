#pragma once
// TShortStringPool: one shared copy of each distinct short string a load meets. A city's house
// numbers repeat thousands of times; a shared QByteArray costs no allocation of its own, and a
// copy that is changed later detaches as any other.

#include <QByteArray>

#include <cstdint>
#include <string_view>
#include <unordered_map>

namespace tsivor::mapdata {

class TShortStringPool {
public:
    // The same bytes as GetShortString(at, n).
    QByteArray Get(const uint8_t* at, int n);

private:
    // Keys look into the bytes of their own value, which never move.
    std::unordered_map<std::string_view, QByteArray> FStrings;
};

} // namespace tsivor::mapdata
