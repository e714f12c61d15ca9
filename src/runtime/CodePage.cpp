// SPDX-License-Identifier: MIT
#include "runtime/CodePage.h"

#include <array>

namespace lumora {
namespace {

// Windows-1252 bytes 0x80..0x9F. The five bytes the code page leaves
// undefined map to the control characters of the same number, as the
// system's conversion does.
constexpr std::array<char16_t, 32> kHighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

unsigned char ToAnsiChar(char16_t ch) noexcept {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return static_cast<unsigned char>(ch);
    for (std::size_t i = 0; i < kHighControlRange.size(); ++i)
        if (kHighControlRange[i] == ch) return static_cast<unsigned char>(0x80 + i);
    return static_cast<unsigned char>(kUnmappableAnsi);
}

std::string ToAnsi(const String& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A surrogate pair is one character and becomes one "?".
        if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            ++i;
        out += static_cast<char>(ToAnsiChar(text[i]));
    }
    return out;
}

char16_t FromAnsiChar(unsigned char byte) noexcept {
    return (byte >= 0x80 && byte < 0xA0) ? kHighControlRange[byte - 0x80] : static_cast<char16_t>(byte);
}

String FromAnsi(std::string_view text) {
    String out;
    out.reserve(text.size());
    for (const char c : text) out += FromAnsiChar(static_cast<unsigned char>(c));
    return out;
}

char16_t LowerCaseChar(char16_t ch) noexcept {
    if (ch >= u'A' && ch <= u'Z') return ch + 0x20;
    if (ch < 0xC0) return ch;
    if (ch <= 0xDE) return ch == 0xD7 ? ch : ch + 0x20;
    if (ch == 0x130) return u'i';
    if (ch == 0x178) return 0xFF;
    // Latin Extended-A pairs capitals with the next code point; the run
    // shifts from even to odd capitals and back.
    if ((ch >= 0x100 && ch <= 0x137) || (ch >= 0x14A && ch <= 0x177)) return (ch % 2 == 0) ? ch + 1 : ch;
    if ((ch >= 0x139 && ch <= 0x148) || (ch >= 0x179 && ch <= 0x17E)) return (ch % 2 == 1) ? ch + 1 : ch;
    if (ch >= 0x391 && ch <= 0x3A9 && ch != 0x3A2) return ch + 0x20;
    if (ch >= 0x410 && ch <= 0x42F) return ch + 0x20;
    if (ch >= 0x400 && ch <= 0x40F) return ch + 0x50;
    return ch;
}

String LCase(const String& text) {
    String out = text;
    for (char16_t& ch : out) ch = LowerCaseChar(ch);
    return out;
}

}  // namespace lumora
