#include "mapdata/MapLegacyReader.h"

namespace tsivor::mapdata {

void ReadLegacyObjects(TByteReader&, int32_t, TMapDocument&, TLoadProgress&, TLoadReport&) {}

} // namespace tsivor::mapdata
