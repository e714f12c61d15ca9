// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "lumora/platform/DeviceScale.h"
#include "lumora/platform/Font.h"
#include "lumora/runtime/Types.h"

namespace lumora {

// 0x00BBGGRR, a plain RGB value the drawing calls take.
using COLORREF = std::uint32_t;
inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// A handle of one kind of drawing object. Kinds do not mix: a brush cannot
// be selected where a bitmap is expected.
template <typename Tag>
struct Handle {
    std::uintptr_t value = 0;

    explicit constexpr operator bool() const noexcept { return value != 0; }
    friend constexpr bool operator==(Handle, Handle) = default;
};

using HDC = Handle<struct DcTag>;
using HWND = Handle<struct WindowTag>;
using HBITMAP = Handle<struct BitmapTag>;
using HBRUSH = Handle<struct BrushTag>;
using HPEN = Handle<struct PenTag>;
using HRGN = Handle<struct RegionTag>;
using HPALETTE = Handle<struct PaletteTag>;
using HFONT = Handle<struct FontTag>;
using HICON = Handle<struct IconTag>;

// Any drawing object, for DeleteObject.
struct HGDIOBJ {
    std::uintptr_t value = 0;

    constexpr HGDIOBJ() = default;
    template <typename Tag>
    constexpr HGDIOBJ(Handle<Tag> handle) noexcept : value(handle.value) {}  // NOLINT(google-explicit-constructor)
    explicit constexpr operator bool() const noexcept { return value != 0; }
    friend constexpr bool operator==(HGDIOBJ, HGDIOBJ) = default;
};

struct Point {
    Long x = 0;
    Long y = 0;
    friend constexpr bool operator==(const Point&, const Point&) = default;
};

// Raster operations of BitBlt: the high word's low byte is the boolean
// function of pattern, source and destination.
inline constexpr std::uint32_t SRCCOPY = 0x00CC0020;
inline constexpr std::uint32_t SRCPAINT = 0x00EE0086;
inline constexpr std::uint32_t SRCAND = 0x008800C6;
inline constexpr std::uint32_t SRCINVERT = 0x00660046;
inline constexpr std::uint32_t SRCERASE = 0x00440328;
inline constexpr std::uint32_t NOTSRCCOPY = 0x00330008;
inline constexpr std::uint32_t NOTSRCERASE = 0x001100A6;
inline constexpr std::uint32_t MERGECOPY = 0x00C000CA;
inline constexpr std::uint32_t MERGEPAINT = 0x00BB0226;
inline constexpr std::uint32_t PATCOPY = 0x00F00021;
inline constexpr std::uint32_t PATPAINT = 0x00FB0A09;
inline constexpr std::uint32_t PATINVERT = 0x005A0049;
inline constexpr std::uint32_t DSTINVERT = 0x00550009;
inline constexpr std::uint32_t BLACKNESS = 0x00000042;
inline constexpr std::uint32_t WHITENESS = 0x00FF0062;
// Destination AND NOT source.
inline constexpr std::uint32_t DSna = 0x00220326;

// DrawText formats.
inline constexpr unsigned DT_TOP = 0x0;
inline constexpr unsigned DT_LEFT = 0x0;
inline constexpr unsigned DT_CENTER = 0x1;
inline constexpr unsigned DT_RIGHT = 0x2;
inline constexpr unsigned DT_VCENTER = 0x4;
inline constexpr unsigned DT_BOTTOM = 0x8;
inline constexpr unsigned DT_WORDBREAK = 0x10;
inline constexpr unsigned DT_SINGLELINE = 0x20;
inline constexpr unsigned DT_EXPANDTABS = 0x40;
inline constexpr unsigned DT_NOCLIP = 0x100;
inline constexpr unsigned DT_CALCRECT = 0x400;
inline constexpr unsigned DT_NOPREFIX = 0x800;

// GetDeviceCaps indexes.
inline constexpr int BITSPIXEL = 12;
inline constexpr int PLANES = 14;
inline constexpr int LOGPIXELSX = 88;
inline constexpr int LOGPIXELSY = 90;

// Background modes.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

inline constexpr int PS_SOLID = 0;

// What a clipping region is after a change to it.
inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;

// Results of OleTranslateColor.
inline constexpr long S_OK = 0;
inline constexpr long E_INVALIDARG = static_cast<long>(0x80070057);

constexpr Byte GetRValue(COLORREF c) noexcept { return static_cast<Byte>(c & 0xFF); }
constexpr Byte GetGValue(COLORREF c) noexcept { return static_cast<Byte>((c >> 8) & 0xFF); }
constexpr Byte GetBValue(COLORREF c) noexcept { return static_cast<Byte>((c >> 16) & 0xFF); }

// The subset of the system's drawing calls the control paints with, with
// the system's names, arguments and results. The software surface and the
// real system both implement it, and must put the same pixels down for the
// same calls.
class Gdi {
public:
    virtual ~Gdi() = default;

    // Device contexts. GetDC of a null window is the screen.
    virtual HDC GetDC(HWND hwnd) = 0;
    virtual int ReleaseDC(HWND hwnd, HDC hdc) = 0;
    virtual HDC CreateCompatibleDC(HDC hdc) = 0;
    virtual bool DeleteDC(HDC hdc) = 0;
    virtual int GetDeviceCaps(HDC hdc, int index) = 0;

    // Objects.
    virtual HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) = 0;
    virtual HBITMAP CreateBitmap(int width, int height, unsigned planes, unsigned bitsPerPixel, const void* bits) = 0;
    virtual HBRUSH CreateSolidBrush(COLORREF color) = 0;
    virtual HPEN CreatePen(int style, int width, COLORREF color) = 0;
    virtual HRGN CreateRectRgnIndirect(const Rect& rect) = 0;
    virtual HPALETTE CreateHalftonePalette(HDC hdc) = 0;
    // A font of the given attributes at the resolution of the screen.
    virtual HFONT CreateFontIndirect(const FontDescription& font) = 0;
    virtual bool DeleteObject(HGDIOBJ object) = 0;

    // Selection returns the object the new one replaces, or null on failure.
    virtual HBITMAP SelectObject(HDC hdc, HBITMAP bitmap) = 0;
    virtual HBRUSH SelectObject(HDC hdc, HBRUSH brush) = 0;
    virtual HPEN SelectObject(HDC hdc, HPEN pen) = 0;
    virtual HFONT SelectObject(HDC hdc, HFONT font) = 0;
    virtual HPALETTE SelectPalette(HDC hdc, HPALETTE palette, bool forceBackground) = 0;
    virtual unsigned RealizePalette(HDC hdc) = 0;

    // Colours and modes of a device context.
    virtual COLORREF GetBkColor(HDC hdc) = 0;
    virtual COLORREF SetBkColor(HDC hdc, COLORREF color) = 0;
    virtual COLORREF GetTextColor(HDC hdc) = 0;
    virtual COLORREF SetTextColor(HDC hdc, COLORREF color) = 0;
    virtual int GetBkMode(HDC hdc) = 0;
    virtual int SetBkMode(HDC hdc, int mode) = 0;

    // Drawing.
    virtual int FillRect(HDC hdc, const Rect& rect, HBRUSH brush) = 0;
    virtual int FrameRect(HDC hdc, const Rect& rect, HBRUSH brush) = 0;
    virtual bool MoveToEx(HDC hdc, int x, int y, Point* previous) = 0;
    virtual bool LineTo(HDC hdc, int x, int y) = 0;
    virtual bool SetPixelV(HDC hdc, int x, int y, COLORREF color) = 0;
    virtual COLORREF GetPixel(HDC hdc, int x, int y) = 0;
    virtual bool BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                        std::uint32_t rop) = 0;
    // count -1 means up to the first NUL. Returns the height of the text.
    virtual int DrawTextA(HDC hdc, const char* text, int count, Rect* rect, unsigned format) = 0;
    // The same in UTF-16, which holds every script a caption may be written
    // in; count is in UTF-16 code units.
    virtual int DrawTextW(HDC hdc, const char16_t* text, int count, Rect* rect, unsigned format) = 0;
    // Draws an icon at the system's icon size, through its mask.
    virtual bool DrawIcon(HDC hdc, int x, int y, HICON icon) = 0;
    virtual bool DestroyIcon(HICON icon) = 0;

    // Regions.
    virtual bool PtInRegion(HRGN region, int x, int y) = 0;

    // Clipping: drawing on a DC changes only pixels inside its clipping
    // region. IntersectClipRect narrows the region to a rectangle of the
    // DC's coordinates; SelectClipRgn makes a copy of a region (in device
    // pixels) the clipping region, or with a null one lets the DC draw
    // everywhere again. Both answer NULLREGION, SIMPLEREGION or 0 on failure.
    virtual int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) = 0;
    virtual int SelectClipRgn(HDC hdc, HRGN region) = 0;

    // Windows.
    virtual bool GetClientRect(HWND hwnd, Rect* rect) = 0;

    // OLE: an OLE_COLOR (plain or system colour) as the RGB value it stands
    // for. An unknown system colour fails and leaves *result alone.
    virtual long OleTranslateColor(OLE_COLOR color, HPALETTE palette, COLORREF* result) = 0;

    // A surface that draws the control's pixels larger than its own (a
    // screen above 96 dpi) hands out the surface below it, which takes
    // device pixels and the same handles, for the shapes that are drawn at
    // the device's own resolution: the sort triangle, pictures. A surface
    // whose pixels are the control's answers null and a scale of 1.
    virtual Gdi* DevicePixels() noexcept { return nullptr; }
    virtual DeviceScale deviceScale() const noexcept { return {}; }
};

// The system's rectangle arithmetic, which wraps around at 32 bits.
constexpr Long WrapAdd(Long a, Long b) noexcept {
    return static_cast<Long>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

constexpr Long WrapSub(Long a, Long b) noexcept {
    return static_cast<Long>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

inline bool CopyRect(Rect* dest, const Rect* source) noexcept {
    if (!dest || !source) return false;
    *dest = *source;
    return true;
}

inline bool OffsetRect(Rect* rect, int dx, int dy) noexcept {
    if (!rect) return false;
    rect->left = WrapAdd(rect->left, dx);
    rect->right = WrapAdd(rect->right, dx);
    rect->top = WrapAdd(rect->top, dy);
    rect->bottom = WrapAdd(rect->bottom, dy);
    return true;
}

inline bool InflateRect(Rect* rect, int dx, int dy) noexcept {
    if (!rect) return false;
    rect->left = WrapSub(rect->left, dx);
    rect->right = WrapAdd(rect->right, dx);
    rect->top = WrapSub(rect->top, dy);
    rect->bottom = WrapAdd(rect->bottom, dy);
    return true;
}

inline bool SetRectEmpty(Rect* rect) noexcept {
    if (!rect) return false;
    *rect = Rect{};
    return true;
}

}  // namespace lumora
