// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "lumora/platform/DeviceScaleGdi.h"
#include "lumora/platform/Font.h"
#include "lumora/platform/GdiScoped.h"
#include "lumora/platform/soft/SoftBitmap.h"
#include "lumora/platform/soft/SoftGdi.h"

namespace lumora::headless {

// A control window's persistent image on the software surface: a memory DC
// with a bitmap of the window's size and the control's font selected, text
// drawn with a transparent background. Every host on the software surface
// keeps one, so what a control draws is the same pixels in each of them.
//
// At a device scale S other than 1 the image holds the window's pixels S
// times larger, drawn through a DeviceScaleGdi over the surface; the
// control keeps working in its own pixels through gdi().
//
// An image holds at most kMaxPixels pixels (64 MiB). A larger window (a
// tall HeaderHeight over wide columns) keeps its size, but its image holds
// only its top rows, as many as fit: what the control draws below them is
// clipped away, so memory and drawing stay bounded whatever the form says.
class PersistentImage {
public:
    // As much as a window of the surface holds.
    static constexpr std::int64_t kMaxPixels = soft::SoftGdi::kMaxWindowPixels;

    PersistentImage(std::shared_ptr<soft::SoftGdi> gdi, int width, int height, const IFont& font, double scale = 1.0);
    ~PersistentImage();
    PersistentImage(const PersistentImage&) = delete;
    PersistentImage& operator=(const PersistentImage&) = delete;

    // Sizes the image, keeping the pixels both sizes share. An image too
    // large for the surface keeps the old bitmap.
    void Resize(int width, int height);
    // Holds at most maxPixels (1 to kMaxPixels) from now on, and takes
    // that size at once. The fuzzers keep tall strips cheap this way.
    void LimitPixels(std::int64_t maxPixels);
    // The image's DC with a font made from font's present attributes: the
    // control changes its font object's attributes directly.
    HDC dc(const IFont& font);
    // Fills the image with the colour, translated as the system would.
    void Clear(OLE_COLOR color);
    const soft::SoftBitmap& bitmap() const;
    // Whether the image holds less than the window (it reached kMaxPixels).
    bool cut() const;
    int dpi() const;
    // What the control draws with: the surface, or the scaling layer over it.
    Gdi& gdi() noexcept { return gdi_; }
    double scale() const noexcept { return gdi_.deviceScale().factor; }

private:
    std::shared_ptr<soft::SoftGdi> surface_;
    // Only while the scale is not 1: at 1 the control draws on the surface
    // itself, with nothing in between.
    std::unique_ptr<DeviceScaleGdi> scaled_;
    Gdi& gdi_;
    int width_ = 0;
    int height_ = 0;
    std::int64_t maxPixels_ = kMaxPixels;
    // The selections go first and put the DC's own objects back, then the
    // font, the bitmap and the DC are deleted.
    ScopedMemoryDC dc_{gdi_};
    ScopedGdiObject<HBITMAP> bitmap_{gdi_};
    ScopedGdiObject<HFONT> font_{gdi_};
    std::optional<ScopedSelectObject<HBITMAP>> bitmapSelection_;
    std::optional<ScopedSelectObject<HFONT>> fontSelection_;
    FontDescription fontDescription_;
    int fontDpi_ = 0;
};

}  // namespace lumora::headless
