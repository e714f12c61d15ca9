// SPDX-License-Identifier: MIT
#include "platform/soft/TextLayout.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "lumora/platform/Gdi.h"
#include "platform/soft/RasterFont.h"
#include "platform/soft/SoftText.h"

namespace lumora::soft {
namespace {

// A line kept after the layout moved on: a layout's line lasts only until
// its next one.
struct Line {
    std::u16string text;
    int width = 0;
    int prefix = -1;
};

// Line breaking as it was before lines took only what they need: every line
// takes the whole rest of its paragraph and is then cut. Slow on long
// captions, but plainly right; the layout must break exactly as it does.
std::vector<Line> ReferenceLines(const RasterFont& font, std::u16string_view text, int width, unsigned format) {
    const auto isBreak = [](char16_t ch) { return ch == u'\r' || ch == u'\n'; };
    const auto breakBefore = [](std::u16string_view line, std::size_t at) {
        return at > 0 && at < line.size() && line[at - 1] == u' ' && line[at] != u' ';
    };
    std::vector<Line> lines;
    std::size_t position = 0;
    while (position < text.size()) {
        Line line;
        std::vector<int> prefixes;
        std::vector<std::size_t> sources;
        std::size_t at = position;
        std::size_t start = at;
        while (at < text.size() && ((format & DT_SINGLELINE) || !isBreak(text[at]))) {
            if (!(format & DT_NOPREFIX) && text[at] == u'&' && at + 1 < text.size()) {
                ++at;
                if (text[at] != u'&') {
                    prefixes.push_back(static_cast<int>(line.text.size()));
                    continue;
                }
            }
            line.text += text[at];
            sources.push_back(start);
            start = ++at;
        }
        line.prefix = prefixes.empty() ? -1 : prefixes.back();
        std::size_t fit = 0;
        for (int extent = 0; fit < line.text.size(); ++fit) {
            extent += font.Advance(line.text[fit]);
            if (extent > width) break;
        }
        if (fit < line.text.size() && (format & DT_WORDBREAK)) {
            std::size_t cut = fit;
            while (cut > 0 && !breakBefore(line.text, cut)) --cut;
            std::size_t length = 0;
            std::size_t used = 0;
            if (cut > 0) {
                length = (format & (DT_CENTER | DT_RIGHT)) ? cut - 1 : cut;
                used = cut;
            } else {
                std::size_t end = fit;
                while (end < line.text.size() && line.text[end] != u' ') ++end;
                length = end;
                used = end < line.text.size() ? end + 1 : end;
            }
            position = used < sources.size() ? sources[used] : at;
            line.text.resize(length);
            if (line.prefix >= static_cast<int>(length)) {
                line.prefix = -1;
                for (const int prefix : prefixes)
                    if (prefix < static_cast<int>(length)) line.prefix = prefix;
            }
        } else {
            position = at;
            if (position < text.size() && isBreak(text[position])) {
                const char16_t first = text[position++];
                if (position < text.size() && isBreak(text[position]) && text[position] != first) ++position;
            }
        }
        line.width = font.TextWidth(line.text);
        lines.push_back(line);
    }
    return lines;
}

TEST(TextLayout, BreaksRandomCaptionsExactlyAsTakingWholeParagraphsDid) {
    FontDescription description;
    description.name = u"MS Sans Serif";
    description.size = 8;
    const auto font = ResolveFont(description, 96);
    // Words, runs of spaces, access-key marks and every kind of line break.
    const std::u16string pieces[] = {
        u"a", u"Wort", u"Spaltenbeschriftung", u" ", u"  ", u"&", u"&&", u"\r\n", u"\n", u"\r", u"\n\r", u"Ü"};
    const unsigned formats[] = {DT_WORDBREAK, DT_WORDBREAK | DT_CENTER, DT_WORDBREAK | DT_RIGHT | DT_NOPREFIX,
                                DT_SINGLELINE, 0};
    std::mt19937 random(20261208);
    for (int round = 0; round < 5000; ++round) {
        std::u16string text;
        const int count = std::uniform_int_distribution<int>(1, 30)(random);
        for (int i = 0; i < count; ++i)
            text += pieces[std::uniform_int_distribution<std::size_t>(0, std::size(pieces) - 1)(random)];
        const int width = std::uniform_int_distribution<int>(-5, 120)(random);
        const unsigned format = formats[round % std::size(formats)];

        std::vector<Line> lines;
        TextLayout layout(*font, text, width, format);
        while (!layout.AtEnd()) {
            const TextLine line = layout.NextLine();
            lines.push_back({std::u16string(line.text), line.width, line.prefix});
        }
        const std::vector<Line> expected = ReferenceLines(*font, text, width, format);
        ASSERT_EQ(lines.size(), expected.size()) << "round " << round;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].text, expected[i].text) << "round " << round << " line " << i;
            EXPECT_EQ(lines[i].width, expected[i].width) << "round " << round << " line " << i;
            EXPECT_EQ(lines[i].prefix, expected[i].prefix) << "round " << round << " line " << i;
        }
    }
}

}  // namespace
}  // namespace lumora::soft
