// SPDX-License-Identifier: MIT
#include "SystemDialogs.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include <commdlg.h>
#include <shellapi.h>

#include "ServerModule.h"

namespace lumora::server {
namespace {

// The request record's 76 bytes are its form without the later extension
// fields; the same form is this size in a 64-bit process.
constexpr DWORD kRecordWithoutExtensions = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
constexpr Long kRecordWithoutExtensions32 = 76;

const char* TextOrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

}  // namespace

std::wstring WideText(const String& text) { return std::wstring(text.begin(), text.end()); }

String FromWideText(const wchar_t* text, std::size_t length) { return String(text, text + length); }

int SystemMessageBoxes::MsgBox(const String& prompt, int buttons, const String& title) {
    return ::MessageBoxW(owner_, WideText(prompt).c_str(), WideText(title).c_str(), static_cast<UINT>(buttons));
}

std::uintptr_t SystemFileDialog::ComponentInstance() { return reinterpret_cast<std::uintptr_t>(ModuleInstance()); }

bool SystemFileDialog::GetOpenFileNameA(OpenFileName& record) {
    // The dialog writes into the file buffer, so it gets a copy of the
    // record's buffer that is as long as the record says.
    std::vector<char> file(record.lpstrFile.begin(), record.lpstrFile.end());
    file.resize(static_cast<std::size_t>(std::max<Long>(record.nMaxFile, 1)), '\0');
    OPENFILENAMEA request{};
    request.lStructSize =
        record.lStructSize == kRecordWithoutExtensions32 ? kRecordWithoutExtensions : sizeof(OPENFILENAMEA);
    request.hwndOwner = reinterpret_cast<::HWND>(record.hwndOwner.value);
    request.hInstance = reinterpret_cast<HINSTANCE>(record.hInstance);
    request.lpstrFilter = TextOrNull(record.lpstrFilter);
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.lpstrTitle = TextOrNull(record.lpstrTitle);
    request.Flags = static_cast<DWORD>(record.Flags);
    request.lpstrDefExt = TextOrNull(record.lpstrDefExt);
    const bool chosen = ::GetOpenFileNameA(&request) != FALSE;
    record.lpstrFile.assign(file.begin(), file.end());
    return chosen;
}

std::intptr_t SystemShell::ShellExecuteA(HWND hwnd, const std::string& operation, const std::string& file,
                                         const std::string& parameters, const std::string& directory, int showCommand) {
    const HINSTANCE result = ::ShellExecuteA(reinterpret_cast<::HWND>(hwnd.value), operation.c_str(), file.c_str(),
                                             parameters.c_str(), directory.c_str(), showCommand);
    return reinterpret_cast<std::intptr_t>(result);
}

void SystemScreen::put_MousePointer(Integer pointer) {
    pointer_ = pointer;
    ::SetCursor(::LoadCursorA(nullptr, pointer == vbHourglass ? IDC_WAIT : IDC_ARROW));
}

}  // namespace lumora::server
