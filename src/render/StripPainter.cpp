// SPDX-License-Identifier: MIT
#include "render/StripPainter.h"

#include "render/mXPWells.h"
#include "runtime/Arithmetic.h"

namespace lumora::StripPainter {
namespace {

using mXPWells::Fill;
using mXPWells::Line;

constexpr COLORREF kUpperBackground = RGB(255, 255, 255);
constexpr COLORREF kLowerBackground = RGB(243, 244, 246);
// The bottom line and the middle line of each separator.
constexpr COLORREF kLineGrey = RGB(213, 213, 213);
constexpr COLORREF kSeparatorLight = RGB(255, 255, 255);

}  // namespace

void PaintBackground(Gdi& gdi, HDC hdc, const Rect& client, Long halfHeight) {
    Fill(gdi, hdc, Rect{0, 0, client.right, halfHeight}, kUpperBackground);
    Fill(gdi, hdc, Rect{0, halfHeight, client.right, client.bottom}, kLowerBackground);
}

void PaintRightArea(Gdi& gdi, HDC hdc, const Rect& client, Long left, OLE_COLOR backColorForm) {
    Fill(gdi, hdc, Rect{left, 0, client.right, client.bottom}, backColorForm);
}

void PaintFrameTop(Gdi& gdi, HDC hdc, const Rect& client, COLORREF frameColor) {
    Line(gdi, hdc, 0, 0, client.right, 0, frameColor);
}

void PaintFrameSides(Gdi& gdi, HDC hdc, const Rect& client, COLORREF frameColor) {
    Line(gdi, hdc, 0, 0, 0, client.bottom, frameColor);
    const Long right = CheckedSub<Long>(client.right, 1);
    Line(gdi, hdc, right, 0, right, client.bottom, frameColor);
}

void PaintBottomLine(Gdi& gdi, HDC hdc, const Rect& client) {
    const Long bottom = CheckedSub<Long>(client.bottom, 1);
    Line(gdi, hdc, 0, bottom, client.right, bottom, kLineGrey);
}

void PaintSeparator(Gdi& gdi, HDC hdc, const Rect& column) {
    const Long x = column.right;
    const Long shortBottom = CheckedSub<Long>(column.bottom, 1);
    Line(gdi, hdc, x, 1, x, shortBottom, kSeparatorLight);
    Line(gdi, hdc, CheckedAdd<Long>(x, 1), 1, CheckedAdd<Long>(x, 1), column.bottom, kLineGrey);
    Line(gdi, hdc, CheckedAdd<Long>(x, 2), 1, CheckedAdd<Long>(x, 2), shortBottom, kSeparatorLight);
}

}  // namespace lumora::StripPainter
