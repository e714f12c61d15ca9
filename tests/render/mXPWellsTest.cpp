// SPDX-License-Identifier: MIT
#include "render/mXPWells.h"

#include <gtest/gtest.h>

#include <array>

#include "lumora/platform/GdiScoped.h"
#include "lumora/platform/soft/SoftGdi.h"
#include "lumora/runtime/RuntimeError.h"
#include "testing/PngOnFailure.h"

namespace lumora {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// A 64 x 24 colour canvas, white, on the software surface.
class PrimitivesTest : public ::testing::Test {
protected:
    PrimitivesTest()
        : screen_(gdi, HWND{}),
          dc_(gdi, screen_.get()),
          bitmap_(gdi, gdi.CreateCompatibleBitmap(screen_.get(), 64, 24)),
          selected_(gdi, dc_.get(), bitmap_.get()) {
        {
            const ScopedGdiObject<HBRUSH> white(gdi, gdi.CreateSolidBrush(kWhite));
            gdi.FillRect(hdc(), Rect{0, 0, 64, 24}, white.get());
        }
        baseline_ = gdi.LiveObjectsTotal();
    }
    ~PrimitivesTest() override {
        EXPECT_EQ(gdi.LiveObjectsTotal(), baseline_) << "a primitive left an object behind";
        test::SavePngOnFailure(gdi.SurfaceOf(hdc()));
    }

    HDC hdc() const { return dc_.get(); }
    COLORREF At(int x, int y) { return gdi.GetPixel(hdc(), x, y); }

    soft::SoftGdi gdi;

private:
    ScopedWindowDC screen_;
    ScopedMemoryDC dc_;
    ScopedGdiObject<HBITMAP> bitmap_;
    ScopedSelectObject<HBITMAP> selected_;
    int baseline_ = 0;
};

TEST_F(PrimitivesTest, GradientOfSizeSevenPaintsEightBandsEndingOneStepShortOfTheFarColour) {
    Rect rect{0, 0, 50, 1};
    mXPWells::DrawGradient(gdi, hdc(), RGB(70, 140, 210), RGB(0, 0, 0), rect, 7, 1);

    const COLORREF expected[] = {RGB(0, 0, 0),    RGB(0, 0, 0),     RGB(10, 20, 30),   RGB(20, 40, 60),
                                 RGB(30, 60, 90), RGB(40, 80, 120), RGB(50, 100, 150), RGB(60, 120, 180)};
    for (int band = 0; band < 8; ++band) EXPECT_EQ(At(49 - band, 0), expected[band]) << "x = " << 49 - band;
    EXPECT_EQ(At(41, 0), kWhite);
    EXPECT_EQ(rect, (Rect{42, 0, 42, 1})) << "the rectangle collapses at the far end";
}

TEST_F(PrimitivesTest, LargeGradientUsesWiderBands) {
    Rect rect{0, 0, 10, 1};
    mXPWells::DrawGradient(gdi, hdc(), RGB(255, 0, 0), RGB(0, 0, 255), rect, 600, 1);
    EXPECT_EQ(rect.left, 10 - 301 * 2) << "301 bands of two pixels";
    EXPECT_EQ(At(9, 0), RGB(0, 0, 255));
    EXPECT_EQ(At(8, 0), RGB(0, 0, 255));
}

TEST_F(PrimitivesTest, VerticalGradientRunsUpwardsAndSizeZeroPaintsOnePixel) {
    Rect rect{3, 0, 4, 20};
    mXPWells::DrawGradient(gdi, hdc(), RGB(100, 100, 100), RGB(0, 0, 0), rect, 2, 0);
    EXPECT_EQ(At(3, 19), RGB(0, 0, 0));
    EXPECT_EQ(At(3, 18), RGB(0, 0, 0));
    EXPECT_EQ(At(3, 17), RGB(50, 50, 50));
    EXPECT_EQ(rect, (Rect{3, 17, 4, 17}));

    Rect single{10, 5, 20, 6};
    mXPWells::DrawGradient(gdi, hdc(), RGB(0, 0, 0), RGB(1, 2, 3), single, 0, 1);
    EXPECT_EQ(At(19, 5), RGB(1, 2, 3));
    EXPECT_EQ(At(18, 5), kWhite);
    EXPECT_EQ(single.left, 19);
}

TEST_F(PrimitivesTest, ShiftColorClampsEachChannel) {
    Long red = 0, green = 0, blue = 0;
    EXPECT_EQ(mXPWells::ShiftColor(gdi, RGB(250, 10, 0), red, green, blue, 10, HPALETTE{}), RGB(255, 20, 10));
    EXPECT_EQ((std::array<Long, 3>{red, green, blue}), (std::array<Long, 3>{255, 20, 10}));
    EXPECT_EQ(mXPWells::ShiftColor(gdi, RGB(250, 10, 0), red, green, blue, -20, HPALETTE{}), RGB(230, 0, 0));
    EXPECT_THROW(mXPWells::ShiftColor(gdi, RGB(250, 10, 0), red, green, blue, 2147483647, HPALETTE{}), RuntimeError);
}

TEST_F(PrimitivesTest, TranslateColorGivesTheFallbackOnlyForColoursTheSystemDoesNotKnow) {
    constexpr OLE_COLOR kUnknownSystemColor = 0x80000040;
    const struct {
        OLE_COLOR color;
        COLORREF fallback;
        COLORREF expected;
    } cases[] = {
        {RGB(1, 2, 3), RGB(9, 9, 9), RGB(1, 2, 3)},
        {0x8000000F, RGB(9, 9, 9), gdi.SystemColor(15)},
        {kUnknownSystemColor, 0, 0},
        {kUnknownSystemColor, kUnknownSystemColor, kUnknownSystemColor},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mXPWells::TranslateColor(gdi, c.color, HPALETTE{}, c.fallback), c.expected)
            << std::hex << c.color << " falling back to " << c.fallback;
}

TEST_F(PrimitivesTest, StripShapesAreSolidRectanglesAndOnePixelLines) {
    mXPWells::Fill(gdi, hdc(), Rect{0, 0, 4, 3}, 0x8000000F);
    EXPECT_EQ(At(3, 2), gdi.SystemColor(15));
    EXPECT_EQ(At(4, 2), kWhite);
    mXPWells::Frame(gdi, hdc(), Rect{10, 0, 15, 5}, RGB(9, 9, 9));
    EXPECT_EQ(At(14, 4), RGB(9, 9, 9));
    EXPECT_EQ(At(12, 2), kWhite) << "only the inside edges";
    mXPWells::Line(gdi, hdc(), 20, 10, 30, 10, RGB(1, 2, 3));
    EXPECT_EQ(At(29, 10), RGB(1, 2, 3));
    EXPECT_EQ(At(30, 10), kWhite);
    EXPECT_EQ(At(25, 9), kWhite) << "one pixel wide";
    EXPECT_EQ(At(25, 11), kWhite) << "one pixel wide";
}

TEST_F(PrimitivesTest, PaintRectTranslatesASystemColourAndWritesItBack) {
    OLE_COLOR color = 0x8000000F;  // button face
    mXPWells::PaintRect(gdi, hdc(), Rect{2, 2, 6, 5}, color, kTrue);
    EXPECT_EQ(color, gdi.SystemColor(15));
    EXPECT_EQ(At(2, 2), color);
    EXPECT_EQ(At(5, 4), color);
    EXPECT_EQ(At(6, 4), kWhite);
    EXPECT_EQ(At(5, 5), kWhite);
}

TEST_F(PrimitivesTest, PaintRectFramesForAnyOtherFillValue) {
    OLE_COLOR color = RGB(9, 9, 9);
    mXPWells::PaintRect(gdi, hdc(), Rect{10, 2, 15, 7}, color, 1);
    EXPECT_EQ(At(10, 2), RGB(9, 9, 9));
    EXPECT_EQ(At(14, 6), RGB(9, 9, 9));
    EXPECT_EQ(At(12, 4), kWhite) << "only the inside edges";
}

TEST_F(PrimitivesTest, LinesStopBeforeTheirEndPointAndPixelsLandExactly) {
    mXPWells::DrawLine(gdi, hdc(), 0, 0, 10, 0, RGB(1, 2, 3), 1);
    for (int x = 0; x < 10; ++x) EXPECT_EQ(At(x, 0), RGB(1, 2, 3)) << x;
    EXPECT_EQ(At(10, 0), kWhite);
    mXPWells::DrawPixel(gdi, hdc(), 30, 20, RGB(4, 5, 6));
    EXPECT_EQ(At(30, 20), RGB(4, 5, 6));
}

TEST_F(PrimitivesTest, CaptionsAreDrawnAndMeasuredWithoutTouchingTheText) {
    const String caption = u"Ωmega Größe";
    Rect measured{0, 0, 200, 0};
    mXPWells::MeasureCaption(gdi, hdc(), caption, static_cast<Long>(caption.size()) + 50, measured);
    EXPECT_GT(measured.right, 0);
    EXPECT_GT(measured.bottom, 0);
    Rect target{0, 0, 64, 24};
    mXPWells::DrawCaption(gdi, hdc(), caption, static_cast<Long>(caption.size()), target, 21);
    EXPECT_EQ(caption, u"Ωmega Größe");
}

TEST(RectangleTest, WrappersFollowTheSystemsArithmetic) {
    Rect rect{1, 2, 3, 4};
    Rect copy;
    mXPWells::CopyRectangle(copy, rect);
    EXPECT_EQ(copy, rect);
    mXPWells::OffsetRectangle(rect, 10, -2);
    EXPECT_EQ(rect, (Rect{11, 0, 13, 2}));
    EXPECT_EQ(mXPWells::InflateRectangle(rect, Variant::FromString(u"2"), Variant::FromDouble(2.5)),
              (Rect{9, -2, 15, 4}));
    EXPECT_EQ(rect, (Rect{9, -2, 15, 4}));
    mXPWells::EmptyRectangle(rect);
    EXPECT_EQ(rect, Rect{});
}

}  // namespace
}  // namespace lumora
