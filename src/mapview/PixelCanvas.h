#pragma once
// The pixels of a painter's 32-bit image, for figures whose pixels are computed here and
// written straight into it rather than through Qt's strokers and rasterisers.

#include <QPainter>
#include <QPointF>
#include <QRect>

#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <optional>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace tsivor::mapview {

struct TPixelCanvas {
    // The canvas as it stands, or nullopt when its pixels cannot be written straight: it must
    // draw on an image of 32-bit pixels (RGB32 or premultiplied ARGB32) at one device pixel
    // per pixel, no wider or higher than Qt's rasterisers reach, moved at most by a
    // translation, at full opacity with SourceOver, and be clipped to nothing or to one
    // rectangle of whole pixels. Neither pen, brush nor smoothing is looked at.
    static std::optional<TPixelCanvas> Of(const QPainter& canvas);
    // As Of, at any opacity of the canvas: for figures that blend it in themselves.
    static std::optional<TPixelCanvas> AtAnyOpacity(const QPainter& canvas);
    // What Of reads of a canvas that stays while it is attached, whatever its opacity and
    // composition mode: its image, translation and clip. The clip is costly to read; a drawing
    // of many figures reads it once (see Still).
    static std::optional<TPixelCanvas> Read(const QPainter& canvas);
    // As Of (AtAnyOpacity when anyOpacity) from read, what Read gave for this canvas while its
    // transform and clip were as they are now.
    static std::optional<TPixelCanvas>
    Still(const QPainter& canvas, const std::optional<TPixelCanvas>& read, bool anyOpacity);

    uint32_t* Row(int y) const { return reinterpret_cast<uint32_t*>(Bits + y * Stride); }

    uchar* Bits = nullptr;
    qsizetype Stride = 0;
    QRect Device;   // the whole image
    QRect Clip;     // device pixels; empty when nothing shows
    QPointF Offset; // of the canvas's translation
};

// TPixelCanvas::Read of a canvas done once while it is attached to a drawing of many figures:
// its clip stays, its translation is followed.
class TPixelCanvasRead {
public:
    void Forget() { FRead = false; }
    // As TPixelCanvas::Read of the canvas now.
    const std::optional<TPixelCanvas>& Of(const QPainter& canvas);

private:
    std::optional<TPixelCanvas> FPixels;
    std::optional<TPixelCanvas> FNone;
    bool FRead = false;
};

// Sets n pixels to an opaque colour. The C library's wide-character fill stores many pixels
// an instruction, where a loop stores one.
inline void FillPixels(uint32_t* pixels, size_t n, uint32_t color) {
    static_assert(sizeof(wchar_t) == sizeof(uint32_t));
    std::wmemset(reinterpret_cast<wchar_t*>(pixels), wchar_t(color), n);
}

// Every channel of a premultiplied pixel times alpha / 255 (alpha 0-255), rounded as Qt's
// raster engine rounds, two channels per multiplication.
inline uint32_t ByteMul(uint32_t pixel, uint32_t alpha) {
    uint32_t rb = (pixel & 0xff00ff) * alpha;
    rb = ((rb + ((rb >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    uint32_t ag = ((pixel >> 8) & 0xff00ff) * alpha;
    ag = (ag + ((ag >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return rb | ag;
}

// SourceOver of an opaque colour with coverage 0-255 onto a pixel, two channels per
// multiplication.
inline uint32_t BlendOpaque(uint32_t color, uint32_t coverage, uint32_t pixel) {
    const uint32_t rest = 255 - coverage;
    uint32_t rb = (color & 0xff00ff) * coverage + (pixel & 0xff00ff) * rest;
    rb = ((rb + ((rb >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    uint32_t ag = ((color >> 8) & 0xff00ff) * coverage + ((pixel >> 8) & 0xff00ff) * rest;
    ag = (ag + ((ag >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return rb | ag;
}

#ifdef __SSE2__
// BlendOpaque of two pixels at once: pixels, colour and cover hold the channels of both in 16
// bits each (the pixels as _mm_unpacklo_epi8 of their two 32-bit values), rest is 255 less the
// cover. The sums are BlendOpaque's: a cover of 0 leaves a pixel as it was, one of 255 makes it
// the colour. Returns the two pixels packed in the low 64 bits.
inline __m128i BlendOpaquePair(__m128i pixels, __m128i color, __m128i cover, __m128i rest) {
    __m128i sum = _mm_add_epi16(_mm_mullo_epi16(color, cover), _mm_mullo_epi16(pixels, rest));
    sum = _mm_add_epi16(_mm_add_epi16(sum, _mm_srli_epi16(sum, 8)), _mm_set1_epi16(128));
    sum = _mm_srli_epi16(sum, 8);
    return _mm_packus_epi16(sum, sum);
}

// The cover of BlendOpaquePair for coverages first and second (0-255) of the two pixels.
inline __m128i PairCover(uint32_t first, uint32_t second) {
    const __m128i cover = _mm_shufflelo_epi16(_mm_cvtsi32_si128(int(first | second << 16)), 0x50);
    return _mm_unpacklo_epi32(cover, cover); // each four times
}
#endif

} // namespace tsivor::mapview
