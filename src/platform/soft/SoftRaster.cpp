// SPDX-License-Identifier: MIT
#include "lumora/platform/soft/SoftRaster.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumora::soft {
namespace {

using Wide = std::int64_t;

// Diagonal lines with an end this far out are walked at an eighth of their
// size, as the system does to keep its error terms from overflowing.
constexpr Long kCropLimit = 0x10000000;

// Octants (numbered 1..8 clockwise from +x, as bits 0..7) whose lines break
// ties between two equally near pixels the other way.
constexpr unsigned kBiasedOctants = 0xB4;
// Octants whose lines step mostly along x.
constexpr unsigned kXMajorOctants = 0x99;
// Octants whose lines run towards larger x.
constexpr unsigned kXIncreasingOctants = 0xC3;
// Octants whose lines run towards larger y.
constexpr unsigned kYIncreasingOctants = 0x0F;

// The 8x8 ordered-dither thresholds monochrome brushes are built from.
constexpr std::uint8_t kBayer8x8[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},    {48, 16, 56, 24, 50, 18, 58, 26}, {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22}, {3, 35, 11, 43, 1, 33, 9, 41},    {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},   {63, 31, 55, 23, 61, 29, 53, 21},
};

Point CropCoords(Point point) noexcept {
    if (point.x >= kCropLimit || point.x <= -kCropLimit || point.y >= kCropLimit || point.y <= -kCropLimit) {
        point.x /= 8;
        point.y /= 8;
    }
    return point;
}

unsigned OctantBit(Wide dx, Wide dy) noexcept {
    int octant;
    if (dy > 0)
        octant = dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3);
    else
        octant = dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7);
    return 1U << (octant - 1);
}

Wide FloorDiv(Wide a, Wide b) noexcept {
    const Wide q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

Wide CeilDiv(Wide a, Wide b) noexcept { return -FloorDiv(-a, b); }

Long ClampToLong(Wide value) noexcept {
    return static_cast<Long>(
        std::clamp<Wide>(value, std::numeric_limits<Long>::min(), std::numeric_limits<Long>::max()));
}

// The steps n of a walk from `start` by `increment` per step whose
// coordinate lies in [low, high).
void StepsInside(Wide start, int increment, Wide low, Wide high, Wide& first, Wide& end) noexcept {
    if (increment > 0) {
        first = low - start;
        end = high - start;
    } else {
        first = start - high + 1;
        end = start - low + 1;
    }
}

// A Bresenham walk in closed form: after n steps along the major axis the
// minor axis has moved floor((2*minor*n + major + bias - 1) / (2*major))
// times, exactly what the system's incremental error term produces.
struct LineWalk {
    Wide major = 0;
    Wide minor = 0;
    int bias = 0;

    Wide MinorSteps(Wide n) const noexcept { return FloorDiv(2 * minor * n + major + bias - 1, 2 * major); }

    // The first step whose minor offset reaches `target`.
    Wide FirstStepReaching(Wide target) const noexcept {
        if (minor == 0) return target <= 0 ? std::numeric_limits<Wide>::min() : std::numeric_limits<Wide>::max();
        target = std::clamp<Wide>(target, -1, major + 1);
        return CeilDiv(2 * major * target - (major + bias - 1), 2 * minor);
    }
};

// The pixel bits a bitmap keeps: the colour channels, or the one mono bit.
std::uint32_t PixelMask(const SoftBitmap& bitmap) noexcept { return bitmap.IsMonochrome() ? 1U : 0xFFFFFFU; }

// Writes a row eight pixels at a time, all eight read before any is
// written, so the compiler can keep them in two vector registers.
template <typename PixelOf>
void WriteRow(std::uint32_t* row, int count, PixelOf pixelOf) noexcept {
    constexpr int kStep = 8;
    int i = 0;
    for (; i + kStep <= count; i += kStep) {
        std::uint32_t pixels[kStep];
        for (int k = 0; k < kStep; ++k) pixels[k] = pixelOf(i + k);
        for (int k = 0; k < kStep; ++k) row[i + k] = pixels[k];
    }
    for (; i < count; ++i) row[i] = pixelOf(i);
}

// A raster operation with a solid brush: for each of the four combinations
// of a source and a destination bit, the word of result bits the brush's
// bits select. The operation is then four ANDs and three ORs per pixel,
// whatever its code, and the common codes need less.
class SolidRop {
public:
    SolidRop(std::uint8_t rop, std::uint32_t pattern, std::uint32_t mask) noexcept {
        for (unsigned sd = 0; sd < 4; ++sd) {
            const bool withPattern = (rop >> (4 | sd)) & 1U;
            const bool withoutPattern = (rop >> sd) & 1U;
            terms_[sd] = ((withPattern ? pattern : 0U) | (withoutPattern ? ~pattern : 0U)) & mask;
        }
    }

    // Whether, without a source, the operation sets every pixel to one
    // value, as the pattern copy of every rectangle of the strip does.
    bool IsFill(std::uint32_t& pixel) const noexcept {
        pixel = terms_[0];
        return terms_[0] == terms_[1];
    }

    // Without a source every source bit reads as 0.
    void ApplyToRow(std::uint32_t* row, int count) const noexcept {
        const std::uint32_t ifSet = terms_[1], ifClear = terms_[0];
        WriteRow(row, count, [row, ifSet, ifClear](int i) { return (row[i] & ifSet) | (~row[i] & ifClear); });
    }

    void ApplyToRow(std::uint32_t* row, const std::uint32_t* source, int count) const noexcept {
        const std::uint32_t k0 = terms_[0], k1 = terms_[1], k2 = terms_[2], k3 = terms_[3];
        if (k0 == k1 && k2 == k3) {
            if (k0 == k2) return WriteRow(row, count, [k0](int) { return k0; });
            // The destination does not matter: a copy of the source, or of
            // its inverse, through the brush.
            return WriteRow(row, count, [source, k0, k2](int i) { return (source[i] & k2) | (~source[i] & k0); });
        }
        WriteRow(row, count, [row, source, k0, k1, k2, k3](int i) {
            const std::uint32_t s = source[i], d = row[i];
            return (s & d & k3) | (s & ~d & k2) | (~s & d & k1) | (~s & ~d & k0);
        });
    }

private:
    std::uint32_t terms_[4] = {};
};

}  // namespace

void VisitLinePixels(Point from, Point to, const Rect& clip, const PixelVisitor& visit) {
    if (from.x != to.x && from.y != to.y) {
        from = CropCoords(from);
        to = CropCoords(to);
    }
    const Wide dx = Wide{to.x} - from.x;
    const Wide dy = Wide{to.y} - from.y;
    if (dx == 0 && dy == 0) return;

    const unsigned octant = OctantBit(dx, dy);
    const bool xMajor = (octant & kXMajorOctants) != 0;
    const int xInc = (octant & kXIncreasingOctants) ? 1 : -1;
    const int yInc = (octant & kYIncreasingOctants) ? 1 : -1;
    LineWalk walk;
    walk.major = xMajor ? (dx < 0 ? -dx : dx) : (dy < 0 ? -dy : dy);
    walk.minor = xMajor ? (dy < 0 ? -dy : dy) : (dx < 0 ? -dx : dx);
    walk.bias = (octant & kBiasedOctants) ? 1 : 0;

    const Wide majorStart = xMajor ? from.x : from.y;
    const Wide minorStart = xMajor ? from.y : from.x;
    const int majorInc = xMajor ? xInc : yInc;
    const int minorInc = xMajor ? yInc : xInc;
    Wide majorFirst, majorEnd, minorFirst, minorEnd;
    StepsInside(majorStart, majorInc, xMajor ? clip.left : clip.top, xMajor ? clip.right : clip.bottom, majorFirst,
                majorEnd);
    StepsInside(minorStart, minorInc, xMajor ? clip.top : clip.left, xMajor ? clip.bottom : clip.right, minorFirst,
                minorEnd);

    const Wide first = std::max({Wide{0}, majorFirst, walk.FirstStepReaching(minorFirst)});
    const Wide end = std::min({walk.major, majorEnd, walk.FirstStepReaching(minorEnd)});
    for (Wide n = first; n < end; ++n) {
        const Wide majorPos = majorStart + majorInc * n;
        const Wide minorPos = minorStart + minorInc * walk.MinorSteps(n);
        visit(static_cast<int>(xMajor ? majorPos : minorPos), static_cast<int>(xMajor ? minorPos : majorPos));
    }
}

bool MonoDitherBit(COLORREF rgb, int x, int y) noexcept {
    const int grey = (30 * GetRValue(rgb) + 59 * GetGValue(rgb) + 11 * GetBValue(rgb) + 200) / 400;
    return grey + kBayer8x8[y & 7][x & 7] > 63;
}

COLORREF BlendCoverage(COLORREF dest, COLORREF color, std::uint8_t coverage) noexcept {
    COLORREF result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((dest >> shift) & 0xFF);
        const int c = static_cast<int>((color >> shift) & 0xFF);
        const int scaled = (c - d) * coverage;
        const int step = scaled >= 0 ? (scaled + 127) / 255 : -((-scaled + 127) / 255);
        result |= static_cast<COLORREF>(d + step) << shift;
    }
    return result;
}

Rect BlitArea(Long x, Long y, Long width, Long height) noexcept {
    const auto span = [](Wide start, Wide extent, Long& low, Long& high) {
        low = ClampToLong(extent < 0 ? start + extent + 1 : start);
        high = ClampToLong(extent < 0 ? start + 1 : start + extent);
    };
    Rect area;
    span(x, width, area.left, area.right);
    span(y, height, area.top, area.bottom);
    return area;
}

void FillRow(std::uint32_t* row, std::size_t count, std::uint32_t pixel) noexcept {
    // Where a wide character is a 32-bit value, the C library's wide memset
    // fills with the widest stores the processor has, as fast as memset.
    if constexpr (sizeof(wchar_t) == sizeof(std::uint32_t))
        std::wmemset(reinterpret_cast<wchar_t*>(row), static_cast<wchar_t>(pixel), count);
    else
        std::fill_n(row, count, pixel);
}

void FillArea(SoftBitmap& dest, const Rect& area, std::uint32_t pixel) noexcept {
    const auto stride = static_cast<std::size_t>(dest.width);
    const auto count = static_cast<std::size_t>(area.right - area.left);
    std::uint32_t* row = &dest.At(area.left, area.top);
    // Rows as wide as the bitmap follow one another: one run fills them all.
    if (count == stride) return FillRow(row, count * static_cast<std::size_t>(area.bottom - area.top), pixel);
    // A vertical line is one pixel a row: step down the column instead.
    if (count == 1) {
        for (int y = area.top; y < area.bottom; ++y, row += stride) *row = pixel;
        return;
    }
    for (int y = area.top; y < area.bottom; ++y, row += stride) FillRow(row, count, pixel);
}

void ApplyRopPerPixel(SoftBitmap& dest, const Rect& area, std::uint8_t rop, const Pattern& pattern,
                      const SoftBitmap* source) noexcept {
    const std::uint32_t mask = PixelMask(dest);
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const std::uint32_t s = source ? source->At(x - area.left, y - area.top) : 0;
            std::uint32_t& d = dest.At(x, y);
            d = Rop3(rop, pattern.At(x, y), s, d) & mask;
        }
    }
}

void ApplyRop(SoftBitmap& dest, const Rect& area, std::uint8_t rop, const Pattern& pattern,
              const SoftBitmap* source) noexcept {
    // A dithered brush changes from pixel to pixel; only monochrome bitmaps
    // have one, and they are small.
    if (pattern.dithered) return ApplyRopPerPixel(dest, area, rop, pattern, source);
    const SolidRop terms(rop, pattern.solid, PixelMask(dest));
    std::uint32_t fill = 0;
    if (!source && terms.IsFill(fill)) {
        if (!IsEmpty(area)) FillArea(dest, area, fill);
        return;
    }
    const int count = area.right - area.left;
    for (int y = area.top; y < area.bottom; ++y) {
        std::uint32_t* row = &dest.At(area.left, y);
        if (source)
            terms.ApplyToRow(row,
                             source->pixels.data() +
                                 static_cast<std::size_t>(y - area.top) * static_cast<std::size_t>(source->width),
                             count);
        else
            terms.ApplyToRow(row, count);
    }
}

void CoverageBlend::Reset(COLORREF color) noexcept {
    color_ = color;
    solid_ = color & 0xFFFFFFu;
    redBlue_ = color & 0xFF00FFu;
    green_ = (color >> 8) & 0xFFu;
}

std::uint32_t CoverageBlend::Blend(std::uint32_t dest, std::uint32_t cover) const noexcept {
    // dest + round((color - dest) * cover / 255) is the weighted mean
    // (dest * (255 - cover) + color * cover + 127) / 255, as 255 is odd and
    // there is never a tie to break. Red and blue are worked out side by
    // side in the two halves of one word, and the division is done as
    // (x + 1 + (x >> 8)) >> 8, exact for every x below 65535.
    const std::uint32_t keep = 255 - cover;
    std::uint32_t redBlue = (dest & 0xFF00FFu) * keep + redBlue_ * cover + 0x007F007Fu;
    redBlue = ((redBlue + 0x00010001u + ((redBlue >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    std::uint32_t green = ((dest >> 8) & 0xFFu) * keep + green_ * cover + 127;
    green = (green + 1 + (green >> 8)) >> 8;
    return redBlue | (green << 8);
}

void CoverageBlend::BlendPixel(std::uint32_t& pixel, std::uint32_t cover) const noexcept {
    if (cover == 255)
        pixel = solid_;
    else if (cover != 0)
        pixel = Blend(pixel, cover);
}

#if defined(__SSE2__)

namespace {

// Four pixels at once, each channel in a 16-bit lane: the same weighted
// mean and division as CoverageBlend::Blend, whose sums stay below 65535.
// A pixel without coverage comes out as it was, and the unused top byte of
// any other takes the colour's 0 through a full weight of 255.
// It runs once or twice per glyph row: inlined, its constants stay in
// registers across the rows of a glyph.
__attribute__((always_inline)) inline __m128i BlendFour(__m128i pixels, std::uint32_t covers, __m128i color) noexcept {
    const __m128i zero = _mm_setzero_si128();
    const __m128i topBytes = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    __m128i weights = _mm_cvtsi32_si128(static_cast<int>(covers));
    weights = _mm_unpacklo_epi8(weights, weights);
    weights = _mm_unpacklo_epi16(weights, weights);
    const __m128i uncovered = _mm_cmpeq_epi32(weights, zero);
    weights = _mm_or_si128(weights, _mm_andnot_si128(uncovered, topBytes));
    const __m128i all = _mm_set1_epi16(255);
    const __m128i rounding = _mm_set1_epi16(127);
    const __m128i one = _mm_set1_epi16(1);
    const auto half = [&](__m128i dest, __m128i weight) {
        __m128i sum = _mm_add_epi16(_mm_mullo_epi16(dest, _mm_sub_epi16(all, weight)), _mm_mullo_epi16(color, weight));
        sum = _mm_add_epi16(sum, rounding);
        return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(sum, one), _mm_srli_epi16(sum, 8)), 8);
    };
    const __m128i low = half(_mm_unpacklo_epi8(pixels, zero), _mm_unpacklo_epi8(weights, zero));
    const __m128i high = half(_mm_unpackhi_epi8(pixels, zero), _mm_unpackhi_epi8(weights, zero));
    return _mm_packus_epi16(low, high);
}

// The last one to three pixels of a row, in the first lanes of a vector;
// the other lanes get no coverage and come out as they went in.
__m128i LoadTail(const std::uint32_t* pixels, int count) noexcept {
    const __m128i first = _mm_cvtsi32_si128(static_cast<int>(pixels[0]));
    if (count == 1) return first;
    const __m128i two = _mm_unpacklo_epi32(first, _mm_cvtsi32_si128(static_cast<int>(pixels[1])));
    if (count == 2) return two;
    return _mm_unpacklo_epi64(two, _mm_cvtsi32_si128(static_cast<int>(pixels[2])));
}

// Their coverage, one byte a pixel, 0 for the lanes beyond them.
std::uint32_t TailCovers(const std::uint8_t* coverage, int count) noexcept {
    std::uint32_t covers = 0;
    for (int i = count - 1; i >= 0; --i) covers = (covers << 8) | coverage[i];
    return covers;
}

void StoreTail(std::uint32_t* pixels, int count, __m128i four) noexcept {
    for (int i = 0; i < count; ++i, four = _mm_srli_si128(four, 4))
        pixels[i] = static_cast<std::uint32_t>(_mm_cvtsi128_si32(four));
}

}  // namespace

void CoverageBlend::Block(std::uint32_t* pixels, std::ptrdiff_t pixelStride, const std::uint8_t* coverage,
                          std::ptrdiff_t coverageStride, int width, int height) noexcept {
    // The colour with its top byte 0, each channel in a 16-bit lane, twice.
    const __m128i color = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(solid_)), _mm_setzero_si128());
    const int tail = width % 4;
    for (int row = 0; row < height; ++row, pixels += pixelStride, coverage += coverageStride) {
        int i = 0;
        for (; i + 4 <= width; i += 4) {
            std::uint32_t covers;
            std::memcpy(&covers, coverage + i, sizeof covers);
            if (covers == 0) continue;
            auto* four = reinterpret_cast<__m128i*>(pixels + i);
            _mm_storeu_si128(four, BlendFour(_mm_loadu_si128(four), covers, color));
        }
        if (tail == 0) continue;
        const std::uint32_t covers = TailCovers(coverage + i, tail);
        if (covers != 0) StoreTail(pixels + i, tail, BlendFour(LoadTail(pixels + i, tail), covers, color));
    }
}

#else

void CoverageBlend::Block(std::uint32_t* pixels, std::ptrdiff_t pixelStride, const std::uint8_t* coverage,
                          std::ptrdiff_t coverageStride, int width, int height) noexcept {
    for (int row = 0; row < height; ++row, pixels += pixelStride, coverage += coverageStride)
        for (int i = 0; i < width; ++i) BlendPixel(pixels[i], coverage[i]);
}

#endif

void CoverageBlend::Row(std::uint32_t* pixels, const std::uint8_t* coverage, int count) noexcept {
    Block(pixels, 0, coverage, 0, count, 1);
}

bool AxisLineSpan(Point from, Point to, const Rect& clip, Rect& span) noexcept {
    if (from.x != to.x && from.y != to.y) return false;
    // The covered run starts at `from` and stops one short of `to`, on
    // whichever side of it `to` lies.
    const auto run = [](Long start, Long end, Wide& low, Wide& high) {
        low = end >= start ? Wide{start} : Wide{end} + 1;
        high = end >= start ? Wide{end} : Wide{start} + 1;
    };
    Wide left, right, top, bottom;
    if (from.y == to.y) {
        run(from.x, to.x, left, right);
        top = from.y;
        bottom = Wide{from.y} + 1;
    } else {
        run(from.y, to.y, top, bottom);
        left = from.x;
        right = Wide{from.x} + 1;
    }
    const Rect inside{ClampToLong(std::max<Wide>(left, clip.left)), ClampToLong(std::max<Wide>(top, clip.top)),
                      ClampToLong(std::min<Wide>(right, clip.right)), ClampToLong(std::min<Wide>(bottom, clip.bottom))};
    span = IsEmpty(inside) ? Rect{} : inside;
    return true;
}

Rect Intersect(const Rect& a, const Rect& b) noexcept {
    const Rect result{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                      std::min(a.bottom, b.bottom)};
    return IsEmpty(result) ? Rect{} : result;
}

}  // namespace lumora::soft
