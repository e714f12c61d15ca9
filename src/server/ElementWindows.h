// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "lumora/pages/PageElements.h"

#include "WindowsHeaders.h"

namespace lumora::server {

// The elements of a page or of the About box as the system's controls in a
// dialog: a static for a label, an edit for a text box, a check box, a
// scroll bar, push buttons, a group box for a frame, an owner-drawn static
// for a picture box. The elements stay the truth: the user's input goes
// into them, and what they then show comes back into the windows.
class ElementWindows final : public pages::IElementView {
public:
    // Creates a window for every visible element inside dialog.
    ElementWindows(::HWND dialog, const std::vector<pages::Element*>& elements);
    ~ElementWindows() override;
    ElementWindows(const ElementWindows&) = delete;
    ElementWindows& operator=(const ElementWindows&) = delete;

    // Handles what the dialog hears from the element windows: commands,
    // scrolling, owner drawing, colours and the link pointer. True when the
    // message was theirs; result is then the dialog procedure's answer.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result);

    void ElementUpdated(const pages::Element& element, std::string_view property) override;

    // The window showing element, or null for an element without one.
    ::HWND WindowOf(const pages::Element& element) const;
    // The control identifier of element's window, 0 for none.
    int IdOf(const pages::Element& element) const;

    // Runs after every input the user gave an element, for a dialog that
    // closes once its form is unloaded.
    std::function<void()> afterInput;

private:
    struct Shown {
        pages::Element* element;
        ::HWND window;
        int id;
    };
    class Fonts;

    void Create(pages::Element& element, int id);
    void ShowState(const Shown& shown);
    // The element's place in the dialog in pixels; an element in a frame
    // is placed relative to it.
    RECT PixelRect(const pages::Element& element) const;
    void FitPicture(const Shown& shown);
    const Shown* Find(::HWND window) const;
    const Shown* Find(int id) const;
    void OnCommand(const Shown& shown, int code);
    void OnScroll(const Shown& shown, int request);
    void Draw(const DRAWITEMSTRUCT& item);
    INT_PTR Colour(const Shown& shown, ::HDC dc);
    // Runs one input of the user: a runtime error the element's handler
    // let through is shown, as the designer shows a handler's error.
    void AsUser(const std::function<void()>& input);

    ::HWND dialog_;
    std::vector<Shown> shown_;
    std::unique_ptr<Fonts> fonts_;
    ::HWND toolTips_ = nullptr;
    // Set while a window is made to show what its element holds, so that
    // its own change notification is not taken for the user's input.
    bool updating_ = false;
};

// Pixels on the screen for a length in twips.
int PixelsX(Long twips);
int PixelsY(Long twips);

// An in-memory dialog template without controls: the element windows are
// created when the dialog starts.
struct EmptyDialogTemplate {
    explicit EmptyDialogTemplate(DWORD style, DWORD extendedStyle = 0);
    const DLGTEMPLATE* get() const noexcept { return reinterpret_cast<const DLGTEMPLATE*>(words); }

    // The header, then no menu, the standard class and no title.
    alignas(DWORD) WORD words[sizeof(DLGTEMPLATE) / sizeof(WORD) + 3] = {};
};

}  // namespace lumora::server
