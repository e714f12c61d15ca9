// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/platform/Dialogs.h"
#include "lumora/platform/FileDialog.h"
#include "lumora/platform/Screen.h"
#include "lumora/platform/Shell.h"

#include "WindowsHeaders.h"

namespace lumora::server {

// Message boxes owned by a window of the control's pages, or by nothing
// while no page is shown.
class SystemMessageBoxes final : public IDialogs {
public:
    void SetOwner(::HWND owner) noexcept { owner_ = owner; }
    int MsgBox(const String& prompt, int buttons, const String& title) override;

private:
    ::HWND owner_ = nullptr;
};

// The system's 8-bit file-open dialog, filled from the columns page's
// request record.
class SystemFileDialog final : public IFileDialog {
public:
    std::uintptr_t ComponentInstance() override;
    bool GetOpenFileNameA(OpenFileName& record) override;
};

// Links open with the program the user chose for them.
class SystemShell final : public IShell {
public:
    std::intptr_t ShellExecuteA(HWND hwnd, const std::string& operation, const std::string& file,
                                const std::string& parameters, const std::string& directory, int showCommand) override;
};

// The pointer over the application's windows: the hourglass while a link
// opens, the arrow otherwise.
class SystemScreen final : public IScreen {
public:
    Integer get_MousePointer() override { return pointer_; }
    void put_MousePointer(Integer pointer) override;

private:
    Integer pointer_ = vbDefault;
};

// A portable string as the system's wide text, and back.
std::wstring WideText(const String& text);
String FromWideText(const wchar_t* text, std::size_t length);

}  // namespace lumora::server
