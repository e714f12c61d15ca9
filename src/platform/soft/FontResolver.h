// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>

#include "lumora/platform/Font.h"
#include "platform/soft/RasterFont.h"

namespace lumora::soft {

class FaceCatalog;
class FreeTypeLibrary;

// Turns font attributes into raster fonts: finds the face in the system's
// catalog, substituting a present face for a missing one, and keeps the
// fonts it made, so their glyph images outlive one drawing call. It keeps
// at most kBudgetBytes of them, the ones used last: a host that goes
// through many names and sizes does not grow for ever. A font dropped from
// here lives on while a drawing object still holds it, and its face is
// released with the last holder.
class FontResolver {
public:
    static constexpr std::size_t kBudgetBytes = std::size_t{16} << 20;

    static FontResolver& Instance();

    explicit FontResolver(std::size_t budgetBytes = kBudgetBytes);
    ~FontResolver();
    FontResolver(const FontResolver&) = delete;
    FontResolver& operator=(const FontResolver&) = delete;

    // The font for the attributes with an em of pixelSize pixels; never
    // null. Throws std::runtime_error when no usable face is installed.
    std::shared_ptr<const RasterFont> Resolve(const FontDescription& font, int pixelSize);
    // A font of the same size, weight, slant and lines as `font` from a face
    // that has the character, or null when no installed face has it.
    std::shared_ptr<const RasterFont> Fallback(const RasterFont& font, char32_t ch);

    // The fonts kept, and the bytes they hold: within the budget when the
    // last font was made, unless that font alone is larger.
    std::size_t CachedFonts();
    std::size_t CachedBytes();

private:
    // Name (lower case), em pixels, weight, italic, underline, strikeout.
    using Key = std::tuple<std::string, int, int, bool, bool, bool>;

    std::mutex mutex_;
    std::shared_ptr<FreeTypeLibrary> library_;
    std::unique_ptr<FaceCatalog> faces_;
    struct Entry {
        std::shared_ptr<const RasterFont> font;
        std::list<Key>::iterator use;
    };

    // The file's bytes, shared with every font made from it that is still
    // alive. Runs with mutex_ held.
    std::shared_ptr<const FontFile> FileFor(const std::string& path);
    // Keeps a font made for the key, as the one used last. Runs with mutex_
    // held.
    void Keep(const Key& key, const std::shared_ptr<const RasterFont>& font);
    // Drops the fonts used longest ago until the rest fit the budget. Runs
    // with mutex_ held.
    void Trim();
    void Forget(std::map<Key, Entry>::iterator entry);
    std::size_t BytesLocked() const;

    // The fallback face for a family, weight, slant and character, once
    // asked for.
    using FallbackKey = std::tuple<std::string, int, bool, char32_t>;
    std::map<FallbackKey, std::optional<FaceSource>> fallbackFaces_;

    std::size_t budgetBytes_;
    std::map<Key, Entry> fonts_;
    // The kept fonts' files, each counted once, with how many fonts use it.
    std::map<const FontFile*, int> fileUsers_;
    std::size_t fileBytes_ = 0;
    // Every file read, for as long as some font (kept or not) uses it.
    std::map<std::string, std::weak_ptr<const FontFile>> files_;
    // The keys of fonts_, the one used last first.
    std::list<Key> uses_;
};

}  // namespace lumora::soft
