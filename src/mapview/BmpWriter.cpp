#include "mapview/BmpWriter.h"

#include <QtEndian>

namespace tsivor::mapview {

namespace {

void Put16(QByteArray& out, uint16_t v) {
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void Put32(QByteArray& out, uint32_t v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

int BitsOf(TPixelFormat f) {
    switch (f) {
    case pf16bit:
        return 16;
    case pf24bit:
        return 24;
    case pf32bit:
        return 32;
    }
    return 24;
}

} // namespace

QByteArray EncodeBmp(const QImage& source, TPixelFormat format) {
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const int w = image.width(), h = image.height();
    const int bits = BitsOf(format);
    const int rowBytes = ((w * bits + 31) / 32) * 4;
    const uint32_t pixelBytes = uint32_t(rowBytes) * uint32_t(h);
    constexpr uint32_t kHeaders = 14 + 40;

    QByteArray out;
    out.reserve(int(kHeaders + pixelBytes));
    out.append("BM", 2);
    Put32(out, kHeaders + pixelBytes);
    Put32(out, 0);
    Put32(out, kHeaders);
    Put32(out, 40);
    Put32(out, uint32_t(w));
    Put32(out, uint32_t(h)); // positive: bottom-up
    Put16(out, 1);
    Put16(out, uint16_t(bits));
    Put32(out, 0); // BI_RGB
    Put32(out, pixelBytes);
    Put32(out, 3780); // 96 dpi
    Put32(out, 3780);
    Put32(out, 0);
    Put32(out, 0);

    QByteArray row(rowBytes, '\0');
    for (int y = h - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        char* p = row.data();
        for (int x = 0; x < w; ++x) {
            const QRgb c = line[x];
            switch (format) {
            case pf16bit: {
                const uint16_t v =
                    uint16_t(((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3));
                qToLittleEndian(v, p);
                p += 2;
                break;
            }
            case pf24bit:
                *p++ = char(qBlue(c));
                *p++ = char(qGreen(c));
                *p++ = char(qRed(c));
                break;
            case pf32bit:
                *p++ = char(qBlue(c));
                *p++ = char(qGreen(c));
                *p++ = char(qRed(c));
                *p++ = 0;
                break;
            }
        }
        out.append(row);
    }
    return out;
}

bool WriteBmp(QIODevice& device, const QImage& image, TPixelFormat format) {
    const QByteArray bytes = EncodeBmp(image, format);
    return device.write(bytes) == bytes.size();
}

} // namespace tsivor::mapview
