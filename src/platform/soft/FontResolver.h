// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>

#include "lumora/platform/Font.h"
#include "platform/soft/RasterFont.h"

namespace lumora::soft {

class FaceCatalog;
class FreeTypeLibrary;

// Turns font attributes into raster fonts: finds the face in the system's
// catalog, substituting a present face for a missing one, and keeps
// every font it made, so their glyph images outlive one drawing call.
class FontResolver {
public:
    static FontResolver& Instance();

    FontResolver();
    ~FontResolver();
    FontResolver(const FontResolver&) = delete;
    FontResolver& operator=(const FontResolver&) = delete;

    // The font for the attributes with an em of pixelSize pixels; never
    // null. Throws std::runtime_error when no usable face is installed.
    std::shared_ptr<const RasterFont> Resolve(const FontDescription& font, int pixelSize);

private:
    // Name (lower case), em pixels, weight, italic, underline, strikeout.
    using Key = std::tuple<std::string, int, int, bool, bool, bool>;

    std::mutex mutex_;
    std::shared_ptr<FreeTypeLibrary> library_;
    std::unique_ptr<FaceCatalog> faces_;
    std::map<Key, std::shared_ptr<const RasterFont>> fonts_;
};

}  // namespace lumora::soft
