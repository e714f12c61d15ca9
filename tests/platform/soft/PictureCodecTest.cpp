// SPDX-License-Identifier: MIT
#include "platform/soft/PictureCodec.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "lumora/runtime/RuntimeError.h"

namespace lumora::soft {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Pixels = std::vector<std::uint32_t>;

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kGold = RGB(255, 200, 0);

void Put16(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void Put32(Bytes& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}
void Patch32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}
Bytes Patched32(Bytes bytes, std::size_t at, std::uint32_t value) {
    Patch32(bytes, at, value);
    return bytes;
}
Bytes Patched16(Bytes bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
    return bytes;
}
Bytes Cut(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

// A colour table entry (B, G, R, 0) read as a little-endian word.
std::uint32_t Quad(COLORREF color) { return GetBValue(color) | GetGValue(color) << 8 | GetRValue(color) << 16; }

// How a test bitmap is stored. Values are palette indices or packed pixels,
// top row first; a negative height stores the rows top-down.
struct DibFields {
    int width = 3;
    int height = 2;
    int bitsPerPixel = 24;
    std::vector<COLORREF> palette{};
    std::vector<std::uint32_t> values{};
    std::uint32_t headerSize = 40;
    std::uint32_t compression = 0;
    std::vector<std::uint32_t> masks{};
    std::uint32_t colorsUsed = 0;
};

Bytes PackRows(int width, int rows, int bpp, const std::vector<std::uint32_t>& values, bool bottomUp) {
    const std::size_t stride = (static_cast<std::size_t>(width) * bpp + 31) / 32 * 4;
    Bytes packed;
    for (int row = 0; row < rows; ++row) {
        const int y = bottomUp ? rows - 1 - row : row;
        Bytes line(stride);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = values[static_cast<std::size_t>(y * width + x)];
            const std::size_t bit = static_cast<std::size_t>(x) * bpp;
            if (bpp < 8) line[bit / 8] |= static_cast<std::uint8_t>(v << (8 - bpp - bit % 8));
            for (int byte = 0; bpp >= 8 && byte < bpp / 8; ++byte)
                line[bit / 8 + byte] = static_cast<std::uint8_t>(v >> (8 * byte));
        }
        packed.insert(packed.end(), line.begin(), line.end());
    }
    return packed;
}

// The info header (with any masks) and the colour table.
Bytes DibHeader(const DibFields& f, int storedHeight) {
    Bytes header;
    Put32(header, f.headerSize);
    if (f.headerSize == 12) {
        Put16(header, f.width);
        Put16(header, storedHeight);
    } else {
        Put32(header, f.width);
        Put32(header, storedHeight);
    }
    Put16(header, 1);
    Put16(header, f.bitsPerPixel);
    if (f.headerSize > 12) {
        for (std::uint32_t field : {f.compression, 0u, 0u, 0u, f.colorsUsed, 0u}) Put32(header, field);
        for (std::uint32_t mask : f.masks) Put32(header, mask);
        if (f.headerSize > 40) header.resize(f.headerSize);
    }
    for (COLORREF entry : f.palette) {
        Put32(header, Quad(entry));
        if (f.headerSize == 12) header.pop_back();
    }
    return header;
}

Bytes BmpFile(const DibFields& f) {
    const Bytes header = DibHeader(f, f.height);
    const Bytes pixels = PackRows(f.width, std::abs(f.height), f.bitsPerPixel, f.values, f.height > 0);
    Bytes file{'B', 'M'};
    Put32(file, static_cast<std::uint32_t>(14 + header.size() + pixels.size()));
    Put32(file, 0);
    Put32(file, static_cast<std::uint32_t>(14 + header.size()));
    file.insert(file.end(), header.begin(), header.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

// An icon entry's DIB: colour rows then the AND mask, both bottom-up.
Bytes IconDib(const DibFields& f, const std::vector<std::uint32_t>& andBits) {
    Bytes dib = DibHeader(f, 2 * f.height);
    const Bytes xorRows = PackRows(f.width, f.height, f.bitsPerPixel, f.values, true);
    const Bytes andRows = PackRows(f.width, f.height, 1, andBits, true);
    dib.insert(dib.end(), xorRows.begin(), xorRows.end());
    dib.insert(dib.end(), andRows.begin(), andRows.end());
    return dib;
}

struct IcoEntry {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    Bytes image;
};

Bytes IcoFile(const std::vector<IcoEntry>& entries) {
    Bytes file;
    for (std::uint32_t field : {0u, 1u, static_cast<std::uint32_t>(entries.size())}) Put16(file, field);
    std::size_t offset = 6 + 16 * entries.size();
    for (const IcoEntry& entry : entries) {
        file.push_back(static_cast<std::uint8_t>(entry.width));
        file.push_back(static_cast<std::uint8_t>(entry.height));
        Put16(file, 0);
        Put16(file, 1);
        Put16(file, entry.bitCount);
        Put32(file, static_cast<std::uint32_t>(entry.image.size()));
        Put32(file, static_cast<std::uint32_t>(offset));
        offset += entry.image.size();
    }
    for (const IcoEntry& entry : entries) file.insert(file.end(), entry.image.begin(), entry.image.end());
    return file;
}

Bytes RgbaPng(int width, int height, const Bytes& rgba) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
    Bytes png(size);
    EXPECT_TRUE(png_image_write_to_memory(&image, png.data(), &size, 0, rgba.data(), 0, nullptr));
    png.resize(size);
    return png;
}

// The PNG with another size in its header, the header's checksum made to
// match, so that only the size is wrong.
Bytes WithPngSize(Bytes png, std::uint32_t width, std::uint32_t height) {
    const auto putBigEndian = [&png](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) png[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    };
    putBigEndian(16, width);
    putBigEndian(20, height);
    putBigEndian(29, static_cast<std::uint32_t>(crc32(0, png.data() + 12, 17)));
    return png;
}

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Long ErrorOf(const Bytes& bytes) {
    try {
        DecodePicture(bytes);
    } catch (const RuntimeError& error) {
        return error.number();
    }
    return 0;
}

std::vector<COLORREF> Ramp(int entries) {
    std::vector<COLORREF> palette{};
    for (int i = 0; i < entries; ++i) palette.push_back(RGB(i, 255 - i, i / 2));
    return palette;
}

struct DepthCase {
    const char* name;
    DibFields fields;
    Pixels expected;  // top row first
};

const std::vector<DepthCase>& DepthCases() {
    static const std::vector<DepthCase> cases = {
        {"1 bpp",
         {.bitsPerPixel = 1, .palette = {kNavy, kGold}, .values = {1, 0, 1, 0, 1, 1}},
         {kGold, kNavy, kGold, kNavy, kGold, kGold}},
        {"1 bpp across a byte",
         {.width = 10,
          .height = 1,
          .bitsPerPixel = 1,
          .palette = {kNavy, kGold},
          .values = {0, 0, 0, 0, 0, 0, 0, 0, 1, 0}},
         {kNavy, kNavy, kNavy, kNavy, kNavy, kNavy, kNavy, kNavy, kGold, kNavy}},
        {"4 bpp",
         {.bitsPerPixel = 4, .palette = Ramp(16), .values = {15, 1, 8, 0, 14, 3}},
         {RGB(15, 240, 7), RGB(1, 254, 0), RGB(8, 247, 4), RGB(0, 255, 0), RGB(14, 241, 7), RGB(3, 252, 1)}},
        {"8 bpp",
         {.bitsPerPixel = 8, .palette = Ramp(256), .values = {255, 0, 128, 7, 200, 1}},
         {RGB(255, 0, 127), RGB(0, 255, 0), RGB(128, 127, 64), RGB(7, 248, 3), RGB(200, 55, 100), RGB(1, 254, 0)}},
        {"8 bpp, index past a short table is black",
         {.bitsPerPixel = 8, .palette = {kRed, kBlue}, .values = {0, 1, 2, 1, 0, 255}, .colorsUsed = 2},
         {kRed, kBlue, kBlack, kBlue, kRed, kBlack}},
        {"16 bpp 5-5-5",
         {.bitsPerPixel = 16, .values = {0x7C00, 0x03E0, 0x001F, 0x7FFF, 0x0000, 0x4210}},
         {kRed, kGreen, kBlue, kWhite, kBlack, RGB(132, 132, 132)}},
        {"16 bpp 5-6-5 bitfields",
         {.bitsPerPixel = 16,
          .values = {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0x8410},
          .compression = 3,
          .masks = {0xF800, 0x07E0, 0x001F}},
         {kRed, kGreen, kBlue, kWhite, kBlack, RGB(132, 130, 132)}},
        {"24 bpp",
         {.values = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000}},
         {kRed, kGreen, kBlue, RGB(0x12, 0x34, 0x56), kWhite, kBlack}},
        {"32 bpp",
         {.bitsPerPixel = 32, .values = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000}},
         {kRed, kGreen, kBlue, RGB(0x12, 0x34, 0x56), kWhite, kBlack}},
        {"32 bpp bitfields, red in the low byte",
         {.bitsPerPixel = 32,
          .values = {0x0000FF, 0x00FF00, 0xFF0000, 0x563412, 0xFFFFFF, 0x000000},
          .compression = 3,
          .masks = {0x0000FF, 0x00FF00, 0xFF0000}},
         {kRed, kGreen, kBlue, RGB(0x12, 0x34, 0x56), kWhite, kBlack}},
        {"24 bpp, V5 header",
         {.values = {0xFF0000, 0x00FF00, 0x0000FF, 0, 0, 0xFFFFFF}, .headerSize = 124},
         {kRed, kGreen, kBlue, kBlack, kBlack, kWhite}},
        {"8 bpp, core header",
         {.bitsPerPixel = 8, .palette = Ramp(256), .values = {9, 8, 7, 6, 5, 4}, .headerSize = 12},
         {RGB(9, 246, 4), RGB(8, 247, 4), RGB(7, 248, 3), RGB(6, 249, 3), RGB(5, 250, 2), RGB(4, 251, 2)}},
        {"24 bpp, core header",
         {.values = {0xFF0000, 0x00FF00, 0x0000FF, 0, 0, 0xFFFFFF}, .headerSize = 12},
         {kRed, kGreen, kBlue, kBlack, kBlack, kWhite}},
    };
    return cases;
}

TEST(PictureCodecTest, BmpOfEveryDepthDecodesExactlyInBothRowOrders) {
    for (const DepthCase& c : DepthCases()) {
        for (const bool topDown : {false, true}) {
            if (topDown && c.fields.headerSize == 12) continue;  // core headers have no top-down form
            SCOPED_TRACE(std::string(c.name) + (topDown ? ", top-down" : ", bottom-up"));
            DibFields fields = c.fields;
            if (topDown) fields.height = -fields.height;
            const DecodedPicture picture = DecodePicture(BmpFile(fields));
            EXPECT_EQ(picture.type, PictureType::Bitmap);
            EXPECT_EQ(picture.color.width, c.fields.width);
            EXPECT_EQ(picture.color.height, c.fields.height);
            EXPECT_EQ(picture.color.pixels, c.expected);
            EXPECT_TRUE(picture.mask.pixels.empty());
        }
    }
}

TEST(PictureCodecTest, IconDibOfEveryDepthTakesItsAndMask) {
    const std::vector<std::uint32_t> andBits = {1, 0, 0, 0, 0, 1};
    for (const DepthCase& c : DepthCases()) {
        if (c.fields.compression != 0 || c.fields.bitsPerPixel == 16 || c.fields.width != 3) continue;
        SCOPED_TRACE(c.name);
        const DecodedPicture picture =
            DecodePicture(IcoFile({{3, 2, c.fields.bitsPerPixel, IconDib(c.fields, andBits)}}));
        EXPECT_EQ(picture.type, PictureType::Icon);
        EXPECT_EQ(picture.color.pixels, c.expected);
        EXPECT_EQ(picture.mask.bitsPerPixel, 1);
        EXPECT_EQ(picture.mask.pixels, Pixels(andBits.begin(), andBits.end()));
    }
}

TEST(PictureCodecTest, IconDibWithAlphaTakesTransparencyFromAlphaNotTheAndMask) {
    const DibFields fields{.bitsPerPixel = 32,
                           .values = {0x00FF0000, 0x7F00FF00, 0x800000FF, 0xFF123456, 0, 0x01FFFFFF}};
    const DecodedPicture picture = DecodePicture(IcoFile({{3, 2, 32, IconDib(fields, {0, 0, 0, 1, 1, 1})}}));
    EXPECT_EQ(picture.color.pixels, (Pixels{kRed, kGreen, kBlue, RGB(0x12, 0x34, 0x56), kBlack, kWhite}));
    EXPECT_EQ(picture.mask.pixels, (Pixels{1, 1, 0, 0, 1, 1}));
}

TEST(PictureCodecTest, PngEntryTakesTransparencyFromAlpha) {
    const Bytes rgba = {255, 0, 0, 0, 0, 255, 0, 127, 0, 0, 255, 128, 1, 2, 3, 255};
    const DecodedPicture picture = DecodePicture(IcoFile({{2, 2, 32, RgbaPng(2, 2, rgba)}}));
    EXPECT_EQ(picture.type, PictureType::Icon);
    EXPECT_EQ(picture.color.pixels, (Pixels{kRed, kGreen, kBlue, RGB(1, 2, 3)}));
    EXPECT_EQ(picture.mask.pixels, (Pixels{1, 1, 0, 0}));
}

// Each entry is a one-colour DIB, so the colour tells which one was read.
IcoEntry SolidEntry(int side, int bitCount, COLORREF color) {
    const DibFields fields{
        .width = side, .height = side, .values = Pixels(static_cast<std::size_t>(side * side), Quad(color))};
    return {side == 256 ? 0 : side, side == 256 ? 0 : side, bitCount, IconDib(fields, Pixels(fields.values.size(), 0))};
}

TEST(PictureCodecTest, IconReadsTheEntryClosestTo32By32) {
    struct Case {
        const char* name;
        std::vector<IcoEntry> entries;
        COLORREF expected;
    };
    const std::vector<Case> cases = {
        {"16, 32, 48", {SolidEntry(16, 24, kRed), SolidEntry(32, 24, kGreen), SolidEntry(48, 24, kBlue)}, kGreen},
        {"a later, closer entry", {SolidEntry(48, 24, kBlue), SolidEntry(24, 24, kRed)}, kRed},
        {"equally close: the first", {SolidEntry(30, 24, kRed), SolidEntry(34, 24, kBlue)}, kRed},
        {"equally close: the deeper",
         {SolidEntry(32, 8, kRed), SolidEntry(32, 24, kBlue), SolidEntry(32, 4, kGreen)},
         kBlue},
        {"0 in the directory is 256", {SolidEntry(256, 24, kRed), SolidEntry(200, 24, kBlue)}, kBlue},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodePicture(IcoFile(c.entries)).color.At(0, 0), c.expected);
    }
}

SoftBitmap Sample(int width, int height) {
    SoftBitmap color(width, height, 32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) color.At(x, y) = RGB(x * 40, y * 60, 255 - x * y);
    return color;
}

TEST(PictureCodecTest, BmpRoundTripKeepsEveryPixel) {
    for (const int width : {1, 3, 4, 5}) {
        SCOPED_TRACE(width);
        const SoftBitmap color = Sample(width, 3);
        const std::string bmp = EncodeBmp(color);
        const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
        EXPECT_EQ(bmp.size(), 54 + stride * 3);
        EXPECT_EQ(bmp[28], 24);  // bits per pixel
        EXPECT_EQ(bmp[22], 3);   // positive height: bottom-up
        const DecodedPicture picture = DecodePicture(BytesOf(bmp));
        EXPECT_EQ(picture.color.pixels, color.pixels);
    }
}

TEST(PictureCodecTest, BmpOfMonochromeBitmapIsBlackAndWhite) {
    SoftBitmap mono(3, 1, 1);
    mono.pixels = {1, 0, 1};
    EXPECT_EQ(DecodePicture(BytesOf(EncodeBmp(mono))).color.pixels, (Pixels{kWhite, kBlack, kWhite}));
}

TEST(PictureCodecTest, IcoRoundTripKeepsColoursAndMask) {
    const SoftBitmap color = Sample(33, 2);
    SoftBitmap mask(33, 2, 1);
    for (std::size_t i = 0; i < mask.pixels.size(); i += 3) mask.pixels[i] = 1;
    const DecodedPicture picture = DecodePicture(BytesOf(EncodeIco(color, mask)));
    EXPECT_EQ(picture.type, PictureType::Icon);
    EXPECT_EQ(picture.color.pixels, color.pixels);
    EXPECT_EQ(picture.mask.pixels, mask.pixels);
}

TEST(PictureCodecTest, IcoWithoutMaskIsOpaque) {
    const DecodedPicture picture = DecodePicture(BytesOf(EncodeIco(Sample(2, 2), SoftBitmap{})));
    EXPECT_EQ(picture.mask.pixels, Pixels(4, 0));
}

TEST(PictureCodecTest, EncodersRefuseWhatCannotBeReadBack) {
    const auto errorOf = [](auto encode) {
        try {
            encode();
        } catch (const RuntimeError& error) {
            return error.number();
        }
        return Long{0};
    };
    EXPECT_EQ(errorOf([] { EncodeBmp(SoftBitmap{}); }), err::kInvalidPicture);
    EXPECT_EQ(errorOf([] { EncodeBmp(SoftBitmap(20000, 1, 32)); }), err::kInvalidPicture);
    EXPECT_EQ(errorOf([] { EncodeIco(Sample(2, 2), SoftBitmap(3, 2, 1)); }), err::kInvalidPicture);
    EXPECT_EQ(errorOf([] { EncodeIco(Sample(2, 2), SoftBitmap(2, 2, 32)); }), err::kInvalidPicture);
}

TEST(PictureCodecTest, MalformedFilesAreInvalidPictures) {
    const Bytes bmp = BmpFile({.values = {1, 2, 3, 4, 5, 6}});  // 3 x 2, 24 bpp, pixels at 54
    const Bytes pal = BmpFile({.bitsPerPixel = 1, .palette = {kRed, kBlue}, .values = {0, 1, 0, 1, 0, 1}});
    const auto compressed = [](int bpp, std::uint32_t compression) {
        return BmpFile(
            {.bitsPerPixel = bpp, .palette = Ramp(1 << bpp), .values = Pixels(6, 0), .compression = compression});
    };
    const Bytes dib = IconDib({.values = Pixels(6, 0)}, Pixels(6, 0));
    const Bytes ico = IcoFile({{3, 2, 24, dib}});
    const Bytes png = RgbaPng(2, 2, Bytes(16, 0));
    const struct Case {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"empty", {}},
        {"unknown kind", BytesOf("GIF89a")},
        {"BM and nothing after", BytesOf("BM")},
        {"file header only", Cut(bmp, 14)},
        {"truncated info header", Cut(bmp, 30)},
        {"no pixels", Cut(bmp, 54)},
        {"last pixel byte missing", Cut(bmp, bmp.size() - 1)},
        {"huge width and height", Patched32(Patched32(bmp, 18, 100000), 22, 100000)},
        {"width zero", Patched32(bmp, 18, 0)},
        {"height zero", Patched32(bmp, 22, 0)},
        {"negative width", Patched32(bmp, 18, 0xFFFFFFFD)},
        {"height of the most negative number", Patched32(bmp, 22, 0x80000000)},
        {"side above 16384", Patched32(Patched32(pal, 18, 16385), 22, 1)},
        {"more than 64 Mpixel", Patched32(Patched32(pal, 18, 16384), 22, 4097)},
        {"pixel offset beyond the file", Patched32(bmp, 10, 100000)},
        {"pixel offset inside the header", Patched32(bmp, 10, 20)},
        {"pixel offset inside the colour table", Patched32(pal, 10, 58)},
        {"bit count 7", Patched16(bmp, 28, 7)},
        {"bit count 0", Patched16(bmp, 28, 0)},
        {"planes 2", Patched16(bmp, 26, 2)},
        {"unknown header size", Patched32(bmp, 14, 64)},
        {"RLE8", compressed(8, 1)},
        {"RLE4", compressed(4, 2)},
        {"JPEG", compressed(8, 4)},
        {"PNG", compressed(8, 5)},
        {"bitfields on 24 bpp", Patched32(bmp, 30, 3)},
        {"more colours used than the depth has", Patched32(pal, 46, 3)},
        {"ico: directory header only", Cut(ico, 6)},
        {"ico: count 0", Patched16(ico, 4, 0)},
        {"ico: cursor", Patched16(ico, 2, 2)},
        {"ico: reserved word set", Patched16(ico, 0, 1)},
        {"ico: second entry missing", Patched16(ico, 4, 2)},
        {"ico: entry beyond the file", Patched32(ico, 18, 100000)},
        {"ico: entry longer than the file", Patched32(ico, 14, static_cast<std::uint32_t>(dib.size() + 1))},
        {"ico: entry inside the directory", Patched32(ico, 18, 6)},
        {"ico: entry of no bytes", Patched32(ico, 14, 0)},
        {"ico: DIB header size 0", Patched32(ico, 22, 0)},
        {"ico: DIB height not doubled", Patched32(ico, 22 + 8, 3)},
        {"ico: DIB top-down", Patched32(ico, 22 + 8, 0xFFFFFFFC)},
        {"ico: DIB run-length", Patched32(ico, 22 + 16, 1)},
        {"ico: DIB huge", Patched32(Patched32(ico, 22 + 4, 100000), 22 + 8, 200000)},
        {"ico: AND mask cut short",
         Patched32(Cut(ico, ico.size() - 1), 14, static_cast<std::uint32_t>(dib.size() - 1))},
        {"ico: PNG cut short", IcoFile({{2, 2, 32, Cut(png, png.size() - 20)}})},
        {"ico: PNG of 100000 x 100000", IcoFile({{2, 2, 32, WithPngSize(png, 100000, 100000)}})},
        {"ico: PNG of 16384 x 4096 in a few bytes", IcoFile({{2, 2, 32, WithPngSize(png, 16384, 4096)}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ErrorOf(c.bytes), err::kInvalidPicture);
    }
}

}  // namespace
}  // namespace lumora::soft
