// SPDX-License-Identifier: MIT
#include "lumora/platform/soft/SoftGdi.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <set>
#include <utility>
#include <vector>

#include "lumora/platform/soft/SoftRaster.h"

namespace lumora::soft {
namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kInk = RGB(10, 20, 30);
constexpr COLORREF kGrey = RGB(128, 128, 128);

using Pixels = std::set<std::pair<int, int>>;

// A memory DC with its own bitmap, filled with one colour.
struct Canvas {
    SoftGdi& gdi;
    HDC dc;
    HBITMAP bitmap;
    HBITMAP stock;

    Canvas(SoftGdi& g, int width, int height, bool mono, COLORREF fill = kWhite)
        : gdi(g), dc(g.CreateCompatibleDC(HDC{})), bitmap(g.CreateBitmap(width, height, 1, mono ? 1 : 32, nullptr)) {
        stock = gdi.SelectObject(dc, bitmap);
        Paint(Rect{0, 0, width, height}, fill);
    }
    ~Canvas() {
        gdi.SelectObject(dc, stock);
        gdi.DeleteObject(bitmap);
        gdi.DeleteDC(dc);
    }
    void Paint(const Rect& rect, COLORREF color) {
        const HBRUSH brush = gdi.CreateSolidBrush(color);
        gdi.FillRect(dc, rect, brush);
        gdi.DeleteObject(brush);
    }
    void Line(Point from, Point to, COLORREF color) {
        const HPEN pen = gdi.CreatePen(PS_SOLID, 1, color);
        const HPEN old = gdi.SelectObject(dc, pen);
        gdi.MoveToEx(dc, from.x, from.y, nullptr);
        gdi.LineTo(dc, to.x, to.y);
        gdi.DeleteObject(gdi.SelectObject(dc, old));
    }
    COLORREF At(int x, int y) const { return gdi.GetPixel(dc, x, y); }
    Pixels Where(COLORREF color) const {
        Pixels found;
        for (int y = 0; y < gdi.SurfaceOf(dc)->height; ++y)
            for (int x = 0; x < gdi.SurfaceOf(dc)->width; ++x)
                if (At(x, y) == color) found.emplace(x, y);
        return found;
    }
};

Pixels Box(int left, int top, int right, int bottom) {
    Pixels box;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) box.emplace(x, y);
    return box;
}

// ---- Rectangles -------------------------------------------------------------

TEST(SoftGdiFill, FillRectCoversLeftAndTopOnlyAndMirrorsNegativeExtents) {
    const std::pair<Rect, Pixels> cases[] = {
        {{1, 2, 4, 5}, Box(1, 2, 4, 5)},
        {{-3, -3, 2, 1}, Box(0, 0, 2, 1)},
        {{3, 1, 3, 4}, {}},
        {{1, 3, 5, 3}, {}},
        // The blit under FillRect takes a negative width as mirrored around
        // the left edge: 4 - 3 + 1 .. 4.
        {{4, 1, 1, 3}, Box(2, 1, 5, 3)},
        {{1, 4, 3, 2}, Box(1, 3, 3, 5)},
    };
    for (const auto& [rect, painted] : cases) {
        SoftGdi gdi;
        Canvas canvas(gdi, 8, 6, false);
        canvas.Paint(rect, kInk);
        EXPECT_EQ(canvas.Where(kInk), painted) << rect;
    }
}

TEST(SoftGdiFill, FrameRectPaintsTheInsideEdgesOfNonEmptyRectanglesOnly) {
    Pixels ring = Box(1, 1, 5, 4);
    ring.erase({2, 2});
    ring.erase({3, 2});
    const std::pair<Rect, Pixels> cases[] = {
        {{1, 1, 5, 4}, ring}, {{2, 1, 3, 4}, Box(2, 1, 3, 4)}, {{1, 2, 6, 3}, Box(1, 2, 6, 3)}, {{3, 1, 3, 4}, {}},
        {{5, 1, 1, 4}, {}},
    };
    for (const auto& [rect, framed] : cases) {
        SoftGdi gdi;
        Canvas canvas(gdi, 8, 6, false);
        const HBRUSH brush = gdi.CreateSolidBrush(kInk);
        EXPECT_EQ(gdi.FrameRect(canvas.dc, rect, brush), framed.empty() ? 0 : 1) << rect;
        EXPECT_EQ(canvas.Where(kInk), framed) << rect;
        gdi.DeleteObject(brush);
    }
}

TEST(SoftGdiFill, FillRectTakesSystemColourBrushesAndTheDcBrushForNull) {
    SoftGdi gdi;
    Canvas canvas(gdi, 2, 1, false);
    EXPECT_EQ(gdi.FillRect(canvas.dc, Rect{0, 0, 1, 1}, HBRUSH{15 + 1}), 1);
    EXPECT_EQ(canvas.At(0, 0), RGB(240, 240, 240));
    const HBRUSH old = gdi.SelectObject(canvas.dc, gdi.CreateSolidBrush(kInk));
    gdi.FillRect(canvas.dc, Rect{1, 0, 2, 1}, HBRUSH{});
    EXPECT_EQ(canvas.At(1, 0), kInk);
    gdi.DeleteObject(gdi.SelectObject(canvas.dc, old));
}

// On a monochrome bitmap black and white brushes stay solid; any other
// colour becomes the system's 8x8 ordered dither of its grey level.
TEST(SoftGdiFill, MonochromeBrushesDitherGreys) {
    SoftGdi gdi;
    Canvas canvas(gdi, 8, 8, true);
    canvas.Paint(Rect{0, 0, 8, 8}, RGB(240, 240, 240));
    EXPECT_EQ(canvas.Where(kBlack), (Pixels{{0, 0}, {4, 0}, {0, 4}, {4, 4}}));
    canvas.Paint(Rect{0, 0, 8, 8}, kGrey);
    EXPECT_EQ(canvas.Where(kBlack).size(), 32U);
}

TEST(SoftGdiPixels, SetPixelTakesTheNearestColourAndGetPixelFailsOutside) {
    SoftGdi gdi;
    Canvas color(gdi, 3, 2, false);
    EXPECT_TRUE(gdi.SetPixelV(color.dc, 2, 1, 0x02000000 | kInk));
    EXPECT_EQ(color.At(2, 1), kInk) << "palette-relative colours are plain on true colour";
    EXPECT_FALSE(gdi.SetPixelV(color.dc, 3, 0, kInk));
    for (const Point outside : {Point{-1, 0}, Point{3, 0}, Point{0, 2}})
        EXPECT_EQ(gdi.GetPixel(color.dc, outside.x, outside.y), CLR_INVALID);
    Canvas mono(gdi, 2, 1, true, kBlack);
    gdi.SetBkColor(mono.dc, kGrey);  // plays no part for SetPixel
    gdi.SetPixelV(mono.dc, 0, 0, kGrey);
    gdi.SetPixelV(mono.dc, 1, 0, RGB(127, 127, 127));
    EXPECT_EQ(mono.Where(kWhite), (Pixels{{0, 0}}));
}

// ---- Lines --------------------------------------------------------------------

TEST(SoftGdiLines, LinesStopBeforeTheirEndAndMoveTheCurrentPosition) {
    SoftGdi gdi;
    Canvas canvas(gdi, 12, 12, false);
    canvas.Line({0, 0}, {10, 0}, kInk);
    EXPECT_EQ(canvas.Where(kInk), Box(0, 0, 10, 1));
    canvas.Line({11, 11}, {11, 5}, kBlack);
    EXPECT_EQ(canvas.Where(kBlack), Box(11, 6, 12, 12));
    Point position;
    gdi.MoveToEx(canvas.dc, 0, 0, &position);
    EXPECT_EQ(position, (Point{11, 5}));
    canvas.Line({4, 4}, {4, 4}, kGrey);
    EXPECT_TRUE(canvas.Where(kGrey).empty()) << "a zero-length line paints nothing";
}

// Slopes of exactly 2:1 tie at every other step and the octants differ in
// which pixel wins. Lists from a port of Wine's incremental walk.
TEST(SoftGdiLines, EveryOctantBreaksTiesAsTheSystemDoes) {
    const std::pair<Point, Pixels> cases[] = {
        {{12, 10}, {{8, 8}, {9, 8}, {10, 9}, {11, 9}}}, {{10, 12}, {{8, 8}, {8, 9}, {9, 10}, {9, 11}}},
        {{6, 12}, {{8, 8}, {7, 9}, {7, 10}, {6, 11}}},  {{4, 10}, {{8, 8}, {7, 8}, {6, 9}, {5, 9}}},
        {{4, 6}, {{8, 8}, {7, 7}, {6, 7}, {5, 6}}},     {{6, 4}, {{8, 8}, {7, 7}, {7, 6}, {6, 5}}},
        {{10, 4}, {{8, 8}, {8, 7}, {9, 6}, {9, 5}}},    {{12, 6}, {{8, 8}, {9, 7}, {10, 7}, {11, 6}}},
    };
    for (const auto& [end, pixels] : cases) {
        SoftGdi gdi;
        Canvas canvas(gdi, 17, 17, false);
        canvas.Line({8, 8}, end, kInk);
        EXPECT_EQ(canvas.Where(kInk), pixels) << "to " << end.x << "," << end.y;
    }
}

// The system's walk step by step, as Wine writes it: the oracle for the
// closed-form walk and its clipping.
Pixels IncrementalWalk(Point from, Point to, const Rect& clip) {
    const int dx = to.x - from.x, dy = to.y - from.y;
    Pixels pixels;
    if (dx == 0 && dy == 0) return pixels;
    int octant;
    if (dy > 0)
        octant = dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3);
    else
        octant = dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7);
    const unsigned bit = 1U << (octant - 1);
    const bool xMajor = bit & 0x99;
    const int bias = (bit & 0xB4) ? 1 : 0, xInc = (bit & 0xC3) ? 1 : -1, yInc = (bit & 0x0F) ? 1 : -1;
    const int major = xMajor ? std::abs(dx) : std::abs(dy), minor = xMajor ? std::abs(dy) : std::abs(dx);
    int err = 2 * minor - major, x = from.x, y = from.y;
    for (int i = 0; i < major; ++i) {
        if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom) pixels.emplace(x, y);
        const bool stepMinor = err + bias > 0;
        err += stepMinor ? 2 * minor - 2 * major : 2 * minor;
        x += (xMajor || stepMinor) ? xInc : 0;
        y += (!xMajor || stepMinor) ? yInc : 0;
    }
    return pixels;
}

TEST(SoftGdiLines, ClippingNeverShiftsThePixelsOfALine) {
    int checked = 0;
    for (const Rect& clip : {Rect{0, 0, 10, 6}, Rect{3, 2, 7, 5}, Rect{-4, -9, 2, 1}, Rect{5, 5, 6, 6}})
        for (int fx = -7; fx <= 13; fx += 5)
            for (int fy = -6; fy <= 9; fy += 3)
                for (int tx = -9; tx <= 15; tx += 4)
                    for (int ty = -8; ty <= 12; ty += 5) {
                        Pixels visited;
                        VisitLinePixels({fx, fy}, {tx, ty}, clip, [&](int x, int y) { visited.emplace(x, y); });
                        ASSERT_EQ(visited, IncrementalWalk({fx, fy}, {tx, ty}, clip))
                            << fx << "," << fy << " -> " << tx << "," << ty << " in " << clip;
                        ++checked;
                    }
    EXPECT_GT(checked, 2000);
}

// Two million steps long with its one tie at x = 0: only the clipped part is
// walked, and it keeps the pixels the whole walk has there.
TEST(SoftGdiLines, LongLinesKeepTheirTieWhenClipped) {
    for (const auto& [from, to] :
         {std::pair{Point{-1000000, 0}, Point{1000000, 1}}, std::pair{Point{1000000, 1}, Point{-1000000, 0}}}) {
        Pixels visited;
        VisitLinePixels(from, to, Rect{0, 0, 4, 2}, [&](int x, int y) { visited.emplace(x, y); });
        EXPECT_EQ(visited, (Pixels{{0, 0}, {1, 1}, {2, 1}, {3, 1}})) << from.x << " -> " << to.x;
    }
}

// A pen on a monochrome bitmap: black and white map to themselves, any other
// colour to the opposite of where the background colour maps, unless it is
// the background colour.
TEST(SoftGdiLines, MonochromePenColoursFollowTheBackgroundColour) {
    struct Case {
        COLORREF pen, background, drawn;
    };
    const Case cases[] = {{kWhite, kWhite, kWhite},
                          {kGrey, kWhite, kBlack},
                          {kGrey, kBlack, kWhite},
                          {kGrey, kGrey, kWhite},
                          {RGB(250, 250, 250), kWhite, kBlack}};
    for (const Case& c : cases) {
        SoftGdi gdi;
        Canvas canvas(gdi, 4, 1, true, c.drawn == kBlack ? kWhite : kBlack);
        gdi.SetBkColor(canvas.dc, c.background);
        canvas.Line({0, 0}, {4, 0}, c.pen);
        EXPECT_EQ(canvas.Where(c.drawn).size(), 4U) << std::hex << c.pen << " on " << c.background;
    }
}

// ---- Raster operations --------------------------------------------------------

TEST(SoftGdiBlit, NamedRopsCombineSourceAndDestination) {
    const COLORREF source = 0x00F0CC0F, dest = 0x00AA55FF;
    const std::pair<std::uint32_t, COLORREF> cases[] = {
        {SRCCOPY, source},
        {SRCAND, source & dest},
        {SRCPAINT, source | dest},
        {DSna, dest & ~source & 0xFFFFFF},
    };
    for (const auto& [rop, expected] : cases) {
        SoftGdi gdi;
        Canvas from(gdi, 1, 1, false, source), to(gdi, 1, 1, false, dest);
        EXPECT_TRUE(gdi.BitBlt(to.dc, 0, 0, 1, 1, from.dc, 0, 0, rop));
        EXPECT_EQ(to.At(0, 0), expected) << std::hex << rop;
    }
}

// With pattern 0xF0, source 0xCC and destination 0xAA in every channel, bit
// n of a channel meets pattern/source/destination combination n, so the
// result is the rop's index byte itself.
TEST(SoftGdiBlit, EveryRopIndexComputesItsTruthTable) {
    SoftGdi gdi;
    Canvas source(gdi, 1, 1, false, RGB(0xCC, 0xCC, 0xCC)), dest(gdi, 1, 1, false);
    const HBRUSH old = gdi.SelectObject(dest.dc, gdi.CreateSolidBrush(RGB(0xF0, 0xF0, 0xF0)));
    for (std::uint32_t index = 0; index < 256; ++index) {
        gdi.SetPixelV(dest.dc, 0, 0, RGB(0xAA, 0xAA, 0xAA));
        const std::uint32_t rop = index << 16;
        // Rops that ignore the source accept a null source DC.
        ASSERT_TRUE(gdi.BitBlt(dest.dc, 0, 0, 1, 1, RopUsesSource(rop) ? source.dc : HDC{}, 0, 0, rop));
        ASSERT_EQ(dest.At(0, 0), RGB(index, index, index)) << "rop index " << index;
    }
    gdi.DeleteObject(gdi.SelectObject(dest.dc, old));
}

// Colour to monochrome: the source DC's background colour becomes white,
// the rest black. Monochrome to colour: white becomes the destination DC's
// background colour, black its text colour. The other DC's colours play no
// part either way.
TEST(SoftGdiBlit, MonochromeConversionsUseTheDcColours) {
    SoftGdi gdi;
    Canvas color(gdi, 3, 1, false, kInk), mono(gdi, 3, 1, true, kBlack);
    gdi.SetPixelV(color.dc, 1, 0, kWhite);
    gdi.SetPixelV(color.dc, 2, 0, RGB(10, 20, 31));
    gdi.SetBkColor(color.dc, kInk);
    gdi.SetBkColor(mono.dc, kGrey);
    gdi.SetTextColor(mono.dc, kGrey);
    gdi.BitBlt(mono.dc, 0, 0, 3, 1, color.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(mono.Where(kWhite), (Pixels{{0, 0}}));

    gdi.SetBkColor(color.dc, RGB(1, 2, 3));
    gdi.SetTextColor(color.dc, RGB(4, 5, 6));
    gdi.BitBlt(color.dc, 0, 0, 2, 1, mono.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(color.At(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(color.At(1, 0), RGB(4, 5, 6));
}

TEST(SoftGdiBlit, OverlappingCopyWithinOneBitmapReadsTheSourceFirst) {
    SoftGdi gdi;
    Canvas canvas(gdi, 5, 1, false);
    for (int x = 0; x < 5; ++x) gdi.SetPixelV(canvas.dc, x, 0, RGB(x, 0, 0));
    gdi.BitBlt(canvas.dc, 1, 0, 4, 1, canvas.dc, 0, 0, SRCCOPY);
    for (int x = 1; x < 5; ++x) EXPECT_EQ(canvas.At(x, 0), RGB(x - 1, 0, 0)) << x;
}

TEST(SoftGdiBlit, DestinationBehindASourceOutsideItsBitmapIsLeftAlone) {
    SoftGdi gdi;
    Canvas source(gdi, 4, 4, false, kInk), dest(gdi, 6, 6, false);
    EXPECT_TRUE(gdi.BitBlt(dest.dc, 1, 1, 4, 4, source.dc, 2, -1, SRCCOPY));
    EXPECT_EQ(dest.Where(kInk), Box(1, 2, 3, 5));
    EXPECT_TRUE(gdi.BitBlt(dest.dc, 0, 0, 2, 2, source.dc, 9, 9, SRCCOPY)) << "nothing to do is no failure";
}

// ---- Objects --------------------------------------------------------------------

TEST(SoftGdiObjects, CompatibleBitmapsFollowTheDcFormat) {
    SoftGdi gdi;
    const HDC screen = gdi.GetDC(HWND{});
    const HDC memory = gdi.CreateCompatibleDC(screen);
    EXPECT_EQ(gdi.BitmapOf(gdi.CreateCompatibleBitmap(memory, 3, 2))->bitsPerPixel, 1);
    const HBITMAP color = gdi.CreateCompatibleBitmap(screen, 3, 2);
    EXPECT_EQ(gdi.BitmapOf(color)->pixels, std::vector<std::uint32_t>(6, 0)) << "new bitmaps are black";
    gdi.SelectObject(memory, color);
    EXPECT_EQ(gdi.BitmapOf(gdi.CreateCompatibleBitmap(memory, 1, 1))->bitsPerPixel, 32);
    EXPECT_EQ(gdi.GetDeviceCaps(memory, BITSPIXEL), 32) << "a memory DC reports its device's depth";

    const HBITMAP empty = gdi.CreateCompatibleBitmap(memory, 0, 5);
    EXPECT_EQ(empty, gdi.CreateBitmap(4, 0, 1, 32, nullptr)) << "empty sizes share the stock 1x1 bitmap";
    EXPECT_TRUE(gdi.DeleteObject(empty));
    EXPECT_NE(gdi.BitmapOf(empty), nullptr) << "the stock bitmap survives a delete";
}

TEST(SoftGdiObjects, CreateBitmapReadsWordAlignedMonoRowsAndBgrxColourAndRefusesAbsurdSizes) {
    SoftGdi gdi;
    const unsigned char mono[] = {0xA0, 0x00, 0x40, 0x00};  // rows of 3 pixels, padded to 16 bits
    EXPECT_EQ(gdi.BitmapOf(gdi.CreateBitmap(3, 2, 1, 1, mono))->pixels, (std::vector<std::uint32_t>{1, 0, 1, 0, 1, 0}));
    const unsigned char color[] = {0x30, 0x20, 0x10, 0xFF};
    EXPECT_EQ(gdi.BitmapOf(gdi.CreateBitmap(1, 1, 1, 32, color))->pixels[0], RGB(0x10, 0x20, 0x30));

    const HDC screen = gdi.GetDC(HWND{});
    EXPECT_FALSE(gdi.CreateBitmap(100000, 100000, 1, 32, nullptr));
    EXPECT_FALSE(gdi.CreateCompatibleBitmap(screen, 9000, 9000)) << "over 64 Mpixel";
    EXPECT_FALSE(gdi.CreateBitmap(4, 4, 2, 1, nullptr));
    EXPECT_FALSE(gdi.CreateCompatibleBitmap(HDC{}, 4, 4));
    EXPECT_EQ(gdi.BitmapOf(gdi.CreateCompatibleBitmap(screen, -5, 3))->width, 5) << "negative sides count by size";
}

TEST(SoftGdiObjects, ABitmapLivesInOneMemoryDcAtATime) {
    SoftGdi gdi;
    const HDC first = gdi.CreateCompatibleDC(HDC{}), second = gdi.CreateCompatibleDC(HDC{});
    const HBITMAP bitmap = gdi.CreateBitmap(2, 2, 1, 1, nullptr);
    const HBITMAP stock = gdi.SelectObject(first, bitmap);
    EXPECT_FALSE(gdi.SelectObject(second, bitmap));
    EXPECT_EQ(gdi.SelectObject(second, stock), stock) << "the stock bitmap goes into any number of DCs";
    EXPECT_FALSE(gdi.SelectObject(gdi.GetDC(gdi.CreateSoftWindow(4, 4)), stock)) << "window DCs take no bitmaps";
}

TEST(SoftGdiObjects, DeletingASelectedObjectWaitsForItsDc) {
    SoftGdi gdi;
    {
        Canvas canvas(gdi, 2, 1, false);
        const HBRUSH brush = gdi.CreateSolidBrush(kInk);
        const HBRUSH old = gdi.SelectObject(canvas.dc, brush);
        EXPECT_TRUE(gdi.DeleteObject(brush));
        gdi.BitBlt(canvas.dc, 0, 0, 1, 1, HDC{}, 0, 0, PATCOPY);
        EXPECT_EQ(canvas.At(0, 0), kInk) << "the DC still paints with it";
        EXPECT_EQ(gdi.LiveObjects(ObjectKind::Brush), 1);
        EXPECT_EQ(gdi.SelectObject(canvas.dc, old), brush);
        EXPECT_EQ(gdi.LiveObjects(ObjectKind::Brush), 0) << "gone once let go";

        EXPECT_TRUE(gdi.DeleteObject(canvas.bitmap)) << "a selected bitmap waits the same way";
        EXPECT_EQ(gdi.LiveObjects(ObjectKind::Bitmap), 1);
    }
    EXPECT_EQ(gdi.LiveObjectsTotal(), 0);
}

TEST(SoftGdiObjects, LiveCountsReturnToZeroWhateverTheDeleteOrder) {
    SoftGdi gdi;
    const HDC dc = gdi.CreateCompatibleDC(HDC{});
    const HBITMAP bitmap = gdi.CreateBitmap(4, 4, 1, 32, nullptr);
    const HPEN pen = gdi.CreatePen(PS_SOLID, 1, kInk);
    const HPALETTE palette = gdi.CreateHalftonePalette(dc);
    const HFONT font = gdi.CreateFontIndirect(FontDescription{});
    const HRGN region = gdi.CreateRectRgnIndirect(Rect{0, 0, 2, 2});
    gdi.SelectObject(dc, bitmap);
    gdi.SelectObject(dc, pen);
    gdi.SelectPalette(dc, palette, false);
    gdi.SelectObject(dc, font);
    for (const ObjectKind kind : {ObjectKind::DC, ObjectKind::Bitmap, ObjectKind::Pen, ObjectKind::Region,
                                  ObjectKind::Palette, ObjectKind::Font})
        EXPECT_EQ(gdi.LiveObjects(kind), 1) << static_cast<int>(kind);
    for (const HGDIOBJ object : {HGDIOBJ(bitmap), HGDIOBJ(pen), HGDIOBJ(palette), HGDIOBJ(font), HGDIOBJ(region)})
        EXPECT_TRUE(gdi.DeleteObject(object));
    EXPECT_EQ(gdi.LiveObjectsTotal(), 5) << "the selected ones wait for the DC";
    EXPECT_TRUE(gdi.DeleteDC(dc));
    EXPECT_EQ(gdi.LiveObjectsTotal(), 0);
}

TEST(SoftGdiObjects, StaleAndWrongKindHandlesFailCleanly) {
    SoftGdi gdi;
    const HBRUSH brush = gdi.CreateSolidBrush(kInk);
    gdi.DeleteObject(brush);
    const HDC dc = gdi.CreateCompatibleDC(HDC{});
    gdi.DeleteDC(dc);
    Canvas canvas(gdi, 2, 2, false);
    const HPEN pen = gdi.CreatePen(PS_SOLID, 1, kInk);

    EXPECT_FALSE(gdi.DeleteObject(brush));
    EXPECT_FALSE(gdi.SelectObject(canvas.dc, brush));
    EXPECT_FALSE(gdi.SelectObject(canvas.dc, HBITMAP{pen.value})) << "a pen is no bitmap";
    EXPECT_EQ(gdi.FillRect(canvas.dc, Rect{0, 0, 1, 1}, brush), 0);
    EXPECT_EQ(gdi.FrameRect(canvas.dc, Rect{0, 0, 1, 1}, HBRUSH{}), 0);
    EXPECT_FALSE(gdi.DeleteDC(dc));
    EXPECT_EQ(gdi.GetPixel(dc, 0, 0), CLR_INVALID);
    EXPECT_EQ(gdi.SetBkColor(dc, kInk), CLR_INVALID);
    EXPECT_FALSE(gdi.LineTo(dc, 1, 1));
    EXPECT_FALSE(gdi.BitBlt(canvas.dc, 0, 0, 1, 1, dc, 0, 0, SRCCOPY));
    EXPECT_EQ(gdi.DrawTextA(dc, "x", 1, nullptr, 0), 0);
    EXPECT_FALSE(gdi.PtInRegion(HRGN{pen.value}, 0, 0));
    EXPECT_EQ(gdi.ReleaseDC(HWND{}, canvas.dc), 0) << "memory DCs are deleted, not released";
    EXPECT_EQ(gdi.SetBkMode(canvas.dc, 3), 0) << "no such mode";
}

TEST(SoftGdiObjects, PalettesSelectAndRealizeWithoutTouchingPixels) {
    SoftGdi gdi;
    Canvas canvas(gdi, 1, 1, false);
    const HPALETTE halftone = gdi.CreateHalftonePalette(canvas.dc);
    const std::vector<COLORREF>& entries = *gdi.PaletteOf(halftone);
    ASSERT_EQ(entries.size(), 256U);
    EXPECT_EQ(entries[10], RGB(0x40, 0x20, 0x00)) << "the colour cube starts after ten static colours";
    EXPECT_EQ(entries[246], RGB(0xFF, 0xFB, 0xF0)) << "and ends before ten more";
    const HPALETTE standard = gdi.SelectPalette(canvas.dc, halftone, false);
    EXPECT_EQ(gdi.PaletteOf(standard)->size(), 20U) << "every DC starts with the default palette";
    EXPECT_EQ(gdi.RealizePalette(canvas.dc), 0U) << "nothing to realize on true colour";
    gdi.SetPixelV(canvas.dc, 0, 0, 0x01000000 | 10);
    EXPECT_EQ(canvas.At(0, 0), entries[10]) << "a palette index reads the selected palette";
    gdi.SelectPalette(canvas.dc, standard, true);
    gdi.DeleteObject(halftone);
}

TEST(SoftGdiObjects, RegionsHoldTheirLeftAndTopEdgesOnly) {
    SoftGdi gdi;
    const std::pair<Point, bool> cases[] = {{{2, 3}, true},  {{4, 6}, true},  {{5, 3}, false},
                                            {{2, 7}, false}, {{1, 3}, false}, {{2, 2}, false}};
    for (const Rect& rect : {Rect{2, 3, 5, 7}, Rect{5, 7, 2, 3}}) {
        const HRGN region = gdi.CreateRectRgnIndirect(rect);
        for (const auto& [point, inside] : cases)
            EXPECT_EQ(gdi.PtInRegion(region, point.x, point.y), inside) << rect << " " << point.x << "," << point.y;
    }
    EXPECT_FALSE(gdi.PtInRegion(gdi.CreateRectRgnIndirect(Rect{2, 3, 2, 7}), 2, 3)) << "no area, no points";
}

TEST(SoftGdiObjects, ManyRegionsAtOnceKeepTheirOwnRectanglesAndHandles) {
    // More than the surface keeps in its table of regions: the rest are
    // ordinary objects, and either kind behaves the same.
    SoftGdi gdi;
    std::vector<HRGN> regions;
    for (int i = 0; i < 150; ++i) regions.push_back(gdi.CreateRectRgnIndirect(Rect{i, 0, i + 1, 1}));
    EXPECT_EQ(gdi.LiveObjects(ObjectKind::Region), 150);
    for (int i = 0; i < 150; ++i) {
        EXPECT_TRUE(gdi.PtInRegion(regions[i], i, 0)) << i;
        EXPECT_FALSE(gdi.PtInRegion(regions[i], i + 1, 0)) << i;
    }
    for (int i = 0; i < 150; i += 2) EXPECT_TRUE(gdi.DeleteObject(regions[i]));
    EXPECT_EQ(gdi.LiveObjects(ObjectKind::Region), 75);
    // A freed slot gets a new region under a handle never seen before; the
    // old handle stays dead.
    const HRGN again = gdi.CreateRectRgnIndirect(Rect{0, 0, 1, 1});
    for (const HRGN region : regions) EXPECT_NE(again.value, region.value);
    EXPECT_FALSE(gdi.PtInRegion(regions[0], 0, 0));
    EXPECT_FALSE(gdi.DeleteObject(regions[0]));
    EXPECT_TRUE(gdi.PtInRegion(again, 0, 0));
    for (int i = 1; i < 150; i += 2) EXPECT_TRUE(gdi.DeleteObject(regions[i]));
    EXPECT_TRUE(gdi.DeleteObject(again));
    EXPECT_EQ(gdi.LiveObjects(ObjectKind::Region), 0);
}

// ---- Device contexts and windows ----------------------------------------------

TEST(SoftGdiDevice, DefaultsAndResolution) {
    SoftGdi gdi;
    const HDC dc = gdi.CreateCompatibleDC(HDC{});
    EXPECT_EQ(gdi.SetBkColor(dc, kInk), kWhite);
    EXPECT_EQ(gdi.SetTextColor(dc, kInk), kBlack);
    EXPECT_EQ(gdi.SetBkMode(dc, TRANSPARENT), OPAQUE);
    for (const int dpi : {96, 120, 100, 0}) {
        gdi.SetDpi(dpi, dpi);
        EXPECT_EQ(gdi.GetDeviceCaps(dc, LOGPIXELSX), dpi);
        EXPECT_EQ(gdi.GetDeviceCaps(dc, LOGPIXELSY), dpi);
    }
}

TEST(SoftGdiDevice, WindowsHaveClientAreasTheirDcsDrawOnAndTheScreenHasNone) {
    SoftGdi gdi;
    const HWND window = gdi.CreateSoftWindow(20, 10);
    Rect client;
    ASSERT_TRUE(gdi.GetClientRect(window, &client));
    EXPECT_EQ(client, (Rect{0, 0, 20, 10}));
    const HDC dc = gdi.GetDC(window);
    gdi.FillRect(dc, Rect{0, 0, 3, 3}, HBRUSH{5 + 1});
    gdi.ResizeSoftWindow(window, 2, 30);
    EXPECT_EQ(gdi.GetPixel(dc, 1, 2), kWhite) << "resizing keeps what both sizes share";
    EXPECT_EQ(gdi.GetPixel(dc, 1, 20), kBlack);
    gdi.DestroySoftWindow(window);
    EXPECT_EQ(gdi.LiveObjects(ObjectKind::DC), 0) << "the window's DCs go with it";
    EXPECT_FALSE(gdi.GetDC(window));

    const HDC screen = gdi.GetDC(HWND{});
    EXPECT_EQ(gdi.FillRect(screen, Rect{0, 0, 4, 4}, HBRUSH{1}), 1) << "drawing on the screen changes nothing";
    EXPECT_EQ(gdi.GetPixel(screen, 0, 0), CLR_INVALID);
    Canvas canvas(gdi, 1, 1, false);
    EXPECT_FALSE(gdi.BitBlt(canvas.dc, 0, 0, 1, 1, screen, 0, 0, SRCCOPY)) << "there is nothing to read";
    EXPECT_EQ(gdi.ReleaseDC(HWND{}, screen), 1);
}

TEST(SoftGdiDevice, HugeWindowsKeepTheirSizeButHoldPixelsOnlyForTheirTopRows) {
    SoftGdi gdi;
    // 40,000 x 2,000 is 80 million pixels, more than a client area holds.
    const HWND window = gdi.CreateSoftWindow(40000, 2000);
    ASSERT_TRUE(window);
    Rect client;
    ASSERT_TRUE(gdi.GetClientRect(window, &client));
    EXPECT_EQ(client, (Rect{0, 0, 40000, 2000}));
    const HDC dc = gdi.GetDC(window);
    const int rows = static_cast<int>(SoftGdi::kMaxWindowPixels / 40000);
    EXPECT_EQ(gdi.SurfaceOf(dc)->height, rows);
    gdi.FillRect(dc, Rect{0, 0, 40000, 2000}, HBRUSH{5 + 1});
    EXPECT_EQ(gdi.GetPixel(dc, 39999, rows - 1), kWhite);
    EXPECT_EQ(gdi.GetPixel(dc, 0, rows), CLR_INVALID) << "rows beyond the pixels are clipped away";
    gdi.ResizeSoftWindow(window, 40000, 3000);
    ASSERT_TRUE(gdi.GetClientRect(window, &client));
    EXPECT_EQ(client, (Rect{0, 0, 40000, 3000}));
    EXPECT_EQ(gdi.GetPixel(dc, 39999, rows - 1), kWhite);
    gdi.ReleaseDC(window, dc);
    gdi.DestroySoftWindow(window);
}

// ---- Colours and text -------------------------------------------------------

TEST(SoftGdiColors, OleTranslateColorFollowsOleRules) {
    SoftGdi gdi;
    const HPALETTE palette = gdi.CreateHalftonePalette(HDC{});
    const COLORREF untouched = 0xDEADBEEF;
    struct Case {
        OLE_COLOR color;
        HPALETTE palette;
        long result;
        COLORREF translated;
    };
    const Case cases[] = {
        {0x80000012, {}, S_OK, kBlack},                  // button text
        {0x8000000F, {}, S_OK, RGB(240, 240, 240)},      // button face
        {0x80000040, {}, E_INVALIDARG, untouched},       // no such system colour
        {0x8000001F, {}, E_INVALIDARG, untouched},       //
        {0x00123456, palette, S_OK, 0x02123456},         // palette-relative through a palette
        {0x01000003, {}, S_OK, 0x01000003},              // palette index
        {0x01000100, palette, E_INVALIDARG, untouched},  // past the palette's end
        {0x02123456, {}, S_OK, 0x02123456},              // palette-relative
        {0x04000000, {}, E_INVALIDARG, untouched},       //
    };
    for (const Case& c : cases) {
        COLORREF result = untouched;
        EXPECT_EQ(gdi.OleTranslateColor(c.color, c.palette, &result), c.result) << std::hex << c.color;
        EXPECT_EQ(result, c.translated) << std::hex << c.color;
    }
}

TEST(SoftGdiText, TextUsesTheDcColoursModeAndFont) {
    SoftGdi gdi;
    Canvas transparent(gdi, 40, 24, false), opaque(gdi, 40, 24, false);
    for (const HDC dc : {transparent.dc, opaque.dc}) {
        gdi.SetTextColor(dc, RGB(0, 0, 255));
        gdi.SetBkColor(dc, RGB(255, 0, 0));
    }
    gdi.SetBkMode(transparent.dc, TRANSPARENT);
    Rect rect{0, 0, 40, 24};
    EXPECT_GT(gdi.DrawTextA(transparent.dc, "Hi", -1, &rect, DT_NOPREFIX), 0);
    gdi.DrawTextA(opaque.dc, "Hi", -1, &rect, DT_NOPREFIX);
    EXPECT_FALSE(transparent.Where(RGB(0, 0, 255)).empty()) << "fully covered pixels take the text colour";
    EXPECT_TRUE(transparent.Where(RGB(255, 0, 0)).empty());
    EXPECT_FALSE(opaque.Where(RGB(255, 0, 0)).empty()) << "opaque text fills its cells";

    Rect small{}, large{};
    gdi.DrawTextA(transparent.dc, "Caption", -1, &small, DT_CALCRECT | DT_SINGLELINE);
    FontDescription description;
    description.size = 24;
    const HFONT old = gdi.SelectObject(transparent.dc, gdi.CreateFontIndirect(description));
    gdi.DrawTextA(transparent.dc, "Caption", -1, &large, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_GT(large.bottom, small.bottom);
    EXPECT_GT(large.right, small.right);
    gdi.DeleteObject(gdi.SelectObject(transparent.dc, old));
}

// Every drawing call on a clipped DC puts down inside the clip exactly what
// it puts down without one, and nothing outside it.
TEST(SoftGdiClip, DrawingStaysInsideTheClipAndMatchesUnclippedDrawingThere) {
    SoftGdi gdi;
    Canvas source(gdi, 30, 20, false, kGrey);
    source.Paint(Rect{5, 5, 25, 15}, kInk);
    const std::vector<std::function<void(Canvas&)>> draws = {
        [](Canvas& c) {
            c.Paint(Rect{0, 0, 30, 20}, kInk);
        },
        [](Canvas& c) {
            const HBRUSH brush = c.gdi.CreateSolidBrush(kInk);
            c.gdi.FrameRect(c.dc, Rect{2, 2, 28, 18}, brush);
            c.gdi.DeleteObject(brush);
        },
        [](Canvas& c) {
            c.Line(Point{0, 3}, Point{29, 17}, kInk);
        },
        [](Canvas& c) {
            const HPEN pen = c.gdi.CreatePen(PS_SOLID, 3, kInk);
            const HPEN old = c.gdi.SelectObject(c.dc, pen);
            c.gdi.MoveToEx(c.dc, 0, 10, nullptr);
            c.gdi.LineTo(c.dc, 29, 12);
            c.gdi.DeleteObject(c.gdi.SelectObject(c.dc, old));
        },
        [](Canvas& c) {
            for (int x = 0; x < 30; ++x) c.gdi.SetPixelV(c.dc, x, 9, kInk);
        },
        [&](Canvas& c) { c.gdi.BitBlt(c.dc, 0, 0, 30, 20, source.dc, 0, 0, SRCINVERT); },
        [](Canvas& c) {
            c.gdi.SetTextColor(c.dc, RGB(0, 0, 255));
            Rect box{0, 0, 30, 20};
            c.gdi.DrawTextA(c.dc, "WWW", -1, &box, DT_SINGLELINE | DT_NOPREFIX);
        },
    };
    const Rect clip{6, 4, 17, 13};
    for (std::size_t i = 0; i < draws.size(); ++i) {
        Canvas clipped(gdi, 30, 20, false), whole(gdi, 30, 20, false);
        EXPECT_EQ(gdi.IntersectClipRect(clipped.dc, 40, 13, clip.left, clip.top), SIMPLEREGION);
        EXPECT_EQ(gdi.IntersectClipRect(clipped.dc, clip.left, clip.top, clip.right, clip.bottom), SIMPLEREGION);
        draws[i](clipped);
        draws[i](whole);
        EXPECT_EQ(clipped.At(clip.right, clip.top), CLR_INVALID) << "GetPixel answers only inside the clip";
        gdi.SelectClipRgn(clipped.dc, HRGN{});
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 30; ++x) {
                const bool inside = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
                ASSERT_EQ(clipped.At(x, y), inside ? whole.At(x, y) : kWhite)
                    << "draw " << i << " at " << x << "," << y;
            }
        }
    }
    Canvas canvas(gdi, 10, 10, false);
    EXPECT_EQ(gdi.IntersectClipRect(canvas.dc, 2, 2, 4, 4), SIMPLEREGION);
    EXPECT_EQ(gdi.IntersectClipRect(canvas.dc, 5, 5, 8, 8), NULLREGION) << "clips only ever narrow";
    canvas.Paint(Rect{0, 0, 10, 10}, kInk);
    EXPECT_TRUE(canvas.Where(kInk).empty());
}

}  // namespace
}  // namespace lumora::soft
