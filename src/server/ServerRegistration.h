// SPDX-License-Identifier: MIT
#pragma once

#include "WindowsHeaders.h"

#include <string>
#include <vector>

namespace lumora::server {

// What the control tells containers about itself before it is created: it
// redraws on resize, cannot hold links, activates in place as soon as it is
// visible, and wants its client site before anything else. The registry's
// MiscStatus entry and IOleObject::GetMiscStatus answer with this one value.
constexpr DWORD kControlMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                                     OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;

// One value under a key; an empty name stands for the key's default value.
struct RegistryValue {
    std::wstring name;
    std::wstring data;
};

// One key below the classes root and the values written into it.
struct RegistryEntry {
    std::wstring path;
    std::vector<RegistryValue> values;
};

// Every key and value that registering the library file at modulePath
// stands for: the type library's, its interfaces', the control's and the
// pages', each key after its parent. A per-user registration writes exactly
// these; the installers and the registration-free manifests are made from
// them, so that no second list can drift from this one.
HRESULT ListServerEntries(const std::wstring& modulePath, std::vector<RegistryEntry>& entries);

// Writes the type library's, the control's and the pages' entries for the
// library file at modulePath. A registration that fails part-way is taken
// back, so that no container finds half a control; a file without the
// control's type library fails before anything is written.
HRESULT RegisterServerEntries(const std::wstring& modulePath);
// Removes every entry RegisterServerEntries writes, and nothing else; an
// entry already gone is no error.
HRESULT UnregisterServerEntries();

// The same for one user, who may lack the rights to change the machine's
// classes: ListServerEntries below HKEY_CURRENT_USER\Software\Classes and
// nowhere else. The system's type library registration is no use here (some
// systems register a library for the whole machine whatever they are
// asked), so the library's and its interfaces' keys are written like any
// other. A registration that fails part-way is taken back.
HRESULT RegisterServerEntriesForUser(const std::wstring& modulePath);
// Removes what RegisterServerEntriesForUser writes, and nothing else.
HRESULT UnregisterServerEntriesForUser(const std::wstring& modulePath);

}  // namespace lumora::server
