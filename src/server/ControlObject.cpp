// SPDX-License-Identifier: MIT
#include "ControlObject.h"

namespace lumora::server {

HRESULT CreateControlObject(REFIID, void**) { return E_NOTIMPL; }

}  // namespace lumora::server
