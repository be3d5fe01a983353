#include "mapview/PolygonStamps.h"

#include "mapview/PlainHairlines.h"

#include <QPaintEngine>

#include <algorithm>
#include <cstring>

namespace tsivor::mapview {

namespace {

constexpr int kScratchSide = TPolygonStamps::kMaxExtent + 2 * TPolygonStamps::kMargin;
// Twice the stamps, a power of two: probes stay short.
constexpr size_t kSlotCount = 65536;
static_assert(kSlotCount >= 2 * TPolygonStamps::kMaxStamps && (kSlotCount & (kSlotCount - 1)) == 0);

constexpr QRgb kBackMarker = 0xFF000000, kOutlineMarker = 0xFFFF0000;
// In a key where the pen's style stands, for a fill alone, a fill under a smoothed outline and
// a smoothed fill: no pen style has them.
constexpr char kFillAlone = 0x7F, kUnderSmoothOutline = 0x7E, kSmoothFill = 0x7D;

// Whether the four pixels from p on are all background.
bool FourBack(const QRgb* p) {
    uint64_t a, b;
    std::memcpy(&a, p, 8);
    std::memcpy(&b, p + 2, 8);
    constexpr uint64_t kPair = uint64_t(kBackMarker) << 32 | kBackMarker;
    return (a ^ kPair) == 0 && (b ^ kPair) == 0;
}

bool Opaque(const QColor& c) {
    return c.rgba64().isOpaque();
}

bool StampedFormat(QImage::Format f) {
    // Formats an opaque colour is written to as the same 32-bit value.
    return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
           f == QImage::Format_ARGB32_Premultiplied;
}

// Opaque solid hairline pens: Qt strokes them aliased with its cosmetic stroker, which steps
// whole-pixel points in fixed point, and smoothed as TSmoothHairlines steps them.
bool HairlinePen(const QPen& pen) {
    return pen.style() == Qt::SolidLine && pen.brush().style() == Qt::SolidPattern &&
           Opaque(pen.color()) && (pen.widthF() == 0 || pen.widthF() == 1);
}

bool StampedPen(const QPen& pen) {
    return pen.style() == Qt::NoPen || HairlinePen(pen);
}

bool StampedBrush(const QBrush& brush) {
    return brush.style() == Qt::NoBrush ||
           (brush.style() == Qt::SolidPattern && Opaque(brush.color()));
}

// The 32-bit value Qt's solid span fill writes for an opaque colour.
uint32_t Pixel(const QColor& c) {
    return c.rgba64().toArgb32();
}

// FNV-1a over 16-bit steps.
constexpr uint64_t kHashBasis = 0xcbf29ce484222325ULL, kHashPrime = 0x100000001b3ULL;
uint64_t HashStep(uint64_t h, unsigned v) {
    return (h ^ v) * kHashPrime;
}

} // namespace

bool TPolygonStamps::Applies(const QPainter& canvas, const QRect& box, const QRect& clip,
                             TKind kind) {
    // Smoothing first: a smoothed figure is not asked for whole, but for its fill under the
    // smoothed outline or, without outline, for its smoothed fill.
    const bool smoothed = canvas.testRenderHint(QPainter::Antialiasing);
    const bool smoothedKind = kind == TKind::FillUnderSmoothOutline || kind == TKind::SmoothFill;
    if ((kind == TKind::Whole && smoothed) || (smoothedKind && !smoothed)) return false;
    if (!clip.contains(box.adjusted(-kMargin, -kMargin, kMargin, kMargin))) return false;
    const QPaintDevice* device = canvas.device();
    if (!device || device->devType() != QInternal::Image ||
        !StampedFormat(static_cast<const QImage*>(device)->format()) ||
        canvas.paintEngine()->type() != QPaintEngine::Raster)
        return false;
    // A smoothed fill blends its colour at the canvas's opacity itself.
    if ((canvas.opacity() != 1 && kind != TKind::SmoothFill) ||
        canvas.compositionMode() != QPainter::CompositionMode_SourceOver ||
        canvas.deviceTransform().type() != QTransform::TxNone)
        return false;
    const QPen& pen = canvas.pen();
    const QBrush& brush = canvas.brush();
    // Whether TSmoothFills paints the brush is asked as the figure is drawn.
    if (kind == TKind::SmoothFill) return pen.style() == Qt::NoPen && brush.style() != Qt::NoBrush;
    if (kind != TKind::Whole && (brush.style() == Qt::NoBrush || !StampedBrush(brush)))
        return false;
    if (kind == TKind::Fill) return true;
    if (kind == TKind::FillUnderSmoothOutline) return HairlinePen(pen);
    return !(pen.style() == Qt::NoPen && brush.style() == Qt::NoBrush) && StampedPen(pen) &&
           StampedBrush(brush);
}

bool TPolygonStamps::Draw(QPainter& canvas, std::span<const QPoint> pts, const QRect& box,
                          const QRect& clip) {
    return Stamp(canvas, pts, box, clip, TKind::Whole);
}

bool TPolygonStamps::DrawFill(QPainter& canvas, std::span<const QPoint> pts, const QRect& box,
                              const QRect& clip) {
    return Stamp(canvas, pts, box, clip, TKind::Fill);
}

bool TPolygonStamps::DrawUnderSmoothOutline(QPainter& canvas, std::span<const QPoint> pts,
                                            const QRect& box, const QRect& clip,
                                            const std::optional<TPixelCanvas>* read) {
    return Stamp(canvas, pts, box, clip, TKind::FillUnderSmoothOutline, read);
}

bool TPolygonStamps::DrawSmoothFill(QPainter& canvas, std::span<const QPoint> pts, const QRect& box,
                                    const QRect& clip, const std::optional<TPixelCanvas>* read) {
    return Stamp(canvas, pts, box, clip, TKind::SmoothFill, read);
}

bool TPolygonStamps::Stamp(QPainter& canvas, std::span<const QPoint> pts, const QRect& box,
                           const QRect& clip, TKind kind, const std::optional<TPixelCanvas>* read) {
    if (pts.size() < 2 || pts.size() > kMaxPoints || box.width() > kMaxExtent ||
        box.height() > kMaxExtent || !Applies(canvas, box, clip, kind))
        return false;
    const bool fillOnly = kind != TKind::Whole;
    std::optional<TSmoothFills> fills;
    if (kind == TKind::SmoothFill && !(fills = TSmoothFills::For(canvas, read))) return false;

    // The key: the pen and brush as far as they shape the pixels (everything but the colours),
    // then the points from the box's corner. A fill alone is keyed apart from every pen.
    const QPen& pen = canvas.pen();
    const QBrush& brush = canvas.brush();
    size_t n = 0;
    FKey[n++] = char(brush.style());
    FKey[n++] = kind == TKind::Fill                     ? kFillAlone
                : kind == TKind::FillUnderSmoothOutline ? kUnderSmoothOutline
                : kind == TKind::SmoothFill             ? kSmoothFill
                                                        : char(pen.style());
    if (!fillOnly && pen.style() != Qt::NoPen) {
        FKey[n++] = char(pen.widthF() == 0 ? 0 : 1);
        FKey[n++] = char(pen.capStyle() >> 4);
        FKey[n++] = char(pen.joinStyle() >> 6);
        FKey[n++] = char(pen.isCosmetic());
    }
    uint64_t hash = kHashBasis;
    for (size_t i = 0; i < n; ++i) hash = HashStep(hash, uint8_t(FKey[i]));
    const int x0 = box.left(), y0 = box.top();
    for (const QPoint& p : pts) {
        const unsigned dx = unsigned(p.x() - x0), dy = unsigned(p.y() - y0);
        FKey[n++] = char(dx);
        FKey[n++] = char(dy);
        hash = HashStep(hash, dx | dy << 8);
    }
    FKeyLength = n;

    // Smoothed outlines are kept as offsets into pictures of one width.
    if (kind == TKind::FillUnderSmoothOutline) {
        if (const qsizetype stride = static_cast<const QImage*>(canvas.device())->bytesPerLine();
            stride != FStride) {
            if (FStride != 0) Clear();
            FStride = stride;
        }
    }
    if (FSlots.empty()) FSlots.resize(kSlotCount);
    size_t slot = size_t(hash ^ hash >> 32) & (kSlotCount - 1);
    const TStamp* stamp = nullptr;
    for (;; slot = (slot + 1) & (kSlotCount - 1)) {
        const TSlot& s = FSlots[slot];
        if (s.Stamp == 0) break;
        const TStamp& candidate = FStamps[s.Stamp - 1];
        if (s.Hash == hash && candidate.KeyLength == n &&
            std::memcmp(FKeys.data() + candidate.KeyFirst, FKey, n) == 0) {
            stamp = &candidate;
            break;
        }
    }
    if (!stamp) {
        if (FStamps.size() >= kMaxStamps || Bytes() >= kMaxBytes) {
            Clear();
            slot = size_t(hash ^ hash >> 32) & (kSlotCount - 1);
        }
        Insert(hash, slot, Make(canvas, pts, box, kind, read, fills));
        stamp = &FStamps.back();
    }
    if (stamp->Refused) return false;
    if (fills) {
        fills->Replay({FSpans.data() + stamp->SpanFirst, stamp->SpanCount}, box.topLeft());
        return true;
    }
    Blit(*static_cast<QImage*>(canvas.device()), *stamp, box.topLeft(), Pixel(brush.color()),
         Pixel(pen.color()));
    return true;
}

void TPolygonStamps::Insert(uint64_t hash, size_t slot, TStamp stamp) {
    stamp.KeyFirst = uint32_t(FKeys.size());
    stamp.KeyLength = uint16_t(FKeyLength);
    FKeys.insert(FKeys.end(), FKey, FKey + FKeyLength);
    FStamps.push_back(stamp);
    FSlots[slot] = {hash, uint32_t(FStamps.size())};
}

TPolygonStamps::TStamp TPolygonStamps::Make(const QPainter& canvas, std::span<const QPoint> pts,
                                            const QRect& box, TKind kind,
                                            const std::optional<TPixelCanvas>* read,
                                            const std::optional<TSmoothFills>& fills) {
    TStamp stamp;
    stamp.RunFirst = uint32_t(FRuns.size());
    stamp.CoverFirst = uint32_t(FCovers.size());
    stamp.SpanFirst = uint32_t(FSpans.size());
    const QPoint origin = box.topLeft();
    if (fills) {
        // Refused where Qt does not fill the ring by its smoothing rasteriser.
        stamp.Refused = !fills->Trace(pts, origin, FSpans);
        if (stamp.Refused) FSpans.resize(stamp.SpanFirst);
        stamp.SpanCount = uint32_t(FSpans.size() - stamp.SpanFirst);
        return stamp;
    }
    // The fill stays within the box: clipped to the box with its margin it is not cut.
    if (canvas.brush().style() != Qt::NoBrush)
        FFill.Spans(pts, box.adjusted(-kMargin, -kMargin, kMargin, kMargin), Qt::OddEvenFill,
                    [&](int y, int x0, int x1) {
                        FRuns.push_back({int16_t(x0 - origin.x()), int16_t(y - origin.y()),
                                         int16_t(x1 - x0), false});
                    });
    // The outline over it, as Qt draws it into the scratch picture or as it is stepped smoothed.
    bool kept = true;
    if (kind == TKind::Whole && canvas.pen().style() != Qt::NoPen) {
        kept = Outline(canvas.pen(), pts, box);
    } else if (kind == TKind::FillUnderSmoothOutline) {
        auto lines = TSmoothHairlines::For(canvas, read);
        FTraced.clear();
        kept = lines && lines->TraceRing(pts, box.topLeft(), FTraced);
        for (const TSmoothHairlines::TCoverPair& p : FTraced)
            FCovers.push_back({int32_t(p.Dy * FStride + p.Dx * 4), int32_t(p.Down ? FStride : 4),
                               p.First, p.Second});
    }
    if (!kept) {
        stamp.Refused = true;
        FRuns.resize(stamp.RunFirst);
        FCovers.resize(stamp.CoverFirst);
        return stamp;
    }
    stamp.RunCount = uint32_t(FRuns.size() - stamp.RunFirst);
    stamp.CoverCount = uint32_t(FCovers.size() - stamp.CoverFirst);
    return stamp;
}

bool TPolygonStamps::Outline(const QPen& canvasPen, std::span<const QPoint> pts, const QRect& box) {
    if (!FScratchPainter) {
        FScratch = QImage(kScratchSide, kScratchSide, QImage::Format_RGB32);
        FScratch.fill(kBackMarker);
        FScratchPainter = std::make_unique<QPainter>(&FScratch);
        FScratchPainter->setBrush(Qt::NoBrush);
    }
    // The memory the scratch painter draws into, as in Blit.
    uchar* bits = const_cast<uchar*>(FScratch.constBits());
    const qsizetype stride = FScratch.bytesPerLine();
    const int w = box.width() + 2 * kMargin, h = box.height() + 2 * kMargin;
    const QPoint shift = QPoint(kMargin, kMargin) - box.topLeft();
    FShifted.resize(pts.size());
    for (size_t i = 0; i < pts.size(); ++i) FShifted[i] = pts[i] + shift;
    QPen pen = canvasPen;
    pen.setColor(QColor::fromRgba(kOutlineMarker));
    FScratchPainter->setPen(pen);
    if (auto plain = TPlainHairlines::For(*FScratchPainter))
        plain->Chain(FShifted, true);
    else
        FScratchPainter->drawPolygon(FShifted.data(), int(FShifted.size()), Qt::OddEvenFill);

    // The scratch is all background between shapes: only the outline's pixels are put back.
    const size_t first = FRuns.size();
    bool kept = true;
    for (int y = 0; y < h && kept; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(bits + y * stride);
        for (int x = 0; x < w;) {
            // Four pixels of background at a time.
            if (x + 4 <= w && FourBack(row + x)) {
                x += 4;
                continue;
            }
            const QRgb c = row[x];
            if (c == kBackMarker) {
                ++x;
                continue;
            }
            // A pixel at the scratch's edge: the outline may reach farther than the margin.
            const bool edge = x == 0 || y == 0 || y == h - 1;
            int end = x + 1;
            while (end < w && row[end] == c) ++end;
            if (edge || end == w || c != kOutlineMarker) {
                kept = false;
                break;
            }
            FRuns.push_back({int16_t(x - kMargin), int16_t(y - kMargin), int16_t(end - x), true});
            x = end;
        }
    }
    if (!kept) {
        FScratch.fill(kBackMarker);
        return false;
    }
    for (size_t i = first; i < FRuns.size(); ++i) {
        const TRun& r = FRuns[i];
        std::fill_n(reinterpret_cast<QRgb*>(bits + (r.Dy + kMargin) * stride) + r.Dx + kMargin,
                    r.Length, kBackMarker);
    }
    return true;
}

void TPolygonStamps::Blit(QImage& image, const TStamp& stamp, QPoint origin, uint32_t fill,
                          uint32_t outline) const {
    // The memory the canvas paints into: bits() could detach a shared picture from it.
    uchar* bits = const_cast<uchar*>(image.constBits());
    const qsizetype stride = image.bytesPerLine();
    const TRun* run = FRuns.data() + stamp.RunFirst;
    for (const TRun* end = run + stamp.RunCount; run != end; ++run) {
        auto* at = reinterpret_cast<uint32_t*>(bits + (origin.y() + run->Dy) * stride) +
                   (origin.x() + run->Dx);
        std::fill_n(at, run->Length, run->Outline ? outline : fill);
    }
    const TCover* pair = FCovers.data() + stamp.CoverFirst;
    const TCover* const last = pair + stamp.CoverCount;
    uchar* const corner = bits + origin.y() * stride + origin.x() * 4;
#ifdef __SSE2__
    const __m128i color = _mm_unpacklo_epi8(_mm_set1_epi32(int(outline)), _mm_setzero_si128());
#endif
    for (; pair != last; ++pair) {
        auto* first = reinterpret_cast<uint32_t*>(corner + pair->Offset);
        auto* second = reinterpret_cast<uint32_t*>(corner + pair->Offset + pair->Next);
#ifdef __SSE2__
        const __m128i cover = PairCover(pair->First, pair->Second);
        const __m128i pixels = _mm_unpacklo_epi8(
            _mm_unpacklo_epi32(_mm_cvtsi32_si128(int(*first)), _mm_cvtsi32_si128(int(*second))),
            _mm_setzero_si128());
        const __m128i blended =
            BlendOpaquePair(pixels, color, cover, _mm_sub_epi16(_mm_set1_epi16(255), cover));
        *first = uint32_t(_mm_cvtsi128_si32(blended));
        *second = uint32_t(_mm_cvtsi128_si32(_mm_srli_epi64(blended, 32)));
#else
        *first = BlendOpaque(outline, pair->First, *first);
        *second = BlendOpaque(outline, pair->Second, *second);
#endif
    }
}

size_t TPolygonStamps::Bytes() const {
    return FStamps.size() * sizeof(TStamp) + FKeys.size() + FRuns.size() * sizeof(TRun) +
           FCovers.size() * sizeof(TCover) + FSpans.size() * sizeof(TSmoothFills::TSpan) +
           FSlots.size() * sizeof(TSlot);
}

void TPolygonStamps::KeepFor(double scale) {
    if (scale == FScale) return;
    Clear();
    FScale = scale;
}

void TPolygonStamps::Clear() {
    if (FStamps.empty()) return;
    std::fill(FSlots.begin(), FSlots.end(), TSlot{});
    FStamps.clear();
    FKeys.clear();
    FRuns.clear();
    FCovers.clear();
    FSpans.clear();
}

} // namespace tsivor::mapview
