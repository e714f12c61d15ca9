// SPDX-License-Identifier: MIT
#pragma once

#include "WindowsHeaders.h"

namespace lumora::server {

// The control's own portable object behind its COM object. The property
// pages live in the same library and edit the control with the same core
// code the automation interface calls, so their reads and writes behave,
// notify and mark the control dirty exactly as a container's calls do.
// The interface is never marshalled: a page only reaches a control in its
// own apartment, which is where a form designer keeps both.
class IControlCore : public IUnknown {
public:
    // The control, started as a new control if it was neither loaded nor
    // initialised yet; never null.
    virtual LumoraListControl* STDMETHODCALLTYPE Core() = 0;
};

// {5B0C3A8E-6F4D-4C1B-9E27-3D1A8F60B2C4}
inline constexpr IID kControlCoreId = {0x5b0c3a8e, 0x6f4d, 0x4c1b, {0x9e, 0x27, 0x3d, 0x1a, 0x8f, 0x60, 0xb2, 0xc4}};

}  // namespace lumora::server
