// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/soft/PictureBytes.h"

namespace lumora::soft {

// BITMAPFILEHEADER: "BM", file size, two reserved words, offset of the pixels.
inline constexpr std::size_t kBmpFileHeaderSize = 14;
// BITMAPINFOHEADER, the header every writer understands.
inline constexpr std::uint32_t kInfoHeaderSize = 40;
// Compressions: plain rows, and rows whose channels are picked by masks.
inline constexpr std::uint32_t kBiRgb = 0;
inline constexpr std::uint32_t kBiBitfields = 3;

// The bytes of one row of pixels: rows are padded to whole 32-bit words.
constexpr std::uint64_t DibRowBytes(std::uint64_t width, int bitsPerPixel) noexcept {
    return (width * static_cast<std::uint64_t>(bitsPerPixel) + 31) / 32 * 4;
}

inline void AppendBmpFileHeader(std::string& out, std::uint32_t fileSize, std::uint32_t pixelOffset) {
    out += "BM";
    AppendU32(out, fileSize);
    AppendU32(out, 0);
    AppendU32(out, pixelOffset);
}

// A BITMAPINFOHEADER; a negative height stores the rows top-down.
inline void AppendInfoHeader(std::string& out, std::int32_t width, std::int32_t height, int bitsPerPixel,
                             std::uint32_t compression, std::uint32_t imageBytes) {
    AppendU32(out, kInfoHeaderSize);
    AppendU32(out, static_cast<std::uint32_t>(width));
    AppendU32(out, static_cast<std::uint32_t>(height));
    AppendU16(out, 1);
    AppendU16(out, static_cast<std::uint16_t>(bitsPerPixel));
    AppendU32(out, compression);
    AppendU32(out, imageBytes);
    // Resolution and colour counts: none is needed to read the pixels back.
    for (int field = 0; field < 4; ++field) AppendU32(out, 0);
}

}  // namespace lumora::soft
