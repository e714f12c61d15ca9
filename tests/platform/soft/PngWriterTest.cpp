// SPDX-License-Identifier: MIT
#include "lumora/platform/soft/PngWriter.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lumora::soft {
namespace {

// The pixels libpng reads back from an encoded PNG, as COLORREFs.
std::vector<std::uint32_t> Decode(const std::string& encoded, int& width, int& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, encoded.data(), encoded.size())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    std::vector<std::uint32_t> pixels;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) pixels.push_back(RGB(rgb[i], rgb[i + 1], rgb[i + 2]));
    return pixels;
}

// A strip-like picture: bands of colour, rows repeating below a top part
// that varies from pixel to pixel.
SoftBitmap Strip(int width, int height) {
    SoftBitmap bitmap(width, height, 32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.At(x, y) = y < 40 ? RGB(x * 7, y * 13, (x ^ y) & 0xFF) : RGB(x / 8 % 256, 200, 30);
    return bitmap;
}

TEST(PngWriter, SmallAndVeryLargeImagesDecodeToTheirPixels) {
    // 2,100 x 2,100 is past the size from which the encoder compresses fast.
    for (const auto [width, height] : {std::pair{37, 25}, std::pair{2100, 2100}}) {
        const SoftBitmap bitmap = Strip(width, height);
        int decodedWidth = 0;
        int decodedHeight = 0;
        const std::vector<std::uint32_t> decoded = Decode(EncodePng(bitmap), decodedWidth, decodedHeight);
        EXPECT_EQ(decodedWidth, width);
        EXPECT_EQ(decodedHeight, height);
        EXPECT_TRUE(decoded == bitmap.pixels) << width << " x " << height;
    }
    EXPECT_THROW(EncodePng(SoftBitmap(0, 5, 32)), PngError);
}

}  // namespace
}  // namespace lumora::soft
