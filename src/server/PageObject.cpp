// SPDX-License-Identifier: MIT
#include "PageObject.h"

namespace lumora::server {

HRESULT CreateRegisterPage(REFIID, void**) { return E_NOTIMPL; }
HRESULT CreateTabsCPage(REFIID, void**) { return E_NOTIMPL; }
HRESULT CreateAllgemeinPage(REFIID, void**) { return E_NOTIMPL; }

}  // namespace lumora::server
