// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "lumora/platform/soft/SoftBitmap.h"
#include "platform/soft/RgbaImage.h"

namespace lumora::soft {

// A device-independent bitmap found in a file: its shape, its colour table
// and where its pixel rows lie, all checked against the bytes that hold them.
struct DibLayout {
    int width = 0;
    int height = 0;  // rows of the picture; an icon's mask rows are not counted
    bool topDown = false;
    int bitsPerPixel = 0;
    bool bitfields = false;                // channels picked by masks (BI_BITFIELDS)
    std::array<std::uint32_t, 3> masks{};  // red, green, blue, when bitfields
    std::vector<std::uint32_t> palette;    // 0x00RRGGBB, for 8 bits per pixel or fewer
    std::span<const std::uint8_t> pixels;  // the rows, padded to 32 bits
};

// An icon entry's DIB: the colour (XOR) part and the rows of its AND mask.
struct IconDib {
    DibLayout color;
    std::span<const std::uint8_t> andMask;
};

// The bitmap of a .bmp file: file header, info header, colour table, and the
// pixels at the offset the file header gives.
DibLayout ReadBmpFile(std::span<const std::uint8_t> file);

// The bitmap of an icon entry: an info header whose height counts the colour
// and mask rows together, the colour table, the colour rows, then the mask.
IconDib ReadIconDib(std::span<const std::uint8_t> entry);

// The pixels of a checked layout, decoded by stb_image.
RgbaImage DecodeDibPixels(const DibLayout& layout);

// Whether a 32-bit DIB uses its alpha bytes: icons that leave them all zero
// take their transparency from the AND mask instead.
bool HasAlpha(const DibLayout& layout);

// An AND mask's bottom-up rows as a monochrome bitmap, 1 = transparent.
SoftBitmap ReadAndMask(std::span<const std::uint8_t> rows, int width, int height);

}  // namespace lumora::soft
