// SPDX-License-Identifier: MIT
// The drawing calls one by one: the same scene on our surface and on the
// system's GDI in this process, every pixel compared.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "conformance/ConformanceHarness.h"
#include "lumora/platform/GdiScoped.h"

namespace lumora::conformance {
namespace {

constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kGreen = 0x00FF00;
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kOlive = 0x208060;
// Greys either side of the middle, where mono surfaces split black from white.
constexpr COLORREF kDarkGrey = 0x7F7F7F;
constexpr COLORREF kLightGrey = 0x808080;
// A system colour brush is the colour index plus one.
constexpr std::uintptr_t kBtnFaceBrush = 15 + 1;
constexpr std::uintptr_t kHighlightBrush = 13 + 1;

void Fill(Gdi& gdi, HDC hdc, const Rect& rect, COLORREF color) {
    const ScopedGdiObject<HBRUSH> brush(gdi, gdi.CreateSolidBrush(color));
    gdi.FillRect(hdc, rect, brush.get());
}

void Frame(Gdi& gdi, HDC hdc, const Rect& rect, COLORREF color) {
    const ScopedGdiObject<HBRUSH> brush(gdi, gdi.CreateSolidBrush(color));
    gdi.FrameRect(hdc, rect, brush.get());
}

void Line(Gdi& gdi, HDC hdc, Point from, Point to, COLORREF color) {
    const ScopedGdiObject<HPEN> pen(gdi, gdi.CreatePen(PS_SOLID, 1, color));
    const ScopedSelectObject<HPEN> selected(gdi, hdc, pen.get());
    gdi.MoveToEx(hdc, from.x, from.y, nullptr);
    gdi.LineTo(hdc, to.x, to.y);
}

// Lines from the centre to every point of a ring, so each octant, each
// slope and each tie between two pixels is drawn once.
void Star(Gdi& gdi, HDC hdc, int radius) {
    const Point centre{radius + 1, radius + 1};
    for (int d = -radius; d <= radius; d += 1) {
        const std::array<Point, 4> ends{Point{centre.x + d, centre.y - radius}, Point{centre.x + radius, centre.y + d},
                                        Point{centre.x - d, centre.y + radius}, Point{centre.x - radius, centre.y - d}};
        for (std::size_t i = 0; i < ends.size(); ++i)
            Line(gdi, hdc, centre, ends[i], static_cast<COLORREF>(0x102030 * (d + radius + 1) + 0x40 * i));
    }
}

// A colour bitmap of four quadrants and a diagonal, to blit from.
void PaintSource(Gdi& gdi, HDC hdc, int size) {
    const int half = size / 2;
    Fill(gdi, hdc, Rect{0, 0, half, half}, kRed);
    Fill(gdi, hdc, Rect{half, 0, size, half}, kOlive);
    Fill(gdi, hdc, Rect{0, half, half, size}, kBlack);
    Fill(gdi, hdc, Rect{half, half, size, size}, 0xFFFFFF);
    Line(gdi, hdc, Point{0, 0}, Point{size, size}, kBlue);
}

void PaintSource12(Gdi& gdi, HDC hdc) { PaintSource(gdi, hdc, 12); }

// Runs `draw` with a second memory DC holding a size × size bitmap of the
// given depth, painted by `paint`.
template <typename Paint, typename Draw>
void WithSource(Gdi& gdi, Depth depth, int size, Paint paint, Draw draw) {
    const ScopedWindowDC screen(gdi, HWND{});
    const ScopedMemoryDC source(gdi, screen.get());
    const ScopedGdiObject<HBITMAP> bitmap(gdi, depth == Depth::Mono
                                                   ? gdi.CreateBitmap(size, size, 1, 1, nullptr)
                                                   : gdi.CreateCompatibleBitmap(screen.get(), size, size));
    const ScopedSelectObject<HBITMAP> selected(gdi, source.get(), bitmap.get());
    Fill(gdi, source.get(), Rect{0, 0, size, size}, 0xFFFFFF);
    paint(gdi, source.get());
    draw(source.get());
}

std::vector<Case> FillCases() {
    return {
        {"FillRectCoversLeftAndTopOnly", 16, 16, Depth::Colour,
         [](Gdi& g, HDC dc) {
             Fill(g, dc, Rect{2, 3, 9, 12}, kRed);
         }},
        {"FillRectMirrorsNegativeExtents", 16, 16, Depth::Colour,
         [](Gdi& g, HDC dc) {
             Fill(g, dc, Rect{12, 11, 3, 2}, kGreen);
         }},
        {"FillRectClipsAtTheSurface", 16, 16, Depth::Colour,
         [](Gdi& g, HDC dc) {
             Fill(g, dc, Rect{-5, -5, 40, 6}, kBlue);
         }},
        {"FillRectTakesSystemColourBrushes", 16, 16, Depth::Colour,
         [](Gdi& g, HDC dc) {
             g.FillRect(dc, Rect{1, 1, 8, 8}, HBRUSH{kBtnFaceBrush});
             g.FillRect(dc, Rect{8, 8, 15, 15}, HBRUSH{kHighlightBrush});
         }},
        {"FrameRectPaintsInsideEdges", 16, 16, Depth::Colour,
         [](Gdi& g, HDC dc) {
             Frame(g, dc, Rect{1, 1, 12, 9}, kRed);
             Frame(g, dc, Rect{3, 10, 4, 11}, kBlue);
             Frame(g, dc, Rect{5, 10, 8, 12}, kGreen);
         }},
        {"FrameRectOfEmptyRectanglesPaintsNothing", 16, 16, Depth::Colour,
         [](Gdi& g, HDC dc) {
             Frame(g, dc, Rect{4, 4, 4, 10}, kRed);
             Frame(g, dc, Rect{9, 4, 2, 10}, kBlue);
         }},
        {"MonochromeFillsTakeTheNearestOfBlackAndWhite", 16, 8, Depth::Mono,
         [](Gdi& g, HDC dc) {
             Fill(g, dc, Rect{0, 0, 4, 8}, kDarkGrey);
             Fill(g, dc, Rect{4, 0, 8, 8}, kLightGrey);
             Fill(g, dc, Rect{8, 0, 12, 8}, kRed);
             Fill(g, dc, Rect{12, 0, 16, 8}, kBlack);
         }},
    };
}

std::vector<Case> LineCases() {
    return {
        {"LinesStopBeforeTheirEndPoint", 16, 16, Depth::Colour,
         [](Gdi& g, HDC dc) {
             Line(g, dc, {1, 1}, {14, 1}, kRed);
             Line(g, dc, {14, 3}, {1, 3}, kGreen);
             Line(g, dc, {2, 5}, {2, 15}, kBlue);
             Line(g, dc, {4, 15}, {4, 5}, kOlive);
         }},
        {"EveryOctantBreaksTiesAsTheSystemDoes", 23, 23, Depth::Colour, [](Gdi& g, HDC dc) { Star(g, dc, 10); }},
        {"ClippingNeverShiftsThePixelsOfALine", 16, 16, Depth::Colour,
         [](Gdi& g, HDC dc) {
             Line(g, dc, {-20, -7}, {30, 21}, kRed);
             Line(g, dc, {25, -3}, {-9, 18}, kBlue);
         }},
        {"LinesContinueFromTheCurrentPosition", 16, 16, Depth::Colour,
         [](Gdi& g, HDC dc) {
             const ScopedGdiObject<HPEN> pen(g, g.CreatePen(PS_SOLID, 1, kRed));
             const ScopedSelectObject<HPEN> selected(g, dc, pen.get());
             g.MoveToEx(dc, 2, 2, nullptr);
             g.LineTo(dc, 13, 5);
             g.LineTo(dc, 6, 14);
             g.LineTo(dc, 2, 2);
         }},
        {"MonochromePenColoursFollowTheBackgroundColour", 16, 8, Depth::Mono,
         [](Gdi& g, HDC dc) {
             g.SetBkColor(dc, kRed);
             Line(g, dc, {0, 1}, {16, 1}, kRed);
             Line(g, dc, {0, 3}, {16, 3}, kGreen);
             g.SetBkColor(dc, kBlack);
             Line(g, dc, {0, 5}, {16, 5}, kGreen);
             Line(g, dc, {0, 7}, {16, 7}, 0xFFFFFF);
         }},
    };
}

std::vector<Case> PixelCases() {
    return {
        {"SetPixelPutsTheColour", 8, 4, Depth::Colour,
         [](Gdi& g, HDC dc) {
             const std::array<COLORREF, 6> colors{kRed, kGreen, kBlue, kOlive, 0x123456, kBlack};
             for (int i = 0; i < 6; ++i) g.SetPixelV(dc, i, i % 4, colors[static_cast<std::size_t>(i)]);
             g.SetPixelV(dc, -1, 0, kRed);
             g.SetPixelV(dc, 8, 0, kRed);
         }},
        {"SetPixelOnMonochromeTakesTheNearest", 8, 2, Depth::Mono,
         [](Gdi& g, HDC dc) {
             const std::array<COLORREF, 8> colors{kDarkGrey, kLightGrey, kRed, kGreen, kBlue, kOlive, 0xFFFFFF, kBlack};
             for (int i = 0; i < 8; ++i) g.SetPixelV(dc, i, 0, colors[static_cast<std::size_t>(i)]);
         }},
    };
}

// Every raster operation by name, from a colour source over a striped
// destination with a selected brush, so each of the three inputs shows.
std::vector<Case> RopCases() {
    struct Rop {
        const char* name;
        std::uint32_t code;
    };
    const std::array<Rop, 16> rops{
        Rop{"SRCCOPY", SRCCOPY},         Rop{"SRCPAINT", SRCPAINT},
        Rop{"SRCAND", SRCAND},           Rop{"SRCINVERT", SRCINVERT},
        Rop{"SRCERASE", SRCERASE},       Rop{"NOTSRCCOPY", NOTSRCCOPY},
        Rop{"NOTSRCERASE", NOTSRCERASE}, Rop{"MERGECOPY", MERGECOPY},
        Rop{"MERGEPAINT", MERGEPAINT},   Rop{"PATCOPY", PATCOPY},
        Rop{"PATPAINT", PATPAINT},       Rop{"PATINVERT", PATINVERT},
        Rop{"DSTINVERT", DSTINVERT},     Rop{"BLACKNESS", BLACKNESS},
        Rop{"WHITENESS", WHITENESS},     Rop{"DSna", DSna},
    };
    std::vector<Case> cases;
    for (const Rop& rop : rops) {
        const std::uint32_t code = rop.code;
        cases.push_back({std::string("BitBlt") + rop.name, 16, 16, Depth::Colour, [code](Gdi& g, HDC dc) {
                             for (int x = 0; x < 16; x += 4) Fill(g, dc, Rect{x, 0, x + 2, 16}, 0x3366CC);
                             const ScopedGdiObject<HBRUSH> brush(g, g.CreateSolidBrush(0x55AA33));
                             const ScopedSelectObject<HBRUSH> selected(g, dc, brush.get());
                             WithSource(g, Depth::Colour, 12, PaintSource12,
                                        [&](HDC source) { g.BitBlt(dc, 2, 2, 12, 12, source, 0, 0, code); });
                         }});
    }
    return cases;
}

std::vector<Case> MonochromeCases() {
    return {
        {"ColourToMonochromeUsesTheSourceBackground", 12, 12, Depth::Mono,
         [](Gdi& g, HDC dc) {
             WithSource(g, Depth::Colour, 12, PaintSource12, [&](HDC source) {
                 g.SetBkColor(source, kOlive);
                 g.BitBlt(dc, 0, 0, 12, 12, source, 0, 0, SRCCOPY);
             });
         }},
        {"ColourToMonochromeOfTheMaskColour", 12, 12, Depth::Mono,
         [](Gdi& g, HDC dc) {
             WithSource(g, Depth::Colour, 12, PaintSource12, [&](HDC source) {
                 g.SetBkColor(source, kRed);
                 g.SetTextColor(source, 0xFFFFFF);
                 g.BitBlt(dc, 0, 0, 12, 12, source, 0, 0, SRCCOPY);
             });
         }},
        {"MonochromeToColourUsesTheDestinationColours", 12, 12, Depth::Colour,
         [](Gdi& g, HDC dc) {
             const auto paint = [](Gdi& gg, HDC source) {
                 Fill(gg, source, Rect{0, 0, 6, 12}, kBlack);
                 Line(gg, source, Point{0, 11}, Point{12, 0}, kBlack);
             };
             WithSource(g, Depth::Mono, 12, paint, [&](HDC source) {
                 g.SetTextColor(dc, kRed);
                 g.SetBkColor(dc, kBlue);
                 g.BitBlt(dc, 0, 0, 12, 12, source, 0, 0, SRCCOPY);
             });
         }},
        {"MonochromeToColourThroughRops", 12, 12, Depth::Colour,
         [](Gdi& g, HDC dc) {
             Fill(g, dc, Rect{0, 0, 12, 6}, kOlive);
             const auto paint = [](Gdi& gg, HDC source) { Fill(gg, source, Rect{3, 0, 9, 12}, kBlack); };
             WithSource(g, Depth::Mono, 12, paint, [&](HDC source) {
                 g.SetTextColor(dc, kBlack);
                 g.SetBkColor(dc, 0xFFFFFF);
                 g.BitBlt(dc, 0, 0, 12, 12, source, 0, 0, SRCAND);
                 g.BitBlt(dc, 0, 0, 6, 6, source, 0, 0, DSna);
                 g.BitBlt(dc, 6, 6, 6, 6, source, 0, 0, SRCPAINT);
             });
         }},
    };
}

std::vector<Case> PaletteCases() {
    return {
        {"HalftonePaletteSelectedLeavesPixelsAlone", 16, 16, Depth::Colour,
         [](Gdi& g, HDC dc) {
             const ScopedWindowDC screen(g, HWND{});
             const ScopedGdiObject<HPALETTE> palette(g, g.CreateHalftonePalette(screen.get()));
             const HPALETTE old = g.SelectPalette(dc, palette.get(), false);
             g.RealizePalette(dc);
             Fill(g, dc, Rect{0, 0, 8, 8}, 0x123456);
             Line(g, dc, Point{0, 12}, Point{16, 12}, 0x654321);
             g.SetPixelV(dc, 10, 2, 0xABCDEF);
             g.SelectPalette(dc, old, false);
         }},
        {"PaletteIndexColoursComeFromTheSelectedPalette", 16, 4, Depth::Colour,
         [](Gdi& g, HDC dc) {
             const ScopedWindowDC screen(g, HWND{});
             const ScopedGdiObject<HPALETTE> palette(g, g.CreateHalftonePalette(screen.get()));
             const HPALETTE old = g.SelectPalette(dc, palette.get(), false);
             g.RealizePalette(dc);
             for (int i = 0; i < 16; ++i) Fill(g, dc, Rect{i, 0, i + 1, 4}, 0x01000000 | (i * 13));
             g.SelectPalette(dc, old, false);
         }},
    };
}

std::vector<Case> AllRasterCases() {
    std::vector<Case> all;
    for (auto part : {FillCases(), LineCases(), PixelCases(), RopCases(), MonochromeCases(), PaletteCases()})
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

class RasterConformance : public ::testing::TestWithParam<Case> {};

TEST_P(RasterConformance, SamePixelsAsTheSystem) { CheckCase(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Calls, RasterConformance, ::testing::ValuesIn(AllRasterCases()), CaseName);

// OleTranslateColor: plain colours, palette flags and every system colour
// index, with the result the system gives.
TEST(ColourConformance, OleTranslateColorAgreesOnEveryKindOfColour) {
    std::vector<OLE_COLOR> colors{0x000000,   0x123456,   0xFFFFFF,   0x01000005, 0x02123456,
                                  0x03000000, 0x80000019, 0x8000FFFF, 0xFF000000};
    for (OLE_COLOR index = 0; index <= 30; ++index) colors.push_back(0x80000000 | index);
    for (const OLE_COLOR color : colors) {
        COLORREF ours = 0xDEADBEEF;
        COLORREF theirs = 0xDEADBEEF;
        const long ourResult = SoftBackend().OleTranslateColor(color, HPALETTE{}, &ours);
        const long theirResult = SystemBackend().OleTranslateColor(color, HPALETTE{}, &theirs);
        SCOPED_TRACE(::testing::Message() << "OLE_COLOR 0x" << std::hex << color);
        EXPECT_EQ(ourResult, theirResult);
        // System colours compare because the system has the standard scheme
        // for the whole program (SystemSetup.cpp).
        if (ourResult == S_OK) {
            EXPECT_EQ(ours, theirs);
        }
    }
}

}  // namespace
}  // namespace lumora::conformance
