#pragma once
// TPolygonStamps: small polygons drawn from stamps of the pixels Qt gave the same figure before.
//
// Qt fills an aliased polygon and strokes its cosmetic outline in fixed point, so a figure of
// whole-pixel points drawn with opaque solid colours, away from every clip edge, gets pixels
// that depend only on its points relative to its corner and on its pen and brush: moved by whole
// pixels it moves unchanged. The first time a shape is met its fill is scanned by TPlainFill and
// Qt draws its outline into a scratch picture in a marker colour; from then on it is copied into
// the frame in the real colours, the outline over the fill. A smoothed outline over the aliased
// fill is stepped by TSmoothHairlines once, its coverages kept and blended again wherever the
// shape is met; so are the spans TSmoothFills gives a smoothed fill without outline. Anything
// else is left to Qt.

#include "mapview/PixelCanvas.h"
#include "mapview/PlainFill.h"
#include "mapview/SmoothFills.h"
#include "mapview/SmoothHairlines.h"

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
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
    // As Draw for a smoothed figure under an opaque hairline outline: the aliased fill as
    // DrawFill draws it, then the outline as TSmoothHairlines steps it. read is
    // TPixelCanvas::Read of the canvas, or nullptr.
    bool DrawUnderSmoothOutline(QPainter& canvas, std::span<const QPoint> pts, const QRect& box,
                                const QRect& clip, const std::optional<TPixelCanvas>* read);
    // As Draw for a smoothed figure without outline: its fill as TSmoothFills paints it.
    bool DrawSmoothFill(QPainter& canvas, std::span<const QPoint> pts, const QRect& box,
                        const QRect& clip, const std::optional<TPixelCanvas>* read);

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
    // What a stamp holds of a figure.
    enum class TKind { Whole, Fill, FillUnderSmoothOutline, SmoothFill };
    // A shape's key (pen and brush kinds, then its points) is Key[KeyFirst, + KeyLength); its
    // pixels are Runs[RunFirst, + RunCount), then the smoothed outline's Covers[CoverFirst,
    // + CoverCount), or a smoothed fill's Spans[SpanFirst, + SpanCount). Refused when Qt drew
    // beyond the margin.
    struct TStamp {
        uint32_t KeyFirst = 0, RunFirst = 0, RunCount = 0, CoverFirst = 0, CoverCount = 0;
        uint32_t SpanFirst = 0, SpanCount = 0;
        uint16_t KeyLength = 0;
        bool Refused = false;
    };
    // Open addressing: slot Stamp is an index into FStamps plus one, 0 free.
    struct TSlot {
        uint64_t Hash = 0;
        uint32_t Stamp = 0;
    };

    // Whether the canvas state draws what kind keeps of the figure exactly as a stamp would.
    static bool Applies(const QPainter& canvas, const QRect& box, const QRect& clip, TKind kind);
    bool Stamp(QPainter& canvas, std::span<const QPoint> pts, const QRect& box, const QRect& clip,
               TKind kind, const std::optional<TPixelCanvas>* read = nullptr);
    // The figure's pixels appended to FRuns (and FCovers), or by fills to FSpans.
    TStamp Make(const QPainter& canvas, std::span<const QPoint> pts, const QRect& box, TKind kind,
                const std::optional<TPixelCanvas>* read, const std::optional<TSmoothFills>& fills);
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
    // A pair of pixels of a smoothed outline: bytes from the stamp's corner to the first pixel
    // and from it to the second in the pictures stamps are kept for, and their coverages.
    struct TCover {
        int32_t Offset, Next;
        uint8_t First, Second;
    };
    std::vector<TCover> FCovers;
    std::vector<TSmoothHairlines::TCoverPair> FTraced;
    std::vector<TSmoothFills::TSpan> FSpans;
    qsizetype FStride = 0; // of the pictures the stamps are kept for
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
