// SPDX-License-Identifier: MIT
// The control's own paint pass on our surface and on the system's GDI: the
// same calls on a control over each backend must leave the same image.
// Captions are empty, as this build has no text engine on our side.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "conformance/ConformanceHarness.h"
#include "conformance/ConformanceSite.h"
#include "control/LumoraListControl.h"

namespace lumora::conformance {
namespace {

constexpr int kWindowWidth = 240;
constexpr int kWindowHeight = 25;

using Steps = std::function<void(LumoraListControl& control)>;

struct ControlCase {
    std::string name;
    Steps steps;
};

void PrintTo(const ControlCase& drawn, std::ostream* out) { *out << drawn.name; }

// A new control with three columns 60, 61 and 100 pixels wide, all
// captions empty.
void ThreeColumns(LumoraListControl& control) {
    control.AddRow();
    control.AddRow();
    const Long widths[] = {60, 61, 100};
    for (Long i = 1; i <= 3; ++i) {
        control.put_RowWidth(i, widths[i - 1]);
        control.put_RowCaption(i, u"");
    }
}

Steps With(Steps then) {
    return [then](LumoraListControl& control) {
        ThreeColumns(control);
        then(control);
    };
}

std::vector<ControlCase> ControlCases() {
    return {
        {"NewControl", [](LumoraListControl& control) { control.put_RowCaption(1, u""); }},
        {"ThreeColumns", With([](LumoraListControl&) {})},
        {"WithoutFrame", With([](LumoraListControl& control) { control.put_ShowFrame(kFalse); })},
        // Column 1 spans x 2 to 61, column 2 x 64 to 124.
        {"PressedColumn1", With([](LumoraListControl& control) { control.MouseDown(1, 0, 30, 10); })},
        {"HotColumn2", With([](LumoraListControl& control) { control.MouseMove(0, 0, 90, 10); })},
        {"SortedUp", With([](LumoraListControl& control) {
             control.put_RowSorted(2, kTrue);
             control.put_SortedRow(2);
         })},
        {"SortedDown", With([](LumoraListControl& control) {
             control.put_RowSorted(2, kFalse);
             control.put_SortedRow(2);
         })},
        {"HeaderHeight26", With([](LumoraListControl& control) { control.put_HeaderHeight(26); })},
        {"HeaderHeight31", With([](LumoraListControl& control) { control.put_HeaderHeight(31); })},
        {"BackColorForm", With([](LumoraListControl& control) { control.put_BackColorForm(RGB(30, 120, 200)); })},
    };
}

Capture PaintOn(Backend backend, const Steps& steps) {
    ConformanceSite site(backend, kWindowWidth, kWindowHeight);
    LumoraListControl control(site);
    site.Attach(control);
    control.InitProperties();
    steps(control);
    Capture image = site.Image();
    // The window follows HeaderHeight through put_Height and Resize.
    EXPECT_EQ(image.height, control.get_HeaderHeight());
    return image;
}

class ControlPaintConformance : public ::testing::TestWithParam<ControlCase> {};

TEST_P(ControlPaintConformance, SamePixelsAsTheSystem) {
    const ControlCase& drawn = GetParam();
    const Capture soft = PaintOn(Backend::Soft, drawn.steps);
    const Capture system = PaintOn(Backend::System, drawn.steps);
    // A pass that never ran would leave two equal empty images.
    const std::set<COLORREF> colours(soft.pixels.begin(), soft.pixels.end());
    EXPECT_GT(colours.size(), 2U) << drawn.name << ": the strip was not painted";
    EXPECT_TRUE(SamePixels(soft, system, "Control" + drawn.name));
}

INSTANTIATE_TEST_SUITE_P(Control, ControlPaintConformance, ::testing::ValuesIn(ControlCases()),
                         [](const ::testing::TestParamInfo<ControlCase>& info) { return info.param.name; });

}  // namespace
}  // namespace lumora::conformance
