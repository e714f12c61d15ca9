// SPDX-License-Identifier: MIT
#include "platform/soft/PngReader.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/soft/PictureBytes.h"

namespace lumora::soft {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Deflate never expands its input by more than this factor, so a picture
// whose rows need more raw bytes than that cannot be in the file.
constexpr std::uint64_t kDeflateMaxRatio = 1032;

// Frees what libpng holds for the image however reading ends.
class ScopedPngImage {
public:
    ScopedPngImage() {
        std::memset(&image_, 0, sizeof image_);
        image_.version = PNG_IMAGE_VERSION;
    }
    ~ScopedPngImage() { png_image_free(&image_); }
    ScopedPngImage(const ScopedPngImage&) = delete;
    ScopedPngImage& operator=(const ScopedPngImage&) = delete;

    png_image* get() noexcept { return &image_; }

private:
    png_image image_;
};

// The fewest raw bytes any PNG of this size has: one bit per pixel and a
// filter byte per row.
std::uint64_t FewestRawBytes(std::uint64_t width, std::uint64_t height) { return height * (1 + (width + 7) / 8); }

}  // namespace

bool IsPng(std::span<const std::uint8_t> bytes) noexcept {
    return bytes.size() >= kSignature.size() && std::equal(kSignature.begin(), kSignature.end(), bytes.begin());
}

RgbaImage DecodePng(std::span<const std::uint8_t> bytes) {
    ScopedPngImage image;
    if (!png_image_begin_read_from_memory(image.get(), bytes.data(), bytes.size())) RaiseInvalidPicture();
    const png_uint_32 width = image.get()->width;
    const png_uint_32 height = image.get()->height;
    CheckPictureSize(width, height);
    if (FewestRawBytes(width, height) > kDeflateMaxRatio * bytes.size()) RaiseInvalidPicture();
    image.get()->format = PNG_FORMAT_RGBA;
    RgbaImage decoded{static_cast<int>(width), static_cast<int>(height),
                      std::vector<std::uint8_t>(PNG_IMAGE_SIZE(*image.get()))};
    if (!png_image_finish_read(image.get(), nullptr, decoded.rgba.data(), 0, nullptr)) RaiseInvalidPicture();
    return decoded;
}

}  // namespace lumora::soft
