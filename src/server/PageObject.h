// SPDX-License-Identifier: MIT
#pragma once

#include "WindowsHeaders.h"

namespace lumora::server {

// The system's standard font and colour pages, which the control lists
// after its own; the compiler's libraries do not define them.
inline constexpr CLSID kStockFontPage = {0x7ebdaae0, 0x8120, 0x11cf, {0x89, 0x9f, 0x00, 0xaa, 0x00, 0x68, 0x8b, 0x10}};
inline constexpr CLSID kStockColorPage = {0x7ebdaae1, 0x8120, 0x11cf, {0x89, 0x9f, 0x00, 0xaa, 0x00, 0x68, 0x8b, 0x10}};

// Create the property-page objects: the columns page, the information page
// and the general page.
HRESULT CreateRegisterPage(REFIID riid, void** object);
HRESULT CreateTabsCPage(REFIID riid, void** object);
HRESULT CreateAllgemeinPage(REFIID riid, void** object);

}  // namespace lumora::server
