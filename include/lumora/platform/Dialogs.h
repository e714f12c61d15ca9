// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/runtime/Types.h"

namespace lumora {

// Message box styles and results, with the runtime's values.
inline constexpr int vbOKOnly = 0;
inline constexpr int vbCritical = 16;
inline constexpr int vbExclamation = 48;
inline constexpr int vbInformation = 64;
inline constexpr int vbOK = 1;

// The modal dialogs the control and its pages show.
class IDialogs {
public:
    virtual ~IDialogs() = default;

    // Shows a message and waits until the user closes it; returns the
    // button pressed.
    virtual int MsgBox(const String& prompt, int buttons, const String& title) = 0;
};

}  // namespace lumora
