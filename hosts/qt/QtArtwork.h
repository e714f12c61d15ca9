// SPDX-License-Identifier: MIT
#pragma once

#include <QPainter>
#include <QRect>

#include "lumora/runtime/Types.h"

namespace Lumora {

// Draws the picture the pages and the About box name as their artwork
// ("info-banner-393x100", "open-folder-16", ...) into area; a name without
// artwork draws nothing. The same shapes and colours as on Windows.
void PaintArtwork(QPainter& painter, const QRect& area, const lumora::String& name);

}  // namespace Lumora
