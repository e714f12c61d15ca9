// SPDX-License-Identifier: MIT
#pragma once

#include "WindowsHeaders.h"

namespace lumora::server {

// Draws the picture the pages and the About box name as their artwork
// ("info-banner-393x100", "open-folder-16", ...) into area; a name without
// artwork draws nothing.
void DrawArtwork(::HDC dc, const RECT& area, const String& name);

}  // namespace lumora::server
