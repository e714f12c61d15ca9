// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/platform/Gdi.h"

namespace lumora {

// The mouse pointer and its capture, with the system's calls: where the
// cursor is, which window lies under a point, and which window receives the
// mouse's input while it holds the capture.
class IPointer {
public:
    virtual ~IPointer() = default;

    virtual bool GetCursorPos(Point* point) = 0;
    virtual HWND WindowFromPoint(Point point) = 0;
    // Returns the window that held the capture before.
    virtual HWND SetCapture(HWND hwnd) = 0;
    virtual HWND GetCapture() = 0;
    virtual bool ReleaseCapture() = 0;
};

}  // namespace lumora
