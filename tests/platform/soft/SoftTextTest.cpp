// SPDX-License-Identifier: MIT
#include "platform/soft/SoftText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace lumora::soft {
namespace {

constexpr int kDpi = 96;
// The control's default font: 8-point "MS Sans Serif" has a 13-pixel line.
constexpr int kLine = 13;

std::shared_ptr<const RasterFont> Font(const char16_t* name = u"MS Sans Serif", double points = 8, int dpi = kDpi) {
    FontDescription description;
    description.name = name;
    description.size = points;
    return ResolveFont(description, dpi);
}

int Width(const RasterFont& font, std::string_view text) {
    int width = 0;
    for (const char ch : text) width += font.CharWidth(static_cast<unsigned char>(ch));
    return width;
}

// An in-memory surface the text is plotted into; it also keeps every cell
// an opaque background would fill.
struct Grid {
    static constexpr int kSize = 160;
    std::vector<int> coverage = std::vector<int>(kSize * kSize, 0);
    std::vector<Rect> cells;

    int Draw(const RasterFont& font, const char* text, Rect rect, unsigned format) {
        const CoveragePlot plot = [this](int left, int top, const CoverageBlock& block) {
            for (int row = 0; row < block.height; ++row) {
                const std::uint8_t* values = block.coverage + row * block.stride;
                for (int i = 0; i < block.width; ++i) {
                    const int x = left + i, y = top + row;
                    if (values[i] != 0 && x >= 0 && y >= 0 && x < kSize && y < kSize)
                        coverage[y * kSize + x] = values[i];
                }
            }
        };
        const BackgroundFill fill = [this](const Rect& cell) { cells.push_back(cell); };
        return LayoutText(font, text, -1, &rect, format, &plot, &fill);
    }
    int Ink(int left = 0, int top = 0, int right = kSize, int bottom = kSize) const {
        int ink = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) ink += coverage[y * kSize + x] != 0;
        return ink;
    }
    // The first and past-the-last fully covered column of a row, if they
    // form one run; {0, 0} when there is none.
    std::pair<int, int> SolidRun(int y) const {
        std::vector<int> columns;
        for (int x = 0; x < kSize; ++x)
            if (coverage[y * kSize + x] == 255) columns.push_back(x);
        if (columns.empty()) return {0, 0};
        const int end = columns.back() + 1;
        return end - columns.front() == static_cast<int>(columns.size()) ? std::pair{columns.front(), end}
                                                                         : std::pair{-1, -1};
    }
};

int InkOf(const RasterFont& font, const char* text) {
    Grid grid;
    grid.Draw(font, text, {0, 0, Grid::kSize, 20}, DT_SINGLELINE);
    return grid.Ink();
}

int CalcHeight(const RasterFont& font, const char* text, Rect& rect, unsigned format) {
    return LayoutText(font, text, -1, &rect, DT_CALCRECT | format, nullptr, nullptr);
}

TEST(SoftText, LineHeightFollowsPointsAndResolution) {
    for (const auto& [name, dpi, height] : std::vector<std::tuple<const char16_t*, int, int>>{
             {u"MS Sans Serif", 96, 13}, {u"Tahoma", 96, 13}, {u"MS Sans Serif", 120, 15}}) {
        const TextMetrics& metrics = Font(name, 8, dpi)->Metrics();
        EXPECT_EQ(metrics.height, height) << dpi;
        EXPECT_EQ(metrics.ascent + metrics.descent, metrics.height);
    }
    EXPECT_EQ(SystemFont(kDpi)->Metrics().height, 16);
}

TEST(SoftText, UnknownFaceFallsBackToAnInstalledOne) { EXPECT_GT(InkOf(*Font(u"No Such Face Anywhere"), "Spalte"), 0); }

TEST(SoftText, WeightAboveFiveHundredFiftyDrawsBold) {
    const auto inkWith = [](Integer weight) {
        FontDescription description;
        description.weight = weight;
        return InkOf(*ResolveFont(description, kDpi), "Spalte");
    };
    EXPECT_EQ(inkWith(550), inkWith(400));
    EXPECT_GT(inkWith(600), inkWith(400));
}

TEST(SoftText, CalcRectOfOneLineOrNone) {
    const auto font = Font();
    const Rect before{10, 10, 100, 100};
    for (const auto& [text, count, format, result, after] :
         std::vector<std::tuple<const char*, int, unsigned, int, Rect>>{
             {"Spalte", -1, DT_SINGLELINE | DT_CENTER, kLine, {10, 10, 10 + Width(*font, "Spalte"), 23}},
             {"Spalte", 3, 0, kLine, {10, 10, 10 + Width(*font, "Spa"), 23}},
             {"", -1, 0, kLine, {10, 10, 10, 10}},
             {"", -1, DT_SINGLELINE, kLine, {10, 10, 10, 23}},
             {"Spalte", 0, 0, 0, before},
             {nullptr, 5, 0, 0, before}}) {
        Rect rect = before;
        EXPECT_EQ(LayoutText(*font, text, count, &rect, DT_CALCRECT | format, nullptr, nullptr), result);
        EXPECT_EQ(rect, after) << (text ? text : "null") << " " << count;
    }
}

// Left-aligned lines keep the space before the break; centred and
// right-aligned ones drop it. The widest line sets the width.
TEST(SoftText, CalcRectOfWordBrokenCaptionIsWidestLineByTwoLines) {
    const auto font = Font();
    for (const auto& [format, first] : {std::pair{DT_LEFT, "Erste "}, std::pair{DT_CENTER, "Erste"}}) {
        Rect rect{5, 7, 5 + Width(*font, "Erste Zei"), 8};
        EXPECT_EQ(CalcHeight(*font, "Erste Zeile", rect, DT_WORDBREAK | format), 2 * kLine);
        const int widest = std::max(Width(*font, first), Width(*font, "Zeile"));
        EXPECT_EQ(rect, (Rect{5, 7, 5 + widest, 7 + 2 * kLine})) << format;
    }
}

TEST(SoftText, WordsWiderThanTheRectangleStayWhole) {
    const auto font = Font();
    Rect rect{0, 0, 1, 1};
    EXPECT_EQ(CalcHeight(*font, "line1 line2", rect, DT_WORDBREAK), 2 * kLine);
    EXPECT_EQ(rect.right, Width(*font, "line1"));

    Grid grid;
    EXPECT_EQ(grid.Draw(*font, "Fish and Chips", {0, 0, 20, 60}, DT_WORDBREAK | DT_NOCLIP), 3 * kLine);
    for (int line = 0; line < 3; ++line) EXPECT_GT(grid.Ink(0, line * kLine, 60, (line + 1) * kLine), 0) << line;
    EXPECT_EQ(grid.Ink(0, 3 * kLine, 60, 60), 0);
}

TEST(SoftText, LineBreaksSplitLinesUnlessSingleLine) {
    const auto font = Font();
    for (const auto& [text, format, lines] :
         std::vector<std::tuple<const char*, unsigned, int>>{{"a\r\nb", 0, 2},
                                                             {"a\n\rb", 0, 2},
                                                             {"a\n\nb", 0, 3},
                                                             {"a\r\rb", 0, 3},
                                                             {"a\n", 0, 1},
                                                             {"a\r\nb\nc", DT_SINGLELINE, 1},
                                                             {"a b", DT_SINGLELINE | DT_WORDBREAK, 1}}) {
        Rect rect{0, 0, 2, 0};
        EXPECT_EQ(CalcHeight(*font, text, rect, format), lines * kLine) << text;
    }
}

TEST(SoftText, CentredAndRightAlignedLinesStartWhereTheSystemPutsThem) {
    const auto font = Font();
    const int first = Width(*font, "Erste");
    const int second = Width(*font, "Zeile");
    const Rect box{10, 0, 10 + Width(*font, "Erste Zei"), 40};
    Grid centred;
    centred.Draw(*font, "Erste Zeile", box, DT_WORDBREAK | DT_CENTER);
    const int firstLeft = (box.left + box.right - first) / 2;
    const int secondLeft = (box.left + box.right - second) / 2;
    EXPECT_EQ(centred.cells, (std::vector<Rect>{{firstLeft, 0, firstLeft + first, kLine},
                                                {secondLeft, kLine, secondLeft + second, 2 * kLine}}));
    Grid right;
    right.Draw(*font, "Erste", box, DT_RIGHT);
    EXPECT_EQ(right.cells, (std::vector<Rect>{{box.right - first, 0, box.right, kLine}}));
}

// Results recorded on Windows for a face with a 13-pixel line: the centring
// offset rounds toward zero, and the rectangle's top stays.
TEST(SoftText, VerticalCentringMatchesTheSystem) {
    const auto font = Font();
    for (const auto& [top, bottom, result, newBottom] : std::vector<std::tuple<int, int, int, int>>{{0, -2, 6, 6},
                                                                                                    {0, 0, 7, 7},
                                                                                                    {0, 13, 13, 13},
                                                                                                    {0, 15, 14, 14},
                                                                                                    {1, -2, 5, 6},
                                                                                                    {1, 1, 7, 8},
                                                                                                    {1, 15, 13, 14}}) {
        Rect rect{0, top, 0, bottom};
        EXPECT_EQ(CalcHeight(*font, "ABCabc123g", rect, DT_SINGLELINE | DT_VCENTER), result) << top << ".." << bottom;
        EXPECT_EQ(std::pair(rect.top, rect.bottom), std::pair(top, newBottom));
    }
}

TEST(SoftText, BottomAlignmentReturnsOffsetToTextBottom) {
    const auto font = Font();
    Grid grid;
    EXPECT_EQ(grid.Draw(*font, "Spalte", {0, 4, 100, 34}, DT_SINGLELINE | DT_BOTTOM), 30);
    EXPECT_EQ(grid.cells.at(0).top, 34 - kLine);
    Rect empty{};
    EXPECT_EQ(CalcHeight(*font, "Spalte", empty, DT_SINGLELINE | DT_BOTTOM), 1);  // never 0
}

// The access key's underline runs one row below the baseline row, from the
// marked character's left edge to one pixel short of its advance.
TEST(SoftText, PrefixUnderlinesOnlyTheMarkedCharacter) {
    const auto font = Font();
    const int row = 2 + font->Metrics().ascent + 1;
    // The text, the characters drawn left of the marked one, the marked one.
    for (const auto& [text, before, marked] : std::vector<std::tuple<const char*, const char*, char>>{
             {"&Name", "", 'N'}, {"Na&me", "Na", 'm'}, {"&A&B", "A", 'B'}, {"A&&&B", "A&", 'B'}}) {
        Grid grid;
        grid.Draw(*font, text, {3, 2, 150, 30}, DT_SINGLELINE);
        const int left = 3 + Width(*font, before);
        EXPECT_EQ(grid.SolidRun(row), std::pair(left, left + font->CharWidth(marked) - 1)) << text;
    }
    // Word breaking takes the marked character to the next line with its mark.
    Grid grid;
    grid.Draw(*font, "Erste &Zeile", {3, 2, 3 + Width(*font, "Erste Zei"), 40}, DT_WORDBREAK);
    EXPECT_EQ(grid.SolidRun(row), std::pair(0, 0));
    EXPECT_EQ(grid.SolidRun(row + kLine), std::pair(3, 3 + font->CharWidth('Z') - 1));
}

// None of the texts has a descender that could reach the underline's row.
TEST(SoftText, DoubledOrDisabledPrefixDrawsAmpersand) {
    const auto font = Font();
    for (const auto& [text, format, drawn] : std::vector<std::tuple<const char*, unsigned, const char*>>{
             {"Black && White", 0, "Black & White"}, {"&Name", DT_NOPREFIX, "&Name"}, {"AB&", 0, "AB&"}}) {
        Rect rect{0, 0, 150, 30};
        CalcHeight(*font, text, rect, format);
        EXPECT_EQ(rect.right, Width(*font, drawn)) << text;
        Grid grid;
        grid.Draw(*font, text, {0, 0, 150, 30}, format);
        EXPECT_EQ(grid.SolidRun(font->Metrics().ascent + 1), std::pair(0, 0)) << text;
    }
}

TEST(SoftText, OutputIsClippedToTheRectangleUnlessNoClip) {
    const auto font = Font();
    const Rect small{4, 4, 14, 10};
    Grid clipped;
    clipped.Draw(*font, "Spalte", small, DT_SINGLELINE);
    EXPECT_GT(clipped.Ink(), 0);
    EXPECT_EQ(clipped.Ink(), clipped.Ink(small.left, small.top, small.right, small.bottom));
    EXPECT_EQ(clipped.cells, std::vector<Rect>{small});

    Grid unclipped;
    unclipped.Draw(*font, "Spalte", small, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(unclipped.Ink(small.right, 0, Grid::kSize, Grid::kSize), 0);
    EXPECT_GT(unclipped.Ink(0, small.bottom, Grid::kSize, Grid::kSize), 0);

    // A line reaching past the bottom is the last one laid out.
    Grid lines;
    EXPECT_EQ(lines.Draw(*font, "a\nb\nc\nd", {0, 0, 50, 20}, 0), 2 * kLine);
    EXPECT_EQ(lines.Draw(*font, "a\nb\nc\nd", {0, 0, 50, 20}, DT_NOCLIP), 4 * kLine);
}

TEST(SoftText, SecondDrawOfACaptionRasterisesNothing) {
    // A size no other test draws with, so that its glyph images start empty.
    const auto font = Font(u"MS Sans Serif", 9);
    EXPECT_EQ(font, Font(u"MS Sans Serif", 9));
    const std::size_t before = GlyphRasterisations();
    Grid first;
    first.Draw(*font, "Zweite Spalte", {0, 0, 150, 20}, DT_SINGLELINE);
    const std::size_t rendered = GlyphRasterisations();
    EXPECT_EQ(rendered - before, std::string_view("Zweit Spal").size());  // each character once
    Grid second;
    second.Draw(*font, "Zweite Spalte", {0, 0, 150, 20}, DT_SINGLELINE);
    EXPECT_EQ(GlyphRasterisations(), rendered);
    EXPECT_EQ(second.coverage, first.coverage);
}

TEST(SoftText, EightBitCharactersComeFromTheCodePage) {
    const auto font = Font();
    EXPECT_GT(InkOf(*font, "\x80"), 0);  // the euro sign
    EXPECT_GT(font->CharWidth(0x80), 0);
    EXPECT_GT(InkOf(*font, "\xFC"), InkOf(*font, "u"));  // "ü" has its dots
}

TEST(SoftText, UnderlineAndStrikeoutFontsRuleTheWholeText) {
    // Rows, from the baseline row, that a line covers across the whole text.
    const auto ruledRows = [](bool underline, bool strikeout) {
        FontDescription description;
        description.underline = underline;
        description.strikethrough = strikeout;
        const auto font = ResolveFont(description, kDpi);
        Grid grid;
        grid.Draw(*font, "Name", {0, 0, 100, 20}, DT_SINGLELINE);
        std::vector<int> rows;
        for (int y = 0; y < kLine; ++y)
            if (grid.SolidRun(y) == std::pair(0, Width(*font, "Name"))) rows.push_back(y - font->Metrics().ascent);
        return rows;
    };
    EXPECT_EQ(ruledRows(false, false), std::vector<int>{});
    EXPECT_EQ(ruledRows(true, false), std::vector<int>{0});   // right under the letters
    EXPECT_EQ(ruledRows(false, true), std::vector<int>{-3});  // through the lower-case letters
}

}  // namespace
}  // namespace lumora::soft
