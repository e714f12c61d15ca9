// SPDX-License-Identifier: MIT
// The system's font and picture objects next to the software platform's:
// the same steps on both must leave the same attributes.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "lumora/platform/soft/SoftFont.h"
#include "lumora/runtime/RuntimeError.h"
#include "platform/win32/Win32Font.h"
#include "platform/win32/Win32Picture.h"

namespace lumora::conformance {
namespace {

// The attributes the system's font object reads back as they were set.
// Face name, size and charset it reads back from the font it realized: the
// installed face, its realized height converted back to points (8 points
// read back as 8.25, 9 as 9.75 with Wine's fonts) and the realized charset;
// they depend on the installed fonts and are not compared.
struct KeptAttributes {
    Integer weight = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;

    friend bool operator==(const KeptAttributes&, const KeptAttributes&) = default;
    friend void PrintTo(const KeptAttributes& font, std::ostream* out) {
        *out << "{weight " << font.weight << (font.bold ? " bold" : "") << (font.italic ? " italic" : "")
             << (font.underline ? " underline" : "") << (font.strikethrough ? " strikethrough" : "") << "}";
    }
};

KeptAttributes Kept(const IFont& font) {
    return KeptAttributes{font.get_Weight(), font.get_Bold(), font.get_Italic(), font.get_Underline(),
                          font.get_Strikethrough()};
}

struct FontSteps {
    const char* name;
    std::function<void(IFont&)> apply;
};

const FontSteps kFontSteps[] = {
    {"BoldSetsWeight700", [](IFont& f) { f.put_Bold(true); }},
    {"NotBoldSetsWeight400", [](IFont& f) { f.put_Weight(900), f.put_Bold(false); }},
    {"Weight551ReadsAsBold", [](IFont& f) { f.put_Weight(551); }},
    {"Weight550ReadsAsNotBold", [](IFont& f) { f.put_Weight(550); }},
    {"WeightAfterBoldStands", [](IFont& f) { f.put_Bold(true), f.put_Weight(300); }},
    {"StyleFlags", [](IFont& f) { f.put_Italic(true), f.put_Underline(true), f.put_Strikethrough(true); }},
};

class FontAgreement : public testing::TestWithParam<FontSteps> {};

TEST_P(FontAgreement, SameStepsLeaveSameAttributes) {
    const FontPtr ours = soft::SoftFont::Create();
    const FontPtr theirs = win32::Win32Font::Create();
    GetParam().apply(*ours);
    GetParam().apply(*theirs);
    EXPECT_EQ(Kept(*ours), Kept(*theirs));
}

INSTANTIATE_TEST_SUITE_P(Steps, FontAgreement, testing::ValuesIn(kFontSteps),
                         [](const testing::TestParamInfo<FontSteps>& info) { return std::string(info.param.name); });

TEST(FontAgreement, CreateFromDescriptionKeepsWeightAndStyle) {
    const FontDescription description{.name = u"Arial", .bold = true, .italic = true, .weight = 600};
    EXPECT_EQ(Kept(*soft::SoftFont::Create(description)), Kept(*win32::Win32Font::Create(description)));
}

TEST(FontAgreement, CloneIsIndependentOfItsOriginal) {
    const FontPtr original = win32::Win32Font::Create();
    const double originalSize = original->get_Size();
    const FontPtr clone = original->Clone();
    clone->put_Bold(true);
    clone->put_Size(24);
    EXPECT_FALSE(original->get_Bold());
    EXPECT_EQ(original->get_Size(), originalSize);
    EXPECT_TRUE(clone->get_Bold());
    EXPECT_GT(clone->get_Size(), originalSize);
}

// A .bmp file of a 24-bit picture, one grey, rows padded to four bytes.
std::string BitmapFileBytes(int width, int height) {
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const std::uint32_t headersSize = 14 + 40;
    const std::uint32_t fileSize = headersSize + rowBytes * height;
    std::string bytes;
    const auto put = [&bytes](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    bytes += "BM";
    put(fileSize, 4), put(0, 4), put(headersSize, 4);
    put(40, 4), put(width, 4), put(height, 4), put(1, 2), put(24, 2);
    put(0, 4), put(rowBytes * height, 4), put(3780, 4), put(3780, 4), put(0, 4), put(0, 4);
    bytes.append(static_cast<std::size_t>(rowBytes) * height, '\x80');
    return bytes;
}

// 32 pixels at 96 dpi, in hundredths of a millimetre, as the soft pictures report.
constexpr Long kThirtyTwoPixelsHimetric = 847;

TEST(PictureAgreement, BitmapBytesLoadAsBitmapOfSoftPictureSize) {
    const PicturePtr picture = win32::Win32Picture::FromFileBytes(BitmapFileBytes(32, 32));
    EXPECT_EQ(picture->get_Type(), PictureType::Bitmap);
    EXPECT_EQ(picture->get_Width(), kThirtyTwoPixelsHimetric);
    EXPECT_EQ(picture->get_Height(), kThirtyTwoPixelsHimetric);
    EXPECT_NE(picture->get_Handle(), 0u);
}

TEST(PictureAgreement, BytesOfNoPictureRaiseInvalidPicture) {
    try {
        win32::Win32Picture::FromFileBytes("not a picture at all");
        FAIL() << "no error raised";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::kInvalidPicture);
    }
}

}  // namespace
}  // namespace lumora::conformance
