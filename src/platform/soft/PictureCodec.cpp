// SPDX-License-Identifier: MIT
#include "platform/soft/PictureCodec.h"

#include <cstddef>

#include "platform/soft/DibFormat.h"
#include "platform/soft/DibReader.h"
#include "platform/soft/IconReader.h"
#include "platform/soft/PictureBytes.h"
#include "platform/soft/RgbaImage.h"

namespace lumora::soft {
namespace {

constexpr int kBmpBitsPerPixel = 24;
constexpr int kIconBitsPerPixel = 32;
// ICONDIR with one ICONDIRENTRY in front of the entry's DIB.
constexpr std::uint32_t kIconHeadersSize = 6 + 16;
// Sides of 256 and more are stored as 0 in the directory; readers take the
// real size from the DIB.
constexpr int kLargestDirectorySide = 256;
constexpr std::uint8_t kOpaque = 0xFF;
constexpr std::uint8_t kTransparent = 0x00;

// A bitmap is encoded only if DecodePicture would take the result back.
void CheckEncodable(const SoftBitmap& bitmap) {
    CheckPictureSize(bitmap.width, bitmap.height);
    if (bitmap.pixels.size() != static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height))
        RaiseInvalidPicture();
}

COLORREF ColorAt(const SoftBitmap& bitmap, int x, int y) {
    const std::uint32_t pixel = bitmap.At(x, y);
    return bitmap.IsMonochrome() ? (pixel ? RGB(255, 255, 255) : RGB(0, 0, 0)) : pixel;
}

void PadRow(std::string& out, std::size_t rowStart, std::uint64_t rowBytes) {
    out.resize(rowStart + static_cast<std::size_t>(rowBytes), '\0');
}

void AppendBgrRows(std::string& out, const SoftBitmap& color) {
    const std::uint64_t rowBytes = DibRowBytes(static_cast<std::uint64_t>(color.width), kBmpBitsPerPixel);
    for (int y = color.height - 1; y >= 0; --y) {
        const std::size_t rowStart = out.size();
        for (int x = 0; x < color.width; ++x) {
            const COLORREF pixel = ColorAt(color, x, y);
            out += {static_cast<char>(GetBValue(pixel)), static_cast<char>(GetGValue(pixel)),
                    static_cast<char>(GetRValue(pixel))};
        }
        PadRow(out, rowStart, rowBytes);
    }
}

bool IsTransparent(const SoftBitmap& mask, int x, int y) { return !mask.pixels.empty() && mask.At(x, y) != 0; }

void AppendBgraRows(std::string& out, const SoftBitmap& color, const SoftBitmap& mask) {
    for (int y = color.height - 1; y >= 0; --y) {
        for (int x = 0; x < color.width; ++x) {
            const COLORREF pixel = ColorAt(color, x, y);
            const std::uint8_t alpha = IsTransparent(mask, x, y) ? kTransparent : kOpaque;
            out += {static_cast<char>(GetBValue(pixel)), static_cast<char>(GetGValue(pixel)),
                    static_cast<char>(GetRValue(pixel)), static_cast<char>(alpha)};
        }
    }
}

void AppendAndMaskRows(std::string& out, const SoftBitmap& mask, int width, int height) {
    const std::uint64_t rowBytes = DibRowBytes(static_cast<std::uint64_t>(width), 1);
    for (int y = height - 1; y >= 0; --y) {
        const std::size_t rowStart = out.size();
        PadRow(out, rowStart, rowBytes);
        for (int x = 0; x < width; ++x)
            if (IsTransparent(mask, x, y)) out[rowStart + x / 8] |= static_cast<char>(0x80 >> (x % 8));
    }
}

void CheckIconMask(const SoftBitmap& color, const SoftBitmap& mask) {
    if (mask.pixels.empty() && mask.width == 0 && mask.height == 0) return;
    if (!mask.IsMonochrome() || mask.width != color.width || mask.height != color.height) RaiseInvalidPicture();
    CheckEncodable(mask);
}

std::uint8_t DirectorySide(int side) { return side >= kLargestDirectorySide ? 0 : static_cast<std::uint8_t>(side); }

}  // namespace

DecodedPicture DecodePicture(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        return DecodedPicture{PictureType::Bitmap, ColorOf(DecodeDibPixels(ReadBmpFile(bytes))), SoftBitmap{}};
    return DecodeIcon(bytes);
}

std::string EncodeBmp(const SoftBitmap& color) {
    CheckEncodable(color);
    const std::uint64_t pixelBytes = DibRowBytes(static_cast<std::uint64_t>(color.width), kBmpBitsPerPixel) *
                                     static_cast<std::uint64_t>(color.height);
    const auto pixelOffset = static_cast<std::uint32_t>(kBmpFileHeaderSize + kInfoHeaderSize);
    std::string bmp;
    bmp.reserve(pixelOffset + pixelBytes);
    AppendBmpFileHeader(bmp, static_cast<std::uint32_t>(pixelOffset + pixelBytes), pixelOffset);
    AppendInfoHeader(bmp, color.width, color.height, kBmpBitsPerPixel, kBiRgb, static_cast<std::uint32_t>(pixelBytes));
    AppendBgrRows(bmp, color);
    return bmp;
}

std::string EncodeIco(const SoftBitmap& color, const SoftBitmap& mask) {
    CheckEncodable(color);
    CheckIconMask(color, mask);
    const auto rows = static_cast<std::uint64_t>(color.height);
    const std::uint64_t imageBytes = (DibRowBytes(static_cast<std::uint64_t>(color.width), kIconBitsPerPixel) +
                                      DibRowBytes(static_cast<std::uint64_t>(color.width), 1)) *
                                     rows;
    const auto entryBytes = static_cast<std::uint32_t>(kInfoHeaderSize + imageBytes);
    std::string ico;
    ico.reserve(kIconHeadersSize + entryBytes);
    AppendU16(ico, 0);
    AppendU16(ico, 1);
    AppendU16(ico, 1);
    ico += {static_cast<char>(DirectorySide(color.width)), static_cast<char>(DirectorySide(color.height)), 0, 0};
    AppendU16(ico, 1);
    AppendU16(ico, kIconBitsPerPixel);
    AppendU32(ico, entryBytes);
    AppendU32(ico, kIconHeadersSize);
    AppendInfoHeader(ico, color.width, 2 * color.height, kIconBitsPerPixel, kBiRgb,
                     static_cast<std::uint32_t>(imageBytes));
    AppendBgraRows(ico, color, mask);
    AppendAndMaskRows(ico, mask, color.width, color.height);
    return ico;
}

}  // namespace lumora::soft
