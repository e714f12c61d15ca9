// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "lumora/platform/Gdi.h"

namespace lumora {

// The window is shown in its normal size and place.
inline constexpr int SW_SHOWNORMAL = 1;

// The system's shell, which opens documents and links with the program the
// user has chosen for them.
class IShell {
public:
    virtual ~IShell() = default;

    // Texts are 8-bit, in the system's code page. Returns a value above 32
    // on success and an error code of 32 or less otherwise; whatever message
    // the shell shows about a failure is its own.
    virtual std::intptr_t ShellExecuteA(HWND hwnd, const std::string& operation, const std::string& file,
                                        const std::string& parameters, const std::string& directory,
                                        int showCommand) = 0;
};

}  // namespace lumora
