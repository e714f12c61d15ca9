// SPDX-License-Identifier: MIT
#pragma once

#include <cassert>
#include <utility>

#include "lumora/platform/Gdi.h"

namespace lumora {

// How an owner lets go of a drawing object: brushes, pens, bitmaps, regions,
// palettes and fonts all go through DeleteObject.
template <typename H>
struct GdiObjectTraits {
    static void Free(Gdi& gdi, H handle) noexcept { gdi.DeleteObject(handle); }
};

// A memory device context goes through DeleteDC instead.
struct MemoryDcTraits {
    static void Free(Gdi& gdi, HDC hdc) noexcept { gdi.DeleteDC(hdc); }
};

// Owns one handle and lets go of it through Traits when it goes, on every
// path. A null handle is held like any other and never freed.
template <typename H, typename Traits>
class ScopedGdiHandle {
public:
    explicit ScopedGdiHandle(Gdi& gdi, H handle = {}) noexcept : gdi_(&gdi), handle_(handle) {}
    ~ScopedGdiHandle() { Reset(); }
    ScopedGdiHandle(const ScopedGdiHandle&) = delete;
    ScopedGdiHandle& operator=(const ScopedGdiHandle&) = delete;
    ScopedGdiHandle(ScopedGdiHandle&& other) noexcept : gdi_(other.gdi_), handle_(other.Release()) {}

    H get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return static_cast<bool>(handle_); }

    // Gives the handle up without freeing it: the caller owns it now.
    [[nodiscard]] H Release() noexcept { return std::exchange(handle_, H{}); }
    // Frees the handle held, if any, and holds handle instead.
    void Reset(H handle = {}) noexcept {
        const H previous = std::exchange(handle_, handle);
        if (previous) Traits::Free(*gdi_, previous);
    }

private:
    Gdi* gdi_;
    H handle_;
};

// A drawing object, deleted when it goes.
template <typename H>
using ScopedGdiObject = ScopedGdiHandle<H, GdiObjectTraits<H>>;

// A memory device context, deleted when it goes.
class ScopedMemoryDC : public ScopedGdiHandle<HDC, MemoryDcTraits> {
public:
    // A new memory DC compatible with compatibleWith (the screen for null).
    ScopedMemoryDC(Gdi& gdi, HDC compatibleWith) noexcept
        : ScopedGdiHandle(gdi, gdi.CreateCompatibleDC(compatibleWith)) {}
    // No DC yet; Reset hands one over.
    explicit ScopedMemoryDC(Gdi& gdi) noexcept : ScopedGdiHandle(gdi) {}
};

// Whether a selection owner checks, in debug builds, that its selection
// took. MayFail is for the few selections whose failure the caller expects
// and goes on from; a failed selection leaves the DC as it was.
enum class SelectCheck { MustSucceed, MayFail };

// Selects an object into a device context and puts the previous one back
// when it goes, so a DC never keeps pointing at an object about to die.
template <typename H>
class ScopedSelectObject {
public:
    ScopedSelectObject(Gdi& gdi, HDC hdc, H object,
                       [[maybe_unused]] SelectCheck check = SelectCheck::MustSucceed) noexcept
        : gdi_(gdi), hdc_(hdc), previous_(gdi.SelectObject(hdc, object)) {
        assert((previous_ || check == SelectCheck::MayFail) && "SelectObject failed");
    }
    ~ScopedSelectObject() {
        if (previous_) gdi_.SelectObject(hdc_, previous_);
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

    H previous() const noexcept { return previous_; }

    // Selects another object in place of the current one. The object that
    // was there before this owner's first selection is still the one put
    // back, so the DC ends as it started however often its object changes.
    void Replace(H object) noexcept {
        [[maybe_unused]] const H replaced = gdi_.SelectObject(hdc_, object);
        assert(replaced && "SelectObject failed");
    }

private:
    Gdi& gdi_;
    HDC hdc_;
    H previous_;
};

// Selects a palette into a device context and realises it; when it goes,
// puts the previous palette back and realises that again. Palettes go in as
// background palettes, which is all the control's off-screen DCs need.
class ScopedSelectPalette {
public:
    ScopedSelectPalette(Gdi& gdi, HDC hdc, HPALETTE palette) noexcept
        : gdi_(gdi), hdc_(hdc), previous_(gdi.SelectPalette(hdc, palette, true)) {
        gdi_.RealizePalette(hdc_);
    }
    ~ScopedSelectPalette() {
        if (!previous_) return;
        gdi_.SelectPalette(hdc_, previous_, true);
        gdi_.RealizePalette(hdc_);
    }
    ScopedSelectPalette(const ScopedSelectPalette&) = delete;
    ScopedSelectPalette& operator=(const ScopedSelectPalette&) = delete;

private:
    Gdi& gdi_;
    HDC hdc_;
    HPALETTE previous_;
};

// Narrows what a device context draws on to a rectangle; when it goes, the
// DC draws everywhere again. For DCs that have no clipping of their own.
class ScopedClipRect {
public:
    ScopedClipRect(Gdi& gdi, HDC hdc, const Rect& rect) noexcept : gdi_(gdi), hdc_(hdc) {
        gdi_.IntersectClipRect(hdc_, rect.left, rect.top, rect.right, rect.bottom);
    }
    ~ScopedClipRect() { gdi_.SelectClipRgn(hdc_, HRGN{}); }
    ScopedClipRect(const ScopedClipRect&) = delete;
    ScopedClipRect& operator=(const ScopedClipRect&) = delete;

private:
    Gdi& gdi_;
    HDC hdc_;
};

// The device context of a window, or of the screen for a null window,
// released when it goes. It is borrowed from its window and can only go
// back there, so it is neither handed over nor exchanged.
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
