// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "lumora/runtime/Types.h"

namespace lumora {

// The system's 8-bit code page (Windows-1252), through which text reaches
// the platform's 8-bit calls. A character the code page lacks becomes "?",
// as the system's own conversion does.
inline constexpr char kUnmappableAnsi = '?';

unsigned char ToAnsiChar(char16_t ch) noexcept;
char16_t FromAnsiChar(unsigned char byte) noexcept;
std::string ToAnsi(const String& text);
String FromAnsi(std::string_view text);

// Lower case as the runtime's LCase gives it for the scripts a caption is
// likely to use (Latin, Greek, Cyrillic); other characters stay as they are.
char16_t LowerCaseChar(char16_t ch) noexcept;
String LCase(const String& text);

}  // namespace lumora
