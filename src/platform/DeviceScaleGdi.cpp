// SPDX-License-Identifier: MIT
#include "lumora/platform/DeviceScaleGdi.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "lumora/platform/GdiScoped.h"

namespace lumora {
namespace {

// The pen style that draws nothing at all.
constexpr int kNullPen = 5;
constexpr double kPointsPerInch = 72;
// Fonts are sized for this resolution when the device reports none.
constexpr int kDefaultDpi = 96;

Long Min(Long a, Long b) { return std::min(a, b); }
Long Max(Long a, Long b) { return std::max(a, b); }

}  // namespace

DeviceScaleGdi::DeviceScaleGdi(Gdi& device, double scale)
    : device_(device), scale_{std::clamp(scale, kMinScale, kMaxScale)} {}

bool DeviceScaleGdi::Scaled(HDC hdc) const {
    const auto found = dcs_.find(hdc.value);
    if (found == dcs_.end() || !found->second.memory) return true;
    return deviceBitmaps_.contains(found->second.bitmap.value);
}

// ---- Device contexts and objects ------------------------------------------

HDC DeviceScaleGdi::GetDC(HWND hwnd) {
    const HDC hdc = device_.GetDC(hwnd);
    if (hdc) dcs_[hdc.value] = DcInfo{};
    return hdc;
}

int DeviceScaleGdi::ReleaseDC(HWND hwnd, HDC hdc) {
    dcs_.erase(hdc.value);
    return device_.ReleaseDC(hwnd, hdc);
}

HDC DeviceScaleGdi::CreateCompatibleDC(HDC hdc) {
    const HDC made = device_.CreateCompatibleDC(hdc);
    if (made) {
        DcInfo& info = dcs_[made.value] = DcInfo{};
        info.memory = true;
    }
    return made;
}

bool DeviceScaleGdi::DeleteDC(HDC hdc) {
    dcs_.erase(hdc.value);
    return device_.DeleteDC(hdc);
}

HBITMAP DeviceScaleGdi::CreateCompatibleBitmap(HDC hdc, int width, int height) {
    // An empty size gets the device's stock bitmap, which stays its own.
    if (width == 0 || height == 0) return device_.CreateCompatibleBitmap(hdc, width, height);
    const HBITMAP bitmap = device_.CreateCompatibleBitmap(hdc, scale_.Extent(width), scale_.Extent(height));
    if (bitmap) deviceBitmaps_.insert(bitmap.value);
    return bitmap;
}

HBITMAP DeviceScaleGdi::CreateBitmap(int width, int height, unsigned planes, unsigned bitsPerPixel, const void* bits) {
    // Bits handed over are a picture's own pixels and stay as they are; an
    // empty bitmap to draw on (a mask) is made at the device's size.
    if (bits || width == 0 || height == 0) return device_.CreateBitmap(width, height, planes, bitsPerPixel, bits);
    const HBITMAP bitmap =
        device_.CreateBitmap(scale_.Extent(width), scale_.Extent(height), planes, bitsPerPixel, nullptr);
    if (bitmap) deviceBitmaps_.insert(bitmap.value);
    return bitmap;
}

HPEN DeviceScaleGdi::CreatePen(int style, int width, COLORREF color) {
    const HPEN pen = device_.CreatePen(style, width, color);
    if (pen) pens_[pen.value] = PenInfo{style, width, color};
    return pen;
}

HFONT DeviceScaleGdi::CreateFontIndirect(const FontDescription& font) {
    // The device font is the control's font, in whole pixels, S times as
    // tall; asked for in points, so that the device rounds it back to
    // exactly that many pixels.
    const ScopedWindowDC screen(device_, HWND{});
    const int reported = device_.GetDeviceCaps(screen.get(), LOGPIXELSY);
    const double dpi = reported > 0 ? reported : kDefaultDpi;
    const double pixels = std::max(1.0, std::round(font.size * dpi / kPointsPerInch));
    FontDescription scaled = font;
    scaled.size = std::max(1.0, std::round(pixels * scale_.factor)) * kPointsPerInch / dpi;
    return device_.CreateFontIndirect(scaled);
}

bool DeviceScaleGdi::DeleteObject(HGDIOBJ object) {
    deviceBitmaps_.erase(object.value);
    pens_.erase(object.value);
    if (dcs_.contains(object.value)) dcs_.erase(object.value);
    return device_.DeleteObject(object);
}

HBITMAP DeviceScaleGdi::SelectObject(HDC hdc, HBITMAP bitmap) {
    const HBITMAP previous = device_.SelectObject(hdc, bitmap);
    const auto found = dcs_.find(hdc.value);
    if (previous && found != dcs_.end()) found->second.bitmap = bitmap;
    return previous;
}

HPEN DeviceScaleGdi::SelectObject(HDC hdc, HPEN pen) {
    const HPEN previous = device_.SelectObject(hdc, pen);
    const auto found = dcs_.find(hdc.value);
    if (previous && found != dcs_.end()) found->second.pen = pen;
    return previous;
}

// ---- Drawing ----------------------------------------------------------------

void DeviceScaleGdi::FillDevice(HDC hdc, const Rect& area, COLORREF color) {
    if (area.right <= area.left || area.bottom <= area.top) return;
    const ScopedGdiObject<HBRUSH> brush(device_, device_.CreateSolidBrush(color));
    device_.FillRect(hdc, area, brush.get());
}

int DeviceScaleGdi::FillRect(HDC hdc, const Rect& rect, HBRUSH brush) {
    return device_.FillRect(hdc, Scaled(hdc) ? scale_.Area(rect) : rect, brush);
}

int DeviceScaleGdi::FrameRect(HDC hdc, const Rect& rect, HBRUSH brush) {
    if (!Scaled(hdc) || rect.right <= rect.left || rect.bottom <= rect.top) return device_.FrameRect(hdc, rect, brush);
    // Each side is a line of the control's pixels, kept inside the frame's
    // own area so that it never reaches over its neighbours.
    const Rect outer = scale_.Area(rect);
    const Long width = scale_.LineWidth();
    const Long left = Max(outer.left, scale_.LineStart(rect.left));
    const Long top = Max(outer.top, scale_.LineStart(rect.top));
    const Long right = Min(outer.right, scale_.LineStart(rect.right - 1) + width);
    const Long bottom = Min(outer.bottom, scale_.LineStart(rect.bottom - 1) + width);
    int result = 1;
    for (const Rect& side :
         {Rect{left, top, Min(left + width, right), bottom}, Rect{Max(right - width, left), top, right, bottom},
          Rect{left, top, right, Min(top + width, bottom)}, Rect{left, Max(bottom - width, top), right, bottom}})
        result = device_.FillRect(hdc, side, brush) != 0 ? result : 0;
    return result;
}

bool DeviceScaleGdi::MoveToEx(HDC hdc, int x, int y, Point* previous) {
    const auto found = dcs_.find(hdc.value);
    Point before;
    const bool done = Scaled(hdc) ? device_.MoveToEx(hdc, scale_.Edge(x), scale_.Edge(y), &before)
                                  : device_.MoveToEx(hdc, x, y, &before);
    if (found != dcs_.end()) {
        before = found->second.position;
        found->second.position = Point{x, y};
    }
    if (previous) *previous = before;
    return done;
}

bool DeviceScaleGdi::AxisLineArea(Point from, Point to, Long width, Rect& area) const {
    // The end point is not drawn: a line from 5 to 2 covers 3, 4 and 5.
    const auto span = [&](Long a, Long b, Long& start, Long& end) {
        const Long first = a < b ? a : b + 1;
        const Long last = a < b ? b : a + 1;
        start = scale_.Edge(first);
        end = scale_.Edge(last);
    };
    if (from.y == to.y) {
        span(from.x, to.x, area.left, area.right);
        area.top = scale_.LineStart(from.y);
        area.bottom = area.top + width;
        return true;
    }
    if (from.x == to.x) {
        span(from.y, to.y, area.top, area.bottom);
        area.left = scale_.LineStart(from.x);
        area.right = area.left + width;
        return true;
    }
    return false;
}

bool DeviceScaleGdi::LineTo(HDC hdc, int x, int y) {
    const auto found = dcs_.find(hdc.value);
    if (!Scaled(hdc) || found == dcs_.end()) {
        if (found != dcs_.end()) found->second.position = Point{x, y};
        return Scaled(hdc) ? device_.LineTo(hdc, scale_.Edge(x), scale_.Edge(y)) : device_.LineTo(hdc, x, y);
    }
    DcInfo& dc = found->second;
    const Point from = std::exchange(dc.position, Point{x, y});
    const Point to{x, y};
    const auto pen = pens_.find(dc.pen.value);
    if (pen == pens_.end()) return device_.LineTo(hdc, scale_.Edge(x), scale_.Edge(y));
    const PenInfo& info = pen->second;
    device_.MoveToEx(hdc, scale_.Edge(x), scale_.Edge(y), nullptr);
    if (info.style == kNullPen || from == to) return true;
    const Long width = info.width <= 1 ? scale_.LineWidth() : scale_.Extent(info.width);
    if (Rect area; AxisLineArea(from, to, width, area)) {
        FillDevice(hdc, area, info.color);
        return true;
    }
    // A slanted line: the device's own walk with a pen as wide as the
    // device draws a line of the control's.
    const ScopedGdiObject<HPEN> wide(device_, device_.CreatePen(info.style, width, info.color));
    const ScopedSelectObject<HPEN> selected(device_, hdc, wide.get());
    device_.MoveToEx(hdc, scale_.Edge(from.x), scale_.Edge(from.y), nullptr);
    return device_.LineTo(hdc, scale_.Edge(x), scale_.Edge(y));
}

bool DeviceScaleGdi::SetPixelV(HDC hdc, int x, int y, COLORREF color) {
    if (!Scaled(hdc)) return device_.SetPixelV(hdc, x, y, color);
    FillDevice(hdc, scale_.Area(Rect{x, y, x + 1, y + 1}), color);
    return true;
}

COLORREF DeviceScaleGdi::GetPixel(HDC hdc, int x, int y) {
    return Scaled(hdc) ? device_.GetPixel(hdc, scale_.Edge(x), scale_.Edge(y)) : device_.GetPixel(hdc, x, y);
}

bool DeviceScaleGdi::BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                            std::uint32_t rop) {
    // The extent is the destination's: a blit onto the device covers the
    // same device pixels a fill of that rectangle would.
    int deviceX = x, deviceY = y, deviceWidth = width, deviceHeight = height;
    if (Scaled(dest)) {
        deviceX = scale_.Edge(x);
        deviceY = scale_.Edge(y);
        deviceWidth = scale_.Edge(x + width) - deviceX;
        deviceHeight = scale_.Edge(y + height) - deviceY;
    }
    if (source && Scaled(source)) {
        sourceX = scale_.Edge(sourceX);
        sourceY = scale_.Edge(sourceY);
    }
    return device_.BitBlt(dest, deviceX, deviceY, deviceWidth, deviceHeight, source, sourceX, sourceY, rop);
}

int DeviceScaleGdi::IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
    if (!Scaled(hdc)) return device_.IntersectClipRect(hdc, left, top, right, bottom);
    const Rect area = scale_.Area(Rect{Min(left, right), Min(top, bottom), Max(left, right), Max(top, bottom)});
    return device_.IntersectClipRect(hdc, area.left, area.top, area.right, area.bottom);
}

bool DeviceScaleGdi::DrawIcon(HDC hdc, int x, int y, HICON icon) {
    return Scaled(hdc) ? device_.DrawIcon(hdc, scale_.Edge(x), scale_.Edge(y), icon)
                       : device_.DrawIcon(hdc, x, y, icon);
}

// ---- Text -------------------------------------------------------------------

int DeviceScaleGdi::DrawTextScaled(HDC hdc, Rect* rect, unsigned format, const auto& draw) {
    if (!Scaled(hdc)) return draw(rect, format);
    const Rect area = scale_.Area(*rect);
    Rect device = area;
    if (format & DT_CALCRECT) {
        const int height = draw(&device, format);
        // The box grows from its left and top edge; what the device measured
        // is handed back in the control's pixels, rounded up, so the text
        // drawn later into that box has room on the device.
        if (device.right != area.right) rect->right = rect->left + scale_.ToControl(device.right - area.left);
        if (device.bottom != area.bottom) rect->bottom = rect->top + scale_.ToControl(device.bottom - area.top);
        if (device.left != area.left) rect->left = rect->right - scale_.ToControl(area.right - device.left);
        return scale_.ToControl(height);
    }
    // A measured box comes back up to a device pixel narrower or shorter
    // than the text, once its edges are rounded again: a pixel more on each
    // side keeps every line where the measurement broke it, and no
    // descender is clipped. Centred text keeps its middle.
    if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE)) {
        if (!(format & DT_RIGHT)) device.right += 1;
        if (format & (DT_CENTER | DT_RIGHT)) device.left -= 1;
        device.bottom += 1;
    }
    return scale_.ToControl(draw(&device, format));
}

int DeviceScaleGdi::DrawTextA(HDC hdc, const char* text, int count, Rect* rect, unsigned format) {
    if (!rect) return device_.DrawTextA(hdc, text, count, rect, format);
    return DrawTextScaled(hdc, rect, format,
                          [&](Rect* area, unsigned how) { return device_.DrawTextA(hdc, text, count, area, how); });
}

int DeviceScaleGdi::DrawTextW(HDC hdc, const char16_t* text, int count, Rect* rect, unsigned format) {
    if (!rect) return device_.DrawTextW(hdc, text, count, rect, format);
    return DrawTextScaled(hdc, rect, format,
                          [&](Rect* area, unsigned how) { return device_.DrawTextW(hdc, text, count, area, how); });
}

}  // namespace lumora
