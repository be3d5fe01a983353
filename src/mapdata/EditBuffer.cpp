#include "mapdata/EditBuffer.h"

namespace tsivor::mapdata {

void TEditBuffer::Reset() {
    Object = TORBMapObjectMem{};
    Text = TORBMapText{};
    Address = TAdres{};
}

void ApplyNewObjectStyle(TORBMapObjectMem& o) {
    o.Pen = TORBMapPen{0x00FFFFFF, 0, 0, 0};
    o.Brush = TORBMapBrush{0, 1};
    o.Alpha = 255;
}

} // namespace tsivor::mapdata
