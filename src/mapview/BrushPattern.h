#pragma once
// Qt's hatch and dense brush patterns (Qt::Dense1Pattern to Qt::DiagCrossPattern) laid on the
// device as Qt's raster engine lays them: the 8 x 8 tile repeats from the device point the
// painter's translation and brush origin lead to, rounded to whole pixels. A pixel where the
// tile has a set bit takes the brush's colour with the coverage it is drawn with; the others
// keep what they have, as with a transparent background.

#include <QPainter>

#include <array>
#include <cstdint>
#include <optional>

namespace tsivor::mapview {

class TBrushPattern {
public:
    // The pattern of the canvas's brush as it lies on the device, or nullopt unless the brush
    // is a hatch or dense pattern of an opaque colour without a transform of its own, the
    // background mode is transparent and the canvas is moved at most by a translation.
    static std::optional<TBrushPattern> For(const QPainter& canvas);

    // Draws device pixels from..to (inclusive) of device row y, whose pixel 0 is line[0], with
    // coverage 1-255 (255 full).
    void Paint(uint32_t* line, int y, int from, int to, uint32_t coverage) const;

private:
    TBrushPattern() = default;

    // Per device row modulo 8, bit x & 7 set where column x is painted.
    std::array<uint8_t, 8> FRows{};
    uint32_t FColor = 0;
};

} // namespace tsivor::mapview
