// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <string>

namespace lumora::server {

// Writes the type library's, the control's and the pages' entries for the
// library file at modulePath.
HRESULT RegisterServerEntries(const std::wstring& modulePath);
// Removes every entry RegisterServerEntries writes, and nothing else.
HRESULT UnregisterServerEntries();

}  // namespace lumora::server
