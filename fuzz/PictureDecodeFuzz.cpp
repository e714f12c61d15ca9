// SPDX-License-Identifier: MIT
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "lumora/runtime/RuntimeError.h"
#include "platform/soft/PictureCodec.h"

namespace lumora::soft {
namespace {

bool IsWhole(const SoftBitmap& bitmap) {
    return bitmap.pixels.size() == static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height);
}

// What every decoded picture promises its users, who index pixels freely.
bool KeepsItsPromises(const DecodedPicture& picture) {
    if (picture.color.width < 1 || picture.color.height < 1 || !IsWhole(picture.color)) return false;
    if (picture.type == PictureType::Bitmap) return picture.mask.pixels.empty();
    return picture.type == PictureType::Icon && picture.mask.IsMonochrome() && IsWhole(picture.mask) &&
           picture.mask.width == picture.color.width && picture.mask.height == picture.color.height;
}

}  // namespace
}  // namespace lumora::soft

// Any input either decodes to a consistent picture or raises the invalid
// picture error; every other outcome (a crash, a sanitizer report, another
// exception or error number) is a finding.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const lumora::soft::DecodedPicture picture = lumora::soft::DecodePicture(std::span(data, size));
        if (!lumora::soft::KeepsItsPromises(picture)) std::abort();
    } catch (const lumora::RuntimeError& error) {
        if (error.number() != lumora::err::kInvalidPicture) std::abort();
    }
    return 0;
}
