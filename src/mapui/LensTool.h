#pragma once
// iLinza: a left click zooms in around the clicked point, a left drag zooms to the dragged
// frame, a right click zooms out around the clicked point.

#include "mapui/MapTool.h"

namespace tsivor::mapui {

class TLensTool final : public TMapTool {
public:
    using TMapTool::TMapTool;

    static constexpr double kMaxScale = 20000;

    void Press(TMouseButton button) override;
    void Move() override;

    // The release of any button while the frame is dragged (whatever the tool is by then).
    void Finish();
    bool Dragging() const { return FLensDragging; }
    // The frame, drawn above everything else while a drag lasts.
    void PaintFrame(QPainter& canvas) const;

private:
    double Step(double scale) const;

    bool FLensDragging = false;
    QPointF FLensStart, FLensEnd; // map units
};

} // namespace tsivor::mapui
