// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/platform/Gdi.h"

namespace lumora::win32 {

// The drawing calls on the system itself: every handle is the system's own
// HDC, HBITMAP, HBRUSH... carried in the typed handle, and every call goes
// straight to GDI, USER or OLE with the same arguments. This header stays
// free of <windows.h>, whose macros would rewrite the portable names.
class Win32Gdi final : public Gdi {
public:
    Win32Gdi() = default;
    Win32Gdi(const Win32Gdi&) = delete;
    Win32Gdi& operator=(const Win32Gdi&) = delete;

    HDC GetDC(HWND hwnd) override;
    int ReleaseDC(HWND hwnd, HDC hdc) override;
    HDC CreateCompatibleDC(HDC hdc) override;
    bool DeleteDC(HDC hdc) override;
    int GetDeviceCaps(HDC hdc, int index) override;

    HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) override;
    HBITMAP CreateBitmap(int width, int height, unsigned planes, unsigned bitsPerPixel, const void* bits) override;
    HBRUSH CreateSolidBrush(COLORREF color) override;
    HPEN CreatePen(int style, int width, COLORREF color) override;
    HRGN CreateRectRgnIndirect(const Rect& rect) override;
    HPALETTE CreateHalftonePalette(HDC hdc) override;
    HFONT CreateFontIndirect(const FontDescription& font) override;
    bool DeleteObject(HGDIOBJ object) override;

    HBITMAP SelectObject(HDC hdc, HBITMAP bitmap) override;
    HBRUSH SelectObject(HDC hdc, HBRUSH brush) override;
    HPEN SelectObject(HDC hdc, HPEN pen) override;
    HFONT SelectObject(HDC hdc, HFONT font) override;
    HPALETTE SelectPalette(HDC hdc, HPALETTE palette, bool forceBackground) override;
    unsigned RealizePalette(HDC hdc) override;

    COLORREF GetBkColor(HDC hdc) override;
    COLORREF SetBkColor(HDC hdc, COLORREF color) override;
    COLORREF GetTextColor(HDC hdc) override;
    COLORREF SetTextColor(HDC hdc, COLORREF color) override;
    int GetBkMode(HDC hdc) override;
    int SetBkMode(HDC hdc, int mode) override;

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
    bool DestroyIcon(HICON icon) override;

    bool PtInRegion(HRGN region, int x, int y) override;
    int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) override;
    int SelectClipRgn(HDC hdc, HRGN region) override;
    bool GetClientRect(HWND hwnd, Rect* rect) override;
    long OleTranslateColor(OLE_COLOR color, HPALETTE palette, COLORREF* result) override;
};

}  // namespace lumora::win32
