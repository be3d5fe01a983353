#include "mapview/MapTools.h"

#include <QPaintEvent>
#include <QPainter>

#include <cstring>

namespace tsivor::mapview {

TMyImage::TMyImage(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    resize(305, 305);
    FPicture = QImage(size(), QImage::Format_RGB32);
    FPicture.fill(Qt::white);
}

void TMyImage::FitPictureToControl() {
    if (PictureFitsControl()) return;
    FPicture = size().isEmpty() ? QImage() : QImage(size(), QImage::Format_RGB32);
}

void TMyImage::ShiftPicture(int dx, int dy) {
    if (FPicture.isNull() || (dx == 0 && dy == 0)) return;
    if (FPicture.format() != QImage::Format_RGB32)
        FPicture = FPicture.convertToFormat(QImage::Format_RGB32);
    const int w = FPicture.width(), h = FPicture.height();
    if (std::abs(dx) >= w || std::abs(dy) >= h) return; // nothing of the old image stays
    const qsizetype bpl = FPicture.bytesPerLine();
    uchar* bits = FPicture.bits();
    const size_t rowBytes = size_t(w - std::abs(dx)) * 4;
    auto copyRow = [&](int dstY, int srcY) {
        auto* dst = reinterpret_cast<uint32_t*>(bits + dstY * bpl);
        auto* src = reinterpret_cast<const uint32_t*>(bits + srcY * bpl);
        if (dx >= 0)
            std::memmove(dst + dx, src, rowBytes);
        else
            std::memmove(dst, src - dx, rowBytes);
    };
    // Walk rows against the direction of the move so no source row is overwritten first.
    if (dy > 0)
        for (int y = h - 1; y >= dy; --y) copyRow(y, y - dy);
    else
        for (int y = 0; y < h + dy; ++y) copyRow(y, y - dy);
}

void TMyImage::Paint(QPainter& canvas, const QRect& rect) {
    if (!FPicture.isNull()) canvas.drawImage(rect, FPicture, rect);
}

void TMyImage::ControlResized() {
    FitPictureToControl();
}

void TMyImage::paintEvent(QPaintEvent* event) {
    QPainter canvas(this);
    Paint(canvas, event->rect());
}

void TMyImage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ControlResized();
}

bool TMyImage::focusNextPrevChild(bool) {
    return false;
}

QFont MapFont(const QString& family, double pixelHeight, bool bold) {
    QString name = family.trimmed();
    if (name.endsWith(QLatin1String(" Cyr"), Qt::CaseInsensitive)) name.chop(4);
    QFont font(name);
    // Point size at 72 dpi equals pixels and, unlike setPixelSize, keeps fractions.
    font.setPointSizeF(pixelHeight > 0 ? pixelHeight : 1.0);
    font.setBold(bold);
    return font;
}

} // namespace tsivor::mapview
