// SPDX-License-Identifier: MIT
#pragma once

#include "DemoWindows.h"

#include <string>

namespace lumora::windemo {

// The control's saved state in a file of its own, in either of the forms'
// formats: the bytes its IPersistStreamInit writes, nothing around them, or
// the same keys and values as JSON, as the lumora tool and the Qt demo keep
// them. The file's content tells which, never its name.
//
// Both take `problem`, which a failure the file explains fills with one line
// naming the file: what it holds instead of a form, or what is wrong inside
// it. The HRESULT alone only says that something failed.

// Writes the control's state to path, in the format the file already holds,
// else as JSON for a .json name and as the stream for any other. A new file
// replaces the old one only once it is complete, so a failed save never
// leaves a half-written form where the old one was.
HRESULT SaveForm(IUnknown* control, const std::wstring& path, std::wstring* problem = nullptr);

// Creates a new control of the class the form belongs to and loads the
// file into it: a stream as it is, a JSON form converted to the stream
// first, leaving out keys whose values the stream cannot hold, as a control
// loading the JSON would skip them. The control checks the state whole
// before it takes any of it. On failure nothing is returned.
HRESULT LoadForm(const std::wstring& path, IUnknown** control, std::wstring* problem = nullptr);

// A readable sentence for a result of the two above.
std::wstring DescribeFormResult(HRESULT hr);

}  // namespace lumora::windemo
