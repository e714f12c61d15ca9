// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "lumora/platform/soft/SoftBitmap.h"
#include "lumora/runtime/Types.h"
#include "platform/soft/SoftText.h"

namespace lumora::soft {

// Wide text laid out once per font, text, rectangle and format, then drawn
// again from what that left: a paint pass draws the same captions in the
// same boxes over and over. What a layout plots is kept as a few layers of
// coverage, each a block over the text's extent; blending them in order puts
// down the pixels the glyphs blended one by one put down, whatever colour
// the text is drawn in, since a glyph that overlaps an earlier one's ink
// goes to a later layer.
class TextRunCache {
public:
    // The longest text kept as a run. Glyphs are put into layers by
    // comparing each with those before it, which only short texts such as
    // captions can afford; longer ones are laid out each time they are drawn.
    static constexpr std::size_t kMaxText = 256;
    // The most glyph pixels a run keeps. A caption in a giant font covers
    // millions of pixels, nearly all of them off the surface it is drawn
    // on; such text is laid out each time, which puts down only what the
    // surface shows, instead of being kept whole.
    static constexpr std::int64_t kMaxRunPixels = std::int64_t{1} << 19;
    // A layout's result: what DrawText returns and leaves in the rectangle,
    // and the text's coverage.
    struct Run {
        int height = 0;
        Rect rect;
        struct Layer {
            Rect box;
            std::vector<std::uint8_t> coverage;  // box's rows, one value a pixel
        };
        std::vector<Layer> layers;
        // False when the text covers more than kMaxRunPixels: the run then
        // holds only the height and rectangle, and the text is drawn by
        // laying it out again.
        bool kept = true;

        // Hands every layer to the plot, first to last.
        void Plot(const CoveragePlot& plot) const;
        // The coverage values the layers keep.
        std::int64_t Pixels() const noexcept;
        // Blends the run in the colour on to a 32-bit surface, within bounds,
        // through the plot. A blend is a function of the pixels under the
        // text alone: drawn again in the same colour over the pixels the last
        // drawing found, the run copies the pixels that drawing left.
        void Blend(SoftBitmap& surface, const Rect& bounds, COLORREF color, const CoveragePlot& plot);

    private:
        struct Shot {
            COLORREF color = 0;
            Rect box;
            std::vector<std::uint32_t> before;
            std::vector<std::uint32_t> after;
        };
        Rect Extent() const noexcept;
        std::vector<Shot> shots_;
    };

    // The run of the text, laid out now if it is not kept yet. The text is
    // not empty; the reference lasts until the next call.
    Run& Find(const std::shared_ptr<const RasterFont>& font, std::u16string_view text, const Rect& rect,
              unsigned format);

private:
    // A key carries its hash, worked out once per lookup: the table then
    // tells most keys apart without reading their text.
    struct Key {
        std::size_t hash;
        const RasterFont* font;
        std::u16string_view text;
        Rect rect;
        unsigned format;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const noexcept { return key.hash; }
    };
    static std::size_t Hash(const RasterFont* font, std::u16string_view text, const Rect& rect,
                            unsigned format) noexcept;
    struct Entry {
        // The key's text lives here, and the font as long as the entry.
        std::u16string text;
        std::shared_ptr<const RasterFont> font;
        Rect rect;
        unsigned format = 0;
        Run run;
        // The entry asked for after this one last time.
        Entry* next = nullptr;

        bool Is(const RasterFont* otherFont, std::u16string_view otherText, const Rect& otherRect,
                unsigned otherFormat) const noexcept {
            return font.get() == otherFont && rect == otherRect && format == otherFormat && text == otherText;
        }
    };
    // More runs than a strip of a few thousand columns draws in its states,
    // and more coverage than they keep in any font a screen shows; beyond
    // either the cache starts afresh.
    static constexpr std::size_t kMaxRuns = 8192;
    static constexpr std::int64_t kMaxKeptPixels = std::int64_t{1} << 26;

    static Run Lay(const RasterFont& font, std::u16string_view text, Rect rect, unsigned format);
    // The entry of the key in the table, laid out now if it is not there.
    Entry* Lookup(const std::shared_ptr<const RasterFont>& font, std::u16string_view text, const Rect& rect,
                  unsigned format);

    // The entry found last. A pass asks for its captions in the order of
    // the pass before, so the entry asked for after it last time is tried
    // first, without a hash.
    Entry* last_ = nullptr;
    std::int64_t keptPixels_ = 0;
    std::unordered_map<Key, std::unique_ptr<Entry>, KeyHash> runs_;
};

}  // namespace lumora::soft
