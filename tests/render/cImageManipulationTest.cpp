// SPDX-License-Identifier: MIT
#include "render/cImageManipulation.h"

#include <gtest/gtest.h>

#include <memory>

#include "lumora/platform/GdiScoped.h"
#include "lumora/platform/soft/SoftGdi.h"
#include "lumora/platform/soft/SoftPicture.h"
#include "testing/PngOnFailure.h"
#include "testing/TestPicture.h"

namespace lumora {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A 4 x 2 bitmap: magenta in its left half, blue in its right.
soft::SoftBitmap HalfMaskBitmap() {
    soft::SoftBitmap pixels(4, 2, 32, kBlue);
    for (int y = 0; y < 2; ++y) pixels.At(0, y) = pixels.At(1, y) = kMagenta;
    return pixels;
}

// A red 16 x 8 destination on the software surface.
class TransparentPaintTest : public ::testing::Test {
protected:
    TransparentPaintTest() : gdi(std::make_shared<soft::SoftGdi>()) {
        const ScopedWindowDC screen(*gdi, HWND{});
        dest_ = gdi->CreateCompatibleDC(screen.get());
        bitmap_ = gdi->CreateCompatibleBitmap(screen.get(), 16, 8);
        previous_ = gdi->SelectObject(dest_, bitmap_);
        const ScopedGdiObject<HBRUSH> red(*gdi, gdi->CreateSolidBrush(kRed));
        gdi->FillRect(dest_, Rect{0, 0, 16, 8}, red.get());
    }
    ~TransparentPaintTest() override {
        test::SavePngOnFailure(gdi->SurfaceOf(dest_));
        gdi->SelectObject(dest_, previous_);
        gdi->DeleteObject(bitmap_);
        gdi->DeleteDC(dest_);
    }

    COLORREF At(int x, int y) { return gdi->GetPixel(dest_, x, y); }
    HDC dest() const { return dest_; }

    std::shared_ptr<soft::SoftGdi> gdi;

private:
    HDC dest_;
    HBITMAP bitmap_;
    HBITMAP previous_;
};

TEST_F(TransparentPaintTest, MaskColouredPixelsLeaveTheDestinationAlone) {
    const auto picture = soft::SoftPicture::Bitmap(gdi, HalfMaskBitmap());
    const int before = gdi->LiveObjectsTotal();
    {
        cImageManipulation painter(*gdi);
        painter.PaintTransparentPicture(dest(), picture, 3, 2, 4, 2, 0, 0, kMagenta, HPALETTE{});
    }
    EXPECT_EQ(At(3, 2), kRed);
    EXPECT_EQ(At(4, 3), kRed);
    EXPECT_EQ(At(5, 2), kBlue);
    EXPECT_EQ(At(6, 3), kBlue);
    EXPECT_EQ(At(7, 2), kRed) << "nothing beyond the width";
    EXPECT_EQ(gdi->LiveObjectsTotal(), before) << "every DC, bitmap, brush and the palette are gone";
    EXPECT_TRUE(gdi->BitmapOf(HBITMAP{picture->get_Handle()})) << "the picture's own bitmap is only lent";
}

TEST_F(TransparentPaintTest, AreaSmallerOrLargerThanThePictureFollowsTheBlockTransferRules) {
    const auto picture = soft::SoftPicture::Bitmap(gdi, HalfMaskBitmap());
    cImageManipulation painter(*gdi);
    painter.PaintTransparentPicture(dest(), picture, 0, 0, 3, 1, 0, 0, kMagenta, HPALETTE{});
    EXPECT_EQ(At(2, 0), kBlue);
    EXPECT_EQ(At(3, 0), kRed);
    EXPECT_EQ(At(2, 1), kRed);

    // Beyond the picture the source has no pixels; what the area shows there
    // is the surface's rule for transfers from outside a bitmap.
    painter.PaintTransparentPicture(dest(), picture, 8, 0, 8, 6, 0, 0, kMagenta, HPALETTE{});
    EXPECT_EQ(At(8, 0), kRed);
    EXPECT_EQ(At(11, 1), kBlue);
}

TEST_F(TransparentPaintTest, ACallersPaletteIsUsedAndNotDeleted) {
    const ScopedWindowDC screen(*gdi, HWND{});
    const HPALETTE palette = gdi->CreateHalftonePalette(screen.get());
    {
        cImageManipulation painter(*gdi);
        EXPECT_NE(painter.HalftonePalette(), palette);
        painter.PaintTransparentPicture(dest(), soft::SoftPicture::Bitmap(gdi, HalfMaskBitmap()), 0, 0, 4, 2, 0, 0,
                                        kMagenta, palette);
    }
    EXPECT_TRUE(gdi->PaletteOf(palette));
    EXPECT_EQ(At(2, 0), kBlue);
    gdi->DeleteObject(palette);
}

TEST_F(TransparentPaintTest, NoPictureAndMetafilesPaintNothing) {
    cImageManipulation painter(*gdi);
    const int before = gdi->LiveObjectsTotal();
    painter.PaintTransparentPicture(dest(), nullptr, 0, 0, 4, 2, 0, 0, kMagenta, HPALETTE{});
    painter.PaintTransparentPicture(dest(), test::TestPicture::Create(PictureType::None), 0, 0, 4, 2, 0, 0, kMagenta,
                                    HPALETTE{});
    painter.PaintTransparentPicture(dest(), test::TestPicture::Create(PictureType::Metafile), 0, 0, 4, 2, 0, 0,
                                    kMagenta, HPALETTE{});
    EXPECT_EQ(At(0, 0), kRed);
    EXPECT_EQ(gdi->LiveObjectsTotal(), before);
}

TEST_F(TransparentPaintTest, IconsShowThroughTheirOwnMaskAndAreCutToTheArea) {
    soft::SoftBitmap color(32, 32, 32, kBlue);
    soft::SoftBitmap mask(32, 32, 1, 0);
    for (int y = 0; y < 32; ++y) mask.At(0, y) = 1;  // a transparent first column
    for (int y = 0; y < 32; ++y) color.At(0, y) = 0;
    const auto icon = soft::SoftPicture::Icon(gdi, color, mask);
    const int before = gdi->LiveObjectsTotal();
    {
        cImageManipulation painter(*gdi);
        painter.PaintTransparentPicture(dest(), icon, 2, 1, 3, 3, 0, 0, kMagenta, HPALETTE{});
    }
    EXPECT_EQ(At(2, 1), kRed) << "the icon's transparent column";
    EXPECT_EQ(At(3, 1), kBlue);
    EXPECT_EQ(At(4, 3), kBlue);
    EXPECT_EQ(At(5, 1), kRed) << "cut to the width";
    EXPECT_EQ(At(3, 4), kRed) << "cut to the height";
    EXPECT_EQ(gdi->LiveObjectsTotal(), before);
}

}  // namespace
}  // namespace lumora
