#pragma once
// Smoothed fills of a solid brush, or of a hatch or dense pattern of an opaque colour (see
// TBrushPattern), computed straight into the canvas's image by the odd-even rule with the
// pixels Qt's smoothing rasteriser gives them. Like Qt, a ring is taken to 1/64 of a pixel, its
// edges leave integer areas and covers in the cells of 1/256 of a pixel they cross, stepped
// from each edge's first point with Qt's rounding, and a solid colour is blended as Qt's
// span functions blend it, at the canvas's opacity. Qt works through the whole height of a
// figure, clip or not; this works through the rows that show.

#include "mapview/BrushPattern.h"
#include "mapview/PixelCanvas.h"

#include <QPainter>
#include <QPoint>
#include <QPointF>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tsivor::mapview {

class TSmoothFills {
public:
    // The fills for the canvas as it stands, or nullopt when it does not draw smoothed, its
    // brush is neither solid nor (at full opacity) a pattern TBrushPattern lays, or its pixels
    // cannot be written straight (see TPixelCanvas; any opacity is taken here). The pen is not
    // looked at.
    // read, when given, is what TPixelCanvas::Read gave for the canvas as it stands.
    static std::optional<TSmoothFills> For(const QPainter& canvas,
                                           const std::optional<TPixelCanvas>* read = nullptr);

    // Fills the ring through the points (in the canvas's coordinates) by the odd-even rule.
    // False, drawing nothing, for a ring Qt does not fill by its smoothing rasteriser: an
    // upright rectangle from its top left corner clockwise, or one reaching beyond the
    // coordinates Qt's fixed point holds, which Qt cuts to the device first.
    bool OddEven(std::span<const QPoint> ring) const;
    bool OddEven(std::span<const QPointF> ring) const;

    // Length pixels of a row from a corner, as OddEven paints them at coverage Level.
    struct TSpan {
        int16_t Dx, Dy, Length;
        uint8_t Level;
    };
    // As OddEven, whatever the colour, the spans appended to spans from corner rather than
    // painted. Whole-pixel points moved by whole pixels give the same spans, so far as the
    // ring stays within the clip.
    bool Trace(std::span<const QPoint> ring, QPoint corner, std::vector<TSpan>& spans) const;
    // Paints spans that Trace gave, from corner, as OddEven paints them.
    void Replay(std::span<const TSpan> spans, QPoint corner) const;

private:
    explicit TSmoothFills(const TPixelCanvas& canvas) : FCanvas(canvas) {}
    // Calls paint(line, y, from, to, level) for the spans of the ring's fill within the clip;
    // visible false skips them where nothing would show.
    template <class TPoint, class TPaint>
    bool Rasterise(std::span<const TPoint> ring, bool visible, const TPaint& paint) const;
    // OddEven in the canvas's colour or pattern.
    template <class TPoint> bool Fill(std::span<const TPoint> ring) const;
    // Calls each(paint) with the function that paints a span in the canvas's colour or pattern.
    template <class TEach> void WithPaint(const TEach& each) const;

    TPixelCanvas FCanvas;
    uint32_t FColor = 0;                   // premultiplied, with the canvas's opacity
    std::optional<TBrushPattern> FPattern; // painted instead of the solid colour
};

} // namespace tsivor::mapview
