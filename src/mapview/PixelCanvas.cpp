#include "mapview/PixelCanvas.h"

#include "mapdata/Rounding.h"

#include <QImage>
#include <QPaintEngine>
#include <QRegion>

#include <cmath>

namespace tsivor::mapview {

using mapdata::RoundToInt;

namespace {

// Qt's rasterisers work in fixed point up to this many pixels.
constexpr int kMaxSide = (1 << 15) - 1;

// The canvas's clip in device pixels: the device when it has none, nullopt unless it is one
// rectangle of whole pixels.
std::optional<QRect> DeviceClip(const QPainter& canvas, const QRect& device,
                                const QTransform& toDevice) {
    if (!canvas.hasClipping()) return device;
    if (canvas.clipRegion().rectCount() != 1) return std::nullopt;
    // The bounds keep fractions a region in canvas coordinates would round away.
    const QRectF bounds = toDevice.mapRect(canvas.clipBoundingRect());
    const QRect whole(QPoint(RoundToInt(bounds.left()), RoundToInt(bounds.top())),
                      QPoint(RoundToInt(bounds.right()) - 1, RoundToInt(bounds.bottom()) - 1));
    if (std::abs(bounds.left() - whole.left()) > 1e-9 ||
        std::abs(bounds.top() - whole.top()) > 1e-9 ||
        std::abs(bounds.right() - (whole.right() + 1)) > 1e-9 ||
        std::abs(bounds.bottom() - (whole.bottom() + 1)) > 1e-9)
        return std::nullopt;
    return whole & device;
}

bool DrawsOver(const QPainter& canvas, bool anyOpacity) {
    return canvas.isActive() && (anyOpacity || canvas.opacity() >= 1) &&
           canvas.compositionMode() == QPainter::CompositionMode_SourceOver;
}

} // namespace

std::optional<TPixelCanvas> TPixelCanvas::Of(const QPainter& canvas) {
    return DrawsOver(canvas, false) ? Read(canvas) : std::nullopt;
}

std::optional<TPixelCanvas> TPixelCanvas::AtAnyOpacity(const QPainter& canvas) {
    return DrawsOver(canvas, true) ? Read(canvas) : std::nullopt;
}

std::optional<TPixelCanvas> TPixelCanvas::Still(const QPainter& canvas,
                                                const std::optional<TPixelCanvas>& read,
                                                bool anyOpacity) {
    return DrawsOver(canvas, anyOpacity) ? read : std::nullopt;
}

const std::optional<TPixelCanvas>& TPixelCanvasRead::Of(const QPainter& canvas) {
    if (!FRead) {
        FPixels = TPixelCanvas::Read(canvas);
        FRead = true;
    }
    if (!FPixels) return FPixels;
    // Qt keeps the clip in device pixels, however the canvas moves after.
    const QTransform& toDevice = canvas.deviceTransform();
    if (toDevice.type() > QTransform::TxTranslate) return FNone;
    FPixels->Offset = QPointF(toDevice.dx(), toDevice.dy());
    return FPixels;
}

std::optional<TPixelCanvas> TPixelCanvas::Read(const QPainter& canvas) {
    if (!canvas.isActive()) return std::nullopt;
    QPaintDevice* device = canvas.device();
    if (!device || device->devType() != QInternal::Image || !canvas.paintEngine() ||
        canvas.paintEngine()->type() != QPaintEngine::Raster)
        return std::nullopt;
    auto* image = static_cast<QImage*>(device);
    if (image->devicePixelRatio() != 1 || image->width() > kMaxSide || image->height() > kMaxSide ||
        (image->format() != QImage::Format_RGB32 &&
         image->format() != QImage::Format_ARGB32_Premultiplied))
        return std::nullopt;
    const QTransform toDevice = canvas.deviceTransform();
    if (toDevice.type() > QTransform::TxTranslate) return std::nullopt;
    const auto clip = DeviceClip(canvas, image->rect(), toDevice);
    if (!clip) return std::nullopt;

    TPixelCanvas c;
    // Writes go where the painter's own go: the image is not detached while painted on.
    c.Bits = const_cast<uchar*>(image->constBits());
    c.Stride = image->bytesPerLine();
    c.Device = image->rect();
    c.Clip = *clip;
    c.Offset = QPointF(toDevice.dx(), toDevice.dy());
    return c;
}

} // namespace tsivor::mapview
