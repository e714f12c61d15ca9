// SPDX-License-Identifier: MIT
#include "support/basUmrechnung.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "lumora/headless/RecordingDialogs.h"
#include "lumora/platform/soft/SoftGdi.h"
#include "lumora/runtime/RuntimeError.h"

namespace lumora {
namespace {

struct Resolution {
    int dpiX;
    int dpiY;
    Double horizontal;  // 25 pixels in twips
    Double vertical;
};

class PixelToTwipsTest : public ::testing::TestWithParam<Resolution> {};

TEST_P(PixelToTwipsTest, ConvertsWithTheScreensResolutionInEachDirection) {
    soft::SoftGdi gdi;
    headless::RecordingDialogs dialogs;
    gdi.SetDpi(GetParam().dpiX, GetParam().dpiY);

    EXPECT_EQ(basUmrechnung::fnc_PixelToTwips(gdi, dialogs, 25, 1), GetParam().horizontal);
    EXPECT_EQ(basUmrechnung::fnc_PixelToTwips(gdi, dialogs, 25, 2), GetParam().vertical);
    EXPECT_EQ(basUmrechnung::fnc_PixelToTwips(gdi, dialogs, 25, -7), GetParam().vertical);
    EXPECT_EQ(basUmrechnung::fnc_PixelToTwips(gdi, dialogs, 0, 1), 0.0);
    EXPECT_TRUE(dialogs.messageBoxes().empty());
    EXPECT_EQ(gdi.LiveObjectsTotal(), 0) << "the screen's device context is released";
}

// 1440 / 100 rounds to the Single 14.3999996185..., so a conversion at 100
// pixels per inch is not a whole number of twips.
const Double kAt100 = static_cast<Double>(static_cast<Single>(14.4)) * 25;

INSTANTIATE_TEST_SUITE_P(Screens, PixelToTwipsTest,
                         ::testing::Values(Resolution{96, 96, 375, 375}, Resolution{120, 120, 300, 300},
                                           Resolution{100, 100, kAt100, kAt100}, Resolution{96, 120, 375, 300}));

TEST(PixelToTwipsTest, NoResolutionShowsOneReportAndGivesZero) {
    soft::SoftGdi gdi;
    headless::RecordingDialogs dialogs;
    gdi.SetDpi(0, 0);

    EXPECT_EQ(basUmrechnung::fnc_PixelToTwips(gdi, dialogs, 25, 1), 0.0);

    ASSERT_EQ(dialogs.messageBoxes().size(), 1u);
    const headless::MessageBoxRecord& box = dialogs.messageBoxes().front();
    EXPECT_EQ(box.title, u"Fehler in \"fnc_PixelToTwips\"");
    EXPECT_EQ(box.text,
              u"Es ist ein Fehler aufgetreten.\r\n\r\nIn Function:\tfnc_PixelToTwips\r\nFehlernummer:\t11\r\n"
              u"Beschreibung:\tDivision by zero");
    EXPECT_EQ(box.style, vbCritical);
    EXPECT_EQ(gdi.LiveObjectsTotal(), 0);
}

TEST(PixelToTwipsTest, ALengthBeyondAnyScreenIsReportedAndReturnedAsComputed) {
    soft::SoftGdi gdi;
    headless::RecordingDialogs dialogs;
    const Double result = basUmrechnung::fnc_PixelToTwips(gdi, dialogs, std::numeric_limits<Double>::max() / 2, 1);
    EXPECT_TRUE(std::isinf(result));
    ASSERT_EQ(dialogs.messageBoxes().size(), 1u);
    EXPECT_NE(dialogs.messageBoxes().front().text.find(u"Fehlernummer:\t6\r\n"), String::npos);
}

TEST(TwipsPerPixelTest, FailsWithoutResolutionAndStillReleasesTheScreen) {
    soft::SoftGdi gdi;
    gdi.SetDpi(0, 120);
    EXPECT_THROW(basUmrechnung::fnc_TwipsPerPixelX(gdi), RuntimeError);
    EXPECT_EQ(basUmrechnung::fnc_TwipsPerPixelY(gdi), 12.0f);
    EXPECT_EQ(gdi.LiveObjectsTotal(), 0);
}

}  // namespace
}  // namespace lumora
