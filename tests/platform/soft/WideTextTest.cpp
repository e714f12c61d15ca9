// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/soft/SoftText.h"
#include "runtime/CodePage.h"

namespace lumora::soft {
namespace {

constexpr int kDpi = 96;

std::shared_ptr<const RasterFont> CaptionFont() {
    FontDescription description;
    description.name = u"MS Sans Serif";
    description.size = 8;
    return ResolveFont(description, kDpi);
}

// What one text call put down: every plotted block's coverage, the
// rectangle it reported and its return value.
struct Drawn {
    static constexpr int kSize = 200;
    std::vector<int> coverage = std::vector<int>(kSize * kSize, 0);
    Rect rect;
    int height = 0;

    CoveragePlot Plot() {
        return [this](int left, int top, const CoverageBlock& block) {
            for (int row = 0; row < block.height; ++row)
                for (int i = 0; i < block.width; ++i) {
                    const int x = left + i, y = top + row;
                    if (x >= 0 && y >= 0 && x < kSize && y < kSize)
                        coverage[y * kSize + x] = block.coverage[row * block.stride + i];
                }
        };
    }
    bool operator==(const Drawn&) const = default;
};

Drawn DrawAnsi(const RasterFont& font, const std::string& text, Rect rect, unsigned format) {
    Drawn drawn;
    const CoveragePlot plot = drawn.Plot();
    drawn.height = LayoutText(font, text.c_str(), -1, &rect, format, &plot, nullptr);
    drawn.rect = rect;
    return drawn;
}

Drawn DrawWide(const RasterFont& font, const String& text, Rect rect, unsigned format) {
    Drawn drawn;
    const CoveragePlot plot = drawn.Plot();
    drawn.height = LayoutText(font, text.c_str(), static_cast<int>(text.size()), &rect, format, &plot, nullptr);
    drawn.rect = rect;
    return drawn;
}

// Text inside the 8-bit code page looks, measures and breaks the same
// whichever call draws it.
TEST(WideText, CodePageTextIsDrawnAsTheEightBitCallDrawsIt) {
    struct Case {
        const char16_t* text;
        Rect rect;
        unsigned format;
    };
    const Case cases[] = {
        {u"Spalte", {0, 0, 60, 25}, DT_CENTER | DT_VCENTER | DT_WORDBREAK},
        {u"&Name", {2, 2, 80, 25}, DT_CENTER | DT_WORDBREAK},
        {u"Größe € „Preis“ — ±½", {0, 0, 70, 60}, DT_CENTER | DT_WORDBREAK},
        {u"A very long caption wrapped in a narrow column", {0, 0, 50, 120}, DT_CALCRECT | DT_WORDBREAK},
        {u"Tom && Jerry&", {0, 0, 200, 20}, DT_SINGLELINE | DT_RIGHT},
        {u"two\r\nlines\n\rthree", {5, 5, 100, 90}, DT_LEFT},
        {u"Clipped caption text", {0, 0, 30, 8}, DT_CENTER | DT_WORDBREAK},
    };
    const auto font = CaptionFont();
    for (const Case& c : cases) {
        const String text = c.text;
        EXPECT_EQ(DrawWide(*font, text, c.rect, c.format), DrawAnsi(*font, ToAnsi(text), c.rect, c.format))
            << ToUtf8(text);
    }
}

TEST(WideText, CountLimitsTheTextAndMinusOneEndsAtTheFirstNul) {
    const auto font = CaptionFont();
    const String text = u"Column";
    Rect wholeRect{0, 0, 100, 20}, partRect = wholeRect;
    LayoutText(*font, text.c_str(), -1, &wholeRect, DT_CALCRECT | DT_SINGLELINE, nullptr, nullptr);
    LayoutText(*font, text.c_str(), 3, &partRect, DT_CALCRECT | DT_SINGLELINE, nullptr, nullptr);
    Rect ansiPart{0, 0, 100, 20};
    LayoutText(*font, "Col", -1, &ansiPart, DT_CALCRECT | DT_SINGLELINE, nullptr, nullptr);
    EXPECT_EQ(partRect, ansiPart);
    EXPECT_GT(wholeRect.right, partRect.right);
}

}  // namespace
}  // namespace lumora::soft
