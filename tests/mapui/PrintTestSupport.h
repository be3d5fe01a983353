#pragma once
// A small map to print and the measuring of printed pages.

#include "../mapview/RenderTestSupport.h"
#include "mapui/MapPrint.h"

#include <QImage>
#include <QRect>

#include <optional>

namespace printtest {

using namespace tsivor::mapui;
using rendertest::AddRect;
using rendertest::PixelColor;
using rendertest::TColor;

constexpr int kDpi = 200;
// A4 at kDpi: 210 × 297 mm.
inline QSize A4Pixels(int dpi = kDpi) {
    return QSize(int(std::lround(210 / 25.4 * dpi)), int(std::lround(297 / 25.4 * dpi)));
}
inline double Mm(int pixels, int dpi = kDpi) {
    return pixels * 25.4 / dpi;
}

// A 400 × 300 map of one-metre units: coloured blocks in a grid, a white background.
struct TPrintMap : rendertest::TTestMap {
    TPrintMap() : TTestMap(400, 300) {
        Doc().Header.Mashtab = 1000;
        Doc().Header.NameMap = QStringLiteral("Карта Заречинска");
        for (int i = 0; i < 8; ++i)
            for (int j = 0; j < 6; ++j) {
                const TColor c = TColor(0x20 + i * 0x18) | (TColor(0x30 + j * 0x20) << 8) |
                                 (TColor(0xC0 - i * 0x10) << 16);
                AddRect(Doc(), i * 50.f + 5, j * 50.f + 5, i * 50.f + 45, j * 50.f + 45, c);
            }
        Doc().RecalcExtent();
    }
};

// The bounding box of the pixels of one colour, or nullopt.
inline std::optional<QRect> ColourBox(const QImage& img, TColor colour) {
    int x0 = img.width(), y0 = img.height(), x1 = -1, y1 = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (PixelColor(img, x, y) == colour) {
                x0 = std::min(x0, x), y0 = std::min(y0, y);
                x1 = std::max(x1, x), y1 = std::max(y1, y);
            }
    if (x1 < 0) return std::nullopt;
    return QRect(QPoint(x0, y0), QPoint(x1, y1));
}

// Dark pixels (every channel below 100) inside rect.
inline int DarkPixels(const QImage& img, const QRect& rect) {
    int n = 0;
    const QRect r = rect.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb c = img.pixel(x, y);
            if (qRed(c) < 100 && qGreen(c) < 100 && qBlue(c) < 100) ++n;
        }
    return n;
}

} // namespace printtest
