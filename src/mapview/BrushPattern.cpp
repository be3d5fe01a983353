#include "mapview/BrushPattern.h"

#include "mapview/PixelCanvas.h"

#include <QBrush>
#include <QImage>
#include <QPaintEngine>
#include <QTransform>

#include <bit>

namespace tsivor::mapview {

namespace {

constexpr int kFirstStyle = Qt::Dense1Pattern, kLastStyle = Qt::DiagCrossPattern;
using TTile = std::array<uint8_t, 8>; // per row, bit x set where column x is painted

// The tiles as Qt paints them, asked of Qt once: each style filled over an 8 x 8 image at
// the image's own origin.
const TTile& QtTile(Qt::BrushStyle style) {
    static const auto tiles = [] {
        std::array<TTile, kLastStyle - kFirstStyle + 1> all{};
        QImage img(8, 8, QImage::Format_ARGB32_Premultiplied);
        for (int s = kFirstStyle; s <= kLastStyle; ++s) {
            img.fill(Qt::transparent);
            {
                QPainter p(&img);
                p.fillRect(img.rect(), QBrush(Qt::black, Qt::BrushStyle(s)));
            }
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    if (qAlpha(img.pixel(x, y)) != 0)
                        all[size_t(s - kFirstStyle)][size_t(y)] |= 1 << x;
        }
        return all;
    }();
    return tiles[size_t(style - kFirstStyle)];
}

// The canvas's brush origin as Qt's engine uses it: QPainter::brushOrigin() gives it rounded,
// its engine's state holds it as set.
QPointF BrushOrigin(const QPainter& canvas) {
    struct TStateOf : QPaintEngine {
        static const QPaintEngineState* Of(const QPaintEngine& engine) {
            return engine.*(&TStateOf::state);
        }
    };
    const QPaintEngine* engine = canvas.paintEngine();
    const QPaintEngineState* state = engine ? TStateOf::Of(*engine) : nullptr;
    return state ? state->brushOrigin() : QPointF(canvas.brushOrigin());
}

} // namespace

std::optional<TBrushPattern> TBrushPattern::For(const QPainter& canvas) {
    const QBrush& brush = canvas.brush();
    if (brush.style() < kFirstStyle || brush.style() > kLastStyle || brush.color().alpha() != 255 ||
        brush.transform().type() != QTransform::TxNone ||
        canvas.backgroundMode() != Qt::TransparentMode)
        return std::nullopt;
    QTransform toBrush = canvas.deviceTransform();
    if (toBrush.type() > QTransform::TxTranslate) return std::nullopt;
    const QPointF origin = BrushOrigin(canvas);
    toBrush.translate(origin.x(), origin.y());
    // Qt starts the tile at the brush's device origin rounded half away from zero (not the
    // program's rounding rule), whatever part of a pixel the figure is moved by.
    const int dx = qRound(toBrush.dx()), dy = qRound(toBrush.dy());
    const TTile& tile = QtTile(brush.style());
    TBrushPattern pattern;
    for (int y = 0; y < 8; ++y) {
        const uint32_t row = tile[size_t((y - dy) & 7)];
        const int turn = dx & 7; // device column x shows tile column x - dx
        pattern.FRows[size_t(y)] = uint8_t((row << turn | row >> (8 - turn)) & 0xff);
    }
    pattern.FColor = 0xff000000u | (brush.color().rgb() & 0xffffffu);
    return pattern;
}

void TBrushPattern::Paint(uint32_t* line, int y, int from, int to, uint32_t coverage) const {
    if (from > to) return;
    const uint32_t bits = FRows[size_t(y & 7)];
    if (bits == 0) return;
    // The colour as a local: stores to the line could otherwise be to the member.
    const uint32_t color = FColor;
    if (coverage >= 255) {
        if (from == to) { // most runs are single edge pixels
            if ((bits >> (from & 7)) & 1) line[from] = color;
        } else if (bits == 0xff) {
            FillPixels(line + from, size_t(to - from + 1), color);
        } else {
            // Each painted column of the tile every eighth pixel along, four at a time.
            for (uint32_t columns = bits; columns != 0; columns &= columns - 1) {
                int x = from + ((std::countr_zero(columns) - from) & 7);
                for (; x + 24 <= to; x += 32) {
                    line[x] = color;
                    line[x + 8] = color;
                    line[x + 16] = color;
                    line[x + 24] = color;
                }
                for (; x <= to; x += 8) line[x] = color;
            }
        }
        return;
    }
    // SourceOver of the colour times the coverage, as Qt blends a textured span.
    const uint32_t ink = ByteMul(color, coverage), rest = 255 - coverage;
    for (int x = from; x <= to; ++x)
        if ((bits >> (x & 7)) & 1) line[x] = ink + ByteMul(line[x], rest);
}

} // namespace tsivor::mapview
