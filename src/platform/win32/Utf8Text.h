// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace lumora::win32 {

// A wide text as UTF-8, for consoles, logs and test messages.
inline std::string Utf8Text(std::wstring_view text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string result(bytes > 0 ? static_cast<size_t>(bytes) : 0, '\0');
    if (bytes > 0) ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, result.data(), bytes, nullptr, nullptr);
    return result;
}

// UTF-8 as a wide text, for messages the portable code words.
inline std::wstring WideText(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int length = static_cast<int>(utf8.size());
    const int units = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring result(units > 0 ? static_cast<size_t>(units) : 0, L'\0');
    if (units > 0) ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, result.data(), units);
    return result;
}

}  // namespace lumora::win32
