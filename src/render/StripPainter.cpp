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

SeparatorPens::SeparatorPens(Gdi& gdi)
    : gdi_(gdi),
      light_(gdi, gdi.CreatePen(PS_SOLID, 1, kSeparatorLight)),
      grey_(gdi, gdi.CreatePen(PS_SOLID, 1, kLineGrey)) {}

void SeparatorPens::Paint(HDC hdc, const Rect& column) {
    const Long x = column.right;
    const Long shortBottom = CheckedSub<Long>(column.bottom, 1);
    Line(hdc, light_.get(), x, shortBottom);
    Line(hdc, grey_.get(), CheckedAdd<Long>(x, 1), column.bottom);
    Line(hdc, light_.get(), CheckedAdd<Long>(x, 2), shortBottom);
}

void SeparatorPens::Line(HDC hdc, HPEN pen, Long x, Long bottom) {
    const ScopedSelectObject<HPEN> selected(gdi_, hdc, pen);
    Point previous;
    gdi_.MoveToEx(hdc, x, 1, &previous);
    gdi_.LineTo(hdc, x, bottom);
}

}  // namespace lumora::StripPainter
