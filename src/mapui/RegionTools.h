#pragma once
// The selection tools without editing: iPick chooses the object under the pointer, iRegion
// and iRegionRect select the objects lying inside a drawn outline.

#include "mapui/MapTool.h"

#include <vector>

namespace tsivor::mapui {

// Adds index to the selection unless it is there already.
void AddSelected(std::vector<int>& selection, int index);
// Removes index when present, else appends it.
void ToggleSelected(std::vector<int>& selection, int index);

// iPick: the object under the pointer becomes the selected one, its undo recording armed.
class TPickTool final : public TMapTool {
public:
    using TMapTool::TMapTool;
    void Press(TMouseButton button) override;

private:
    // The slot of editing: with mpEdit on, the handle and node tests (and the object drags of
    // Move) take the press before it selects. Until editing plugs in, none does.
    bool HandlePress(TMouseButton /*button*/) { return false; }
};

// The outline of a selection region in map units and the selection it makes.
class TSelectionRegion : public TMapTool {
public:
    using TMapTool::TMapTool;

    void Cancel() override;
    void PaintOverlay(QPainter& canvas) override;
    const std::vector<mapdata::TORBMapPoint>& Points() const { return FRegionPoints; }

protected:
    // Selects what lies inside, then fires OnRegion.
    void RegionChanged();
    // Only for a host that listens: selects, then fires OnAfterRegion.
    void RegionFinished();
    // Objects whose box has its minimum and maximum corner inside the outline.
    void SelectObjectsInRegion();
    mapdata::TORBMapPoint MousePoint() const;

    std::vector<mapdata::TORBMapPoint> FRegionPoints;
};

// iRegion: a polygon clicked point by point; the last vertex follows the pointer.
class TRegionTool final : public TSelectionRegion {
public:
    using TSelectionRegion::TSelectionRegion;
    void Press(TMouseButton button) override;
    void Move() override;
    bool DoubleClick() override;
    bool MovesAfterRightPress() const override { return true; }
};

// iRegionRect: a rectangle dragged from the press to the release.
class TRegionRectTool final : public TSelectionRegion {
public:
    using TSelectionRegion::TSelectionRegion;
    void Press(TMouseButton button) override;
    void Move() override;
    void Release(TMouseButton button) override;
};

} // namespace tsivor::mapui
