// SPDX-License-Identifier: MIT
#pragma once

#include "DemoWindows.h"

#include <string>

namespace lumora::windemo {

// Writes what the screen shows of a window, frame included, to a 24-bit
// .bmp file: the pixels a user sees, not a repaint into memory.
HRESULT CaptureWindowToBmp(::HWND window, const std::wstring& path);

}  // namespace lumora::windemo
