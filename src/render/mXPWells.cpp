// SPDX-License-Identifier: MIT
#include "render/mXPWells.h"

#include "platform/CodePage.h"

namespace lumora::mXPWells {
namespace {

constexpr char16_t kAccessKeyMarker = u'&';

// The character after a marker at position pos, lower-cased, or "" when the
// marker ends the caption.
String KeyAfter(const String& caption, std::size_t pos) {
    if (pos + 1 >= caption.size()) return String();
    return String(1, LowerCaseChar(caption[pos + 1]));
}

}  // namespace

String ExtractAccessKey(const String& caption) {
    const std::size_t first = caption.find(kAccessKeyMarker);
    if (first == String::npos || first + 1 >= caption.size()) return String();
    if (caption[first + 1] != kAccessKeyMarker) return KeyAfter(caption, first);

    const std::size_t next = caption.find(kAccessKeyMarker, first + 2);
    if (next == String::npos) return String();
    if (next + 1 < caption.size() && caption[next + 1] == kAccessKeyMarker) return String();
    return KeyAfter(caption, next);
}

}  // namespace lumora::mXPWells
