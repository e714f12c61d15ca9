// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/platform/Gdi.h"
#include "lumora/platform/GdiScoped.h"
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
// The separators right of the columns: three lines each, white, grey,
// white. The two pens are made once for all the separators of a pass
// rather than once for every line.
class SeparatorPens {
public:
    explicit SeparatorPens(Gdi& gdi);
    SeparatorPens(const SeparatorPens&) = delete;
    SeparatorPens& operator=(const SeparatorPens&) = delete;

    void Paint(HDC hdc, const Rect& column);

private:
    // A line from row 1 down to bottom, end excluded.
    void Line(HDC hdc, HPEN pen, Long x, Long bottom);

    Gdi& gdi_;
    ScopedGdiObject<HPEN> light_;
    ScopedGdiObject<HPEN> grey_;
};

}  // namespace lumora::StripPainter
