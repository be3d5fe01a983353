#include "MapStyle.h"

#include <algorithm>

namespace tsivor::sample {
namespace {

// The local centre is the box centre, children included.
void Centre(mapdata::TORBMapObjectMem& o) {
    o.CenterX = (o.Box[0].X + o.Box[2].X) / 2;
    o.CenterY = (o.Box[0].Y + o.Box[2].Y) / 2;
    if (o.Children)
        for (auto& c : *o.Children) Centre(*c);
}

} // namespace

float StreetLabelSize(float width) {
    return std::clamp(width, 9.f, 22.f);
}

mapdata::TORBMapObjectMem& AppendObject(mapdata::TMapDocument& doc, mapdata::TOrbMapObjectPtr o) {
    doc.CalcObjectBox(*o);
    Centre(*o);
    return doc.Append(std::move(o));
}

} // namespace tsivor::sample
