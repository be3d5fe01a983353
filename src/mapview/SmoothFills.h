#pragma once
// Smoothed fills of an opaque solid brush computed straight into the canvas's image: a pixel
// takes the share of its square inside the figure by the odd-even rule, found row by row from
// the signed areas the edges leave in the cells they cross. Qt's smoothing rasteriser works
// through the whole height of a figure, clip or not; this works through the rows that show.

#include "mapview/PixelCanvas.h"

#include <QPainter>
#include <QPoint>

#include <cstdint>
#include <optional>
#include <span>

namespace tsivor::mapview {

class TSmoothFills {
public:
    // The fills for the canvas as it stands, or nullopt when its brush is not solid and opaque
    // or its pixels cannot be written straight (see TPixelCanvas). The pen is not looked at.
    static std::optional<TSmoothFills> For(const QPainter& canvas);

    // Fills the ring through the points (in the canvas's coordinates) by the odd-even rule.
    void OddEven(std::span<const QPoint> ring) const;

private:
    explicit TSmoothFills(const TPixelCanvas& canvas) : FCanvas(canvas) {}

    TPixelCanvas FCanvas;
    uint32_t FColor = 0;
};

} // namespace tsivor::mapview
