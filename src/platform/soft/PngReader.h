// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>

#include "platform/soft/RgbaImage.h"

namespace lumora::soft {

// Whether the bytes start with the PNG signature, as icon entries that hold
// a PNG image instead of a DIB do.
bool IsPng(std::span<const std::uint8_t> bytes) noexcept;

// The pixels of a PNG image; anything libpng cannot read, or a size the
// bytes cannot hold, raises err::kInvalidPicture.
RgbaImage DecodePng(std::span<const std::uint8_t> bytes);

}  // namespace lumora::soft
