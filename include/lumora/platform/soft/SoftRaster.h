// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "lumora/platform/Gdi.h"
#include "lumora/platform/soft/SoftBitmap.h"

namespace lumora::soft {

// The pixel algorithms of the software surface, kept apart from the object
// table so each can be checked on its own. Every one of them reproduces the
// system's choice of pixels, not merely a plausible one.

using PixelVisitor = std::function<void(int x, int y)>;

// Visits the pixels of a one-pixel line from `from` up to, but not
// including, `to`, in drawing order, restricted to `clip`. The pixels are
// the ones the system's Bresenham walk picks, with its tie-breaking bias in
// four of the eight octants, and clipping never shifts them.
void VisitLinePixels(Point from, Point to, const Rect& clip, const PixelVisitor& visit);

// The raster operation's boolean function of pattern, source and destination
// (the index byte of a ROP3 code), applied to every bit.
constexpr std::uint32_t Rop3(std::uint8_t index, std::uint32_t pattern, std::uint32_t source,
                             std::uint32_t dest) noexcept {
    std::uint32_t result = 0;
    for (unsigned term = 0; term < 8; ++term) {
        if (!((index >> term) & 1U)) continue;
        const std::uint32_t p = (term & 4U) ? pattern : ~pattern;
        const std::uint32_t s = (term & 2U) ? source : ~source;
        const std::uint32_t d = (term & 1U) ? dest : ~dest;
        result |= p & s & d;
    }
    return result;
}

constexpr std::uint8_t RopIndex(std::uint32_t rop) noexcept { return static_cast<std::uint8_t>((rop >> 16) & 0xFF); }

// Whether a raster operation reads the source at all; one that does not
// draws like a pattern fill and needs no source DC.
constexpr bool RopUsesSource(std::uint32_t rop) noexcept { return ((rop >> 2) & 0x330000) != (rop & 0x330000); }

// The monochrome pixel nearest to an RGB value: 1 (white) or 0 (black); a
// colour as far from both goes to black, the first entry of the table.
constexpr std::uint32_t NearestMonoPixel(COLORREF rgb) noexcept {
    const int r = GetRValue(rgb), g = GetGValue(rgb), b = GetBValue(rgb);
    const int toBlack = r * r + g * g + b * b;
    const int toWhite = (255 - r) * (255 - r) + (255 - g) * (255 - g) + (255 - b) * (255 - b);
    return toWhite < toBlack ? 1U : 0U;
}

// Whether the 8x8 ordered dither of a colour on a monochrome surface sets
// (white) the pixel at x, y, counted from the brush origin.
bool MonoDitherBit(COLORREF rgb, int x, int y) noexcept;

// The text colour laid over a 32-bit pixel with an anti-aliasing coverage
// of 0..255, each channel rounded to nearest.
COLORREF BlendCoverage(COLORREF dest, COLORREF color, std::uint8_t coverage) noexcept;

// The pixels a blit of the given extent covers. A negative extent mirrors
// the area around its start: x with width -3 covers x-2 .. x.
Rect BlitArea(Long x, Long y, Long width, Long height) noexcept;

// The brush as the raster operation sees it at one destination pixel.
struct Pattern {
    std::uint32_t solid = 0;  // the pixel of a brush that is not dithered
    bool dithered = false;    // a monochrome dither of `ditherColor` instead
    COLORREF ditherColor = 0;

    std::uint32_t At(int x, int y) const noexcept {
        return dithered ? (MonoDitherBit(ditherColor, x, y) ? 1U : 0U) : solid;
    }
};

// Applies a raster operation to `area` of `dest`, which the caller has
// already clipped to it. `source`, when the operation reads one, holds the
// source pixels already in the destination's format, its top-left pixel
// lining up with the area's. Works a row at a time: a solid brush turns
// every operation into a fixed function of source and destination, and the
// common ones (fills, copies) into plain row writes.
void ApplyRop(SoftBitmap& dest, const Rect& area, std::uint8_t rop, const Pattern& pattern,
              const SoftBitmap* source) noexcept;

// The same, one pixel and one boolean term at a time. It is what dithered
// brushes take, and the yardstick the row-wise paths are checked against.
void ApplyRopPerPixel(SoftBitmap& dest, const Rect& area, std::uint8_t rop, const Pattern& pattern,
                      const SoftBitmap* source) noexcept;

// Sets `count` pixels from `row` on to one value.
void FillRow(std::uint32_t* row, std::size_t count, std::uint32_t pixel) noexcept;

// Sets every pixel of `area`, already clipped to `dest` and not empty, to
// one value.
void FillArea(SoftBitmap& dest, const Rect& area, std::uint32_t pixel) noexcept;

// Lays text of one colour over rows of 32-bit pixels, with the coverage of
// each pixel, 0..255: every pixel comes out as BlendCoverage would make it.
// Where the processor has 128-bit integer vectors, four pixels are blended
// at a time, without a branch on their coverage.
class CoverageBlend {
public:
    explicit CoverageBlend(COLORREF color) noexcept { Reset(color); }
    COLORREF color() const noexcept { return color_; }
    // Starts over with another colour.
    void Reset(COLORREF color) noexcept;
    void Row(std::uint32_t* pixels, const std::uint8_t* coverage, int count) noexcept;
    // `height` rows of `width` pixels and their coverage, each row the given
    // number of values after the one above.
    void Block(std::uint32_t* pixels, std::ptrdiff_t pixelStride, const std::uint8_t* coverage,
               std::ptrdiff_t coverageStride, int width, int height) noexcept;

private:
    std::uint32_t Blend(std::uint32_t dest, std::uint32_t cover) const noexcept;
    // One pixel, left as it is where the text does not cover it.
    void BlendPixel(std::uint32_t& pixel, std::uint32_t cover) const noexcept;

    COLORREF color_ = 0;
    std::uint32_t solid_ = 0;
    std::uint32_t redBlue_ = 0;
    std::uint32_t green_ = 0;
};

// The pixels a one-pixel line from `from` to `to` (end excluded) covers
// inside `clip` when it is horizontal or vertical: the same pixels
// VisitLinePixels visits, as one rectangle. False for a slanted line;
// an empty rectangle when nothing is inside.
bool AxisLineSpan(Point from, Point to, const Rect& clip, Rect& span) noexcept;

// The intersection of two rectangles; empty ones come back as {0,0,0,0}.
Rect Intersect(const Rect& a, const Rect& b) noexcept;

constexpr bool IsEmpty(const Rect& rect) noexcept { return rect.right <= rect.left || rect.bottom <= rect.top; }

}  // namespace lumora::soft
