// SPDX-License-Identifier: MIT
#include "lumora/platform/DeviceScaleGdi.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "lumora/platform/GdiScoped.h"
#include "lumora/platform/soft/SoftGdi.h"

namespace lumora {
namespace {

constexpr COLORREF kRed = RGB(200, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 200);
constexpr COLORREF kWhite = RGB(255, 255, 255);

TEST(DeviceScaleTest, LinesAreRoundSPixelsAndEdgesTheNearestDevicePixel) {
    struct Case {
        double factor;
        Long lineWidth;
        Long edgeOf25;
        Long lineStartOf24;
    };
    // 1.5 x 25 = 37.5 rounds up; the bottom row's line ends on the image's
    // last pixel.
    for (const Case& c : {Case{1.25, 1, 31, 30}, Case{1.5, 2, 38, 36}, Case{2, 2, 50, 48}, Case{2.5, 3, 63, 60},
                          Case{0.5, 1, 13, 12}}) {
        const DeviceScale scale{c.factor};
        EXPECT_EQ(scale.LineWidth(), c.lineWidth) << c.factor;
        EXPECT_EQ(scale.Edge(25), c.edgeOf25) << c.factor;
        EXPECT_EQ(scale.LineStart(24), c.lineStartOf24) << c.factor;
        EXPECT_LE(scale.LineStart(24) + scale.LineWidth(), scale.Edge(25)) << c.factor;
        EXPECT_EQ(scale.Extent(1) > 0, true) << "no bitmap side shrinks to nothing";
    }
}

// A 40 x 20 image of the control's pixels drawn through the layer.
class DeviceScaleGdiTest : public ::testing::TestWithParam<double> {
protected:
    DeviceScaleGdiTest() : layer(surface, GetParam()) {
        dc.Reset(layer.CreateCompatibleDC(HDC{}));
        const ScopedWindowDC screen(layer, HWND{});
        bitmap.Reset(layer.CreateCompatibleBitmap(screen.get(), 40, 20));
        selection.emplace(layer, dc.get(), bitmap.get());
        Fill(Rect{0, 0, 40, 20}, kWhite);
    }
    ~DeviceScaleGdiTest() override {
        selection.reset();
        bitmap.Reset();
        dc.Reset();
        EXPECT_EQ(surface.LiveObjectsTotal(), 0) << "the layer left an object behind";
    }

    DeviceScale scale() const { return layer.deviceScale(); }
    const soft::SoftBitmap& pixels() const { return *surface.BitmapOf(bitmap.get()); }
    void Fill(const Rect& rect, COLORREF color) {
        const ScopedGdiObject<HBRUSH> brush(layer, layer.CreateSolidBrush(color));
        layer.FillRect(dc.get(), rect, brush.get());
    }
    void Line(Long x1, Long y1, Long x2, Long y2, COLORREF color) {
        const ScopedGdiObject<HPEN> pen(layer, layer.CreatePen(PS_SOLID, 1, color));
        const ScopedSelectObject<HPEN> selected(layer, dc.get(), pen.get());
        layer.MoveToEx(dc.get(), x1, y1, nullptr);
        layer.LineTo(dc.get(), x2, y2);
    }
    // The rows of device column x holding the colour.
    int RowsOf(int x, COLORREF color) const {
        int rows = 0;
        for (int y = 0; y < pixels().height; ++y) rows += pixels().At(x, y) == color;
        return rows;
    }

    soft::SoftGdi surface;
    DeviceScaleGdi layer;
    ScopedMemoryDC dc{layer};
    ScopedGdiObject<HBITMAP> bitmap{layer};
    std::optional<ScopedSelectObject<HBITMAP>> selection;
};

TEST_P(DeviceScaleGdiTest, TheImageHasTheDeviceSizeAndNeighbouringFillsLeaveNoSeam) {
    EXPECT_EQ(pixels().width, scale().Edge(40));
    EXPECT_EQ(pixels().height, scale().Edge(20));
    Fill(Rect{0, 0, 13, 20}, kRed);
    Fill(Rect{13, 0, 27, 20}, kBlue);
    for (int x = 0; x < pixels().width; ++x) {
        const COLORREF expected = x < scale().Edge(13) ? kRed : x < scale().Edge(27) ? kBlue : kWhite;
        ASSERT_EQ(pixels().At(x, 5), expected) << "device column " << x;
    }
}

TEST_P(DeviceScaleGdiTest, AOnePixelLineIsRoundSPixelsThickAndStopsBeforeItsEnd) {
    Line(2, 9, 11, 9, kRed);
    Line(30, 15, 30, 3, kBlue);
    const int across = scale().Edge(5);
    EXPECT_EQ(RowsOf(across, kRed), scale().LineWidth());
    EXPECT_EQ(pixels().At(scale().Edge(11), scale().LineStart(9)), kWhite) << "the end point is not drawn";
    EXPECT_EQ(pixels().At(scale().Edge(11) - 1, scale().LineStart(9)), kRed);
    // Drawn upwards, the line covers rows 4 to 15 and not row 3.
    const int down = scale().LineStart(30);
    EXPECT_EQ(pixels().At(down, scale().Edge(16) - 1), kBlue);
    EXPECT_EQ(pixels().At(down, scale().Edge(4) - 1), kWhite);
    EXPECT_EQ(RowsOf(down, kBlue), scale().Edge(16) - scale().Edge(4));
}

TEST_P(DeviceScaleGdiTest, AFrameHasSidesOfTheLineWidthAndLeavesItsInside) {
    const ScopedGdiObject<HBRUSH> brush(layer, layer.CreateSolidBrush(kRed));
    layer.FrameRect(dc.get(), Rect{4, 2, 20, 12}, brush.get());
    const int middle = scale().Edge(12);
    EXPECT_EQ(RowsOf(middle, kRed), 2 * scale().LineWidth());
    EXPECT_EQ(pixels().At(middle, scale().Edge(7)), kWhite);
    EXPECT_EQ(pixels().At(scale().Edge(4), scale().Edge(7)), kRed);
    EXPECT_EQ(pixels().At(scale().Edge(20) - 1, scale().Edge(7)), kRed);
    EXPECT_EQ(pixels().At(scale().Edge(20), scale().Edge(7)), kWhite);
}

// Captions are measured in the control's pixels: the box the control lays
// out keeps the size and line breaks it has at scale 1, give or take the
// rounding of a pixel and the hinting of the larger face.
TEST_P(DeviceScaleGdiTest, MeasuredTextAnswersInTheControlsPixels) {
    FontDescription font;
    font.name = u"DejaVu Sans";
    const ScopedGdiObject<HFONT> plainFont(surface, surface.CreateFontIndirect(font));
    const ScopedGdiObject<HFONT> scaledFont(layer, layer.CreateFontIndirect(font));
    const ScopedMemoryDC plain(surface, HDC{});
    const ScopedSelectObject<HFONT> plainSelected(surface, plain.get(), plainFont.get());
    const ScopedSelectObject<HFONT> scaledSelected(layer, dc.get(), scaledFont.get());
    for (const std::u16string caption : {u"Name", u"Lange Spaltenbeschriftung", u"Größe"}) {
        Rect atOne{2, 4, 62, 25};
        Rect scaled = atOne;
        const int heightAtOne = surface.DrawTextW(plain.get(), caption.c_str(), -1, &atOne, DT_CALCRECT | DT_WORDBREAK);
        const int height = layer.DrawTextW(dc.get(), caption.c_str(), -1, &scaled, DT_CALCRECT | DT_WORDBREAK);
        // Hinting moves the width of a word by a few per cent, more so for
        // the tiny faces below scale 1; the line count stays.
        const double widthSlack = 2 + (atOne.right - atOne.left) * (GetParam() < 1 ? 0.12 : 0.04);
        EXPECT_NEAR(scaled.right, atOne.right, widthSlack) << std::string(caption.begin(), caption.end());
        EXPECT_NEAR(scaled.bottom, atOne.bottom, 2);
        EXPECT_NEAR(height, heightAtOne, 2);
        EXPECT_EQ(scaled.left, 2);
        EXPECT_EQ(scaled.top, 4);
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, DeviceScaleGdiTest, ::testing::Values(0.5, 1.25, 1.5, 2.0, 3.0),
                         [](const ::testing::TestParamInfo<double>& info) {
                             return "x" + std::to_string(static_cast<int>(info.param * 100));
                         });

}  // namespace
}  // namespace lumora
