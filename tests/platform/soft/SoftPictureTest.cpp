// SPDX-License-Identifier: MIT
#include "lumora/platform/soft/SoftPicture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "lumora/runtime/RuntimeError.h"
#include "testing/ErrorOf.h"
#include "testing/ScratchDirectory.h"

namespace lumora::soft {
namespace {

using test::ErrorOf;

class PictureFilesTest : public ::testing::Test {
protected:
    String PathOf(const char* name) const { return (folder.path() / name).u16string(); }

    test::ScratchDirectory folder{"lumora-picture-files"};
    std::shared_ptr<SoftGdi> gdi = std::make_shared<SoftGdi>();
    SoftPictures pictures{gdi};
};

TEST_F(PictureFilesTest, BitmapsAndIconsSurviveSavingAndLoading) {
    SoftBitmap color(5, 3, 32, RGB(10, 20, 30));
    color.At(4, 2) = RGB(200, 0, 0);
    SoftBitmap mask(5, 3, 1, 0);
    mask.At(0, 0) = 1;

    pictures.SavePicture(SoftPicture::Bitmap(gdi, color), PathOf("b.bmp"));
    pictures.SavePicture(SoftPicture::Icon(gdi, color, mask), PathOf("i.ico"));
    const auto bitmap = std::dynamic_pointer_cast<SoftPicture>(pictures.LoadPicture(PathOf("b.bmp")));
    const auto icon = std::dynamic_pointer_cast<SoftPicture>(pictures.LoadPicture(PathOf("i.ico")));

    ASSERT_TRUE(bitmap && icon);
    EXPECT_EQ(bitmap->get_Type(), PictureType::Bitmap);
    EXPECT_EQ(bitmap->color().pixels, color.pixels);
    EXPECT_EQ(icon->get_Type(), PictureType::Icon);
    EXPECT_EQ(icon->mask().pixels, mask.pixels);
    EXPECT_EQ(icon->color().At(4, 2), RGB(200, 0, 0));
    EXPECT_EQ(bitmap->get_Width(), 132) << "5 pixels at 96 dpi in HIMETRIC";
}

TEST_F(PictureFilesTest, MissingAndInvalidFilesRaiseTheirOwnErrors) {
    std::ofstream(folder.path() / "text.bmp") << "not a picture";
    EXPECT_EQ(ErrorOf([&] { pictures.LoadPicture(PathOf("missing.bmp")); }), err::kFileNotFound);
    EXPECT_EQ(ErrorOf([&] { pictures.LoadPicture(PathOf("text.bmp")); }), err::kInvalidPicture);
    EXPECT_EQ(ErrorOf([&] { pictures.SavePicture(nullptr, PathOf("x.bmp")); }), err::kInvalidProcedureCall);
    EXPECT_EQ(ErrorOf([&] {
                  pictures.SavePicture(SoftPicture::Bitmap(gdi, SoftBitmap(2, 2, 32)), PathOf("no/such/dir.bmp"));
              }),
              err::kPathFileAccess);
}

TEST_F(PictureFilesTest, APictureReleasesItsObjectWhenItGoes) {
    const int before = gdi->LiveObjectsTotal();
    { const auto picture = SoftPicture::Icon(gdi, SoftBitmap(2, 2, 32), SoftBitmap(2, 2, 1)); }
    { const auto picture = SoftPicture::Bitmap(gdi, SoftBitmap(2, 2, 32)); }
    EXPECT_EQ(gdi->LiveObjectsTotal(), before);
}

}  // namespace
}  // namespace lumora::soft
