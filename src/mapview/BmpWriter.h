#pragma once
// Uncompressed bitmap files (BMP) of rendered map pictures.

#include <QByteArray>
#include <QIODevice>
#include <QImage>

namespace tsivor::mapview {

// Pixel formats of exported pictures: 16 bits (5-5-5), 24 bits, 32 bits per pixel.
enum TPixelFormat { pf16bit, pf24bit, pf32bit };

// The complete BMP file of image (bottom-up rows, BI_RGB, rows padded to 4 bytes).
QByteArray EncodeBmp(const QImage& image, TPixelFormat format);
// Writes the file to the device; false when the device refuses a byte.
bool WriteBmp(QIODevice& device, const QImage& image, TPixelFormat format);

} // namespace tsivor::mapview
