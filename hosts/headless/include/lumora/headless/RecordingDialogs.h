// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "lumora/platform/Dialogs.h"

namespace lumora::headless {

// One message box as the user would have seen it.
struct MessageBoxRecord {
    String text;
    String title;
    int style = 0;

    friend bool operator==(const MessageBoxRecord&, const MessageBoxRecord&) = default;
};

// Dialogs without a screen: every message box is written down instead of
// shown and answered with OK.
class RecordingDialogs final : public IDialogs {
public:
    int MsgBox(const String& prompt, int buttons, const String& title) override {
        messageBoxes_.push_back({prompt, title, buttons});
        return vbOK;
    }

    const std::vector<MessageBoxRecord>& messageBoxes() const noexcept { return messageBoxes_; }
    void Clear() noexcept { messageBoxes_.clear(); }

private:
    std::vector<MessageBoxRecord> messageBoxes_;
};

}  // namespace lumora::headless
