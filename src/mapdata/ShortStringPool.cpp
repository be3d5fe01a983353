#include "mapdata/ShortStringPool.h"

#include "mapdata/MapObject.h"

#include <algorithm>

namespace tsivor::mapdata {

QByteArray TShortStringPool::Get(const uint8_t* at, int n) {
    const int len = std::min<int>(at[0], n);
    if (len == 0) return QByteArray(reinterpret_cast<const char*>(at + 1), 0);
    const std::string_view bytes(reinterpret_cast<const char*>(at + 1), size_t(len));
    if (const auto found = FStrings.find(bytes); found != FStrings.end()) return found->second;
    QByteArray kept = GetShortString(at, n);
    const std::string_view key(kept.constData(), size_t(kept.size()));
    return FStrings.emplace(key, std::move(kept)).first->second;
}

} // namespace tsivor::mapdata
