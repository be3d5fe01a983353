#include "SampleArt.h"

#include <QBuffer>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <gif_lib.h>

#include <cmath>

namespace tsivor::sample {

QColor TownColor(int index) {
    static const QColor colors[] = {
        QColor(32, 96, 168),  // river blue
        QColor(200, 40, 40),  // brick red
        QColor(196, 140, 20), // gold
        QColor(40, 130, 70),  // park green
        QColor(110, 60, 140), // violet
        QColor(230, 120, 30), // orange
    };
    const int n = int(std::size(colors));
    return colors[((index % n) + n) % n];
}

QImage CoatOfArms(int width, int height) {
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = width, h = height;
    QPainterPath shield;
    shield.moveTo(w * 0.1, h * 0.08);
    shield.lineTo(w * 0.9, h * 0.08);
    shield.lineTo(w * 0.9, h * 0.55);
    shield.quadTo(w * 0.9, h * 0.85, w * 0.5, h * 0.95);
    shield.quadTo(w * 0.1, h * 0.85, w * 0.1, h * 0.55);
    shield.closeSubpath();
    p.setClipPath(shield);
    p.fillRect(img.rect(), QColor(40, 110, 60));
    // The river across the lower half.
    QPainterPath wave;
    wave.moveTo(0, h * 0.62);
    wave.cubicTo(w * 0.3, h * 0.52, w * 0.6, h * 0.74, w, h * 0.6);
    wave.lineTo(w, h * 0.78);
    wave.cubicTo(w * 0.6, h * 0.9, w * 0.3, h * 0.7, 0, h * 0.8);
    wave.closeSubpath();
    p.fillPath(wave, QColor(60, 140, 220));
    // A gold tower above the water.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 200, 50));
    p.drawRect(QRectF(w * 0.4, h * 0.25, w * 0.2, h * 0.32));
    for (int i = 0; i < 3; ++i)
        p.drawRect(QRectF(w * (0.38 + 0.09 * i), h * 0.19, w * 0.06, h * 0.08));
    p.setBrush(QColor(40, 40, 40));
    p.drawRect(QRectF(w * 0.47, h * 0.42, w * 0.06, h * 0.15));
    p.setClipping(false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(30, 30, 30), std::max(1.0, w / 40)));
    p.drawPath(shield);
    return img;
}

QImage RiverPhoto(int width, int height) {
    QImage img(width, height, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = width, h = height;
    QLinearGradient sky(0, 0, 0, h * 0.55);
    sky.setColorAt(0, QColor(90, 150, 220));
    sky.setColorAt(1, QColor(210, 230, 250));
    p.fillRect(QRectF(0, 0, w, h * 0.55), sky);
    QLinearGradient water(0, h * 0.55, 0, h);
    water.setColorAt(0, QColor(70, 120, 170));
    water.setColorAt(1, QColor(30, 60, 110));
    p.fillRect(QRectF(0, h * 0.55, w, h * 0.45), water);
    // The far bank with a row of trees and houses.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 110, 60));
    p.drawRect(QRectF(0, h * 0.48, w, h * 0.08));
    for (int i = 0; i < 14; ++i) {
        const qreal x = w * (i + 0.5) / 14, r = h * (0.05 + 0.02 * (i % 3));
        p.setBrush(QColor(40 + 10 * (i % 4), 100 + 12 * (i % 3), 50));
        p.drawEllipse(QPointF(x, h * 0.48), r, r * 1.2);
    }
    for (int i = 0; i < 5; ++i) {
        p.setBrush(QColor(220 - 15 * i, 200 - 10 * i, 170));
        p.drawRect(QRectF(w * (0.1 + 0.18 * i), h * (0.3 + 0.03 * (i % 2)), w * 0.08, h * 0.2));
    }
    // Sun glitter on the water.
    p.setPen(QPen(QColor(230, 240, 255), std::max(1.0, h / 100)));
    for (int i = 0; i < 20; ++i) {
        const qreal y = h * (0.6 + 0.018 * i);
        const qreal x = w * (0.55 + 0.1 * std::sin(i * 1.7));
        p.drawLine(QPointF(x, y), QPointF(x + w * 0.06, y));
    }
    return img;
}

QByteArray EncodeImage(const QImage& image, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format, quality)) return {};
    return bytes;
}

namespace {

int AppendToBuffer(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

// Closes the encoder however the writing ends.
struct GifCloser {
    GifFileType* Gif;
    ~GifCloser() {
        if (Gif) EGifCloseFile(Gif, nullptr);
    }
};

bool Fail(QString* error, const QString& text) {
    if (error) *error = text;
    return false;
}

} // namespace

bool WriteGif(const QString& path, const std::vector<GifFrame>& frames, QString* error) {
    if (frames.empty()) return Fail(error, QStringLiteral("нет кадров для %1").arg(path));
    const QSize size = frames.front().Image.size();
    QByteArray out;
    int code = 0;
    GifCloser closer{EGifOpen(&out, AppendToBuffer, &code)};
    GifFileType* gif = closer.Gif;
    if (!gif) return Fail(error, QString::fromUtf8(GifErrorString(code)));
    EGifSetGifVersion(gif, true);
    if (EGifPutScreenDesc(gif, size.width(), size.height(), 8, 0, nullptr) == GIF_ERROR)
        return Fail(error, QString::fromUtf8(GifErrorString(gif->Error)));
    if (frames.size() > 1) {
        // Loop forever, as the program's animations do.
        static const GifByteType app[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
        static const GifByteType loop[] = {1, 0, 0};
        EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
        EGifPutExtensionBlock(gif, sizeof app, app);
        EGifPutExtensionBlock(gif, sizeof loop, loop);
        EGifPutExtensionTrailer(gif);
    }
    for (const GifFrame& frame : frames) {
        const QImage indexed = frame.Image.convertToFormat(QImage::Format_RGB32)
                                   .scaled(size)
                                   .convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
        const QList<QRgb> table = indexed.colorTable();
        ColorMapObject* map = GifMakeMapObject(256, nullptr);
        if (!map) return Fail(error, QStringLiteral("нет памяти для палитры GIF"));
        for (int i = 0; i < 256; ++i) {
            const QRgb c = i < table.size() ? table[i] : qRgb(0, 0, 0);
            map->Colors[i] = {GifByteType(qRed(c)), GifByteType(qGreen(c)), GifByteType(qBlue(c))};
        }
        GraphicsControlBlock gcb{};
        gcb.DisposalMode = DISPOSE_DO_NOT;
        gcb.DelayTime = frame.DelayCs;
        gcb.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType ext[4];
        const size_t extLen = EGifGCBToExtension(&gcb, ext);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(extLen), ext);
        const bool ok =
            EGifPutImageDesc(gif, 0, 0, size.width(), size.height(), false, map) != GIF_ERROR;
        GifFreeMapObject(map);
        if (!ok) return Fail(error, QString::fromUtf8(GifErrorString(gif->Error)));
        for (int y = 0; y < size.height(); ++y) {
            auto* line = const_cast<GifPixelType*>(indexed.constScanLine(y));
            if (EGifPutLine(gif, line, size.width()) == GIF_ERROR)
                return Fail(error, QString::fromUtf8(GifErrorString(gif->Error)));
        }
    }
    const int closeResult = EGifCloseFile(gif, &code);
    closer.Gif = nullptr;
    if (closeResult == GIF_ERROR) return Fail(error, QString::fromUtf8(GifErrorString(code)));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size())
        return Fail(error, QStringLiteral("не удалось записать %1").arg(path));
    return true;
}

} // namespace tsivor::sample
