// SPDX-License-Identifier: MIT
// What the control paints with besides its own pass: gradients and
// transparent pictures, on our surface and on the system's GDI.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conformance/ConformanceHarness.h"
#include "lumora/platform/GdiScoped.h"
#include "lumora/platform/Picture.h"
#include "render/ColumnLooks.h"
#include "render/StripPainter.h"
#include "render/cImageManipulation.h"
#include "render/mXPWells.h"

namespace lumora::conformance {
namespace {

// The colour that marks the transparent parts of the pictures.
constexpr OLE_COLOR kMaskColor = RGB(255, 0, 255);
// A picture 16 pixels square at 96 dpi, in HIMETRIC.
constexpr Long kPictureHimetric = 423;

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
    // Over the strip's two-toned background, as a column shows it.
    StripPainter::PaintBackground(gdi, hdc, Rect{0, 0, 60, 25}, ColumnLooks::HalfHeight(25));
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
    for (auto part : {GradientCases(), PictureCases()}) all.insert(all.end(), part.begin(), part.end());
    return all;
}

class PaintConformance : public ::testing::TestWithParam<Case> {};

TEST_P(PaintConformance, SamePixelsAsTheSystem) { CheckCase(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Control, PaintConformance, ::testing::ValuesIn(AllPaintCases()), CaseName);

}  // namespace
}  // namespace lumora::conformance
