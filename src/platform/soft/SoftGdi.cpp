// SPDX-License-Identifier: MIT
#include "lumora/platform/soft/SoftGdi.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <utility>

#include "platform/soft/SoftText.h"
#include "platform/soft/SystemColors.h"
#include "platform/soft/TextRunCache.h"

namespace lumora::soft {
namespace {

using Wide = std::int64_t;

// No bitmap grows beyond 64 Mpixel, so an absurd size fails instead of
// taking gigabytes.
constexpr Wide kMaxBitmapPixels = Wide{64} * 1024 * 1024;
// The system's own limit on either side of a bitmap.
constexpr Wide kMaxBitmapSide = 0x7FFFFFF;

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kRgbMask = 0xFFFFFF;
// A colour with this bit set is an index into the DC's palette.
constexpr COLORREF kPaletteIndexFlag = 0x01000000;
// A colour whose high word is this is a raw pixel value of the bitmap.
constexpr COLORREF kDibIndexTag = 0x10FF;
// The high byte OLE gives a plain colour translated through a palette.
constexpr COLORREF kPaletteRgbFlag = 0x02000000;
// The high byte of a system colour in an OLE_COLOR.
constexpr OLE_COLOR kOleSystemColor = 0x80;
// The high byte of a palette-index OLE_COLOR.
constexpr OLE_COLOR kOlePaletteIndex = 0x01;
// The high byte of a palette-relative OLE_COLOR.
constexpr OLE_COLOR kOlePaletteRgb = 0x02;

// What RealizePalette answers for a DC it cannot use.
constexpr unsigned kGdiError = 0xFFFFFFFF;
// The index byte of PATCOPY: the brush, whatever was there.
constexpr std::uint8_t kPatCopy = 0xF0;
// Every DC reports the depth of the screen it belongs to, whatever bitmap a
// memory DC has selected.
constexpr int kScreenBitsPerPixel = 32;
// The pen style that draws nothing at all.
constexpr int kPsNull = 5;
// The resolution fonts are made at when the device reports none.
constexpr int kFallbackDpi = 96;

// The low bits of a region handle from the region table; every other
// handle is a multiple of four.
constexpr std::uintptr_t kRegionHandleTag = 2;
// Region serials a surface takes from the process-wide counter at a time.
constexpr std::uintptr_t kRegionSerialBlock = 4096;

bool IsRegionHandle(std::uintptr_t value) noexcept { return (value & 3) == kRegionHandleTag; }

bool IsDibIndex(COLORREF color) noexcept { return (color >> 16) == kDibIndexTag; }

// A DIBINDEX colour is a pixel value as it stands; one the bitmap cannot
// hold becomes pixel 0.
std::uint32_t DibIndexPixel(COLORREF color, const SoftBitmap& surface) noexcept {
    const std::uint32_t index = color & 0xFFFF;
    return surface.IsMonochrome() && index < 2 ? index : 0;
}

// Sizes as the system takes them: negative sides count by their size.
bool AcceptSize(int width, int height, Wide& w, Wide& h) noexcept {
    w = std::abs(Wide{width});
    h = std::abs(Wide{height});
    return w <= kMaxBitmapSide && h <= kMaxBitmapSide && w * h <= kMaxBitmapPixels;
}

Rect BoundsOf(const SoftBitmap& bitmap) noexcept { return Rect{0, 0, bitmap.width, bitmap.height}; }

Long ClampToLong(Wide value) noexcept {
    return static_cast<Long>(
        std::clamp<Wide>(value, std::numeric_limits<Long>::min(), std::numeric_limits<Long>::max()));
}

Rect Offset(const Rect& rect, Wide dx, Wide dy) noexcept {
    return Rect{ClampToLong(rect.left + dx), ClampToLong(rect.top + dy), ClampToLong(rect.right + dx),
                ClampToLong(rect.bottom + dy)};
}

void Fill(SoftBitmap& surface, const Rect& area, std::uint32_t pixel) noexcept {
    const Rect clipped = Intersect(area, BoundsOf(surface));
    if (!IsEmpty(clipped)) FillArea(surface, clipped, pixel);
}

bool Inside(const Rect& rect, int x, int y) noexcept {
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

// Monochrome rows are padded to a 16-bit boundary, the leftmost pixel in the
// top bit of each byte, 1 for white.
void LoadMonoBits(SoftBitmap& bitmap, const unsigned char* bytes) noexcept {
    const std::size_t stride = ((static_cast<std::size_t>(bitmap.width) + 15) >> 3) & ~std::size_t{1};
    for (int y = 0; y < bitmap.height; ++y)
        for (int x = 0; x < bitmap.width; ++x)
            bitmap.At(x, y) =
                (bytes[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) / 8] >> (7 - x % 8)) & 1U;
}

// Colour pixels are four bytes each: blue, green, red and one unused.
void LoadColorBits(SoftBitmap& bitmap, const unsigned char* bytes) noexcept {
    for (std::size_t i = 0; i < bitmap.pixels.size(); ++i) {
        const unsigned char* pixel = bytes + i * 4;
        bitmap.pixels[i] = RGB(pixel[2], pixel[1], pixel[0]);
    }
}

}  // namespace

ObjectKind SoftGdi::Object::Kind() const noexcept {
    constexpr ObjectKind kinds[] = {ObjectKind::Bitmap,  ObjectKind::Brush, ObjectKind::Pen, ObjectKind::Region,
                                    ObjectKind::Palette, ObjectKind::Font,  ObjectKind::Icon};
    return kinds[payload.index()];
}

SoftGdi::SoftGdi() : textRuns_(std::make_unique<TextRunCache>()) {
    for (std::size_t slot = 0; slot < kRegionSlots; ++slot)
        freeRegions_[slot] = static_cast<std::uint8_t>(kRegionSlots - 1 - slot);
    freeRegionCount_ = kRegionSlots;
    stockBitmap_ = AddObject(BitmapData{SoftBitmap(1, 1, 1)}, true);
    stockBrush_ = AddObject(BrushData{kWhite}, true);
    stockPen_ = AddObject(PenData{}, true);
    stockFont_ = AddObject(FontData{}, true);
    const auto& defaults = DefaultPaletteEntries();
    stockPalette_ = AddObject(PaletteData{{defaults.begin(), defaults.end()}}, true);
}

SoftGdi::~SoftGdi() = default;

std::uintptr_t SoftGdi::NextHandleValue() {
    static std::atomic<std::uintptr_t> next{0x10000};
    return next.fetch_add(4);
}

std::uintptr_t SoftGdi::AddObject(Payload payload, bool stock) {
    const std::uintptr_t value = NextHandleValue();
    objects_.Insert(value, Object{std::move(payload), stock});
    return value;
}

SoftGdi::Object* SoftGdi::Find(std::uintptr_t value, ObjectKind kind) {
    Object* object = objects_.Find(value);
    return object && object->Kind() == kind ? object : nullptr;
}

const SoftGdi::Object* SoftGdi::Find(std::uintptr_t value, ObjectKind kind) const {
    const Object* object = objects_.Find(value);
    return object && object->Kind() == kind ? object : nullptr;
}

template <typename Data>
Data* SoftGdi::FindData(std::uintptr_t value) {
    Object* object = objects_.Find(value);
    return object ? std::get_if<Data>(&object->payload) : nullptr;
}

SoftGdi::DeviceContext* SoftGdi::FindDc(HDC hdc) { return dcs_.Find(hdc.value); }

const SoftGdi::DeviceContext* SoftGdi::FindDc(HDC hdc) const { return dcs_.Find(hdc.value); }

// ---- Object lifetimes -------------------------------------------------------

void SoftGdi::Hold(std::uintptr_t value) {
    if (Object* object = objects_.Find(value)) ++object->selections;
}

void SoftGdi::Release(std::uintptr_t value) {
    Object* object = objects_.Find(value);
    if (!object) return;
    if (--object->selections == 0 && object->deletePending) objects_.Erase(value);
}

std::uintptr_t SoftGdi::Swap(std::uintptr_t& slot, std::uintptr_t value) {
    const std::uintptr_t previous = slot;
    if (previous == value) return previous;
    Hold(value);
    slot = value;
    Release(previous);
    return previous;
}

HDC SoftGdi::AddDc(DeviceContext dc) {
    dc.brush.value = stockBrush_;
    dc.pen.value = stockPen_;
    dc.font.value = stockFont_;
    dc.palette.value = stockPalette_;
    for (const std::uintptr_t value : {dc.bitmap.value, dc.brush.value, dc.pen.value, dc.font.value, dc.palette.value})
        Hold(value);
    const std::uintptr_t value = NextHandleValue();
    dcs_.Insert(value, dc);
    return HDC{value};
}

void SoftGdi::ReleaseSelections(const DeviceContext& dc) {
    for (const std::uintptr_t value : {dc.bitmap.value, dc.brush.value, dc.pen.value, dc.font.value, dc.palette.value})
        Release(value);
}

void SoftGdi::EraseDc(std::uintptr_t value) {
    const DeviceContext* found = dcs_.Find(value);
    if (!found) return;
    const DeviceContext dc = *found;
    dcs_.Erase(value);
    ReleaseSelections(dc);
}

bool SoftGdi::DeleteObject(HGDIOBJ object) {
    if (IsRegionHandle(object.value)) return DeleteRegion(object.value);
    if (dcs_.Contains(object.value)) return DeleteDC(HDC{object.value});
    Object* found = objects_.Find(object.value);
    // Icons belong to the window manager and go with DestroyIcon only.
    if (!found || found->Kind() == ObjectKind::Icon) return false;
    if (found->stock) return true;
    // The system lets an object go that a DC still holds: the handle stays
    // usable there and the object goes when the last DC lets go of it.
    if (found->selections > 0) {
        found->deletePending = true;
        return true;
    }
    objects_.Erase(object.value);
    return true;
}

int SoftGdi::LiveObjects(ObjectKind kind) const {
    if (kind == ObjectKind::DC) return static_cast<int>(dcs_.size());
    int count = kind == ObjectKind::Region ? static_cast<int>(kRegionSlots - freeRegionCount_) : 0;
    objects_.ForEach([&](std::uintptr_t, const Object& object) { count += !object.stock && object.Kind() == kind; });
    return count;
}

int SoftGdi::LiveObjectsTotal() const {
    int total = 0;
    for (const ObjectKind kind : {ObjectKind::DC, ObjectKind::Bitmap, ObjectKind::Brush, ObjectKind::Pen,
                                  ObjectKind::Region, ObjectKind::Palette, ObjectKind::Font, ObjectKind::Icon})
        total += LiveObjects(kind);
    return total;
}

// ---- Device contexts --------------------------------------------------------

HDC SoftGdi::GetDC(HWND hwnd) {
    DeviceContext dc;
    if (!hwnd) {
        dc.type = DcType::Screen;
    } else {
        if (!windows_.Contains(hwnd.value)) return {};
        dc.type = DcType::Window;
        dc.window = hwnd.value;
    }
    return AddDc(dc);
}

int SoftGdi::ReleaseDC(HWND /*hwnd*/, HDC hdc) {
    const DeviceContext* dc = FindDc(hdc);
    if (!dc || dc->type == DcType::Memory) return 0;
    EraseDc(hdc.value);
    return 1;
}

HDC SoftGdi::CreateCompatibleDC(HDC hdc) {
    if (hdc && !FindDc(hdc)) return {};
    DeviceContext dc;
    dc.type = DcType::Memory;
    dc.bitmap.value = stockBitmap_;
    return AddDc(dc);
}

bool SoftGdi::DeleteDC(HDC hdc) {
    const DeviceContext* dc = FindDc(hdc);
    if (!dc || dc->type != DcType::Memory) return false;
    EraseDc(hdc.value);
    return true;
}

int SoftGdi::GetDeviceCaps(HDC hdc, int index) {
    if (!FindDc(hdc)) return 0;
    switch (index) {
        case BITSPIXEL:
            return kScreenBitsPerPixel;
        case PLANES:
            return 1;
        case LOGPIXELSX:
            return dpiX_;
        case LOGPIXELSY:
            return dpiY_;
        default:
            return 0;
    }
}

int SoftGdi::FontDpi() const noexcept { return dpiY_ > 0 ? dpiY_ : kFallbackDpi; }

void SoftGdi::SetDpi(int x, int y) {
    dpiX_ = x;
    dpiY_ = y;
}

SoftBitmap* SoftGdi::Surface(const DeviceContext& dc) {
    switch (dc.type) {
        case DcType::Memory: {
            BitmapData* bitmap = FindData<BitmapData>(dc.bitmap.value);
            return bitmap ? &bitmap->pixels : nullptr;
        }
        case DcType::Window: {
            Window* window = windows_.Find(dc.window);
            if (!window) return nullptr;
            if (!window->surface) window->surface = WindowPixels(window->width, window->height);
            return &*window->surface;
        }
        case DcType::Screen:
            break;
    }
    return nullptr;
}

const SoftBitmap* SoftGdi::SurfaceOf(HDC hdc) const {
    const DeviceContext* dc = FindDc(hdc);
    return dc ? const_cast<SoftGdi*>(this)->Surface(*dc) : nullptr;
}

const SoftBitmap* SoftGdi::BitmapOf(HBITMAP bitmap) const {
    const Object* object = Find(bitmap.value, ObjectKind::Bitmap);
    return object ? &std::get<BitmapData>(object->payload).pixels : nullptr;
}

const std::vector<COLORREF>* SoftGdi::PaletteOf(HPALETTE palette) const {
    const Object* object = Find(palette.value, ObjectKind::Palette);
    return object ? &std::get<PaletteData>(object->payload).entries : nullptr;
}

// ---- Windows ----------------------------------------------------------------

SoftBitmap SoftGdi::WindowPixels(int width, int height) {
    const std::int64_t rows = width > 0 ? std::min<std::int64_t>(height, kMaxWindowPixels / width) : height;
    return SoftBitmap(width, static_cast<int>(rows), 32);
}

HWND SoftGdi::CreateSoftWindow(int width, int height) {
    if (width < 0 || height < 0 || width > kMaxBitmapSide || height > kMaxBitmapSide) return {};
    const std::uintptr_t value = NextHandleValue();
    windows_.Insert(value, Window{width, height, std::nullopt});
    return HWND{value};
}

void SoftGdi::ResizeSoftWindow(HWND hwnd, int width, int height) {
    Window* window = windows_.Find(hwnd.value);
    if (!window || width < 0 || height < 0 || width > kMaxBitmapSide || height > kMaxBitmapSide) return;
    window->width = width;
    window->height = height;
    if (!window->surface) return;
    SoftBitmap& old = *window->surface;
    SoftBitmap resized = WindowPixels(width, height);
    const int rows = std::min(old.height, resized.height);
    const auto columns = static_cast<std::size_t>(std::min(old.width, resized.width));
    for (int y = 0; y < rows; ++y) std::copy_n(&old.At(0, y), columns, &resized.At(0, y));
    window->surface = std::move(resized);
}

void SoftGdi::DestroySoftWindow(HWND hwnd) {
    if (!windows_.Contains(hwnd.value)) return;
    std::vector<std::uintptr_t> orphans;
    dcs_.ForEach([&](std::uintptr_t value, const DeviceContext& dc) {
        if (dc.window == hwnd.value) orphans.push_back(value);
    });
    for (const std::uintptr_t value : orphans) EraseDc(value);
    windows_.Erase(hwnd.value);
}

bool SoftGdi::GetClientRect(HWND hwnd, Rect* rect) {
    const Window* window = windows_.Find(hwnd.value);
    if (!window || !rect) return false;
    *rect = Rect{0, 0, window->width, window->height};
    return true;
}

// ---- Object creation --------------------------------------------------------

HBITMAP SoftGdi::NewBitmap(int width, int height, int bitsPerPixel) {
    Wide w, h;
    if (!AcceptSize(width, height, w, h)) return {};
    return HBITMAP{AddObject(BitmapData{SoftBitmap(static_cast<int>(w), static_cast<int>(h), bitsPerPixel)})};
}

HBITMAP SoftGdi::CreateCompatibleBitmap(HDC hdc, int width, int height) {
    // An empty size gets the stock 1x1 monochrome bitmap, before the DC is
    // even looked at.
    if (width == 0 || height == 0) return HBITMAP{stockBitmap_};
    const DeviceContext* dc = FindDc(hdc);
    if (!dc) return {};
    int bitsPerPixel = kScreenBitsPerPixel;
    if (dc->type == DcType::Memory) bitsPerPixel = BitmapOf(dc->bitmap)->bitsPerPixel;
    return NewBitmap(width, height, bitsPerPixel);
}

HBITMAP SoftGdi::CreateBitmap(int width, int height, unsigned planes, unsigned bitsPerPixel, const void* bits) {
    if (width == 0 || height == 0) return HBITMAP{stockBitmap_};
    // The system rounds a depth up to 1, 4, 8, 16, 24 or 32 bits; the surface
    // keeps only 1 and 32, so the depths between have no bitmap here.
    int depth = 0;
    if (bitsPerPixel == 1)
        depth = 1;
    else if (bitsPerPixel > 24 && bitsPerPixel <= 32)
        depth = 32;
    if (planes != 1 || depth == 0) return {};
    const HBITMAP bitmap = NewBitmap(width, height, depth);
    if (bitmap && bits) {
        SoftBitmap& pixels = FindData<BitmapData>(bitmap.value)->pixels;
        const auto* bytes = static_cast<const unsigned char*>(bits);
        if (depth == 1)
            LoadMonoBits(pixels, bytes);
        else
            LoadColorBits(pixels, bytes);
    }
    return bitmap;
}

HBRUSH SoftGdi::CreateSolidBrush(COLORREF color) { return HBRUSH{AddObject(BrushData{color})}; }

HPEN SoftGdi::CreatePen(int style, int width, COLORREF color) {
    return HPEN{AddObject(PenData{style, width < 0 ? -width : width, color})};
}

HRGN SoftGdi::CreateRectRgnIndirect(const Rect& rect) {
    // Corners may come in either order; a region without area is empty.
    Rect normal{std::min(rect.left, rect.right), std::min(rect.top, rect.bottom), std::max(rect.left, rect.right),
                std::max(rect.top, rect.bottom)};
    if (IsEmpty(normal)) normal = Rect{};
    const std::uintptr_t handle = NewRegionHandle();
    if (!handle) return HRGN{AddObject(RegionData{normal})};
    regions_[freeRegions_[--freeRegionCount_]] = RegionSlot{handle, normal};
    return HRGN{handle};
}

std::uintptr_t SoftGdi::NewRegionHandle() noexcept {
    if (freeRegionCount_ == 0) return 0;
    if (nextRegionSerial_ == endRegionSerial_) {
        // Serials are reserved from one process-wide counter in blocks, so
        // surfaces never share a handle and rarely touch the counter.
        // Where handles run out, as they can with 32-bit ones, regions take
        // ordinary handles.
        constexpr std::uintptr_t kLastBlock =
            std::numeric_limits<std::uintptr_t>::max() / 4 / kRegionSlots - 2 * kRegionSerialBlock;
        static std::atomic<std::uintptr_t> nextBlock{1};
        if (nextBlock.load(std::memory_order_relaxed) > kLastBlock) return 0;
        const std::uintptr_t block = nextBlock.fetch_add(kRegionSerialBlock);
        if (block > kLastBlock) return 0;
        nextRegionSerial_ = block;
        endRegionSerial_ = block + kRegionSerialBlock;
    }
    const std::uintptr_t serial = nextRegionSerial_++;
    return ((serial * kRegionSlots + freeRegions_[freeRegionCount_ - 1]) << 2) | kRegionHandleTag;
}

SoftGdi::RegionSlot* SoftGdi::FindRegion(std::uintptr_t value) noexcept {
    RegionSlot& slot = regions_[(value >> 2) % kRegionSlots];
    return slot.handle == value ? &slot : nullptr;
}

bool SoftGdi::DeleteRegion(std::uintptr_t value) noexcept {
    RegionSlot* slot = FindRegion(value);
    if (!slot) return false;
    slot->handle = 0;
    freeRegions_[freeRegionCount_++] = static_cast<std::uint8_t>(slot - regions_.data());
    return true;
}

HPALETTE SoftGdi::CreateHalftonePalette(HDC /*hdc*/) {
    const auto& entries = HalftonePaletteEntries();
    return HPALETTE{AddObject(PaletteData{{entries.begin(), entries.end()}})};
}

HFONT SoftGdi::CreateFontIndirect(const FontDescription& font) {
    try {
        return HFONT{AddObject(FontData{ResolveFont(font, FontDpi())})};
    } catch (const std::runtime_error&) {
        // No face at all is installed: no font, rather than an escape.
        return {};
    }
}

// ---- Selection --------------------------------------------------------------

HBITMAP SoftGdi::SelectObject(HDC hdc, HBITMAP bitmap) {
    DeviceContext* dc = FindDc(hdc);
    const Object* object = Find(bitmap.value, ObjectKind::Bitmap);
    // Only memory DCs take bitmaps, and a bitmap lives in one DC at a time;
    // the stock bitmap is the exception every new memory DC shares.
    if (!dc || !object || dc->type != DcType::Memory) return {};
    if (bitmap != dc->bitmap && object->selections > 0 && !object->stock) return {};
    return HBITMAP{Swap(dc->bitmap.value, bitmap.value)};
}

HBRUSH SoftGdi::SelectObject(HDC hdc, HBRUSH brush) {
    DeviceContext* dc = FindDc(hdc);
    if (!dc || !Find(brush.value, ObjectKind::Brush)) return {};
    return HBRUSH{Swap(dc->brush.value, brush.value)};
}

HPEN SoftGdi::SelectObject(HDC hdc, HPEN pen) {
    DeviceContext* dc = FindDc(hdc);
    if (!dc || !Find(pen.value, ObjectKind::Pen)) return {};
    return HPEN{Swap(dc->pen.value, pen.value)};
}

HFONT SoftGdi::SelectObject(HDC hdc, HFONT font) {
    DeviceContext* dc = FindDc(hdc);
    if (!dc || !Find(font.value, ObjectKind::Font)) return {};
    return HFONT{Swap(dc->font.value, font.value)};
}

HPALETTE SoftGdi::SelectPalette(HDC hdc, HPALETTE palette, bool /*forceBackground*/) {
    DeviceContext* dc = FindDc(hdc);
    if (!dc || !Find(palette.value, ObjectKind::Palette)) return {};
    return HPALETTE{Swap(dc->palette.value, palette.value)};
}

unsigned SoftGdi::RealizePalette(HDC hdc) {
    // A true-colour device has no hardware palette to map entries into.
    return FindDc(hdc) ? 0U : kGdiError;
}

// ---- DC attributes ----------------------------------------------------------

COLORREF SoftGdi::GetBkColor(HDC hdc) {
    const DeviceContext* dc = FindDc(hdc);
    return dc ? dc->bkColor : CLR_INVALID;
}

COLORREF SoftGdi::SetBkColor(HDC hdc, COLORREF color) {
    DeviceContext* dc = FindDc(hdc);
    return dc ? std::exchange(dc->bkColor, color) : CLR_INVALID;
}

COLORREF SoftGdi::GetTextColor(HDC hdc) {
    const DeviceContext* dc = FindDc(hdc);
    return dc ? dc->textColor : CLR_INVALID;
}

COLORREF SoftGdi::SetTextColor(HDC hdc, COLORREF color) {
    DeviceContext* dc = FindDc(hdc);
    return dc ? std::exchange(dc->textColor, color) : CLR_INVALID;
}

int SoftGdi::GetBkMode(HDC hdc) {
    const DeviceContext* dc = FindDc(hdc);
    return dc ? dc->bkMode : 0;
}

int SoftGdi::SetBkMode(HDC hdc, int mode) {
    DeviceContext* dc = FindDc(hdc);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    return std::exchange(dc->bkMode, mode);
}

// ---- Colours ----------------------------------------------------------------

COLORREF SoftGdi::ResolveColor(const DeviceContext& dc, COLORREF color) const {
    if (color & kPaletteIndexFlag) {
        // An index past the palette's end falls back to its first entry.
        const Object* palette = Find(dc.palette.value, ObjectKind::Palette);
        const auto& entries = std::get<PaletteData>(palette->payload).entries;
        const std::size_t index = color & 0xFFFF;
        if (entries.empty()) return 0;
        return entries[index < entries.size() ? index : 0];
    }
    if (IsDibIndex(color)) return 0;
    return color & kRgbMask;
}

std::uint32_t SoftGdi::NearestPixel(const DeviceContext& dc, const SoftBitmap& surface, COLORREF color) const {
    if (IsDibIndex(color)) return DibIndexPixel(color, surface);
    const COLORREF rgb = ResolveColor(dc, color);
    return surface.IsMonochrome() ? NearestMonoPixel(rgb) : rgb;
}

std::uint32_t SoftGdi::ForegroundPixel(const DeviceContext& dc, const SoftBitmap& surface, COLORREF color) const {
    if (IsDibIndex(color)) return DibIndexPixel(color, surface);
    const COLORREF rgb = ResolveColor(dc, color);
    if (!surface.IsMonochrome()) return rgb;
    if (rgb == 0) return 0;
    if (rgb == kWhite) return 1;
    const std::uint32_t background = NearestPixel(dc, surface, dc.bkColor);
    return color == dc.bkColor ? background : background ^ 1U;
}

Pattern SoftGdi::BrushPattern(const DeviceContext& dc, const SoftBitmap& surface, COLORREF color) const {
    // A monochrome bitmap shows a brush that is neither black nor white as
    // an ordered dither of its grey level.
    const COLORREF rgb = color & kRgbMask;
    const bool dither =
        surface.IsMonochrome() && ((color & kPaletteIndexFlag) || (!IsDibIndex(color) && rgb != 0 && rgb != kWhite));
    if (dither) return Pattern{0, true, ResolveColor(dc, color)};
    return Pattern{ForegroundPixel(dc, surface, color)};
}

COLORREF SoftGdi::BrushColor(const DeviceContext& dc) const {
    const Object* brush = Find(dc.brush.value, ObjectKind::Brush);
    return std::get<BrushData>(brush->payload).color;
}

COLORREF SoftGdi::SystemColor(int index) const { return StandardSystemColor(index); }

long SoftGdi::OleTranslateColor(OLE_COLOR color, HPALETTE palette, COLORREF* result) {
    COLORREF value = color;
    switch (color >> 24) {
        case 0x00:
            // Through a palette a plain colour becomes palette-relative.
            if (palette) value = kPaletteRgbFlag | (color & kRgbMask);
            break;
        case kOlePaletteIndex:
            if (palette) {
                const std::vector<COLORREF>* entries = PaletteOf(palette);
                if (!entries || (color & 0xFFFF) >= entries->size()) return E_INVALIDARG;
            }
            break;
        case kOlePaletteRgb:
            break;
        case kOleSystemColor: {
            // Only the low byte names the system colour.
            const int index = static_cast<int>(color & 0xFF);
            if (index >= kSystemColorCount) return E_INVALIDARG;
            value = SystemColor(index);
            break;
        }
        default:
            return E_INVALIDARG;
    }
    if (result) *result = value;
    return S_OK;
}

// ---- Drawing ----------------------------------------------------------------

bool SoftGdi::PatBlt(const DeviceContext& dc, COLORREF brushColor, const Rect& area, std::uint8_t rop) {
    SoftBitmap* surface = Surface(dc);
    if (!surface) return true;
    const Rect clipped = Intersect(area, DrawBounds(dc, *surface));
    if (!IsEmpty(clipped)) ApplyRop(*surface, clipped, rop, BrushPattern(dc, *surface, brushColor), nullptr);
    return true;
}

int SoftGdi::FillRect(HDC hdc, const Rect& rect, HBRUSH brush) {
    const DeviceContext* dc = FindDc(hdc);
    if (!dc) return 0;
    COLORREF color;
    // Brush values 1..31 stand for the system colour one below; a null brush
    // leaves the DC's own brush to paint.
    if (brush.value >= 1 && brush.value <= static_cast<std::uintptr_t>(kSystemColorCount)) {
        color = SystemColor(static_cast<int>(brush.value) - 1);
    } else if (!brush) {
        color = BrushColor(*dc);
    } else {
        const Object* object = Find(brush.value, ObjectKind::Brush);
        if (!object) return 0;
        color = std::get<BrushData>(object->payload).color;
    }
    // A rectangle whose right lies left of its left is painted mirrored
    // around its left edge, as the blit under it takes negative widths.
    PatBlt(*dc, color, BlitArea(rect.left, rect.top, WrapSub(rect.right, rect.left), WrapSub(rect.bottom, rect.top)),
           kPatCopy);
    return 1;
}

int SoftGdi::FrameRect(HDC hdc, const Rect& rect, HBRUSH brush) {
    const DeviceContext* dc = FindDc(hdc);
    const Object* object = Find(brush.value, ObjectKind::Brush);
    if (!dc || !object || rect.right <= rect.left || rect.bottom <= rect.top) return 0;
    const COLORREF color = std::get<BrushData>(object->payload).color;
    const Long width = WrapSub(rect.right, rect.left);
    const Long height = WrapSub(rect.bottom, rect.top);
    PatBlt(*dc, color, BlitArea(rect.left, rect.top, 1, height), kPatCopy);
    PatBlt(*dc, color, BlitArea(WrapSub(rect.right, 1), rect.top, 1, height), kPatCopy);
    PatBlt(*dc, color, BlitArea(rect.left, rect.top, width, 1), kPatCopy);
    PatBlt(*dc, color, BlitArea(rect.left, WrapSub(rect.bottom, 1), width, 1), kPatCopy);
    return 1;
}

bool SoftGdi::SetPixelV(HDC hdc, int x, int y, COLORREF color) {
    const DeviceContext* dc = FindDc(hdc);
    if (!dc) return false;
    SoftBitmap* surface = Surface(*dc);
    if (!surface) return true;
    if (!surface->Contains(x, y)) return false;
    // A pixel outside the clipping region is left alone, yet counts as set.
    if (Inside(DrawBounds(*dc, *surface), x, y)) surface->At(x, y) = NearestPixel(*dc, *surface, color);
    return true;
}

COLORREF SoftGdi::GetPixel(HDC hdc, int x, int y) {
    const DeviceContext* dc = FindDc(hdc);
    const SoftBitmap* surface = dc ? Surface(*dc) : nullptr;
    if (!surface || !Inside(DrawBounds(*dc, *surface), x, y)) return CLR_INVALID;
    const std::uint32_t pixel = surface->At(x, y);
    if (surface->IsMonochrome()) return pixel ? kWhite : 0;
    return pixel & kRgbMask;
}

bool SoftGdi::MoveToEx(HDC hdc, int x, int y, Point* previous) {
    DeviceContext* dc = FindDc(hdc);
    if (!dc) return false;
    if (previous) *previous = dc->position;
    dc->position = Point{x, y};
    return true;
}

bool SoftGdi::LineTo(HDC hdc, int x, int y) {
    DeviceContext* dc = FindDc(hdc);
    if (!dc) return false;
    if (SoftBitmap* surface = Surface(*dc)) DrawLine(*dc, *surface, dc->position, Point{x, y});
    dc->position = Point{x, y};
    return true;
}

void SoftGdi::DrawLine(const DeviceContext& dc, SoftBitmap& surface, Point from, Point to) {
    const PenData& pen = std::get<PenData>(Find(dc.pen.value, ObjectKind::Pen)->payload);
    if (pen.style == kPsNull) return;
    const std::uint32_t pixel = ForegroundPixel(dc, surface, pen.color);
    const Rect bounds = DrawBounds(dc, surface);
    if (pen.width <= 1) {
        // Most lines of the strip are straight across or down: one run of
        // pixels.
        if (Rect span; AxisLineSpan(from, to, bounds, span)) return Fill(surface, span, pixel);
        VisitLinePixels(from, to, bounds, [&](int x, int y) { surface.At(x, y) = pixel; });
        return;
    }
    // Wide pens are drawn as a square brush dragged along the line, both
    // ends included; the system rounds their ends, which this does not.
    const Long half = pen.width / 2;
    const auto stamp = [&](int x, int y) {
        Fill(surface,
             Intersect(bounds, Rect{ClampToLong(Wide{x} - half), ClampToLong(Wide{y} - half),
                                    ClampToLong(Wide{x} - half + pen.width), ClampToLong(Wide{y} - half + pen.width)}),
             pixel);
    };
    const Rect reach{bounds.left - pen.width, bounds.top - pen.width, bounds.right + pen.width,
                     bounds.bottom + pen.width};
    VisitLinePixels(from, to, reach, stamp);
    if (from != to) stamp(to.x, to.y);
}

SoftBitmap SoftGdi::ConvertSource(const DeviceContext& sourceDc, const SoftBitmap& source, const Rect& area,
                                  const DeviceContext& destDc, const SoftBitmap& dest) const {
    SoftBitmap copy(area.right - area.left, area.bottom - area.top, dest.bitsPerPixel);
    // Monochrome to colour paints 1 in the destination DC's background
    // colour and 0 in its text colour; colour to monochrome makes the source
    // DC's background colour white and everything else black.
    const COLORREF destBk = ResolveColor(destDc, destDc.bkColor);
    const COLORREF destText = ResolveColor(destDc, destDc.textColor);
    const COLORREF sourceBk = ResolveColor(sourceDc, sourceDc.bkColor);
    for (int y = 0; y < copy.height; ++y) {
        for (int x = 0; x < copy.width; ++x) {
            const std::uint32_t pixel = source.At(area.left + x, area.top + y);
            if (source.IsMonochrome() == dest.IsMonochrome())
                copy.At(x, y) = pixel;
            else if (source.IsMonochrome())
                copy.At(x, y) = pixel ? destBk : destText;
            else
                copy.At(x, y) = pixel == sourceBk ? 1U : 0U;
        }
    }
    return copy;
}

bool SoftGdi::BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                     std::uint32_t rop) {
    const DeviceContext* destDc = FindDc(dest);
    if (!destDc) return false;
    const Rect destArea = BlitArea(x, y, width, height);
    if (!RopUsesSource(rop)) return PatBlt(*destDc, BrushColor(*destDc), destArea, RopIndex(rop));

    const DeviceContext* sourceDc = FindDc(source);
    if (!sourceDc) return false;
    const SoftBitmap* sourceSurface = Surface(*sourceDc);
    SoftBitmap* destSurface = Surface(*destDc);
    // The screen has no pixels here to read; drawing on it changes nothing.
    if (!sourceSurface) return false;
    if (!destSurface) return true;

    // The source is clipped to its bitmap and the destination with it, so
    // destination pixels whose source lies outside the source bitmap keep
    // what they had, as the system leaves them.
    const Wide dx = Wide{x} - sourceX;
    const Wide dy = Wide{y} - sourceY;
    const Rect visibleSource = Intersect(BlitArea(sourceX, sourceY, width, height), BoundsOf(*sourceSurface));
    const Rect area = Intersect(Intersect(destArea, DrawBounds(*destDc, *destSurface)), Offset(visibleSource, dx, dy));
    if (IsEmpty(area)) return true;

    // Copying the source out first makes overlapping blits in one bitmap safe.
    const SoftBitmap converted =
        ConvertSource(*sourceDc, *sourceSurface, Offset(area, -dx, -dy), *destDc, *destSurface);
    ApplyRop(*destSurface, area, RopIndex(rop), BrushPattern(*destDc, *destSurface, BrushColor(*destDc)), &converted);
    return true;
}

int SoftGdi::DrawTextA(HDC hdc, const char* text, int count, Rect* rect, unsigned format) {
    const DeviceContext* dc = FindDc(hdc);
    if (!dc || !text || !rect) return 0;
    try {
        return DrawTextOn(*dc, Surface(*dc), TextInput{text, nullptr, count}, rect, format);
    } catch (const std::runtime_error&) {
        // No face at all is installed: the call fails like one on a bad DC.
        return 0;
    }
}

int SoftGdi::DrawTextW(HDC hdc, const char16_t* text, int count, Rect* rect, unsigned format) {
    const DeviceContext* dc = FindDc(hdc);
    if (!dc || !text || !rect) return 0;
    try {
        return DrawTextOn(*dc, Surface(*dc), TextInput{nullptr, text, count}, rect, format);
    } catch (const std::runtime_error&) {
        return 0;
    }
}

namespace {

// Where one call's text goes: a block of glyph coverage is cut to the
// surface once and its rows then go down whole. The plots hold a pointer to
// this, small enough to keep them off the heap.
struct TextTarget {
    SoftBitmap& surface;
    Rect bounds;                  // the part of the surface the DC may draw on
    CoverageBlend* blend;         // colour surfaces
    std::uint32_t monoPixel = 0;  // monochrome ones, which have no anti-aliasing

    bool Clip(int& x, int& y, CoverageBlock& block) const noexcept {
        const int left = std::max(x, bounds.left), top = std::max(y, bounds.top);
        const int right = std::min(x + block.width, bounds.right), bottom = std::min(y + block.height, bounds.bottom);
        if (left >= right || top >= bottom) return false;
        block.coverage += (top - y) * block.stride + (left - x);
        block.width = right - left;
        block.height = bottom - top;
        x = left;
        y = top;
        return true;
    }

    void Blend(int x, int y, CoverageBlock block) const noexcept {
        if (!Clip(x, y, block)) return;
        blend->Block(&surface.At(x, y), surface.width, block.coverage, block.stride, block.width, block.height);
    }

    // A pixel is in the glyph or not.
    void Set(int x, int y, CoverageBlock block) const noexcept {
        if (!Clip(x, y, block)) return;
        for (int row = 0; row < block.height; ++row, block.coverage += block.stride) {
            std::uint32_t* pixels = &surface.At(x, y + row);
            for (int i = 0; i < block.width; ++i)
                if (block.coverage[i] >= 128) pixels[i] = monoPixel;
        }
    }
};

}  // namespace

int SoftGdi::DrawTextOn(const DeviceContext& dc, SoftBitmap* surface, const TextInput& text, Rect* rect,
                        unsigned format) {
    const FontData& fontData = std::get<FontData>(Find(dc.font.value, ObjectKind::Font)->payload);
    std::shared_ptr<const RasterFont> systemFont;
    if (!fontData.font) systemFont = SystemFont(FontDpi());
    const std::shared_ptr<const RasterFont>& font = fontData.font ? fontData.font : systemFont;

    // Measuring draws nothing, and text clipped to a rectangle off the
    // surface puts down no pixel; both are still laid out, for the
    // rectangle and the height the call returns.
    const bool clipped = !(format & (DT_CALCRECT | DT_NOCLIP));
    const Rect bounds = surface ? DrawBounds(dc, *surface) : Rect{};
    const bool drawing =
        surface && !(format & DT_CALCRECT) && !IsEmpty(bounds) && !(clipped && IsEmpty(Intersect(*rect, bounds)));
    // Wide text comes from the runs laid out before, but for an opaque
    // background, whose cells go down line by line between the letters,
    // and for text too large to keep.
    std::u16string_view wide;
    if (text.wide)
        wide = text.count < 0 ? std::u16string_view(text.wide)
                              : std::u16string_view(text.wide, static_cast<std::size_t>(text.count));
    TextRunCache::Run* run = nullptr;
    if (!wide.empty() && wide.size() <= TextRunCache::kMaxText && !(drawing && dc.bkMode == OPAQUE)) {
        run = &textRuns_->Find(font, wide, *rect, format);
        *rect = run->rect;
        if (!drawing) return run->height;
    }
    if (!drawing)
        return text.wide ? LayoutText(*font, text.wide, text.count, rect, format, nullptr, nullptr)
                         : LayoutText(*font, text.ansi, text.count, rect, format, nullptr, nullptr);

    TextTarget target{*surface, bounds, nullptr};
    CoveragePlot plot;
    if (surface->IsMonochrome()) {
        target.monoPixel = ForegroundPixel(dc, *surface, dc.textColor);
        plot = [&target](int x, int y, const CoverageBlock& block) { target.Set(x, y, block); };
    } else {
        const COLORREF color = ResolveColor(dc, dc.textColor);
        if (!textBlend_)
            textBlend_ = std::make_unique<CoverageBlend>(color);
        else if (textBlend_->color() != color)
            textBlend_->Reset(color);
        target.blend = textBlend_.get();
        plot = [&target](int x, int y, const CoverageBlock& block) { target.Blend(x, y, block); };
    }
    if (run && run->kept) {
        if (target.blend)
            run->Blend(*surface, bounds, textBlend_->color(), plot);
        else
            run->Plot(plot);
        return run->height;
    }
    BackgroundFill background;
    if (dc.bkMode == OPAQUE) {
        const std::uint32_t pixel = NearestPixel(dc, *surface, dc.bkColor);
        background = [surface, pixel, bounds](const Rect& cell) { Fill(*surface, Intersect(cell, bounds), pixel); };
    }
    const BackgroundFill* fill = background ? &background : nullptr;
    return text.wide ? LayoutText(*font, text.wide, text.count, rect, format, &plot, fill)
                     : LayoutText(*font, text.ansi, text.count, rect, format, &plot, fill);
}

Rect SoftGdi::DrawBounds(const DeviceContext& dc, const SoftBitmap& surface) const noexcept {
    return dc.clip ? Intersect(BoundsOf(surface), *dc.clip) : BoundsOf(surface);
}

int SoftGdi::IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
    DeviceContext* dc = FindDc(hdc);
    if (!dc) return 0;
    const Rect rect{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    dc->clip = dc->clip ? Intersect(*dc->clip, rect) : rect;
    return IsEmpty(*dc->clip) ? NULLREGION : SIMPLEREGION;
}

int SoftGdi::SelectClipRgn(HDC hdc, HRGN region) {
    DeviceContext* dc = FindDc(hdc);
    if (!dc) return 0;
    if (!region) {
        dc->clip.reset();
        return SIMPLEREGION;
    }
    const Rect* rect = RegionRect(region);
    if (!rect) return 0;
    dc->clip = *rect;
    return IsEmpty(*rect) ? NULLREGION : SIMPLEREGION;
}

const Rect* SoftGdi::RegionRect(HRGN region) noexcept {
    if (IsRegionHandle(region.value)) {
        const RegionSlot* slot = FindRegion(region.value);
        return slot ? &slot->rect : nullptr;
    }
    const Object* object = Find(region.value, ObjectKind::Region);
    return object ? &std::get<RegionData>(object->payload).rect : nullptr;
}

bool SoftGdi::PtInRegion(HRGN region, int x, int y) {
    const Rect* rect = RegionRect(region);
    return rect && x >= rect->left && x < rect->right && y >= rect->top && y < rect->bottom;
}

// ---- Icons ------------------------------------------------------------------

namespace {

// DrawIcon draws every icon at the system's icon size.
constexpr int kSystemIconSize = 32;

}  // namespace

HBITMAP SoftGdi::CreateBitmapFromPixels(const SoftBitmap& pixels) {
    const HBITMAP bitmap = NewBitmap(pixels.width, pixels.height, pixels.bitsPerPixel);
    if (BitmapData* data = FindData<BitmapData>(bitmap.value)) data->pixels = pixels;
    return bitmap;
}

HICON SoftGdi::CreateIconFromPixels(const SoftBitmap& color, const SoftBitmap& mask) {
    if (color.width <= 0 || color.height <= 0 || color.IsMonochrome() || !mask.IsMonochrome() ||
        mask.width != color.width || mask.height != color.height)
        return {};
    return HICON{AddObject(IconData{color, mask})};
}

const SoftBitmap* SoftGdi::IconColorOf(HICON icon) const {
    const Object* object = Find(icon.value, ObjectKind::Icon);
    return object ? &std::get<IconData>(object->payload).color : nullptr;
}

const SoftBitmap* SoftGdi::IconMaskOf(HICON icon) const {
    const Object* object = Find(icon.value, ObjectKind::Icon);
    return object ? &std::get<IconData>(object->payload).mask : nullptr;
}

bool SoftGdi::DestroyIcon(HICON icon) {
    const Object* found = objects_.Find(icon.value);
    if (!found || found->Kind() != ObjectKind::Icon) return false;
    objects_.Erase(icon.value);
    return true;
}

bool SoftGdi::DrawIcon(HDC hdc, int x, int y, HICON icon) {
    DeviceContext* dc = FindDc(hdc);
    const Object* object = Find(icon.value, ObjectKind::Icon);
    if (!dc || !object) return false;
    SoftBitmap* surface = Surface(*dc);
    if (!surface) return true;
    const IconData& data = std::get<IconData>(object->payload);
    const Rect bounds = DrawBounds(*dc, *surface);
    // The icon is stretched to the system size by picking the nearest source
    // pixel, then combined as the system does: the mask keeps the
    // destination (AND), the colour is laid over it (XOR).
    for (int row = 0; row < kSystemIconSize; ++row) {
        const int sourceY = row * data.color.height / kSystemIconSize;
        for (int column = 0; column < kSystemIconSize; ++column) {
            const int targetX = x + column;
            const int targetY = y + row;
            if (!Inside(bounds, targetX, targetY)) continue;
            const int sourceX = column * data.color.width / kSystemIconSize;
            const bool transparent = data.mask.At(sourceX, sourceY) != 0;
            const COLORREF color = data.color.At(sourceX, sourceY);
            std::uint32_t& pixel = surface->At(targetX, targetY);
            if (surface->IsMonochrome()) {
                const std::uint32_t bit = NearestPixel(*dc, *surface, color);
                pixel = transparent ? (pixel ^ bit) : bit;
            } else {
                pixel = transparent ? ((pixel ^ color) & 0xFFFFFFu) : color;
            }
        }
    }
    return true;
}

}  // namespace lumora::soft
