// SPDX-License-Identifier: MIT
#include "platform/soft/RasterFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#if LUMORA_SHAPING
#include <hb-ft.h>
#endif

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "platform/soft/FreeTypeLibrary.h"
#include "platform/soft/NativeFile.h"
#include "runtime/CodePage.h"

namespace lumora::soft {
namespace {

// The faces' own hinting snaps stems, baseline and x-height to whole
// pixels, which keeps 8-point captions crisp; it came out a little sharper
// than FreeType's light autohinting for DejaVu Sans and Liberation Sans.
// Embedded bitmaps are skipped so that every glyph is anti-aliased alike.
constexpr FT_Int32 kLoadFlags = FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP;

std::atomic<std::size_t> rasterisations{0};

// A glyph's entry in the font's map beside its image: the node, its hash
// bucket and the allocator's bookkeeping.
constexpr std::size_t kGlyphEntryBytes = sizeof(Glyph) + 4 * sizeof(void*);

// 26.6 fixed point to whole pixels, halves rounded up, as the system's font
// engine rounds its metrics.
int RoundPixels(FT_Pos value) noexcept { return static_cast<int>((value + 32) >> 6); }

// A line thickness from the face's tables; the system never draws a line
// thinner than one pixel.
int LineThickness(int scaled) noexcept { return std::max(1, std::abs(scaled)); }

// The system centres a text line on the face's position for it.
LineBand BandAt(int position, int thickness) noexcept { return {-(position + thickness / 2), thickness}; }

}  // namespace

std::size_t GlyphRasterisations() noexcept { return rasterisations.load(); }

std::shared_ptr<const FontFile> FontFile::Read(const std::string& path) {
    // Through the system's file like every file the control reads, so a
    // font path that names a pipe or a device fails instead of blocking.
    std::error_code error;
    NativeFile in = NativeFile::OpenForReading(std::filesystem::path(path), AtLink::kFollow, error);
    if (error) throw std::runtime_error("cannot open font file " + path);
    auto file = std::make_shared<FontFile>();
    file->path = path;
    if (const auto size = in.RegularFileSize()) file->bytes.reserve(static_cast<std::size_t>(*size));
    char buffer[64 * 1024];
    while (const std::size_t count = in.Read(buffer, error))
        file->bytes.insert(file->bytes.end(), buffer, buffer + count);
    if (error) throw std::runtime_error("cannot read font file " + path);
    if (file->bytes.empty()) throw std::runtime_error("cannot open font file " + path);
    return file;
}

RasterFont::RasterFont(std::shared_ptr<FreeTypeLibrary> library, std::shared_ptr<const FontFile> file,
                       const FaceSource& source, int pixelSize, bool underline, bool strikeout)
    : library_(std::move(library)),
      file_(std::move(file)),
      source_(source),
      pixelSize_(pixelSize),
      underline_(underline),
      strikeout_(strikeout) {
    const std::lock_guard lock(library_->Mutex());
    const std::size_t before = library_->BytesInUse();
    if (FT_New_Memory_Face(library_->Handle(), file_->bytes.data(), static_cast<FT_Long>(file_->bytes.size()),
                           source_.index, &face_) != 0)
        throw std::runtime_error("cannot open font file " + source_.path);
    FT_Select_Charmap(face_, FT_ENCODING_UNICODE);
    if (FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixelSize_)) != 0) {
        FT_Done_Face(face_);
        throw std::runtime_error("font file cannot be scaled: " + source_.path);
    }
    if (face_->family_name) family_ = face_->family_name;
    ReadMetrics();
    bytes_ = GrowthSince(before);
}

RasterFont::~RasterFont() {
    const std::lock_guard lock(library_->Mutex());
#if LUMORA_SHAPING
    if (shaper_) hb_font_destroy(shaper_);
#endif
    FT_Done_Face(face_);
}

void RasterFont::ReadMetrics() {
    const FT_Fixed yScale = face_->size->metrics.y_scale;
    const FT_Fixed xScale = face_->size->metrics.x_scale;
    const auto scaleY = [yScale](FT_Long units) { return RoundPixels(FT_MulFix(units, yScale)); };
    const auto scaleX = [xScale](FT_Long units) { return RoundPixels(FT_MulFix(units, xScale)); };
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face_, FT_SFNT_HHEA));
    const auto* post = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(face_, FT_SFNT_POST));
    if (os2 && os2->version == 0xFFFF) os2 = nullptr;

    // The system measures a line from the face's Windows ascent and descent,
    // and falls back to the horizontal header when a face leaves them zero.
    FT_Long ascent = face_->ascender;
    FT_Long descent = -face_->descender;
    if (os2 && os2->usWinAscent + os2->usWinDescent != 0) {
        ascent = os2->usWinAscent;
        descent = os2->usWinDescent;
    } else if (hhea) {
        ascent = hhea->Ascender;
        descent = -hhea->Descender;
    }
    metrics_.ascent = scaleY(ascent);
    metrics_.descent = scaleY(descent);
    metrics_.height = metrics_.ascent + metrics_.descent;
    metrics_.internalLeading = scaleY(ascent + descent - face_->units_per_EM);
    if (hhea) {
        const FT_Long gap = hhea->Line_Gap - ((ascent + descent) - (hhea->Ascender - hhea->Descender));
        metrics_.externalLeading = std::max(0, scaleY(gap));
    }
    metrics_.maxCharWidth = scaleX(face_->bbox.xMax - face_->bbox.xMin);
    if (os2 && os2->xAvgCharWidth != 0) {
        metrics_.averageCharWidth = scaleX(os2->xAvgCharWidth);
    } else if (FT_Load_Char(face_, 'x', kLoadFlags) == 0) {
        metrics_.averageCharWidth = RoundPixels(face_->glyph->advance.x);
    }

    if (post) {
        const int thickness = LineThickness(scaleY(post->underlineThickness));
        underlineBand_ = BandAt(scaleY(post->underlinePosition), thickness);
    } else {
        underlineBand_ = BandAt(0, metrics_.ascent / 20 + 1);
    }
    if (os2) {
        const int thickness = LineThickness(scaleY(os2->yStrikeoutSize));
        strikeoutBand_ = BandAt(scaleY(os2->yStrikeoutPosition), thickness);
    } else {
        strikeoutBand_ = BandAt(metrics_.ascent / 2, metrics_.ascent / 20 + 1);
    }
}

std::size_t RasterFont::GrowthSince(std::size_t before) const noexcept {
    const std::size_t now = library_->BytesInUse();
    return now > before ? now - before : 0;
}

int RasterFont::CharWidth(unsigned char ansi) const {
    const char byte = static_cast<char>(ansi);
    return Advance(FromAnsi(std::string_view(&byte, 1)).front());
}

int RasterFont::TextWidth(std::u16string_view text) const {
    int width = 0;
    for (const char16_t ch : text) width += Advance(ch);
    return width;
}

const Glyph& RasterFont::GlyphFor(char16_t ch) const {
    const bool quick = ch < kQuickGlyphs;
    if (quick) {
        if (const Glyph* glyph = quickGlyphs_[ch].load(std::memory_order_acquire)) return *glyph;
    }
    const std::lock_guard lock(library_->Mutex());
    auto found = glyphs_.find(ch);
    if (found == glyphs_.end()) {
        const std::size_t before = library_->BytesInUse();
        found = glyphs_.emplace(ch, Rasterise(ch)).first;
        // What FreeType kept (the glyph slot grows to the largest image)
        // and the image itself, with what the map needs for an entry.
        bytes_ += GrowthSince(before) + found->second.coverage.capacity() + kGlyphEntryBytes;
    }
    // The map's entries stay where they are as it grows, so the pointer
    // stays good for the font's life.
    if (quick) quickGlyphs_[ch].store(&found->second, std::memory_order_release);
    return found->second;
}

bool RasterFont::Covers(char32_t ch) const {
    const std::lock_guard lock(library_->Mutex());
    const auto found = covers_.find(ch);
    if (found != covers_.end()) return found->second;
    const bool has = FT_Get_Char_Index(face_, ch) != 0;
    covers_.emplace(ch, has);
    return has;
}

const Glyph& RasterFont::GlyphAt(unsigned index) const {
    const std::lock_guard lock(library_->Mutex());
    auto found = indexGlyphs_.find(index);
    if (found == indexGlyphs_.end()) {
        const std::size_t before = library_->BytesInUse();
        found = indexGlyphs_.emplace(index, RasteriseIndex(index)).first;
        bytes_ += GrowthSince(before) + found->second.coverage.capacity() + kGlyphEntryBytes;
    }
    return found->second;
}

#if LUMORA_SHAPING
namespace {

// A kept answer's entry in its map: the node, its hash bucket and the
// allocator's bookkeeping.
constexpr std::size_t kShapingEntryBytes = sizeof(RasterFont::GlyphBox) + 6 * sizeof(void*);

}  // namespace

// HarfBuzz asks FreeType for a glyph's advance, and for its extents where it
// places marks, each time it shapes, and a hinted load runs the face's
// hinting program again each time: a long caption would pay that for every
// character, at every paint. The answers depend on the glyph alone at this
// size, so the font keeps the first one. HarfBuzz calls these while Shape
// holds the library's lock.
struct RasterFont::ShapingCache {
    static void Advances(hb_font_t* font, void* data, unsigned count, const hb_codepoint_t* glyph, unsigned glyphStride,
                         hb_position_t* advance, unsigned advanceStride, void*) {
        const auto& self = *static_cast<const RasterFont*>(data);
        for (unsigned i = 0; i < count; ++i) {
            auto found = self.shapedAdvances_.find(*glyph);
            if (found == self.shapedAdvances_.end()) {
                const hb_position_t value = hb_font_get_glyph_h_advance(hb_font_get_parent(font), *glyph);
                found = self.shapedAdvances_.emplace(*glyph, value).first;
                self.bytes_ += kShapingEntryBytes;
            }
            *advance = found->second;
            glyph = reinterpret_cast<const hb_codepoint_t*>(reinterpret_cast<const char*>(glyph) + glyphStride);
            advance = reinterpret_cast<hb_position_t*>(reinterpret_cast<char*>(advance) + advanceStride);
        }
    }

    static hb_bool_t Extents(hb_font_t* font, void* data, hb_codepoint_t glyph, hb_glyph_extents_t* extents, void*) {
        const auto& self = *static_cast<const RasterFont*>(data);
        auto found = self.shapedExtents_.find(glyph);
        if (found == self.shapedExtents_.end()) {
            hb_glyph_extents_t read{};
            const bool known = hb_font_get_glyph_extents(hb_font_get_parent(font), glyph, &read) != 0;
            found = self.shapedExtents_
                        .emplace(glyph, GlyphBox{read.x_bearing, read.y_bearing, read.width, read.height, known})
                        .first;
            self.bytes_ += kShapingEntryBytes;
        }
        const GlyphBox& box = found->second;
        *extents = hb_glyph_extents_t{box.x, box.y, box.width, box.height};
        return box.known;
    }

    static hb_font_funcs_t* Functions() {
        static hb_font_funcs_t* const functions = [] {
            hb_font_funcs_t* made = hb_font_funcs_create();
            hb_font_funcs_set_glyph_h_advances_func(made, Advances, nullptr, nullptr);
            hb_font_funcs_set_glyph_extents_func(made, Extents, nullptr, nullptr);
            hb_font_funcs_make_immutable(made);
            return made;
        }();
        return functions;
    }
};

void RasterFont::Shape(hb_buffer_t* buffer) const {
    const std::lock_guard lock(library_->Mutex());
    if (!shaper_) {
        // What the cache does not answer goes to FreeType through the
        // parent, with the hinted loads the glyph images are made with.
        hb_font_t* freeType = hb_ft_font_create_referenced(face_);
        hb_ft_font_set_load_flags(freeType, kLoadFlags);
        shaper_ = hb_font_create_sub_font(freeType);
        hb_font_destroy(freeType);
        hb_font_set_funcs(shaper_, ShapingCache::Functions(), const_cast<RasterFont*>(this), nullptr);
    }
    hb_shape(shaper_, buffer, nullptr, 0);
}
#endif

Glyph RasterFont::Rasterise(char16_t ch) const { return RasteriseIndex(FT_Get_Char_Index(face_, ch)); }

Glyph RasterFont::RasteriseIndex(unsigned index) const {
    ++rasterisations;
    Glyph glyph;
    if (FT_Load_Glyph(face_, index, kLoadFlags) != 0) return glyph;
    const FT_GlyphSlot slot = face_->glyph;
    if (source_.embolden) FT_GlyphSlot_Embolden(slot);
    if (source_.slant) FT_GlyphSlot_Oblique(slot);
    glyph.advance = RoundPixels(slot->advance.x);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return glyph;

    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return glyph;
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.width = static_cast<int>(bitmap.width);
    glyph.height = static_cast<int>(bitmap.rows);
    glyph.coverage.resize(static_cast<std::size_t>(glyph.width) * static_cast<std::size_t>(glyph.height));
    // A negative pitch means FreeType stored the rows bottom up.
    const int pitch = bitmap.pitch;
    for (int row = 0; row < glyph.height; ++row) {
        const int sourceRow = pitch >= 0 ? row : glyph.height - 1 - row;
        const unsigned char* source = bitmap.buffer + static_cast<std::ptrdiff_t>(sourceRow) * std::abs(pitch);
        std::copy_n(source, glyph.width, glyph.coverage.begin() + static_cast<std::ptrdiff_t>(row) * glyph.width);
    }
    return glyph;
}

}  // namespace lumora::soft
