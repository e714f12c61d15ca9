// SPDX-License-Identifier: MIT
#include "render/mXPWells.h"

#include <algorithm>
#include <cmath>

#include "lumora/platform/GdiScoped.h"
#include "lumora/runtime/RuntimeError.h"
#include "runtime/Arithmetic.h"
#include "runtime/UnicodeCase.h"

namespace lumora::mXPWells {
namespace {

constexpr char16_t kAccessKeyMarker = u'&';
// The primitives draw a colour the system does not know as black.
constexpr COLORREF kUnknownColor = 0;
// Gradient bands stay one pixel wide up to this many pixels per colour
// step; beyond, they widen so there are about 256 of them.
constexpr Long kGradientSteps = 255;
// Every line of the strip's frame, separators and looks is this wide.
constexpr Long kSolidWidth = 1;

struct Channels {
    Long red = 0;
    Long green = 0;
    Long blue = 0;
};

Channels Split(COLORREF color) { return {GetRValue(color), GetGValue(color), GetBValue(color)}; }

COLORREF Compose(Long red, Long green, Long blue) {
    return static_cast<COLORREF>(blue) * 65536u + static_cast<COLORREF>(green) * 256u + static_cast<COLORREF>(red);
}

Long Clamp(Long value) { return std::clamp<Long>(value, 0, 255); }

bool IsHighSurrogate(char16_t ch) noexcept { return ch >= 0xD800 && ch <= 0xDBFF; }
bool IsLowSurrogate(char16_t ch) noexcept { return ch >= 0xDC00 && ch <= 0xDFFF; }

// The character after a marker at position pos, lower-cased, or "" when the
// marker ends the caption. A surrogate pair is one character; a lone
// surrogate is kept as it is.
String KeyAfter(const String& caption, std::size_t pos) {
    if (pos + 1 >= caption.size()) return String();
    const char16_t first = caption[pos + 1];
    if (!IsHighSurrogate(first) || pos + 2 >= caption.size() || !IsLowSurrogate(caption[pos + 2]))
        return String(1, static_cast<char16_t>(SimpleLowerCase(first)));
    const char32_t pair = 0x10000 + ((char32_t{first} - 0xD800) << 10) + (char32_t{caption[pos + 2]} - 0xDC00);
    const char32_t lower = SimpleLowerCase(pair);
    return String{static_cast<char16_t>(0xD800 + ((lower - 0x10000) >> 10)),
                  static_cast<char16_t>(0xDC00 + ((lower - 0x10000) & 0x3FF))};
}

// The count the text call gets. A caller's length beyond the caption is
// limited to it, so the call never reads past the end.
int CaptionCount(const String& text, Long length) {
    if (length < 0) return -1;
    return static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(length), text.size()));
}

}  // namespace

COLORREF TranslateColor(Gdi& gdi, OLE_COLOR color, HPALETTE palette, COLORREF fallback) {
    // The translation's result is not examined: a failed one leaves the
    // value as it was.
    COLORREF result = fallback;
    gdi.OleTranslateColor(color, palette, &result);
    return result;
}

COLORREF ShiftColor(Gdi& gdi, OLE_COLOR color, Long& red, Long& green, Long& blue, Long amount, HPALETTE palette) {
    const Channels channels = Split(TranslateColor(gdi, color, palette, kUnknownColor));
    red = CheckedAdd<Long>(channels.red, amount);
    green = CheckedAdd<Long>(channels.green, amount);
    blue = CheckedAdd<Long>(channels.blue, amount);
    red = Clamp(red);
    green = Clamp(green);
    blue = Clamp(blue);
    return Compose(red, green, blue);
}

void DrawGradient(Gdi& gdi, HDC hdc, OLE_COLOR farColor, OLE_COLOR nearColor, Rect& rect, Long size, Long horizontal) {
    // Every step that fails is passed over and the next one runs, so a
    // degenerate size still paints what it can.
    const Channels start = Split(TranslateColor(gdi, nearColor, HPALETTE{}, kUnknownColor));
    const Channels end = Split(TranslateColor(gdi, farColor, HPALETTE{}, kUnknownColor));
    const double delta[3] = {static_cast<double>(end.red - start.red), static_cast<double>(end.green - start.green),
                             static_cast<double>(end.blue - start.blue)};
    const Long from[3] = {start.red, start.green, start.blue};
    Integer current[3] = {static_cast<Integer>(start.red), static_cast<Integer>(start.green),
                          static_cast<Integer>(start.blue)};

    Long step = size / kGradientSteps;
    if (step == 0) step = 1;
    for (std::int64_t i = size; i >= 0 && step > 0; i -= step) {
        SkipOnError([&] {
            if (horizontal != 0)
                rect.left = CheckedSub<Long>(rect.right, step);
            else
                rect.top = CheckedSub<Long>(rect.bottom, step);
        });
        const ScopedGdiObject<HBRUSH> brush(gdi, gdi.CreateSolidBrush(Compose(current[0], current[1], current[2])));
        gdi.FillRect(hdc, rect, brush.get());
        if (horizontal != 0)
            rect.right = rect.left;
        else
            rect.bottom = rect.top;
        for (int c = 0; c < 3; ++c) {
            SkipOnError([&] {
                const double value = static_cast<double>(size - i) * delta[c] / static_cast<double>(size) + from[c];
                current[c] = CInt(value);
            });
        }
    }
}

void PaintRect(Gdi& gdi, HDC hdc, const Rect& rect, OLE_COLOR& color, Boolean fill) {
    Long red = 0, green = 0, blue = 0;
    color = ShiftColor(gdi, color, red, green, blue, 0, HPALETTE{});
    const ScopedGdiObject<HBRUSH> brush(gdi, gdi.CreateSolidBrush(color));
    if (fill == kTrue)
        gdi.FillRect(hdc, rect, brush.get());
    else
        gdi.FrameRect(hdc, rect, brush.get());
}

void DrawLine(Gdi& gdi, HDC hdc, Long x1, Long y1, Long x2, Long y2, COLORREF color, Long width) {
    const ScopedGdiObject<HPEN> pen(gdi, gdi.CreatePen(PS_SOLID, width, color));
    const ScopedSelectObject<HPEN> selected(gdi, hdc, pen.get());
    Point previous;
    gdi.MoveToEx(hdc, x1, y1, &previous);
    gdi.LineTo(hdc, x2, y2);
}

void Fill(Gdi& gdi, HDC hdc, const Rect& rect, OLE_COLOR color) { PaintRect(gdi, hdc, rect, color, kTrue); }

void Frame(Gdi& gdi, HDC hdc, const Rect& rect, OLE_COLOR color) { PaintRect(gdi, hdc, rect, color, kFalse); }

void Line(Gdi& gdi, HDC hdc, Long x1, Long y1, Long x2, Long y2, COLORREF color) {
    DrawLine(gdi, hdc, x1, y1, x2, y2, color, kSolidWidth);
}

void DrawPixel(Gdi& gdi, HDC hdc, Long x, Long y, COLORREF color) { gdi.SetPixelV(hdc, x, y, color); }

Rect GetClientRectangle(Gdi& gdi, HWND hwnd) {
    Rect rect;
    gdi.GetClientRect(hwnd, &rect);
    return rect;
}

void SetDCTextColor(Gdi& gdi, HDC hdc, COLORREF color) { gdi.SetTextColor(hdc, color); }

void DrawCaption(Gdi& gdi, HDC hdc, const String& text, Long length, Rect& rect, Long format) {
    if (CaptionCount(text, length) == 0) return;
    gdi.DrawTextW(hdc, text.c_str(), CaptionCount(text, length), &rect, static_cast<unsigned>(format));
}

void MeasureCaption(Gdi& gdi, HDC hdc, const String& text, Long length, Rect& rect) {
    // The system's 8-bit call leaves the rectangle as it is for no text,
    // where its wide call collapses it; a captionless column's picture is
    // placed by that rectangle.
    if (CaptionCount(text, length) == 0) return;
    gdi.DrawTextW(hdc, text.c_str(), CaptionCount(text, length), &rect, DT_CALCRECT | DT_WORDBREAK);
}

void CopyRectangle(Rect& destination, const Rect& source) { CopyRect(&destination, &source); }

void OffsetRectangle(Rect& rect, Long dx, Long dy) { OffsetRect(&rect, dx, dy); }

Rect InflateRectangle(Rect& rect, const Variant& dx, const Variant& dy) {
    InflateRect(&rect, dx.ToLong(), dy.ToLong());
    return rect;
}

void EmptyRectangle(Rect& rect) { SetRectEmpty(&rect); }

bool IsMouseOverWindow(IPointer& pointer, HWND hwnd) {
    Point cursor;
    pointer.GetCursorPos(&cursor);
    return pointer.WindowFromPoint(cursor) == hwnd;
}

bool TrackMouseCapture(IPointer& pointer, HWND hwnd) {
    const bool over = IsMouseOverWindow(pointer, hwnd);
    if (over) {
        if (pointer.GetCapture() != hwnd) pointer.SetCapture(hwnd);
    } else if (pointer.GetCapture() == hwnd) {
        pointer.ReleaseCapture();
    }
    return over;
}

String ExtractAccessKey(const String& caption) {
    const std::size_t first = caption.find(kAccessKeyMarker);
    if (first == String::npos || first + 1 >= caption.size()) return String();
    if (caption[first + 1] != kAccessKeyMarker) return KeyAfter(caption, first);

    const std::size_t next = caption.find(kAccessKeyMarker, first + 2);
    if (next == String::npos) return String();
    if (next + 1 < caption.size() && caption[next + 1] == kAccessKeyMarker) return String();
    return KeyAfter(caption, next);
}

}  // namespace lumora::mXPWells
