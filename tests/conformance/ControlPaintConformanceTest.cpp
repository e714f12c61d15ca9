// SPDX-License-Identifier: MIT
// The control's own paint pass on our surface and on the system's GDI: the
// same calls on a control over each backend must leave the same image.
// Each backend draws its own glyphs, so where captions carry text the
// images are compared outside the caption areas.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "conformance/ConformanceHarness.h"
#include "conformance/ConformanceSite.h"
#include "lumora/control/LumoraListControl.h"

namespace lumora::conformance {
namespace {

constexpr int kWindowWidth = 240;
constexpr int kWindowHeight = 25;
// Where the three columns lie: x from 2, 64 and 127, each 2 pixels after the last.
constexpr Long kColumnLefts[] = {2, 64, 127};
constexpr Long kColumnWidths[] = {60, 61, 100};

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
    for (Long i = 1; i <= 3; ++i) {
        control.put_RowWidth(i, kColumnWidths[i - 1]);
        control.put_RowCaption(i, u"");
    }
}

Steps With(Steps then) {
    return [then](LumoraListControl& control) {
        ThreeColumns(control);
        then(control);
    };
}

// Column 2 hot, column 1 pressed, then column 3 sorted up (the press
// sorts column 1 first).
void HotPressedAndSorted(LumoraListControl& control) {
    control.MouseMove(0, 0, 90, 10);
    control.MouseDown(1, 0, 30, 10);
    control.put_RowSorted(3, kTrue);
    control.put_SortedRow(3);
}

std::vector<ControlCase> ControlCases() {
    return {
        {"NewControl", [](LumoraListControl& control) { control.put_RowCaption(1, u""); }},
        {"ThreeColumns", With([](LumoraListControl&) {})},
        {"WithoutFrame", With([](LumoraListControl& control) { control.put_ShowFrame(kFalse); })},
        // Column 1 spans x 2 to 61, column 2 x 64 to 124.
        {"PressedColumn1", With([](LumoraListControl& control) { control.MouseDown(1, 0, 30, 10); })},
        {"HotColumn2", With([](LumoraListControl& control) { control.MouseMove(0, 0, 90, 10); })},
        {"HotWithoutFrame", With([](LumoraListControl& control) {
             control.put_ShowFrame(kFalse);
             control.MouseMove(0, 0, 90, 10);
         })},
        {"HotPressedAndSorted", With(HotPressedAndSorted)},
        {"HotPressedAndSortedTall", With([](LumoraListControl& control) {
             control.put_HeaderHeight(40);
             HotPressedAndSorted(control);
         })},
        // Columns narrower than their looks and the sort triangle.
        {"NarrowColumns", With([](LumoraListControl& control) {
             control.put_RowWidth(1, 3);
             control.put_RowWidth(2, 1);
             control.put_RowWidth(3, 9);
             control.put_SortedRow(3);
             control.MouseDown(1, 0, 3, 10);
         })},
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
        // The keyboard's focus cue inverts pixels it reads back from the
        // surface: over the plain look, over the pressed and the hot ones,
        // and in a tall strip.
        {"FocusCueColumn2", With([](LumoraListControl& control) {
             control.GotFocus(true);
             control.KeyDown(kKeyRight, 0);
         })},
        {"FocusCueOnThePressedColumn", With([](LumoraListControl& control) {
             HotPressedAndSorted(control);
             control.GotFocus(true);
         })},
        {"FocusCueOnTheHotColumnTall", With([](LumoraListControl& control) {
             control.put_HeaderHeight(40);
             control.MouseMove(0, 0, 90, 10);
             control.GotFocus(true);
             control.KeyDown(kKeyEnd, 0);
             control.KeyDown(kKeyLeft, 0);
         })},
    };
}

// What a case does with the control, given the site it sits on.
using SiteSteps = std::function<void(ConformanceSite& site, LumoraListControl& control)>;

Capture PaintOn(Backend backend, const SiteSteps& steps) {
    ConformanceSite site(backend, kWindowWidth, kWindowHeight);
    LumoraListControl control(site);
    site.Attach(control);
    control.InitProperties();
    steps(site, control);
    Capture image = site.Image();
    // The window follows HeaderHeight through put_Height and Resize.
    EXPECT_EQ(image.height, control.get_HeaderHeight());
    return image;
}

Capture PaintOn(Backend backend, const Steps& steps) {
    return PaintOn(backend, [&steps](ConformanceSite&, LumoraListControl& control) { steps(control); });
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

// A 16-pixel square bitmap file, 24 bits a pixel: a navy frame and a red
// diagonal on magenta, the control's default mask colour, through which
// the strip shows.
std::string PictureFile() {
    constexpr int kSide = 16;
    constexpr std::uint32_t kRowBytes = kSide * 3;
    constexpr std::uint32_t kHeaders = 14 + 40;
    std::string file;
    const auto put = [&file](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) file.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    file += "BM";
    put(kHeaders + kRowBytes * kSide, 4);
    put(0, 4);
    put(kHeaders, 4);
    for (const std::uint32_t field : {40U, std::uint32_t{kSide}, std::uint32_t{kSide}}) put(field, 4);
    put(1, 2);
    put(24, 2);
    for (int i = 0; i < 6; ++i) put(0, 4);
    // Rows bottom-up, each pixel blue, green, red.
    for (int y = kSide - 1; y >= 0; --y) {
        for (int x = 0; x < kSide; ++x) {
            const bool frame = x == 1 || y == 1 || x == kSide - 2 || y == kSide - 2;
            const COLORREF colour = frame ? RGB(0, 0, 128) : x == y ? RGB(220, 20, 20) : RGB(255, 0, 255);
            put(GetBValue(colour) | GetGValue(colour) << 8 | GetRValue(colour) << 16, 3);
        }
    }
    return file;
}

// The control with pictures in columns 1 and 3, empty captions, then the
// steps, painted on one backend.
Capture PaintWithPictures(Backend backend, const Steps& steps) {
    return PaintOn(backend, [&steps](ConformanceSite& site, LumoraListControl& control) {
        ThreeColumns(control);
        control.putref_RowPicture(1, site.PictureFromFileBytes(PictureFile()));
        control.putref_RowPicture(3, site.PictureFromFileBytes(PictureFile()));
        steps(control);
    });
}

// Pictures drawn through the system's own picture objects and through
// ours must leave the same strip.
TEST(PictureConformance, ColumnPicturesLeaveTheSamePixels) {
    const std::vector<ControlCase> states = {
        {"Plain", [](LumoraListControl&) {}},
        {"PressedColumn1", [](LumoraListControl& control) { control.MouseDown(1, 0, 30, 10); }},
        {"HotColumn3", [](LumoraListControl& control) { control.MouseMove(0, 0, 150, 10); }},
        {"HeaderHeight40", [](LumoraListControl& control) { control.put_HeaderHeight(40); }},
        {"OtherMaskColour", [](LumoraListControl& control) { control.put_MaskColor(RGB(0, 0, 128)); }},
    };
    for (const ControlCase& state : states) {
        const Capture soft = PaintWithPictures(Backend::Soft, state.steps);
        const Capture system = PaintWithPictures(Backend::System, state.steps);
        const bool navyShown = std::count(soft.pixels.begin(), soft.pixels.end(), RGB(0, 0, 128)) > 0;
        const bool redShown = std::count(soft.pixels.begin(), soft.pixels.end(), RGB(220, 20, 20)) > 0;
        EXPECT_TRUE(navyShown || redShown) << state.name << ": no picture was drawn";
        EXPECT_TRUE(SamePixels(soft, system, "Pictures" + state.name));
    }
}

// Captions for the three columns: a word, letters beyond ASCII, and an
// access key after a literal ampersand, which underlines the C.
void Captions(LumoraListControl& control) {
    control.put_RowCaption(1, u"Name");
    control.put_RowCaption(2, u"Gr\u00F6\u00DFe");
    control.put_RowCaption(3, u"Fish && &Chips");
}

Steps WithCaptions(Steps then) {
    return [then](LumoraListControl& control) {
        ThreeColumns(control);
        Captions(control);
        then(control);
    };
}

std::vector<ControlCase> CaptionCases() {
    return {
        {"Plain", WithCaptions([](LumoraListControl&) {})},
        {"WithoutFrame", WithCaptions([](LumoraListControl& control) { control.put_ShowFrame(kFalse); })},
        {"PressedColumn1", WithCaptions([](LumoraListControl& control) { control.MouseDown(1, 0, 30, 10); })},
        {"HotColumn2", WithCaptions([](LumoraListControl& control) { control.MouseMove(0, 0, 90, 10); })},
        {"SortedDown", WithCaptions([](LumoraListControl& control) {
             control.put_RowSorted(3, kFalse);
             control.put_SortedRow(3);
         })},
        {"TwoLines", WithCaptions([](LumoraListControl& control) {
             control.put_HeaderHeight(31);
             control.put_RowCaption(2, u"Datum der Lieferung");
         })},
        {"Bold", WithCaptions([](LumoraListControl& control) { control.put_FontBold(kTrue); })},
    };
}

// The box around every pixel of the column that the captions changed;
// empty when they changed none.
Rect ChangedBox(const Capture& captioned, const Capture& bare, Long left, Long width) {
    Rect box{left + width, captioned.height, left, 0};
    for (int y = 0; y < captioned.height; ++y)
        for (Long x = left; x < left + width; ++x)
            if (captioned.At(x, y) != bare.At(x, y))
                box = Rect{std::min(box.left, x), std::min<Long>(box.top, y), std::max(box.right, x + 1),
                           std::max<Long>(box.bottom, y + 1)};
    return box.left < box.right ? box : Rect{};
}

Rect Union(const Rect& a, const Rect& b) {
    if (a.left >= a.right) return b;
    if (b.left >= b.right) return a;
    return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

Capture Blanked(Capture image, const std::vector<Rect>& areas) {
    for (const Rect& area : areas)
        for (Long y = area.top; y < area.bottom; ++y)
            for (Long x = area.left; x < area.right; ++x)
                image.pixels[static_cast<std::size_t>(y) * image.width + x] = 0;
    return image;
}

// A state with captions painted on both backends, and each column's
// caption area: the box around the pixels its caption changed on either
// backend, against the same state with every caption empty.
struct CaptionedImages {
    Capture soft;
    Capture system;
    std::vector<Rect> areas;
};

CaptionedImages PaintWithCaptions(const Steps& steps) {
    const Steps bare = [&steps](LumoraListControl& control) {
        steps(control);
        for (Long i = 1; i <= 3; ++i) control.put_RowCaption(i, u"");
    };
    CaptionedImages images{PaintOn(Backend::Soft, steps), PaintOn(Backend::System, steps), {}};
    const Capture softBare = PaintOn(Backend::Soft, bare);
    const Capture systemBare = PaintOn(Backend::System, bare);
    for (std::size_t column = 0; column < 3; ++column) {
        const Rect ours = ChangedBox(images.soft, softBare, kColumnLefts[column], kColumnWidths[column]);
        const Rect theirs = ChangedBox(images.system, systemBare, kColumnLefts[column], kColumnWidths[column]);
        EXPECT_LT(ours.left, ours.right) << "our surface drew no caption in column " << column + 1;
        EXPECT_LT(theirs.left, theirs.right) << "the system drew no caption in column " << column + 1;
        images.areas.push_back(Union(ours, theirs));
    }
    return images;
}

class CaptionPaintConformance : public ::testing::TestWithParam<ControlCase> {};

TEST_P(CaptionPaintConformance, SamePixelsOutsideTheCaptions) {
    const CaptionedImages images = PaintWithCaptions(GetParam().steps);
    EXPECT_TRUE(SamePixels(Blanked(images.soft, images.areas), Blanked(images.system, images.areas),
                           "Captions" + GetParam().name));
}

INSTANTIATE_TEST_SUITE_P(Control, CaptionPaintConformance, ::testing::ValuesIn(CaptionCases()),
                         [](const ::testing::TestParamInfo<ControlCase>& info) { return info.param.name; });

// The strip with captions, hot, pressed and sorted, saved for a look side
// by side in LUMORA_CONFORMANCE_IMAGES, or the working directory:
// strip.soft.bmp and strip.system.bmp as painted, and strip.difference.bmp,
// black where they agree, grey over the caption areas and red where they
// differ outside them.
TEST(StripImages, BothBackendsPaintTheSameStripAroundTheCaptions) {
    const CaptionedImages images = PaintWithCaptions(WithCaptions(HotPressedAndSorted));
    const Capture soft = Blanked(images.soft, images.areas);
    const Capture system = Blanked(images.system, images.areas);
    Capture difference = soft;
    for (std::size_t i = 0; i < difference.pixels.size(); ++i)
        difference.pixels[i] = soft.pixels[i] == system.pixels[i] ? RGB(0, 0, 0) : RGB(255, 0, 0);
    for (const Rect& area : images.areas)
        for (Long y = area.top; y < area.bottom; ++y)
            for (Long x = area.left; x < area.right; ++x)
                difference.pixels[static_cast<std::size_t>(y) * difference.width + x] = RGB(128, 128, 128);

    const char* configured = std::getenv("LUMORA_CONFORMANCE_IMAGES");
    const std::filesystem::path folder = configured ? configured : ".";
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(WriteBmp(images.soft, (folder / "strip.soft.bmp").string()));
    EXPECT_TRUE(WriteBmp(images.system, (folder / "strip.system.bmp").string()));
    EXPECT_TRUE(WriteBmp(difference, (folder / "strip.difference.bmp").string()));
    EXPECT_TRUE(SamePixels(soft, system, "Strip"));
}

}  // namespace
}  // namespace lumora::conformance
