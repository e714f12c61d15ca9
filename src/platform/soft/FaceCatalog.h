// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/soft/RasterFont.h"

namespace lumora::soft {

class FreeTypeLibrary;

// The face files a system has, searched by family, weight and slant.
class FaceCatalog {
public:
    virtual ~FaceCatalog() = default;

    // The installed face nearest to the request, and the looks it lacks.
    // Throws std::runtime_error when no usable face is installed.
    virtual FaceSource Match(const std::string& family, int weight, bool italic) = 0;
    // A face that has the character, as near to the request as the system
    // finds one, or none.
    virtual std::optional<FaceSource> MatchCharacter(const std::string& /*family*/, int /*weight*/, bool /*italic*/,
                                                     char32_t /*ch*/) {
        return std::nullopt;
    }
};

// The system's faces: fontconfig's on Linux; on Windows the face files in
// the folders LUMORA_FONT_PATH lists (separated by ';'), then those in the
// system's fonts folder.
std::unique_ptr<FaceCatalog> MakeSystemFaceCatalog(std::shared_ptr<FreeTypeLibrary> library);

}  // namespace lumora::soft
