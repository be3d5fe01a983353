#pragma once
// TDrawObject: the drawing state and the nine primitives every map figure is drawn with, plus
// the pixel-exact helpers of host-drawn lines (segment clipping and line stepping).

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPoint>
#include <QRect>
#include <QString>

#include "mapview/PixelCanvas.h"
#include "mapview/PlainFill.h"
#include "mapview/PolygonStamps.h"
#include "mapview/ShapedTexts.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace tsivor::mapview {

// Installs the explicit substitutes of the map's font names ("Arial Cyr" and the like) so
// that the metric-compatible Liberation fonts are used rather than whatever fontconfig picks.
// Idempotent; the map control calls it when created.
void InstallMapFontSubstitutes();

// Fonts sized by their cell (ascent + descent) in pixels, as the old canvas sized fonts given a
// positive height. Remembers each family's ratio of cell to em size.
class TCellFonts {
public:
    QFont Font(const QString& family, int cellHeight, bool bold = false);
    // The cell TextOut fills for text at cellHeight: its advance by the height of the font's
    // cell as built. Text boxes are measured with it, so they match the drawn text.
    QSize TextCell(const QString& family, int cellHeight, const QString& text, bool bold = false);

private:
    QHash<QString, double> FCellPerEm;
    // The fonts built, each kept as one QFont: a copy of it shares the font engine Qt found for
    // it, where a font built anew has Qt look the engine up again.
    struct TKey {
        QString Family;
        int Cell;
        bool Bold;
        friend bool operator==(const TKey&, const TKey&) = default;
        friend size_t qHash(const TKey& k, size_t seed = 0) {
            return qHashMulti(seed, k.Family, k.Cell, k.Bold);
        }
    };
    static constexpr qsizetype kKeptFonts = 256;
    QHash<TKey, QFont> FFonts;
};

// A 0x00BBGGRR colour as a QColor and back.
QColor ToQColor(uint32_t c);
uint32_t FromQColor(const QColor& c);

// Draws aliased while it lives, whatever the canvas's smoothing: pictures and the pixels of
// host-drawn lines stay exactly as they are without smoothing.
class TAliasedScope {
public:
    explicit TAliasedScope(QPainter& canvas)
        : FCanvas(canvas), FWasSmooth(canvas.testRenderHint(QPainter::Antialiasing)) {
        if (FWasSmooth) FCanvas.setRenderHint(QPainter::Antialiasing, false);
    }
    ~TAliasedScope() {
        if (FWasSmooth) FCanvas.setRenderHint(QPainter::Antialiasing, true);
    }
    TAliasedScope(const TAliasedScope&) = delete;
    TAliasedScope& operator=(const TAliasedScope&) = delete;

private:
    QPainter& FCanvas;
    bool FWasSmooth;
};

class TDrawObject {
public:
    // The canvas must outlive the frame; nullptr detaches. Its clip is read when it is attached,
    // not for every figure: who changes the clip attaches the canvas again.
    void SetCanvas(QPainter* canvas);
    QPainter* Canvas() const { return FCanvas; }
    // Both values install the same painter primitives; the flag is kept for the text path of
    // house numbers.
    void SetUseGDIPlus(bool flag) { FUseGDIPlus = flag; }
    bool UseGDIPlus() const { return FUseGDIPlus; }

    // 255 opaque; figures are alpha-blended with Opacity / 255.
    uint8_t Opacity = 255;
    // Polygons and solid polylines reaching far beyond the drawn rectangle lose the parts
    // that cannot show before Qt strokes and fills them; the pixels stay the same. Off only
    // to check exactly that.
    bool ClipToTarget = true;
    // Unturned texts are drawn from the glyphs they were shaped into the first time; the
    // pixels are those of shaping them anew. Off only to check exactly that.
    bool ReuseShapes = true;
    // Small plain polygons are copied from stamps of the pixels Qt gave the same shape; the
    // pixels are Qt's own. Off only to check exactly that.
    bool UseStamps = true;
    // Plain polygons are filled by TPlainFill rather than Qt; the pixels are Qt's own. Off only
    // to check exactly that.
    bool PlainFills = true;
    bool SquareCaps = false;
    // Parameters of TextOut.
    QString TextFontName;
    int TextHeight = 0; // cell height in pixels
    QColor TextColor = Qt::black;
    bool TextBold = false;

    // Figures whose points may be cut in map units (see MapCut.h) before they are drawn.
    enum class TFigure { Polygon, Polyline, Bezier, BezierRing };
    // The device rectangle beyond which runs of the figure's points may be shortened so when
    // it is drawn with pen and the canvas brush: the primitive's own cut then draws the same
    // pixels. Empty when the figure may not be shortened.
    QRect CutRect(TFigure figure, const QPen& pen) const;

    // --- the primitives (points are device pixels)
    void Polygon(std::span<const QPoint> pts);
    void Polyline(std::span<const QPoint> pts);
    void PolyBezier(std::span<const QPoint> pts);     // 3 n + 1 points
    void FillBezierPath(std::span<const QPoint> pts); // closed, stroked and filled
    void Ellipse(int x1, int y1, int x2, int y2);
    // The anchor is the top-left corner of the text cell; escapement in tenths of a degree,
    // counter-clockwise. A solid canvas brush paints the cell behind the letters.
    void TextOut(int x, int y, const QString& text, int escapement);
    void DrawGraphic(int x, int y, const QImage& graphic);
    // The fonts TextOut draws with.
    TCellFonts& Fonts() { return FFonts; }
    // The shapes of the unturned texts TextOut has drawn.
    const TShapedTexts& Shapes() const { return FShapes; }
    // The stamps of polygons drawn so far; kept while frames are drawn at one scale.
    TPolygonStamps& Stamps() { return FStamps; }
    // Pixels of the bitmap's transparent colour (alpha 0 in the image) are left out.
    void StretchTransparent(const QRect& rect, const QImage& bitmap);
    void StretchDraw(int x1, int y1, int x2, int y2, const QImage& graphic);

private:
    // Applies the opacity for the duration of one primitive.
    class TOpacityScope;
    // Puts a smoothed stroke of odd width on the pixel rows the aliased one covers.
    class TStrokeAlignment;

    // The device in canvas coordinates; empty when the canvas is scaled or rotated.
    QRect DeviceRect() const;
    // The canvas rectangle it draws into (clip included) widened by margin; empty when the
    // canvas is scaled or rotated and clipping cannot be reasoned about in device pixels.
    QRect TargetRect(int margin) const;
    // The margin outside the target a stroke of the canvas pen may reach into.
    int StrokeMargin() const;
    // The rectangle the canvas draws into, device and clip, and whether it is clipped to
    // exactly that; empty when the canvas is scaled or rotated.
    struct TPaintArea {
        QRect Bounds;
        bool Exact = false;
        bool Clipped = false;
        QRectF ClipBounds; // of the clip, as Qt gives them
    };
    // Read from Qt once per attached canvas and transform.
    const TPaintArea& PaintArea() const;
    TPaintArea ReadPaintArea() const;
    // TPixelCanvas::Read of the canvas, once per attached canvas.
    const std::optional<TPixelCanvas>* Pixels() const { return &FPixels.Of(*FCanvas); }
    // Fills the ring with the canvas brush as Qt's aliased fill would, where TPlainFill applies;
    // false, drawing nothing, where it does not.
    bool FillPlain(std::span<const QPoint> ring, const TPaintArea& area,
                   bool aliasedAnyway = false);
    // The ring's outline alone, as drawPolygon draws it after the fill.
    void OutlineOnly(std::span<const QPoint> ring);
    // A figure whose box (BoundsOf its points) with the pen's reach lies wholly off the area
    // draws nothing: the house of a numbered address is drawn by both bands of a frame, each
    // clipped to its rows.
    bool OffTarget(const QRect& box, const TPaintArea& area) const;
    // bounds: BoundsOf the points, as the caller has it already.
    bool ClippedPolygon(std::span<const QPoint> pts, const QRect& bounds);
    bool ClippedPolyline(std::span<const QPoint> pts);
    // A chain reaching far off the target strokes only the segments near it; a dashed one
    // starts its pattern at the length it skipped.
    bool ClippedPolyBezier(std::span<const QPoint> pts);
    // A closed chain reaching far off the target: a segment whose four points lie off it by
    // more than the pen reaches becomes its chord. A cubic lies in the hull of its points, so
    // fill and outline change only off the target; a dashed outline keeps its curves, since a
    // chord would move its pattern.
    QPainterPath CutBezierRing(std::span<const QPoint> pts) const;
    // A smoothed ring of a brush TSmoothFills fills, an opaque solid hairline pen or both,
    // flattened once, filled by TSmoothFills and outlined by TSmoothHairlines; false, drawing
    // nothing, for any other brush, pen or canvas.
    bool SmoothBezierRing(std::span<const QPoint> pts);

    QPainter* FCanvas = nullptr;
    bool FUseGDIPlus = false;
    TCellFonts FFonts;
    TShapedTexts FShapes;
    TPolygonStamps FStamps;
    TPlainFill FPlainFill;
    std::vector<QPointF> FFlat; // a ring of curves as segments
    mutable TPaintArea FArea;
    mutable QTransform FAreaTransform; // the canvas's when FArea was read
    mutable bool FAreaRead = false;
    mutable TPixelCanvasRead FPixels;
};

// Cohen–Sutherland clipping of a segment to the rectangle (0, 0)–(w, h); outcodes 1 left,
// 2 above, 4 right, 8 below. nullopt when the segment lies wholly outside.
struct TSegment {
    QPoint A, B;
    friend bool operator==(const TSegment&, const TSegment&) = default;
};
int OutCode(QPoint p, int w, int h);
std::optional<TSegment> ClipSegment(QPoint a, QPoint b, int w, int h);
// The part of the segment a-b inside r (Liang-Barsky), in place; false when none of it is.
bool CutToRect(QPointF& a, QPointF& b, const QRectF& r);

// Drops vertices of a closed ring that lie with their neighbours wholly beyond one side of
// rect: a run of such vertices becomes its first and last. The odd-even fill inside rect is
// unchanged, because the removed outline and its chord enclose only area beyond that side.
std::vector<QPoint> ReduceRingOutside(std::span<const QPoint> ring, const QRect& rect);
// The runs of consecutive segments of a polyline whose boxes meet rect; segments wholly
// beyond it are left out. Each run is a list of original points.
std::vector<std::span<const QPoint>> PolylineRunsInside(std::span<const QPoint> pts,
                                                        const QRect& rect);

// The line-stepping routine: calls visit for every pixel from a towards b, the start pixel
// included and the end pixel excluded (a == b visits nothing).
void StepLine(QPoint a, QPoint b, const std::function<void(int x, int y)>& visit);

} // namespace tsivor::mapview
