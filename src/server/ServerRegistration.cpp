// SPDX-License-Identifier: MIT
#include "ServerRegistration.h"

namespace lumora::server {

HRESULT RegisterServerEntries(const std::wstring&) { return E_NOTIMPL; }

HRESULT UnregisterServerEntries() { return E_NOTIMPL; }

}  // namespace lumora::server
