// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

#include "lumora/platform/soft/SoftBitmap.h"

namespace lumora::soft {

// Pixels as the image libraries hand them over: R, G, B, A bytes per pixel,
// rows top to bottom.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

// The colours as a 32-bit bitmap; alpha is dropped.
SoftBitmap ColorOf(const RgbaImage& image);

// A monochrome mask with 1 where a pixel is more transparent than opaque
// (alpha below 128).
SoftBitmap MaskOfAlpha(const RgbaImage& image);

}  // namespace lumora::soft
