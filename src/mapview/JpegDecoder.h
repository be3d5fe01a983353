#pragma once
// JPEG pictures of bitmap objects, decoded with libjpeg at a reduced size when they are
// shown small.

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace tsivor::mapview {

// The reduction 1, 2, 4 or 8 for a picture shown at ratio r = shown width / image width:
// full size above 1/2, half above 1/4, quarter above 1/8, else eighth.
int JpegReductionForRatio(double r);

// The stored size of a JPEG picture; an invalid size when the data is no readable JPEG.
QSize JpegImageSize(const QByteArray& data);

// Decodes with the fast DCT at 1/reduction of the size (reduction 1, 2, 4 or 8). A null image
// when the data is damaged or in a colour space that cannot be shown.
QImage DecodeJpeg(const QByteArray& data, int reduction = 1);

} // namespace tsivor::mapview
