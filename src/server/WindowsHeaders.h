// SPDX-License-Identifier: MIT
#pragma once

// The system's headers for the control library, without the macros that
// would rename the control's own names (RGB, GetTempPath, CreateFont...)
// wherever a portable header comes after them. Every file of the library
// includes the system's headers through this one.
// The portable headers come first: the system's macros (SRCCOPY,
// TRANSPARENT, RGB...) would otherwise rewrite their declarations. Later
// includes of them are then no-ops.
#include "forms/FormStream.h"
#include "lumora/control/LumoraListControl.h"
#include "lumora/pages/Allgemein.h"
#include "lumora/pages/Register.h"
#include "lumora/pages/TabsC.h"
#include "lumora/platform/GdiScoped.h"
#include "lumora/platform/Screen.h"
#include "lumora/platform/Shell.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <ocidl.h>
#include <ole2.h>
#include <olectl.h>

#undef RGB
#undef CreateFont
#undef CreateFontIndirect
#undef GetTempPath
#undef GetTempFileName
