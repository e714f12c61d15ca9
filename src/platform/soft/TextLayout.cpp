// SPDX-License-Identifier: MIT
#include "platform/soft/TextLayout.h"

#include <algorithm>

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

std::size_t CharsThatFit(const RasterFont& font, std::u16string_view line, int width) {
    int extent = 0;
    std::size_t count = 0;
    for (; count < line.size(); ++count) {
        extent += font.Advance(line[count]);
        if (extent > width) break;
    }
    return count;
}

}  // namespace

TextLayout::TextLayout(const RasterFont& font, std::u16string_view text, int width, unsigned format)
    : font_(font), text_(text), width_(width), format_(format) {}

std::size_t TextLayout::SegmentEnd() const noexcept {
    if (format_ & DT_SINGLELINE) return text_.size();
    std::size_t end = position_;
    while (end < text_.size() && !IsLineBreak(text_[end])) ++end;
    return end;
}

bool TextLayout::HasPrefixes(std::size_t end) const noexcept {
    if (format_ & DT_NOPREFIX) return false;
    // A lone "&" as the text's last character is drawn as it is.
    const std::size_t last = std::min(end, text_.size() - 1);
    return text_.substr(position_, last > position_ ? last - position_ : 0).find(kPrefix) != std::u16string_view::npos;
}

void TextLayout::RemovePrefixes(std::size_t end) {
    line_.clear();
    sources_.clear();
    prefixes_.clear();
    std::size_t at = position_;
    std::size_t start = at;
    while (at < end) {
        if (text_[at] == kPrefix && at + 1 < text_.size()) {
            ++at;
            if (text_[at] != kPrefix) {
                prefixes_.push_back(static_cast<int>(line_.size()));
                continue;
            }
        }
        line_ += text_[at];
        sources_.push_back(start);
        start = ++at;
    }
}

TextLine TextLayout::NextLine() {
    const std::size_t end = SegmentEnd();
    // Most lines are a plain piece of the input and are not copied.
    const bool copied = HasPrefixes(end);
    TextLine line;
    if (copied) {
        RemovePrefixes(end);
        line.text = line_;
        // The last marked character on a line is its access key.
        line.prefix = prefixes_.empty() ? -1 : prefixes_.back();
    } else {
        line.text = text_.substr(position_, end - position_);
    }

    const std::size_t fit = CharsThatFit(font_, line.text, width_);
    if (fit < line.text.size() && (format_ & DT_WORDBREAK)) {
        const Cut cut = CutLine(line.text, fit, (format_ & (DT_CENTER | DT_RIGHT)) != 0);
        if (cut.used >= line.text.size())
            position_ = end;
        else
            position_ = copied ? sources_[cut.used] : position_ + cut.used;
        line.text = line.text.substr(0, cut.length);
        if (line.prefix >= static_cast<int>(cut.length)) {
            line.prefix = -1;
            for (const int prefix : prefixes_)
                if (prefix < static_cast<int>(cut.length)) line.prefix = prefix;
        }
    } else {
        position_ = end;
        SkipLineBreak();
    }
    line.width = font_.TextWidth(line.text);
    return line;
}

void TextLayout::SkipLineBreak() {
    if (AtEnd() || !IsLineBreak(text_[position_])) return;
    const char16_t first = text_[position_++];
    // CR LF and LF CR are one break; CR CR and LF LF are two.
    if (!AtEnd() && IsLineBreak(text_[position_]) && text_[position_] != first) ++position_;
}

}  // namespace lumora::soft
