// SPDX-License-Identifier: MIT
#pragma once

#include <utility>

#include "lumora/platform/Gdi.h"

namespace lumora {

// Owns a drawing object and deletes it when it goes, on every path.
template <typename H>
class ScopedGdiObject {
public:
    ScopedGdiObject(Gdi& gdi, H handle) noexcept : gdi_(&gdi), handle_(handle) {}
    ~ScopedGdiObject() { Reset(); }
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
    ScopedGdiObject(ScopedGdiObject&& other) noexcept : gdi_(other.gdi_), handle_(std::exchange(other.handle_, H{})) {}

    H get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return static_cast<bool>(handle_); }
    void Reset() noexcept {
        if (handle_) gdi_->DeleteObject(std::exchange(handle_, H{}));
    }

private:
    Gdi* gdi_;
    H handle_;
};

// Selects an object into a device context and puts the previous one back
// when it goes, so a DC never keeps pointing at an object about to die.
template <typename H>
class ScopedSelectObject {
public:
    ScopedSelectObject(Gdi& gdi, HDC hdc, H object) noexcept
        : gdi_(gdi), hdc_(hdc), previous_(gdi.SelectObject(hdc, object)) {}
    ~ScopedSelectObject() {
        if (previous_) gdi_.SelectObject(hdc_, previous_);
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

    H previous() const noexcept { return previous_; }

private:
    Gdi& gdi_;
    HDC hdc_;
    H previous_;
};

// A memory device context, deleted when it goes.
class ScopedMemoryDC {
public:
    ScopedMemoryDC(Gdi& gdi, HDC compatibleWith) noexcept : gdi_(gdi), hdc_(gdi.CreateCompatibleDC(compatibleWith)) {}
    ~ScopedMemoryDC() {
        if (hdc_) gdi_.DeleteDC(hdc_);
    }
    ScopedMemoryDC(const ScopedMemoryDC&) = delete;
    ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;

    HDC get() const noexcept { return hdc_; }

private:
    Gdi& gdi_;
    HDC hdc_;
};

// The device context of a window, or of the screen for a null window,
// released when it goes.
class ScopedWindowDC {
public:
    ScopedWindowDC(Gdi& gdi, HWND hwnd) noexcept : gdi_(gdi), hwnd_(hwnd), hdc_(gdi.GetDC(hwnd)) {}
    ~ScopedWindowDC() {
        if (hdc_) gdi_.ReleaseDC(hwnd_, hdc_);
    }
    ScopedWindowDC(const ScopedWindowDC&) = delete;
    ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;

    HDC get() const noexcept { return hdc_; }

private:
    Gdi& gdi_;
    HWND hwnd_;
    HDC hdc_;
};

}  // namespace lumora
