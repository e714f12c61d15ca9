// SPDX-License-Identifier: MIT
#include "lumora/platform/soft/SoftRaster.h"

#include <algorithm>
#include <cstdint>
#include <limits>

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

void ApplyRop(SoftBitmap& dest, const Rect& area, std::uint8_t rop, const Pattern& pattern,
              const SoftBitmap* source) noexcept {
    const std::uint32_t mask = dest.IsMonochrome() ? 1U : 0xFFFFFFU;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const std::uint32_t s = source ? source->At(x - area.left, y - area.top) : 0;
            std::uint32_t& d = dest.At(x, y);
            d = Rop3(rop, pattern.At(x, y), s, d) & mask;
        }
    }
}

Rect Intersect(const Rect& a, const Rect& b) noexcept {
    const Rect result{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                      std::min(a.bottom, b.bottom)};
    return IsEmpty(result) ? Rect{} : result;
}

}  // namespace lumora::soft
