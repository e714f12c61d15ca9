// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct FT_FaceRec_;
struct hb_buffer_t;
struct hb_font_t;

namespace lumora::soft {

class FreeTypeLibrary;

// A font's measures in pixels, as the system's text metrics report them.
struct TextMetrics {
    int height = 0;  // ascent + descent: one line of text
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0;
    int externalLeading = 0;
    int averageCharWidth = 0;
    int maxCharWidth = 0;
};

// Rows a line through the text covers, counted from the baseline row
// (the first row under the letters); negative is above it.
struct LineBand {
    int top = 0;
    int thickness = 1;
};

// One character's anti-aliased image and how far it moves the pen.
struct Glyph {
    int advance = 0;  // whole pixels, as the system's text extents count
    int left = 0;     // the image's first column, right of the pen
    int top = 0;      // the image's first row, above the baseline row
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> coverage;  // height rows of width values, 0..255
};

// A face file, and the looks FreeType adds because the file lacks them.
struct FaceSource {
    std::string path;
    int index = 0;
    bool embolden = false;
    bool slant = false;
    // What was asked for, which a fallback font for a missing character
    // keeps.
    int weight = 400;
    bool italic = false;
};

// A font file's bytes, read once and shared by every font made from it:
// FreeType reads the faces out of this memory.
struct FontFile {
    std::string path;
    std::vector<unsigned char> bytes;

    // Throws std::runtime_error when the file cannot be read.
    static std::shared_ptr<const FontFile> Read(const std::string& path);
};

// A face at one pixel size and style, with its metrics and the images of
// the characters drawn with it so far. Drawing the same text again reuses
// the images.
class RasterFont {
public:
    // `file` holds source.path's bytes. Throws std::runtime_error when
    // FreeType cannot open the face.
    RasterFont(std::shared_ptr<FreeTypeLibrary> library, std::shared_ptr<const FontFile> file, const FaceSource& source,
               int pixelSize, bool underline, bool strikeout);
    ~RasterFont();
    RasterFont(const RasterFont&) = delete;
    RasterFont& operator=(const RasterFont&) = delete;

    const TextMetrics& Metrics() const noexcept { return metrics_; }
    const std::string& FamilyName() const noexcept { return family_; }
    const std::shared_ptr<const FontFile>& File() const noexcept { return file_; }
    int PixelSize() const noexcept { return pixelSize_; }
    bool Underlined() const noexcept { return underline_; }
    bool StruckOut() const noexcept { return strikeout_; }
    const LineBand& UnderlineBand() const noexcept { return underlineBand_; }
    const LineBand& StrikeoutBand() const noexcept { return strikeoutBand_; }

    // Advance of a Windows-1252 character.
    int CharWidth(unsigned char ansi) const;
    int Advance(char16_t ch) const { return GlyphFor(ch).advance; }
    // The sum of the characters' advances, as the system measures text.
    int TextWidth(std::u16string_view text) const;
    // The character's image, rasterised on first use. The reference stays
    // valid as long as the font.
    const Glyph& GlyphFor(char16_t ch) const;
    // Whether the face has a glyph for the character.
    bool Covers(char32_t ch) const;
    // The image of the face's glyph with that index, rasterised on first use.
    const Glyph& GlyphAt(unsigned index) const;
    const FaceSource& Source() const noexcept { return source_; }
#if LUMORA_SHAPING
    // Shapes the buffer with HarfBuzz on this face at this size, with the
    // hinted advances the glyph images have.
    void Shape(hb_buffer_t* buffer) const;
#endif

    // The memory the font holds: its FreeType face at this size and the
    // images of its characters so far; its file's bytes are shared and not
    // counted here.
    std::size_t Bytes() const noexcept { return sizeof(RasterFont) + bytes_.load(std::memory_order_relaxed); }

private:
    // Measures the face at its size as the system's text metrics do. Runs
    // with the library's lock held.
    void ReadMetrics();
    // Renders one character and counts it. Runs with the library's lock held.
    Glyph Rasterise(char16_t ch) const;
    Glyph RasteriseIndex(unsigned index) const;
    // What FreeType took since it held `before` bytes. Runs with the
    // library's lock held.
    std::size_t GrowthSince(std::size_t before) const noexcept;

    std::shared_ptr<FreeTypeLibrary> library_;
    std::shared_ptr<const FontFile> file_;
    FT_FaceRec_* face_ = nullptr;
    FaceSource source_;
    int pixelSize_ = 0;
    bool underline_ = false;
    bool strikeout_ = false;
    std::string family_;
    TextMetrics metrics_;
    LineBand underlineBand_;
    LineBand strikeoutBand_;
    mutable std::unordered_map<char16_t, Glyph> glyphs_;
    // Images by glyph index, for shaped text, and which characters the face
    // has.
    mutable std::unordered_map<unsigned, Glyph> indexGlyphs_;
    mutable std::unordered_map<char32_t, bool> covers_;
    mutable hb_font_t* shaper_ = nullptr;
#if LUMORA_SHAPING
public:
    // A glyph's extents as HarfBuzz reads them, and whether the face knew
    // them.
    struct GlyphBox {
        std::int32_t x = 0, y = 0, width = 0, height = 0;
        bool known = false;
    };

private:
    struct ShapingCache;
    // What shaping asked of FreeType so far, by glyph index.
    mutable std::unordered_map<unsigned, std::int32_t> shapedAdvances_;
    mutable std::unordered_map<unsigned, GlyphBox> shapedExtents_;
#endif
    mutable std::atomic<std::size_t> bytes_{0};
    // The images of the first 256 characters, which hold nearly all text,
    // found without taking the library's lock: each entry points into
    // glyphs_ once that holds the character.
    static constexpr std::size_t kQuickGlyphs = 256;
    mutable std::array<std::atomic<const Glyph*>, kQuickGlyphs> quickGlyphs_{};
};

// How many character images FreeType has rendered in this process; a second
// draw of the same text must not add to it.
std::size_t GlyphRasterisations() noexcept;

}  // namespace lumora::soft
