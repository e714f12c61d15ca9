// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::soft {

class RasterFont;

// One line of DrawText output. Its text lies in the input or in the
// layout's buffer, and lasts until the layout's next line.
struct TextLine {
    std::u16string_view text;  // the characters drawn, access-key prefixes removed
    int width = 0;             // sum of their advances
    int prefix = -1;           // index of the character underlined as access key, or -1
};

// Cuts DrawText input into lines the way the system does: at CR, LF, CR LF
// and LF CR unless DT_SINGLELINE; at spaces when DT_WORDBREAK and a line is
// wider than the rectangle; "&x" marks x as the access key and "&&" stands
// for "&" unless DT_NOPREFIX. Tabs are ordinary characters: DT_EXPANDTABS is
// not supported.
class TextLayout {
public:
    TextLayout(const RasterFont& font, std::u16string_view text, int width, unsigned format);
    ~TextLayout();
    TextLayout(const TextLayout&) = delete;
    TextLayout& operator=(const TextLayout&) = delete;

    // Where a line is built (see line_ below).
    struct Buffers {
        std::u16string line;
        std::vector<std::size_t> sources;
        std::vector<int> prefixes;
    };

    bool AtEnd() const noexcept { return position_ >= text_.size(); }
    // The next line; call while !AtEnd().
    TextLine NextLine();

private:
    // Where the line after a word-broken one starts in the input, given how
    // many of the line's characters the break consumed.
    std::size_t SourceAfter(std::size_t used, std::size_t segmentEnd) const;
    // Moves past the line break that ended a line.
    void SkipLineBreak();

    const RasterFont& font_;
    std::u16string_view text_;
    int width_ = 0;
    unsigned format_ = 0;
    std::size_t position_ = 0;
    // The line being built: its characters; where each starts in the
    // input, counting a prefix with the character it marks; and which are
    // marked. A thread's first layout borrows buffers that outlive it, so
    // drawing text allocates nothing once they have grown; a layout made
    // while another is alive keeps buffers of its own.
    Buffers own_;
    Buffers* buffers_ = &own_;
    std::u16string& line_;
    std::vector<std::size_t>& sources_;
    std::vector<int>& prefixes_;
};

}  // namespace lumora::soft
