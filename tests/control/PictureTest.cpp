// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "lumora/headless/HeadlessHost.h"
#include "lumora/runtime/RuntimeError.h"
#include "testing/PngOnFailure.h"
#include "testing/ScratchDirectory.h"
#include "testing/TestPicture.h"

namespace lumora {
namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kGreen = RGB(0, 160, 0);

class PictureTest : public ::testing::Test {
protected:
    PictureTest() {
        host.SetTempDirectory(temp.path());
        host->InitProperties();
        host.TakeLog();
    }
    ~PictureTest() override { test::SavePngOnFailure(&host.image()); }

    PicturePtr Bitmap(int width, int height, COLORREF color) {
        return soft::SoftPicture::Bitmap(host.sharedSurface(), soft::SoftBitmap(width, height, 32, color));
    }
    // A 32 x 32 green icon whose left half is transparent.
    PicturePtr HalfTransparentIcon() {
        soft::SoftBitmap color(32, 32, 32, kGreen);
        soft::SoftBitmap mask(32, 32, 1, 0);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 16; ++x) {
                mask.At(x, y) = 1;
                color.At(x, y) = 0;
            }
        return soft::SoftPicture::Icon(host.sharedSurface(), color, mask);
    }
    // The leftmost column holding a dark caption pixel between x0 and x1.
    int FirstInk(int x0, int x1) {
        for (int x = x0; x < x1; ++x)
            for (int y = 3; y < 22; ++y)
                if (GetRValue(host.image().At(x, y)) < 128 && GetGValue(host.image().At(x, y)) < 128) return x;
        return -1;
    }

    test::ScratchDirectory temp{"lumora-pictures"};
    headless::HeadlessHost host{300, 25};
};

TEST_F(PictureTest, ABitmapIsStoredAsTheVeryObjectGiven) {
    const PicturePtr bitmap = Bitmap(16, 16, kGreen);
    host->putref_RowPicture(1, bitmap);
    EXPECT_EQ(host->get_RowPicture(1), bitmap);
    host->putref_RowPicture(1, nullptr);
    EXPECT_EQ(host->get_RowPicture(1), nullptr);
}

TEST_F(PictureTest, AnIconBecomesABitmapOfItsSizeWithMagentaWhereItWasTransparent) {
    PicturePtr icon = HalfTransparentIcon();
    const PicturePtr given = icon;
    host->AddRow(60, u"Icon", icon);

    ASSERT_NE(icon, given) << "the caller's variable holds the bitmap now";
    EXPECT_EQ(host->get_RowPicture(2), icon);
    EXPECT_EQ(icon->get_Type(), PictureType::Bitmap);
    EXPECT_EQ(icon->get_Width(), given->get_Width());
    EXPECT_EQ(icon->get_Height(), given->get_Height());
    const auto& pixels = dynamic_cast<const soft::SoftPicture&>(*icon).color();
    EXPECT_EQ(pixels.At(0, 0), kMagenta);
    EXPECT_EQ(pixels.At(15, 31), kMagenta);
    EXPECT_EQ(pixels.At(16, 0), kGreen);
    EXPECT_TRUE(temp.IsEmpty()) << "no temporary file is left behind";

    host->putref_RowPicture(1, HalfTransparentIcon());
    EXPECT_EQ(host->get_RowPicture(1)->get_Type(), PictureType::Bitmap);
    EXPECT_TRUE(temp.IsEmpty());
}

TEST_F(PictureTest, AFailedConversionAddsNoColumnAndLeavesNoFile) {
    PicturePtr foreign = test::TestPicture::Create(PictureType::Icon);
    try {
        host->AddRow(60, u"x", foreign);
        FAIL() << "expected error 481";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::kInvalidPicture);
    }
    EXPECT_EQ(host->get_NumberOfRows(), 1);
    EXPECT_TRUE(temp.IsEmpty());
}

TEST_F(PictureTest, WithoutATemporaryDirectoryTheIconIsConvertedInMemory) {
    host.SetTempDirectory(temp.path() / "missing");
    host->putref_RowPicture(1, HalfTransparentIcon());
    EXPECT_EQ(host->get_RowPicture(1)->get_Type(), PictureType::Bitmap);
    EXPECT_FALSE(std::filesystem::exists("c:\\~Temp.bmp"));
}

TEST_F(PictureTest, PictureSizeComesInScreenPixels) {
    Single x = -1, y = -1;
    host->GetPictureSize(nullptr, x, y);
    EXPECT_EQ(x, 0.0f);
    EXPECT_EQ(y, 0.0f);
    const PicturePtr picture = Bitmap(32, 32, kGreen);
    EXPECT_EQ(picture->get_Width(), 847);
    host->GetPictureSize(picture, x, y);
    EXPECT_NEAR(x, 32.0, 0.02) << "847 HIMETRIC are a little over 32 pixels";
    EXPECT_NEAR(y, 32.0, 0.02);
}

TEST_F(PictureTest, A16PixelPictureSitsAt6And6WithTheCaptionAt26) {
    host->put_RowCaption(1, u"Name");
    host->putref_RowPicture(1, Bitmap(16, 16, kGreen));
    EXPECT_EQ(host.image().At(6, 6), kGreen);
    EXPECT_EQ(host.image().At(21, 21), kGreen);
    EXPECT_NE(host.image().At(5, 6), kGreen);
    EXPECT_NE(host.image().At(22, 21), kGreen);
    EXPECT_NE(host.image().At(6, 5), kGreen);
    const int ink = FirstInk(23, 62);
    EXPECT_GE(ink, 26);
    EXPECT_LE(ink, 27);
}

TEST_F(PictureTest, AWidePictureIsPaintedAtItsSizeAndPushesTheCaption) {
    host->put_RowWidth(1, 100);
    host->put_RowCaption(1, u"Name");
    host->putref_RowPicture(1, Bitmap(32, 16, kGreen));
    EXPECT_EQ(host.image().At(6, 6), kGreen);
    EXPECT_EQ(host.image().At(37, 21), kGreen);
    EXPECT_NE(host.image().At(38, 21), kGreen);
    const int ink = FirstInk(39, 102);
    EXPECT_GE(ink, 42);
    EXPECT_LE(ink, 43);
}

TEST_F(PictureTest, APictureThatCannotBePaintedLeavesTheOtherColumnsPainted) {
    host->AddRow(60, u"Second");
    host.TakeLog();
    host->putref_RowPicture(1, test::TestPicture::Create(PictureType::Bitmap));
    EXPECT_EQ(host.TakeLog(), (std::vector<std::string>{"Refresh", "PropertyChanged RowPicture"}));
    EXPECT_GE(FirstInk(64, 124), 64) << "the second caption is there";
}

TEST_F(PictureTest, APassWithPicturesLeavesNoDrawingObjectBehind) {
    host->putref_RowPicture(1, Bitmap(16, 16, kGreen));
    host->AddRow(60, u"Icon", HalfTransparentIcon());
    const int before = host.surface().LiveObjectsTotal();
    host->DrawTab();
    EXPECT_EQ(host.surface().LiveObjectsTotal(), before);
}

}  // namespace
}  // namespace lumora
