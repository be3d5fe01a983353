#pragma once
// Aliased one-pixel outlines of an opaque solid pen written straight into the canvas's image,
// pixel for pixel as Qt's cosmetic stroker writes them, without what Qt pays per call to set up
// its state, its path and its stroker.

#include "mapview/HairlineCanvas.h"

#include <QPainter>
#include <QPoint>
#include <QRect>

#include <climits>
#include <cstdint>
#include <optional>
#include <span>

namespace tsivor::mapview {

class TPlainHairlines {
public:
    // The stepper for the canvas as it stands, or nullopt when Qt would not write its pen
    // straight into the pixels as an aliased hairline: the canvas draws without smoothing, and
    // see THairlineCanvas.
    // read, when given, is what TPixelCanvas::Read gave for the canvas as it stands.
    static std::optional<TPlainHairlines> For(const QPainter& canvas,
                                              const std::optional<TPixelCanvas>* read = nullptr);

    // Draws what the canvas draws for drawPolyline (closed false) or for the outline of
    // drawPolygon (closed true) of the points, in the canvas's coordinates.
    void Chain(std::span<const QPoint> pts, bool closed);

private:
    enum TCaps { kCapStart = 1, kCapEnd = 2 };
    // The way a line was stepped; opposite ways along one axis differ in one of the mask's bits.
    enum TDirection : int { kNoDirection = 0, kDown = 1, kUp = 2, kRight = 4, kLeft = 8 };
    static constexpr int kVerticalMask = kDown | kUp, kHorizontalMask = kRight | kLeft;
    static constexpr int kNone = INT_MIN;
    struct TPixel {
        int X = kNone, Y = kNone;
        friend bool operator==(const TPixel&, const TPixel&) = default;
    };

    // Translations by whole pixels up to this far are stepped in whole numbers.
    static constexpr double kMaxShift = 1 << 20;

    explicit TPlainHairlines(const THairlineCanvas& canvas);

    // One segment as Qt strokes it: the pixel joined to the last segment's end pixel is not
    // drawn twice, a corner left open is closed, and the end pixel is remembered for the next.
    // False when the segment is too short to move the chain on (Qt then strokes the next one
    // from the same start).
    bool Line(QPointF a, QPointF b, int caps);
    // Chain for a translation by whole pixels; ring and caps as Chain found them.
    void WholeChain(std::span<const QPoint> pts, bool closed, bool ring, int caps);
    // A segment without ends between whole device pixels within FReach, in whole numbers.
    void WholeSegment(QPoint a, QPoint b);
    template <bool Vertical> void WholeStep(int a1, int b1, int a2, int b2);
    bool Reached(QPoint p) const {
        return p.x() >= FReach.left() && p.x() <= FReach.right() && p.y() >= FReach.top() &&
               p.y() <= FReach.bottom();
    }
    // The segment in 26.6 along (a) and across (b) its major axis; false when it draws nothing.
    template <bool Vertical> bool Step(int a1, int b1, int a2, int b2, int caps);
    // What follows once a segment's run of pixels, its first and its last pixel are known:
    // Qt's mending of the joint with the last segment, then the pixels.
    template <bool Vertical>
    void Join(int a, int end, int64_t b, int64_t inc, TPixel first, TPixel last, int dir,
              bool swapped);
    // The end pixel and direction of the closing segment, as if it had been drawn before the
    // first one.
    void Closing(QPointF a, QPointF b);
    template <bool Vertical> void ClosingEnd(int a1, int b1, int a2, int b2);
    // Cuts the segment to a pixel beyond the device, as Qt cuts it whatever the clip; true when
    // nothing is left. A cut end forgets the end pixel.
    bool CutToDevice(double& x1, double& y1, double& x2, double& y2);
    // Pixels along the major axis from a, count of them (at least one); the minor coordinate
    // in 16.16 starts at b and grows by inc.
    template <bool Vertical> void Run(int a, int count, int64_t b, int64_t inc) const;

    THairlineCanvas F;
    QRect FReach;        // the device and the pixels Qt keeps around it
    bool FWhole = false; // the translation is one of whole pixels, FShift
    QPoint FShift;
    TPixel FLast;
    int FLastDir = kNoDirection;
    bool FLastAxisAligned = false;
};

} // namespace tsivor::mapview
