// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/platform/Gdi.h"

namespace lumora {

// A Gdi that hands every call to the one it holds, so that a wrapper which
// changes a few calls (counting objects, answering for a window) states
// only those.
template <typename Inner>
class ForwardingGdi : public Gdi {
public:
    HDC GetDC(HWND hwnd) override { return inner_.GetDC(hwnd); }
    int ReleaseDC(HWND hwnd, HDC hdc) override { return inner_.ReleaseDC(hwnd, hdc); }
    HDC CreateCompatibleDC(HDC hdc) override { return inner_.CreateCompatibleDC(hdc); }
    bool DeleteDC(HDC hdc) override { return inner_.DeleteDC(hdc); }
    int GetDeviceCaps(HDC hdc, int index) override { return inner_.GetDeviceCaps(hdc, index); }
    HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) override {
        return inner_.CreateCompatibleBitmap(hdc, width, height);
    }
    HBITMAP CreateBitmap(int width, int height, unsigned planes, unsigned bitsPerPixel, const void* bits) override {
        return inner_.CreateBitmap(width, height, planes, bitsPerPixel, bits);
    }
    HBRUSH CreateSolidBrush(COLORREF color) override { return inner_.CreateSolidBrush(color); }
    HPEN CreatePen(int style, int width, COLORREF color) override { return inner_.CreatePen(style, width, color); }
    HRGN CreateRectRgnIndirect(const Rect& rect) override { return inner_.CreateRectRgnIndirect(rect); }
    HPALETTE CreateHalftonePalette(HDC hdc) override { return inner_.CreateHalftonePalette(hdc); }
    HFONT CreateFontIndirect(const FontDescription& font) override { return inner_.CreateFontIndirect(font); }
    bool DeleteObject(HGDIOBJ object) override { return inner_.DeleteObject(object); }
    HBITMAP SelectObject(HDC hdc, HBITMAP bitmap) override { return inner_.SelectObject(hdc, bitmap); }
    HBRUSH SelectObject(HDC hdc, HBRUSH brush) override { return inner_.SelectObject(hdc, brush); }
    HPEN SelectObject(HDC hdc, HPEN pen) override { return inner_.SelectObject(hdc, pen); }
    HFONT SelectObject(HDC hdc, HFONT font) override { return inner_.SelectObject(hdc, font); }
    HPALETTE SelectPalette(HDC hdc, HPALETTE palette, bool forceBackground) override {
        return inner_.SelectPalette(hdc, palette, forceBackground);
    }
    unsigned RealizePalette(HDC hdc) override { return inner_.RealizePalette(hdc); }
    COLORREF GetBkColor(HDC hdc) override { return inner_.GetBkColor(hdc); }
    COLORREF SetBkColor(HDC hdc, COLORREF color) override { return inner_.SetBkColor(hdc, color); }
    COLORREF GetTextColor(HDC hdc) override { return inner_.GetTextColor(hdc); }
    COLORREF SetTextColor(HDC hdc, COLORREF color) override { return inner_.SetTextColor(hdc, color); }
    int GetBkMode(HDC hdc) override { return inner_.GetBkMode(hdc); }
    int SetBkMode(HDC hdc, int mode) override { return inner_.SetBkMode(hdc, mode); }
    int FillRect(HDC hdc, const Rect& rect, HBRUSH brush) override { return inner_.FillRect(hdc, rect, brush); }
    int FrameRect(HDC hdc, const Rect& rect, HBRUSH brush) override { return inner_.FrameRect(hdc, rect, brush); }
    bool MoveToEx(HDC hdc, int x, int y, Point* previous) override { return inner_.MoveToEx(hdc, x, y, previous); }
    bool LineTo(HDC hdc, int x, int y) override { return inner_.LineTo(hdc, x, y); }
    bool SetPixelV(HDC hdc, int x, int y, COLORREF color) override { return inner_.SetPixelV(hdc, x, y, color); }
    COLORREF GetPixel(HDC hdc, int x, int y) override { return inner_.GetPixel(hdc, x, y); }
    bool BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                std::uint32_t rop) override {
        return inner_.BitBlt(dest, x, y, width, height, source, sourceX, sourceY, rop);
    }
    int DrawTextA(HDC hdc, const char* text, int count, Rect* rect, unsigned format) override {
        return inner_.DrawTextA(hdc, text, count, rect, format);
    }
    int DrawTextW(HDC hdc, const char16_t* text, int count, Rect* rect, unsigned format) override {
        return inner_.DrawTextW(hdc, text, count, rect, format);
    }
    bool DrawIcon(HDC hdc, int x, int y, HICON icon) override { return inner_.DrawIcon(hdc, x, y, icon); }
    bool DestroyIcon(HICON icon) override { return inner_.DestroyIcon(icon); }
    bool PtInRegion(HRGN region, int x, int y) override { return inner_.PtInRegion(region, x, y); }
    int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) override {
        return inner_.IntersectClipRect(hdc, left, top, right, bottom);
    }
    int SelectClipRgn(HDC hdc, HRGN region) override { return inner_.SelectClipRgn(hdc, region); }
    bool GetClientRect(HWND hwnd, Rect* rect) override { return inner_.GetClientRect(hwnd, rect); }
    long OleTranslateColor(OLE_COLOR color, HPALETTE palette, COLORREF* result) override {
        return inner_.OleTranslateColor(color, palette, result);
    }

protected:
    Inner inner_;
};

}  // namespace lumora
