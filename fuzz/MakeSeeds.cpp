// SPDX-License-Identifier: MIT
// Writes the seed files of the fuzzers into the folders it is given: for the
// picture fuzzer small valid .bmp files of every depth and row order, and
// .ico files with DIB and PNG entries, so the fuzzer starts from every path
// of the reader; for the form stream fuzzer real streams that hold every
// kind of value.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "CodecFormObjects.h"
#include "lumora/platform/soft/PngWriter.h"
#include "platform/soft/DibFormat.h"
#include "platform/soft/PictureCodec.h"

namespace lumora::soft {
namespace {

// ICONDIR and its one ICONDIRENTRY come before an encoded icon's DIB.
constexpr std::size_t kIconHeadersSize = 22;

SoftBitmap Pattern(int width, int height) {
    SoftBitmap color(width, height, 32);
    for (std::size_t i = 0; i < color.pixels.size(); ++i) color.pixels[i] = static_cast<std::uint32_t>(i * 0x2F4B61u);
    return color;
}

SoftBitmap Checkers(int width, int height) {
    SoftBitmap mask(width, height, 1);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) mask.At(x, y) = (x + y) % 2;
    return mask;
}

// A .bmp of the depth with a full colour table (or 5-6-5 / 8-8-8 masks for
// bitfields) and patterned rows; a negative height stores them top-down.
std::string Bmp(int width, int height, int bitsPerPixel, std::uint32_t compression = kBiRgb) {
    const bool bitfields = compression == kBiBitfields;
    const std::uint32_t tableBytes = bitsPerPixel <= 8 ? 4u << bitsPerPixel : bitfields ? 12 : 0;
    const auto rowBytes = static_cast<std::uint32_t>(DibRowBytes(width, bitsPerPixel) * std::abs(height));
    const std::uint32_t offset = kBmpFileHeaderSize + kInfoHeaderSize + tableBytes;
    std::string bmp;
    AppendBmpFileHeader(bmp, offset + rowBytes, offset);
    AppendInfoHeader(bmp, width, height, bitsPerPixel, compression, rowBytes);
    const std::vector<std::uint32_t> masks = bitsPerPixel == 16 ? std::vector<std::uint32_t>{0xF800, 0x07E0, 0x001F}
                                                                : std::vector<std::uint32_t>{0xFF0000, 0xFF00, 0xFF};
    for (std::uint32_t i = 0; bitfields && i < masks.size(); ++i) AppendU32(bmp, masks[i]);
    for (std::uint32_t i = 0; bitsPerPixel <= 8 && i < tableBytes / 4; ++i) AppendU32(bmp, i * 0x010305u);
    for (std::uint32_t i = 0; i < rowBytes; ++i) bmp.push_back(static_cast<char>(i * 37));
    return bmp;
}

struct IconImage {
    int side = 0;
    int bitsPerPixel = 0;
    std::string bytes;
};

std::string Ico(const std::vector<IconImage>& images) {
    std::string ico;
    AppendU16(ico, 0);
    AppendU16(ico, 1);
    AppendU16(ico, static_cast<std::uint16_t>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (const IconImage& image : images) {
        ico += {static_cast<char>(image.side), static_cast<char>(image.side), 0, 0};
        AppendU16(ico, 1);
        AppendU16(ico, static_cast<std::uint16_t>(image.bitsPerPixel));
        AppendU32(ico, static_cast<std::uint32_t>(image.bytes.size()));
        AppendU32(ico, offset);
        offset += static_cast<std::uint32_t>(image.bytes.size());
    }
    for (const IconImage& image : images) ico += image.bytes;
    return ico;
}

IconImage DibImage(int side) {
    return {side, 32, EncodeIco(Pattern(side, side), Checkers(side, side)).substr(kIconHeadersSize)};
}

PicturePtr Picture(const std::string& file) {
    return std::make_shared<fuzz::CodecPicture>(
        DecodePicture(std::span(reinterpret_cast<const std::uint8_t*>(file.data()), file.size())));
}

// The keys a control with three columns saves, the second with a picture.
std::vector<forms::FormEntry> ControlForm() {
    const auto color = [](OLE_COLOR value) { return Variant::FromColor(value); };
    const FontPtr font = SoftFont::Create({.name = u"Tahoma", .size = 8.25, .charset = 0});
    std::vector<forms::FormEntry> form = {
        {u"Alignment", Variant::FromLong(0)},      {u"HeaderHeight", Variant::FromLong(25)},
        {u"BackColor", color(0xFDFAF9)},           {u"BackColorForm", color(0xE0F0F0)},
        {u"ForeColor", color(0x80000012)},         {u"ForeColorActive", color(0x985038)},
        {u"ForeColorHot", color(0xFF0000)},        {u"FrameColor", color(0)},
        {u"MaskColor", color(0xFF00FF)},           {u"SelectedRow", Variant::FromLong(0)},
        {u"SortedRow", Variant::FromLong(2)},      {u"Font", Variant::FromFont(font)},
        {u"NumberOfTabs", Variant::FromLong(3)},   {u"FontBold", Variant::FromBoolean(-1)},
        {u"FontSize", Variant::FromSingle(8.25f)}, {u"FontName", Variant::FromString(u"Tahoma")},
        {u"ShowSortPic", Variant::FromBoolean(0)}, {u"ColumnWidths", Variant::FromString(u"")},
    };
    const char16_t* captions[] = {u"&Name", u"Gr\u00f6\u00dfe", u""};
    for (int i = 1; i <= 3; ++i) {
        const String n(1, static_cast<char16_t>(u'0' + i));
        form.push_back({u"RowWidth" + n, Variant::FromLong(60 * i)});
        form.push_back({u"RowText" + n, Variant::FromString(captions[i - 1])});
        form.push_back({u"RowSorted" + n, Variant::FromBoolean(i == 2 ? -1 : 0)});
        if (i == 2) form.push_back({u"RowPicture" + n, Variant::FromPicture(Picture(EncodeBmp(Pattern(5, 3))))});
    }
    return form;
}

// One entry of every kind the stream knows.
std::vector<forms::FormEntry> EveryKind() {
    return {
        {u"Empty", Variant()},
        {u"Nothing", Variant::NothingValue()},
        {u"Integer", Variant::FromInteger(-2)},
        {u"Long", Variant::FromLong(-70000)},
        {u"Single", Variant::FromSingle(8.1f)},
        {u"Double", Variant::FromDouble(1e300)},
        {u"Boolean", Variant::FromBoolean(5)},
        {u"String", Variant::FromString(u"a\U0001D11Eb")},
        {u"Font", Variant::FromFont(SoftFont::Create({u"Arial", 12.5, true, true, true, true, 700, 161}))},
        {u"Icon", Variant::FromPicture(Picture(EncodeIco(Pattern(4, 4), Checkers(4, 4))))},
    };
}

void Write(const std::filesystem::path& folder, const std::string& name, const std::string& bytes) {
    std::ofstream(folder / name, std::ios::binary) << bytes;
}

}  // namespace
}  // namespace lumora::soft

int main(int argc, char** argv) {
    using namespace lumora::soft;
    using lumora::forms::WriteFormStream;
    if (argc != 3) {
        std::cerr << "usage: lumora_fuzz_seeds PICTURE_FOLDER FORM_STREAM_FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const std::filesystem::path streams = argv[2];
    std::filesystem::create_directories(folder);
    std::filesystem::create_directories(streams);
    Write(folder, "encoded-5x3.bmp", EncodeBmp(Pattern(5, 3)));
    Write(folder, "1bpp-9x3.bmp", Bmp(9, 3, 1));
    Write(folder, "4bpp-5x3-top-down.bmp", Bmp(5, -3, 4));
    Write(folder, "8bpp-4x2.bmp", Bmp(4, 2, 8));
    Write(folder, "16bpp-3x3.bmp", Bmp(3, 3, 16));
    Write(folder, "16bpp-bitfields-3x2.bmp", Bmp(3, 2, 16, kBiBitfields));
    Write(folder, "24bpp-3x2-top-down.bmp", Bmp(3, -2, 24));
    Write(folder, "32bpp-2x2.bmp", Bmp(2, 2, 32));
    Write(folder, "32bpp-bitfields-2x2.bmp", Bmp(2, 2, 32, kBiBitfields));
    Write(folder, "encoded-4x4.ico", EncodeIco(Pattern(4, 4), Checkers(4, 4)));
    Write(folder, "three-sizes.ico", Ico({DibImage(2), DibImage(4), DibImage(6)}));
    Write(folder, "png-entry-4x4.ico", Ico({{4, 32, EncodePng(Pattern(4, 4))}}));

    lumora::fuzz::CodecFormObjects objects;
    Write(streams, "control-with-picture.lfs", WriteFormStream(ControlForm(), objects));
    Write(streams, "every-kind.lfs", WriteFormStream(EveryKind(), objects));
    Write(streams, "empty.lfs", WriteFormStream({}, objects));
    return 0;
}
