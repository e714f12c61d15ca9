// SPDX-License-Identifier: MIT
#pragma once

#include "WindowsHeaders.h"

#include <string>

namespace lumora::server {

// What the control tells containers about itself before it is created: it
// redraws on resize, cannot hold links, activates in place as soon as it is
// visible, and wants its client site before anything else. The registry's
// MiscStatus entry and IOleObject::GetMiscStatus answer with this one value.
constexpr DWORD kControlMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                                     OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;

// Writes the type library's, the control's and the pages' entries for the
// library file at modulePath. A registration that fails part-way is taken
// back, so that no container finds half a control; a file without the
// control's type library fails before anything is written.
HRESULT RegisterServerEntries(const std::wstring& modulePath);
// Removes every entry RegisterServerEntries writes, and nothing else; an
// entry already gone is no error.
HRESULT UnregisterServerEntries();

}  // namespace lumora::server
