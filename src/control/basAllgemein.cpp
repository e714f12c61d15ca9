// SPDX-License-Identifier: MIT
#include "control/basAllgemein.h"

#include "lumora/runtime/RuntimeError.h"
#include "runtime/Arithmetic.h"

namespace lumora::basAllgemein {
namespace {

// The runtime's InStr: the 1-based position of what in text at or after
// start, or 0. An empty text has no match; an empty search string matches
// at start.
Long InStr(Long start, const String& text, const String& what) {
    const auto length = static_cast<Long>(text.size());
    if (length == 0 || start > length) return 0;
    if (what.empty()) return start;
    const auto found = text.find(what, static_cast<std::size_t>(start - 1));
    return found == String::npos ? 0 : static_cast<Long>(found) + 1;
}

Integer Length16(const String& text) { return Narrow<Integer>(static_cast<long long>(text.size())); }

String StripQuotes(String piece) {
    if (!piece.empty() && piece.front() == u'"') piece.erase(0, 1);
    if (!piece.empty() && piece.back() == u'"') piece.pop_back();
    return piece;
}

}  // namespace

Integer fnc_CountDelimiters(const String& Text, const String& Delimiter) {
    // Working through an offset instead of shortening a copy keeps long
    // texts linear; the positions are the same.
    Integer count = 0;
    std::size_t offset = 0;
    while (offset < Text.size()) {
        const std::size_t found = Delimiter.empty() ? offset : Text.find(Delimiter, offset);
        if (found == String::npos) break;
        count = CheckedAdd<Integer>(count, 1);
        offset = found + 1;
    }
    return count;
}

String fnc_GetToken(const String& Text, Integer Index, const String& Delimiter) {
    if (Index < 0) {
        const Integer pieces = CheckedAdd<Integer>(fnc_CountDelimiters(Text, Delimiter), 2);
        Index = CheckedAdd<Integer>(pieces, Index);
    }
    if (Index <= 0) return String();

    const Integer delimiterLength = Length16(Delimiter);
    Integer position = CheckedSub<Integer>(1, delimiterLength);
    Integer start = 0;
    for (Integer i = 0; i < Index; ++i) {
        start = CheckedAdd<Integer>(position, delimiterLength);
        const Long found = InStr(start, Text, Delimiter);
        position = found > 0 ? Narrow<Integer>(found) : CheckedAdd<Integer>(Length16(Text), 1);
    }
    if (start > position) return String();
    return StripQuotes(Text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(position - start)));
}

}  // namespace lumora::basAllgemein
