#pragma once
// Smoothed one-pixel outlines of an opaque solid pen drawn straight into the canvas's image,
// pixel for pixel as Qt's smoothing hairline stroker draws them (within a couple of levels of
// rounding), without the cost Qt pays per figure to set up its stroker, path and spans.

#include "mapview/PixelCanvas.h"

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QPointF>
#include <QRect>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tsivor::mapview {

class TSmoothHairlines {
public:
    // The stepper for the canvas as it stands, or nullopt when Qt would not draw its pen as a
    // smoothed hairline the stepper reproduces: the canvas draws smoothed, and Qt strokes its
    // pen straight into the pixels (see THairlineCanvas).
    // read, when given, is what TPixelCanvas::Read gave for the canvas as it stands.
    static std::optional<TSmoothHairlines> For(const QPainter& canvas,
                                               const std::optional<TPixelCanvas>* read = nullptr);

    // Strokes the segments between consecutive points (in the canvas's coordinates); a closed
    // chain also runs from the last point back to the first. The two ends of an open chain
    // reach half a pixel beyond its end points unless the pen's ends are flat.
    void Chain(std::span<const QPoint> pts, bool closed);
    void Chain(std::span<const QPointF> pts, bool closed);

    // Two pixels across a chain that it blends: the first relative to a corner, the second
    // below it (Down) or beside it, and their coverages 0-255.
    struct TCoverPair {
        int16_t Dx, Dy;
        uint8_t First, Second;
        bool Down;
    };
    // What Chain(ring, true) would blend, in the order it would, appended to covers with
    // pixels relative to origin (device pixels), and true; false with covers as they were
    // unless every point of the ring lies a pixel inside the clip. Whole points a stamp's width
    // apart step alike wherever they stand: the replayed covers are the chain's pixels there.
    bool TraceRing(std::span<const QPoint> ring, QPoint origin, std::vector<TCoverPair>& covers);

private:
    // A point in 64ths of a device pixel, cut towards zero, as Qt steps lines.
    struct TFixed {
        int X, Y;
    };

    // The point, which lies within the reach (see ClipToReach), in 64ths.
    static TFixed Fixed(QPointF p);

    TSmoothHairlines() = default;
    template <class TPoint> void StrokeChain(std::span<const TPoint> pts, bool closed);
    // A segment with an end beyond the reach: cut there first.
    void CutSegment(QPointF a, QPointF b, bool capA, bool capB);
    // Cuts the segment where Qt cuts it; false when nothing of it is left.
    bool ClipToReach(QPointF& a, QPointF& b) const;
    void Segment(TFixed a, TFixed b, bool capA, bool capB);
    // From a to b along the major axis (x in the points, whichever axis it is on the canvas).
    template <bool XMajor> void Step(TFixed a, TFixed b, bool capA, bool capB);

    // Where Step records what it blends instead of blending it (TraceRing).
    struct TTrace {
        std::vector<TCoverPair>* Covers;
        QPoint Origin;
    };

    uchar* FBits = nullptr;
    qsizetype FStride = 0;
    QRect FClip;     // device pixels
    QRect FReach;    // the device: Qt cuts lines near it, whatever the clip
    QPointF FOffset; // of the canvas's translation
    uint32_t FColor = 0;
    bool FCaps = true; // ends reach half a pixel beyond open chains
    const TTrace* FTrace = nullptr;
};

} // namespace tsivor::mapview
