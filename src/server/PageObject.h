// SPDX-License-Identifier: MIT
#pragma once

#include "WindowsHeaders.h"

namespace lumora::server {

// Create the property-page objects: the columns page, the information page
// and the general page.
HRESULT CreateRegisterPage(REFIID riid, void** object);
HRESULT CreateTabsCPage(REFIID riid, void** object);
HRESULT CreateAllgemeinPage(REFIID riid, void** object);

}  // namespace lumora::server
