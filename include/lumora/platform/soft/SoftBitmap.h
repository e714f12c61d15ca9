// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

#include "lumora/platform/Gdi.h"

namespace lumora::soft {

// The pixels of a bitmap of the software surface. A colour bitmap holds one
// COLORREF (0x00BBGGRR) per pixel; a monochrome bitmap holds 0 (black) or
// 1 (white) per pixel. Rows run top to bottom.
struct SoftBitmap {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 32;  // 32 or 1
    std::vector<std::uint32_t> pixels;

    SoftBitmap() = default;
    // A new bitmap is black (all bits clear), as the system's are.
    SoftBitmap(int w, int h, int bpp)
        : width(w), height(h), bitsPerPixel(bpp), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h)) {}
    SoftBitmap(int w, int h, int bpp, std::uint32_t fill)
        : width(w),
          height(h),
          bitsPerPixel(bpp),
          pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill) {}

    bool IsMonochrome() const noexcept { return bitsPerPixel == 1; }
    bool Contains(int x, int y) const noexcept { return x >= 0 && y >= 0 && x < width && y < height; }
    std::uint32_t& At(int x, int y) noexcept {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
    std::uint32_t At(int x, int y) const noexcept {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
};

}  // namespace lumora::soft
