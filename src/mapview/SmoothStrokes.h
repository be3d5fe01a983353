#pragma once
// Smoothed wide strokes of an opaque solid pen with round joins, computed straight into the
// canvas's image: the stroke is every point within half the pen's width of the chain, and a
// pixel takes the share of its square the nearest segment's stroke covers. Square and flat
// caps end the stroke straight across, half the width beyond its ends or at them; a pixel
// there takes the share beside the segment times the share within its end.
// Qt's stroker and smoothing rasteriser cost with the square of a stroke's extent along the
// rows; this costs with the pixels the stroke touches.

#include "mapview/PixelCanvas.h"

#include <QPainter>
#include <QPoint>
#include <QPointF>

#include <cstdint>
#include <optional>
#include <span>

namespace tsivor::mapview {

class TSmoothStrokes {
public:
    // What else a caller strokes with them: the dashes of a dashed pen, each stroked as a
    // chain of its own.
    enum class TAlso { Nothing, Dashes };

    // The strokes for the canvas as it stands, or nullopt when its pen is not solid (dashed,
    // for Dashes), opaque, wider than one pixel with round joins in one colour, or its pixels
    // cannot be written straight (see TPixelCanvas). read, when given, is what
    // TPixelCanvas::Read gave for the canvas as it stands.
    static std::optional<TSmoothStrokes> For(const QPainter& canvas,
                                             const std::optional<TPixelCanvas>* read = nullptr,
                                             TAlso also = TAlso::Nothing);

    // Whether a stroke through the points could touch the clip.
    bool Reaches(std::span<const QPointF> pts) const;

    // Strokes the open chain through the points (in the canvas's coordinates). Each pixel is
    // blended once, however many segments reach it.
    void Chain(std::span<const QPoint> pts) const;
    void Chain(std::span<const QPointF> pts) const;
    // Strokes the chain of cubic curves through the points (3 n + 1 of them), along segments
    // within a tenth of a pixel of them.
    void Curves(std::span<const QPoint> pts) const;

private:
    explicit TSmoothStrokes(const TPixelCanvas& canvas) : FCanvas(canvas) {}
    // flat: the chain's ends are straight across.
    template <class TPoint> void Stroke(std::span<const TPoint> pts, bool flat) const;
    // Strokes the chain with straight ends, carried on beyond them by FBeyond.
    template <class TPoint> void StraightEnds(std::span<const TPoint> pts) const;

    TPixelCanvas FCanvas;
    double FRadius = 0; // half the pen's width
    uint32_t FColor = 0;
    bool FRoundEnds = true;
    double FBeyond = 0; // how far square caps reach beyond the ends
};

} // namespace tsivor::mapview
