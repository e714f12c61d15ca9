// SPDX-License-Identifier: MIT
#include "platform/win32/ComError.h"

#include "lumora/runtime/RuntimeError.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace lumora::win32 {

void RaiseComError(long hr) {
    const HRESULT result = static_cast<HRESULT>(hr);
    if (result == E_OUTOFMEMORY) Raise(err::kOutOfMemory);
    if (result == E_INVALIDARG) Raise(err::kInvalidProcedureCall);
    // Controls raise runtime errors as FACILITY_CONTROL codes carrying the number.
    if (HRESULT_FACILITY(result) == FACILITY_CONTROL) Raise(HRESULT_CODE(result));
    Raise(static_cast<Long>(result), "Automation error");
}

}  // namespace lumora::win32
