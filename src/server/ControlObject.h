// SPDX-License-Identifier: MIT
#pragma once

#include "WindowsHeaders.h"

namespace lumora::server {

// Creates a new control object and asks it for riid.
HRESULT CreateControlObject(REFIID riid, void** object);

}  // namespace lumora::server
