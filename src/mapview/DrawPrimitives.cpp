#include "mapview/DrawPrimitives.h"

#include "mapdata/Rounding.h"
#include "mapview/DashPattern.h"
#include "mapview/FlatCubics.h"
#include "mapview/PlainHairlines.h"
#include "mapview/SmoothFills.h"
#include "mapview/SmoothHairlines.h"
#include "mapview/SmoothStrokes.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QRegion>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <cmath>
#include <cstdlib>
#include <optional>

namespace tsivor::mapview {

using mapdata::NearestEven;
using mapdata::RoundToInt;

void InstallMapFontSubstitutes() {
    static const bool installed = [] {
        const QString sans = QStringLiteral("Liberation Sans");
        const QString serif = QStringLiteral("Liberation Serif");
        for (const char* name : {"Arial Cyr", "Arial", "MS Sans Serif"})
            QFont::insertSubstitution(QString::fromLatin1(name), sans);
        for (const char* name : {"Times New Roman Cyr", "Times New Roman"})
            QFont::insertSubstitution(QString::fromLatin1(name), serif);
        QFont::insertSubstitution(QStringLiteral("Courier New Cyr"),
                                  QStringLiteral("Liberation Mono"));
        QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
        return true;
    }();
    (void)installed;
}

QFont TCellFonts::Font(const QString& family, int cellHeight, bool bold) {
    const TKey key{family, cellHeight, bold};
    if (const auto it = FFonts.constFind(key); it != FFonts.cend()) return *it;
    InstallMapFontSubstitutes();
    auto it = FCellPerEm.find(family);
    if (it == FCellPerEm.end()) {
        QFont probe(family);
        probe.setPixelSize(100);
        const QFontMetricsF m(probe);
        const double cell = m.ascent() + m.descent();
        it = FCellPerEm.insert(family, cell > 0 ? cell / 100 : 1.0);
    }
    QFont font(family);
    font.setPixelSize(std::max(1, RoundToInt(cellHeight / it.value())));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    // Every zoom brings other heights.
    if (FFonts.size() >= kKeptFonts) FFonts.clear();
    FFonts.insert(key, font);
    return font;
}

QSize TCellFonts::TextCell(const QString& family, int cellHeight, const QString& text, bool bold) {
    return TextCellOf(Font(family, cellHeight, bold), text);
}

QColor ToQColor(uint32_t c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

uint32_t FromQColor(const QColor& c) {
    return uint32_t(c.red()) | (uint32_t(c.green()) << 8) | (uint32_t(c.blue()) << 16);
}

class TDrawObject::TOpacityScope {
public:
    TOpacityScope(QPainter& p, uint8_t opacity) : FPainter(p), FSaved(p.opacity()) {
        if (opacity != 255) FPainter.setOpacity(FSaved * opacity / 255.0);
    }
    ~TOpacityScope() { FPainter.setOpacity(FSaved); }
    TOpacityScope(const TOpacityScope&) = delete;
    TOpacityScope& operator=(const TOpacityScope&) = delete;

private:
    QPainter& FPainter;
    qreal FSaved;
};

class TDrawObject::TStrokeAlignment {
public:
    // A stroke centred on whole pixel coordinates: an aliased one of odd width fills the rows
    // from the coordinate on, a smoothed one would straddle two rows half-covered.
    explicit TStrokeAlignment(QPainter& p) : FPainter(p) {
        if (!p.testRenderHint(QPainter::Antialiasing)) return;
        const QPen& pen = p.pen();
        const int width = std::max(1, RoundToInt(pen.widthF()));
        if (pen.style() == Qt::NoPen || width % 2 == 0) return;
        FPainter.translate(0.5, 0.5);
        FShifted = true;
    }
    ~TStrokeAlignment() {
        if (FShifted) FPainter.translate(-0.5, -0.5);
    }
    TStrokeAlignment(const TStrokeAlignment&) = delete;
    TStrokeAlignment& operator=(const TStrokeAlignment&) = delete;

private:
    QPainter& FPainter;
    bool FShifted = false;
};

namespace {

bool Dashed(const QPen& pen) {
    return pen.style() != Qt::SolidLine && pen.style() != Qt::NoPen;
}

// A smoothed canvas drawing at full opacity with a solid, opaque pen: what is drawn twice
// with it looks as drawn once.
bool SmoothedOpaqueSolidPen(const QPainter& p) {
    if (!p.testRenderHint(QPainter::Antialiasing) || p.opacity() < 1) return false;
    const QPen& pen = p.pen();
    // isSolid asks the pen's brush for its style without a copy of the brush.
    return pen.style() == Qt::SolidLine && pen.isSolid() && pen.color().alpha() == 255;
}

// Under an opaque solid outline the smoothed edge of a fill is all but covered by the outline's
// own smoothing: a pixel it leaves half uncovered is one the fill half covers, aliased or not.
// The aliased fill costs a fraction of the smoothed one.
bool FillsAliasedUnderOutline(const QPainter& p) {
    return p.brush().style() != Qt::NoBrush && SmoothedOpaqueSolidPen(p);
}

// Draws a figure whose drawing fills and outlines it with the canvas brush and pen; under an
// opaque outline the fill is drawn aliased first, by aliasedFill where it can (it returns
// false where it cannot), then the outline. A fill drawn smoothed is drawn by smoothFill where
// it can, then the outline. A figure that is the polygon ring has a hairline outline stepped by
// TPlainHairlines or TSmoothHairlines rather than Qt; Qt too draws the outline after the fill.
// read is TPixelCanvas::Read of the canvas, or nullptr.
template <class TFigure, class TAliasedFill, class TSmoothFill>
void FillAndOutline(QPainter& p, const TFigure& figure, std::span<const QPoint> ring,
                    const std::optional<TPixelCanvas>* read, const TAliasedFill& aliasedFill,
                    const TSmoothFill& smoothFill) {
    if (auto plain = ring.empty() ? std::nullopt : TPlainHairlines::For(p, read)) {
        if (p.brush().style() != Qt::NoBrush) {
            const QPen pen = p.pen();
            p.setPen(Qt::NoPen);
            figure();
            p.setPen(pen);
        }
        plain->Chain(ring, true);
        return;
    }
    auto lines = ring.empty() ? std::nullopt : TSmoothHairlines::For(p, read);
    const QBrush brush = p.brush();
    if (!FillsAliasedUnderOutline(p)) {
        const bool filled = brush.style() != Qt::NoBrush && smoothFill();
        if (filled && p.pen().style() == Qt::NoPen) return;
        if (lines && (filled || brush.style() == Qt::NoBrush)) {
            lines->Chain(ring, true);
        } else if (filled) {
            p.setBrush(Qt::NoBrush);
            figure();
            p.setBrush(brush);
        } else {
            figure();
        }
        return;
    }
    const QPen pen = p.pen();
    if (!aliasedFill()) {
        TAliasedScope aliased(p);
        p.setPen(Qt::NoPen);
        figure();
        p.setPen(pen);
    }
    if (lines) {
        lines->Chain(ring, true);
        return;
    }
    p.setBrush(Qt::NoBrush);
    figure();
    p.setBrush(brush);
}

template <class TFigure>
void FillAndOutline(QPainter& p, const TFigure& figure, std::span<const QPoint> ring = {}) {
    const auto none = [] { return false; };
    FillAndOutline(p, figure, ring, nullptr, none, none);
}

} // namespace

namespace {

// Qt's smoothing rasteriser looks up every new cell of a scanline from the start of that line,
// so a wide stroke running far along the rows costs with the square of its width on the screen.
constexpr qreal kStrokePieceExtent = 96; // pixels across

// A smoothed solid stroke with round joins and caps is the union of the strokes of its pieces
// cut anywhere along it. Drawn opaque, only edge pixels where two pieces meet differ, blended
// twice; a translucent one would show the overlap.
bool StrokesInPieces(const QPainter& p) {
    const QPen& pen = p.pen();
    return pen.widthF() > 1 && pen.joinStyle() == Qt::RoundJoin && pen.capStyle() == Qt::RoundCap &&
           SmoothedOpaqueSolidPen(p);
}

// Strokes a polyline with the canvas pen (read: TPixelCanvas::Read of it, or nullptr): straight
// into the image where TSmoothStrokes can, otherwise through Qt in pieces of at most
// kStrokePieceExtent across.
void StrokeInPieces(QPainter& p, std::span<const QPoint> pts,
                    const std::optional<TPixelCanvas>* read) {
    if (const auto strokes = TSmoothStrokes::For(p, read)) {
        strokes->Chain(pts);
        return;
    }
    std::vector<QPointF> piece{QPointF(pts[0])};
    qreal across = 0; // of the piece so far
    for (size_t i = 1; i < pts.size(); ++i) {
        const QPointF a = pts[i - 1], b = pts[i];
        const qreal dx = std::abs(b.x() - a.x());
        qreal t = 0; // of the segment drawn
        while (across + (1 - t) * dx > kStrokePieceExtent) {
            t += (kStrokePieceExtent - across) / dx;
            const QPointF cut = a + (b - a) * t;
            piece.push_back(cut);
            p.drawPolyline(piece.data(), int(piece.size()));
            piece.assign(1, cut);
            across = 0;
        }
        across += (1 - t) * dx;
        piece.push_back(b);
    }
    if (piece.size() > 1) p.drawPolyline(piece.data(), int(piece.size()));
}

// Strokes a chain (canvas coordinates) with the dashes of the canvas's smoothed dashed pen,
// each a chain of its own stroked by strokes (TSmoothStrokes::For the canvas, for dashes);
// false, drawing nothing, where Qt would draw the chain solid.
bool StrokeDashes(QPainter& p, const TSmoothStrokes& strokes, std::span<const QPointF> chain) {
    if (chain.size() < 2) return false;
    const auto dashes = TDashPattern::Of(p.pen());
    if (!dashes || !dashes->DashesEverySegment(chain)) return false;
    // Qt draws a chain whose extent on the device holds too many patterns as a translucent
    // solid line.
    double x0 = chain[0].x(), x1 = x0, y0 = chain[0].y(), y1 = y0;
    for (const QPointF& q : chain) {
        x0 = std::min(x0, q.x()), x1 = std::max(x1, q.x());
        y0 = std::min(y0, q.y()), y1 = std::max(y1, q.y());
    }
    const qreal w = p.pen().widthF();
    const QRectF device = p.deviceTransform().inverted().mapRect(
        QRectF(0, 0, p.device()->width(), p.device()->height()));
    const QRectF extent = QRectF(QPointF(x0, y0), QPointF(x1, y1)).adjusted(-w, -w, w, w) & device;
    if (std::max(extent.width(), extent.height()) / dashes->Length() > TDashPattern::kRepetitions)
        return false;
    dashes->Along(chain, device, [&](std::span<const QPointF> dash) {
        if (strokes.Reaches(dash)) strokes.Chain(dash);
    });
    return true;
}

// Strokes a smoothed polyline whose pen is dashed or ends square or flat straight into the
// image (read: TPixelCanvas::Read of the canvas, or nullptr) where TSmoothStrokes can; false,
// drawing nothing, otherwise. Solid round-ended ones are stroked by StrokeInPieces.
bool StrokeStraight(QPainter& p, std::span<const QPoint> pts,
                    const std::optional<TPixelCanvas>* read) {
    if (!Dashed(p.pen())) {
        const auto strokes = TSmoothStrokes::For(p, read);
        if (strokes) strokes->Chain(pts);
        return strokes.has_value();
    }
    const auto strokes = TSmoothStrokes::For(p, read, TSmoothStrokes::TAlso::Dashes);
    if (!strokes) return false;
    const std::vector<QPointF> chain(pts.begin(), pts.end());
    return StrokeDashes(p, *strokes, chain);
}

} // namespace

void TDrawObject::Polyline(std::span<const QPoint> pts) {
    if (!FCanvas || pts.empty()) return;
    TOpacityScope scope(*FCanvas, Opacity);
    TStrokeAlignment alignment(*FCanvas);
    // Pens the steps below leave to Qt smoothed, asked for before the canvas is read.
    const QPen& pen = FCanvas->pen();
    if (pts.size() > 1 && FCanvas->testRenderHint(QPainter::Antialiasing) &&
        (Dashed(pen) || pen.capStyle() != Qt::RoundCap) && StrokeStraight(*FCanvas, pts, Pixels()))
        return;
    if (ClipToTarget && ClippedPolyline(pts)) return;
    if (pts.size() > 1 && StrokesInPieces(*FCanvas))
        StrokeInPieces(*FCanvas, pts, Pixels());
    else if (auto lines = TSmoothHairlines::For(*FCanvas, Pixels()))
        lines->Chain(pts, false);
    else if (auto plain = TPlainHairlines::For(*FCanvas, Pixels()))
        plain->Chain(pts, false);
    else
        FCanvas->drawPolyline(pts.data(), int(pts.size()));
}

namespace {

QRect BoundsOf(std::span<const QPoint> pts) {
    int x0 = pts[0].x(), x1 = x0, y0 = pts[0].y(), y1 = y0;
    for (const QPoint& p : pts) {
        x0 = std::min(x0, p.x()), x1 = std::max(x1, p.x());
        y0 = std::min(y0, p.y()), y1 = std::max(y1, p.y());
    }
    return QRect(QPoint(x0, y0), QPoint(x1, y1));
}

bool Inside(const QRect& inner, const QRect& outer) {
    return inner.left() >= outer.left() && inner.right() <= outer.right() &&
           inner.top() >= outer.top() && inner.bottom() <= outer.bottom();
}

// Wide pens only: the thin-line path of Qt is cheap already, and it steps its dashes pixel by
// pixel, so their pattern could not be carried over a cut.
bool StrokeCanBeCut(const QPen& pen) {
    return pen.style() != Qt::NoPen && pen.widthF() > 1;
}

// Qt's dasher passes over a segment wholly beyond one side of the device by arithmetic of its
// own, which does not always carry the pattern on by the segment's length. The pattern at a cut
// is known only when every segment before it crosses the device's rows or columns.
bool DasherMeasures(QPointF a, QPointF b, const QRect& device) {
    return !((a.x() < device.left() && b.x() < device.left()) ||
             (a.x() > device.right() && b.x() > device.right()) ||
             (a.y() < device.top() && b.y() < device.top()) ||
             (a.y() > device.bottom() && b.y() > device.bottom()));
}

// The length of a polyline as the dasher counts it; nullopt when it would not count it so.
template <class TPoints>
std::optional<qreal> DashedLength(const TPoints& pts, const QRect& device) {
    qreal length = 0;
    for (qsizetype i = 1; i < qsizetype(pts.size()); ++i) {
        if (!DasherMeasures(pts[i - 1], pts[i], device)) return std::nullopt;
        length += QLineF(pts[i - 1], pts[i]).length();
    }
    return length;
}

// The dashed length along the chain before the first point of run, a part of it.
std::optional<qreal> LengthBefore(std::span<const QPoint> chain, std::span<const QPoint> run,
                                  const QRect& device) {
    return DashedLength(chain.first(size_t(run.data() - chain.data()) + 1), device);
}

// The pen for a cut line whose first kept point lies skipped pixels along the whole line: its
// dash pattern goes on where the whole stroke had reached there. Solid pens are returned as
// they are.
QPen ContinuedPen(QPen pen, qreal skipped) {
    if (!Dashed(pen) || skipped <= 0) return pen;
    qreal pattern = 0;
    for (const qreal dash : pen.dashPattern()) pattern += std::max<qreal>(dash, 0);
    const qreal width = pen.widthF();
    if (pattern <= 0) return pen;
    // Offsets are counted in pen widths.
    pen.setDashOffset(pen.dashOffset() + std::fmod(skipped, pattern * width) / width);
    return pen;
}

// Qt's smoothing rasteriser works through the whole height of a fill, clip or not, and holds
// the cells of many rows at once: a large smoothed fill costs far less drawn as bands of rows
// within the rows that can show.
constexpr int kFillBandRows = 16;

// The ring with what lies above top or below bottom pressed onto those rows; between them the
// odd-even fill is unchanged.
void PressIntoRows(std::span<const QPoint> ring, double top, double bottom,
                   std::vector<QPointF>& out) {
    out.clear();
    for (size_t i = 0; i < ring.size(); ++i) {
        const QPointF a = ring[i], b = ring[(i + 1) % ring.size()];
        out.emplace_back(a.x(), std::clamp(a.y(), top, bottom));
        auto cross = [&](double y) {
            out.emplace_back(a.x() + (y - a.y()) / (b.y() - a.y()) * (b.x() - a.x()), y);
        };
        if (a.y() < b.y()) {
            if (a.y() < top && b.y() > top) cross(top);
            if (a.y() < bottom && b.y() > bottom) cross(bottom);
        } else if (a.y() > b.y()) {
            if (a.y() > bottom && b.y() < bottom) cross(bottom);
            if (a.y() > top && b.y() < top) cross(top);
        }
    }
}

// Fills the ring smoothed with the canvas brush (read: TPixelCanvas::Read of it, or nullptr),
// band by band over the rows of target. The bands meet on whole device rows, so each pixel is
// covered by one band as by the whole fill.
void FillInRowBands(QPainter& p, std::span<const QPoint> ring, const QRect& target,
                    const std::optional<TPixelCanvas>* read) {
    // Works through the rows that show by itself.
    if (const auto fills = TSmoothFills::For(p, read); fills && fills->OddEven(ring)) return;
    const QRect box = BoundsOf(ring);
    const double shift = p.deviceTransform().dy() - std::floor(p.deviceTransform().dy());
    const int first = std::max(box.top(), target.top());
    const int end = std::min(box.bottom(), target.bottom() + 1);
    std::vector<QPointF> band;
    for (int top = first; top < end; top += kFillBandRows) {
        PressIntoRows(ring, top - shift, std::min(top + kFillBandRows, end) - shift, band);
        p.drawPolygon(band.data(), int(band.size()), Qt::OddEvenFill);
    }
}

QPainterPath RunsPath(const std::vector<std::span<const QPoint>>& runs) {
    QPainterPath path;
    for (const auto& run : runs) {
        path.moveTo(run[0]);
        for (size_t i = 1; i < run.size(); ++i) path.lineTo(run[i]);
    }
    return path;
}

} // namespace

void TDrawObject::SetCanvas(QPainter* canvas) {
    FCanvas = canvas;
    FAreaRead = false;
    FPixels.Forget();
}

void TDrawObject::Polygon(std::span<const QPoint> pts) {
    if (!FCanvas || pts.empty()) return;
    TOpacityScope scope(*FCanvas, Opacity);
    const TPaintArea& area = PaintArea();
    const bool stamps = UseStamps && area.Exact;
    const QRect box = ClipToTarget || stamps ? BoundsOf(pts) : QRect();
    if (ClipToTarget && OffTarget(box, area)) return;
    if (stamps && (FStamps.Draw(*FCanvas, pts, box, area.Bounds) ||
                   (FCanvas->testRenderHint(QPainter::Antialiasing) &&
                    (FStamps.DrawUnderSmoothOutline(*FCanvas, pts, box, area.Bounds, Pixels()) ||
                     FStamps.DrawSmoothFill(*FCanvas, pts, box, area.Bounds, Pixels())))))
        return;
    if (ClipToTarget && ClippedPolygon(pts, box)) return;
    if (FillPlain(pts, area)) {
        OutlineOnly(pts);
        return;
    }
    // A smoothed fill under an opaque outline is drawn aliased: stamped or scanned here rather
    // than by Qt, and the smoothing left on. Other smoothed fills are Qt's pixels computed here.
    FillAndOutline(
        *FCanvas, [&] { FCanvas->drawPolygon(pts.data(), int(pts.size()), Qt::OddEvenFill); }, pts,
        Pixels(),
        [&] {
            return (stamps && FStamps.DrawFill(*FCanvas, pts, box, area.Bounds)) ||
                   FillPlain(pts, area, true);
        },
        [&] {
            const auto fills = TSmoothFills::For(*FCanvas, Pixels());
            return fills && fills->OddEven(pts);
        });
}

bool TDrawObject::FillPlain(std::span<const QPoint> ring, const TPaintArea& area,
                            bool aliasedAnyway) {
    return PlainFills && area.Exact && TPlainFill::Applies(*FCanvas, area.Bounds, aliasedAnyway) &&
           FPlainFill.Fill(*FCanvas, ring, area.Bounds);
}

void TDrawObject::OutlineOnly(std::span<const QPoint> ring) {
    if (FCanvas->pen().style() == Qt::NoPen) return;
    if (auto plain = TPlainHairlines::For(*FCanvas, Pixels())) {
        plain->Chain(ring, true);
        return;
    }
    if (auto lines = TSmoothHairlines::For(*FCanvas, Pixels())) {
        lines->Chain(ring, true);
        return;
    }
    const QBrush brush = FCanvas->brush();
    FCanvas->setBrush(Qt::NoBrush);
    FCanvas->drawPolygon(ring.data(), int(ring.size()), Qt::OddEvenFill);
    FCanvas->setBrush(brush);
}

const TDrawObject::TPaintArea& TDrawObject::PaintArea() const {
    const QTransform& t = FCanvas->deviceTransform();
    if (!FAreaRead || t != FAreaTransform) {
        FArea = ReadPaintArea();
        FAreaTransform = t;
        FAreaRead = true;
    }
    return FArea;
}

TDrawObject::TPaintArea TDrawObject::ReadPaintArea() const {
    TPaintArea area;
    area.Bounds = DeviceRect();
    area.Exact = true;
    area.Clipped = FCanvas->hasClipping();
    if (!area.Clipped) return area;
    area.ClipBounds = FCanvas->clipBoundingRect();
    if (area.Bounds.isEmpty()) return area;
    const QRegion clip = FCanvas->clipRegion();
    // A rectangle of fractions of a pixel is reported rounded by the region, and Qt may round
    // it otherwise where it clips.
    area.Exact = clip.rectCount() == 1 && QRectF(clip.boundingRect()) == area.ClipBounds;
    area.Bounds &= clip.boundingRect();
    return area;
}

bool TDrawObject::OffTarget(const QRect& box, const TPaintArea& area) const {
    const QRect& bounds = area.Bounds;
    if (bounds.isEmpty()) return false;
    // A box of points is never empty, nor the bounds widened by the margin: they meet unless
    // one lies wholly beyond a side of the other.
    const int margin = StrokeMargin();
    return box.right() < bounds.left() - margin || box.left() > bounds.right() + margin ||
           box.bottom() < bounds.top() - margin || box.top() > bounds.bottom() + margin;
}

QRect TDrawObject::DeviceRect() const {
    const QPaintDevice* device = FCanvas->device();
    const QTransform& t = FCanvas->deviceTransform();
    if (!device || t.type() > QTransform::TxTranslate) return {};
    // A translation of a fraction of a pixel is within the margin.
    return QRect(-int(std::floor(t.dx())), -int(std::floor(t.dy())), device->width(),
                 device->height());
}

QRect TDrawObject::TargetRect(int margin) const {
    QRect r = DeviceRect();
    if (r.isEmpty()) return {};
    const TPaintArea& area = PaintArea();
    if (area.Clipped) r &= area.ClipBounds.toAlignedRect();
    if (r.isEmpty()) return {};
    return r.adjusted(-margin, -margin, margin, margin);
}

namespace {

// The margin outside the target a stroke of pen may reach into: round joins and caps reach
// half the width, square caps half the diagonal, mitred joins half the width times their
// limit; plus slack for the rasteriser.
int MarginOf(const QPen& pen) {
    qreal reach = std::max<qreal>(1, pen.widthF());
    if (const Qt::PenJoinStyle join = pen.joinStyle();
        join == Qt::MiterJoin || join == Qt::SvgMiterJoin)
        reach = std::max(reach, pen.miterLimit() * pen.widthF() / 2);
    return int(std::ceil(reach)) + 4;
}

} // namespace

int TDrawObject::StrokeMargin() const {
    return MarginOf(FCanvas->pen());
}

QRect TDrawObject::CutRect(TFigure figure, const QPen& pen) const {
    if (!FCanvas || !ClipToTarget) return {};
    // The pens each primitive cuts its figure for in device pixels; a dashed pattern would
    // need the length of what was left out.
    const bool solid = pen.style() == Qt::SolidLine;
    bool cut = false;
    switch (figure) {
    case TFigure::Polygon:
        cut = pen.style() == Qt::NoPen || (solid && StrokeCanBeCut(pen));
        break;
    case TFigure::Polyline:
        cut = solid && StrokeCanBeCut(pen);
        break;
    case TFigure::Bezier:
        cut = solid;
        break;
    case TFigure::BezierRing:
        cut = !Dashed(pen);
        break;
    }
    // A pixel more for the half-pixel shift of smoothed odd strokes.
    return cut ? TargetRect(MarginOf(pen) + 1) : QRect();
}

bool TDrawObject::ClippedPolygon(std::span<const QPoint> pts, const QRect& bounds) {
    if (pts.size() < 8) return false;
    const QRect target = TargetRect(StrokeMargin());
    if (target.isEmpty() || Inside(bounds, target)) return false;
    const QPen pen = FCanvas->pen();
    const bool fill = FCanvas->brush().style() != Qt::NoBrush;
    const bool stroke = pen.style() != Qt::NoPen;

    std::vector<QPoint> ring;
    if (fill) ring = ReduceRingOutside(pts, target);
    const bool fillReduced = fill && ring.size() < pts.size();

    // The outline as an open chain starting after a dropped edge, so the cut falls there.
    std::vector<QPoint> chain;
    std::vector<std::span<const QPoint>> runs;
    bool strokeReduced = false;
    qreal skipped = 0;
    if (stroke && StrokeCanBeCut(pen) && Dashed(pen)) {
        // The pattern starts at the first point and runs round to it: the outline is cut only
        // when a single run along it is near the target.
        chain.assign(pts.begin(), pts.end());
        chain.push_back(pts[0]);
        auto kept = PolylineRunsInside(chain, target);
        if (kept.empty()) {
            strokeReduced = true;
        } else if (kept.size() == 1 && kept[0].size() < chain.size()) {
            const auto before = LengthBefore(chain, kept[0], DeviceRect());
            strokeReduced = before.has_value();
            skipped = before.value_or(0);
            if (strokeReduced) runs = std::move(kept);
        }
    } else if (stroke && StrokeCanBeCut(pen)) {
        const size_t n = pts.size();
        for (size_t d = 0; d < n && !strokeReduced; ++d) {
            const QPoint a = pts[d], b = pts[(d + 1) % n];
            if (!QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                       QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())))
                     .intersects(target)) {
                chain.reserve(n);
                for (size_t i = 1; i <= n; ++i) chain.push_back(pts[(d + i) % n]);
                strokeReduced = true;
            }
        }
        if (strokeReduced) runs = PolylineRunsInside(chain, target);
    }
    if (!fillReduced && !strokeReduced) return false;

    if (fill) {
        const std::span<const QPoint> shape = fillReduced ? std::span<const QPoint>(ring) : pts;
        // Smoothed under an opaque outline the fill is drawn aliased, as when it is not cut.
        const bool aliased = FillsAliasedUnderOutline(*FCanvas);
        const bool smooth = !aliased && FCanvas->testRenderHint(QPainter::Antialiasing);
        if (smooth || !FillPlain(shape, PaintArea(), aliased)) {
            if (stroke) FCanvas->setPen(Qt::NoPen);
            if (smooth) {
                FillInRowBands(*FCanvas, shape, target, Pixels());
            } else {
                TAliasedScope scope(*FCanvas);
                FCanvas->drawPolygon(shape.data(), int(shape.size()), Qt::OddEvenFill);
            }
            if (stroke) FCanvas->setPen(pen);
        }
    }
    if (!stroke) return true;
    if (strokeReduced) {
        if (!runs.empty()) FCanvas->strokePath(RunsPath(runs), ContinuedPen(pen, skipped));
    } else if (auto plain = TPlainHairlines::For(*FCanvas, Pixels())) {
        plain->Chain(pts, true);
    } else if (fill) {
        OutlineOnly(pts);
    } else {
        FCanvas->drawPolygon(pts.data(), int(pts.size()), Qt::OddEvenFill);
    }
    return true;
}

bool TDrawObject::ClippedPolyline(std::span<const QPoint> pts) {
    if (pts.size() < 3) return false;
    const QPen pen = FCanvas->pen();
    if (!StrokeCanBeCut(pen)) return false;
    const QRect bounds = BoundsOf(pts);
    const QRect target = TargetRect(StrokeMargin());
    if (target.isEmpty() || Inside(bounds, target)) return false;
    const auto runs = PolylineRunsInside(pts, target);
    if (runs.size() == 1 && runs[0].size() == pts.size()) return false;
    if (runs.empty()) return true;
    qreal skipped = 0;
    if (Dashed(pen)) {
        // Every run of a dashed line would need its own start of the pattern.
        if (runs.size() > 1) return false;
        const auto before = LengthBefore(pts, runs[0], DeviceRect());
        if (!before) return false;
        skipped = *before;
    }
    if (StrokesInPieces(*FCanvas)) {
        for (const auto& run : runs) StrokeInPieces(*FCanvas, run, Pixels());
        return true;
    }
    if (auto lines = TSmoothHairlines::For(*FCanvas, Pixels())) {
        for (const auto& run : runs) lines->Chain(run, false);
        return true;
    }
    FCanvas->strokePath(RunsPath(runs), ContinuedPen(pen, skipped));
    return true;
}

namespace {

QPainterPath BezierChain(std::span<const QPoint> pts) {
    QPainterPath path;
    if (pts.empty()) return path;
    path.moveTo(pts[0]);
    for (size_t i = 1; i + 2 < pts.size(); i += 3) path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
    return path;
}

// The length of a chain of curves as the dasher of a wide pen counts it: along the curves
// flattened with the tolerance it uses at a device scale of 1.
std::optional<qreal> FlattenedLength(const QPainterPath& chain, const QRect& device) {
    const QList<QPolygonF> polygons = chain.toSubpathPolygons();
    if (polygons.size() != 1) return std::nullopt;
    return DashedLength(polygons[0], device);
}

} // namespace

void TDrawObject::PolyBezier(std::span<const QPoint> pts) {
    if (!FCanvas || pts.size() < 4) return;
    TOpacityScope scope(*FCanvas, Opacity);
    TStrokeAlignment alignment(*FCanvas);
    if (const auto strokes = TSmoothStrokes::For(*FCanvas, Pixels())) {
        strokes->Curves(pts);
        return;
    }
    if (Dashed(FCanvas->pen()))
        if (const auto strokes =
                TSmoothStrokes::For(*FCanvas, Pixels(), TSmoothStrokes::TAlso::Dashes)) {
            // Dashes are measured along the whole chain: every curve is flattened.
            std::vector<QPointF> flat;
            const qreal far = 1e9;
            FlattenCubics(pts, QRectF(-far, -far, 2 * far, 2 * far), kDashFlattening, flat);
            if (StrokeDashes(*FCanvas, *strokes, flat)) return;
        }
    if (ClipToTarget && ClippedPolyBezier(pts)) return;
    FCanvas->strokePath(BezierChain(pts), FCanvas->pen());
}

bool TDrawObject::ClippedPolyBezier(std::span<const QPoint> pts) {
    // Any solid pen: flattening the whole curve is the cost, also for thin ones. Dashed pens
    // only when wide (see StrokeCanBeCut).
    const QPen pen = FCanvas->pen();
    const bool dashed = Dashed(pen);
    if (pen.style() == Qt::NoPen || (dashed && !StrokeCanBeCut(pen)) || pts.size() < 7)
        return false;
    const QRect target = TargetRect(StrokeMargin());
    if (target.isEmpty() || Inside(BoundsOf(pts), target)) return false;
    // A cubic segment lies inside the hull of its four points; the cut ends and their caps
    // lie on segments that stay off the target by more than the pen reaches.
    QPainterPath path;
    size_t first = pts.size(); // the start of the first kept segment
    bool open = false, cut = false;
    for (size_t i = 0; i + 3 < pts.size(); i += 3) {
        if (!BoundsOf(pts.subspan(i, 4)).intersects(target)) {
            open = false;
            cut = true;
            continue;
        }
        // A dashed chain is cut to a single run, whose pattern start is known.
        if (!open && dashed && first < i) return false;
        if (!open) path.moveTo(pts[i]);
        if (!open && first > i) first = i;
        open = true;
        path.cubicTo(pts[i + 1], pts[i + 2], pts[i + 3]);
    }
    if (!cut) return false;
    if (path.isEmpty()) return true;
    qreal skipped = 0;
    if (dashed && first > 0) {
        const auto before = FlattenedLength(BezierChain(pts.first(first + 1)), DeviceRect());
        if (!before) return false;
        skipped = *before;
    }
    FCanvas->strokePath(path, ContinuedPen(pen, skipped));
    return true;
}

QPainterPath TDrawObject::CutBezierRing(std::span<const QPoint> pts) const {
    if (pts.size() < 7 || Dashed(FCanvas->pen())) return BezierChain(pts);
    const QRect target = TargetRect(StrokeMargin());
    if (target.isEmpty() || Inside(BoundsOf(pts), target)) return BezierChain(pts);
    QPainterPath path;
    path.moveTo(pts[0]);
    for (size_t i = 1; i + 2 < pts.size(); i += 3) {
        if (BoundsOf(pts.subspan(i - 1, 4)).intersects(target))
            path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
        else
            path.lineTo(pts[i + 2]);
    }
    return path;
}

bool TDrawObject::SmoothBezierRing(std::span<const QPoint> pts) {
    QPainter& p = *FCanvas;
    if (!p.testRenderHint(QPainter::Antialiasing)) return false;
    std::optional<TSmoothFills> fills;
    const QBrush& brush = p.brush();
    if (brush.style() != Qt::NoBrush) {
        // Curves flatten here otherwise than in Qt: only fills of an opaque brush at full
        // opacity take that on, translucent ones stay Qt's.
        if (p.opacity() < 1 || brush.color().alpha() != 255 ||
            !(fills = TSmoothFills::For(p, Pixels())))
            return false;
    }
    std::optional<TSmoothHairlines> lines;
    if (p.pen().style() != Qt::NoPen && !(lines = TSmoothHairlines::For(p, Pixels()))) return false;
    // Beyond this the one-pixel outline touches nothing of the target.
    QRectF keep(-1e9, -1e9, 2e9, 2e9);
    if (ClipToTarget) {
        const QRect target = TargetRect(2);
        if (target.isEmpty()) return false;
        if (!BoundsOf(pts).intersects(target)) return true;
        keep = target;
    }
    // An outline runs along the segments Qt would step; a fill under it is flattened with it,
    // a bare fill follows the curve closer.
    FlattenCubics(pts, keep, lines ? kHairlineFlattening : kFineFlattening, FFlat);
    // Qt too fills the figure before it outlines it.
    if (fills && !fills->OddEven(std::span<const QPointF>(FFlat))) {
        const QPen pen = p.pen();
        p.setPen(Qt::NoPen);
        p.drawPolygon(FFlat.data(), int(FFlat.size()), Qt::OddEvenFill);
        p.setPen(pen);
    }
    if (lines) lines->Chain(std::span<const QPointF>(FFlat), true);
    return true;
}

void TDrawObject::FillBezierPath(std::span<const QPoint> pts) {
    if (!FCanvas || pts.size() < 4) return;
    TOpacityScope scope(*FCanvas, Opacity);
    if (SmoothBezierRing(pts)) return;
    QPainterPath path = ClipToTarget ? CutBezierRing(pts) : BezierChain(pts);
    path.closeSubpath();
    path.setFillRule(Qt::OddEvenFill);
    FillAndOutline(*FCanvas, [&] { FCanvas->drawPath(path); });
}

void TDrawObject::Ellipse(int x1, int y1, int x2, int y2) {
    if (!FCanvas) return;
    TOpacityScope scope(*FCanvas, Opacity);
    // The old canvas excluded the right and bottom edges of the bounding rectangle.
    FCanvas->drawEllipse(QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)));
}

void TDrawObject::TextOut(int x, int y, const QString& text, int escapement) {
    if (!FCanvas || text.isEmpty() || TextHeight <= 0) return;
    TOpacityScope scope(*FCanvas, Opacity);
    const QFont font = FFonts.Font(TextFontName, TextHeight, TextBold);
    const bool opaque = FCanvas->brush().style() == Qt::SolidPattern;
    if (ReuseShapes && escapement == 0 && TShapedTexts::Applies(*FCanvas, font, text)) {
        const TShapedText& shaped = FShapes.Shape(font, text, FCanvas->layoutDirection());
        if (opaque) FCanvas->fillRect(QRect(QPoint(x, y), shaped.Cell), FCanvas->brush());
        const QPen pen = FCanvas->pen();
        FCanvas->setPen(TextColor);
        TShapedTexts::Draw(*FCanvas, x, y, shaped);
        FCanvas->setPen(pen);
        return;
    }
    const QFontMetrics metrics(font);
    // The canvas keeps its state; a save and restore would make Qt set up pen, brush and
    // clip again for the next figure.
    const QTransform transform = FCanvas->worldTransform();
    const QPen pen = FCanvas->pen();
    const QFont canvasFont = FCanvas->font();
    FCanvas->translate(x, y);
    if (escapement != 0) FCanvas->rotate(-escapement / 10.0); // counter-clockwise on screen
    if (opaque) {
        // Measuring shapes the text: only for the cell that is painted.
        const QRect cell(QPoint(0, 0), FFonts.TextCell(TextFontName, TextHeight, text, TextBold));
        FCanvas->fillRect(cell, FCanvas->brush());
    }
    FCanvas->setFont(font);
    FCanvas->setPen(TextColor);
    FCanvas->drawText(0, metrics.ascent(), text);
    FCanvas->setFont(canvasFont);
    FCanvas->setPen(pen);
    FCanvas->setWorldTransform(transform);
}

void TDrawObject::DrawGraphic(int x, int y, const QImage& graphic) {
    if (!FCanvas || graphic.isNull()) return;
    TOpacityScope scope(*FCanvas, Opacity);
    TAliasedScope aliased(*FCanvas);
    FCanvas->drawImage(x, y, graphic);
}

void TDrawObject::StretchTransparent(const QRect& rect, const QImage& bitmap) {
    if (!FCanvas || bitmap.isNull() || rect.isEmpty()) return;
    TOpacityScope scope(*FCanvas, Opacity);
    TAliasedScope aliased(*FCanvas);
    FCanvas->drawImage(rect, bitmap);
}

void TDrawObject::StretchDraw(int x1, int y1, int x2, int y2, const QImage& graphic) {
    if (!FCanvas || graphic.isNull()) return;
    TOpacityScope scope(*FCanvas, Opacity);
    TAliasedScope aliased(*FCanvas);
    FCanvas->drawImage(QRect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                             QSize(std::abs(x2 - x1), std::abs(y2 - y1))),
                       graphic);
}

// ---------------------------------------------------------------------- host-drawn lines

int OutCode(QPoint p, int w, int h) {
    int code = 0;
    if (p.x() < 0)
        code |= 1;
    else if (p.x() > w)
        code |= 4;
    if (p.y() < 0)
        code |= 2;
    else if (p.y() > h)
        code |= 8;
    return code;
}

bool CutToRect(QPointF& a, QPointF& b, const QRectF& r) {
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    const QPointF a0 = a;
    a = a0 + QPointF(dx, dy) * t0;
    b = a0 + QPointF(dx, dy) * t1;
    return true;
}

std::optional<TSegment> ClipSegment(QPoint a, QPoint b, int w, int h) {
    // Doubles, so that long segments far off the control cannot overflow.
    double x1 = a.x(), y1 = a.y(), x2 = b.x(), y2 = b.y();
    int c1 = OutCode(a, w, h), c2 = OutCode(b, w, h);
    auto code = [&](double x, double y) {
        int c = 0;
        if (x < 0)
            c |= 1;
        else if (x > w)
            c |= 4;
        if (y < 0)
            c |= 2;
        else if (y > h)
            c |= 8;
        return c;
    };
    for (int guard = 0; guard < 8; ++guard) {
        if ((c1 | c2) == 0)
            return TSegment{QPoint(RoundToInt(x1), RoundToInt(y1)),
                            QPoint(RoundToInt(x2), RoundToInt(y2))};
        if (c1 & c2) return std::nullopt;
        const int out = c1 ? c1 : c2;
        double x = 0, y = 0;
        if (out & 8) {
            x = x1 + (x2 - x1) * (h - y1) / (y2 - y1);
            y = h;
        } else if (out & 2) {
            x = x1 + (x2 - x1) * (0 - y1) / (y2 - y1);
            y = 0;
        } else if (out & 4) {
            y = y1 + (y2 - y1) * (w - x1) / (x2 - x1);
            x = w;
        } else {
            y = y1 + (y2 - y1) * (0 - x1) / (x2 - x1);
            x = 0;
        }
        // Intersections fall on whole pixels.
        x = NearestEven(x);
        y = NearestEven(y);
        if (out == c1) {
            x1 = x, y1 = y, c1 = code(x1, y1);
        } else {
            x2 = x, y2 = y, c2 = code(x2, y2);
        }
    }
    return std::nullopt;
}

std::vector<QPoint> ReduceRingOutside(std::span<const QPoint> ring, const QRect& rect) {
    // Per point, a bit for each side it lies beyond: left 1, top 2, right 4, bottom 8.
#ifdef __SSE2__
    // The two coordinates compared at once with each corner.
    const __m128i topLeft = _mm_setr_epi32(rect.left(), rect.top(), 0, 0);
    const __m128i bottomRight = _mm_setr_epi32(rect.right(), rect.bottom(), 0, 0);
    auto code = [&](QPoint p) {
        const __m128i at = _mm_setr_epi32(p.x(), p.y(), 0, 0);
        const __m128i beyond =
            _mm_unpacklo_epi64(_mm_cmplt_epi32(at, topLeft), _mm_cmpgt_epi32(at, bottomRight));
        return _mm_movemask_ps(_mm_castsi128_ps(beyond));
    };
#else
    auto code = [&](QPoint p) {
        return (p.x() < rect.left() ? 1 : 0) | (p.y() < rect.top() ? 2 : 0) |
               (p.x() > rect.right() ? 4 : 0) | (p.y() > rect.bottom() ? 8 : 0);
    };
#endif
    std::vector<QPoint> out;
    out.reserve(ring.size());
    for (size_t i = 0; i < ring.size();) {
        int common = code(ring[i]);
        size_t j = i;
        while (common && j + 1 < ring.size() && (common & code(ring[j + 1]))) {
            common &= code(ring[j + 1]);
            ++j;
        }
        out.push_back(ring[i]);
        if (j > i) out.push_back(ring[j]);
        i = j + 1;
    }
    return out;
}

std::vector<std::span<const QPoint>> PolylineRunsInside(std::span<const QPoint> pts,
                                                        const QRect& rect) {
    std::vector<std::span<const QPoint>> runs;
    size_t start = 0;
    bool open = false;
    for (size_t i = 0; i + 1 < pts.size(); ++i) {
        const QPoint a = pts[i], b = pts[i + 1];
        const bool meets =
            std::max(a.x(), b.x()) >= rect.left() && std::min(a.x(), b.x()) <= rect.right() &&
            std::max(a.y(), b.y()) >= rect.top() && std::min(a.y(), b.y()) <= rect.bottom();
        if (meets && !open) start = i, open = true;
        if (!meets && open) {
            runs.push_back(pts.subspan(start, i + 1 - start));
            open = false;
        }
    }
    if (open) runs.push_back(pts.subspan(start));
    return runs;
}

void StepLine(QPoint a, QPoint b, const std::function<void(int, int)>& visit) {
    // Bresenham: one pixel per step along the major axis.
    int x = a.x(), y = a.y();
    const int dx = std::abs(b.x() - x), dy = std::abs(b.y() - y);
    const int sx = b.x() >= x ? 1 : -1, sy = b.y() >= y ? 1 : -1;
    const int steps = std::max(dx, dy);
    if (dx >= dy) {
        int err = 2 * dy - dx;
        for (int i = 0; i < steps; ++i) {
            visit(x, y);
            if (err > 0) {
                y += sy;
                err -= 2 * dx;
            }
            err += 2 * dy;
            x += sx;
        }
    } else {
        int err = 2 * dx - dy;
        for (int i = 0; i < steps; ++i) {
            visit(x, y);
            if (err > 0) {
                x += sx;
                err -= 2 * dy;
            }
            err += 2 * dx;
            y += sy;
        }
    }
}

} // namespace tsivor::mapview
