// SPDX-License-Identifier: MIT
#pragma once

namespace lumora::win32 {

// Raises the runtime error a failed COM call stands for, as the runtime
// reports it to a caller: control errors by their own number, the common
// failures by the runtime's, anything else by the HRESULT itself. hr is an
// HRESULT, spelled here without <windows.h>.
[[noreturn]] void RaiseComError(long hr);

// Does nothing for a success code, raises for a failure.
inline void CheckCom(long hr) {
    if (hr < 0) RaiseComError(hr);
}

}  // namespace lumora::win32
