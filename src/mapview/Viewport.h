#pragma once
// The window onto the map plane: zoom factor, origin, control size and the conversions between
// map units and device pixels. Headless: the map control owns one and drives it; printing
// swaps the transform the drawing code goes through (TMapTransform).

#include "mapdata/MapDocument.h"
#include "mapdata/MapObject.h"

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace tsivor::mapview {

using mapdata::TMapExtent;
using mapdata::TOrbMapList;
using mapdata::TORBMapPoint;

// Map units to device pixels, as the drawing code sees it.
class TMapTransform {
public:
    virtual ~TMapTransform() = default;
    // Fractional device position of a map point.
    virtual void MapToScreen(float& x, float& y) const = 0;
    // count points into out (room for count), each rounded to the nearest pixel.
    virtual void MapPointsToScreen(const TORBMapPoint* in, int count, QPoint* out) const = 0;
    // As above, but from 6 points on a point repeating the last written pixel is dropped.
    // Returns the number written.
    virtual int MapPointsToScreenCompact(const TORBMapPoint* in, int count, QPoint* out) const = 0;
    // A map rectangle around the device rectangle: a map point beyond one of its sides lands
    // beyond the same side of device. False when this transform cannot give one.
    virtual bool MapRectAround(const QRect& device, float& x0, float& y0, float& x1,
                               float& y1) const {
        (void)device, (void)x0, (void)y0, (void)x1, (void)y1;
        return false;
    }
};

// Directions of ScrollBy: "left" moves the window left over the map, the image moves right.
enum TScrollDirection {
    sdLeft = 0,
    sdUp = 1,
    sdRight = 2,
    sdDown = 3,
    sdLeftUp = 4,
    sdRightUp = 5,
    sdRightDown = 6,
    sdLeftDown = 7,
};

// One ScrollBy call: direction and pixel amounts.
struct TScrollStep {
    TScrollDirection Direction = sdLeft;
    int DX = 0;
    int DY = 0;
    friend bool operator==(const TScrollStep&, const TScrollStep&) = default;
};

// The window's movement in device pixels (negative: left/up); nullopt for an unknown direction.
std::optional<QPoint> ScrollMovement(int direction, int dx, int dy);

// The strips of a control of size that a movement by `move` pixels uncovers: the full-height
// vertical strip first, then the rest of the horizontal one. Empty strips are left out.
std::vector<QRect> UncoveredStrips(QPoint move, QSize size);

class TMapViewport : public TMapTransform {
public:
    TMapViewport();

    // --- state
    double Scale() const { return FScale; } // Scale / 100 pixels per map unit
    // Stores the zoom factor only; FPixelsPerUnit follows at UpdatePixelsPerUnit.
    void StoreScale(double v) { FScale = v; }
    double PixelsPerUnit() const { return FPixelsPerUnit; }
    void UpdatePixelsPerUnit() { FPixelsPerUnit = FScale * 0.01; }
    float DeviceFactor() const { return FDeviceFactor; }
    void SetDeviceFactor(float f) { FDeviceFactor = f; }
    float XWind() const { return FXWind; }
    float YWind() const { return FYWind; }
    void SetOrigin(float x, float y) {
        FXWind = x;
        FYWind = y;
    }
    // The control's client size in pixels: the live size of the control when a source is
    // set (a hidden widget gets no resize events), else the size set here.
    QSize ControlSize() const { return FSizeSource ? FSizeSource() : FControlSize; }
    void SetControlSize(QSize s) { FControlSize = s; }
    void SetSizeSource(std::function<QSize()> source) { FSizeSource = std::move(source); }
    int Width() const { return ControlSize().width(); }
    int Height() const { return ControlSize().height(); }
    // Size of the window in map units.
    float ViewWidth() const { return float(Width() * 100.0 / FScale); }
    float ViewHeight() const { return float(Height() * 100.0 / FScale); }
    int ScaleFind() const { return FScaleFind; } // the largest Scale ZoomToObjects picks
    void SetScaleFind(int v) { FScaleFind = v; }

    // --- conversions (the device factor applies to map-to-screen only)
    void ScreenToMap(float& x, float& y) const;
    void MapToScreen(float& x, float& y) const override;
    void MapPointsToScreen(const TORBMapPoint* in, int count, QPoint* out) const override;
    int MapPointsToScreenCompact(const TORBMapPoint* in, int count, QPoint* out) const override;
    bool MapRectAround(const QRect& device, float& x0, float& y0, float& x1,
                       float& y1) const override;
    QPointF GetViewCenter() const;
    // Origin that puts (x, y) at the view centre at the given scale.
    QPointF OriginCentredOn(float x, float y, double scale) const;

    // --- fitting: the Scale at which a box of dx by dy map units fills the control; a zero
    // extent counts as zeroAs.
    double FitScale(float dx, float dy, float zeroAs) const;

    // --- scrolling
    // The LockScrollOutMap limit: whether a movement by `move` pixels keeps the window within
    // the extent widened by a third of the control width.
    bool ScrollAllowed(QPoint move, const TMapExtent& extent) const;
    void MoveOriginByPixels(QPoint move);
    // What ZoomAt does at an unchanged scale: the scroll steps that bring (x, y) to the centre,
    // or nullopt when the target is a screen or more away (the view is then rebuilt). An empty
    // list means the target already is at the centre.
    std::optional<std::vector<TScrollStep>> ScrollStepsTowards(float x, float y) const;

    // --- clipping and the cheap visibility test of object boxes
    void SetClipRect(float x0, float y0, float x1, float y1);
    // bit 1 left, 2 above, 4 right, 8 below
    int ClipCode(float x, float y) const {
        return (x < FClipMinX ? 1 : 0) | (x > FClipMaxX ? 4 : 0) | (y < FClipMinY ? 2 : 0) |
               (y > FClipMaxY ? 8 : 0);
    }
    bool IsObjectInView(const TOrbMapList& list, int index) const;
    // The same test of the document's object index, read from its column; the record is read
    // only for a box that is not a rectangle on its diagonal.
    bool IsObjectInView(const mapdata::TMapDocument& doc, int index) const {
        if (index < 0 || index >= doc.Column().Count()) return false;
        const mapdata::TObjectColumnEntry& e = doc.Column()[index];
        if ((ClipCode(e.X0, e.Y0) & ClipCode(e.X2, e.Y2)) == 0) return true;
        // Corners 1 and 3 of a rectangle share their outside sides with corners 0 and 2.
        return !e.Rectangle && IsObjectInView(doc.Objects, index);
    }

private:
    double FScale = 100.0;
    double FPixelsPerUnit = 1.0;
    float FDeviceFactor = 1.0f;
    float FXWind = 0, FYWind = 0;
    QSize FControlSize;
    std::function<QSize()> FSizeSource;
    int FScaleFind = 800;
    float FClipMinX = 0, FClipMinY = 0, FClipMaxX = 0, FClipMaxY = 0;
};

} // namespace tsivor::mapview
