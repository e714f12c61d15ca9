// SPDX-License-Identifier: MIT
//
// Wide text is drawn from runs laid out once. A run must put down the pixels
// the glyphs put down one by one: the 8-bit call, which lays out every time,
// is the yardstick.
#include <gtest/gtest.h>

#include <string>

#include "lumora/platform/soft/SoftGdi.h"

namespace lumora::soft {
namespace {

struct TextCanvas {
    SoftGdi& gdi;
    HDC dc;
    HBITMAP bitmap;
    HBITMAP stock;
    HFONT font;
    HFONT stockFont;

    TextCanvas(SoftGdi& g, const FontDescription& description)
        : gdi(g),
          dc(g.CreateCompatibleDC(HDC{})),
          bitmap(g.CreateBitmap(120, 40, 1, 32, nullptr)),
          stock(g.SelectObject(dc, bitmap)),
          font(g.CreateFontIndirect(description)),
          stockFont(g.SelectObject(dc, font)) {
        gdi.SetBkMode(dc, TRANSPARENT);
        PaintBackground();
    }
    // Two tones, so that a blend over the wrong pixel shows.
    void PaintBackground() {
        for (int y = 0; y < 40; ++y) {
            const HBRUSH brush = gdi.CreateSolidBrush(RGB(255 - y * 3, 250, 200 + y));
            gdi.FillRect(dc, Rect{0, y, 120, y + 1}, brush);
            gdi.DeleteObject(brush);
        }
    }
    ~TextCanvas() {
        gdi.SelectObject(dc, stockFont);
        gdi.DeleteObject(font);
        gdi.SelectObject(dc, stock);
        gdi.DeleteObject(bitmap);
        gdi.DeleteDC(dc);
    }
    const std::vector<std::uint32_t>& Pixels() const { return gdi.SurfaceOf(dc)->pixels; }
};

// Italic and bold letters that lean into each other, an underline, an
// access key and a line break, in two colours: laid out, then drawn from
// the run over the same background (its pixels copied) and over the text
// just drawn (blended again).
TEST(TextRunCacheTest, RunsDrawWhatALayoutDrawsWhereverGlyphsOverlap) {
    SoftGdi gdi;
    FontDescription italic;
    italic.name = u"DejaVu Sans";
    italic.size = 14;
    italic.italic = true;
    italic.bold = true;
    italic.weight = 700;
    FontDescription underlined = italic;
    underlined.underline = true;
    for (const FontDescription& description : {italic, underlined}) {
        for (const std::string text : {"ffffjjj", "W&AVy/fT", "Wolf\r\nfjord"}) {
            TextCanvas wide(gdi, description), ansi(gdi, description);
            const std::u16string caption(text.begin(), text.end());
            for (const COLORREF color : {RGB(0, 0, 200), RGB(90, 10, 0)}) {
                for (const bool fresh : {true, true, false}) {
                    if (fresh) {
                        wide.PaintBackground();
                        ansi.PaintBackground();
                    }
                    Rect box{3, 2, 110, 38}, same = box;
                    gdi.SetTextColor(wide.dc, color);
                    gdi.SetTextColor(ansi.dc, color);
                    EXPECT_EQ(gdi.DrawTextW(wide.dc, caption.c_str(), -1, &box, DT_CENTER | DT_WORDBREAK),
                              gdi.DrawTextA(ansi.dc, text.c_str(), -1, &same, DT_CENTER | DT_WORDBREAK));
                    ASSERT_EQ(wide.Pixels(), ansi.Pixels()) << text << (fresh ? " on the background" : " twice");
                }
            }
        }
    }
}

// A giant font's caption covers millions of pixels, most of them off the
// surface: it is not kept as a run but laid out each time, and must still
// put down what the 8-bit call puts down, the first time and again.
TEST(TextRunCacheTest, TextTooLargeToKeepDrawsWhatALayoutDraws) {
    SoftGdi gdi;
    FontDescription giant;
    giant.name = u"DejaVu Sans";
    giant.size = 1500;
    TextCanvas wide(gdi, giant), ansi(gdi, giant);
    const std::vector<std::uint32_t> background = wide.Pixels();
    for (const COLORREF color : {RGB(0, 0, 200), RGB(0, 0, 200), RGB(90, 10, 0)}) {
        Rect box{-900, -1200, 3000, 1240}, same = box;
        gdi.SetTextColor(wide.dc, color);
        gdi.SetTextColor(ansi.dc, color);
        EXPECT_EQ(gdi.DrawTextW(wide.dc, u"Wolf", -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE),
                  gdi.DrawTextA(ansi.dc, "Wolf", -1, &same, DT_CENTER | DT_VCENTER | DT_SINGLELINE));
        ASSERT_EQ(wide.Pixels(), ansi.Pixels());
    }
    EXPECT_NE(wide.Pixels(), background) << "the letters' ink reaches the surface";
}

}  // namespace
}  // namespace lumora::soft
