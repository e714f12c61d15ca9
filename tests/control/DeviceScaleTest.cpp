// SPDX-License-Identifier: MIT
//
// The strip on a screen that shows its pixels larger: the image takes device
// pixels while the control, its layout and its events keep their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "lumora/headless/HeadlessHost.h"
#include "lumora/platform/soft/SoftPicture.h"
#include "testing/PngOnFailure.h"

namespace lumora {
namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 25;
constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kGreen = RGB(0, 160, 0);
constexpr COLORREF kBlue = RGB(0, 0, 200);
// The strip's two background tones.
constexpr COLORREF kUpper = RGB(255, 255, 255);
constexpr COLORREF kLower = RGB(243, 244, 246);

int Rounded(double value) { return static_cast<int>(std::floor(value + 0.5)); }

class DeviceScaleTest : public ::testing::Test {
protected:
    ~DeviceScaleTest() override { test::SavePngOnFailure(&host().image()); }

    // A fresh host at the scale, three captioned columns, the middle one
    // sorted, the log emptied.
    headless::HeadlessHost& Strip(double scale) {
        host_.emplace(kWidth, kHeight);
        host_->SetDeviceScale(scale);
        host().control().InitProperties();
        host()->put_RowCaption(1, u"Name");
        host()->AddRow(80, u"Größe");
        host()->AddRow(90, u"Datum");
        host()->put_SortedRow(2);
        host().TakeLog();
        return host();
    }
    headless::HeadlessHost& host() { return *host_; }

    // A picture of 16 x 16: a magenta border, the mask colour, around a
    // checkerboard of green and blue.
    PicturePtr Checkerboard() {
        soft::SoftBitmap pixels(16, 16, 32, kMagenta);
        for (int y = 2; y < 14; ++y)
            for (int x = 2; x < 14; ++x) pixels.At(x, y) = (x + y) % 2 ? kGreen : kBlue;
        return soft::SoftPicture::Bitmap(host().sharedSurface(), pixels);
    }

    std::optional<headless::HeadlessHost> host_;
};

TEST_F(DeviceScaleTest, TheImageIsRoundSTimesTheWindowAndAClickPressesTheSameColumn) {
    std::vector<std::string> atOne;
    for (const double scale : {1.0, 1.25, 1.5, 2.0}) {
        headless::HeadlessHost& strip = Strip(scale);
        EXPECT_EQ(strip.image().width, Rounded(scale * kWidth)) << scale;
        EXPECT_EQ(strip.image().height, Rounded(scale * kHeight)) << scale;
        strip.MoveMouse(140, 12);
        strip.PressMouse(140, 12);
        strip.ReleaseMouse(140, 12);
        std::vector<std::string> events = strip.TakeLog();
        std::erase(events, "Refresh");
        if (scale == 1.0) {
            atOne = events;
            EXPECT_TRUE(std::any_of(atOne.begin(), atOne.end(),
                                    [](const std::string& line) { return line.starts_with("RowPressed 0 2 "); }));
        } else {
            EXPECT_EQ(events, atOne) << "at " << scale;
        }
    }
}

TEST_F(DeviceScaleTest, APassWithPicturesLeavesNoDrawingObjectBehind) {
    for (const double scale : {0.5, 1.5, 2.0, 3.0}) {
        headless::HeadlessHost& strip = Strip(scale);
        strip->putref_RowPicture(1, Checkerboard());
        strip.MoveMouse(140, 12);
        strip.PressMouse(140, 12);
        const int before = strip.surface().LiveObjectsTotal();
        strip->DrawTab();
        EXPECT_EQ(strip.surface().LiveObjectsTotal(), before) << scale;
    }
}

// Fills meet on whole device pixels: between the two tones of the strip no
// row of the window's colour shows through, at any scale.
TEST_F(DeviceScaleTest, TheBackgroundTonesMeetWithoutASeam) {
    for (const double scale : {1.25, 1.5, 2.0}) {
        headless::HeadlessHost& strip = Strip(scale);
        strip->put_RowCaption(3, u"");
        // Inside the captionless third column, below the frame and above the
        // bottom line.
        const int x = Rounded(scale * 230);
        const int top = Rounded(scale * 3);
        const int bottom = Rounded(scale * 23);
        for (int y = top; y < bottom; ++y) {
            const COLORREF pixel = strip.image().At(x, y);
            ASSERT_TRUE(pixel == kUpper || pixel == kLower) << "scale " << scale << ", device row " << y;
        }
    }
}

TEST_F(DeviceScaleTest, AtWholeScalesAPictureRepeatsEachPixel) {
    headless::HeadlessHost& strip = Strip(2.0);
    const PicturePtr picture = Checkerboard();
    strip->putref_RowPicture(1, picture);
    const soft::SoftBitmap& source = *strip.surface().BitmapOf(HBITMAP{picture->get_Handle()});
    // At scale 1 the picture's top left is at (6, 6).
    for (int y = 2; y < 14; ++y)
        for (int x = 2; x < 14; ++x)
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx)
                    ASSERT_EQ(strip.image().At(12 + 2 * x + dx, 12 + 2 * y + dy), source.At(x, y))
                        << "picture pixel " << x << "," << y;
}

// Smoothing a picture to a fractional size must not blend in the mask
// colour: its transparent border would come back as a pink fringe.
TEST_F(DeviceScaleTest, AtFractionalScalesNoMaskColourFringesThePicture) {
    for (const double scale : {0.5, 1.25, 1.5}) {
        headless::HeadlessHost& strip = Strip(scale);
        strip->putref_RowPicture(1, Checkerboard());
        const soft::SoftBitmap& image = strip.image();
        int pictureInk = 0;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < Rounded(scale * 60); ++x) {
                const COLORREF pixel = image.At(x, y);
                ASSERT_FALSE(GetRValue(pixel) > 96 && GetBValue(pixel) > 96 && GetGValue(pixel) < 64)
                    << "a pinkish pixel at " << x << "," << y << " at " << scale;
                pictureInk += GetRValue(pixel) < 64 && (GetGValue(pixel) > 64 || GetBValue(pixel) > 64);
            }
        }
        EXPECT_GT(pictureInk, Rounded(scale * scale * 12 * 12 / 2)) << "the picture is there at " << scale;
    }
}

// The ink of the captions in device rows: top and bottom.
std::pair<int, int> InkRows(const soft::SoftBitmap& image, int x0, int x1) {
    int top = image.height, bottom = -1;
    for (int y = 0; y < image.height; ++y)
        for (int x = x0; x < x1; ++x)
            if (GetRValue(image.At(x, y)) < 100 && GetGValue(image.At(x, y)) < 100 && GetBValue(image.At(x, y)) < 100) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return {top, bottom};
}

TEST_F(DeviceScaleTest, AtScaleTwoTextIsDrawnLargerNotEnlarged) {
    Strip(1.0);
    const soft::SoftBitmap atOne = host().image();
    const auto [oneTop, oneBottom] = InkRows(atOne, 2, 62);
    headless::HeadlessHost& strip = Strip(2.0);
    const auto [top, bottom] = InkRows(strip.image(), 4, 124);
    const double ratio = static_cast<double>(bottom - top + 1) / (oneBottom - oneTop + 1);
    EXPECT_GT(ratio, 1.7);
    EXPECT_LT(ratio, 2.3);
    int differences = 0;
    for (int y = 0; y < atOne.height; ++y)
        for (int x = 0; x < atOne.width; ++x)
            for (int d = 0; d < 4; ++d) differences += strip.image().At(2 * x + d % 2, 2 * y + d / 2) != atOne.At(x, y);
    EXPECT_GT(differences, 100) << "the image is more than the image at scale 1 with its pixels doubled";
}

// The sort triangle is drawn on the device's pixels: at scale 2 its rows
// narrow towards the tip one device row at a time, not in pairs.
TEST_F(DeviceScaleTest, TheSortTriangleNarrowsRowByRowOnTheDevice) {
    headless::HeadlessHost& strip = Strip(2.0);
    // Column 2 spans 64..144; the triangle sits near its middle, rows 3 to 6.
    std::vector<int> widths;
    for (int y = 6; y < 14; ++y) {
        int width = 0;
        for (int x = 2 * 64; x < 2 * 144; ++x) {
            const COLORREF pixel = strip.image().At(x, y);
            width += pixel != kUpper && pixel != kLower && GetBValue(pixel) > GetRValue(pixel) + 30;
        }
        widths.push_back(width);
    }
    if (widths.front() > widths.back()) std::reverse(widths.begin(), widths.end());
    EXPECT_GE(widths.front(), 1) << "the tip";
    EXPECT_GE(widths.back(), 14) << "the base, eight pixels of the control's";
    int changes = 0;
    for (std::size_t i = 1; i < widths.size(); ++i) {
        EXPECT_GE(widths[i], widths[i - 1]) << "device row " << i;
        changes += widths[i] != widths[i - 1];
    }
    EXPECT_GE(changes, 5);
}

}  // namespace
}  // namespace lumora
