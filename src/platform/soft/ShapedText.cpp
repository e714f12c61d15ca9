// SPDX-License-Identifier: MIT
#include "platform/soft/ShapedText.h"

#include <fribidi.h>
#include <hb.h>
#include <linebreak.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/soft/FontResolver.h"
#include "runtime/CodePage.h"

namespace lumora::soft {
namespace {

constexpr char32_t kPrefix = U'&';
constexpr char32_t kReplacement = 0xFFFD;
// Greek and Cyrillic letters are drawn one by one like Latin ones: they
// neither join nor reorder.
constexpr char32_t kFirstGreek = 0x0370;
constexpr char32_t kLastCyrillic = 0x052F;
// Positions from HarfBuzz are in 64ths of a pixel.
constexpr int kSubpixels = 64;

std::int64_t Pixels(std::int64_t subpixels) noexcept { return (subpixels + kSubpixels / 2) >> 6; }

bool IsLineBreak(char32_t ch) noexcept { return ch == U'\r' || ch == U'\n'; }
bool IsSpace(char32_t ch) noexcept { return ch == U' ' || ch == 0x3000 || ch == U'\t'; }

struct Owned {
    void operator()(hb_buffer_t* buffer) const noexcept { hb_buffer_destroy(buffer); }
};
using BufferPtr = std::unique_ptr<hb_buffer_t, Owned>;

// The text with its access-key marks taken out, one code point a
// character; marked[i] says whether "&" marked character i.
struct Characters {
    std::u32string text;
    std::vector<bool> marked;
};

Characters Decode(std::u16string_view text, bool prefixed) {
    Characters result;
    result.text.reserve(text.size());
    bool markNext = false;
    for (std::size_t at = 0; at < text.size(); ++at) {
        // A lone "&" as the text's last character is drawn as it is.
        if (prefixed && text[at] == kPrefix && at + 1 < text.size()) {
            ++at;
            // The marked character is read below, as any other; "&&" is one "&".
            if (text[at] != kPrefix) markNext = true;
        }
        char32_t ch = text[at];
        if (ch >= 0xD800 && ch <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF) {
            ch = 0x10000 + ((ch - 0xD800) << 10) + (text[at + 1] - 0xDC00);
            ++at;
        } else if (ch >= 0xD800 && ch <= 0xDFFF) {
            ch = kReplacement;
        }
        result.text += ch;
        result.marked.push_back(markNext);
        markNext = false;
    }
    return result;
}

// Picks each character's font: the caption's own where it has the glyph,
// otherwise a fallback that has it. Marks and joiners stay with the
// character before them, so a cluster is never split between fonts.
class FontChoice {
public:
    explicit FontChoice(const RasterFont& primary) : primary_(primary) {}

    const RasterFont* For(char32_t ch, const RasterFont* previous) {
        if (IsSpace(ch) || IsLineBreak(ch) || primary_.Covers(ch)) return &primary_;
        const auto category = hb_unicode_general_category(hb_unicode_funcs_get_default(), ch);
        const bool joins = category == HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK ||
                           category == HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK ||
                           category == HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK ||
                           category == HB_UNICODE_GENERAL_CATEGORY_FORMAT;
        if (joins && previous) return previous;
        if (const auto found = chosen_.find(ch); found != chosen_.end()) return found->second;
        auto fallback = FontResolver::Instance().Fallback(primary_, ch);
        const RasterFont* font = fallback ? fallback.get() : &primary_;
        if (fallback && std::find(kept_.begin(), kept_.end(), fallback) == kept_.end())
            kept_.push_back(std::move(fallback));
        chosen_.emplace(ch, font);
        return font;
    }

private:
    const RasterFont& primary_;
    // The face each character got, asked of the resolver once per text.
    std::unordered_map<char32_t, const RasterFont*> chosen_;
    // Fallback fonts stay alive while the text is laid out with them.
    std::vector<std::shared_ptr<const RasterFont>> kept_;
};

// One paragraph: its characters, the font, embedding level and advance of
// each, and where a line may end after it.
struct Paragraph {
    std::u32string_view text;
    std::vector<bool> marked;
    std::vector<const RasterFont*> fonts;
    std::vector<FriBidiLevel> levels;
    std::vector<std::int64_t> advances;
    std::vector<char> breaks;
};

std::vector<FriBidiLevel> EmbeddingLevels(std::u32string_view text) {
    const auto length = static_cast<FriBidiStrIndex>(text.size());
    std::vector<FriBidiCharType> types(text.size());
    std::vector<FriBidiBracketType> brackets(text.size());
    std::vector<FriBidiLevel> levels(text.size());
    const auto* chars = reinterpret_cast<const FriBidiChar*>(text.data());
    fribidi_get_bidi_types(chars, length, types.data());
    fribidi_get_bracket_types(chars, length, types.data(), brackets.data());
    // The caption's first strong character sets its direction.
    FriBidiParType direction = FRIBIDI_PAR_ON;
    if (!fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), length, &direction, levels.data()))
        std::fill(levels.begin(), levels.end(), 0);
    return levels;
}

hb_script_t ScriptOf(char32_t ch) { return hb_unicode_script(hb_unicode_funcs_get_default(), ch); }

bool NeutralScript(hb_script_t script) {
    return script == HB_SCRIPT_COMMON || script == HB_SCRIPT_INHERITED || script == HB_SCRIPT_UNKNOWN;
}

// A stretch of characters shaped together: one font, one level, one script.
struct Run {
    std::size_t start = 0;
    std::size_t end = 0;
    FriBidiLevel level = 0;
};

std::vector<Run> Runs(const Paragraph& paragraph, std::size_t start, std::size_t end) {
    std::vector<Run> runs;
    hb_script_t script = HB_SCRIPT_COMMON;
    for (std::size_t i = start; i < end; ++i) {
        const hb_script_t own = ScriptOf(paragraph.text[i]);
        const bool newScript = !NeutralScript(own) && !NeutralScript(script) && own != script;
        if (runs.empty() || paragraph.fonts[i] != paragraph.fonts[i - 1] ||
            paragraph.levels[i] != paragraph.levels[i - 1] || newScript) {
            runs.push_back({i, i, paragraph.levels[i]});
            script = HB_SCRIPT_COMMON;
        }
        if (!NeutralScript(own)) script = own;
        runs.back().end = i + 1;
    }
    return runs;
}

// Puts runs in visual order: from the highest level down to the lowest
// odd one, every stretch of runs at that level or above turns round.
void Reorder(std::vector<Run>& runs) {
    if (runs.empty()) return;
    FriBidiLevel highest = 0, lowestOdd = std::numeric_limits<FriBidiLevel>::max();
    for (const Run& run : runs) {
        highest = std::max(highest, run.level);
        if (run.level % 2) lowestOdd = std::min(lowestOdd, run.level);
    }
    for (int level = highest; level >= lowestOdd && level > 0; --level) {
        for (auto it = runs.begin(); it != runs.end();) {
            if (it->level < level) {
                ++it;
                continue;
            }
            auto last = it;
            while (last != runs.end() && last->level >= level) ++last;
            std::reverse(it, last);
            it = last;
        }
    }
}

// Shapes one run with the paragraph around it as context, into the buffer
// emptied first.
void ShapeRun(const Paragraph& paragraph, const Run& run, hb_buffer_t* buffer) {
    hb_buffer_clear_contents(buffer);
    hb_buffer_add_utf32(buffer, reinterpret_cast<const std::uint32_t*>(paragraph.text.data()),
                        static_cast<int>(paragraph.text.size()), static_cast<unsigned>(run.start),
                        static_cast<int>(run.end - run.start));
    hb_buffer_set_direction(buffer, run.level % 2 ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
    hb_buffer_guess_segment_properties(buffer);
    paragraph.fonts[run.start]->Shape(buffer);
}

// The glyphs of characters start..end of a paragraph, left to right. One
// buffer serves every run: text that changes face every few letters has
// thousands of runs.
std::vector<ShapedGlyph> ShapeSpan(const Paragraph& paragraph, std::size_t start, std::size_t end) {
    std::vector<Run> runs = Runs(paragraph, start, end);
    Reorder(runs);
    std::vector<ShapedGlyph> glyphs;
    const BufferPtr buffer(hb_buffer_create());
    for (const Run& run : runs) {
        ShapeRun(paragraph, run, buffer.get());
        unsigned count = 0;
        const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer.get(), &count);
        const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer.get(), &count);
        for (unsigned i = 0; i < count; ++i)
            glyphs.push_back({paragraph.fonts[run.start], infos[i].codepoint,
                              static_cast<std::uint32_t>(infos[i].cluster - start), positions[i].x_advance,
                              positions[i].x_offset, positions[i].y_offset});
    }
    return glyphs;
}

Paragraph Prepare(FontChoice& fonts, std::u32string_view text, std::vector<bool> marked, bool wordBreak) {
    Paragraph paragraph;
    paragraph.text = text;
    paragraph.marked = std::move(marked);
    paragraph.fonts.reserve(text.size());
    for (const char32_t ch : text)
        paragraph.fonts.push_back(fonts.For(ch, paragraph.fonts.empty() ? nullptr : paragraph.fonts.back()));
    paragraph.levels = EmbeddingLevels(text);
    if (!wordBreak) return paragraph;
    // Each cluster's advance counts for its first character, which is
    // enough to find where a line must break.
    paragraph.advances.assign(text.size(), 0);
    for (const ShapedGlyph& glyph : ShapeSpan(paragraph, 0, text.size()))
        paragraph.advances[glyph.cluster] += glyph.advance;
    paragraph.breaks.resize(text.size());
    static std::once_flag initialised;
    std::call_once(initialised, init_linebreak);
    set_linebreaks_utf32(reinterpret_cast<const utf32_t*>(text.data()), text.size(), "", paragraph.breaks.data());
    return paragraph;
}

// Where the line that starts at `start` ends: after the last break
// opportunity that fits the width. Spaces may hang past the edge, and a word
// wider than the width stays whole.
std::size_t LineEnd(const Paragraph& paragraph, std::size_t start, std::int64_t width) {
    std::int64_t extent = 0;
    std::size_t lastBreak = 0;
    for (std::size_t i = start; i < paragraph.text.size(); ++i) {
        extent += paragraph.advances[i];
        if (extent > width && i > start && !IsSpace(paragraph.text[i]) && lastBreak > start) return lastBreak;
        if (paragraph.breaks[i] == LINEBREAK_ALLOWBREAK) {
            if (extent > width && !IsSpace(paragraph.text[i])) return i + 1;
            lastBreak = i + 1;
        }
    }
    return paragraph.text.size();
}

struct Line {
    std::vector<ShapedGlyph> glyphs;
    int width = 0;
    int prefix = -1;  // the underlined character, among the line's
};

Line MakeLine(const Paragraph& paragraph, std::size_t start, std::size_t end, bool trimSpaces) {
    Line line;
    for (std::size_t i = start; i < end; ++i)
        if (paragraph.marked[i]) line.prefix = static_cast<int>(i - start);
    if (trimSpaces)
        while (end > start && IsSpace(paragraph.text[end - 1])) --end;
    if (start == end) return line;
    line.glyphs = ShapeSpan(paragraph, start, end);
    std::int64_t width = 0;
    for (const ShapedGlyph& glyph : line.glyphs) width += glyph.advance;
    // A part pixel counts whole, so the measured width holds the line
    // again when the caption is drawn into it.
    line.width = static_cast<int>((width + kSubpixels - 1) / kSubpixels);
    return line;
}

void Blit(const CoveragePlot& plot, const Rect* clip, const Glyph& glyph, std::int64_t left, std::int64_t top) {
    std::int64_t x0 = left, y0 = top, x1 = left + glyph.width, y1 = top + glyph.height;
    if (clip) {
        x0 = std::max<std::int64_t>(x0, clip->left);
        y0 = std::max<std::int64_t>(y0, clip->top);
        x1 = std::min<std::int64_t>(x1, clip->right);
        y1 = std::min<std::int64_t>(y1, clip->bottom);
    }
    if (x0 >= x1 || y0 >= y1) return;
    const CoverageBlock block{&glyph.coverage[static_cast<std::size_t>((y0 - top) * glyph.width + (x0 - left))],
                              static_cast<int>(x1 - x0), static_cast<int>(y1 - y0), glyph.width};
    plot(static_cast<int>(x0), static_cast<int>(y0), block);
}

void Solid(const CoveragePlot& plot, const Rect* clip, std::int64_t left, std::int64_t top, std::int64_t right,
           std::int64_t bottom) {
    static const std::vector<std::uint8_t> full(4096, 255);
    if (clip) {
        left = std::max<std::int64_t>(left, clip->left);
        top = std::max<std::int64_t>(top, clip->top);
        right = std::min<std::int64_t>(right, clip->right);
        bottom = std::min<std::int64_t>(bottom, clip->bottom);
    }
    if (left >= right || top >= bottom) return;
    right = std::min<std::int64_t>(right, left + static_cast<std::int64_t>(full.size()));
    plot(static_cast<int>(left), static_cast<int>(top),
         CoverageBlock{full.data(), static_cast<int>(right - left), static_cast<int>(bottom - top), 0});
}

void DrawShapedLine(const RasterFont& font, const Line& line, std::int64_t x, std::int64_t y, const CoveragePlot& plot,
                    const Rect* clip) {
    const std::int64_t baseline = y + font.Metrics().ascent;
    std::int64_t pen = 0;
    // The access key's underline runs under every glyph of its cluster.
    std::int64_t keyLeft = std::numeric_limits<std::int64_t>::max(),
                 keyRight = std::numeric_limits<std::int64_t>::min();
    std::uint32_t keyCluster = 0;
    for (const ShapedGlyph& glyph : line.glyphs)
        if (line.prefix >= 0 && glyph.cluster <= static_cast<std::uint32_t>(line.prefix))
            keyCluster = std::max(keyCluster, glyph.cluster);
    for (const ShapedGlyph& glyph : line.glyphs) {
        const Glyph& image = glyph.font->GlyphAt(glyph.index);
        const std::int64_t left = x + Pixels(pen + glyph.offsetX);
        Blit(plot, clip, image, left + image.left, baseline - Pixels(glyph.offsetY) - image.top);
        if (line.prefix >= 0 && glyph.cluster == keyCluster) {
            keyLeft = std::min(keyLeft, x + Pixels(pen));
            keyRight = std::max(keyRight, x + Pixels(pen + glyph.advance));
        }
        pen += glyph.advance;
    }
    const auto band = [&](const LineBand& lineBand) {
        Solid(plot, clip, x, baseline + lineBand.top, x + line.width, baseline + lineBand.top + lineBand.thickness);
    };
    if (font.Underlined()) band(font.UnderlineBand());
    if (font.StruckOut()) band(font.StrikeoutBand());
    if (keyLeft < keyRight) Solid(plot, clip, keyLeft, baseline + 1, keyRight - 1, baseline + 2);
}

}  // namespace

bool NeedsShaping(const RasterFont& font, std::u16string_view text) {
    for (const char16_t ch : text) {
        if (ch < 0x300) continue;
        if (ToAnsiChar(ch) != static_cast<unsigned char>(kUnmappableAnsi)) continue;
        if (ch >= kFirstGreek && ch <= kLastCyrillic && font.Covers(ch)) continue;
        return true;
    }
    return false;
}

std::vector<ShapedGlyph> ShapeLine(const RasterFont& font, std::u16string_view text) {
    const Characters characters = Decode(text, false);
    FontChoice fonts(font);
    const Paragraph paragraph = Prepare(fonts, characters.text, characters.marked, false);
    return ShapeSpan(paragraph, 0, characters.text.size());
}

int LayoutShaped(const RasterFont& font, std::u16string_view text, Rect* rect, unsigned format,
                 const CoveragePlot* plot, const BackgroundFill* background) {
    const int lineHeight = font.Metrics().height;
    if (format & DT_SINGLELINE) format &= ~DT_WORDBREAK;
    if (format & DT_CALCRECT) format |= DT_NOCLIP;
    const bool wordBreak = (format & DT_WORDBREAK) != 0;
    const Rect bounds = *rect;
    const Rect* clip = (format & DT_NOCLIP) ? nullptr : &bounds;
    const std::int64_t width = (std::int64_t{bounds.right} - bounds.left) * kSubpixels;

    const Characters characters = Decode(text, !(format & DT_NOPREFIX));
    const std::u32string_view all = characters.text;
    FontChoice fonts(font);
    std::int64_t x = bounds.left;
    std::int64_t y = bounds.top;
    int widest = 0;
    bool lastLine = false;
    std::size_t at = 0;
    do {
        std::size_t end = at;
        if (format & DT_SINGLELINE)
            end = all.size();
        else
            while (end < all.size() && !IsLineBreak(all[end])) ++end;
        const std::vector<bool> marked(characters.marked.begin() + static_cast<std::ptrdiff_t>(at),
                                       characters.marked.begin() + static_cast<std::ptrdiff_t>(end));
        const Paragraph paragraph = Prepare(fonts, all.substr(at, end - at), marked, wordBreak);
        std::size_t start = 0;
        do {
            lastLine = clip && y + lineHeight > bounds.bottom;
            const std::size_t stop = wordBreak ? LineEnd(paragraph, start, width) : paragraph.text.size();
            const Line line = MakeLine(paragraph, start, stop, wordBreak && stop < paragraph.text.size());
            start = stop;
            PlaceLine(bounds, format, line.width, lineHeight, x, y);
            if (format & DT_CALCRECT) {
                widest = std::max(widest, line.width);
            } else {
                if (background && line.width > 0) FillCell(*background, line.width, lineHeight, x, y, clip);
                if (plot) DrawShapedLine(font, line, x, y, *plot, clip);
            }
            y += lineHeight;
        } while (start < paragraph.text.size() && !lastLine);
        at = end;
        // CR LF and LF CR are one break; CR CR and LF LF are two.
        if (at < all.size()) {
            const char32_t first = all[at++];
            if (at < all.size() && IsLineBreak(all[at]) && all[at] != first) ++at;
        }
    } while (at < all.size() && !lastLine);

    if (format & DT_CALCRECT) {
        rect->right = WrapAdd(bounds.left, widest);
        rect->bottom = static_cast<Long>(y);
    }
    const int height = static_cast<int>(y - bounds.top);
    return height == 0 ? 1 : height;
}

}  // namespace lumora::soft
