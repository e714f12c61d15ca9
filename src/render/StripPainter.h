// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/platform/Gdi.h"
#include "lumora/runtime/Types.h"

// The plain strip under the columns: its two-tone background, the area
// right of the last column, the frame and the separators.
namespace lumora::StripPainter {

// White above half the header height, a light grey below it.
void PaintBackground(Gdi& gdi, HDC hdc, const Rect& client, Long halfHeight);
// Where a further column would start, to the right edge.
void PaintRightArea(Gdi& gdi, HDC hdc, const Rect& client, Long left, OLE_COLOR backColorForm);
// The frame's top line; the side lines come after the bottom line.
void PaintFrameTop(Gdi& gdi, HDC hdc, const Rect& client, COLORREF frameColor);
void PaintFrameSides(Gdi& gdi, HDC hdc, const Rect& client, COLORREF frameColor);
// The grey line that closes the strip at the bottom, frame or not.
void PaintBottomLine(Gdi& gdi, HDC hdc, const Rect& client);
// Three lines right of a column: white, grey, white.
void PaintSeparator(Gdi& gdi, HDC hdc, const Rect& column);

}  // namespace lumora::StripPainter
