// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/runtime/Types.h"

namespace lumora {

// Mouse pointer shapes, with the runtime's values.
inline constexpr Integer vbDefault = 0;
inline constexpr Integer vbHourglass = 11;
inline constexpr Integer vbCustom = 99;

// The screen as the runtime offers it: the mouse pointer shown over every
// window of the application, whatever the windows ask for themselves.
class IScreen {
public:
    virtual ~IScreen() = default;

    virtual Integer get_MousePointer() = 0;
    virtual void put_MousePointer(Integer pointer) = 0;
};

}  // namespace lumora
