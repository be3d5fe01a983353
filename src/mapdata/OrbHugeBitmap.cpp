#include "mapdata/OrbHugeBitmap.h"

#include "mapdata/Rounding.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tsivor::mapdata {

namespace {

constexpr int kTileNameLength = 255;
constexpr int kOutsideMargin = 5; // map units a clipped side reaches beyond the view

} // namespace

TOrbHugeBitmap::~TOrbHugeBitmap() {
    const std::vector<TOrbHugeBitmapClient*> clients = std::move(FClients);
    FClients.clear();
    for (TOrbHugeBitmapClient* c : clients) c->RasterLayerDetached();
}

void TOrbHugeBitmap::SetEnabled(bool v) {
    if (v == FEnabled) return;
    FEnabled = v;
    FDirty = true;
    for (TOrbHugeBitmapClient* c : std::vector<TOrbHugeBitmapClient*>(FClients))
        c->RasterLayerChanged();
}

void TOrbHugeBitmap::SetLayerType(TLayerType v) {
    if (v == FLayerType) return;
    FLayerType = v;
    Changed();
}

void TOrbHugeBitmap::AddClient(TOrbHugeBitmapClient* client) {
    if (client && std::find(FClients.begin(), FClients.end(), client) == FClients.end())
        FClients.push_back(client);
}

void TOrbHugeBitmap::RemoveClient(TOrbHugeBitmapClient* client) {
    std::erase(FClients, client);
}

void TOrbHugeBitmap::Changed() {
    FDirty = true;
    if (!FEnabled) return; // nothing of the layer is shown
    for (TOrbHugeBitmapClient* c : std::vector<TOrbHugeBitmapClient*>(FClients))
        c->RasterLayerChanged();
}

bool TOrbHugeBitmap::AddTile(const QString& fileName, int32_t x1, int32_t y1, int32_t x2,
                             int32_t y2, QString* error) {
    if (!QFileInfo(fileName).isFile()) {
        if (error) *error = QStringLiteral("Файл изображения не найден: %1").arg(fileName);
        return false;
    }
    QImageReader reader(fileName);
    const QImage image = reader.read();
    if (image.isNull()) {
        if (error)
            *error = QStringLiteral("Не удалось прочитать изображение %1: файл повреждён или "
                                    "его формат не поддерживается")
                         .arg(fileName);
        return false;
    }
    return AddTile(fileName, image, x1, y1, x2, y2, error);
}

bool TOrbHugeBitmap::AddTile(const QString& name, const QImage& image, int32_t x1, int32_t y1,
                             int32_t x2, int32_t y2, QString* error) {
    if (image.isNull()) {
        if (error) *error = QStringLiteral("Пустое изображение: %1").arg(name);
        return false;
    }
    TOrbHugeTile tile;
    tile.X1 = std::min(x1, x2), tile.X2 = std::max(x1, x2);
    tile.Y1 = std::min(y1, y2), tile.Y2 = std::max(y1, y2);
    if (tile.X1 == tile.X2 || tile.Y1 == tile.Y2) {
        if (error)
            *error = QStringLiteral("Изображению %1 нужен прямоугольник карты ненулевой ширины и "
                                    "высоты")
                         .arg(name);
        return false;
    }
    tile.Name = name.left(kTileNameLength);
    // One conversion now rather than one per composition.
    tile.Bitmap = image.convertToFormat(
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    tile.SX = float(double(image.width()) / (double(tile.X2) - tile.X1));
    tile.SY = float(double(image.height()) / (double(tile.Y2) - tile.Y1));
    FTiles.push_back(std::move(tile));
    Changed();
    return true;
}

void TOrbHugeBitmap::ClearTiles() {
    if (FTiles.empty()) return;
    FTiles.clear();
    Changed();
}

const QImage* TOrbHugeBitmap::Compose(QSize size, float left, float top, float right, float bottom,
                                      double pixelsPerUnit) {
    if (FTiles.empty() || !FEnabled || size.isEmpty()) return nullptr;
    const TView view{size, left, top, right, bottom, pixelsPerUnit, FEnabled};
    if (!FDirty && view == FComposedView) return &FComposed;
    FDirty = false;
    // Transparent where no tile lies, so that a front layer leaves the rest of the map seen.
    FComposed = QImage(size, QImage::Format_ARGB32_Premultiplied);
    if (FComposed.isNull()) return nullptr;
    FComposed.fill(Qt::transparent);
    QPainter canvas(&FComposed);
    for (const TOrbHugeTile& t : FTiles) {
        if (t.X2 <= left || t.X1 >= right || t.Y2 <= top || t.Y1 >= bottom) continue;
        // A side beyond the view moves to the view's side, rounded and a little further out
        // so that the stretched edge never shows; it stays on the tile. It then widens to the
        // tile's next whole pixel, so that every tile pixel keeps its place on the map however
        // the view cuts it.
        const int cx1 = t.X1 < left ? std::max(t.X1, RoundToInt(left) - kOutsideMargin) : t.X1;
        const int cy1 = t.Y1 < top ? std::max(t.Y1, RoundToInt(top) - kOutsideMargin) : t.Y1;
        const int cx2 = t.X2 > right ? std::min(t.X2, RoundToInt(right) + kOutsideMargin) : t.X2;
        const int cy2 = t.Y2 > bottom ? std::min(t.Y2, RoundToInt(bottom) + kOutsideMargin) : t.Y2;
        const QPoint s1(int(std::floor((double(cx1) - t.X1) * t.SX)),
                        int(std::floor((double(cy1) - t.Y1) * t.SY)));
        const QPoint s2(std::min(t.Bitmap.width(), int(std::ceil((double(cx2) - t.X1) * t.SX))),
                        std::min(t.Bitmap.height(), int(std::ceil((double(cy2) - t.Y1) * t.SY))));
        const double x1 = t.X1 + s1.x() / double(t.SX), y1 = t.Y1 + s1.y() / double(t.SY);
        const double x2 = t.X1 + s2.x() / double(t.SX), y2 = t.Y1 + s2.y() / double(t.SY);
        const QPoint d1(RoundToInt((x1 - left) * pixelsPerUnit),
                        RoundToInt((y1 - top) * pixelsPerUnit));
        const QPoint d2(RoundToInt((x2 - left) * pixelsPerUnit),
                        RoundToInt((y2 - top) * pixelsPerUnit));
        const QRect source(s1, QSize(s2.x() - s1.x(), s2.y() - s1.y()));
        const QRect target(d1, QSize(d2.x() - d1.x(), d2.y() - d1.y()));
        if (source.isEmpty() || target.isEmpty()) continue;
        canvas.drawImage(target, t.Bitmap, source);
    }
    FComposedView = view;
    return &FComposed;
}

} // namespace tsivor::mapdata
