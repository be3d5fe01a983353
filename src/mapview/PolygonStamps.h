#pragma once
// TPolygonStamps: small polygons drawn from stamps of the pixels Qt gave the same figure before.
//
// Qt fills an aliased polygon and strokes its cosmetic outline in fixed point, so a figure of
// whole-pixel points drawn with opaque solid colours, away from every clip edge, gets pixels
// that depend only on its points relative to its corner and on its pen and brush: moved by whole
// pixels it moves unchanged. The first time a shape is met its fill is scanned by TPlainFill and
// Qt draws its outline into a scratch picture in a marker colour; from then on it is copied into
// the frame in the real colours, the outline over the fill. Anything else is left to Qt.

#include "mapview/PlainFill.h"

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace tsivor::mapview {

class TPolygonStamps {
public:
    // Polygons up to this many pixels across and points long are stamped.
    static constexpr int kMaxExtent = 64;
    static constexpr size_t kMaxPoints = 64;
    // The cache is emptied when it would grow past either.
    static constexpr size_t kMaxStamps = 20000;
    static constexpr size_t kMaxBytes = size_t(8) << 20;
    // Pixels kept clear of the clip's edges around a polygon's points: Qt's outline and fill
    // stay within one pixel of them, and the scratch picture refuses a stamp where they do not.
    static constexpr int kMargin = 2;

    TPolygonStamps() = default;
    TPolygonStamps(const TPolygonStamps&) = delete;
    TPolygonStamps& operator=(const TPolygonStamps&) = delete;

    // Draws what canvas.drawPolygon(pts, Qt::OddEvenFill) would draw and returns true, or draws
    // nothing and returns false when the figure or the canvas state is not one stamps are exact
    // for. box bounds the points; clip is the rectangle the canvas is clipped to exactly, its
    // device included (empty when the clip is no rectangle).
    bool Draw(QPainter& canvas, std::span<const QPoint> pts, const QRect& box, const QRect& clip);
    // As Draw for the fill alone, as TPlainFill scans it with the canvas brush whatever the pen
    // and smoothing: the aliased fill under a smoothed outline.
    bool DrawFill(QPainter& canvas, std::span<const QPoint> pts, const QRect& box,
                  const QRect& clip);

    // Stamps stay while frames are drawn at one scale (a dragged view meets the same shapes);
    // another scale starts afresh.
    void KeepFor(double scale);
    void Clear();

    size_t Count() const { return FStamps.size(); }
    size_t Bytes() const;

private:
    // One run of pixels of a row, relative to the polygon's top-left point; the outline's runs
    // follow the fill's.
    struct TRun {
        int16_t Dx, Dy, Length;
        bool Outline;
    };
    // A shape's key (pen and brush kinds, then its points) is Key[KeyFirst, + KeyLength); its
    // pixels are Runs[RunFirst, + RunCount). Refused when Qt drew beyond the margin.
    struct TStamp {
        uint32_t KeyFirst = 0, RunFirst = 0, RunCount = 0;
        uint16_t KeyLength = 0;
        bool Refused = false;
    };
    // Open addressing: slot Stamp is an index into FStamps plus one, 0 free.
    struct TSlot {
        uint64_t Hash = 0;
        uint32_t Stamp = 0;
    };

    // Whether the canvas state draws the figure (its fill alone when fillOnly) exactly as a
    // stamp would.
    static bool Applies(const QPainter& canvas, const QRect& box, const QRect& clip, bool fillOnly);
    bool Stamp(QPainter& canvas, std::span<const QPoint> pts, const QRect& box, const QRect& clip,
               bool fillOnly);
    // The figure's pixels appended to FRuns.
    TStamp Make(const QPainter& canvas, std::span<const QPoint> pts, const QRect& box,
                bool fillOnly);
    // The outline of pen drawn by Qt in the scratch picture, its runs appended to FRuns; false
    // when it reaches beyond the margin.
    bool Outline(const QPen& pen, std::span<const QPoint> pts, const QRect& box);
    void Insert(uint64_t hash, size_t slot, TStamp stamp);
    void Blit(QImage& image, const TStamp& stamp, QPoint origin, uint32_t fill,
              uint32_t outline) const;

    std::vector<TSlot> FSlots;
    std::vector<TStamp> FStamps;
    std::vector<char> FKeys;
    std::vector<TRun> FRuns;
    double FScale = 0;
    char FKey[8 + 2 * kMaxPoints]; // of the figure drawn
    size_t FKeyLength = 0;
    QImage FScratch;
    // Kept open on FScratch: beginning a painter costs more than drawing a small polygon.
    std::unique_ptr<QPainter> FScratchPainter;
    std::vector<QPoint> FShifted;
    TPlainFill FFill;
};

} // namespace tsivor::mapview
