// SPDX-License-Identifier: MIT
// lumora-demo.exe: the strip hosted in the system's ActiveX container above
// a list it sorts. With --screenshot it runs unattended: loads a form,
// replays pointer input on the strip, captures the window and exits.
#include "DemoWindows.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "AtlContainer.h"
#include "DemoCommandLine.h"
#include "DemoWindow.h"
#include "FormFile.h"
#include "PointerReplay.h"
#include "WindowCapture.h"
#include "platform/win32/Utf8Text.h"

namespace {

using namespace lumora::windemo;

// Exit codes: the run failed, or it was called wrongly.
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// How long a fresh window is given to appear and paint before input or a
// capture.
constexpr DWORD kSettleMilliseconds = 400;

using lumora::win32::Utf8Text;

// Tells the user on the console when there is one, else in a message box.
void Report(const std::wstring& text) {
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    const std::string bytes = Utf8Text(L"lumora-demo: " + text + L"\n");
    DWORD written = 0;
    if (error && error != INVALID_HANDLE_VALUE &&
        ::WriteFile(error, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        return;
    ::MessageBoxW(nullptr, text.c_str(), L"lumora-demo", MB_OK | MB_ICONWARNING);
}

std::vector<std::wstring> Arguments() {
    int count = 0;
    wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::wstring> arguments;
    for (int i = 1; words && i < count; ++i) arguments.emplace_back(words[i]);
    if (words) ::LocalFree(words);
    return arguments;
}

// Owns the thread's OLE initialisation.
class OleSession {
public:
    OleSession() : hr_(::OleInitialize(nullptr)) {}
    ~OleSession() {
        if (SUCCEEDED(hr_)) ::OleUninitialize();
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
    HRESULT result() const noexcept { return hr_; }

private:
    HRESULT hr_;
};

int RunUnattended(DemoWindow& window, const DemoOptions& options) {
    ::SetForegroundWindow(window.Window());
    PumpMessagesFor(kSettleMilliseconds);
    if (!ReplayPointerSteps(window.Strip(), options.events)) {
        Report(L"the system refused the replayed input");
        return kExitFailure;
    }
    PumpMessagesFor(kSettleMilliseconds);
    const HRESULT hr = CaptureWindowToBmp(window.Window(), options.screenshot);
    if (FAILED(hr)) {
        Report(L"cannot write " + options.screenshot + L": " + DescribeFormResult(hr));
        return kExitFailure;
    }
    std::wstring problem;
    if (options.save.empty()) return 0;
    if (const HRESULT saved = window.SaveFormFile(options.save, &problem); FAILED(saved)) {
        Report(L"cannot save " + options.save + L": " + (problem.empty() ? DescribeFormResult(saved) : problem));
        return kExitFailure;
    }
    return 0;
}

int RunInteractive(DemoWindow& window) {
    window.QuitWhenClosed();
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window.PreTranslateMessage(message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    std::wstring error;
    const auto options = ParseDemoArguments(Arguments(), &error);
    if (!options) {
        Report(error + L"\n" + kDemoUsage);
        return kExitUsage;
    }
    const OleSession ole;
    if (FAILED(ole.result())) {
        Report(L"OLE cannot start: " + DescribeFormResult(ole.result()));
        return kExitFailure;
    }
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&controls);

    AtlContainer atl;
    if (!atl.Load(&error)) {
        Report(error);
        return kExitFailure;
    }
    DemoWindow window(atl);
    if (!window.Create(instance, &error)) {
        Report(error);
        return kExitFailure;
    }
    if (!options->form.empty()) {
        std::wstring problem;
        const HRESULT hr = window.LoadFormFile(options->form, &problem);
        if (FAILED(hr)) {
            // The file's own line names it, as the lumora tool's does.
            Report(problem.empty() ? L"cannot load " + options->form + L": " + DescribeFormResult(hr) : problem);
            return kExitFailure;
        }
    }
    window.Show(options->screenshot.empty() ? show : SW_SHOWNORMAL);
    return options->screenshot.empty() ? RunInteractive(window) : RunUnattended(window, *options);
}
