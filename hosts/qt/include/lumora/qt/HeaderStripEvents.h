// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace Lumora {

// The arguments of the strip's events. A signal carries a pointer to one of
// these; a handler connected directly may change the fields, and the strip
// goes on with what the handlers left there once the signal returns.

// Button: 1 left, 2 right, 4 middle (a move reports every button held).
// Shift: 1 Shift, 2 Ctrl, 4 Alt. X and Y are pixels in the strip.
struct StripMouseEvent {
    short button = 0;
    short shift = 0;
    float x = 0;
    float y = 0;
    int sortRow = 0;
};

// A press on a column, with the direction it now sorts in: "ASC" or "DESC".
struct StripMouseDownEvent : StripMouseEvent {
    QString sort;
};

// A column became the selected one.
struct RowPressedEvent {
    short previousTab = 0;
    int sortRow = 0;
    QString sort;
};

}  // namespace Lumora
