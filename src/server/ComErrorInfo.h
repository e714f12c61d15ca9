// SPDX-License-Identifier: MIT
#pragma once

#include "WindowsHeaders.h"

#include <string>

namespace lumora::server {

// The source every error object of the control names: its ProgID, as
// callers of the control expect to read it.
inline constexpr wchar_t kErrorSource[] = L"DorvaneLumoraStyleList.LumoraListControl";

// The failure result a control member returns for a runtime error: the
// error number in the control facility.
constexpr HRESULT RuntimeErrorResult(long number) noexcept {
    return static_cast<HRESULT>(0x800A0000u | (static_cast<unsigned long>(number) & 0xFFFFu));
}

// Sets this thread's error object for a runtime error of the control and
// returns the failure result to hand back.
HRESULT ReportRuntimeError(long number, const std::string& description);

// Fills the caller's EXCEPINFO from this thread's error object (or, when
// there is none, from the failure itself), for IDispatch::Invoke.
void FillExcepInfo(HRESULT failure, EXCEPINFO* info);

}  // namespace lumora::server
