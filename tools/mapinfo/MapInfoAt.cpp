#include "MapInfoAt.h"

#include "MapInfoJson.h"

#include "mapview/DataMap.h"

#include <QJsonArray>

namespace tsivor::mapinfo {

using namespace mapdata;

QJsonObject ObjectAtJson(mapview::TDataMap& map, float x, float y) {
    const int index = map.ObjectAtPoint(x, y);
    QJsonArray found;
    for (int i : map.FoundObjects) found.append(i);
    QJsonObject j{{"index", index}, {"found", found}};
    const TORBMapObjectMem* o = map.Object(index);
    if (!o) {
        for (const char* key : {"ObjectType", "Layer", "Category", "Address"})
            j[key] = QJsonValue::Null;
        return j;
    }
    j["ObjectType"] = o->ObjectType;
    j["Layer"] = o->Layer;
    j["Category"] = o->Category;
    j["Address"] = o->HasAddress == 1 && o->Address
                       ? QJsonValue(AddressToJson(map.DecodeAddress(*o)))
                       : QJsonValue(QJsonValue::Null);
    return j;
}

} // namespace tsivor::mapinfo
