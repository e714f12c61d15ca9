// SPDX-License-Identifier: MIT
#include "render/ColumnLooks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "lumora/platform/GdiScoped.h"
#include "render/mXPWells.h"
#include "runtime/Arithmetic.h"

namespace lumora::ColumnLooks {
namespace {

using mXPWells::Fill;
using mXPWells::Frame;
using mXPWells::Line;

constexpr COLORREF kPressedUpper = RGB(188, 228, 249);
constexpr COLORREF kPressedLower = RGB(139, 209, 246);
constexpr COLORREF kPressedTopLine = RGB(134, 163, 178);
constexpr COLORREF kPressedSecondLine = RGB(170, 206, 225);
constexpr COLORREF kPressedOuterLine = RGB(80, 145, 175);
constexpr COLORREF kPressedInnerLine = RGB(112, 187, 222);

constexpr COLORREF kHotUpper = RGB(227, 247, 255);
constexpr COLORREF kHotLower = RGB(187, 235, 254);
constexpr COLORREF kHotOutline = RGB(147, 201, 227);

// Each row of the sort triangle is a short gradient, darkest at its left.
struct TriangleRow {
    Long offset;  // added to the column's middle
    Long size;    // gradient size: the row paints size + 1 pixels
    COLORREF farColor;
    COLORREF nearColor;
};
constexpr TriangleRow kLongRow{3, 7, RGB(60, 94, 114), RGB(154, 199, 224)};
constexpr TriangleRow kMiddleRow{2, 5, RGB(82, 139, 171), RGB(196, 227, 244)};
constexpr TriangleRow kShortRow{1, 3, RGB(103, 172, 211), RGB(196, 227, 244)};
constexpr COLORREF kTipColor = RGB(154, 203, 230);

// Rows of the triangle for an ascending column (pointing up) and for any
// other (pointing down): long, middle and short row, then the tip.
constexpr Long kUpRows[4] = {6, 5, 4, 3};
constexpr Long kDownRows[4] = {3, 4, 5, 6};

Long Plus(Long a, Long b) { return CheckedAdd<Long>(a, b); }

// One row of the triangle in the control's pixels: [left, right) on row y,
// shaded from farColor at its left to nearColor at its right.
struct RowSpan {
    Long y;
    Long left;
    Long right;
    COLORREF farColor;
    COLORREF nearColor;
};

// The four rows as the control's pixels have them, tip last.
std::array<RowSpan, 4> TriangleSpans(const Rect& column, Long width, Integer columnSort) {
    const Long* rows = columnSort == kTrue ? kUpRows : kDownRows;
    const double middle = static_cast<double>(column.right) - width / 2.0;
    std::array<RowSpan, 4> spans{};
    int index = 0;
    for (const TriangleRow& row : {kLongRow, kMiddleRow, kShortRow}) {
        const Long right = CLng(middle + row.offset);
        spans[static_cast<std::size_t>(index)] = {rows[index], right - row.size - 1, right, row.farColor,
                                                  row.nearColor};
        ++index;
    }
    const Long tip = spans[2].left + 1;
    spans[3] = {rows[3], tip, tip + 1, kTipColor, kTipColor};
    return spans;
}

double Mix(double a, double b, double t) { return a + (b - a) * t; }

COLORREF MixColor(COLORREF a, COLORREF b, double t) {
    const auto channel = [&](Byte x, Byte y) { return static_cast<COLORREF>(std::lround(Mix(x, y, t))); };
    return channel(GetRValue(a), GetRValue(b)) | channel(GetGValue(a), GetGValue(b)) << 8 |
           channel(GetBValue(a), GetBValue(b)) << 16;
}

// The triangle's outline and shading between two neighbouring rows, at a
// height v between their middles, in the control's pixels.
struct Slice {
    double left;
    double right;
    COLORREF farColor;
    COLORREF nearColor;
};

Slice SliceAt(const std::array<RowSpan, 4>& spans, double v) {
    // Rows run from the long one to the tip, up or down the strip.
    const double direction = spans[3].y > spans[0].y ? 1.0 : -1.0;
    const double along = std::clamp((v - (spans[0].y + 0.5)) * direction, 0.0, 3.0);
    const auto lower = static_cast<std::size_t>(std::min(2.0, std::floor(along)));
    const RowSpan& a = spans[lower];
    const RowSpan& b = spans[lower + 1];
    const double t = along - static_cast<double>(lower);
    return {Mix(a.left, b.left, t), Mix(a.right, b.right, t), MixColor(a.farColor, b.farColor, t),
            MixColor(a.nearColor, b.nearColor, t)};
}

// The triangle drawn on the device's own pixels: each device row takes the
// outline and shading between the rows of the control's pixels around it,
// so a larger screen shows a smooth triangle rather than enlarged steps.
void PaintSortPictureOnDevice(Gdi& device, const DeviceScale& scale, HDC hdc, const std::array<RowSpan, 4>& spans) {
    const Long top = scale.Edge(std::min(spans[0].y, spans[3].y));
    const Long bottom = scale.Edge(std::max(spans[0].y, spans[3].y) + 1);
    for (Long y = top; y < bottom; ++y) {
        const Slice slice = SliceAt(spans, (y + 0.5) / scale.factor);
        const auto left = static_cast<Long>(std::lround(slice.left * scale.factor));
        const Long right = std::max(left + 1, static_cast<Long>(std::lround(slice.right * scale.factor)));
        const Long count = right - left;
        for (Long x = left; x < right; ++x) {
            const double t = count > 1 ? static_cast<double>(right - 1 - x) / (count - 1) : 0.0;
            const ScopedGdiObject<HBRUSH> brush(device,
                                                device.CreateSolidBrush(MixColor(slice.nearColor, slice.farColor, t)));
            device.FillRect(hdc, Rect{x, y, x + 1, y + 1}, brush.get());
        }
    }
}

}  // namespace

Long HalfHeight(Long headerHeight) { return CLng(headerHeight / 2.0); }

void PaintPressedLook(Gdi& gdi, HDC hdc, const Rect& column, Long headerHeight) {
    const Long left = column.left;
    const Long right = column.right;
    const Long half = HalfHeight(headerHeight);
    const Long bottom = CheckedSub<Long>(headerHeight, 1);
    const Long outerLeft = CheckedSub<Long>(left, 1);
    const Long outerRight = Plus(right, 1);

    Fill(gdi, hdc, Rect{left, 1, outerRight, half}, kPressedUpper);
    Fill(gdi, hdc, Rect{left, half, outerRight, bottom}, kPressedLower);
    Line(gdi, hdc, outerLeft, 1, outerRight, 1, kPressedTopLine);
    Line(gdi, hdc, outerLeft, 2, outerRight, 2, kPressedSecondLine);
    Line(gdi, hdc, outerLeft, 1, outerLeft, bottom, kPressedOuterLine);
    Line(gdi, hdc, left, 2, left, bottom, kPressedInnerLine);
    Line(gdi, hdc, outerRight, 1, outerRight, bottom, kPressedOuterLine);
}

void PaintHotLook(Gdi& gdi, HDC hdc, const Rect& column, Long headerHeight, Boolean showFrame, COLORREF frameColor) {
    const Long left = column.left;
    const Long right = column.right;
    const Long half = HalfHeight(headerHeight);

    Fill(gdi, hdc, Rect{left, 1, Plus(right, 1), half}, kHotUpper);
    Fill(gdi, hdc, Rect{left, half, Plus(right, 1), headerHeight}, kHotLower);
    Frame(gdi, hdc, Rect{CheckedSub<Long>(left, 1), 0, Plus(right, 2), headerHeight}, kHotOutline);
    // The outline's top edge disappears under the frame line.
    if (showFrame != kFalse) Line(gdi, hdc, 0, 0, Plus(right, 2), 0, frameColor);
}

void PaintFocusCue(Gdi& gdi, HDC hdc, const Rect& column, Long headerHeight) {
    constexpr Long kInset = 1;
    constexpr Long kTop = 3;
    const std::int64_t left = std::int64_t{column.left} + kInset;
    const std::int64_t right = std::int64_t{column.right} - kInset - 1;
    const std::int64_t top = kTop;
    const std::int64_t bottom = std::int64_t{headerHeight} - kTop - 1;
    if (right - left < 2 || bottom - top < 2) return;
    // The dots keep one checkerboard whatever the rectangle's size, so the
    // corners and neighbouring columns' cues line up as the system's do.
    const auto invert = [&](std::int64_t x, std::int64_t y) {
        if ((x + y) % 2 != 0) return;
        const int px = static_cast<int>(x);
        const int py = static_cast<int>(y);
        const COLORREF under = gdi.GetPixel(hdc, px, py);
        if (under != CLR_INVALID) gdi.SetPixelV(hdc, px, py, ~under & 0xFFFFFFu);
    };
    for (std::int64_t x = left; x <= right; ++x) {
        invert(x, top);
        invert(x, bottom);
    }
    for (std::int64_t y = top + 1; y < bottom; ++y) {
        invert(left, y);
        invert(right, y);
    }
}

void PaintSortPicture(Gdi& gdi, HDC hdc, const Rect& column, Long width, Integer columnSort) {
    if (Gdi* device = gdi.DevicePixels())
        return PaintSortPictureOnDevice(*device, gdi.deviceScale(), hdc, TriangleSpans(column, width, columnSort));
    const Long* rows = columnSort == kTrue ? kUpRows : kDownRows;
    const double middle = static_cast<double>(column.right) - width / 2.0;
    Rect shortRow;
    int index = 0;
    for (const TriangleRow& row : {kLongRow, kMiddleRow, kShortRow}) {
        Rect rect = column;
        rect.top = rows[index];
        rect.bottom = rows[index] + 1;
        rect.right = CLng(middle + row.offset);
        mXPWells::DrawGradient(gdi, hdc, row.farColor, row.nearColor, rect, row.size, 1);
        shortRow = rect;
        ++index;
    }
    // The tip sits above (or below) the short row's second pixel, found
    // from where the short row's gradient ended.
    mXPWells::DrawPixel(gdi, hdc, Plus(shortRow.left, 1), rows[3], kTipColor);
}

}  // namespace lumora::ColumnLooks
