// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <unordered_map>
#include <unordered_set>

#include "lumora/platform/DeviceScale.h"
#include "lumora/platform/Gdi.h"

namespace lumora {

// The control's drawing calls, in its own pixels, put down on a device that
// shows every pixel `scale` times larger: the calls of a per-monitor aware
// program on a screen above 96 dpi. It lies over any Gdi (the software
// surface, the system's) and shares its handles, so a DC made here can be
// handed to the device directly.
//
// What changes on the way down:
// - Rectangles, blits and bitmaps made here take DeviceScale's edges, so the
//   persistent image is round(S x width) by round(S x height).
// - Lines and frames one pixel wide become round(S) pixels wide.
// - Fonts are made round(S x their pixel height) tall, so text is hinted at
//   the device size. Measuring (DT_CALCRECT) answers in the control's
//   pixels, rounded up, so the measured box holds the drawn text.
// - Hit-testing stays in the control's pixels: regions, client rectangles
//   and the resolution (LOGPIXELSX/Y) pass through unchanged.
//
// Bitmaps that arrive from elsewhere (a picture's own) keep their pixels: a
// memory DC holding one draws unscaled, and a blit from it copies its pixels
// one to one. Pictures scale in cImageManipulation, through DevicePixels().
class DeviceScaleGdi final : public Gdi {
public:
    DeviceScaleGdi(Gdi& device, double scale);
    DeviceScaleGdi(const DeviceScaleGdi&) = delete;
    DeviceScaleGdi& operator=(const DeviceScaleGdi&) = delete;

    // The smallest and largest scale a device may have.
    static constexpr double kMinScale = 0.5;
    static constexpr double kMaxScale = 4.0;

    HDC GetDC(HWND hwnd) override;
    int ReleaseDC(HWND hwnd, HDC hdc) override;
    HDC CreateCompatibleDC(HDC hdc) override;
    bool DeleteDC(HDC hdc) override;
    int GetDeviceCaps(HDC hdc, int index) override { return device_.GetDeviceCaps(hdc, index); }

    HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) override;
    HBITMAP CreateBitmap(int width, int height, unsigned planes, unsigned bitsPerPixel, const void* bits) override;
    HBRUSH CreateSolidBrush(COLORREF color) override { return device_.CreateSolidBrush(color); }
    HPEN CreatePen(int style, int width, COLORREF color) override;
    HRGN CreateRectRgnIndirect(const Rect& rect) override { return device_.CreateRectRgnIndirect(rect); }
    HPALETTE CreateHalftonePalette(HDC hdc) override { return device_.CreateHalftonePalette(hdc); }
    HFONT CreateFontIndirect(const FontDescription& font) override;
    bool DeleteObject(HGDIOBJ object) override;

    HBITMAP SelectObject(HDC hdc, HBITMAP bitmap) override;
    HBRUSH SelectObject(HDC hdc, HBRUSH brush) override { return device_.SelectObject(hdc, brush); }
    HPEN SelectObject(HDC hdc, HPEN pen) override;
    HFONT SelectObject(HDC hdc, HFONT font) override { return device_.SelectObject(hdc, font); }
    HPALETTE SelectPalette(HDC hdc, HPALETTE palette, bool forceBackground) override {
        return device_.SelectPalette(hdc, palette, forceBackground);
    }
    unsigned RealizePalette(HDC hdc) override { return device_.RealizePalette(hdc); }

    COLORREF GetBkColor(HDC hdc) override { return device_.GetBkColor(hdc); }
    COLORREF SetBkColor(HDC hdc, COLORREF color) override { return device_.SetBkColor(hdc, color); }
    COLORREF GetTextColor(HDC hdc) override { return device_.GetTextColor(hdc); }
    COLORREF SetTextColor(HDC hdc, COLORREF color) override { return device_.SetTextColor(hdc, color); }
    int GetBkMode(HDC hdc) override { return device_.GetBkMode(hdc); }
    int SetBkMode(HDC hdc, int mode) override { return device_.SetBkMode(hdc, mode); }

    int FillRect(HDC hdc, const Rect& rect, HBRUSH brush) override;
    int FrameRect(HDC hdc, const Rect& rect, HBRUSH brush) override;
    bool MoveToEx(HDC hdc, int x, int y, Point* previous) override;
    bool LineTo(HDC hdc, int x, int y) override;
    bool SetPixelV(HDC hdc, int x, int y, COLORREF color) override;
    COLORREF GetPixel(HDC hdc, int x, int y) override;
    bool BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                std::uint32_t rop) override;
    int DrawTextA(HDC hdc, const char* text, int count, Rect* rect, unsigned format) override;
    int DrawTextW(HDC hdc, const char16_t* text, int count, Rect* rect, unsigned format) override;
    bool DrawIcon(HDC hdc, int x, int y, HICON icon) override;
    bool DestroyIcon(HICON icon) override { return device_.DestroyIcon(icon); }

    bool PtInRegion(HRGN region, int x, int y) override { return device_.PtInRegion(region, x, y); }
    // The rectangle is in the control's pixels and clips the device pixels
    // a fill of it would cover; a region is in device pixels already, as
    // the system takes it.
    int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) override;
    int SelectClipRgn(HDC hdc, HRGN region) override { return device_.SelectClipRgn(hdc, region); }
    bool GetClientRect(HWND hwnd, Rect* rect) override { return device_.GetClientRect(hwnd, rect); }
    long OleTranslateColor(OLE_COLOR color, HPALETTE palette, COLORREF* result) override {
        return device_.OleTranslateColor(color, palette, result);
    }

    Gdi* DevicePixels() noexcept override { return &device_; }
    DeviceScale deviceScale() const noexcept override { return scale_; }

private:
    struct PenInfo {
        int style = PS_SOLID;
        int width = 1;
        COLORREF color = 0;
    };
    // What this layer knows of a DC it made.
    struct DcInfo {
        bool memory = false;
        HBITMAP bitmap;
        HPEN pen;
        Point position;
    };

    // Whether drawing on the DC is scaled: every DC but a memory DC holding
    // a bitmap that was not made here.
    bool Scaled(HDC hdc) const;
    // Draws a rectangle of the device in one colour, through a brush.
    void FillDevice(HDC hdc, const Rect& area, COLORREF color);
    // The device rectangle of a one-pixel line from `from` to `to`, end
    // excluded, when it runs straight across or down.
    bool AxisLineArea(Point from, Point to, Long width, Rect& area) const;
    int DrawTextScaled(HDC hdc, Rect* rect, unsigned format, const auto& draw);

    Gdi& device_;
    DeviceScale scale_;
    std::unordered_map<std::uintptr_t, DcInfo> dcs_;
    // Bitmaps made here, which hold device pixels.
    std::unordered_set<std::uintptr_t> deviceBitmaps_;
    std::unordered_map<std::uintptr_t, PenInfo> pens_;
};

}  // namespace lumora
