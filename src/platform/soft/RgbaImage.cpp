// SPDX-License-Identifier: MIT
#include "platform/soft/RgbaImage.h"

#include <cstddef>

namespace lumora::soft {
namespace {

constexpr std::size_t kChannels = 4;
// Alpha below this counts as transparent when a mask has only two states.
constexpr std::uint8_t kOpaqueAlpha = 128;

}  // namespace

SoftBitmap ColorOf(const RgbaImage& image) {
    SoftBitmap color(image.width, image.height, 32);
    for (std::size_t i = 0; i < color.pixels.size(); ++i) {
        const std::uint8_t* pixel = &image.rgba[i * kChannels];
        color.pixels[i] = RGB(pixel[0], pixel[1], pixel[2]);
    }
    return color;
}

SoftBitmap MaskOfAlpha(const RgbaImage& image) {
    SoftBitmap mask(image.width, image.height, 1);
    for (std::size_t i = 0; i < mask.pixels.size(); ++i) mask.pixels[i] = image.rgba[i * kChannels + 3] < kOpaqueAlpha;
    return mask;
}

}  // namespace lumora::soft
