// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace lumora {

// The runtime's value types. The control's behaviour is stated in these
// widths: a Long overflows at 2^31, an Integer at 2^15.
using Long = std::int32_t;
using Integer = std::int16_t;
using Single = float;
using Double = double;
using Byte = std::uint8_t;

// A 16-bit truth value. True is -1, but hosts can hand over any 16-bit value
// and the control keeps it as given.
using Boolean = std::int16_t;
inline constexpr Boolean kTrue = -1;
inline constexpr Boolean kFalse = 0;

constexpr Boolean ToBoolean(bool value) noexcept { return value ? kTrue : kFalse; }

// Counted wide-character text, as the host's strings are.
using String = std::u16string;

// 0x00BBGGRR, or with the high bit set the index of a system colour.
using OLE_COLOR = std::uint32_t;

constexpr OLE_COLOR RGB(int red, int green, int blue) noexcept {
    return static_cast<OLE_COLOR>(red) | (static_cast<OLE_COLOR>(green) << 8) | (static_cast<OLE_COLOR>(blue) << 16);
}

// Pixels of the control's client area; right and bottom are exclusive.
struct Rect {
    Long left = 0;
    Long top = 0;
    Long right = 0;
    Long bottom = 0;

    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

std::ostream& operator<<(std::ostream& out, const Rect& rect);

// UTF-16 <-> UTF-8 for messages, files and test output. Unpaired surrogates
// become U+FFFD on the way out; malformed UTF-8 becomes U+FFFD on the way in.
std::string ToUtf8(const String& text);
String FromUtf8(std::string_view text);

// Whether the text holds a surrogate without its partner: such a text has no
// UTF-8 form, so whatever stores it as UTF-8 has to keep its units instead.
bool HasUnpairedSurrogate(std::u16string_view text);
// The text with each such surrogate replaced by U+FFFD, as it is shown.
String ReplacingUnpairedSurrogates(std::u16string_view text);

}  // namespace lumora
