// SPDX-License-Identifier: MIT
#include "server/DialogWatchdog.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace lumora::test {
namespace {

// Whether this process can show windows: the run under Xvfb can, a run
// without a display cannot.
bool HasDisplay() {
    const ::HWND probe = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!probe) return false;
    ::DestroyWindow(probe);
    return true;
}

// A box like the pages' own refusals, which a test must answer.
int ShowRefusal() { return ::MessageBoxW(nullptr, L"Ungültiges Bild", L"Lumora", MB_OK | MB_ICONWARNING); }

TEST(DialogWatchdog, CancelsAnUnansweredMessageBoxAndFailsTheTestSayingWhatItShowed) {
    if (!HasDisplay()) GTEST_SKIP() << "no display";
    DialogWatchdog watchdog(300);
    watchdog.Start();
    // Returning at all shows the box was closed for the test.
    EXPECT_NONFATAL_FAILURE(ShowRefusal(), "left unanswered");
    EXPECT_NONFATAL_FAILURE(ShowRefusal(), "dialog \"Lumora\" showing");
    EXPECT_NONFATAL_FAILURE(ShowRefusal(), "\"Ungültiges Bild\"");
    watchdog.Stop();
    EXPECT_EQ(DescribeDialogs(), "  no dialog\n");
}

}  // namespace
}  // namespace lumora::test
