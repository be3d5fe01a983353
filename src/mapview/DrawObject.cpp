#include "mapview/DrawObject.h"

#include "mapdata/Rounding.h"
#include "mapview/JpegDecoder.h"

#include <QPainter>

#include <cmath>

namespace tsivor::mapview {

using mapdata::NearestEven;
using mapdata::RoundToInt;

using namespace mapdata;

namespace {

constexpr size_t kDevicePointBufferSize = 150000;
constexpr size_t kPictureCacheLimit = 64;
constexpr size_t kStyleCacheLimit = 512;
constexpr int kMinCutPoints = 64; // fewer are converted faster than cut first

QImage MakeErrorIcon() {
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(QColor(255, 0, 0));
    QPainter p(&icon);
    p.setPen(Qt::white);
    p.drawRect(0, 0, 31, 31);
    p.setPen(Qt::black);
    p.drawRect(1, 1, 29, 29);
    InstallMapFontSubstitutes();
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11); // 8 points on a 96-dpi canvas
    p.setFont(font);
    p.setPen(QColor(255, 255, 0));
    p.drawText(3, 4 + QFontMetrics(font).ascent(), QStringLiteral("Error!"));
    return icon;
}

Qt::PenStyle PenStyleOf(uint8_t style) {
    switch (style) {
    case 1:
        return Qt::DashLine;
    case 2:
        return Qt::DotLine;
    case 3:
        return Qt::DashDotLine;
    case 4:
        return Qt::DashDotDotLine;
    case 5:
        return Qt::NoPen;
    default:
        return Qt::SolidLine; // solid and inside frame
    }
}

int DeviceWidth(const TORBMapPen& pen, double k) {
    return pen.Width > 0 ? RoundToInt(pen.Width * k) : 1;
}

} // namespace

bool TRowBand::Reaches(const TORBMapObjectMem& o, bool extruded) const {
    // Only outlines, curves (within the hull of their points), ellipses and flat areas are
    // placed by their box: texts, pictures, notes, groups, blocks and house numbers reach every
    // row.
    if (extruded || o.HasAddress == 1) return true;
    switch (o.ObjectType) {
    case cPolygon:
        if (Blocks) return true;
        break;
    case cLine:
    case cBezier:
        if (o.Pen.Flags == kPenHostDrawn) return true;
        break;
    case cEllipse:
    case cBezierFill:
        break;
    default:
        return true;
    }
    float y0 = o.Box[0].Y, y1 = y0;
    for (const TORBMapPoint& p : o.Box) y0 = std::min(y0, p.Y), y1 = std::max(y1, p.Y);
    // The rounding of the points, a pen of any cap and the casing two pixels wider stay in it.
    const double reach = 2 * std::max(0.0f, o.Pen.Width) * K + 8;
    float x = 0, d0 = y0, d1 = y1;
    Transform->MapToScreen(x, d0);
    Transform->MapToScreen(x, d1);
    return std::max(d0, d1) + reach >= Top && std::min(d0, d1) - reach < Bottom;
}

TObjectPainter::TObjectPainter(TDrawObject& draw) : FDraw(draw), FErrorIcon(MakeErrorIcon()) {
    FDevicePoints.resize(kDevicePointBufferSize);
}

QPen TObjectPainter::MakePen(const TORBMapObjectMem& o, double k, int extraWidth) {
    const TColor color = extraWidth <= 0 ? o.Pen.Color : o.Brush.Color;
    const int onDevice = DeviceWidth(o.Pen, k);
    QPen pen(ToQColor(color));
    pen.setStyle(PenStyleOf(o.Pen.Style));
    pen.setJoinStyle(Qt::RoundJoin);
    const bool geometric = o.Pen.Flags != 0 || (o.Pen.Style != 0 && o.Pen.Width > 0);
    if (geometric) {
        pen.setCapStyle((o.Pen.Flags & kPenSquareEnds) ? Qt::SquareCap : Qt::RoundCap);
        pen.setWidth(o.Pen.Width > 0 ? extraWidth + onDevice : 1);
    } else {
        pen.setCapStyle(Qt::RoundCap);
        pen.setWidth(onDevice);
    }
    return pen;
}

QBrush TObjectPainter::MakeBrush(uint32_t color, uint8_t style) {
    static constexpr Qt::BrushStyle kStyles[] = {
        Qt::SolidPattern, Qt::NoBrush,      Qt::HorPattern,   Qt::VerPattern,
        Qt::FDiagPattern, Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    return QBrush(ToQColor(color), style < 8 ? kStyles[style] : Qt::SolidPattern);
}

QPen TObjectPainter::Pen(const TORBMapObjectMem& o, double k, int extraWidth) {
    const auto key = std::make_tuple(extraWidth <= 0 ? o.Pen.Color : o.Brush.Color, o.Pen.Style,
                                     o.Pen.Width, o.Pen.Flags, k, extraWidth);
    auto it = FPens.find(key);
    if (it != FPens.end()) return it->second;
    if (FPens.size() >= kStyleCacheLimit) FPens.clear();
    return FPens.emplace(key, MakePen(o, k, extraWidth)).first->second;
}

QBrush TObjectPainter::Brush(uint32_t color, uint8_t style) {
    const auto key = std::make_pair(color, style);
    auto it = FBrushes.find(key);
    if (it != FBrushes.end()) return it->second;
    if (FBrushes.size() >= kStyleCacheLimit) FBrushes.clear();
    return FBrushes.emplace(key, MakeBrush(color, style)).first->second;
}

std::array<QPointF, 13> TObjectPainter::EllipseChain(const QPointF corners[4], bool wholePixels) {
    constexpr double kHalfKappa = 0.2761423749154;
    QPointF c[4];
    for (int i = 0; i < 4; ++i)
        c[i] = wholePixels ? QPointF(NearestEven(corners[i].x()), NearestEven(corners[i].y()))
                           : corners[i];
    auto mid = [&](int a, int b) { return (c[a] + c[b]) / 2.0; };
    auto length = [](QPointF a, QPointF b) { return std::hypot(b.x() - a.x(), b.y() - a.y()); };
    // The point at distance d from p towards q (the distance p–q in whole pixels on a device).
    auto towards = [&](QPointF p, QPointF q, double d) {
        const double l = wholePixels ? NearestEven(length(p, q)) : length(p, q);
        return l == 0 ? p : p + (q - p) * (d / l);
    };
    std::array<QPointF, 13> out;
    size_t n = 0;
    // Sides i → i+1 with midpoints; the arc from side i to side i+1 bends around corner i+1.
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) % 4, k = (i + 2) % 4;
        const QPointF m1 = mid(i, j), m2 = mid(j, k);
        if (i == 0) out[n++] = m1;
        out[n++] = towards(m1, c[j], kHalfKappa * length(c[i], c[j]));
        out[n++] = towards(m2, c[j], kHalfKappa * length(c[j], c[k]));
        out[n++] = m2;
    }
    return out;
}

std::vector<QPoint> TObjectPainter::EllipseQuadPoints(const QPointF corners[4]) {
    std::vector<QPoint> out;
    out.reserve(13);
    for (const QPointF& p : EllipseChain(corners, true))
        out.push_back(QPoint(RoundToInt(p.x()), RoundToInt(p.y())));
    return out;
}

std::span<const QPoint> TObjectPainter::Convert(const TORBMapObjectMem& o,
                                                const TDrawDevice& device, bool compact) {
    if (!o.Points || o.Count <= 0) return {};
    if (FDevicePoints.size() < size_t(o.Count)) FDevicePoints.resize(size_t(o.Count));
    if (compact) {
        const int n = device.Transform->MapPointsToScreenCompact(o.Points.get(), o.Count,
                                                                 FDevicePoints.data());
        return {FDevicePoints.data(), size_t(n)};
    }
    device.Transform->MapPointsToScreen(o.Points.get(), o.Count, FDevicePoints.data());
    return {FDevicePoints.data(), size_t(o.Count)};
}

std::span<const QPoint> TObjectPainter::ConvertNear(const TORBMapObjectMem& o,
                                                    const TDrawDevice& device,
                                                    TDrawObject::TFigure figure,
                                                    const QPen* casing) {
    using enum TDrawObject::TFigure;
    const bool curves = figure == Bezier || figure == BezierRing;
    if (!CutInMapUnits || !o.Points || o.Count < kMinCutPoints) return Convert(o, device, !curves);
    QRect cut = FDraw.CutRect(figure, FDraw.Canvas()->pen());
    if (casing && !cut.isEmpty()) {
        const QRect wider = FDraw.CutRect(figure, *casing);
        cut = wider.isEmpty() ? QRect() : cut.united(wider);
    }
    TMapCutRect r;
    if (cut.isEmpty() || !device.Transform->MapRectAround(cut, r.X0, r.Y0, r.X1, r.Y1))
        return Convert(o, device, !curves);
    std::span<const TORBMapPoint> pts(o.Points.get(), size_t(o.Count));
    if (curves) {
        pts = pts.first(((pts.size() - 1) / 3) * 3 + 1);
        KeepCurvesNear(pts, r, FKept);
    } else {
        KeepRunsNear(pts, r, FKept);
    }
    const int kept = KeptCount(FKept);
    if (kept == int(pts.size())) return Convert(o, device, !curves);
    // One run beyond one side is all there is: nothing of it reaches the rectangle.
    if (kept == (curves ? 4 : 2)) return {};
    if (FDevicePoints.size() < size_t(kept)) FDevicePoints.resize(size_t(kept));
    QPoint* out = FDevicePoints.data();
    int written = 0;
    for (const auto& [first, last] : FKept) {
        const int n = last - first;
        device.Transform->MapPointsToScreen(pts.data() + first, n, out + written);
        if (curves) {
            written += n;
            continue;
        }
        // Repeated pixels are dropped as the whole figure's conversion drops them, except the
        // first after a shortened run: the pixel cut still splits the figure there.
        const int start = written;
        for (int i = 0; i < n; ++i)
            if (written == start || out[written - 1] != out[start + i])
                out[written++] = out[start + i];
    }
    // Fewer points than the primitive cuts a figure of: it would be drawn another way.
    const int fewest = figure == Polygon ? 8 : figure == Polyline ? 3 : 7;
    if (written < fewest) return Convert(o, device, !curves);
    return {out, size_t(written)};
}

void TObjectPainter::BeforeFigure(const TORBMapObjectMem& o, QPainter& canvas, QPen& pen,
                                  QBrush& brush, uint8_t& alpha, const tOrbMapOptions& options) {
    alpha = o.Alpha;
    if (OnPaintObject) OnPaintObject(o, alpha, pen, brush);
    if (canvas.pen() != pen) canvas.setPen(pen);
    if (canvas.brush() != brush) canvas.setBrush(brush);
    FDraw.Opacity = uint8_t(RoundToInt(options.AlphaBlending() * alpha / 255.0));
}

void TObjectPainter::DrawObject(const TORBMapObjectMem& o, const tOrbMapOptions& options,
                                const TDrawDevice& device) {
    QPainter* canvas = FDraw.Canvas();
    if (!canvas || !device.Transform) return;
    if (o.ObjectType == cGroup) {
        DrawGroup(o, options, device);
        return;
    }
    const uint8_t savedOpacity = FDraw.Opacity;
    FHeight = o.ObjectType == cPolygon ? ObjectHeight(o, options, OnHeightObject) : 0;
    DrawFigure(o, options, device, *canvas);
    FDraw.Opacity = savedOpacity;

    const bool hostLine =
        o.ObjectType == cLine && o.Pen.Flags == kPenHostDrawn && bool(OnPixelLineEvent);
    if (o.ObjectType != cZametka && !hostLine) {
        THouseNumberDevice numbers{device.Transform, device.Scale, device.Printing,
                                   device.PrintNumberDom, device.LogicalDpi};
        numbers.PixelsPerUnit = device.PixelsPerUnit * device.DeviceFactor;
        FDraw.Opacity = uint8_t(RoundToInt(options.AlphaBlending() * o.Alpha / 255.0));
        HouseNumbers.Draw(o, options, numbers, FDraw, FHeight);
        FDraw.Opacity = savedOpacity;
    }
}

void TObjectPainter::DrawFigure(const TORBMapObjectMem& o, const tOrbMapOptions& options,
                                const TDrawDevice& device, QPainter& canvas) {
    const double k = device.K();
    QPen pen = canvas.pen();
    QBrush brush = canvas.brush();
    uint8_t alpha = o.Alpha;
    const bool fillable = !(device.Printing && device.ConturOnly);

    switch (o.ObjectType) {
    case cPolygon: {
        brush = Brush(o.Brush.Color, fillable ? o.Brush.Style : 1);
        pen = Pen(o, k, 0);
        BeforeFigure(o, canvas, pen, brush, alpha, options);
        const int hp = View3DApplies(options, device.Scale) && FHeight > kMinExtrudedHeight
                           ? RoundToInt(FHeight * device.PixelsPerUnit * device.DeviceFactor)
                           : 0;
        // A block is drawn from all its points.
        const auto pts = hp == 0 ? ConvertNear(o, device, TDrawObject::TFigure::Polygon)
                                 : Convert(o, device, true);
        if (pts.size() < 2) return;
        FExtruder.DrawPolygon3D(FDraw, pts, hp, options.View3DAngle());
        return;
    }
    case cLine: {
        brush.setColor(ToQColor(o.Brush.Color));
        if (o.Pen.Flags == kPenHostDrawn) {
            DrawHostLine(o, device, canvas);
            return;
        }
        pen = Pen(o, k, 0);
        BeforeFigure(o, canvas, pen, brush, alpha, options);
        const bool casing = o.Pen.Flags & kPenCasing;
        const QPen casingPen = casing ? Pen(o, k, 2) : QPen();
        const auto pts =
            ConvertNear(o, device, TDrawObject::TFigure::Polyline, casing ? &casingPen : nullptr);
        if (pts.size() < 2) return;
        if (casing) {
            canvas.setPen(casingPen);
            FDraw.Polyline(pts);
            canvas.setPen(pen);
        }
        FDraw.Polyline(pts);
        return;
    }
    case cPixel: {
        brush = QBrush(ToQColor(o.Brush.Color), Qt::SolidPattern);
        pen = Pen(o, k, 0);
        BeforeFigure(o, canvas, pen, brush, alpha, options);
        if (!o.Points) return;
        for (int i = 0; i < o.Count; ++i) {
            const TORBMapPoint& p = o.Points[size_t(i)];
            if (FPixelRadius <= 0) {
                // A degenerate ellipse: a dot the size of the pen.
                float x = p.X, y = p.Y;
                device.Transform->MapToScreen(x, y);
                canvas.drawPoint(RoundToInt(x), RoundToInt(y));
                continue;
            }
            float x1 = p.X - FPixelRadius, y1 = p.Y - FPixelRadius;
            float x2 = p.X + FPixelRadius, y2 = p.Y + FPixelRadius;
            device.Transform->MapToScreen(x1, y1);
            device.Transform->MapToScreen(x2, y2);
            FDraw.Ellipse(RoundToInt(x1), RoundToInt(y1), RoundToInt(x2), RoundToInt(y2));
        }
        return;
    }
    case cText:
        brush = Brush(o.Brush.Color, fillable ? o.Brush.Style : 1);
        DrawText(o, options, device, canvas, pen, brush, alpha);
        return;
    case cBitmap:
        BeforeFigure(o, canvas, pen, brush, alpha, options);
        DrawBitmap(o, device, canvas);
        return;
    case cBezier:
    case cBezierFill: {
        brush = Brush(o.Brush.Color, fillable ? o.Brush.Style : 1);
        pen = Pen(o, k, 0);
        BeforeFigure(o, canvas, pen, brush, alpha, options);
        const auto pts = ConvertNear(o, device,
                                     o.ObjectType == cBezier ? TDrawObject::TFigure::Bezier
                                                             : TDrawObject::TFigure::BezierRing);
        if (pts.size() < 4) return;
        // A chain needs 3 n + 1 points; a surplus at the end is left out.
        const auto chain = pts.first(((pts.size() - 1) / 3) * 3 + 1);
        if (o.ObjectType == cBezier)
            FDraw.PolyBezier(chain);
        else
            FDraw.FillBezierPath(chain);
        return;
    }
    case cEllipse: {
        brush = Brush(o.Brush.Color, o.Brush.Style);
        pen = Pen(o, k, 0);
        if (!o.Points || o.Count < 4) {
            BeforeFigure(o, canvas, pen, brush, alpha, options);
            return;
        }
        QPointF corners[4];
        for (int i = 0; i < 4; ++i) {
            float x = o.Points[size_t(i)].X, y = o.Points[size_t(i)].Y;
            device.Transform->MapToScreen(x, y);
            corners[i] = QPointF(x, y);
        }
        BeforeFigure(o, canvas, pen, brush, alpha, options);
        const std::vector<QPoint> chain = EllipseQuadPoints(corners);
        FDraw.FillBezierPath(chain);
        return;
    }
    case cZametka:
        DrawNote(o, options, device, canvas);
        return;
    default:
        return; // unknown type codes draw nothing
    }
}

void TObjectPainter::DrawHostLine(const TORBMapObjectMem& o, const TDrawDevice& device,
                                  QPainter& canvas) {
    if (!OnPixelLineEvent) return;
    const auto pts = Convert(o, device, true);
    if (pts.size() < 2) return;
    // The handler gets its own copy; the record may change while pixels are handed out.
    TOrbMapObjectPtr copy = o.Clone();
    TAliasedScope aliased(canvas); // the handler sets whole pixels
    const std::vector<QPoint> points(pts.begin(), pts.end());
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        const auto segment =
            ClipSegment(points[i], points[i + 1], device.Size.width(), device.Size.height());
        if (!segment) continue;
        int number = 0;
        StepLine(segment->A, segment->B, [&](int x, int y) {
            OnPixelLineEvent(*copy, x, y, number++, device.DeviceFactor, canvas);
        });
    }
}

void TObjectPainter::DrawText(const TORBMapObjectMem& o, const tOrbMapOptions& options,
                              const TDrawDevice& device, QPainter& canvas, QPen& pen, QBrush& brush,
                              uint8_t& alpha) {
    TORBMapText t;
    if (!o.GetText(t)) return;
    const double k = device.K();
    const double h = NearestEven(double(t.Size) * k);
    pen.setColor(ToQColor(o.Pen.Color));
    if (!(h > 4 && h <= 100000)) return; // too small to read, or a damaged size
    float x = t.X, y = t.Y;
    device.Transform->MapToScreen(x, y);
    BeforeFigure(o, canvas, pen, brush, alpha, options);
    FDraw.TextFontName = t.FontIndex == 1 ? options.FontSystem1() : options.FontSystem();
    FDraw.TextHeight = int(h);
    FDraw.TextColor = canvas.pen().color();
    FDraw.TextBold = false;
    FDraw.TextOut(RoundToInt(x), RoundToInt(y), t.Text, t.Angle);
}

const QImage& TObjectPainter::Picture(const TORBMapBitmap& b, int reduction) {
    const auto key = std::make_tuple(b.Image.constData(), b.Image.size(), reduction);
    auto it = FPictures.find(key);
    if (it != FPictures.end()) return it->second.Image;
    if (FPictures.size() >= kPictureCacheLimit) FPictures.clear();
    QImage image;
    if (b.Format == 1) {
        image = DecodeJpeg(b.Image, reduction);
    } else {
        QImage loaded = QImage::fromData(b.Image, "BMP");
        if (!loaded.isNull()) {
            image = loaded.convertToFormat(QImage::Format_ARGB32);
            if (b.Transparent) {
                // Pixels of the transparent colour are left out of the picture.
                const QRgb key = ToQColor(b.TransparentColor).rgb() & 0xFFFFFF;
                for (int y = 0; y < image.height(); ++y) {
                    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
                    for (int x = 0; x < image.width(); ++x)
                        if ((line[x] & 0xFFFFFF) == key) line[x] = 0;
                }
            }
        }
    }
    return FPictures.emplace(key, TCachedPicture{b.Image, image}).first->second.Image;
}

void TObjectPainter::DrawBitmap(const TORBMapObjectMem& o, const TDrawDevice& device,
                                QPainter& canvas) {
    if (!o.Bitmap) return;
    const TORBMapBitmap& b = *o.Bitmap;
    QPointF c[4];
    for (int i = 0; i < 4; ++i) {
        float x = b.Corners[size_t(i)].X, y = b.Corners[size_t(i)].Y;
        device.Transform->MapToScreen(x, y);
        c[i] = QPointF(x, y);
    }
    auto px = [](QPointF p) { return QPoint(RoundToInt(p.x()), RoundToInt(p.y())); };
    const QImage* image = nullptr;
    if (!b.Image.isEmpty()) {
        int reduction = 1;
        if (b.Format == 1) {
            const QSize size = JpegImageSize(b.Image);
            if (size.width() > 0) {
                const double shown = std::hypot(c[1].x() - c[0].x(), c[1].y() - c[0].y());
                reduction = JpegReductionForRatio(shown / size.width());
            }
        }
        const QImage& decoded = Picture(b, reduction);
        if (!decoded.isNull()) image = &decoded;
    }
    if (image) {
        const QPoint a = px(c[0]), z = px(c[2]);
        FDraw.StretchDraw(a.x(), a.y(), z.x(), z.y(), *image);
        return;
    }
    // No picture, or one that cannot be decoded: the crossed outline.
    canvas.save();
    QPen pen(Qt::white, 1, Qt::DashDotLine);
    canvas.setPen(pen);
    const QPoint outline[5] = {px(c[0]), px(c[1]), px(c[2]), px(c[3]), px(c[0])};
    FDraw.Polyline(outline);
    canvas.drawLine(px(c[0]), px(c[2]));
    canvas.drawLine(px(c[1]), px(c[3]));
    canvas.restore();
}

QImage TObjectPainter::NoteIcon(const TORBMapObjectMem& o) const {
    TORBMapZametka z;
    if (IconLookup && o.GetZametka(z)) {
        QImage icon = IconLookup(z.NameLib, z.NamePic);
        if (!icon.isNull()) return icon;
    }
    return FErrorIcon;
}

void TObjectPainter::DrawNote(const TORBMapObjectMem& o, const tOrbMapOptions& options,
                              const TDrawDevice& device, QPainter& canvas) {
    TORBMapZametka z;
    if (!o.GetZametka(z)) return;
    float x = z.X, y = z.Y;
    device.Transform->MapToScreen(x, y);
    const QImage icon = NoteIcon(o);
    int w = RoundToInt(icon.width() * double(device.DeviceFactor));
    int h = RoundToInt(icon.height() * double(device.DeviceFactor));
    if (device.Printing) {
        w = RoundToInt(w * device.PixelSize);
        h = RoundToInt(h * device.PixelSize);
    }
    const int left = RoundToInt(x - w / 2.0), top = RoundToInt(y - h / 2.0);
    QPen pen = canvas.pen();
    QBrush brush(Qt::NoBrush);
    uint8_t alpha = o.Alpha;
    BeforeFigure(o, canvas, pen, brush, alpha, options);
    FDraw.StretchTransparent(QRect(int(left), int(top), int(w), int(h)), icon);
}

void TObjectPainter::DrawGroup(const TORBMapObjectMem& o, const tOrbMapOptions& options,
                               const TDrawDevice& device) {
    if (!o.Children) return;
    const TOrbMapList& members = *o.Children;
    for (int i = 0; i < int(members.size()); ++i) {
        const TORBMapObjectMem* m = members[size_t(i)].get();
        if (!m) continue;
        if (device.Clip && !device.Clip->IsObjectInView(members, i)) continue;
        if (device.Rows && !device.Rows->Reaches(*m)) continue;
        if (m->ObjectType != cZametka) {
            const double w = std::abs(m->Box[2].X - m->Box[0].X) * device.PixelsPerUnit;
            const double h = std::abs(m->Box[2].Y - m->Box[0].Y) * device.PixelsPerUnit;
            if (w <= options.ObjectView() && h <= options.ObjectView()) continue;
        }
        DrawObject(*m, options, device);
    }
}

} // namespace tsivor::mapview
