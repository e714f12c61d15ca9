// SPDX-License-Identifier: MIT
// The row-wise drawing paths of the software surface against the plain
// pixel-by-pixel ones they replace: every raster operation, text blending
// and straight lines must put down exactly the same pixels.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <iterator>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "lumora/platform/soft/SoftRaster.h"

namespace lumora::soft {
namespace {

// Fixed, so a failure shows up again on the next run.
constexpr unsigned kSeed = 20261208;

std::uint32_t RandomPixel(std::mt19937& random, int bitsPerPixel) {
    // Colour bitmaps get stray high bytes too: every operation must drop them.
    return bitsPerPixel == 1 ? random() & 1U : static_cast<std::uint32_t>(random());
}

SoftBitmap RandomBitmap(std::mt19937& random, int width, int height, int bitsPerPixel) {
    SoftBitmap bitmap(width, height, bitsPerPixel);
    for (std::uint32_t& pixel : bitmap.pixels) pixel = RandomPixel(random, bitsPerPixel);
    return bitmap;
}

// An area inside the bitmap, as the surface hands one over after clipping;
// some are one pixel wide or tall, some longer than a vector step.
Rect RandomArea(std::mt19937& random, const SoftBitmap& bitmap) {
    std::uniform_int_distribution<int> x(0, bitmap.width - 1), y(0, bitmap.height - 1);
    const int left = x(random), top = y(random);
    std::uniform_int_distribution<int> width(1, bitmap.width - left), height(1, bitmap.height - top);
    return Rect{left, top, left + width(random), top + height(random)};
}

TEST(SoftRasterTest, EveryRopRowWiseMatchesThePixelByPixelPath) {
    std::mt19937 random(kSeed);
    for (const int bitsPerPixel : {32, 1}) {
        for (int rop = 0; rop <= 255; ++rop) {
            for (int round = 0; round < 6; ++round) {
                const SoftBitmap start = RandomBitmap(random, 37, 9, bitsPerPixel);
                Rect area = RandomArea(random, start);
                // Rows as wide as the bitmap are filled as one run.
                if (round >= 4) {
                    area.left = 0;
                    area.right = start.width;
                }
                const Pattern brush{RandomPixel(random, bitsPerPixel) & (bitsPerPixel == 1 ? 1U : 0xFFFFFFU)};
                const SoftBitmap source =
                    RandomBitmap(random, area.right - area.left, area.bottom - area.top, bitsPerPixel);
                // Operations without a source get none, as the surface calls them.
                const SoftBitmap* sourceOrNone = (round & 1) ? &source : nullptr;

                SoftBitmap expected = start, actual = start;
                ApplyRopPerPixel(expected, area, static_cast<std::uint8_t>(rop), brush, sourceOrNone);
                ApplyRop(actual, area, static_cast<std::uint8_t>(rop), brush, sourceOrNone);
                ASSERT_EQ(actual.pixels, expected.pixels)
                    << "ROP index " << rop << ", " << bitsPerPixel << " bpp, area " << area.left << "," << area.top
                    << " - " << area.right << "," << area.bottom << (sourceOrNone ? ", with source" : "");
            }
        }
    }
}

TEST(SoftRasterTest, BlendedRowsMatchBlendCoverageForEveryCoverage) {
    std::mt19937 random(kSeed);
    for (const COLORREF color : {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 64, 0), RGB(200, 17, 133)}) {
        CoverageBlend blend(color);
        for (int grey = 0; grey < 256; ++grey) {
            std::vector<std::uint8_t> coverage(256);
            std::vector<std::uint32_t> pixels(256), expected(256);
            for (int i = 0; i < 256; ++i) {
                coverage[i] = static_cast<std::uint8_t>(i);
                // Greys and random colours, stray high bytes included.
                pixels[i] = (i & 1) ? RGB(grey, grey, grey) : static_cast<std::uint32_t>(random());
                expected[i] = i == 0 ? pixels[i] : BlendCoverage(pixels[i], color, coverage[i]);
            }
            blend.Row(pixels.data(), coverage.data(), static_cast<int>(pixels.size()));
            ASSERT_EQ(pixels, expected) << "colour " << color << ", grey " << grey;
        }
    }
}

TEST(SoftRasterTest, BlendedGlyphRowsOfEveryShortLength) {
    // Glyph rows: a few pixels long, with runs of empty and of full
    // coverage, so that groups of pixels and single ones both occur.
    std::mt19937 random(kSeed);
    const std::uint8_t levels[] = {0, 0, 0, 255, 255, 1, 127, 128, 254};
    CoverageBlend blend(RGB(20, 30, 250));
    for (int length = 1; length <= 13; ++length) {
        for (int round = 0; round < 200; ++round) {
            std::vector<std::uint8_t> coverage(static_cast<std::size_t>(length));
            std::vector<std::uint32_t> pixels(coverage.size()), expected(coverage.size());
            for (std::size_t i = 0; i < coverage.size(); ++i) {
                coverage[i] = (round & 1) ? levels[random() % std::size(levels)] : static_cast<std::uint8_t>(random());
                pixels[i] = static_cast<std::uint32_t>(random());
                expected[i] = coverage[i] == 0 ? pixels[i] : BlendCoverage(pixels[i], blend.color(), coverage[i]);
            }
            blend.Row(pixels.data(), coverage.data(), length);
            ASSERT_EQ(pixels, expected) << "length " << length << ", round " << round;
        }
    }
}

TEST(SoftRasterTest, BlendStartsOverWithAnotherColour) {
    CoverageBlend blend(RGB(255, 0, 0));
    const std::uint8_t coverage[] = {100};
    std::uint32_t pixel = RGB(0, 0, 255);
    blend.Row(&pixel, coverage, 1);
    blend.Reset(RGB(0, 255, 0));
    pixel = RGB(0, 0, 255);
    blend.Row(&pixel, coverage, 1);
    EXPECT_EQ(pixel, BlendCoverage(RGB(0, 0, 255), RGB(0, 255, 0), 100));
}

std::set<std::pair<int, int>> VisitedPixels(Point from, Point to, const Rect& clip) {
    std::set<std::pair<int, int>> pixels;
    VisitLinePixels(from, to, clip, [&](int x, int y) { pixels.emplace(x, y); });
    return pixels;
}

std::set<std::pair<int, int>> SpanPixels(const Rect& span) {
    std::set<std::pair<int, int>> pixels;
    for (int y = span.top; y < span.bottom; ++y)
        for (int x = span.left; x < span.right; ++x) pixels.emplace(x, y);
    return pixels;
}

TEST(SoftRasterTest, StraightLinesCoverTheLineWalksPixels) {
    std::mt19937 random(kSeed);
    std::uniform_int_distribution<int> coordinate(-20, 60);
    const Rect clip{0, 0, 40, 30};
    for (int round = 0; round < 2000; ++round) {
        const Point from{coordinate(random), coordinate(random)};
        Point to = from;
        // Across or down, either way, sometimes no length at all.
        (round & 1 ? to.x : to.y) = coordinate(random);
        Rect span;
        ASSERT_TRUE(AxisLineSpan(from, to, clip, span));
        ASSERT_EQ(SpanPixels(span), VisitedPixels(from, to, clip))
            << from.x << "," << from.y << " to " << to.x << "," << to.y;
    }
}

TEST(SoftRasterTest, StraightLinesAtTheEdgesOfTheCoordinates) {
    const Rect clip{INT_MAX - 10, INT_MIN, INT_MAX, INT_MIN + 10};
    const std::pair<Point, Point> lines[] = {
        {{INT_MAX - 1, INT_MIN}, {INT_MAX - 1, INT_MAX}},
        {{INT_MAX, INT_MIN + 5}, {INT_MIN, INT_MIN + 5}},
        {{INT_MIN, INT_MIN + 3}, {INT_MAX, INT_MIN + 3}},
        {{INT_MAX - 3, INT_MAX}, {INT_MAX - 3, INT_MIN}},
    };
    for (const auto& [from, to] : lines) {
        Rect span;
        ASSERT_TRUE(AxisLineSpan(from, to, clip, span));
        EXPECT_EQ(SpanPixels(span), VisitedPixels(from, to, clip))
            << from.x << "," << from.y << " to " << to.x << "," << to.y;
    }
    Rect span;
    EXPECT_FALSE(AxisLineSpan(Point{0, 0}, Point{3, 1}, clip, span)) << "a slanted line has no span";
}

}  // namespace
}  // namespace lumora::soft
