// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "lumora/pages/PropertyPage.h"

#include "ElementWindows.h"
#include "WindowsHeaders.h"

namespace lumora::server {

// A property page's view: a child dialog of the property frame, the size of
// the page, holding the page's elements at their places.
class PageDialog final {
public:
    // Creates the dialog, hidden, inside parent; Window() is null when the
    // system could not create it.
    PageDialog(pages::PropertyPage& page, ::HWND parent);
    ~PageDialog();
    PageDialog(const PageDialog&) = delete;
    PageDialog& operator=(const PageDialog&) = delete;

    ::HWND Window() const noexcept { return window_; }
    // What the page tells its view goes to the element windows; null once
    // the frame destroyed the dialog.
    pages::IElementView* Elements() noexcept { return elements_.get(); }
    // The window that shows element, or null.
    ::HWND WindowOf(const pages::Element& element) const;

private:
    static INT_PTR CALLBACK Procedure(::HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    pages::PropertyPage& page_;
    ::HWND window_ = nullptr;
    std::unique_ptr<ElementWindows> elements_;
};

}  // namespace lumora::server
