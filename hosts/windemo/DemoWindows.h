// SPDX-License-Identifier: MIT
#pragma once

// The system's headers for the demo, in one place so that every file sees
// them with the same settings.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <commctrl.h>
#include <ocidl.h>
#include <ole2.h>
#include <olectl.h>

#include "platform/win32/ScopedComPtr.h"

namespace lumora::windemo {

using win32::ScopedComPtr;

// The form of Receive that QueryInterface and CoCreateInstance take.
template <typename T>
void** ReceiveVoid(ScopedComPtr<T>& pointer) {
    return reinterpret_cast<void**>(pointer.Receive());
}

}  // namespace lumora::windemo
