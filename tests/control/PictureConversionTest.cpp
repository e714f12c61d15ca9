// SPDX-License-Identifier: MIT
#include "control/PictureConversion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "lumora/control/LumoraListControl.h"
#include "lumora/platform/soft/SoftFileSystem.h"
#include "lumora/platform/soft/SoftGdi.h"
#include "lumora/platform/soft/SoftPicture.h"
#include "lumora/platform/soft/SoftPictureBox.h"
#include "lumora/runtime/RuntimeError.h"
#include "testing/ScratchDirectory.h"

namespace lumora {
namespace {

constexpr COLORREF kGreen = RGB(0, 160, 0);

// The routine the control and the columns page convert icons with, on the
// software platform with a temporary directory of the test's own.
class PictureConversionTest : public ::testing::Test {
protected:
    // A 4 x 4 green icon whose left column is transparent.
    PicturePtr Icon() {
        soft::SoftBitmap color(4, 4, 32, kGreen);
        soft::SoftBitmap mask(4, 4, 1, 0);
        for (int y = 0; y < 4; ++y) {
            mask.At(0, y) = 1;
            color.At(0, y) = 0;
        }
        return soft::SoftPicture::Icon(gdi, color, mask);
    }
    PicturePtr Convert(const std::function<PicturePtr(const String&)>& readBack) {
        return PictureConversion::ComposeIconAsBitmap(
            box, pictures, files, [&] { return Icon(); }, readBack);
    }
    static COLORREF PixelOf(const PicturePtr& picture, int x, int y) {
        return dynamic_cast<const soft::SoftPicture&>(*picture).color().At(x, y) & 0xFFFFFF;
    }

    std::shared_ptr<soft::SoftGdi> gdi = std::make_shared<soft::SoftGdi>();
    test::ScratchDirectory temp{"lumora-conversion"};
    soft::SoftFileSystem files{temp.path()};
    soft::SoftPictures pictures{gdi};
    soft::SoftPictureBox box{gdi, kMaskMagenta};
};

TEST_F(PictureConversionTest, ReadBackGetsTheSavedBitmapWhileItExistsAndNoFileIsLeft) {
    const PicturePtr bitmap = Convert([&](const String& bitmapFile) {
        EXPECT_TRUE(bitmapFile.ends_with(u"bmp"));
        EXPECT_TRUE(files.FileExists(bitmapFile));
        return pictures.LoadPicture(bitmapFile);
    });
    ASSERT_EQ(bitmap->get_Type(), PictureType::Bitmap);
    EXPECT_EQ(PixelOf(bitmap, 0, 3), kMaskMagenta) << "the icon's transparent pixels take the box's background";
    EXPECT_EQ(PixelOf(bitmap, 1, 3), kGreen);
    EXPECT_EQ(box.get_Picture()->get_Type(), PictureType::Icon) << "the box composed the icon";
    EXPECT_TRUE(temp.IsEmpty());
}

TEST_F(PictureConversionTest, TheFileIsGoneWhenReadingItBackFails) {
    try {
        Convert([](const String&) -> PicturePtr { Raise(err::kInvalidPicture); });
        FAIL() << "expected error 481";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::kInvalidPicture);
    }
    EXPECT_TRUE(temp.IsEmpty());
}

TEST_F(PictureConversionTest, TheIconIsAskedForOnlyOnceTheTemporaryFileIsThere) {
    bool asked = false;
    EXPECT_THROW(PictureConversion::ComposeIconAsBitmap(
                     box, pictures, files,
                     [&]() -> PicturePtr {
                         asked = true;
                         EXPECT_FALSE(temp.IsEmpty()) << "the temporary name is taken first";
                         Raise(err::kFileNotFound);
                     },
                     [](const String&) -> PicturePtr { return nullptr; }),
                 RuntimeError);
    EXPECT_TRUE(asked);
    EXPECT_TRUE(temp.IsEmpty()) << "a failing icon leaves no file either";
}

TEST_F(PictureConversionTest, WithoutATemporaryDirectoryTheComposedImageComesBackWithoutAFile) {
    files = soft::SoftFileSystem(temp.path() / "missing");
    bool readBack = false;
    const PicturePtr bitmap = Convert([&](const String&) -> PicturePtr {
        readBack = true;
        return nullptr;
    });
    EXPECT_FALSE(readBack);
    ASSERT_EQ(bitmap->get_Type(), PictureType::Bitmap);
    EXPECT_EQ(PixelOf(bitmap, 0, 0), kMaskMagenta);
    EXPECT_EQ(PixelOf(bitmap, 3, 0), kGreen);
    EXPECT_FALSE(std::filesystem::exists("c:\\~Temp.bmp"));
}

}  // namespace
}  // namespace lumora
