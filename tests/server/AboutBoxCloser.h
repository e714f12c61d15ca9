// SPDX-License-Identifier: MIT
#pragma once

#include "WindowsHeaders.h"

// While one lives, an About box this thread opens is closed again as soon
// as it shows, as a user pressing Escape would: tests that call
// ShowAboutBox on a display do not wait for a user.
namespace lumora::server::testing {

class AboutBoxCloser {
public:
    AboutBoxCloser() : timer_(::SetTimer(nullptr, 0, kTickMilliseconds, &AboutBoxCloser::Tick)) {}
    ~AboutBoxCloser() { ::KillTimer(nullptr, timer_); }
    AboutBoxCloser(const AboutBoxCloser&) = delete;
    AboutBoxCloser& operator=(const AboutBoxCloser&) = delete;

private:
    static constexpr UINT kTickMilliseconds = 50;

    static void CALLBACK Tick(::HWND, UINT, UINT_PTR, DWORD) {
        ::EnumThreadWindows(::GetCurrentThreadId(), &CloseIfAboutBox, 0);
    }
    static BOOL CALLBACK CloseIfAboutBox(::HWND window, LPARAM) {
        wchar_t title[64] = {};
        ::GetWindowTextW(window, title, 64);
        if (::lstrcmpW(title, L"Info zu Lumora List Control") == 0) ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }

    UINT_PTR timer_;
};

}  // namespace lumora::server::testing
