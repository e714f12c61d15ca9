// SPDX-License-Identifier: MIT
// The portable header comes before <windows.h>: once the system headers are
// in, names like SRCCOPY, GetRValue and CreateFontIndirect are macros.
#include "platform/win32/Win32Gdi.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <ole2.h>
#include <olectl.h>

#undef CreateFontIndirect

#include <algorithm>
#include <cmath>
#include <cwchar>

namespace lumora::win32 {
namespace {

// The typed handle as the system's own handle type, and back.
template <typename Raw, typename Tag>
Raw ToRaw(Handle<Tag> handle) noexcept {
    return reinterpret_cast<Raw>(handle.value);
}

template <typename Typed, typename Raw>
Typed FromRaw(Raw raw) noexcept {
    return Typed{reinterpret_cast<std::uintptr_t>(raw)};
}

::RECT ToRaw(const Rect& rect) noexcept { return ::RECT{rect.left, rect.top, rect.right, rect.bottom}; }

Rect FromRaw(const ::RECT& rect) noexcept { return Rect{rect.left, rect.top, rect.right, rect.bottom}; }

// A face name longer than LOGFONT holds is cut, as the system cuts it.
void CopyFaceName(const String& name, ::LOGFONTW& font) {
    const std::size_t length = std::min<std::size_t>(name.size(), LF_FACESIZE - 1);
    std::copy_n(name.data(), length, font.lfFaceName);
    font.lfFaceName[length] = L'\0';
}

}  // namespace

HDC Win32Gdi::GetDC(HWND hwnd) { return FromRaw<HDC>(::GetDC(ToRaw<::HWND>(hwnd))); }

int Win32Gdi::ReleaseDC(HWND hwnd, HDC hdc) { return ::ReleaseDC(ToRaw<::HWND>(hwnd), ToRaw<::HDC>(hdc)); }

HDC Win32Gdi::CreateCompatibleDC(HDC hdc) { return FromRaw<HDC>(::CreateCompatibleDC(ToRaw<::HDC>(hdc))); }

bool Win32Gdi::DeleteDC(HDC hdc) { return ::DeleteDC(ToRaw<::HDC>(hdc)) != FALSE; }

int Win32Gdi::GetDeviceCaps(HDC hdc, int index) { return ::GetDeviceCaps(ToRaw<::HDC>(hdc), index); }

HBITMAP Win32Gdi::CreateCompatibleBitmap(HDC hdc, int width, int height) {
    return FromRaw<HBITMAP>(::CreateCompatibleBitmap(ToRaw<::HDC>(hdc), width, height));
}

HBITMAP Win32Gdi::CreateBitmap(int width, int height, unsigned planes, unsigned bitsPerPixel, const void* bits) {
    return FromRaw<HBITMAP>(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
}

HBRUSH Win32Gdi::CreateSolidBrush(COLORREF color) { return FromRaw<HBRUSH>(::CreateSolidBrush(color)); }

HPEN Win32Gdi::CreatePen(int style, int width, COLORREF color) {
    return FromRaw<HPEN>(::CreatePen(style, width, color));
}

HRGN Win32Gdi::CreateRectRgnIndirect(const Rect& rect) {
    const ::RECT raw = ToRaw(rect);
    return FromRaw<HRGN>(::CreateRectRgnIndirect(&raw));
}

HPALETTE Win32Gdi::CreateHalftonePalette(HDC hdc) {
    return FromRaw<HPALETTE>(::CreateHalftonePalette(ToRaw<::HDC>(hdc)));
}

HFONT Win32Gdi::CreateFontIndirect(const FontDescription& font) {
    // The em is size × dpiY / 72 pixels at the screen's resolution, as an
    // OLE font of that many points asks for it.
    ::HDC screen = ::GetDC(nullptr);
    const int dpiY = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);

    ::LOGFONTW raw{};
    raw.lfHeight = -static_cast<LONG>(std::lround(font.size * dpiY / 72.0));
    raw.lfWeight = font.weight;
    raw.lfItalic = font.italic ? TRUE : FALSE;
    raw.lfUnderline = font.underline ? TRUE : FALSE;
    raw.lfStrikeOut = font.strikethrough ? TRUE : FALSE;
    raw.lfCharSet = static_cast<BYTE>(font.charset);
    CopyFaceName(font.name, raw);
    return FromRaw<HFONT>(::CreateFontIndirectW(&raw));
}

bool Win32Gdi::DeleteObject(HGDIOBJ object) {
    return ::DeleteObject(reinterpret_cast<::HGDIOBJ>(object.value)) != FALSE;
}

HBITMAP Win32Gdi::SelectObject(HDC hdc, HBITMAP bitmap) {
    return FromRaw<HBITMAP>(::SelectObject(ToRaw<::HDC>(hdc), ToRaw<::HBITMAP>(bitmap)));
}

HBRUSH Win32Gdi::SelectObject(HDC hdc, HBRUSH brush) {
    return FromRaw<HBRUSH>(::SelectObject(ToRaw<::HDC>(hdc), ToRaw<::HBRUSH>(brush)));
}

HPEN Win32Gdi::SelectObject(HDC hdc, HPEN pen) {
    return FromRaw<HPEN>(::SelectObject(ToRaw<::HDC>(hdc), ToRaw<::HPEN>(pen)));
}

HFONT Win32Gdi::SelectObject(HDC hdc, HFONT font) {
    return FromRaw<HFONT>(::SelectObject(ToRaw<::HDC>(hdc), ToRaw<::HFONT>(font)));
}

HPALETTE Win32Gdi::SelectPalette(HDC hdc, HPALETTE palette, bool forceBackground) {
    return FromRaw<HPALETTE>(
        ::SelectPalette(ToRaw<::HDC>(hdc), ToRaw<::HPALETTE>(palette), forceBackground ? TRUE : FALSE));
}

unsigned Win32Gdi::RealizePalette(HDC hdc) { return ::RealizePalette(ToRaw<::HDC>(hdc)); }

COLORREF Win32Gdi::GetBkColor(HDC hdc) { return ::GetBkColor(ToRaw<::HDC>(hdc)); }

COLORREF Win32Gdi::SetBkColor(HDC hdc, COLORREF color) { return ::SetBkColor(ToRaw<::HDC>(hdc), color); }

COLORREF Win32Gdi::GetTextColor(HDC hdc) { return ::GetTextColor(ToRaw<::HDC>(hdc)); }

COLORREF Win32Gdi::SetTextColor(HDC hdc, COLORREF color) { return ::SetTextColor(ToRaw<::HDC>(hdc), color); }

int Win32Gdi::GetBkMode(HDC hdc) { return ::GetBkMode(ToRaw<::HDC>(hdc)); }

int Win32Gdi::SetBkMode(HDC hdc, int mode) { return ::SetBkMode(ToRaw<::HDC>(hdc), mode); }

int Win32Gdi::FillRect(HDC hdc, const Rect& rect, HBRUSH brush) {
    const ::RECT raw = ToRaw(rect);
    return ::FillRect(ToRaw<::HDC>(hdc), &raw, ToRaw<::HBRUSH>(brush));
}

int Win32Gdi::FrameRect(HDC hdc, const Rect& rect, HBRUSH brush) {
    const ::RECT raw = ToRaw(rect);
    return ::FrameRect(ToRaw<::HDC>(hdc), &raw, ToRaw<::HBRUSH>(brush));
}

bool Win32Gdi::MoveToEx(HDC hdc, int x, int y, Point* previous) {
    ::POINT raw{};
    const bool moved = ::MoveToEx(ToRaw<::HDC>(hdc), x, y, &raw) != FALSE;
    if (moved && previous) *previous = Point{raw.x, raw.y};
    return moved;
}

bool Win32Gdi::LineTo(HDC hdc, int x, int y) { return ::LineTo(ToRaw<::HDC>(hdc), x, y) != FALSE; }

bool Win32Gdi::SetPixelV(HDC hdc, int x, int y, COLORREF color) {
    return ::SetPixelV(ToRaw<::HDC>(hdc), x, y, color) != FALSE;
}

COLORREF Win32Gdi::GetPixel(HDC hdc, int x, int y) { return ::GetPixel(ToRaw<::HDC>(hdc), x, y); }

bool Win32Gdi::BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                      std::uint32_t rop) {
    return ::BitBlt(ToRaw<::HDC>(dest), x, y, width, height, ToRaw<::HDC>(source), sourceX, sourceY, rop) != FALSE;
}

int Win32Gdi::DrawTextA(HDC hdc, const char* text, int count, Rect* rect, unsigned format) {
    if (!rect) return ::DrawTextA(ToRaw<::HDC>(hdc), text, count, nullptr, format);
    ::RECT raw = ToRaw(*rect);
    const int height = ::DrawTextA(ToRaw<::HDC>(hdc), text, count, &raw, format);
    *rect = FromRaw(raw);
    return height;
}

int Win32Gdi::DrawTextW(HDC hdc, const char16_t* text, int count, Rect* rect, unsigned format) {
    // Windows' wchar_t is UTF-16, so the text goes to the system as it is.
    const auto* wide = reinterpret_cast<const wchar_t*>(text);
    if (!rect) return ::DrawTextW(ToRaw<::HDC>(hdc), wide, count, nullptr, format);
    ::RECT raw = ToRaw(*rect);
    const int height = ::DrawTextW(ToRaw<::HDC>(hdc), wide, count, &raw, format);
    *rect = FromRaw(raw);
    return height;
}

bool Win32Gdi::DrawIcon(HDC hdc, int x, int y, HICON icon) {
    return ::DrawIcon(ToRaw<::HDC>(hdc), x, y, ToRaw<::HICON>(icon)) != FALSE;
}

bool Win32Gdi::DestroyIcon(HICON icon) { return ::DestroyIcon(ToRaw<::HICON>(icon)) != FALSE; }

bool Win32Gdi::PtInRegion(HRGN region, int x, int y) { return ::PtInRegion(ToRaw<::HRGN>(region), x, y) != FALSE; }

int Win32Gdi::IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
    return ::IntersectClipRect(ToRaw<::HDC>(hdc), left, top, right, bottom);
}

int Win32Gdi::SelectClipRgn(HDC hdc, HRGN region) { return ::SelectClipRgn(ToRaw<::HDC>(hdc), ToRaw<::HRGN>(region)); }

bool Win32Gdi::GetClientRect(HWND hwnd, Rect* rect) {
    ::RECT raw{};
    if (!rect || !::GetClientRect(ToRaw<::HWND>(hwnd), &raw)) return false;
    *rect = FromRaw(raw);
    return true;
}

long Win32Gdi::OleTranslateColor(OLE_COLOR color, HPALETTE palette, COLORREF* result) {
    ::COLORREF raw = 0;
    const HRESULT hr = ::OleTranslateColor(color, ToRaw<::HPALETTE>(palette), result ? &raw : nullptr);
    if (SUCCEEDED(hr) && result) *result = raw;
    return hr;
}

}  // namespace lumora::win32
