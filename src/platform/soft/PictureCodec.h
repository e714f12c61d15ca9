// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "lumora/platform/Picture.h"
#include "lumora/platform/soft/SoftBitmap.h"

namespace lumora::soft {

// A picture file's pixels as the software surface holds them.
struct DecodedPicture {
    PictureType type = PictureType::Bitmap;  // Bitmap for .bmp, Icon for .ico
    SoftBitmap color;                        // 32-bit: COLORREF 0x00BBGGRR per pixel
    SoftBitmap mask;                         // icons only: 1-bit, 1 = transparent (the AND mask); empty for bitmaps
};

// Reads a .bmp or .ico file's bytes. Anything that is not a valid picture
// raises RuntimeError(err::kInvalidPicture); a declared size beyond what the
// bytes can hold is refused before anything is allocated for it.
DecodedPicture DecodePicture(std::span<const std::uint8_t> bytes);

// A .bmp file (24 bits per pixel, bottom-up, rows padded to 4 bytes) of the
// bitmap; a monochrome bitmap comes out black and white. An empty bitmap, or
// one larger than DecodePicture accepts, raises err::kInvalidPicture.
std::string EncodeBmp(const SoftBitmap& color);

// An .ico file with one entry: a 32-bit BGRA DIB (alpha 0 where the mask is
// 1, 255 elsewhere) plus its AND mask. An empty mask means every pixel is
// opaque; any other mask must be monochrome and as large as the colour
// bitmap, else err::kInvalidPicture.
std::string EncodeIco(const SoftBitmap& color, const SoftBitmap& mask);

}  // namespace lumora::soft
