// SPDX-License-Identifier: MIT
#include "AboutBoxDialog.h"

#include <algorithm>

#include "ServerModule.h"
#include "SystemDialogs.h"

namespace lumora::server {
namespace {

constexpr DWORD kBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK;
// The form's client size in pixels.
SIZE FormSize(pages::frmAbout& form) {
    const pages::Placement extent = form.ClientExtent();
    return SIZE{PixelsX(extent.Width), PixelsY(extent.Height)};
}

// Centred over the owner's window, or over the screen without one.
void Centre(::HWND window, ::HWND owner) {
    RECT box{};
    ::GetWindowRect(window, &box);
    RECT over{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (owner) ::GetWindowRect(owner, &over);
    const int width = static_cast<int>(box.right - box.left);
    const int height = static_cast<int>(box.bottom - box.top);
    const int left = std::max(0, static_cast<int>(over.left + over.right - width) / 2);
    const int top = std::max(0, static_cast<int>(over.top + over.bottom - height) / 2);
    ::SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void ShowAboutBoxDialog(::HWND owner) {
    SystemShell shell;
    SystemScreen screen;
    AboutBoxDialog view(owner);
    pages::AboutBox box(view, shell, screen);
    box.Show();
}

void AboutBoxDialog::ShowModal(pages::frmAbout& form) {
    form_ = &form;
    // A page of a property frame is a child window: the box belongs to the
    // frame's top-level window, which it keeps disabled while it is open.
    const ::HWND owner = owner_ ? ::GetAncestor(owner_, GA_ROOT) : nullptr;
    const EmptyDialogTemplate dialog(kBoxStyle);
    ::DialogBoxIndirectParamW(ModuleInstance(), dialog.get(), owner, &AboutBoxDialog::Procedure,
                              reinterpret_cast<LPARAM>(this));
    form.Unload();
    form_ = nullptr;
}

void AboutBoxDialog::Start(::HWND window) {
    ::SetWindowTextW(window, WideText(form_->Caption()).c_str());
    const SIZE client = FormSize(*form_);
    RECT frame{0, 0, client.cx, client.cy};
    ::AdjustWindowRectEx(&frame, kBoxStyle, FALSE, 0);
    ::SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Centre(window, ::GetWindow(window, GW_OWNER));
    elements_ = std::make_unique<ElementWindows>(window, form_->Elements());
    form_->Observe(elements_.get());
    // The logo's box reaches a few pixels into the title's: the title stays
    // whole above it, and the logo gives way where they meet.
    const ::HWND title = elements_->WindowOf(form_->lblTitle);
    const ::HWND logo = elements_->WindowOf(form_->Picture1);
    if (title && logo) {
        ::SetWindowLongPtrW(logo, GWL_STYLE, ::GetWindowLongPtrW(logo, GWL_STYLE) | WS_CLIPSIBLINGS);
        const ::HWND top = nullptr;  // HWND_TOP, which names our own HWND in this namespace
        ::SetWindowPos(title, top, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    form_->hWnd = HWND{reinterpret_cast<std::uintptr_t>(window)};
    elements_->afterInput = [this, window] {
        if (!form_->IsLoaded()) Close(window);
    };
    // Enter presses OK, which has the focus: the feature list then opens
    // at its first line, not selected.
    ::SendMessageW(window, DM_SETDEFID, static_cast<WPARAM>(elements_->IdOf(form_->cmdOK)), 0);
    if (const ::HWND ok = elements_->WindowOf(form_->cmdOK)) ::SetFocus(ok);
}

void AboutBoxDialog::Close(::HWND window) {
    form_->Unload();
    ::EndDialog(window, IDOK);
}

INT_PTR CALLBACK AboutBoxDialog::Procedure(::HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<AboutBoxDialog*>(lParam)->Start(window);
        return FALSE;
    }
    auto* self = reinterpret_cast<AboutBoxDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (!self || !self->elements_) return FALSE;
    switch (message) {
        case WM_COMMAND:
            // Escape and the close box.
            if (LOWORD(wParam) == IDCANCEL) {
                self->Close(window);
                return TRUE;
            }
            break;
        case WM_DESTROY:
            self->form_->Observe(nullptr);
            self->form_->hWnd = HWND{};
            self->elements_.reset();
            return FALSE;
        default:
            break;
    }
    INT_PTR result = FALSE;
    return self->elements_->OnMessage(message, wParam, lParam, &result) ? result : FALSE;
}

}  // namespace lumora::server
