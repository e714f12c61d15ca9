// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "lumora/pages/frmAbout.h"

namespace lumora::headless {

// Shows the About box without a screen: while it is "open" the test's user
// acts on it (reads it, clicks its links, presses OK); a box the user left
// open is closed with the window's close box. The view writes
// "Show Info zu ..." and "Close" into the log it shares.
class HeadlessAboutBoxView final : public pages::IAboutBoxView {
public:
    // The window handle the shown box gets.
    static constexpr HWND kWindow{0xAB0};

    explicit HeadlessAboutBoxView(std::vector<std::string>& log) : log_(log) {}

    std::function<void(pages::frmAbout& form)> user;

    void ShowModal(pages::frmAbout& form) override {
        form.hWnd = kWindow;
        log_.push_back("Show " + ToUtf8(form.Caption()));
        if (user) user(form);
        form.Unload();
        log_.push_back("Close");
    }

private:
    std::vector<std::string>& log_;
};

}  // namespace lumora::headless
