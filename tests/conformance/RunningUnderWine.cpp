// SPDX-License-Identifier: MIT
// Kept apart from the drawing code: <windows.h> turns the portable drawing
// names into macros.
#include "conformance/RunningUnderWine.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace lumora::conformance {

bool RunningUnderWine() {
    // Wine's ntdll exports its version; the system's never does.
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace lumora::conformance
