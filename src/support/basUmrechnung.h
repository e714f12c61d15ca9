// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/platform/Dialogs.h"
#include "lumora/platform/Gdi.h"
#include "lumora/runtime/Types.h"

// Screen pixels to twips, the unit in which hosts measure a control.
namespace lumora::basUmrechnung {

// Twips per screen pixel; error 11 when the screen reports no resolution.
Single fnc_TwipsPerPixelX(Gdi& gdi);
Single fnc_TwipsPerPixelY(Gdi& gdi);

// A length in pixels as twips, horizontally for direction 1 and vertically
// otherwise. A failure is reported in a message box, never to the caller:
// the result is then 0 (no resolution) or the product as computed (a length
// too large for any screen).
Double fnc_PixelToTwips(Gdi& gdi, IDialogs& dialogs, Double value, Long direction);

}  // namespace lumora::basUmrechnung
