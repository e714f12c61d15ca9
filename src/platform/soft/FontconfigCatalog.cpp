// SPDX-License-Identifier: MIT
// Faces on Linux: fontconfig knows what is installed and which face stands
// in for a missing one.
#include <fontconfig/fontconfig.h>

#include <optional>
#include <stdexcept>

#include "lumora/platform/Font.h"
#include "platform/soft/FaceCatalog.h"

namespace lumora::soft {
namespace {

int PatternInteger(FcPattern* pattern, const char* object, int fallback) {
    int value = fallback;
    FcPatternGetInteger(pattern, object, 0, &value);
    return value;
}

// Owns a fontconfig pattern.
struct PatternDeleter {
    void operator()(FcPattern* pattern) const noexcept { FcPatternDestroy(pattern); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

class FontconfigCatalog final : public FaceCatalog {
public:
    FontconfigCatalog() : config_(FcInitLoadConfigAndFonts()) {
        if (!config_) throw std::runtime_error("fontconfig could not be initialised");
    }
    ~FontconfigCatalog() override { FcConfigDestroy(config_); }
    FontconfigCatalog(const FontconfigCatalog&) = delete;
    FontconfigCatalog& operator=(const FontconfigCatalog&) = delete;

    FaceSource Match(const std::string& family, int weight, bool italic) override;
    std::optional<FaceSource> MatchCharacter(const std::string& family, int weight, bool italic, char32_t ch) override;

private:
    FaceSource Match(const std::string& family, int weight, bool italic, FcCharSet* charset);

    FcConfig* config_ = nullptr;
};

std::optional<FaceSource> FontconfigCatalog::MatchCharacter(const std::string& family, int weight, bool italic,
                                                            char32_t ch) {
    FcCharSet* charset = FcCharSetCreate();
    FcCharSetAddChar(charset, ch);
    try {
        FaceSource source = Match(family, weight, italic, charset);
        FcCharSetDestroy(charset);
        return source;
    } catch (const std::runtime_error&) {
        FcCharSetDestroy(charset);
        return std::nullopt;
    }
}

FaceSource FontconfigCatalog::Match(const std::string& family, int weight, bool italic) {
    return Match(family, weight, italic, nullptr);
}

FaceSource FontconfigCatalog::Match(const std::string& family, int weight, bool italic, FcCharSet* charset) {
    const PatternPtr pattern(FcPatternCreate());
    // A character the family lacks weighs more than the family's name, so
    // the match is the nearest face that has it.
    if (charset) FcPatternAddCharSet(pattern.get(), FC_CHARSET, charset);
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config_, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());

    FcResult result = FcResultNoMatch;
    const PatternPtr match(FcFontMatch(config_, pattern.get(), &result));
    FcChar8* file = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch)
        throw std::runtime_error("no font face is installed for " + family);

    FaceSource source;
    source.path = reinterpret_cast<const char*>(file);
    source.index = PatternInteger(match.get(), FC_INDEX, 0);
    // A face lighter than demi-bold for a bold request, or an upright one
    // for an italic request, gets the look drawn on.
    source.embolden =
        weight > kBoldWeightThreshold && PatternInteger(match.get(), FC_WEIGHT, FC_WEIGHT_REGULAR) < FC_WEIGHT_DEMIBOLD;
    source.slant = italic && PatternInteger(match.get(), FC_SLANT, FC_SLANT_ROMAN) == FC_SLANT_ROMAN;
    return source;
}

}  // namespace

std::unique_ptr<FaceCatalog> MakeSystemFaceCatalog(std::shared_ptr<FreeTypeLibrary> /*library*/) {
    return std::make_unique<FontconfigCatalog>();
}

}  // namespace lumora::soft
