// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "lumora/pages/frmAbout.h"

#include "ElementWindows.h"
#include "WindowsHeaders.h"

namespace lumora::server {

// Shows the control's About box modally over owner (null for none) and
// returns once the user closed it. Every error is ignored.
void ShowAboutBoxDialog(::HWND owner);

// The About box as a modal dialog: the form's elements at their places, its
// caption as the title; OK, Escape and the close box unload the form.
class AboutBoxDialog final : public pages::IAboutBoxView {
public:
    explicit AboutBoxDialog(::HWND owner = nullptr) noexcept : owner_(owner) {}
    AboutBoxDialog(const AboutBoxDialog&) = delete;
    AboutBoxDialog& operator=(const AboutBoxDialog&) = delete;

    void SetOwner(::HWND owner) noexcept { owner_ = owner; }
    void ShowModal(pages::frmAbout& form) override;

private:
    static INT_PTR CALLBACK Procedure(::HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Start(::HWND window);
    void Close(::HWND window);

    ::HWND owner_;
    pages::frmAbout* form_ = nullptr;
    std::unique_ptr<ElementWindows> elements_;
};

}  // namespace lumora::server
