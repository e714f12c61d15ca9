// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/runtime/Types.h"

namespace lumora {

// The control's events. Every argument is passed by reference, as the event
// interface declares: a handler may change them, and it runs to its end
// before the control goes on. Handlers may call back into the control.
class ILumoraListControlEvents {
public:
    virtual ~ILumoraListControlEvents() = default;

    virtual void RowPressed(Integer& PreviousTab, Long& SortRow, String& Sort) = 0;
    virtual void MouseIn(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) = 0;
    virtual void MouseOut(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) = 0;
    virtual void MouseDown(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow, String& Sort) = 0;
    virtual void MouseUp(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) = 0;
};

}  // namespace lumora
