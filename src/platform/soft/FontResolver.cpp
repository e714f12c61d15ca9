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

FontResolver::FontResolver(std::size_t budgetBytes)
    : library_(FreeTypeLibrary::Shared()), faces_(MakeSystemFaceCatalog(library_)), budgetBytes_(budgetBytes) {}

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
    if (const auto found = fonts_.find(key); found != fonts_.end()) {
        uses_.splice(uses_.begin(), uses_, found->second.use);
        return found->second.font;
    }
    FaceSource source = faces_->Match(FamilyToAsk(lowerName, font.name), weight, font.italic);
    source.weight = weight;
    source.italic = font.italic;
    auto made = std::make_shared<const RasterFont>(library_, FileFor(source.path), source, pixelSize, font.underline,
                                                   font.strikethrough);
    Keep(key, made);
    return made;
}

std::shared_ptr<const RasterFont> FontResolver::Fallback(const RasterFont& font, char32_t ch) {
    const FaceSource& asked = font.Source();
    const std::lock_guard lock(mutex_);
    const FallbackKey faceKey{font.FamilyName(), asked.weight, asked.italic, ch};
    auto face = fallbackFaces_.find(faceKey);
    if (face == fallbackFaces_.end())
        face =
            fallbackFaces_.emplace(faceKey, faces_->MatchCharacter(font.FamilyName(), asked.weight, asked.italic, ch))
                .first;
    if (!face->second || face->second->path == asked.path) return nullptr;
    FaceSource source = *face->second;
    source.weight = asked.weight;
    source.italic = asked.italic;
    // Fallback faces are kept under their file's name, apart from the
    // families a caption asks for by name.
    const Key key{"\x01" + source.path + "#" + std::to_string(source.index),
                  font.PixelSize(),
                  asked.weight,
                  asked.italic,
                  font.Underlined(),
                  font.StruckOut()};
    if (const auto found = fonts_.find(key); found != fonts_.end()) {
        uses_.splice(uses_.begin(), uses_, found->second.use);
        return found->second.font->Covers(ch) ? found->second.font : nullptr;
    }
    auto made = std::make_shared<const RasterFont>(library_, FileFor(source.path), source, font.PixelSize(),
                                                   font.Underlined(), font.StruckOut());
    Keep(key, made);
    return made->Covers(ch) ? made : nullptr;
}

void FontResolver::Keep(const Key& key, const std::shared_ptr<const RasterFont>& font) {
    uses_.push_front(key);
    try {
        fonts_.emplace(key, Entry{font, uses_.begin()});
    } catch (...) {
        uses_.pop_front();
        throw;
    }
    if (fileUsers_[font->File().get()]++ == 0) fileBytes_ += font->File()->bytes.size();
    // Fonts grow as they draw new characters, so the budget is checked
    // again with every font made.
    Trim();
}

std::shared_ptr<const FontFile> FontResolver::FileFor(const std::string& path) {
    if (const auto found = files_.find(path); found != files_.end()) {
        if (auto file = found->second.lock()) return file;
    }
    // Files no font uses any more are let go of as new ones come.
    std::erase_if(files_, [](const auto& entry) { return entry.second.expired(); });
    auto file = FontFile::Read(path);
    files_[path] = file;
    return file;
}

void FontResolver::Trim() {
    while (fonts_.size() > 1 && BytesLocked() > budgetBytes_) Forget(fonts_.find(uses_.back()));
}

void FontResolver::Forget(std::map<Key, Entry>::iterator entry) {
    const FontFile* file = entry->second.font->File().get();
    if (const auto users = fileUsers_.find(file); users != fileUsers_.end() && --users->second == 0) {
        fileBytes_ -= file->bytes.size();
        fileUsers_.erase(users);
    }
    uses_.erase(entry->second.use);
    fonts_.erase(entry);
}

std::size_t FontResolver::BytesLocked() const {
    std::size_t bytes = fileBytes_;
    for (const auto& [key, entry] : fonts_) bytes += entry.font->Bytes();
    return bytes;
}

std::size_t FontResolver::CachedFonts() {
    const std::lock_guard lock(mutex_);
    return fonts_.size();
}

std::size_t FontResolver::CachedBytes() {
    const std::lock_guard lock(mutex_);
    return BytesLocked();
}

}  // namespace lumora::soft
