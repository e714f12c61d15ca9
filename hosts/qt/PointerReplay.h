// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

class QWidget;

namespace Lumora {

class HeaderStrip;

// Plays an event script of the lumora tool ("move X Y; down X Y; up X Y;
// focus; blur; key NAME; alt C", coordinates in the strip's pixels) as the
// window system would deliver it: through the strip's window, so grabs,
// entering and leaving, the focus chain and shortcuts happen as for a real
// pointer and keyboard. Raises std::runtime_error for a
// script the tool would refuse.
void ReplayOnStrip(HeaderStrip& strip, std::string_view script);

}  // namespace Lumora
