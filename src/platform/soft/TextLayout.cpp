// SPDX-License-Identifier: MIT
#include "platform/soft/TextLayout.h"

#include <optional>

#include "lumora/platform/Gdi.h"
#include "platform/soft/RasterFont.h"

namespace lumora::soft {
namespace {

constexpr char16_t kPrefix = u'&';
constexpr char16_t kSpace = u' ';

bool IsLineBreak(char16_t ch) noexcept { return ch == u'\r' || ch == u'\n'; }

// A line may break before the first character after a run of spaces.
bool BreakBefore(std::u16string_view line, std::size_t at) noexcept {
    return at > 0 && at < line.size() && line[at - 1] == kSpace && line[at] != kSpace;
}

// Whether a line whose first `fit` characters fit breaks at a space within
// them, so that no character after the first that does not fit matters.
bool HasBreakBefore(std::u16string_view line, std::size_t fit) noexcept {
    for (std::size_t at = fit; at > 0; --at)
        if (BreakBefore(line, at)) return true;
    return false;
}

struct Cut {
    std::size_t length;  // characters left on the line
    std::size_t used;    // characters the next line does not start with
};

// Where the system breaks a line of which only the first `fit` characters
// fit. Left-aligned lines keep the spaces after their last word; centred and
// right-aligned lines drop the last of them. A first word wider than the
// rectangle stays whole and overflows, and one space after it is swallowed.
Cut CutLine(std::u16string_view line, std::size_t fit, bool aligned) noexcept {
    std::size_t at = fit;
    while (at > 0 && !BreakBefore(line, at)) --at;
    if (at > 0) return {aligned ? at - 1 : at, at};
    std::size_t end = fit;
    while (end < line.size() && line[end] != kSpace) ++end;
    return {end, end < line.size() ? end + 1 : end};
}

}  // namespace

namespace {

thread_local TextLayout::Buffers scratchBuffers;
thread_local bool scratchInUse = false;

TextLayout::Buffers* Borrow(TextLayout::Buffers* own) {
    if (scratchInUse) return own;
    scratchInUse = true;
    return &scratchBuffers;
}

}  // namespace

TextLayout::TextLayout(const RasterFont& font, std::u16string_view text, int width, unsigned format)
    : font_(font),
      text_(text),
      width_(width),
      format_(format),
      buffers_(Borrow(&own_)),
      line_(buffers_->line),
      sources_(buffers_->sources),
      prefixes_(buffers_->prefixes) {}

TextLayout::~TextLayout() {
    if (buffers_ != &scratchBuffers) return;
    // A caption of thousands of characters does not keep its memory.
    constexpr std::size_t kKeptCharacters = 4096;
    if (scratchBuffers.line.capacity() > kKeptCharacters) scratchBuffers = Buffers{};
    scratchInUse = false;
}

TextLine TextLayout::NextLine() {
    // The line's characters go to a buffer the layout keeps, which stops
    // growing after the first long line.
    line_.clear();
    sources_.clear();
    prefixes_.clear();
    const bool prefixed = !(format_ & DT_NOPREFIX);
    const bool singleLine = (format_ & DT_SINGLELINE) != 0;
    const bool wordBreak = (format_ & DT_WORDBREAK) != 0;
    const bool aligned = (format_ & (DT_CENTER | DT_RIGHT)) != 0;
    // How many characters fit, once one does not; the width so far.
    std::optional<std::size_t> fit;
    int extent = 0;
    std::size_t at = position_;
    std::size_t start = at;
    while (at < text_.size() && (singleLine || !IsLineBreak(text_[at]))) {
        // A lone "&" as the text's last character is drawn as it is.
        if (prefixed && text_[at] == kPrefix && at + 1 < text_.size()) {
            ++at;
            if (text_[at] != kPrefix) {
                prefixes_.push_back(static_cast<int>(line_.size()));
                continue;
            }
        }
        line_ += text_[at];
        sources_.push_back(start);
        start = ++at;
        // A line that breaks at a word needs its characters only up to the
        // break, not the rest of the paragraph: taking those too would make
        // a long caption cost the square of its length.
        if (!wordBreak) continue;
        if (!fit) {
            extent += font_.Advance(line_.back());
            if (extent > width_) fit = line_.size() - 1;
        }
        if (fit && (HasBreakBefore(line_, *fit) || line_.back() == kSpace)) break;
    }
    TextLine line;
    line.text = line_;
    // The last marked character on a line is its access key.
    line.prefix = prefixes_.empty() ? -1 : prefixes_.back();

    if (fit) {
        const Cut cut = CutLine(line.text, *fit, aligned);
        position_ = SourceAfter(cut.used, at);
        line.text = line.text.substr(0, cut.length);
        if (line.prefix >= static_cast<int>(cut.length)) {
            line.prefix = -1;
            for (const int prefix : prefixes_)
                if (prefix < static_cast<int>(cut.length)) line.prefix = prefix;
        }
    } else {
        position_ = at;
        SkipLineBreak();
    }
    line.width = font_.TextWidth(line.text);
    return line;
}

std::size_t TextLayout::SourceAfter(std::size_t used, std::size_t segmentEnd) const {
    if (used < sources_.size()) return sources_[used];
    // The break took every character the line gathered. Access-key marks
    // that mark no character (an "&" before the line break) still belong to
    // this line: the next one starts after them, at the next character.
    const bool prefixed = !(format_ & DT_NOPREFIX);
    const bool singleLine = (format_ & DT_SINGLELINE) != 0;
    std::size_t at = segmentEnd;
    while (at < text_.size() && (singleLine || !IsLineBreak(text_[at]))) {
        if (prefixed && text_[at] == kPrefix && at + 1 < text_.size() && text_[at + 1] != kPrefix) {
            ++at;
            continue;
        }
        return segmentEnd;
    }
    return at;
}

void TextLayout::SkipLineBreak() {
    if (AtEnd() || !IsLineBreak(text_[position_])) return;
    const char16_t first = text_[position_++];
    // CR LF and LF CR are one break; CR CR and LF LF are two.
    if (!AtEnd() && IsLineBreak(text_[position_]) && text_[position_] != first) ++position_;
}

}  // namespace lumora::soft
