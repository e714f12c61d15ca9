// SPDX-License-Identifier: MIT
// The portable headers come before <windows.h>, whose macros would rename
// members such as CreateFontIndirect and GetTempPath.
#include "conformance/ConformanceSite.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>

#include "lumora/platform/ForwardingGdi.h"
#include "lumora/platform/GdiScoped.h"
#include "lumora/platform/soft/SoftFont.h"
#include "lumora/platform/soft/SoftGdi.h"
#include "lumora/platform/soft/SoftPicture.h"
#include "platform/win32/Win32Gdi.h"
#include "platform/win32/Win32Picture.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#undef CreateFontIndirect

// Outside our namespace, where HWND is the system's own handle type.
namespace {

LRESULT CALLBACK PlainWindowProc(::HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

::HWND CreateMessageWindow() {
    static const wchar_t* const kClass = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = PlainWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"LumoraConformanceSite";
        RegisterClassW(&windowClass);
        return windowClass.lpszClassName;
    }();
    return CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

namespace lumora::conformance {
namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr int kMaxWindowSide = 32767;

// The system's GDI with one window whose client size the site keeps.
// Without a display Wine creates no top-level window (CreateWindowExW of a
// WS_POPUP returns null), but it does create message-only windows, whose
// client rectangle is not the size asked for. So the window is
// message-only and its client rectangle comes from the site.
class SizedWindowGdi final : public ForwardingGdi<win32::Win32Gdi> {
public:
    void SetWindow(HWND hwnd, int width, int height) {
        window_ = hwnd;
        width_ = width;
        height_ = height;
    }

    bool GetClientRect(HWND hwnd, Rect* rect) override {
        if (hwnd != window_ || !rect) return inner_.GetClientRect(hwnd, rect);
        *rect = Rect{0, 0, width_, height_};
        return true;
    }

private:
    HWND window_;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace

class ConformanceSite::Window {
public:
    Window(Backend backend, int width, int height) : backend_(backend) {
        if (backend == Backend::Soft) {
            hwnd_ = soft_->CreateSoftWindow(width, height);
        } else {
            raw_ = CreateMessageWindow();
            hwnd_ = HWND{reinterpret_cast<std::uintptr_t>(raw_)};
            system_.SetWindow(hwnd_, width, height);
        }
    }
    ~Window() {
        if (backend_ == Backend::Soft)
            soft_->DestroySoftWindow(hwnd_);
        else if (raw_)
            DestroyWindow(raw_);
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    Gdi& gdi() { return backend_ == Backend::Soft ? static_cast<Gdi&>(*soft_) : system_; }

    PicturePtr PictureFromFileBytes(const std::string& bytes) {
        if (backend_ == Backend::System) return win32::Win32Picture::FromFileBytes(bytes);
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        return soft::SoftPictures(soft_).FromFileBytes(std::span(data, bytes.size()));
    }
    HWND hwnd() const { return hwnd_; }
    void Resize(int width, int height) {
        if (backend_ == Backend::Soft)
            soft_->ResizeSoftWindow(hwnd_, width, height);
        else
            system_.SetWindow(hwnd_, width, height);
    }

private:
    Backend backend_;
    // Shared with the pictures made on it, which keep it alive.
    std::shared_ptr<soft::SoftGdi> soft_ = std::make_shared<soft::SoftGdi>();
    SizedWindowGdi system_;
    ::HWND raw_ = nullptr;
    HWND hwnd_;
};

ConformanceSite::ConformanceSite(Backend backend, int width, int height)
    : window_(std::make_unique<Window>(backend, width, height)),
      width_(width),
      height_(height),
      ambientFont_(soft::SoftFont::Create()),
      font_(ambientFont_) {
    // The container's font is one both backends draw from the same files.
    ambientFont_->put_Name(kCaptionFace);
    Gdi& g = gdi();
    const ScopedWindowDC screen(g, HWND{});
    imageDc_ = g.CreateCompatibleDC(screen.get());
    imageBitmap_ = g.CreateCompatibleBitmap(screen.get(), std::max(width_, 1), std::max(height_, 1));
    stockBitmap_ = g.SelectObject(imageDc_, imageBitmap_);
    g.SetBkMode(imageDc_, TRANSPARENT);
    imageFontDescription_ = Describe(*font_);
    imageFont_ = g.CreateFontIndirect(imageFontDescription_);
    stockFont_ = g.SelectObject(imageDc_, imageFont_);
}

ConformanceSite::~ConformanceSite() {
    Gdi& g = gdi();
    g.SelectObject(imageDc_, stockFont_);
    g.DeleteObject(imageFont_);
    g.SelectObject(imageDc_, stockBitmap_);
    g.DeleteObject(imageBitmap_);
    g.DeleteDC(imageDc_);
}

Gdi& ConformanceSite::gdi() { return window_->gdi(); }

PicturePtr ConformanceSite::PictureFromFileBytes(const std::string& bytes) {
    return window_->PictureFromFileBytes(bytes);
}

HWND ConformanceSite::hWnd() { return window_->hwnd(); }

Capture ConformanceSite::Image() {
    Capture capture{width_, height_, {}};
    capture.pixels.reserve(static_cast<std::size_t>(width_) * height_);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) capture.pixels.push_back(gdi().GetPixel(imageDc_, x, y));
    return capture;
}

HDC ConformanceSite::hDC() {
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

void ConformanceSite::Cls() {
    Gdi& g = gdi();
    COLORREF color = backColor_;
    g.OleTranslateColor(backColor_, HPALETTE{}, &color);
    const ScopedGdiObject<HBRUSH> brush(g, g.CreateSolidBrush(color));
    g.FillRect(imageDc_, Rect{0, 0, width_, height_}, brush.get());
}

Single ConformanceSite::get_Height() {
    const int dpi = std::max(gdi().GetDeviceCaps(imageDc_, LOGPIXELSY), 1);
    return static_cast<Single>(height_ * (kTwipsPerInch / dpi));
}

void ConformanceSite::put_Height(Single twips) {
    Gdi& g = gdi();
    const int dpi = std::max(g.GetDeviceCaps(imageDc_, LOGPIXELSY), 1);
    const double pixels = std::nearbyint(static_cast<double>(twips) * dpi / kTwipsPerInch);
    const int height = std::isnan(pixels) ? 0 : static_cast<int>(std::clamp(pixels, 0.0, double{kMaxWindowSide}));
    if (height == height_) return;
    // The new image's first content does not matter: the Resize pass below
    // clears it before anything is drawn.
    const ScopedWindowDC screen(g, HWND{});
    const HBITMAP resized = g.CreateCompatibleBitmap(screen.get(), std::max(width_, 1), std::max(height, 1));
    if (resized) {
        g.SelectObject(imageDc_, resized);
        g.DeleteObject(std::exchange(imageBitmap_, resized));
    }
    height_ = height;
    window_->Resize(width_, height_);
    if (control_) control_->Resize();
}

bool ConformanceSite::GetCursorPos(Point* point) {
    if (!point) return false;
    *point = Point{0, 0};
    return true;
}

HWND ConformanceSite::SetCapture(HWND hwnd) { return std::exchange(capture_, hwnd); }

bool ConformanceSite::ReleaseCapture() {
    capture_ = HWND{};
    return true;
}

}  // namespace lumora::conformance
