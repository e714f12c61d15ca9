// SPDX-License-Identifier: MIT
#if LUMORA_SHAPING
#include "platform/soft/ShapedText.h"

#include <fribidi.h>
#include <gtest/gtest.h>
#include <hb.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/soft/RasterFont.h"

namespace lumora::soft {
namespace {

std::shared_ptr<const RasterFont> CaptionFont(bool bold = false) {
    FontDescription description;
    description.name = u"MS Sans Serif";
    description.size = 8;
    description.bold = bold;
    return ResolveFont(description, 96);
}

std::u32string ToUtf32(std::u16string_view text) {
    std::u32string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t ch = text[i];
        if (ch >= 0xD800 && ch < 0xDC00 && i + 1 < text.size())
            ch = 0x10000 + ((ch - 0xD800) << 10) + (text[++i] - 0xDC00);
        result += ch;
    }
    return result;
}

// The logical index of each visual position, as FriBidi orders the text
// with the direction of its first strong character.
std::vector<std::uint32_t> FriBidiVisualOrder(std::u16string_view text) {
    std::u32string chars = ToUtf32(text);
    const auto length = static_cast<FriBidiStrIndex>(chars.size());
    std::vector<FriBidiChar> visual(chars.size() + 1);
    std::vector<FriBidiStrIndex> toLogical(chars.size());
    FriBidiParType direction = FRIBIDI_PAR_ON;
    EXPECT_TRUE(fribidi_log2vis(reinterpret_cast<const FriBidiChar*>(chars.data()), length, &direction, visual.data(),
                                nullptr, toLogical.data(), nullptr));
    return {toLogical.begin(), toLogical.end()};
}

std::vector<std::uint32_t> Clusters(const std::vector<ShapedGlyph>& glyphs) {
    std::vector<std::uint32_t> clusters;
    for (const ShapedGlyph& glyph : glyphs) clusters.push_back(glyph.cluster);
    return clusters;
}

// HarfBuzz's own glyphs for characters start..end of the text, in one
// direction.
std::vector<ShapedGlyph> HarfBuzzRun(const RasterFont& font, std::u16string_view text, unsigned start, int length,
                                     hb_direction_t direction) {
    const std::u32string chars = ToUtf32(text);
    hb_buffer_t* buffer = hb_buffer_create();
    hb_buffer_add_utf32(buffer, reinterpret_cast<const std::uint32_t*>(chars.data()), static_cast<int>(chars.size()),
                        start, length);
    hb_buffer_set_direction(buffer, direction);
    hb_buffer_guess_segment_properties(buffer);
    font.Shape(buffer);
    unsigned count = 0;
    const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);
    std::vector<ShapedGlyph> glyphs;
    for (unsigned i = 0; i < count; ++i)
        glyphs.push_back({&font, infos[i].codepoint, infos[i].cluster, positions[i].x_advance, positions[i].x_offset,
                          positions[i].y_offset});
    hb_buffer_destroy(buffer);
    return glyphs;
}

void ExpectSameGlyphs(const std::vector<ShapedGlyph>& ours, const std::vector<ShapedGlyph>& expected) {
    ASSERT_EQ(ours.size(), expected.size());
    for (std::size_t i = 0; i < ours.size(); ++i) {
        EXPECT_EQ(ours[i].index, expected[i].index) << i;
        EXPECT_EQ(ours[i].cluster, expected[i].cluster) << i;
        EXPECT_EQ(ours[i].advance, expected[i].advance) << i;
        EXPECT_EQ(ours[i].offsetX, expected[i].offsetX) << i;
        EXPECT_EQ(ours[i].offsetY, expected[i].offsetY) << i;
    }
}

template <typename... Runs>
std::vector<ShapedGlyph> Joined(Runs... runs) {
    std::vector<ShapedGlyph> all;
    (all.insert(all.end(), runs.begin(), runs.end()), ...);
    return all;
}

TEST(ShapedText, ArabicCaptionWithANumberIsOrderedAndShapedAsFriBidiAndHarfBuzzSay) {
    const auto font = CaptionFont();
    const std::u16string text = u"سعر 250";
    const std::vector<ShapedGlyph> glyphs = ShapeLine(*font, text);
    EXPECT_EQ(Clusters(glyphs), FriBidiVisualOrder(text)) << "the number reads left to right inside the Arabic";
    // The number is an embedded left-to-right run, drawn left of the words.
    ExpectSameGlyphs(glyphs, Joined(HarfBuzzRun(*font, text, 4, 3, HB_DIRECTION_LTR),
                                    HarfBuzzRun(*font, text, 0, 4, HB_DIRECTION_RTL)));
    const std::vector<ShapedGlyph> alone = ShapeLine(*font, u"س");
    EXPECT_NE(glyphs.back().index, alone.front().index) << "a joined letter takes its initial form";
}

TEST(ShapedText, HebrewCaptionWithALatinWordIsOrderedAndShapedAsFriBidiAndHarfBuzzSay) {
    const auto font = CaptionFont();
    const std::u16string text = u"שלום World";
    const std::vector<ShapedGlyph> glyphs = ShapeLine(*font, text);
    EXPECT_EQ(Clusters(glyphs), FriBidiVisualOrder(text));
    ExpectSameGlyphs(glyphs, Joined(HarfBuzzRun(*font, text, 5, 5, HB_DIRECTION_LTR),
                                    HarfBuzzRun(*font, text, 0, 5, HB_DIRECTION_RTL)));
}

TEST(ShapedText, CharactersTheFontLacksComeFromAFaceOfTheSameSizeAndWeight) {
    const char16_t* const texts[] = {u"日本語", u"中文", u"한국어", u"हिन्दी", u"ภาษาไทย", u"ኢትዮጵያ"};
    for (const bool bold : {false, true}) {
        const auto font = CaptionFont(bold);
        for (const char16_t* text : texts) {
            for (const ShapedGlyph& glyph : ShapeLine(*font, text)) {
                EXPECT_NE(glyph.index, 0u) << "no box in " << ToUtf8(text);
                EXPECT_NE(glyph.font, font.get()) << ToUtf8(text);
                EXPECT_EQ(glyph.font->PixelSize(), font->PixelSize());
                EXPECT_EQ(glyph.font->Source().weight, font->Source().weight);
            }
        }
    }
}

// Whether every character of the text is drawn from a glyph the face has,
// through whichever path draws it.
bool DrawnWithoutBoxes(const RasterFont& font, std::u16string_view text) {
    if (NeedsShaping(font, text)) {
        for (const ShapedGlyph& glyph : ShapeLine(font, text))
            if (glyph.index == 0) return false;
        return true;
    }
    for (const char16_t ch : text)
        if (!font.Covers(ch)) return false;
    return true;
}

TEST(ShapedText, CaptionsInEveryScriptDrawGlyphsNotBoxes) {
    const char16_t* const captions[] = {
        u"日本語 表",
        u"中文标题",
        u"한국어 제목",
        u"Ελληνικά",
        u"Кириллица",
        u"כותרת עברית",
        u"عنوان عربي 42",
        u"शीर्षक हिन्दी",
        u"หัวข้อภาษาไทย",
        u"Zażółć gęślą",
        u"Árvíztűrő tükörfúrógép",
        u"Başlık İğdır",
    };
    const auto font = CaptionFont();
    for (const char16_t* caption : captions) {
        EXPECT_TRUE(DrawnWithoutBoxes(*font, caption)) << ToUtf8(caption);
        int ink = 0;
        const CoveragePlot plot = [&](int, int, const CoverageBlock& block) { ink += block.width * block.height; };
        Rect rect{0, 0, 300, 20};
        LayoutText(*font, caption, -1, &rect, DT_SINGLELINE, &plot, nullptr);
        EXPECT_GT(ink, 0) << ToUtf8(caption);
    }
}

TEST(ShapedText, AnUnpairedSurrogateIsDrawnAsTheReplacementCharacter) {
    const auto font = CaptionFont();
    const std::u16string broken = {u'a', char16_t(0xD800), u'b', char16_t(0xDC00)};
    const std::vector<ShapedGlyph> glyphs = ShapeLine(*font, broken);
    const std::vector<ShapedGlyph> replaced = ShapeLine(*font, u"a\uFFFDb\uFFFD");
    ASSERT_EQ(glyphs.size(), replaced.size());
    for (std::size_t i = 0; i < glyphs.size(); ++i) EXPECT_EQ(glyphs[i].index, replaced[i].index) << i;
}

TEST(ShapedText, OnlyTextBeyondTheCodePageAndItsNeighboursIsShaped) {
    const auto font = CaptionFont();
    const struct {
        const char16_t* text;
        bool shaped;
    } cases[] = {
        {u"Größe € „Preis“ — ±½", false},
        {u"Ελληνικά", false},
        {u"Жук", false},
        {u"Zażółć gęślą jaźń", false},
        {u"Árvíztűrő", false},
        {u"İğüşöç", false},
        {u"日本語 表", true},
        {u"שלום", true},
        {u"a\u0301", true},
        {u"\U0001F600", true},
        {u"مرحبا", true},
    };
    for (const auto& c : cases) EXPECT_EQ(NeedsShaping(*font, c.text), c.shaped) << ToUtf8(c.text);
}

int LinesOf(const RasterFont& font, const std::u16string& text, int width) {
    Rect rect{0, 0, width, 0};
    return LayoutShaped(font, text, &rect, DT_CALCRECT | DT_WORDBREAK, nullptr, nullptr) / font.Metrics().height;
}

TEST(ShapedText, IdeographsBreakBetweenThemselvesAndWordsAtSpaces) {
    const auto font = CaptionFont();
    Rect one{0, 0, 1000, 0};
    LayoutShaped(*font, u"日本語表題", &one, DT_CALCRECT | DT_WORDBREAK, nullptr, nullptr);
    const int fullWidth = one.right;
    EXPECT_EQ(LinesOf(*font, u"日本語表題", fullWidth), 1);
    // Five ideographs of one width: three fit on the first line.
    const int threeWide = fullWidth * 3 / 5 + 1;
    EXPECT_EQ(LinesOf(*font, u"日本語表題", threeWide), 2) << "no space needed between ideographs";
    Rect narrow{0, 0, threeWide, 0};
    LayoutShaped(*font, u"日本語表題", &narrow, DT_CALCRECT | DT_WORDBREAK, nullptr, nullptr);
    EXPECT_LE(narrow.right, threeWide);
    EXPECT_EQ(LinesOf(*font, u"שלום עולם", 20), 2) << "Hebrew words break at the space";
    EXPECT_EQ(LinesOf(*font, u"हिन्दीहिन्दी", 5), 1) << "a word wider than the column stays whole";
}

TEST(ShapedText, TheAccessKeyUnderlineFollowsTheShapedGlyphs) {
    const auto font = CaptionFont();
    // In right-to-left text the marked last letter is drawn leftmost.
    std::vector<std::pair<int, int>> underline;
    const int row = font->Metrics().ascent + 1;
    const CoveragePlot plot = [&](int x, int y, const CoverageBlock& block) {
        if (y == row && block.height == 1 && block.stride == 0) underline.emplace_back(x, x + block.width);
    };
    Rect rect{10, 0, 200, 20};
    LayoutShaped(*font, u"שלו&ם", &rect, DT_LEFT | DT_SINGLELINE, &plot, nullptr);
    ASSERT_EQ(underline.size(), 1u);
    EXPECT_EQ(underline[0].first, 10);
    const std::vector<ShapedGlyph> glyphs = ShapeLine(*font, u"שלום");
    EXPECT_EQ(underline[0].second, 10 + (glyphs.front().advance + 32) / 64 - 1);
}

}  // namespace
}  // namespace lumora::soft
#endif
