// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "lumora/platform/Font.h"
#include "lumora/platform/Gdi.h"
#include "platform/soft/RasterFont.h"

namespace lumora::soft {

// The font for the attributes at a vertical resolution. Its em is
// size × dpiY / 72 pixels, rounded, as the system sizes a font of that many
// points. Fonts are made once per process and shared, never null; throws
// std::runtime_error when no usable face is installed at all.
std::shared_ptr<const RasterFont> ResolveFont(const FontDescription& font, int dpiY);

// What a device context without a selected font draws with: a bold sans
// serif with the system font's 16-pixel line at 96 dpi.
std::shared_ptr<const RasterFont> SystemFont(int dpiY);

// A block of text pixels in the text colour: `height` rows of `width`
// coverage values, 255 fully covered and 0 not at all, each row `stride`
// values after the one above (0 repeats one row).
struct CoverageBlock {
    const std::uint8_t* coverage = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;
};
// Receives a block with its top-left pixel at x, y: a glyph's image, already
// clipped, or a run of an underline. The plot is called once per block.
using CoveragePlot = std::function<void(int x, int y, const CoverageBlock& block)>;
// Receives a drawn line's character cell before its letters, for the
// background colour of an opaque background mode.
using BackgroundFill = std::function<void(const Rect& cell)>;

// DrawTextA: text is Windows-1252 and a negative count means up to the
// first NUL. Lines are tmHeight apart. With DT_CALCRECT nothing is drawn;
// rect's right and bottom become the extent of the text and its left stays,
// whatever the alignment, as on the system. Otherwise glyph coverage goes to
// plot (clipped to rect unless DT_NOCLIP) and cells to background. Returns
// what DrawText returns: the height of the text, or with DT_VCENTER and
// DT_BOTTOM the offset from rect's top to the bottom of the text (1 when
// that is 0). DT_EXPANDTABS is not supported; a tab is drawn as a character.
int LayoutText(const RasterFont& font, const char* text, int count, Rect* rect, unsigned format,
               const CoveragePlot* plot, const BackgroundFill* background);
// DrawTextW: the same for UTF-16 text; count is in code units.
int LayoutText(const RasterFont& font, const char16_t* text, int count, Rect* rect, unsigned format,
               const CoveragePlot* plot, const BackgroundFill* background);

// Moves a line's origin to where the system draws it: aligned across the
// rectangle, and with DT_SINGLELINE also down it; otherwise lines follow one
// another from the top.
void PlaceLine(const Rect& bounds, unsigned format, int width, int height, std::int64_t& x, std::int64_t& y);
// Hands a drawn line's character cell, clipped, to the background fill.
void FillCell(const BackgroundFill& background, int width, int height, std::int64_t x, std::int64_t y,
              const Rect* clip);

}  // namespace lumora::soft
