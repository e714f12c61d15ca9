// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/soft/SoftText.h"

namespace lumora::soft {

// Whether text needs the shaping path: it holds a character outside the
// 8-bit code page that is not a Greek or Cyrillic letter the font has, or
// one that joins, reorders or comes from another font. Text that does not
// is laid out character by character, exactly as the 8-bit call lays it out.
bool NeedsShaping(const RasterFont& font, std::u16string_view text);

// DrawTextW for text in any script: HarfBuzz shapes it, FriBidi orders it,
// UAX #14 (libunibreak) says where a word-broken line may end, and a
// character the font lacks comes from a fallback font of the same size,
// weight and slant. Unpaired surrogates draw as U+FFFD. The flags, return
// value and rectangle are those of LayoutText.
int LayoutShaped(const RasterFont& font, std::u16string_view text, Rect* rect, unsigned format,
                 const CoveragePlot* plot, const BackgroundFill* background);

// One glyph of a shaped line, in visual order (left to right). Positions
// are in 64ths of a pixel; cluster is the index, among the line's
// characters (code points, access-key marks removed), of the first
// character the glyph stands for.
struct ShapedGlyph {
    const RasterFont* font = nullptr;
    unsigned index = 0;
    std::uint32_t cluster = 0;
    std::int32_t advance = 0;
    std::int32_t offsetX = 0;
    std::int32_t offsetY = 0;
};

// The glyphs of one line of text, as LayoutShaped draws it (no breaking,
// no access-key marks).
std::vector<ShapedGlyph> ShapeLine(const RasterFont& font, std::u16string_view text);

}  // namespace lumora::soft
