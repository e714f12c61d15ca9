// SPDX-License-Identifier: MIT
#include "lumora/platform/soft/PngWriter.h"

#include <png.h>

#include <cstring>
#include <vector>

#include "platform/soft/AtomicFile.h"

namespace lumora::soft {
namespace {

constexpr int kChannels = 3;

std::vector<png_byte> RgbRows(const SoftBitmap& bitmap) {
    std::vector<png_byte> rgb;
    rgb.reserve(bitmap.pixels.size() * kChannels);
    for (const std::uint32_t pixel : bitmap.pixels) {
        const COLORREF color = bitmap.IsMonochrome() ? (pixel ? 0xFFFFFFu : 0u) : pixel;
        rgb.push_back(GetRValue(color));
        rgb.push_back(GetGValue(color));
        rgb.push_back(GetBValue(color));
    }
    return rgb;
}

}  // namespace

std::string EncodePng(const SoftBitmap& bitmap) {
    if (bitmap.width <= 0 || bitmap.height <= 0) throw PngError("an empty bitmap has no PNG form");
    const std::vector<png_byte> rgb = RgbRows(bitmap);

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(bitmap.width);
    image.height = static_cast<png_uint_32>(bitmap.height);
    image.format = PNG_FORMAT_RGB;

    // Room for the largest PNG these pixels can make, so the image is
    // compressed once, straight into it, instead of once to learn its size
    // and again to keep it.
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(image);
    const auto stride = static_cast<png_int_32>(bitmap.width * kChannels);
    std::string encoded(size, '\0');
    if (!png_image_write_to_memory(&image, encoded.data(), &size, 0, rgb.data(), stride, nullptr))
        throw PngError(std::string("cannot encode PNG: ") + image.message);
    encoded.resize(size);
    png_image_free(&image);
    return encoded;
}

void WritePng(const SoftBitmap& bitmap, const std::filesystem::path& file) {
    const std::string encoded = EncodePng(bitmap);
    try {
        WriteFileAtomically(file, encoded);
    } catch (const AtomicFileError& error) {
        throw PngError(file.string() + ": cannot be written: " + error.what());
    }
}

}  // namespace lumora::soft
