// SPDX-License-Identifier: MIT
#include "PageDialog.h"

#include "ServerModule.h"

namespace lumora::server {
namespace {

// A control inside the frame's dialog: the frame's keyboard navigation
// walks into the page's fields.
constexpr DWORD kPageStyle = WS_CHILD | DS_CONTROL | DS_3DLOOK;

}  // namespace

PageDialog::PageDialog(pages::PropertyPage& page, ::HWND parent) : page_(page) {
    const EmptyDialogTemplate dialog(kPageStyle, WS_EX_CONTROLPARENT);
    window_ = ::CreateDialogIndirectParamW(ModuleInstance(), dialog.get(), parent, &PageDialog::Procedure,
                                           reinterpret_cast<LPARAM>(this));
}

PageDialog::~PageDialog() {
    if (window_) ::DestroyWindow(window_);
}

::HWND PageDialog::WindowOf(const pages::Element& element) const {
    return elements_ ? elements_->WindowOf(element) : nullptr;
}

INT_PTR CALLBACK PageDialog::Procedure(::HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<PageDialog*>(lParam);
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->window_ = window;
        ::SetWindowPos(window, nullptr, 0, 0, PixelsX(self->page_.Width()), PixelsY(self->page_.Height()),
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        self->elements_ = std::make_unique<ElementWindows>(window, self->page_.Elements());
        return FALSE;
    }
    auto* self = reinterpret_cast<PageDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (!self || !self->elements_) return FALSE;
    if (message == WM_DESTROY) {
        // The frame may destroy the dialog before it deactivates the page.
        self->elements_.reset();
        self->window_ = nullptr;
        return FALSE;
    }
    INT_PTR result = FALSE;
    return self->elements_->OnMessage(message, wParam, lParam, &result) ? result : FALSE;
}

}  // namespace lumora::server
