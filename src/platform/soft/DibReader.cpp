// SPDX-License-Identifier: MIT
#include "platform/soft/DibReader.h"

#include <stb_image.h>

#include <climits>
#include <cstddef>
#include <memory>
#include <string>

#include "platform/soft/DibFormat.h"
#include "platform/soft/PictureBytes.h"

namespace lumora::soft {
namespace {

// BITMAPCOREHEADER of OS/2 files: 16-bit sizes and a table of RGB triples.
constexpr std::uint32_t kCoreHeaderSize = 12;
// The later headers only add fields after those of BITMAPINFOHEADER.
constexpr std::uint32_t kV3HeaderSize = 56;
constexpr std::uint32_t kV4HeaderSize = 108;
constexpr std::uint32_t kV5HeaderSize = 124;
// BITMAPINFOHEADER's own BI_BITFIELDS masks follow it; later headers hold them.
constexpr std::uint32_t kTrailingMasksSize = 12;
constexpr std::size_t kMasksOffset = 40;
constexpr int kMaxPaletteBits = 8;
constexpr std::uint32_t kMaxColorTableEntries = 256;

// The fields of any of the info headers that reading the pixels needs.
struct InfoHeader {
    std::uint32_t size = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;  // negative for top-down rows
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t colorsUsed = 0;
};

bool IsKnownHeaderSize(std::uint32_t size) {
    return size == kCoreHeaderSize || size == kInfoHeaderSize || size == kV3HeaderSize || size == kV4HeaderSize ||
           size == kV5HeaderSize;
}

bool IsKnownBitCount(std::uint16_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

bool UsesBitfields(const InfoHeader& header) {
    return header.compression == kBiBitfields && (header.bitCount == 16 || header.bitCount == 32);
}

// Run-length, JPEG and PNG compressions are refused here: stb_image does not
// decode them, and nothing else should turn their bytes into pixels.
void CheckInfoHeader(const InfoHeader& header) {
    if (header.planes != 1 || !IsKnownBitCount(header.bitCount)) RaiseInvalidPicture();
    if (header.size == kCoreHeaderSize && (header.bitCount == 16 || header.bitCount == 32)) RaiseInvalidPicture();
    if (header.compression != kBiRgb && !UsesBitfields(header)) RaiseInvalidPicture();
    if (header.colorsUsed > kMaxColorTableEntries) RaiseInvalidPicture();
    if (header.bitCount <= kMaxPaletteBits && header.colorsUsed > (1u << header.bitCount)) RaiseInvalidPicture();
}

InfoHeader ReadInfoHeader(std::span<const std::uint8_t> bytes, std::size_t at) {
    InfoHeader header;
    header.size = ReadU32(bytes, at);
    if (!IsKnownHeaderSize(header.size) || !Holds(bytes, at, header.size)) RaiseInvalidPicture();
    if (header.size == kCoreHeaderSize) {
        header.width = ReadU16(bytes, at + 4);
        header.height = ReadU16(bytes, at + 6);
        header.planes = ReadU16(bytes, at + 8);
        header.bitCount = ReadU16(bytes, at + 10);
    } else {
        header.width = ReadI32(bytes, at + 4);
        header.height = ReadI32(bytes, at + 8);
        header.planes = ReadU16(bytes, at + 12);
        header.bitCount = ReadU16(bytes, at + 14);
        header.compression = ReadU32(bytes, at + 16);
        header.colorsUsed = ReadU32(bytes, at + 32);
    }
    CheckInfoHeader(header);
    return header;
}

std::size_t ColorTableEntrySize(const InfoHeader& header) { return header.size == kCoreHeaderSize ? 3 : 4; }

// A palette bitmap without a count has the full table; deeper bitmaps may
// carry a table nobody indexes, which is only skipped.
std::uint32_t ColorTableEntries(const InfoHeader& header) {
    if (header.colorsUsed != 0 || header.bitCount > kMaxPaletteBits) return header.colorsUsed;
    return 1u << header.bitCount;
}

std::size_t ColorTableStart(const InfoHeader& header, std::size_t infoAt) {
    const bool trailingMasks = header.size == kInfoHeaderSize && UsesBitfields(header);
    return infoAt + header.size + (trailingMasks ? kTrailingMasksSize : 0);
}

std::size_t ColorTableEnd(const InfoHeader& header, std::size_t infoAt) {
    return ColorTableStart(header, infoAt) + ColorTableEntries(header) * ColorTableEntrySize(header);
}

std::vector<std::uint32_t> ReadPalette(std::span<const std::uint8_t> bytes, const InfoHeader& header,
                                       std::size_t infoAt) {
    std::vector<std::uint32_t> palette;
    if (header.bitCount > kMaxPaletteBits) return palette;
    const std::size_t start = ColorTableStart(header, infoAt);
    const std::size_t entrySize = ColorTableEntrySize(header);
    if (!Holds(bytes, start, ColorTableEntries(header) * entrySize)) RaiseInvalidPicture();
    for (std::uint32_t entry = 0; entry < ColorTableEntries(header); ++entry) {
        const std::size_t at = start + entry * entrySize;
        palette.push_back(bytes[at] | bytes[at + 1] << 8 | static_cast<std::uint32_t>(bytes[at + 2]) << 16);
    }
    return palette;
}

// Everything but the pixel rows, whose place depends on the container.
DibLayout LayoutOf(std::span<const std::uint8_t> bytes, const InfoHeader& header, std::size_t infoAt,
                   std::int64_t rows) {
    CheckPictureSize(header.width, rows);
    DibLayout layout;
    layout.width = static_cast<int>(header.width);
    layout.height = static_cast<int>(rows);
    layout.bitsPerPixel = header.bitCount;
    layout.bitfields = UsesBitfields(header);
    if (layout.bitfields) {
        for (std::size_t channel = 0; channel < layout.masks.size(); ++channel)
            layout.masks[channel] = ReadU32(bytes, infoAt + kMasksOffset + 4 * channel);
    }
    layout.palette = ReadPalette(bytes, header, infoAt);
    return layout;
}

std::span<const std::uint8_t> PixelRows(std::span<const std::uint8_t> bytes, std::uint64_t at, int width,
                                        int bitsPerPixel, int rows) {
    const std::uint64_t size = DibRowBytes(static_cast<std::uint64_t>(width), bitsPerPixel) * rows;
    if (!Holds(bytes, at, size)) RaiseInvalidPicture();
    return bytes.subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(size));
}

// What lies between the plain form's header and its pixels.
std::uint32_t PlainColorTableBytes(const DibLayout& layout) {
    if (layout.bitsPerPixel <= kMaxPaletteBits) return 4u << layout.bitsPerPixel;
    return layout.bitfields ? kTrailingMasksSize : 0;
}

// stb_image reads the plain BITMAPINFOHEADER form exactly, while it reads
// core headers, short colour tables and masks inside V3 headers loosely
// (palette entries left unset, masks taken from the pixels). So every bitmap
// reaches it rewritten into that form, with a full colour table whose unused
// entries are black.
std::string PlainBmpOf(const DibLayout& layout) {
    const auto pixelOffset =
        static_cast<std::uint32_t>(kBmpFileHeaderSize + kInfoHeaderSize + PlainColorTableBytes(layout));
    const auto pixelBytes = static_cast<std::uint32_t>(layout.pixels.size());
    std::string bmp;
    bmp.reserve(pixelOffset + pixelBytes);
    AppendBmpFileHeader(bmp, pixelOffset + pixelBytes, pixelOffset);
    AppendInfoHeader(bmp, layout.width, layout.topDown ? -layout.height : layout.height, layout.bitsPerPixel,
                     layout.bitfields ? kBiBitfields : kBiRgb, pixelBytes);
    if (layout.bitfields)
        for (const std::uint32_t mask : layout.masks) AppendU32(bmp, mask);
    if (layout.bitsPerPixel <= kMaxPaletteBits) {
        for (const std::uint32_t entry : layout.palette) AppendU32(bmp, entry);
        bmp.resize(pixelOffset, '\0');
    }
    bmp.append(reinterpret_cast<const char*>(layout.pixels.data()), layout.pixels.size());
    return bmp;
}

struct StbFree {
    void operator()(stbi_uc* pixels) const noexcept { stbi_image_free(pixels); }
};

}  // namespace

DibLayout ReadBmpFile(std::span<const std::uint8_t> file) {
    if (!Holds(file, 0, kBmpFileHeaderSize) || file[0] != 'B' || file[1] != 'M') RaiseInvalidPicture();
    const std::uint32_t pixelOffset = ReadU32(file, 10);
    const InfoHeader header = ReadInfoHeader(file, kBmpFileHeaderSize);
    DibLayout layout = LayoutOf(file, header, kBmpFileHeaderSize, header.height < 0 ? -header.height : header.height);
    if (pixelOffset < ColorTableEnd(header, kBmpFileHeaderSize)) RaiseInvalidPicture();
    layout.topDown = header.height < 0;
    layout.pixels = PixelRows(file, pixelOffset, layout.width, layout.bitsPerPixel, layout.height);
    return layout;
}

IconDib ReadIconDib(std::span<const std::uint8_t> entry) {
    const InfoHeader header = ReadInfoHeader(entry, 0);
    // Icons keep their rows bottom-up, colour rows and mask rows counted together.
    if (header.compression != kBiRgb || header.height <= 0 || header.height % 2 != 0) RaiseInvalidPicture();
    IconDib dib;
    dib.color = LayoutOf(entry, header, 0, header.height / 2);
    const std::size_t pixelsAt = ColorTableEnd(header, 0);
    dib.color.pixels = PixelRows(entry, pixelsAt, dib.color.width, dib.color.bitsPerPixel, dib.color.height);
    dib.andMask = PixelRows(entry, pixelsAt + dib.color.pixels.size(), dib.color.width, 1, dib.color.height);
    return dib;
}

RgbaImage DecodeDibPixels(const DibLayout& layout) {
    const std::string bmp = PlainBmpOf(layout);
    if (bmp.size() > INT_MAX) RaiseInvalidPicture();
    // The flag is global to stb_image; rows must come out top to bottom
    // whatever another caller left it at.
    stbi_set_flip_vertically_on_load(false);
    int width = 0;
    int height = 0;
    int channels = 0;
    const std::unique_ptr<stbi_uc, StbFree> pixels(stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bmp.data()),
                                                                         static_cast<int>(bmp.size()), &width, &height,
                                                                         &channels, STBI_rgb_alpha));
    if (!pixels || width != layout.width || height != layout.height) RaiseInvalidPicture();
    const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * STBI_rgb_alpha;
    return RgbaImage{width, height, std::vector<std::uint8_t>(pixels.get(), pixels.get() + size)};
}

bool HasAlpha(const DibLayout& layout) {
    if (layout.bitsPerPixel != 32 || layout.bitfields) return false;
    for (std::size_t alpha = 3; alpha < layout.pixels.size(); alpha += 4)
        if (layout.pixels[alpha] != 0) return true;
    return false;
}

SoftBitmap ReadAndMask(std::span<const std::uint8_t> rows, int width, int height) {
    const auto stride = static_cast<std::size_t>(DibRowBytes(static_cast<std::uint64_t>(width), 1));
    SoftBitmap mask(width, height, 1);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = rows.data() + static_cast<std::size_t>(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) mask.At(x, y) = (row[x / 8] >> (7 - x % 8)) & 1;
    }
    return mask;
}

}  // namespace lumora::soft
