// SPDX-License-Identifier: MIT
// The whole paint pass, pixel by pixel, on the headless host's persistent
// image: the plain strip, the column looks, the sort triangle and the
// captions.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "lumora/forms/MemoryPropertyBag.h"
#include "lumora/headless/HeadlessHost.h"
#include "lumora/platform/Font.h"
#include "lumora/platform/GdiScoped.h"
#include "testing/PngOnFailure.h"

namespace lumora {
namespace {

using headless::HeadlessHost;
using soft::SoftBitmap;
using Log = std::vector<std::string>;

constexpr int kWidth = 300;
constexpr int kHeight = 25;
constexpr int kLastX = kWidth - 1;

// The strip's fixed palette and the frame colour of a new control.
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kLowerGrey = RGB(243, 244, 246);
constexpr COLORREF kLineGrey = RGB(213, 213, 213);
constexpr COLORREF kFrame = RGB(105, 105, 105);
// A BackColorForm that nothing else in the strip uses.
constexpr COLORREF kForm = RGB(30, 144, 90);

constexpr COLORREF kPressedUpper = RGB(188, 228, 249);
constexpr COLORREF kPressedLower = RGB(139, 209, 246);
constexpr COLORREF kPressedTopLine = RGB(134, 163, 178);
constexpr COLORREF kPressedSecondLine = RGB(170, 206, 225);
constexpr COLORREF kPressedOuterLine = RGB(80, 145, 175);
constexpr COLORREF kPressedInnerLine = RGB(112, 187, 222);
constexpr COLORREF kHotUpper = RGB(227, 247, 255);
constexpr COLORREF kHotLower = RGB(187, 235, 254);
constexpr COLORREF kHotOutline = RGB(147, 201, 227);
constexpr COLORREF kTip = RGB(154, 203, 230);

// Caption colours, dark enough that on every background of the strip only
// fully covered text pixels come out in exactly this colour.
constexpr COLORREF kText = RGB(0, 64, 0);
constexpr COLORREF kTextActive = RGB(0, 0, 112);
constexpr COLORREF kTextHot = RGB(0, 80, 80);

std::string ColorName(COLORREF color) {
    return "RGB(" + std::to_string(GetRValue(color)) + ", " + std::to_string(GetGValue(color)) + ", " +
           std::to_string(GetBValue(color)) + ")";
}

// ------------------------------------------------------------ setting up

// The strip's columns get these widths and no captions, so every pixel
// drawn is the strip's own.
void UseColumns(HeadlessHost& host, std::initializer_list<Long> widths) {
    Long index = 0;
    for (const Long width : widths) {
        if (++index > host->get_NumberOfRows()) host->AddRow(width);
        host->put_RowWidth(index, width);
        host->put_RowCaption(index, u"");
    }
}

// ------------------------------------------------------------ pixel checks

// An inclusive block of pixels that should all have one colour.
struct Area {
    const char* what;
    int left;
    int top;
    int right;
    int bottom;
    COLORREF color;
};

::testing::AssertionResult AreaIs(const SoftBitmap& image, const Area& area) {
    int wrong = 0;
    std::ostringstream first;
    for (int y = area.top; y <= area.bottom; ++y) {
        for (int x = area.left; x <= area.right; ++x) {
            if (image.Contains(x, y) && image.At(x, y) == area.color) continue;
            if (++wrong <= 3)
                first << " (" << x << ", " << y << ")"
                      << (image.Contains(x, y) ? " is " + ColorName(image.At(x, y)) : " is outside");
        }
    }
    if (wrong == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << area.what << ": " << wrong << " pixel(s) are not " << ColorName(area.color)
                                         << ";" << first.str();
}

void ExpectAreas(const SoftBitmap& image, const std::vector<Area>& areas) {
    for (const Area& area : areas) EXPECT_TRUE(AreaIs(image, area));
}

// One band of whole rows, described left to right: each span starts at x and
// runs up to the next span or to the image's right edge.
struct Span {
    int x;
    COLORREF color;
};
struct Band {
    int firstRow;
    int lastRow;
    std::vector<Span> spans;
};

// Checks every pixel of the image against bands that cover all its rows.
void ExpectBands(const SoftBitmap& image, const std::vector<Band>& bands) {
    int nextRow = 0;
    for (const Band& band : bands) {
        ASSERT_EQ(band.firstRow, nextRow) << "the bands must cover every row";
        ASSERT_EQ(band.spans.front().x, 0);
        for (std::size_t i = 0; i < band.spans.size(); ++i) {
            const Span& span = band.spans[i];
            const int last = i + 1 < band.spans.size() ? band.spans[i + 1].x - 1 : image.width - 1;
            const std::string what = "rows " + std::to_string(band.firstRow) + "-" + std::to_string(band.lastRow) +
                                     ", x " + std::to_string(span.x) + "-" + std::to_string(last);
            EXPECT_TRUE(AreaIs(image, {what.c_str(), span.x, band.firstRow, last, band.lastRow, span.color}));
        }
        nextRow = band.lastRow + 1;
    }
    ASSERT_EQ(nextRow, image.height);
}

// The smallest inclusive box holding every pixel that differs between two
// images of one size; left > right when none does.
struct Box {
    int left = INT_MAX;
    int top = INT_MAX;
    int right = INT_MIN;
    int bottom = INT_MIN;
    friend bool operator==(const Box&, const Box&) = default;
};

std::ostream& operator<<(std::ostream& out, const Box& box) {
    return out << "x " << box.left << ".." << box.right << ", rows " << box.top << ".." << box.bottom;
}

Box ChangedBox(const SoftBitmap& before, const SoftBitmap& after) {
    Box box;
    for (int y = 0; y < after.height; ++y) {
        for (int x = 0; x < after.width; ++x) {
            if (before.At(x, y) == after.At(x, y)) continue;
            box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x), std::max(box.bottom, y)};
        }
    }
    return box;
}

using PixelMap = std::map<std::pair<int, int>, COLORREF>;

// Every pixel that differs between two images, with its new colour.
PixelMap Changes(const SoftBitmap& before, const SoftBitmap& after) {
    PixelMap changes;
    for (int y = 0; y < after.height; ++y)
        for (int x = 0; x < after.width; ++x)
            if (before.At(x, y) != after.At(x, y)) changes[{x, y}] = after.At(x, y);
    return changes;
}

int DifferingPixels(const SoftBitmap& a, const SoftBitmap& b) {
    if (a.width != b.width || a.height != b.height) return INT_MAX;
    return static_cast<int>(Changes(a, b).size());
}

// ------------------------------------------------------------ caption ink

// The pixels of one exact colour: where the text covered them fully.
struct Ink {
    int left = INT_MAX;
    int top = INT_MAX;
    int right = INT_MIN;
    int bottom = INT_MIN;
    int count = 0;
    friend bool operator==(const Ink&, const Ink&) = default;
};

std::ostream& operator<<(std::ostream& out, const Ink& ink) {
    if (ink.count == 0) return out << "no ink";
    return out << ink.count << " pixels in x " << ink.left << ".." << ink.right << ", rows " << ink.top << ".."
               << ink.bottom;
}

// The ink of one colour in the image, moved by (dx, dy) and counted only
// where it lands inside `within`.
Ink InkOf(const SoftBitmap& image, COLORREF color, const Rect& within, int dx = 0, int dy = 0) {
    Ink ink;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const int px = x + dx;
            const int py = y + dy;
            if (image.At(x, y) != color || px < within.left || px >= within.right || py < within.top ||
                py >= within.bottom)
                continue;
            ink = {std::min(ink.left, px), std::min(ink.top, py), std::max(ink.right, px), std::max(ink.bottom, py),
                   ink.count + 1};
        }
    }
    return ink;
}

// A caption as the strip breaks it within a column, drawn alone at (0, 0) in
// the control's font on a white canvas: the oracle for where the pass puts
// its pixels. height is the measured height of all its lines.
struct LoneCaption {
    Long height = 0;
    SoftBitmap canvas;
};

LoneCaption DrawAlone(HeadlessHost& host, const char* text, Long columnWidth, COLORREF color) {
    constexpr int kCanvasWidth = 200;
    constexpr int kCanvasHeight = 80;
    Gdi& gdi = host.surface();
    const ScopedWindowDC screen(gdi, HWND{});
    const ScopedMemoryDC dc(gdi, screen.get());
    const ScopedGdiObject<HBITMAP> bitmap(gdi, gdi.CreateCompatibleBitmap(screen.get(), kCanvasWidth, kCanvasHeight));
    const ScopedSelectObject<HBITMAP> selectedBitmap(gdi, dc.get(), bitmap.get());
    const ScopedGdiObject<HFONT> font(gdi, gdi.CreateFontIndirect(Describe(*host->get_Font())));
    const ScopedSelectObject<HFONT> selectedFont(gdi, dc.get(), font.get());
    {
        const ScopedGdiObject<HBRUSH> white(gdi, gdi.CreateSolidBrush(kWhite));
        gdi.FillRect(dc.get(), Rect{0, 0, kCanvasWidth, kCanvasHeight}, white.get());
    }
    gdi.SetBkMode(dc.get(), TRANSPARENT);
    gdi.SetTextColor(dc.get(), color);
    Rect rect{0, 0, columnWidth, kCanvasHeight};
    gdi.DrawTextA(dc.get(), text, -1, &rect, DT_CALCRECT | DT_WORDBREAK);
    const Long height = rect.bottom;
    rect.bottom = kCanvasHeight;
    gdi.DrawTextA(dc.get(), text, -1, &rect, DT_CENTER | DT_VCENTER | DT_WORDBREAK);
    return {height, *host.surface().BitmapOf(bitmap.get())};
}

// Where a caption's first line starts: measured from two rows below the
// column's top, centred in the header height, then lifted 3 pixels (2 when
// the column is pressed). Halves round to the even neighbour.
Long CaptionTop(Long headerHeight, Long textHeight, Long lift) {
    return 4 + static_cast<Long>(std::nearbyint((headerHeight - textHeight) / 2.0)) - lift;
}

// ------------------------------------------------------------ fixture

// A strip 300 pixels wide with a newly placed control's properties.
class PaintPassTest : public ::testing::Test {
protected:
    PaintPassTest() { host->InitProperties(); }
    ~PaintPassTest() override { test::SavePngOnFailure(&host.image()); }

    void UseColumns(std::initializer_list<Long> widths) { lumora::UseColumns(host, widths); }
    const SoftBitmap& image() { return host.image(); }

    HeadlessHost host{kWidth, kHeight};
};

// ------------------------------------------------------------ the plain strip

TEST_F(PaintPassTest, NewControlPaintsTheDefaultColumnMapRowByRow) {
    host->put_RowCaption(1, u"");
    // The right area starts where a second column would, on the separator's
    // last line, and is white as BackColorForm is.
    ExpectBands(
        image(),
        {{0, 0, {{0, kFrame}}},
         {1, 11, {{0, kFrame}, {1, kWhite}, {63, kLineGrey}, {64, kWhite}, {kLastX, kFrame}}},
         {12, 23, {{0, kFrame}, {1, kLowerGrey}, {62, kWhite}, {63, kLineGrey}, {64, kWhite}, {kLastX, kFrame}}},
         {24, 24, {{0, kFrame}, {1, kLineGrey}, {kLastX, kFrame}}}});
}

TEST_F(PaintPassTest, TwoColumnsLayOutWithSeparatorsAndTheFormColourBeyond) {
    host->put_BackColorForm(kForm);
    UseColumns({60, 100});

    ExpectBands(image(), {{0, 0, {{0, kFrame}}},
                          {1,
                           11,
                           {{0, kFrame},
                            {1, kWhite},
                            {63, kLineGrey},
                            {64, kWhite},
                            {165, kLineGrey},
                            {166, kWhite},
                            {167, kForm},
                            {kLastX, kFrame}}},
                          {12,
                           23,
                           {{0, kFrame},
                            {1, kLowerGrey},
                            {62, kWhite},
                            {63, kLineGrey},
                            {64, kWhite},
                            {65, kLowerGrey},
                            {164, kWhite},
                            {165, kLineGrey},
                            {166, kWhite},
                            {167, kForm},
                            {kLastX, kFrame}}},
                          {24, 24, {{0, kFrame}, {1, kLineGrey}, {kLastX, kFrame}}}});
    EXPECT_EQ(host->RowRects(), (std::vector<Rect>{{}, {2, 2, 62, 25}, {64, 2, 164, 25}}));
}

TEST_F(PaintPassTest, WithoutTheFrameRowZeroAndTheSideColumnsKeepTheBackground) {
    host->put_BackColorForm(kForm);
    UseColumns({60, 100});
    host->put_ShowFrame(kFalse);

    // Row 0 shows where the form colour really starts: the separator's last
    // line begins at row 1.
    ExpectBands(image(),
                {{0, 0, {{0, kWhite}, {166, kForm}}},
                 {1, 11, {{0, kWhite}, {63, kLineGrey}, {64, kWhite}, {165, kLineGrey}, {166, kWhite}, {167, kForm}}},
                 {12,
                  23,
                  {{0, kLowerGrey},
                   {62, kWhite},
                   {63, kLineGrey},
                   {64, kWhite},
                   {65, kLowerGrey},
                   {164, kWhite},
                   {165, kLineGrey},
                   {166, kWhite},
                   {167, kForm}}},
                 {24, 24, {{0, kLineGrey}}}});
}

TEST(PaintPassWithoutColumnsTest, StripShowsTwoTonesUpToXOneAndTheFormColourFromXTwo) {
    HeadlessHost host(kWidth, kHeight);
    forms::MemoryPropertyBag emptyForm;
    host->ReadProperties(emptyForm);
    host->put_FrameColor(kFrame);
    host->put_BackColorForm(kForm);
    ASSERT_EQ(host->get_NumberOfRows(), 0);

    ExpectBands(host.image(), {{0, 0, {{0, kFrame}}},
                               {1, 11, {{0, kFrame}, {1, kWhite}, {2, kForm}, {kLastX, kFrame}}},
                               {12, 23, {{0, kFrame}, {1, kLowerGrey}, {2, kForm}, {kLastX, kFrame}}},
                               {24, 24, {{0, kFrame}, {1, kLineGrey}, {kLastX, kFrame}}}});
    EXPECT_TRUE(host->RowRects().empty());
    test::SavePngOnFailure(&host.image());
}

TEST(PaintPassWithoutColumnsTest, PassKeepsTheRectanglesOfTheLastStripWithColumns) {
    // Loading a form without columns into a control that painted one is the
    // one way a painted strip loses all its columns.
    HeadlessHost host(kWidth, kHeight);
    host->InitProperties();
    const std::vector<Rect> painted = host->RowRects();
    ASSERT_EQ(painted, (std::vector<Rect>{{}, {2, 2, 62, 25}}));

    forms::MemoryPropertyBag emptyForm;
    host->ReadProperties(emptyForm);
    host.TakeLog();
    host->DrawTab();

    EXPECT_EQ(host.TakeLog(), Log{"Refresh"});
    EXPECT_EQ(host->get_NumberOfRows(), 0);
    EXPECT_EQ(host->RowRects(), painted);
}

struct SplitCase {
    Long headerHeight;
    int firstLowerRow;
    friend void PrintTo(const SplitCase& c, std::ostream* out) { *out << "HeaderHeight " << c.headerHeight; }
};

class BackgroundSplitTest : public PaintPassTest, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(BackgroundSplitTest, StripAndLooksChangeToneAtHalfTheHeaderHeight) {
    const Long hh = GetParam().headerHeight;
    const int split = GetParam().firstLowerRow;
    host->put_ShowSortPic(kFalse);
    host->put_HeaderHeight(hh);
    UseColumns({60, 100, 40});
    ASSERT_EQ(image().height, hh);

    // Column 3 (x 166 to 205) stays plain; column 1 is pressed, column 2 hot.
    host.PressMouse(30, 10);
    host.MoveMouse(100, 10, 1);
    ExpectAreas(image(), {
                             {"plain upper", 167, 1, 205, split - 1, kWhite},
                             {"plain lower", 167, split, 205, hh - 2, kLowerGrey},
                             {"plain bottom line", 167, hh - 1, 205, hh - 1, kLineGrey},
                             {"pressed upper", 3, 3, 62, split - 1, kPressedUpper},
                             {"pressed lower", 3, split, 62, hh - 2, kPressedLower},
                             {"bottom line under the pressed column", 1, hh - 1, 62, hh - 1, kLineGrey},
                             {"hot upper", 64, 1, 164, split - 1, kHotUpper},
                             {"hot lower", 64, split, 164, hh - 2, kHotLower},
                             {"hot outline's bottom edge", 63, hh - 1, 165, hh - 1, kHotOutline},
                         });
}

INSTANTIATE_TEST_SUITE_P(HalvesRoundToEven, BackgroundSplitTest,
                         ::testing::Values(SplitCase{25, 12}, SplitCase{26, 13}, SplitCase{27, 14}),
                         [](const auto& info) { return "HeaderHeight" + std::to_string(info.param.headerHeight); });

TEST_F(PaintPassTest, HostResizeSnapsBackToTheHeaderHeight) {
    host.SetClientSize(kWidth, 40);
    EXPECT_EQ(image().height, kHeight);
    EXPECT_EQ(image().At(1, kHeight - 1), kLineGrey);
}

TEST_F(PaintPassTest, StripLargerThanAnImageHoldsDrawsItsTopRowsAndKeepsItsSize) {
    // 20,000 by 2,000: 40 million pixels, more than an image's 16 Mi.
    host->put_HeaderHeight(2000);
    host.SetClientSize(20000, 2000);
    EXPECT_EQ(host->get_HeaderHeight(), 2000);
    EXPECT_EQ(host.clientRect().right, 20000);
    EXPECT_EQ(host.clientRect().bottom, 2000);
    EXPECT_TRUE(host.imageCut());
    EXPECT_EQ(image().width, 20000);
    EXPECT_EQ(image().height, 16777216 / 20000);
    EXPECT_EQ(image().At(0, 0), kFrame);
    // At a usual height the image holds the whole strip again.
    host->put_HeaderHeight(kHeight);
    EXPECT_FALSE(host.imageCut());
    EXPECT_EQ(image().height, kHeight);
}

TEST_F(PaintPassTest, BottomAlignmentPaintsNothingAndKeepsTheRectangles) {
    UseColumns({60, 100});
    const SoftBitmap shown = image();
    const std::vector<Rect> rects = host->RowRects();
    host->put_Alignment(reg_Bottom);
    host.TakeLog();

    host->put_RowWidth(1, 90);
    host->put_BackColorForm(kForm);
    host->AddRow();
    host->DrawTab();

    EXPECT_EQ(host.RefreshCount(), 0);
    EXPECT_EQ(DifferingPixels(image(), shown), 0);
    EXPECT_EQ(host->RowRects(), rects);
}

// ------------------------------------------------------------ column looks

// Column 2 of a strip of widths 60 and 100: L = 64, R = 164.
constexpr int kL = 64;
constexpr int kR = 164;

struct PressedCase {
    const char* name;
    std::function<void(HeadlessHost&)> press;
    friend void PrintTo(const PressedCase& c, std::ostream* out) { *out << c.name; }
};

class PressedLookTest : public PaintPassTest, public ::testing::WithParamInterface<PressedCase> {};

TEST_P(PressedLookTest, CoversOnePixelLeftOfTheColumnToItsSeparatorAndRowsOneToTwentyThree) {
    host->put_ShowSortPic(kFalse);
    UseColumns({60, 100});
    const SoftBitmap plain = image();

    GetParam().press(host);
    ASSERT_EQ(host->get_SelectedRow(), 2);
    EXPECT_EQ(ChangedBox(plain, image()), (Box{kL - 1, 1, kR + 1, kHeight - 2}));
    ExpectAreas(image(),
                {
                    {"outer left line over the neighbour's grey line", kL - 1, 1, kL - 1, 23, kPressedOuterLine},
                    {"outer right line over its own grey line", kR + 1, 1, kR + 1, 23, kPressedOuterLine},
                    {"top line", kL, 1, kR, 1, kPressedTopLine},
                    {"inner left line", kL, 2, kL, 23, kPressedInnerLine},
                    {"second line", kL + 1, 2, kR, 2, kPressedSecondLine},
                    {"upper fill", kL + 1, 3, kR, 11, kPressedUpper},
                    {"lower fill", kL + 1, 12, kR, 23, kPressedLower},
                });
}

INSTANTIATE_TEST_SUITE_P(PressedColumn, PressedLookTest,
                         ::testing::Values(PressedCase{"PressedOnly",
                                                       [](HeadlessHost& host) { host.PressMouse(100, 10); }},
                                           // A column that is pressed and hot shows only the pressed look.
                                           PressedCase{"PressedAndHot",
                                                       [](HeadlessHost& host) {
                                                           host.MoveMouse(100, 10);
                                                           host.PressMouse(100, 10);
                                                           ASSERT_EQ(host->HotRow(), 2);
                                                       }}),
                         [](const auto& info) { return std::string(info.param.name); });

struct HotCase {
    const char* name;
    Boolean showFrame;
    COLORREF topRow;
    int firstChangedRow;
    friend void PrintTo(const HotCase& c, std::ostream* out) { *out << c.name; }
};

class HotLookTest : public PaintPassTest, public ::testing::WithParamInterface<HotCase> {};

TEST_P(HotLookTest, OutlinesTheColumnAndReplacesTheBottomLineUnderIt) {
    host->put_BackColorForm(kForm);
    host->put_ShowFrame(GetParam().showFrame);
    UseColumns({60, 100});
    const SoftBitmap plain = image();

    host.MoveMouse(100, 10);
    ASSERT_EQ(host->HotRow(), 2);
    EXPECT_EQ(ChangedBox(plain, image()), (Box{kL - 1, GetParam().firstChangedRow, kR + 1, kHeight - 1}));
    ExpectAreas(image(), {
                             {"outline's top edge", kL - 1, 0, kR + 1, 0, GetParam().topRow},
                             {"outline's left edge", kL - 1, 1, kL - 1, 24, kHotOutline},
                             {"outline's right edge", kR + 1, 1, kR + 1, 24, kHotOutline},
                             {"outline's bottom edge", kL, 24, kR, 24, kHotOutline},
                             {"upper fill", kL, 1, kR, 11, kHotUpper},
                             {"lower fill", kL, 12, kR, 23, kHotLower},
                         });
}

INSTANTIATE_TEST_SUITE_P(Frame, HotLookTest,
                         ::testing::Values(
                             // The outline's top edge disappears under the frame line.
                             HotCase{"UnderTheFrame", kTrue, kFrame, 1},
                             HotCase{"WithoutFrame", kFalse, kHotOutline, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PaintPassTest, HotOutlinePaintsOverThePressedNeighboursRightEdge) {
    host->put_ShowSortPic(kFalse);
    UseColumns({60, 100});
    host.PressMouse(30, 10);
    host.MoveMouse(100, 10, 1);
    ASSERT_EQ(host->get_SelectedRow(), 1);
    ASSERT_EQ(host->HotRow(), 2);

    ExpectAreas(image(), {
                             {"shared edge", 63, 1, 63, 24, kHotOutline},
                             {"pressed fill up to its separator", 62, 3, 62, 11, kPressedUpper},
                             {"pressed outer left line", 1, 1, 1, 23, kPressedOuterLine},
                         });
}

// ------------------------------------------------------------ sort triangle

// The colour of band k of a gradient, counted from its near end: the first
// two bands are the near colour, each further one a step nearer the far
// colour, which is never reached.
COLORREF GradientBand(COLORREF farColor, COLORREF nearColor, int size, int k) {
    const int steps = std::max(k - 1, 0);
    COLORREF color = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const double from = (nearColor >> shift) & 0xFF;
        const double to = (farColor >> shift) & 0xFF;
        color |= static_cast<COLORREF>(std::nearbyint(from + steps * (to - from) / size)) << shift;
    }
    return color;
}

struct SortCase {
    const char* name;
    Long width;
    Boolean rowSort;
    // mid(3), mid(2), mid(1) for a column from x = 2: R - width / 2 + k,
    // rounded half to even.
    int mids[3];
    // Rows of the long, middle and short row and of the tip.
    int rows[4];
    friend void PrintTo(const SortCase& c, std::ostream* out) { *out << c.name; }
};

// Long, middle and short row: gradient size and colours.
struct TriangleRow {
    int size;
    COLORREF farColor;
    COLORREF nearColor;
};
constexpr TriangleRow kTriangleRows[3] = {
    {7, RGB(60, 94, 114), RGB(154, 199, 224)},
    {5, RGB(82, 139, 171), RGB(196, 227, 244)},
    {3, RGB(103, 172, 211), RGB(196, 227, 244)},
};

// Each row ends one pixel left of its mid and runs size + 1 pixels; the tip
// sits over (or under) the short row's second pixel.
PixelMap Triangle(const SortCase& sort) {
    PixelMap pixels;
    for (int row = 0; row < 3; ++row) {
        const TriangleRow& look = kTriangleRows[row];
        for (int k = 0; k <= look.size; ++k) {
            const int x = sort.mids[row] - 1 - k;
            if (x >= 0) pixels[{x, sort.rows[row]}] = GradientBand(look.farColor, look.nearColor, look.size, k);
        }
    }
    pixels[{sort.mids[2] - 3, sort.rows[3]}] = kTip;
    return pixels;
}

class SortTriangleTest : public PaintPassTest, public ::testing::WithParamInterface<SortCase> {};

TEST_P(SortTriangleTest, PaintsExactlyTheTrianglesPixels) {
    host->put_BackColorForm(kForm);
    UseColumns({GetParam().width, 50});
    host->put_RowSorted(1, GetParam().rowSort);
    const SoftBitmap unsorted = image();

    host->put_SortedRow(1);
    EXPECT_EQ(Changes(unsorted, image()), Triangle(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Column, SortTriangleTest,
                         ::testing::Values(SortCase{"Width60Up", 60, kTrue, {35, 34, 33}, {6, 5, 4, 3}},
                                           SortCase{"Width60Down", 60, kFalse, {35, 34, 33}, {3, 4, 5, 6}},
                                           // Odd widths put the middle on a half: 35.5 and 33.5 round
                                           // up, 34.5 down.
                                           SortCase{"Width61Up", 61, kTrue, {36, 34, 34}, {6, 5, 4, 3}},
                                           SortCase{"Width61Down", 61, kFalse, {36, 34, 34}, {3, 4, 5, 6}},
                                           // Not clipped to the column: over the frame and the
                                           // separator.
                                           SortCase{"Width4Up", 4, kTrue, {7, 6, 5}, {6, 5, 4, 3}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PaintPassTest, NoTriangleWithoutSortPictureOrSortedColumn) {
    UseColumns({60, 100});
    host->put_RowSorted(1, kTrue);
    host->put_RowSorted(2, kTrue);
    ASSERT_EQ(host->get_SortedRow(), 0);
    const SoftBitmap unsorted = image();

    host->put_ShowSortPic(kFalse);
    host->put_SortedRow(1);
    EXPECT_EQ(DifferingPixels(image(), unsorted), 0) << "ShowSortPic False";
    host->put_ShowSortPic(kTrue);
    EXPECT_NE(DifferingPixels(image(), unsorted), 0) << "the triangle shows once it is allowed";
    host->put_SortedRow(0);
    EXPECT_EQ(DifferingPixels(image(), unsorted), 0) << "SortedRow 0";
}

TEST_F(PaintPassTest, PressingAColumnSortsItAndTheTriangleFlipsWithEachPress) {
    UseColumns({60, 100});
    host.PressMouse(30, 10);
    host.ReleaseMouse(30, 10);
    EXPECT_EQ(image().At(30, 3), kTip) << "first press: ascending, tip on row 3";
    host.PressMouse(30, 10);
    host.ReleaseMouse(30, 10);
    EXPECT_EQ(image().At(30, 6), kTip) << "second press: descending, tip on row 6";
    EXPECT_EQ(image().At(30, 3), GradientBand(RGB(60, 94, 114), RGB(154, 199, 224), 7, 4));
}

// ------------------------------------------------------------ captions

struct CaptionCase {
    const char* name;
    std::function<void(HeadlessHost&)> enter;  // puts column 1 in the state
    COLORREF color;
    Long lift;
    friend void PrintTo(const CaptionCase& c, std::ostream* out) { *out << c.name; }
};

class CaptionTest : public PaintPassTest, public ::testing::WithParamInterface<CaptionCase> {
protected:
    CaptionTest() {
        host->put_ForeColor(kText);
        host->put_ForeColorActive(kTextActive);
        host->put_ForeColorHot(kTextHot);
    }
};

TEST_P(CaptionTest, SitsEightPixelsInAtItsStatesHeightAndColour) {
    UseColumns({60, 100});
    host->put_RowCaption(1, u"Name");
    host->put_RowCaption(2, u"Wert");
    GetParam().enter(host);

    const Rect firstColumn{2, 0, 64, kHeight};
    const Rect secondColumn{64, 0, kWidth, kHeight};
    const LoneCaption name = DrawAlone(host, "Name", 60, GetParam().color);
    const Ink expected =
        InkOf(name.canvas, GetParam().color, firstColumn, 2 + 8, CaptionTop(kHeight, name.height, GetParam().lift));
    ASSERT_GT(expected.count, 0);
    EXPECT_EQ(InkOf(image(), GetParam().color, firstColumn), expected);
    for (const COLORREF other : {kText, kTextActive, kTextHot}) {
        if (other == GetParam().color) continue;
        EXPECT_EQ(InkOf(image(), other, firstColumn).count, 0) << "no ink in " << ColorName(other);
    }

    // The neighbour stays a plain caption.
    const LoneCaption value = DrawAlone(host, "Wert", 100, kText);
    const Ink plain = InkOf(value.canvas, kText, secondColumn, 64 + 8, CaptionTop(kHeight, value.height, 3));
    ASSERT_GT(plain.count, 0);
    EXPECT_EQ(InkOf(image(), kText, secondColumn), plain);
}

INSTANTIATE_TEST_SUITE_P(
    State, CaptionTest,
    ::testing::Values(CaptionCase{"Plain", [](HeadlessHost&) {}, kText, 3},
                      CaptionCase{"Pressed", [](HeadlessHost& host) { host.PressMouse(30, 10); }, kTextActive, 2},
                      CaptionCase{"Hot", [](HeadlessHost& host) { host.MoveMouse(30, 10); }, kTextHot, 3},
                      CaptionCase{"PressedAndHot",
                                  [](HeadlessHost& host) {
                                      host.MoveMouse(30, 10);
                                      host.PressMouse(30, 10);
                                  },
                                  kTextActive, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PaintPassTest, PressedCaptionSitsOnePixelLowerThanUnpressed) {
    host->put_ForeColor(kText);
    host->put_ForeColorActive(kText);
    host->put_RowCaption(1, u"Name");
    const Rect column{2, 0, 64, kHeight};
    const Ink unpressed = InkOf(image(), kText, column);
    ASSERT_GT(unpressed.count, 0);

    host.PressMouse(30, 10);
    const Ink pressed = InkOf(image(), kText, column);
    EXPECT_EQ(pressed.top, unpressed.top + 1);
    EXPECT_EQ(pressed.bottom, unpressed.bottom + 1);
    EXPECT_EQ(pressed.left, unpressed.left);
    EXPECT_EQ(pressed.count, unpressed.count);
}

TEST_F(PaintPassTest, TwoLineCaptionStartsAtRowOneAndRunsBelowTheStrip) {
    host->put_ForeColor(kText);
    UseColumns({40});
    host->put_RowCaption(1, u"Name Wert");
    const LoneCaption caption = DrawAlone(host, "Name Wert", 40, kText);
    const Long oneLine = DrawAlone(host, "Name", 40, kText).height;
    ASSERT_EQ(caption.height, 2 * oneLine) << "the caption breaks into two lines";

    // One pixel less than the text's height: the centring offset is -0.5,
    // which rounds to 0, so the text starts at 4 - 3 = row 1.
    host->put_HeaderHeight(caption.height - 1);
    ASSERT_EQ(CaptionTop(caption.height - 1, caption.height, 3), 1);
    const Rect strip{0, 0, kWidth, image().height};
    const Ink ink = InkOf(image(), kText, strip);
    ASSERT_GT(ink.count, 0);
    EXPECT_EQ(ink, InkOf(caption.canvas, kText, strip, 2 + 8, 1));
    EXPECT_GT(ink.bottom, image().height - oneLine) << "the second line is drawn";
}

// ------------------------------------------------------------ resources

TEST_F(PaintPassTest, PassLeavesNoDrawingObjectAlive) {
    UseColumns({60, 100});
    host->put_RowCaption(1, u"&Name");
    host->put_RowCaption(2, u"Wert und mehr");
    const int live = host.surface().LiveObjectsTotal();

    const std::pair<const char*, std::function<void()>> passes[] = {
        {"plain", [&] { host->DrawTab(); }},
        {"pressed and sorted", [&] { host.PressMouse(30, 10); }},
        {"hot beside pressed", [&] { host.MoveMouse(100, 10, 1); }},
        {"released", [&] { host.ReleaseMouse(100, 10); }},
        {"without frame", [&] { host->put_ShowFrame(kFalse); }},
        {"sorted column beyond the strip", [&] { host->put_SortedRow(9); }},
    };
    for (const auto& [what, pass] : passes) {
        pass();
        EXPECT_EQ(host.surface().LiveObjectsTotal(), live) << what;
    }
}

// ------------------------------------------------------------ vanished columns

// Column 3 of three columns of width 60: L = 126, R = 186.
struct VanishedCase {
    const char* name;
    std::function<void(HeadlessHost&)> giveLook;
    int x;
    int y;
    COLORREF color;  // a pixel only this look paints there
    friend void PrintTo(const VanishedCase& c, std::ostream* out) { *out << c.name; }
};

class VanishedColumnTest : public PaintPassTest, public ::testing::WithParamInterface<VanishedCase> {};

TEST_P(VanishedColumnTest, LookOfADeletedColumnIsLeftOutUntilTheColumnReturns) {
    UseColumns({60, 60, 60});
    GetParam().giveLook(host);
    ASSERT_EQ(image().At(GetParam().x, GetParam().y), GetParam().color) << "the look before";

    host.TakeLog();
    EXPECT_NO_THROW(host->DeleteRow());
    EXPECT_EQ(host.TakeLog(), (Log{"PropertyChanged NumberOfRows", "Refresh"}));
    HeadlessHost twoColumns(kWidth, kHeight);
    twoColumns->InitProperties();
    lumora::UseColumns(twoColumns, {60, 60});
    EXPECT_EQ(DifferingPixels(image(), twoColumns.image()), 0) << "a plain strip of two columns";

    EXPECT_NO_THROW(host->AddRow());
    EXPECT_EQ(image().At(GetParam().x, GetParam().y), GetParam().color) << "the look returns with the column";
}

INSTANTIATE_TEST_SUITE_P(
    Look, VanishedColumnTest,
    ::testing::Values(VanishedCase{"Pressed", [](HeadlessHost& host) { host.PressMouse(150, 10); }, 125, 5,
                                   kPressedOuterLine},
                      VanishedCase{"Hot", [](HeadlessHost& host) { host.MoveMouse(150, 10); }, 130, 24, kHotOutline},
                      // Descending, as a returning column is: the tip under the short row.
                      VanishedCase{"Sorted", [](HeadlessHost& host) { host->put_SortedRow(3); }, 154, 6, kTip}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PaintPassTest, SortedColumnWrittenBeyondTheStripShowsNoTriangle) {
    UseColumns({60, 60, 60});
    const SoftBitmap unsorted = image();
    host.TakeLog();

    EXPECT_NO_THROW(host->put_SortedRow(9));
    EXPECT_EQ(host.TakeLog(), (Log{"PropertyChanged SortedRow", "Refresh"}));
    EXPECT_EQ(DifferingPixels(image(), unsorted), 0);
}

}  // namespace
}  // namespace lumora
