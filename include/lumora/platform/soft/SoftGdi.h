// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "lumora/platform/Gdi.h"
#include "lumora/platform/soft/HandleTable.h"
#include "lumora/platform/soft/SoftBitmap.h"
#include "lumora/platform/soft/SoftRaster.h"

namespace lumora::soft {

class RasterFont;
class TextRunCache;

// The kinds of drawing objects the surface keeps count of.
enum class ObjectKind { DC, Bitmap, Brush, Pen, Region, Palette, Font, Icon };

// A software implementation of the drawing calls that puts down the same
// pixels as the system for the same calls: 32-bit colour and 1-bit bitmaps,
// the system's line walk, raster operations with its monochrome rules, its
// object lifetimes. Handles are never reused within a process, so a stale
// one fails like any unknown handle. Bitmaps are 1 or 32 bits deep; asking
// CreateBitmap for a depth in between fails.
class SoftGdi final : public Gdi {
public:
    SoftGdi();
    ~SoftGdi() override;
    SoftGdi(const SoftGdi&) = delete;
    SoftGdi& operator=(const SoftGdi&) = delete;

    // Device contexts.
    HDC GetDC(HWND hwnd) override;
    int ReleaseDC(HWND hwnd, HDC hdc) override;
    HDC CreateCompatibleDC(HDC hdc) override;
    bool DeleteDC(HDC hdc) override;
    int GetDeviceCaps(HDC hdc, int index) override;

    // Objects.
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

    // Drawing.
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

    // A colour or monochrome bitmap holding these pixels.
    HBITMAP CreateBitmapFromPixels(const SoftBitmap& pixels);
    // An icon of the given pixels; mask is 1-bit and 1 where the icon is
    // transparent. Null when the two sizes differ or are empty.
    HICON CreateIconFromPixels(const SoftBitmap& color, const SoftBitmap& mask);
    // The pixels of an icon, or null for an unknown one.
    const SoftBitmap* IconColorOf(HICON icon) const;
    const SoftBitmap* IconMaskOf(HICON icon) const;

    // Windows of the software surface: each has a 32-bit client area that
    // GetDC draws on. Resizing keeps the pixels both sizes share. A client
    // area holds at most kMaxWindowPixels pixels (64 MiB): beyond that only
    // its top rows have pixels.
    static constexpr std::int64_t kMaxWindowPixels = std::int64_t{16} << 20;
    HWND CreateSoftWindow(int width, int height);
    void ResizeSoftWindow(HWND hwnd, int width, int height);
    // Also releases the window's outstanding device contexts.
    void DestroySoftWindow(HWND hwnd);

    // The screen resolution every DC reports; 0 stands for a device that
    // reports none.
    void SetDpi(int x, int y);

    // Live objects, stock objects excepted, so tests can prove nothing leaks.
    int LiveObjects(ObjectKind kind) const;
    int LiveObjectsTotal() const;

    COLORREF SystemColor(int index) const;
    const SoftBitmap* BitmapOf(HBITMAP bitmap) const;
    // The pixels a DC draws on: its selected bitmap or its window's client
    // area; null for the screen and for unknown DCs.
    const SoftBitmap* SurfaceOf(HDC hdc) const;
    // The entries of a palette, or null for an unknown one.
    const std::vector<COLORREF>* PaletteOf(HPALETTE palette) const;

private:
    struct BitmapData {
        SoftBitmap pixels;
    };
    struct BrushData {
        COLORREF color = 0;
    };
    struct PenData {
        int style = PS_SOLID;
        int width = 1;
        COLORREF color = 0;
    };
    struct RegionData {
        Rect rect;
    };
    struct PaletteData {
        std::vector<COLORREF> entries;
    };
    struct FontData {
        // Null for the stock font, which follows the current resolution.
        std::shared_ptr<const RasterFont> font;
    };
    struct IconData {
        SoftBitmap color;
        // 1 where the icon is transparent.
        SoftBitmap mask;
    };
    using Payload = std::variant<BitmapData, BrushData, PenData, RegionData, PaletteData, FontData, IconData>;

    struct Object {
        Payload payload;
        bool stock = false;
        // DCs holding the object; a delete while it is held waits for the last.
        int selections = 0;
        bool deletePending = false;

        ObjectKind Kind() const noexcept;
    };

    enum class DcType { Memory, Window, Screen };

    struct DeviceContext {
        DcType type = DcType::Memory;
        std::uintptr_t window = 0;
        HBITMAP bitmap;
        HBRUSH brush;
        HPEN pen;
        HFONT font;
        HPALETTE palette;
        COLORREF bkColor = 0xFFFFFF;
        COLORREF textColor = 0;
        int bkMode = OPAQUE;
        Point position;
        // The clipping region, a rectangle; none draws everywhere.
        std::optional<Rect> clip;
    };

    // A window's pixels are made when a DC first draws on it, so a host
    // that keeps its own image (the headless one) never pays for a second
    // copy. They hold at most kMaxWindowPixels: a larger window keeps its
    // size, and its DCs draw on its top rows only.
    struct Window {
        int width = 0;
        int height = 0;
        std::optional<SoftBitmap> surface;
    };
    static SoftBitmap WindowPixels(int width, int height);

    // Handles come from one process-wide counter, so no value is ever
    // handed out twice, whatever its kind.
    static std::uintptr_t NextHandleValue();

    std::uintptr_t AddObject(Payload payload, bool stock = false);
    Object* Find(std::uintptr_t value, ObjectKind kind);
    const Object* Find(std::uintptr_t value, ObjectKind kind) const;
    template <typename Data>
    Data* FindData(std::uintptr_t value);
    DeviceContext* FindDc(HDC hdc);
    const DeviceContext* FindDc(HDC hdc) const;

    HDC AddDc(DeviceContext dc);
    // Puts `value` into a DC's slot and lets go of what was there.
    std::uintptr_t Swap(std::uintptr_t& slot, std::uintptr_t value);
    void Hold(std::uintptr_t value);
    void Release(std::uintptr_t value);
    void ReleaseSelections(const DeviceContext& dc);
    void EraseDc(std::uintptr_t value);

    HBITMAP NewBitmap(int width, int height, int bitsPerPixel);
    // The resolution fonts are made at: the screen's, or the common 96 dpi
    // for a device that reports none, since a font needs some size.
    int FontDpi() const noexcept;
    SoftBitmap* Surface(const DeviceContext& dc);
    // Where drawing on the DC may change pixels: its surface, within its
    // clipping region.
    Rect DrawBounds(const DeviceContext& dc, const SoftBitmap& surface) const noexcept;
    // A region's rectangle, or null for an unknown region.
    const Rect* RegionRect(HRGN region) noexcept;

    // The pixel a colour of a DC's pen, brush or text puts on a surface. On a
    // monochrome one, a colour that is neither black nor white takes the
    // opposite of the pixel the background colour maps to, unless it is the
    // background colour itself.
    std::uint32_t ForegroundPixel(const DeviceContext& dc, const SoftBitmap& surface, COLORREF color) const;
    // The pixel nearest to a colour, as SetPixel and backgrounds use it.
    std::uint32_t NearestPixel(const DeviceContext& dc, const SoftBitmap& surface, COLORREF color) const;
    // A COLORREF as plain RGB: palette indexes looked up in the DC's palette.
    COLORREF ResolveColor(const DeviceContext& dc, COLORREF color) const;
    Pattern BrushPattern(const DeviceContext& dc, const SoftBitmap& surface, COLORREF color) const;
    COLORREF BrushColor(const DeviceContext& dc) const;

    bool PatBlt(const DeviceContext& dc, COLORREF brushColor, const Rect& area, std::uint8_t rop);
    SoftBitmap ConvertSource(const DeviceContext& sourceDc, const SoftBitmap& source, const Rect& area,
                             const DeviceContext& destDc, const SoftBitmap& dest) const;
    void DrawLine(const DeviceContext& dc, SoftBitmap& surface, Point from, Point to);
    // Either 8-bit or UTF-16 text: exactly one of ansi and wide is set.
    struct TextInput {
        const char* ansi = nullptr;
        const char16_t* wide = nullptr;
        int count = 0;
    };
    int DrawTextOn(const DeviceContext& dc, SoftBitmap* surface, const TextInput& text, Rect* rect, unsigned format);

    // Rectangular regions live apart from the other objects: the mouse makes,
    // tests and deletes one per column on every move, so each is a rectangle
    // in a fixed table whose slot its handle names. Region handles are odd
    // multiples of two, which no other handle is, and carry a serial above
    // the slot so that none is handed out twice. When the table is full a
    // region goes to the object table like any other object.
    struct RegionSlot {
        std::uintptr_t handle = 0;  // 0 while the slot is free
        Rect rect;
    };
    static constexpr std::size_t kRegionSlots = 64;

    // A handle for the free slot on top of the stack, or 0 when there is none.
    std::uintptr_t NewRegionHandle() noexcept;
    RegionSlot* FindRegion(std::uintptr_t value) noexcept;
    bool DeleteRegion(std::uintptr_t value) noexcept;

    HandleTable<Object> objects_;
    std::array<RegionSlot, kRegionSlots> regions_{};
    // The free slots, the next to use last.
    std::array<std::uint8_t, kRegionSlots> freeRegions_{};
    std::size_t freeRegionCount_ = 0;
    // The serials this surface may still give region handles: [next, end).
    std::uintptr_t nextRegionSerial_ = 0;
    std::uintptr_t endRegionSerial_ = 0;
    HandleTable<DeviceContext> dcs_;
    HandleTable<Window> windows_;
    std::uintptr_t stockBitmap_ = 0;
    std::uintptr_t stockBrush_ = 0;
    std::uintptr_t stockPen_ = 0;
    std::uintptr_t stockFont_ = 0;
    std::uintptr_t stockPalette_ = 0;
    int dpiX_ = 96;
    int dpiY_ = 96;
    // The blend of the last text colour drawn, set up again only when the
    // colour changes.
    std::unique_ptr<CoverageBlend> textBlend_;
    // Captions laid out before, drawn again without a new layout.
    std::unique_ptr<TextRunCache> textRuns_;
};

}  // namespace lumora::soft
