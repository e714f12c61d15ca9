// SPDX-License-Identifier: MIT
// What the control paints with: gradients, transparent pictures and the
// strip's own drawing sequence, on our surface and on the system's GDI.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "conformance/ConformanceHarness.h"
#include "platform/GdiScoped.h"
#include "platform/Picture.h"
#include "render/ColumnLooks.h"
#include "render/StripPainter.h"
#include "render/cImageManipulation.h"
#include "render/mXPWells.h"

namespace lumora::conformance {
namespace {

// The strip's colours as a newly placed control has them.
constexpr COLORREF kFrameColor = RGB(105, 105, 105);
constexpr OLE_COLOR kBackColorForm = RGB(255, 255, 255);
constexpr OLE_COLOR kMaskColor = RGB(255, 0, 255);
// Where columns start and how far apart they sit, as the paint pass lays them out.
constexpr Long kFirstColumnLeft = 2;
constexpr Long kColumnGap = 2;
constexpr Long kColumnTop = 2;
constexpr Long kCaptionFormat = DT_CENTER | DT_VCENTER | DT_WORDBREAK;
// A picture 16 pixels square at 96 dpi, in HIMETRIC.
constexpr Long kPictureHimetric = 423;

// The state the strip shows, as the control keeps it.
struct StripState {
    int width = 260;
    Long headerHeight = 25;
    std::vector<Long> widths{60, 80, 50};
    Long selected = 0;
    Long hot = 0;
    Long sorted = 0;
    Integer rowSort = kTrue;
    bool frame = true;
};

// The paint pass's drawing calls in its order, captions empty: background,
// right area, frame, separators, looks, then each caption measured and
// drawn.
void PaintStrip(Gdi& gdi, HDC hdc, const StripState& state) {
    const Rect client{0, 0, state.width, state.headerHeight};
    const auto count = static_cast<Long>(state.widths.size());
    Long total = 0;
    for (Long width : state.widths) total += width;
    StripPainter::PaintBackground(gdi, hdc, client, ColumnLooks::HalfHeight(state.headerHeight));
    StripPainter::PaintRightArea(gdi, hdc, client, total + 2 * count + kFirstColumnLeft, kBackColorForm);
    if (state.frame) StripPainter::PaintFrameTop(gdi, hdc, client, kFrameColor);
    StripPainter::PaintBottomLine(gdi, hdc, client);
    if (state.frame) StripPainter::PaintFrameSides(gdi, hdc, client, kFrameColor);

    std::vector<Rect> columns;
    Long x = kFirstColumnLeft;
    for (Long width : state.widths) {
        columns.push_back(Rect{x, kColumnTop, x + width, state.headerHeight});
        StripPainter::PaintSeparator(gdi, hdc, columns.back());
        x += kColumnGap + width;
    }
    const auto column = [&](Long index) { return columns[static_cast<std::size_t>(index - 1)]; };
    if (state.selected >= 1 && state.selected <= count)
        ColumnLooks::PaintPressedLook(gdi, hdc, column(state.selected), state.headerHeight);
    if (state.hot >= 1 && state.hot <= count && state.hot != state.selected)
        ColumnLooks::PaintHotLook(gdi, hdc, column(state.hot), state.headerHeight, state.frame ? kTrue : kFalse,
                                  kFrameColor);
    if (state.sorted >= 1 && state.sorted <= count)
        ColumnLooks::PaintSortPicture(gdi, hdc, column(state.sorted), state.widths[state.sorted - 1], state.rowSort);
    for (Rect text : columns) {
        mXPWells::MeasureCaption(gdi, hdc, u"", 0, text);
        mXPWells::DrawCaption(gdi, hdc, u"", 0, text, kCaptionFormat);
    }
}

Case StripCase(std::string name, StripState state) {
    return {std::move(name), state.width, static_cast<int>(state.headerHeight), Depth::Colour,
            [state](Gdi& gdi, HDC hdc) { PaintStrip(gdi, hdc, state); }};
}

std::vector<Case> StripCases() {
    StripState plain;
    StripState noFrame;
    noFrame.frame = false;
    StripState pressed;
    pressed.selected = 2;
    StripState hot;
    hot.hot = 1;
    StripState hotNoFrame = hot;
    hotNoFrame.frame = false;
    StripState sortedUp;
    sortedUp.sorted = 3;
    StripState sortedDown = sortedUp;
    sortedDown.rowSort = kFalse;
    StripState everything;
    everything.selected = 1;
    everything.hot = 2;
    everything.sorted = 3;
    StripState tall = everything;
    tall.headerHeight = 40;
    StripState narrow = everything;
    narrow.widths = {3, 1, 9};
    narrow.width = 30;
    return {
        StripCase("StripPlain", plain),
        StripCase("StripWithoutFrame", noFrame),
        StripCase("StripPressed", pressed),
        StripCase("StripHot", hot),
        StripCase("StripHotWithoutFrame", hotNoFrame),
        StripCase("StripSortedAscending", sortedUp),
        StripCase("StripSortedDescending", sortedDown),
        StripCase("StripPressedHotAndSorted", everything),
        StripCase("StripTall", tall),
        StripCase("StripNarrowColumns", narrow),
    };
}

Case GradientCase(std::string name, int width, int height, OLE_COLOR far, OLE_COLOR near, Long size, Long horizontal) {
    return {std::move(name), width, height, Depth::Colour, [=](Gdi& gdi, HDC hdc) {
                Rect rect{1, 1, width - 1, height - 1};
                mXPWells::DrawGradient(gdi, hdc, far, near, rect, size, horizontal);
            }};
}

std::vector<Case> GradientCases() {
    return {
        GradientCase("GradientHorizontal", 40, 8, RGB(255, 255, 255), RGB(232, 144, 40), 38, 1),
        GradientCase("GradientVertical", 8, 40, RGB(10, 20, 30), RGB(250, 200, 150), 38, 0),
        GradientCase("GradientWiderThanItsBands", 600, 4, RGB(0, 0, 0), RGB(255, 255, 255), 598, 1),
        GradientCase("GradientOfOneColour", 20, 6, RGB(1, 2, 3), RGB(1, 2, 3), 18, 1),
    };
}

// A bitmap picture the backend made, 16 pixels square: a frame and a cross
// on the mask colour.
class BitmapPicture final : public IPicture {
public:
    explicit BitmapPicture(HBITMAP bitmap) : bitmap_(bitmap) {}
    std::uintptr_t get_Handle() const override { return bitmap_.value; }
    std::uintptr_t get_hPal() const override { return 0; }
    PictureType get_Type() const override { return PictureType::Bitmap; }
    Long get_Width() const override { return kPictureHimetric; }
    Long get_Height() const override { return kPictureHimetric; }

private:
    HBITMAP bitmap_;
};

void PaintPictureBits(Gdi& gdi, HDC hdc) {
    const ScopedGdiObject<HBRUSH> mask(gdi, gdi.CreateSolidBrush(kMaskColor));
    gdi.FillRect(hdc, Rect{0, 0, 16, 16}, mask.get());
    const ScopedGdiObject<HBRUSH> frame(gdi, gdi.CreateSolidBrush(RGB(0, 0, 128)));
    gdi.FrameRect(hdc, Rect{1, 1, 15, 15}, frame.get());
    mXPWells::DrawLine(gdi, hdc, 3, 3, 13, 13, RGB(200, 30, 30), 1);
    mXPWells::DrawLine(gdi, hdc, 12, 3, 2, 13, RGB(30, 160, 30), 1);
}

void PaintTransparent(Gdi& gdi, HDC hdc, Long x, Long y, Long width, Long height) {
    const StripState state;
    PaintStrip(gdi, hdc, state);
    const ScopedWindowDC screen(gdi, HWND{});
    const ScopedGdiObject<HBITMAP> bitmap(gdi, gdi.CreateCompatibleBitmap(screen.get(), 16, 16));
    {
        const ScopedMemoryDC dc(gdi, screen.get());
        const ScopedSelectObject<HBITMAP> selected(gdi, dc.get(), bitmap.get());
        PaintPictureBits(gdi, dc.get());
    }
    const PicturePtr picture = std::make_shared<BitmapPicture>(bitmap.get());
    cImageManipulation pictures(gdi);
    pictures.PaintTransparentPicture(hdc, picture, x, y, width, height, 0, 0, kMaskColor, HPALETTE{});
}

std::vector<Case> PictureCases() {
    return {
        {"TransparentPictureOverTheStrip", 60, 25, Depth::Colour,
         [](Gdi& gdi, HDC hdc) { PaintTransparent(gdi, hdc, 6, 4, 16, 16); }},
        {"TransparentPictureAcrossTheTwoTones", 60, 25, Depth::Colour,
         [](Gdi& gdi, HDC hdc) { PaintTransparent(gdi, hdc, 30, 9, 16, 16); }},
        {"TransparentPicturePartly", 60, 25, Depth::Colour,
         [](Gdi& gdi, HDC hdc) { PaintTransparent(gdi, hdc, 50, 2, 10, 12); }},
    };
}

std::vector<Case> AllPaintCases() {
    std::vector<Case> all;
    for (auto part : {StripCases(), GradientCases(), PictureCases()}) all.insert(all.end(), part.begin(), part.end());
    return all;
}

class PaintConformance : public ::testing::TestWithParam<Case> {};

TEST_P(PaintConformance, SamePixelsAsTheSystem) { CheckCase(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Control, PaintConformance, ::testing::ValuesIn(AllPaintCases()), CaseName);

// The strip both ways, saved for a look side by side: strip.soft.bmp,
// strip.system.bmp and strip.difference.bmp (black where equal, red where
// not) in LUMORA_CONFORMANCE_IMAGES, or the working directory.
TEST(StripImages, BothBackendsSaveTheSameStrip) {
    StripState state;
    state.selected = 1;
    state.hot = 2;
    state.sorted = 3;
    state.width = 240;
    const Case strip = StripCase("Strip", state);
    const Capture soft = DrawCase(SoftBackend(), strip);
    const Capture system = DrawCase(SystemBackend(), strip);
    Capture difference = soft;
    for (std::size_t i = 0; i < difference.pixels.size(); ++i)
        difference.pixels[i] = soft.pixels[i] == system.pixels[i] ? RGB(0, 0, 0) : RGB(255, 0, 0);

    const char* configured = std::getenv("LUMORA_CONFORMANCE_IMAGES");
    const std::filesystem::path folder = configured ? configured : ".";
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(WriteBmp(soft, (folder / "strip.soft.bmp").string()));
    EXPECT_TRUE(WriteBmp(system, (folder / "strip.system.bmp").string()));
    EXPECT_TRUE(WriteBmp(difference, (folder / "strip.difference.bmp").string()));
    EXPECT_TRUE(SamePixels(soft, system, "Strip"));
}

}  // namespace
}  // namespace lumora::conformance
