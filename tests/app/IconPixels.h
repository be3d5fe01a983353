#pragma once
// Whether a picture of the icon library is drawn on a map image.

#include <QImage>
#include <QPoint>

namespace tsivor::test {

// Share of the opaque pixels of icon that picture shows with the icon centred at centre
// (within a pixel: the centre may fall between two pixels).
inline double IconPixelsShown(const QImage& picture, const QImage& icon, QPoint centre) {
    const QImage shot = picture.convertToFormat(QImage::Format_ARGB32);
    const QPoint topLeft(centre.x() - icon.width() / 2, centre.y() - icon.height() / 2);
    int opaque = 0, same = 0;
    for (int v = 0; v < icon.height(); ++v)
        for (int u = 0; u < icon.width(); ++u) {
            const QRgb p = icon.pixel(u, v);
            if (qAlpha(p) < 255) continue;
            ++opaque;
            const QPoint at = topLeft + QPoint(u, v);
            for (const QPoint d : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)})
                if (shot.rect().contains(at + d) &&
                    (shot.pixel(at + d) & 0xFFFFFF) == (p & 0xFFFFFF)) {
                    ++same;
                    break;
                }
        }
    return opaque ? double(same) / opaque : 0;
}

} // namespace tsivor::test
