// SPDX-License-Identifier: MIT
#include "lumora/platform/soft/PngWriter.h"

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstddef>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/soft/AtomicFile.h"

namespace lumora::soft {
namespace {

constexpr int kChannels = 3;

// Above this many pixels (a strip some hundred times the usual size) the
// encoder stops trying every filter on every row and compresses fast: a tall
// strip is mostly rows equal to the row above, which the "up" filter turns
// into zeros whatever the level. Smaller images keep the compact defaults.
constexpr std::int64_t kFastEncodingPixels = std::int64_t{4} << 20;

// One row of the bitmap as the PNG's red, green and blue bytes.
void RgbRow(const SoftBitmap& bitmap, int y, std::vector<png_byte>& row) {
    const std::uint32_t* pixel = bitmap.pixels.data() + static_cast<std::size_t>(y) * bitmap.width;
    png_byte* out = row.data();
    for (int x = 0; x < bitmap.width; ++x, out += kChannels) {
        const COLORREF color = bitmap.IsMonochrome() ? (pixel[x] ? 0xFFFFFFu : 0u) : pixel[x];
        out[0] = GetRValue(color);
        out[1] = GetGValue(color);
        out[2] = GetBValue(color);
    }
}

// The compressed bytes, collected in memory. Running out of memory there is
// noted and reported once libpng is done: no exception may cross its C code.
struct Output {
    std::string bytes;
    bool failed = false;
};

void AppendOutput(png_structp png, png_bytep data, std::size_t length) {
    auto* output = static_cast<Output*>(png_get_io_ptr(png));
    if (output->failed) return;
    try {
        output->bytes.append(reinterpret_cast<const char*>(data), length);
    } catch (const std::bad_alloc&) {
        output->failed = true;
    }
}

void FlushNothing(png_structp) {}

}  // namespace

std::string EncodePng(const SoftBitmap& bitmap) {
    if (bitmap.width <= 0 || bitmap.height <= 0) throw PngError("an empty bitmap has no PNG form");
    // Row by row, compressed once: besides the bitmap, encoding needs one
    // row and the compressed bytes, however large the strip. The chunks and
    // settings are those of libpng's simplified writer, so the bytes are
    // what it writes for the same pixels.
    Output output;
    std::vector<png_byte> row(static_cast<std::size_t>(bitmap.width) * kChannels);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) throw PngError("cannot encode PNG: out of memory");
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw PngError("cannot encode PNG: out of memory");
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw PngError("cannot encode PNG");
    }
    png_set_write_fn(png, &output, AppendOutput, FlushNothing);
    png_set_benign_errors(png, 0);
    png_set_IHDR(png, info, static_cast<png_uint_32>(bitmap.width), static_cast<png_uint_32>(bitmap.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    if (std::int64_t{bitmap.width} * bitmap.height > kFastEncodingPixels) {
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
        png_set_compression_level(png, 1);
    }
    png_write_info(png, info);
    for (int y = 0; y < bitmap.height; ++y) {
        RgbRow(bitmap, y, row);
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    if (output.failed) throw PngError("cannot encode PNG: out of memory");
    return std::move(output.bytes);
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
