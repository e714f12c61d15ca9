// SPDX-License-Identifier: MIT
#include "WindowlessSite.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <string>

#include "lumora/platform/ForwardingGdi.h"
#include "lumora/platform/GdiScoped.h"
#include "lumora/runtime/RuntimeError.h"
#include "platform/win32/ScopedComPtr.h"
#include "platform/win32/Win32Font.h"
#include "platform/win32/Win32Gdi.h"
#include "platform/win32/Win32Picture.h"

#include "AboutBoxDialog.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include "WindowsHeaders.h"

#undef CreateFontIndirect
#undef GetTempPath
#undef GetTempFileName

namespace lumora::server {
namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kHimetricPerInch = 2540.0;
// The system's largest window side, and so the largest image.
constexpr int kMaxWindowSide = 32767;
// The width a control has until its container sizes it.
constexpr int kDefaultWidth = 400;
// The resolution of the control's own pixels.
constexpr int kControlDpi = 96;

std::atomic<long> liveGdiObjects{0};

// The resolution the system makes fonts at.
int ScreenDpiY() {
    const ::HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return std::max(dpi, 1);
}

std::wstring Wide(const String& text) { return std::wstring(text.begin(), text.end()); }
String FromWide(const std::wstring& text) { return String(text.begin(), text.end()); }

}  // namespace

// The system's GDI, counting the objects it creates and deletes, and
// answering the client rectangle of the window the control does not have
// from the image's size.
class WindowlessSite::CountingGdi final : public ForwardingGdi<win32::Win32Gdi> {
public:
    explicit CountingGdi(WindowlessSite& site) : site_(site) {}

    HDC GetDC(HWND hwnd) override { return Count(inner_.GetDC(hwnd)); }
    int ReleaseDC(HWND hwnd, HDC hdc) override { return Uncount(inner_.ReleaseDC(hwnd, hdc)); }
    HDC CreateCompatibleDC(HDC hdc) override { return Count(inner_.CreateCompatibleDC(hdc)); }
    bool DeleteDC(HDC hdc) override { return Uncount(inner_.DeleteDC(hdc)); }
    HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) override {
        return Count(inner_.CreateCompatibleBitmap(hdc, width, height));
    }
    HBITMAP CreateBitmap(int width, int height, unsigned planes, unsigned bitsPerPixel, const void* bits) override {
        return Count(inner_.CreateBitmap(width, height, planes, bitsPerPixel, bits));
    }
    HBRUSH CreateSolidBrush(COLORREF color) override { return Count(inner_.CreateSolidBrush(color)); }
    HPEN CreatePen(int style, int width, COLORREF color) override {
        return Count(inner_.CreatePen(style, width, color));
    }
    HRGN CreateRectRgnIndirect(const Rect& rect) override { return Count(inner_.CreateRectRgnIndirect(rect)); }
    HPALETTE CreateHalftonePalette(HDC hdc) override { return Count(inner_.CreateHalftonePalette(hdc)); }
    bool DeleteObject(HGDIOBJ object) override { return Uncount(inner_.DeleteObject(object)); }
    // The control's own window measures in the control's pixels, whatever
    // the screen shows them at.
    bool GetClientRect(HWND hwnd, Rect* rect) override {
        const bool own = hwnd == HWND{} || (hwnd == site_.hWnd() && !site_.scale_.IsIdentity());
        if (!own || !rect) return inner_.GetClientRect(hwnd, rect);
        *rect = Rect{0, 0, site_.width_, site_.height_};
        return true;
    }
    // A scaled strip's pixels are those of a screen at 96 dpi: twips, font
    // sizes and picture sizes convert at that resolution.
    int GetDeviceCaps(HDC hdc, int index) override {
        if (site_.scale_.IsIdentity() || (index != LOGPIXELSX && index != LOGPIXELSY))
            return inner_.GetDeviceCaps(hdc, index);
        return kControlDpi;
    }
    // The scaling layer asks for fonts in points at the control's 96 dpi;
    // the system makes them at the screen's resolution.
    HFONT CreateFontIndirect(const FontDescription& font) override {
        if (site_.scale_.IsIdentity()) return Count(inner_.CreateFontIndirect(font));
        FontDescription onScreen = font;
        onScreen.size = font.size * kControlDpi / ScreenDpiY();
        return Count(inner_.CreateFontIndirect(onScreen));
    }

private:
    template <typename Handle>
    static Handle Count(Handle handle) noexcept {
        if (handle) ++liveGdiObjects;
        return handle;
    }
    template <typename Result>
    static Result Uncount(Result done) noexcept {
        if (done) --liveGdiObjects;
        return done;
    }

    WindowlessSite& site_;
};

long WindowlessSite::LiveGdiObjects() noexcept { return liveGdiObjects.load(); }

WindowlessSite::WindowlessSite(ISiteOwner& owner)
    : owner_(owner),
      gdi_(std::make_unique<CountingGdi>(*this)),
      width_(kDefaultWidth),
      font_(win32::Win32Font::Create()) {
    CreateImage();
}

WindowlessSite::~WindowlessSite() { DestroyImage(); }

// The image's DC, bitmap and font are made through the scaling layer when
// there is one, so that it knows them as its own and draws on them at the
// screen's scale.
void WindowlessSite::CreateImage() {
    Gdi& g = gdi();
    const ScopedWindowDC screen(g, HWND{});
    imageDc_ = g.CreateCompatibleDC(screen.get());
    imageBitmap_ = g.CreateCompatibleBitmap(screen.get(), width_, std::max(height_, 1));
    stockBitmap_ = g.SelectObject(imageDc_, imageBitmap_);
    g.SetBkMode(imageDc_, TRANSPARENT);
    imageFontDescription_ = Describe(*font_);
    imageFont_ = g.CreateFontIndirect(imageFontDescription_);
    stockFont_ = g.SelectObject(imageDc_, imageFont_);
}

void WindowlessSite::DestroyImage() noexcept {
    Gdi& g = gdi();
    g.SelectObject(imageDc_, stockFont_);
    g.DeleteObject(imageFont_);
    g.SelectObject(imageDc_, stockBitmap_);
    g.DeleteObject(imageBitmap_);
    g.DeleteDC(imageDc_);
}

Gdi& WindowlessSite::gdi() { return scaled_ ? static_cast<Gdi&>(*scaled_) : *gdi_; }

void WindowlessSite::SetDeviceScale(double factor) {
    factor = std::clamp(factor, 1.0, DeviceScaleGdi::kMaxScale);
    if (factor == scale_.factor) return;
    // No layer may outlive the objects it made: the image goes with the
    // old one and comes back through the new one, at the new size.
    DestroyImage();
    scaled_.reset();
    scale_ = DeviceScale{factor};
    if (!scale_.IsIdentity()) scaled_ = std::make_unique<DeviceScaleGdi>(*gdi_, factor);
    CreateImage();
    if (control_) control_->Resize();
}

void WindowlessSite::PropertyChanged(const String& name) { owner_.OnPropertyChanged(name); }

void WindowlessSite::putref_Font(const FontPtr& font) {
    if (font) font_ = font;
}

FontPtr WindowlessSite::AmbientFont() {
    if (FontPtr font = owner_.ContainerFont()) return font;
    // Without a container font the control starts from the system's usual
    // form font, one object for the site's whole life.
    if (!defaultAmbientFont_) defaultAmbientFont_ = win32::Win32Font::Create();
    return defaultAmbientFont_;
}

HDC WindowlessSite::hDC() {
    // The image draws with the control's font as it is now.
    const FontDescription wanted = Describe(*font_);
    if (wanted != imageFontDescription_) {
        Gdi& g = gdi();
        if (const HFONT created = g.CreateFontIndirect(wanted)) {
            g.SelectObject(imageDc_, created);
            g.DeleteObject(std::exchange(imageFont_, created));
            imageFontDescription_ = wanted;
        }
    }
    return imageDc_;
}

void WindowlessSite::Cls() {
    Gdi& g = gdi();
    COLORREF color = backColor_;
    g.OleTranslateColor(backColor_, HPALETTE{}, &color);
    const ScopedGdiObject<HBRUSH> brush(g, g.CreateSolidBrush(color));
    g.FillRect(imageDc_, Rect{0, 0, width_, height_}, brush.get());
}

int WindowlessSite::Dpi() { return std::max(gdi_->GetDeviceCaps(imageDc_, LOGPIXELSY), 1); }

Single WindowlessSite::get_Height() { return static_cast<Single>(height_ * (kTwipsPerInch / Dpi())); }

int WindowlessSite::HeightInPixels(Single twips) {
    const double pixels = std::nearbyint(static_cast<double>(twips) * Dpi() / kTwipsPerInch);
    return std::isnan(pixels) ? 0 : static_cast<int>(std::clamp(pixels, 0.0, double{kMaxWindowSide}));
}

void WindowlessSite::RequestHeight(int pixels) { SetImageSize(width_, pixels); }

void WindowlessSite::SetWidth(int pixels) { SetImageSize(std::clamp(pixels, 1, kMaxWindowSide), height_); }

void WindowlessSite::SetImageSize(int width, int height) {
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    ResizeImage();
    if (control_) control_->Resize();
}

void WindowlessSite::ResizeImage() {
    // The new image's first content does not matter: the Resize pass clears
    // it before anything is drawn.
    Gdi& g = gdi();
    const ScopedWindowDC screen(g, HWND{});
    const HBITMAP resized = g.CreateCompatibleBitmap(screen.get(), std::max(width_, 1), std::max(height_, 1));
    if (!resized) return;
    g.SelectObject(imageDc_, resized);
    g.DeleteObject(std::exchange(imageBitmap_, resized));
}

// Without a window of its own the box has no owner.
void WindowlessSite::ShowAboutBox() { ShowAboutBoxDialog(nullptr); }

bool WindowlessSite::GetCursorPos(Point* point) {
    if (!point) return false;
    POINT system{};
    if (!::GetCursorPos(&system)) return false;
    *point = Point{system.x, system.y};
    return true;
}

HWND WindowlessSite::WindowFromPoint(Point point) {
    return HWND{reinterpret_cast<std::uintptr_t>(::WindowFromPoint(POINT{point.x, point.y}))};
}

HWND WindowlessSite::SetCapture(HWND hwnd) { return std::exchange(capture_, hwnd); }

bool WindowlessSite::ReleaseCapture() {
    capture_ = HWND{};
    return true;
}

int WindowlessSite::MsgBox(const String& prompt, int buttons, const String& title) {
    return ::MessageBoxW(nullptr, Wide(prompt).c_str(), Wide(title).c_str(), static_cast<UINT>(buttons) | MB_TASKMODAL);
}

namespace {

// Closes a file handle when it goes.
struct ScopedFile {
    HANDLE handle;
    ~ScopedFile() {
        if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
    }
};

std::string ReadWholeFile(const String& path) {
    const ScopedFile file{::CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.handle == INVALID_HANDLE_VALUE) Raise(err::kFileNotFound);
    LARGE_INTEGER size{};
    // Picture files beyond a few hundred megabytes are not pictures a
    // column shows; refusing them keeps memory bounded.
    constexpr LONGLONG kLargestPictureFile = 256LL << 20;
    if (!::GetFileSizeEx(file.handle, &size) || size.QuadPart > kLargestPictureFile) Raise(err::kInvalidPicture);
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!::ReadFile(file.handle, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        Raise(err::kPathFileAccess);
    return bytes;
}

}  // namespace

PicturePtr WindowlessSite::LoadPicture(const String& path) {
    return win32::Win32Picture::FromFileBytes(ReadWholeFile(path));
}

void WindowlessSite::SavePicture(const PicturePtr& picture, const String& path) {
    const auto* system = dynamic_cast<const win32::Win32Picture*>(picture.get());
    if (!system) Raise(err::kInvalidPicture);
    const std::string bytes = system->FileBytes();
    const ScopedFile file{
        ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.handle == INVALID_HANDLE_VALUE) Raise(err::kPathFileAccess);
    DWORD written = 0;
    if (!::WriteFile(file.handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        Raise(err::kPathFileAccess);
}

PicturePtr WindowlessSite::get_Image() {
    const auto* system = dynamic_cast<const win32::Win32Picture*>(boxPicture_.get());
    if (!system) Raise(err::kInvalidPicture);
    if (system->get_Type() != PictureType::Icon) return boxPicture_;
    // The icon over the box's background, which is the mask colour: the
    // painter later draws that colour transparent.
    const int dpi = Dpi();
    const int width = static_cast<int>(std::lround(system->get_Width() * dpi / kHimetricPerInch));
    const int height = static_cast<int>(std::lround(system->get_Height() * dpi / kHimetricPerInch));
    Gdi& g = *gdi_;
    const ScopedWindowDC screen(g, HWND{});
    const ScopedMemoryDC dc(g, screen.get());
    const HBITMAP bitmap = g.CreateCompatibleBitmap(screen.get(), std::max(width, 1), std::max(height, 1));
    if (!bitmap) Raise(err::kOutOfMemory);
    {
        const ScopedSelectObject selected(g, dc.get(), bitmap);
        const ScopedGdiObject<HBRUSH> background(g, g.CreateSolidBrush(kMaskMagenta));
        g.FillRect(dc.get(), Rect{0, 0, width, height}, background.get());
        g.DrawIcon(dc.get(), 0, 0, HICON{system->get_Handle()});
    }
    // The picture object owns the bitmap from here on; the count follows it.
    PICTDESC description{};
    description.cbSizeofstruct = sizeof(description);
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = reinterpret_cast<::HBITMAP>(bitmap.value);
    win32::ScopedComPtr<::IPicture> picture;
    if (FAILED(::OleCreatePictureIndirect(&description, IID_IPicture, TRUE,
                                          reinterpret_cast<void**>(picture.Receive())))) {
        g.DeleteObject(bitmap);
        Raise(err::kOutOfMemory);
    }
    --liveGdiObjects;
    return std::make_shared<win32::Win32Picture>(std::move(picture));
}

String WindowlessSite::GetTempPath() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) return String();
    return FromWide(std::wstring(buffer, length));
}

String WindowlessSite::GetTempFileName(const String& directory, const String& prefix) {
    wchar_t buffer[MAX_PATH + 1] = {};
    if (!::GetTempFileNameW(Wide(directory).c_str(), Wide(prefix).c_str(), 0, buffer)) return String();
    return FromWide(buffer);
}

bool WindowlessSite::FileExists(const String& path) {
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void WindowlessSite::FileCopy(const String& source, const String& destination) {
    if (!FileExists(source)) Raise(err::kFileNotFound);
    if (!::CopyFileW(Wide(source).c_str(), Wide(destination).c_str(), FALSE)) Raise(err::kPathFileAccess);
}

void WindowlessSite::Kill(const String& path) {
    if (!FileExists(path)) Raise(err::kFileNotFound);
    if (!::DeleteFileW(Wide(path).c_str())) Raise(err::kPathFileAccess);
}

}  // namespace lumora::server
