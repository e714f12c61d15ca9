// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

#include "lumora/platform/soft/SoftBitmap.h"

namespace lumora::soft {

class PngError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The bitmap as an 8-bit RGB PNG; a monochrome bitmap comes out black and
// white.
std::string EncodePng(const SoftBitmap& bitmap);

// Writes the PNG atomically: an existing file is replaced only by a complete
// image.
void WritePng(const SoftBitmap& bitmap, const std::filesystem::path& file);

}  // namespace lumora::soft
