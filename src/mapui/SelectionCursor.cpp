#include "mapui/SelectionCursor.h"

#include "mapview/SelectionOverlay.h"

#include <array>

namespace tsivor::mapui {

using namespace mapview;

std::optional<TCursor> HandleCursor(const TDataMap& map, QPoint pos) {
    if (!map.SelectedObject() || !map.BufferLoaded() || !HandlesShown(map)) return std::nullopt;
    const TSelectionHandles h = SelectionHandles(map);
    const int size = map.Options().SizeRect();
    auto hit = [&](QPoint handle) { return HandleHit(handle, pos, size); };
    switch (map.EditMode()) {
    case emRotate:
        if (h.CentreShown && hit(h.Centre)) return crSizeAll;
        for (QPoint c : h.Corners)
            if (hit(c)) return crRotate;
        break;
    case emNodes:
        for (QPoint n : h.Nodes)
            if (hit(n)) return crMovePixel;
        break;
    case emResize: {
        // Clockwise from the top-left corner, as the handles are numbered.
        static constexpr std::array<TCursor, 8> kResize{crSizeNWSE, crSizeNS, crSizeNESW, crSizeWE,
                                                        crSizeNWSE, crSizeNS, crSizeNESW, crSizeWE};
        for (size_t i = 0; i < h.Resize.size(); ++i)
            if (hit(h.Resize[i])) return kResize[i];
        break;
    }
    }
    return std::nullopt;
}

} // namespace tsivor::mapui
