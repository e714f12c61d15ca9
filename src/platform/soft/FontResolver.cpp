// SPDX-License-Identifier: MIT
#include "platform/soft/FontResolver.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "platform/soft/FaceCatalog.h"
#include "platform/soft/FreeTypeLibrary.h"
#include "runtime/CodePage.h"

namespace lumora::soft {
namespace {

// Weights of font requests: a font that asks for none is normal, a non-bold
// one gets a face no heavier than medium, a bold one at least bold.
constexpr int kNormalWeight = 400;
constexpr int kMediumWeight = 500;
constexpr int kBoldWeight = 700;

// Faces the control and its hosts name that Linux systems lack, and the
// installed face to draw them with. The bitmap and UI faces become DejaVu
// Sans: at 8 points and 96 dpi it has their 13-pixel line, which the
// control's layout is built around. Arial's family gets the face with its
// metrics.
struct Substitute {
    std::string_view requested;
    const char* installed;
};
constexpr std::array<Substitute, 11> kSubstitutes = {{
    {"ms sans serif", "DejaVu Sans"},
    {"microsoft sans serif", "DejaVu Sans"},
    {"ms shell dlg", "DejaVu Sans"},
    {"ms shell dlg 2", "DejaVu Sans"},
    {"tahoma", "DejaVu Sans"},
    {"segoe ui", "DejaVu Sans"},
    {"system", "DejaVu Sans"},
    {"arial", "Liberation Sans"},
    {"helvetica", "Liberation Sans"},
    {"times new roman", "Liberation Serif"},
    {"courier new", "Liberation Mono"},
}};

std::string FamilyToAsk(const std::string& lowerName, const String& name) {
    for (const Substitute& substitute : kSubstitutes)
        if (substitute.requested == lowerName) return substitute.installed;
    return ToUtf8(name);
}

}  // namespace

FontResolver& FontResolver::Instance() {
    static FontResolver resolver;
    return resolver;
}

FontResolver::FontResolver() : library_(FreeTypeLibrary::Shared()), faces_(MakeSystemFaceCatalog(library_)) {}

FontResolver::~FontResolver() = default;

std::shared_ptr<const RasterFont> FontResolver::Resolve(const FontDescription& font, int pixelSize) {
    const int requested = font.weight > 0 ? font.weight : kNormalWeight;
    // The system draws a weight above 550 bold and anything else no heavier
    // than medium, even where a face of a weight in between is installed.
    const bool bold = font.bold || requested > kBoldWeightThreshold;
    const int weight = bold ? std::max(requested, kBoldWeight) : std::min(requested, kMediumWeight);
    const std::string lowerName = ToUtf8(LCase(font.name));
    const Key key{lowerName, pixelSize, weight, font.italic, font.underline, font.strikethrough};

    const std::lock_guard lock(mutex_);
    if (const auto found = fonts_.find(key); found != fonts_.end()) return found->second;
    const FaceSource source = faces_->Match(FamilyToAsk(lowerName, font.name), weight, font.italic);
    auto made = std::make_shared<const RasterFont>(library_, source, pixelSize, font.underline, font.strikethrough);
    fonts_.emplace(key, made);
    return made;
}

}  // namespace lumora::soft
