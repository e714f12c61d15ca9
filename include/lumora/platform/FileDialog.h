// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "lumora/platform/Gdi.h"
#include "lumora/runtime/Types.h"

namespace lumora {

// The request record of the system's file-open dialog in its 76-byte form,
// with the members the control sets. Every member not listed here is zero:
// no custom filter, the first filter entry, no file title, the default
// directory, no hook and no template. Texts are 8-bit, in the system's code
// page, as the dialog's 8-bit call takes them.
struct OpenFileName {
    Long lStructSize = 0;
    HWND hwndOwner{};
    std::uintptr_t hInstance = 0;
    // Display name and pattern list pairs, each text ended by a NUL, the
    // whole list by one more NUL.
    std::string lpstrFilter;
    // The file name buffer, nMaxFile characters long. The dialog writes the
    // chosen path and a NUL at its start and leaves the rest as it was.
    std::string lpstrFile;
    Long nMaxFile = 0;
    std::string lpstrTitle;
    Long Flags = 0;
    std::string lpstrDefExt;
};

// The read-only check box is hidden.
inline constexpr Long OFN_HIDEREADONLY = 4;

// The system's file-open dialog.
class IFileDialog {
public:
    virtual ~IFileDialog() = default;

    // The instance handle of the component the dialog is shown for.
    virtual std::uintptr_t ComponentInstance() = 0;
    // Shows the dialog and waits until it closes. True when the user chose a
    // file, which then stands at the start of lpstrFile; false when the user
    // cancelled or the dialog failed.
    virtual bool GetOpenFileNameA(OpenFileName& record) = 0;
};

}  // namespace lumora
