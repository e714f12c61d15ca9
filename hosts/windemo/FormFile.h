// SPDX-License-Identifier: MIT
#pragma once

#include "DemoWindows.h"

#include <string>

namespace lumora::windemo {

// The control's saved state in a file of its own: the bytes its
// IPersistStreamInit writes, nothing around them.

// Writes the control's state to path. The state goes to a temporary file
// beside it first and replaces path only when complete, so a failed save
// never leaves a half-written form where the old one was.
HRESULT SaveForm(IUnknown* control, const std::wstring& path);

// Creates a new control of the class the form belongs to and loads the
// file into it; the control checks the state whole before it takes any of
// it. On failure nothing is returned.
HRESULT LoadForm(const std::wstring& path, IUnknown** control);

// A readable sentence for a result of the two above.
std::wstring DescribeFormResult(HRESULT hr);

}  // namespace lumora::windemo
