// SPDX-License-Identifier: MIT
#pragma once

#include "WindowsHeaders.h"

#include <map>
#include <string>

#include <gtest/gtest.h>

namespace lumora::test {

// How long a dialog may stay up without a test answering it before the
// watchdog fails the test and closes it. Generous, because Wine on a loaded
// machine is slow; a hang ends in seconds rather than at the run's limit.
constexpr ULONGLONG kDialogLimitMilliseconds = 30000;

// One line per visible dialog of this thread: its title and the texts of
// its controls, the message of a message box among them. What a failure
// shows of the screen.
std::string DescribeDialogs();

// Watches every test of the run: a dialog of the test's thread that stays
// up longer than the limit fails the running test with what it showed and
// is cancelled, as its Cancel button or Escape would, so the run goes on.
// The thread's message loop drives it, and a modal dialog runs one.
class DialogWatchdog : public ::testing::EmptyTestEventListener {
public:
    explicit DialogWatchdog(ULONGLONG limitMilliseconds = kDialogLimitMilliseconds);
    ~DialogWatchdog() override;
    DialogWatchdog(const DialogWatchdog&) = delete;
    DialogWatchdog& operator=(const DialogWatchdog&) = delete;

    void OnTestStart(const ::testing::TestInfo& test) override;
    void OnTestEnd(const ::testing::TestInfo& test) override;

    // Watches from now until Stop, outside the run's own listener too.
    void Start();
    void Stop();

private:
    static void CALLBACK Tick(::HWND, UINT, UINT_PTR timer, DWORD);
    // Notes the dialogs that came up and closes those up too long.
    void Check();

    ULONGLONG limit_;
    UINT_PTR timer_ = 0;
    // Each dialog on screen and when it was first seen.
    std::map<::HWND, ULONGLONG> since_;
};

}  // namespace lumora::test
