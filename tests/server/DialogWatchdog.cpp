// SPDX-License-Identifier: MIT
#include "DialogWatchdog.h"

#include <algorithm>
#include <vector>

#include "platform/win32/Utf8Text.h"

namespace lumora::test {
namespace {

// How often the watchdog looks at the thread's windows.
constexpr UINT kTickMilliseconds = 100;
// The window class of the system's dialogs, message boxes and property frames.
constexpr wchar_t kDialogClass[] = L"#32770";

// The watchdogs running now, by their timer, for the timer's callback.
std::map<UINT_PTR, DialogWatchdog*>& Running() {
    static std::map<UINT_PTR, DialogWatchdog*> running;
    return running;
}

using lumora::win32::Utf8Text;

std::wstring WindowText(::HWND window) {
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return text;
}

bool IsDialog(::HWND window) {
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    return ::lstrcmpW(name, kDialogClass) == 0;
}

BOOL CALLBACK CollectDialog(::HWND window, LPARAM dialogs) {
    if (::IsWindowVisible(window) && IsDialog(window))
        reinterpret_cast<std::vector<::HWND>*>(dialogs)->push_back(window);
    return TRUE;
}

std::vector<::HWND> VisibleDialogs() {
    std::vector<::HWND> dialogs;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
    return dialogs;
}

BOOL CALLBACK CollectText(::HWND window, LPARAM texts) {
    const std::wstring text = WindowText(window);
    if (!text.empty()) reinterpret_cast<std::vector<std::wstring>*>(texts)->push_back(text);
    return TRUE;
}

}  // namespace

std::string DescribeDialogs() {
    std::string description;
    for (::HWND dialog : VisibleDialogs()) {
        description += "  dialog \"" + Utf8Text(WindowText(dialog)) + "\" showing";
        std::vector<std::wstring> texts;
        ::EnumChildWindows(dialog, &CollectText, reinterpret_cast<LPARAM>(&texts));
        for (const std::wstring& text : texts) description += " \"" + Utf8Text(text) + "\"";
        description += '\n';
    }
    return description.empty() ? "  no dialog\n" : description;
}

DialogWatchdog::DialogWatchdog(ULONGLONG limitMilliseconds) : limit_(limitMilliseconds) {}

DialogWatchdog::~DialogWatchdog() { Stop(); }

void DialogWatchdog::OnTestStart(const ::testing::TestInfo&) { Start(); }

void DialogWatchdog::OnTestEnd(const ::testing::TestInfo&) { Stop(); }

void DialogWatchdog::Start() {
    Stop();
    timer_ = ::SetTimer(nullptr, 0, kTickMilliseconds, &DialogWatchdog::Tick);
    if (timer_) Running()[timer_] = this;
}

void DialogWatchdog::Stop() {
    if (timer_) {
        ::KillTimer(nullptr, timer_);
        Running().erase(timer_);
        timer_ = 0;
    }
    since_.clear();
}

void CALLBACK DialogWatchdog::Tick(::HWND, UINT, UINT_PTR timer, DWORD) {
    const auto found = Running().find(timer);
    if (found != Running().end()) found->second->Check();
}

void DialogWatchdog::Check() {
    const ULONGLONG now = ::GetTickCount64();
    const std::vector<::HWND> dialogs = VisibleDialogs();
    std::erase_if(since_, [&](const auto& entry) {
        return std::find(dialogs.begin(), dialogs.end(), entry.first) == dialogs.end();
    });
    for (::HWND dialog : dialogs) {
        const auto [entry, added] = since_.try_emplace(dialog, now);
        if (added || now - entry->second < limit_) continue;
        ADD_FAILURE() << "a dialog was left unanswered for " << (now - entry->second)
                      << " ms and is cancelled; on screen:\n"
                      << DescribeDialogs();
        // Should it stay, it is tried again after another limit.
        entry->second = now;
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    }
}

namespace {

// gtest_main runs the tests; the watchdog joins them before it does.
[[maybe_unused]] const bool watchdogAdded = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new DialogWatchdog);
    return true;
}();

}  // namespace
}  // namespace lumora::test
