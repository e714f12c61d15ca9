// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/platform/Gdi.h"
#include "lumora/platform/Pointer.h"
#include "lumora/runtime/Types.h"
#include "lumora/runtime/Variant.h"

// The small routines the strip is drawn with. Each works on a device
// context its caller owns, creates and deletes its own brush or pen, and
// keeps nothing between calls.
namespace lumora::mXPWells {

// The RGB value of a plain or system colour, translated through the
// palette. A colour the system does not know gives fallback.
COLORREF TranslateColor(Gdi& gdi, OLE_COLOR color, HPALETTE palette, COLORREF fallback);

// The colour as RGB (system colours translated) with each channel moved by
// amount and clamped to 0..255; red, green and blue receive the clamped
// channels. Error 6 if a sum overflows 32 bits.
COLORREF ShiftColor(Gdi& gdi, OLE_COLOR color, Long& red, Long& green, Long& blue, Long amount, HPALETTE palette);

// Bands from the rectangle's right edge leftwards (horizontal nonzero) or
// from its bottom edge upwards, the first in the near colour, each further
// one a step nearer the far colour. Sizes below 510 give one-pixel bands.
// Leaves the rectangle collapsed at the far end of what it painted.
void DrawGradient(Gdi& gdi, HDC hdc, OLE_COLOR farColor, OLE_COLOR nearColor, Rect& rect, Long size, Long horizontal);

// Fills the rectangle (fill True) or frames its inside edges (any other
// value) in the colour, and leaves the colour's RGB value in the argument.
void PaintRect(Gdi& gdi, HDC hdc, const Rect& rect, OLE_COLOR& color, Boolean fill);

// A solid line; the end point itself is not painted.
void DrawLine(Gdi& gdi, HDC hdc, Long x1, Long y1, Long x2, Long y2, COLORREF color, Long width);

// The strip's own shapes: a filled or framed rectangle in a plain or system
// colour, and a line one pixel wide.
void Fill(Gdi& gdi, HDC hdc, const Rect& rect, OLE_COLOR color);
void Frame(Gdi& gdi, HDC hdc, const Rect& rect, OLE_COLOR color);
void Line(Gdi& gdi, HDC hdc, Long x1, Long y1, Long x2, Long y2, COLORREF color);
void DrawPixel(Gdi& gdi, HDC hdc, Long x, Long y, COLORREF color);
Rect GetClientRectangle(Gdi& gdi, HWND hwnd);
void SetDCTextColor(Gdi& gdi, HDC hdc, COLORREF color);

// Draws or measures a caption through the system's wide call, so a caption
// in any script reaches the glyphs whole. The caption is only read.
void DrawCaption(Gdi& gdi, HDC hdc, const String& text, Long length, Rect& rect, Long format);
// Sets rect's right and bottom to the extent of the text broken at word
// boundaries within rect's width.
void MeasureCaption(Gdi& gdi, HDC hdc, const String& text, Long length, Rect& rect);

void CopyRectangle(Rect& destination, const Rect& source);
void OffsetRectangle(Rect& rect, Long dx, Long dy);
Rect InflateRectangle(Rect& rect, const Variant& dx, const Variant& dy);
void EmptyRectangle(Rect& rect);

// Whether the window the cursor is over is hwnd itself; a child or an
// overlapping window on top of it counts as not over.
bool IsMouseOverWindow(IPointer& pointer, HWND hwnd);
// The same, taking the capture while over (so the move that leaves the
// window still arrives) and letting it go once the pointer is elsewhere.
bool TrackMouseCapture(IPointer& pointer, HWND hwnd);

// The access key of one caption as one lower-case character (Unicode's
// simple case mapping; a surrogate pair is one character), or "". An
// ampersand marks the key ("&Name" gives n); two in a row stand for a
// literal ampersand, and only the first such pair is skipped.
String ExtractAccessKey(const String& caption);

}  // namespace lumora::mXPWells
