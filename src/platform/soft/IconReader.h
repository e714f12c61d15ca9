// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>

#include "platform/soft/PictureCodec.h"

namespace lumora::soft {

// Reads an .ico file: its directory, then the one entry closest to 32 x 32
// pixels, whether that holds a DIB with an AND mask or a PNG image.
DecodedPicture DecodeIcon(std::span<const std::uint8_t> file);

}  // namespace lumora::soft
