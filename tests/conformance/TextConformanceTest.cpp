// SPDX-License-Identifier: MIT
// Text on our surface and on the system's GDI, both drawing with the same
// face files: DrawText must measure the same extents and break the same
// lines. The glyph images are each rasteriser's own and are not compared.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "conformance/ConformanceHarness.h"
#include "lumora/platform/GdiScoped.h"

namespace lumora::conformance {
namespace {

// The face both backends draw with, from the same files.
constexpr char16_t kFace[] = u"DejaVu Sans";

// Widths the captions are measured in: a narrow column, the control's
// default column, and a wide one.
constexpr Long kNarrow = 40;
constexpr Long kDefault = 60;
constexpr Long kWide = 100;

struct TextCase {
    std::string name;
    std::string text;  // Windows-1252
    double points = 8;
    bool bold = false;
    Long width = kDefault;
    unsigned format = 0;
};

void PrintTo(const TextCase& measured, std::ostream* out) { *out << measured.name; }

// What DrawText tells of a text: the rectangle DT_CALCRECT makes, the height
// it returns, and, for word-broken text, how many lines the text up to the
// end of each word takes. The last list is where the lines break.
struct Measures {
    Rect rect;
    int height = 0;
    std::vector<int> linesAtWordEnds;

    friend bool operator==(const Measures&, const Measures&) = default;
};

void PrintTo(const Measures& measures, std::ostream* out) {
    const Rect& r = measures.rect;
    *out << "{rect (" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << "), height "
         << measures.height << ", lines at word ends [";
    for (std::size_t i = 0; i < measures.linesAtWordEnds.size(); ++i)
        *out << (i ? " " : "") << measures.linesAtWordEnds[i];
    *out << "]}";
}

int Calculate(Gdi& gdi, HDC dc, const TextCase& measured, int count, Rect* rect) {
    *rect = Rect{0, 0, measured.width, 0};
    return gdi.DrawTextA(dc, measured.text.c_str(), count, rect, measured.format | DT_CALCRECT);
}

Measures MeasureOn(Gdi& gdi, const TextCase& measured) {
    const ScopedWindowDC screen(gdi, HWND{});
    const ScopedMemoryDC dc(gdi, screen.get());
    FontDescription font;
    font.name = kFace;
    font.size = measured.points;
    font.bold = measured.bold;
    font.weight = measured.bold ? 700 : 400;
    const ScopedGdiObject<HFONT> made(gdi, gdi.CreateFontIndirect(font));
    EXPECT_TRUE(made) << "no font";
    const ScopedSelectObject<HFONT> selected(gdi, dc.get(), made.get());

    Measures measures;
    measures.height = Calculate(gdi, dc.get(), measured, -1, &measures.rect);
    if ((measured.format & DT_WORDBREAK) == 0) return measures;
    Rect line;
    const int lineHeight = gdi.DrawTextA(dc.get(), "X", 1, &line, DT_CALCRECT | DT_SINGLELINE);
    const std::string& text = measured.text;
    for (std::size_t end = 1; end <= text.size(); ++end) {
        if (end < text.size() && !(text[end] == ' ' && text[end - 1] != ' ')) continue;
        Rect prefix;
        const int height = Calculate(gdi, dc.get(), measured, static_cast<int>(end), &prefix);
        measures.linesAtWordEnds.push_back(lineHeight > 0 ? height / lineHeight : -1);
    }
    return measures;
}

std::vector<TextCase> TextCases() {
    constexpr unsigned kCaption = DT_CENTER | DT_VCENTER | DT_WORDBREAK;
    const std::string sentence = "The quick brown fox jumps over the lazy dog";
    const std::string german = "Sortieren nach Datum der letzten Bestellung";
    return {
        {"OneWord", "Spalte", 8, false, kDefault, DT_SINGLELINE},
        {"AccessKey", "&Name", 8, false, kDefault, DT_SINGLELINE},
        {"AccessKeyOff", "&Name", 8, false, kDefault, DT_SINGLELINE | DT_NOPREFIX},
        {"DoubledAmpersand", "Fish && &Chips", 8, false, kDefault, DT_SINGLELINE},
        {"Umlauts",
         "Gr\xF6\xDF"
         "e \xC4nderung",
         8, false, kDefault, DT_SINGLELINE},
        {"NarrowLetters", "iiiiiiiiiill", 8, false, kDefault, DT_SINGLELINE},
        {"WideLetters", "WWWWMMMM", 10, false, kDefault, DT_SINGLELINE},
        {"Bold", "Bestellnummer", 8, true, kDefault, DT_SINGLELINE},
        {"CaptionFits", "Name", 8, false, kDefault, kCaption},
        {"CaptionBreaksOnce", "Fish && &Chips", 8, false, kNarrow, kCaption},
        {"SentenceNarrow", sentence, 8, false, kNarrow, kCaption},
        {"SentenceDefault", sentence, 8, false, kDefault, kCaption},
        {"SentenceWide", sentence, 8, false, kWide, kCaption},
        {"SentenceLarger", sentence, 12, false, kWide, kCaption},
        {"SentenceBold", sentence, 8, true, kWide, kCaption},
        {"GermanNarrow", german, 8, false, kNarrow, kCaption},
        {"GermanWide", german, 10, false, kWide, kCaption},
        {"WordLongerThanColumn", "Kundennummernverwaltung", 8, false, kNarrow, kCaption},
        {"ManySpaces", "a  b   c    d", 8, false, 10, DT_LEFT | DT_WORDBREAK},
        {"LeftAligned", "links ausgerichtet und umbrochen", 8, false, kDefault, DT_LEFT | DT_WORDBREAK},
        {"RightAligned", "rechts ausgerichtet und umbrochen", 8, false, kDefault, DT_RIGHT | DT_WORDBREAK},
        {"LineFeed", "erste\nzweite", 8, false, kDefault, DT_LEFT},
    };
}

class TextConformance : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextConformance, SameExtentsAndLineBreaksAsTheSystem) {
    const TextCase& measured = GetParam();
    const Measures system = MeasureOn(SystemBackend(), measured);
    EXPECT_GT(system.height, 0) << "the system measured nothing";
    EXPECT_EQ(MeasureOn(SoftBackend(), measured), system);
}

INSTANTIATE_TEST_SUITE_P(Captions, TextConformance, ::testing::ValuesIn(TextCases()),
                         [](const ::testing::TestParamInfo<TextCase>& info) { return info.param.name; });

}  // namespace
}  // namespace lumora::conformance
