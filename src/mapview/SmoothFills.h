#pragma once
// Smoothed fills of an opaque solid brush, or of a hatch or dense pattern of an opaque colour
// (see TBrushPattern), computed straight into the canvas's image: a pixel takes the share of
// its square inside the figure by the odd-even rule, found row by row from the signed areas
// the edges leave in the cells they cross. Qt's smoothing rasteriser works
// through the whole height of a figure, clip or not; this works through the rows that show.

#include "mapview/BrushPattern.h"
#include "mapview/PixelCanvas.h"

#include <QPainter>
#include <QPoint>
#include <QPointF>

#include <cstdint>
#include <optional>
#include <span>

namespace tsivor::mapview {

class TSmoothFills {
public:
    // The fills for the canvas as it stands, or nullopt when its brush is neither solid and
    // opaque nor a pattern TBrushPattern lays, or its pixels cannot be written straight (see
    // TPixelCanvas). The pen is not looked at.
    static std::optional<TSmoothFills> For(const QPainter& canvas);

    // Fills the ring through the points (in the canvas's coordinates) by the odd-even rule.
    void OddEven(std::span<const QPoint> ring) const;
    void OddEven(std::span<const QPointF> ring) const;

private:
    explicit TSmoothFills(const TPixelCanvas& canvas) : FCanvas(canvas) {}
    template <class TPoint> void FillOddEven(std::span<const TPoint> ring) const;

    // Draws device pixels from..to of row y with coverage 1-255.
    void Paint(int y, int from, int to, uint32_t coverage) const;

    TPixelCanvas FCanvas;
    uint32_t FColor = 0;
    std::optional<TBrushPattern> FPattern; // painted instead of the solid colour
};

} // namespace tsivor::mapview
