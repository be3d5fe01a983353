#pragma once
// iMeasure: the user clicks a polyline onto the map whose last point follows the pointer;
// after every change the map reports the ground length of the whole line and of its last
// segment (OnMeasure) and draws the line with the last segment's length along it.

#include "mapui/MapTool.h"

#include <QString>

#include <span>
#include <vector>

namespace tsivor::mapui {

// Ground length in metres of a polyline in map units on a map of scale 1:mashtab.
float PolylineLength(std::span<const mapdata::TORBMapPoint> points, int32_t mashtab);
// "L= 1000,0 m": one decimal with the system's decimal separator.
QString MeasureLabel(double metres);

// Where and at what angle the label of a segment from a to b (pixels) is written inside a
// control of size: the segment is first cut to its visible part.
struct TMeasureLabelPlace {
    QPointF Origin;   // the text's top-left reference corner
    double Angle = 0; // degrees counter-clockwise on the screen, never upside down
};
TMeasureLabelPlace MeasureLabelPlace(QPointF a, QPointF b, QSize size, double textWidth);

class TMeasureTool final : public TMapTool {
public:
    using TMapTool::TMapTool;

    void Press(TMouseButton button) override;
    void Move() override;
    bool DoubleClick() override; // empties the line without a report
    void Cancel() override;
    void PaintOverlay(QPainter& canvas) override;
    bool MovesAfterRightPress() const override { return true; }

    const std::vector<mapdata::TORBMapPoint>& Points() const { return FMeasurePoints; }

private:
    void MeasureChanged();

    std::vector<mapdata::TORBMapPoint> FMeasurePoints; // empty or at least two
};

} // namespace tsivor::mapui
