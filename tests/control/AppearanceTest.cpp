// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <functional>

#include "lumora/headless/HeadlessHost.h"
#include "lumora/platform/soft/SoftFont.h"
#include "lumora/runtime/RuntimeError.h"
#include "testing/TestPicture.h"

namespace lumora {
namespace {

using Log = std::vector<std::string>;

TEST(AppearanceTest, NewControlHasItsDocumentedLook) {
    headless::HeadlessHost host;
    host->InitProperties();

    EXPECT_EQ(host->get_HeaderHeight(), 25);
    EXPECT_EQ(host->get_BackColor(), 0xFDFAF9u);
    EXPECT_EQ(host->get_ForeColor(), 0x80000012u);
    EXPECT_EQ(host->get_ForeColorActive(), 0u);
    EXPECT_EQ(host->get_ForeColorHot(), 0u);
    EXPECT_EQ(host->get_BackColorForm(), 0xFFFFFFu);
    EXPECT_EQ(host->get_FrameColor(), 0x696969u);
    EXPECT_EQ(host->get_MaskColor(), 0xFF00FFu);
    EXPECT_EQ(host->get_MouseMoveColor0(), 0x2890E8u);
    EXPECT_EQ(host->get_MouseMoveColor1(), 0x38D0FFu);
    EXPECT_EQ(host->get_MouseMoveColor2(), 0x38C8FFu);
    EXPECT_EQ(host->get_RegisterFocusColor0(), 0x2890E8u);
    EXPECT_EQ(host->get_RegisterFocusColor1(), 0x38D0FFu);
    EXPECT_EQ(host->get_RegisterFocusColor2(), 0x38C8FFu);
    EXPECT_EQ(host->get_Alignment(), reg_Top);
    EXPECT_EQ(host->get_ShowFrame(), kTrue);
    EXPECT_EQ(host->get_ShowSortPic(), kTrue);
    EXPECT_EQ(host->get_FontName(), u"MS Sans Serif");
    EXPECT_EQ(host->get_FontSize(), 8.0f);
    EXPECT_EQ(host->get_FontBold(), kFalse);
    EXPECT_EQ(host->get_FontItalic(), kFalse);
    EXPECT_EQ(host->get_FontStrikethru(), kFalse);
    EXPECT_EQ(host->get_FontUnderline(), kFalse);
    EXPECT_EQ(host.windowBackColor(), 0xFDFAF9u);
    EXPECT_EQ(host.windowForeColor(), 0x80000012u);
}

TEST(AppearanceTest, InitialisationNotifiesOnlyThroughAddRowAndTheThreeFontWrites) {
    headless::HeadlessHost host;
    host->InitProperties();
    EXPECT_EQ(host.TakeLog(),
              (Log{// The first column is painted before the height is set: the strip
                   // collapses, and the FontName write's pass brings it to 25 pixels,
                   // each time with a nested pass from the window's resize.
                   "PropertyChanged NumberOfRows", "Resize 240x0", "Refresh", "Refresh", "BackColor 16644857",
                   "ForeColor 2147483666", "PropertyChanged FontName", "Resize 240x25", "Refresh", "Refresh",
                   "PropertyChanged FontBold", "Refresh", "PropertyChanged FontSize", "Refresh", "Font"}));
}

TEST(AppearanceTest, NewControlDrawsWithTheContainersFontButKeepsItsFontProperties) {
    headless::HeadlessHost host;
    host.SetAmbientFont(soft::SoftFont::Create({.name = u"Tahoma", .size = 10}));
    host->InitProperties();

    ASSERT_NE(host->get_Font(), nullptr);
    EXPECT_EQ(host->get_Font()->get_Name(), u"Tahoma");
    EXPECT_EQ(host->get_Font()->get_Size(), 10);
    EXPECT_EQ(host.windowFont(), host->get_Font()) << "the window draws with the control's font";
    EXPECT_NE(host->get_Font(), host.ambientFont()) << "the container's own font object is never changed";
    EXPECT_EQ(host->get_FontName(), u"MS Sans Serif");
    EXPECT_EQ(host->get_FontSize(), 8.0f);

    host->put_FontBold(kTrue);
    EXPECT_TRUE(host->get_Font()->get_Bold());
    EXPECT_FALSE(host.ambientFont()->get_Bold());
}

struct AppearanceWrite {
    const char* name;
    std::function<void(LumoraListControl&)> write;
    std::function<bool(LumoraListControl&)> stored;
};

class AppearanceWriteTest : public ::testing::TestWithParam<AppearanceWrite> {};

TEST_P(AppearanceWriteTest, StoresThenNotifiesThenRepaints) {
    headless::HeadlessHost host;
    host->InitProperties();
    host.TakeLog();

    GetParam().write(host.control());

    Log log = host.TakeLog();
    std::erase_if(
        log, [](const std::string& line) { return line.starts_with("BackColor ") || line.starts_with("ForeColor "); });
    EXPECT_EQ(log, (Log{std::string("PropertyChanged ") + GetParam().name, "Refresh"}));
    EXPECT_TRUE(GetParam().stored(host.control()));
}

#define LUMORA_WRITE(Name, value)                                                                                  \
    AppearanceWrite {                                                                                              \
#Name, [](LumoraListControl &                                                                              \
                  c) { c.put_##Name(value); }, [](LumoraListControl &                                              \
                                                  c) { return c.get_##Name() == decltype(c.get_##Name())(value); } \
    }

INSTANTIATE_TEST_SUITE_P(EveryRepaintingProperty, AppearanceWriteTest,
                         ::testing::Values(LUMORA_WRITE(HeaderHeight, 25), LUMORA_WRITE(BackColor, 0x80000005u),
                                           LUMORA_WRITE(ForeColor, 0x123456u),
                                           LUMORA_WRITE(ForeColorActive, 0xFFFFFFFFu), LUMORA_WRITE(BackColorForm, 1u),
                                           LUMORA_WRITE(MouseMoveColor0, 2u), LUMORA_WRITE(MouseMoveColor1, 3u),
                                           LUMORA_WRITE(MouseMoveColor2, 4u), LUMORA_WRITE(RegisterFocusColor0, 5u),
                                           LUMORA_WRITE(RegisterFocusColor1, 6u), LUMORA_WRITE(RegisterFocusColor2, 7u),
                                           LUMORA_WRITE(FrameColor, 8u), LUMORA_WRITE(MaskColor, 9u),
                                           LUMORA_WRITE(ShowFrame, Boolean{7}), LUMORA_WRITE(ShowSortPic, kFalse),
                                           LUMORA_WRITE(FontName, u"Arial"), LUMORA_WRITE(FontSize, 12.5f),
                                           LUMORA_WRITE(FontBold, kTrue), LUMORA_WRITE(FontItalic, kTrue),
                                           LUMORA_WRITE(FontStrikethru, kTrue), LUMORA_WRITE(FontUnderline, kTrue)),
                         [](const auto& info) { return std::string(info.param.name); });

#undef LUMORA_WRITE

TEST(AppearanceTest, OwnColoursReachTheWindowBeforeTheNotification) {
    headless::HeadlessHost host;
    host->InitProperties();
    host.TakeLog();
    host->put_BackColor(0x80000005u);
    host->put_ForeColor(0x00FF00u);
    EXPECT_EQ(host.TakeLog(), (Log{"BackColor 2147483653", "PropertyChanged BackColor", "Refresh", "ForeColor 65280",
                                   "PropertyChanged ForeColor", "Refresh"}));
}

TEST(AppearanceTest, HeaderHeightSetsTheWindowsHeightThroughANestedPass) {
    headless::HeadlessHost host;
    host->InitProperties();
    host.TakeLog();
    host->put_HeaderHeight(30);
    EXPECT_EQ(host.TakeLog(), (Log{"PropertyChanged HeaderHeight", "Resize 240x30", "Refresh", "Refresh"}));
    host->put_HeaderHeight(-3);
    EXPECT_EQ(host.TakeLog(), (Log{"PropertyChanged HeaderHeight", "Resize 240x0", "Refresh", "Refresh"}));
    // No window is that tall, and the caption's place overflows: the write
    // is stored and reports the overflow instead of painting garbage.
    try {
        host->put_HeaderHeight(2147483647);
        FAIL() << "expected error 6";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::kOverflow);
    }
    EXPECT_EQ(host->get_HeaderHeight(), 2147483647);
    EXPECT_EQ(host.TakeLog(), (Log{"PropertyChanged HeaderHeight", "Resize 240x32767"}));
}

TEST(AppearanceTest, ForeColorHotWaitsForTheNextRepaint) {
    headless::HeadlessHost host;
    host->InitProperties();
    host.TakeLog();
    host->put_ForeColorHot(0x0000FFu);
    EXPECT_EQ(host.TakeLog(), (Log{"PropertyChanged ForeColorHot"}));
}

TEST(AppearanceTest, BottomAlignmentIsStoredAndPaintsNothing) {
    headless::HeadlessHost host;
    host->InitProperties();
    host.TakeLog();
    host->put_Alignment(reg_Bottom);
    host->put_HeaderHeight(40);
    host->put_Alignment(static_cast<eTabAlignment>(7));
    EXPECT_EQ(host->get_Alignment(), 7);
    EXPECT_EQ(host.TakeLog(),
              (Log{"PropertyChanged Alignment", "PropertyChanged HeaderHeight", "PropertyChanged Alignment"}));
}

TEST(AppearanceTest, FontFieldWritesReachTheDrawingFont) {
    headless::HeadlessHost host;
    host->InitProperties();
    host->put_FontBold(kTrue);
    host->put_FontItalic(kTrue);
    host->put_FontUnderline(kTrue);
    host->put_FontStrikethru(kTrue);
    host->put_FontName(u"Verdana");
    host->put_FontSize(11.25f);
    const FontDescription drawn = Describe(*host->get_Font());
    EXPECT_EQ(drawn, (FontDescription{.name = u"Verdana",
                                      .size = 11.25,
                                      .bold = true,
                                      .italic = true,
                                      .underline = true,
                                      .strikethrough = true,
                                      .weight = 700}));
}

TEST(AppearanceTest, AssigningAFontSendsSevenNotificationsInOrder) {
    headless::HeadlessHost host;
    host->InitProperties();
    host.TakeLog();
    FontPtr chosen = soft::SoftFont::Create({.name = u"Courier New",
                                             .size = 9.75,
                                             .bold = true,
                                             .italic = true,
                                             .strikethrough = true,
                                             .weight = 600,
                                             .charset = 2});

    host->putref_Font(chosen);

    EXPECT_EQ(host.TakeLog(), (Log{"PropertyChanged FontBold", "Refresh", "PropertyChanged FontItalic", "Refresh",
                                   "PropertyChanged FontName", "Refresh", "PropertyChanged FontSize", "Refresh",
                                   "PropertyChanged FontStrikethru", "Refresh", "PropertyChanged FontUnderline",
                                   "Refresh", "PropertyChanged Font", "Refresh"}));
    EXPECT_NE(host->get_Font(), chosen) << "the read gives the drawing font, not the object assigned";
    EXPECT_EQ(host->AssignedFont(), chosen);
    EXPECT_EQ(host->get_FontBold(), kTrue);
    EXPECT_EQ(host->get_FontName(), u"Courier New");
    EXPECT_EQ(host->get_FontSize(), 9.75f);
    EXPECT_EQ(host->get_Font()->get_Charset(), 2);
    EXPECT_TRUE(host->get_Font()->get_Italic());
}

TEST(AppearanceTest, AssigningNothingAsFontFailsAndKeepsTheDrawingFont) {
    headless::HeadlessHost host;
    host->InitProperties();
    const FontPtr before = host->get_Font();
    try {
        host->putref_Font(nullptr);
        FAIL() << "expected error 91";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::kObjectNotSet);
    }
    EXPECT_EQ(host->get_Font(), before);
}

TEST(AppearanceTest, ResizeRepaintsAndTerminateReleasesTheColumns) {
    headless::HeadlessHost host;
    host->InitProperties();
    host.TakeLog();
    host->Resize();
    EXPECT_EQ(host.TakeLog(), (Log{"Refresh"}));
    std::weak_ptr<IPicture> picture;
    {
        PicturePtr held = test::TestPicture::Create();
        picture = held;
        host->putref_RowPicture(1, held);
    }
    host->Terminate();
    EXPECT_TRUE(picture.expired()) << "the column released its picture";
    EXPECT_THROW(host->get_RowCaption(1), RuntimeError);
}

}  // namespace
}  // namespace lumora
