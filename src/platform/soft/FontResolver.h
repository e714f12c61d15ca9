// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>

#include <fontconfig/fontconfig.h>

#include "platform/Font.h"
#include "platform/soft/RasterFont.h"

namespace lumora::soft {

class FreeTypeLibrary;

// Turns font attributes into raster fonts: finds the face through
// fontconfig, substituting a present face for a missing one, and keeps
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

    // The installed face nearest to the request, and what it lacks.
    FaceSource Match(const std::string& family, int weight, bool italic);

    std::mutex mutex_;
    FcConfig* config_ = nullptr;
    std::shared_ptr<FreeTypeLibrary> library_;
    std::map<Key, std::shared_ptr<const RasterFont>> fonts_;
};

}  // namespace lumora::soft
