// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/platform/Gdi.h"
#include "lumora/runtime/Types.h"

// The three states a column can show over the plain strip, in a palette of
// their own that no property changes.
namespace lumora::ColumnLooks {

// The pressed column: a two-tone fill with a dark outer and a light inner
// edge, from one pixel left of the column to its separator, rows 1 to
// HeaderHeight - 2.
void PaintPressedLook(Gdi& gdi, HDC hdc, const Rect& column, Long headerHeight);

// The column under the mouse: a lighter two-tone fill in an outline whose
// top edge disappears under the frame line when the frame is shown.
void PaintHotLook(Gdi& gdi, HDC hdc, const Rect& column, Long headerHeight, Boolean showFrame, COLORREF frameColor);

// The sort triangle near the column's top, pointing up when the column was
// last sorted ascending (columnSort True) and down otherwise.
void PaintSortPicture(Gdi& gdi, HDC hdc, const Rect& column, Long width, Integer columnSort);

// The keyboard focus in a column: a dotted rectangle one pixel inside the
// column and three rows inside the strip, drawn as the system's focus
// rectangle is, by inverting every other pixel of its edge, so it shows on
// any look beneath it. A column too small to hold it shows none.
void PaintFocusCue(Gdi& gdi, HDC hdc, const Rect& column, Long headerHeight);

// Half of HeaderHeight, rounded half to even: where the two tones meet.
Long HalfHeight(Long headerHeight);

}  // namespace lumora::ColumnLooks
