#include "mapview/MapCursors.h"

#include <QFile>
#include <QHash>
#include <QPixmap>

namespace tsivor::mapview {
namespace {

QString CursorPath(int number) {
    return QStringLiteral(":/tsivor/cursor_%1.png").arg(number);
}

QPoint ParseHotSpot(const QImage& img) {
    const QStringList xy = img.text(QStringLiteral("HotSpot")).split(QChar(','));
    if (xy.size() != 2) return QPoint(img.width() / 2, img.height() / 2);
    return QPoint(xy[0].toInt(), xy[1].toInt());
}

// The toolkit's standard cursor numbers.
Qt::CursorShape StandardShape(int number) {
    switch (number) {
    case -1:
        return Qt::BlankCursor;
    case -3:
        return Qt::CrossCursor;
    case -4:
        return Qt::IBeamCursor;
    case -6:
        return Qt::SizeBDiagCursor;
    case -7:
        return Qt::SizeVerCursor;
    case -8:
        return Qt::SizeFDiagCursor;
    case -9:
        return Qt::SizeHorCursor;
    case -10:
        return Qt::UpArrowCursor;
    case -11:
        return Qt::WaitCursor;
    case -12:
        return Qt::DragMoveCursor;
    case -13:
    case -18:
        return Qt::ForbiddenCursor;
    case -14:
        return Qt::SplitHCursor;
    case -15:
        return Qt::SplitVCursor;
    case -19:
        return Qt::BusyCursor;
    case -20:
        return Qt::WhatsThisCursor;
    case -21:
        return Qt::PointingHandCursor;
    case -22:
        return Qt::SizeAllCursor;
    default:
        return Qt::ArrowCursor;
    }
}

} // namespace

QImage MapCursors::Image(int number, QPoint* hotSpot) {
    QImage img;
    if (Has(number)) img.load(CursorPath(number), "PNG");
    if (hotSpot) *hotSpot = img.isNull() ? QPoint() : ParseHotSpot(img);
    return img;
}

QCursor MapCursors::Cursor(int number) {
    // The screen cursor table is process-wide, so are these; built on first use.
    static QHash<int, QCursor> cache;
    if (!Has(number)) return QCursor(StandardShape(number));
    auto it = cache.find(number);
    if (it == cache.end()) {
        QPoint hot;
        const QImage img = Image(number, &hot);
        it =
            cache.insert(number, img.isNull() ? QCursor(Qt::ArrowCursor)
                                              : QCursor(QPixmap::fromImage(img), hot.x(), hot.y()));
    }
    return *it;
}

const QImage& MapCursors::ScrollMarker() {
    static const QImage marker = QImage(QStringLiteral(":/tsivor/ScrollM.png"), "PNG")
                                     .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return marker;
}

QByteArray BuiltInIconLibrary() {
    QFile f(QStringLiteral(":/tsivor/default.lib"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void LoadBuiltInIcons(mapdata::TOrbIcon& icons) {
    const QByteArray bytes = BuiltInIconLibrary();
    if (bytes.isEmpty()) {
        icons.AddLibrary(QStringLiteral("Default")); // keeps lookups working without pictures
        return;
    }
    icons.LoadIconLibraryFromBytes(bytes);
}

} // namespace tsivor::mapview
