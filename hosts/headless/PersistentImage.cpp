// SPDX-License-Identifier: MIT
#include "lumora/headless/PersistentImage.h"

#include <algorithm>

#include "render/mXPWells.h"

namespace lumora::headless {
namespace {

// The bitmap's size for a window: the whole window, or as many of its top
// rows as fit into maxPixels. A window is never empty to the surface.
struct ImageSize {
    int width;
    int height;
};

// A scaled image's pixels count on the device: the window holds a fraction.
std::int64_t WindowPixels(std::int64_t maxPixels, double scale) {
    return std::max<std::int64_t>(1, static_cast<std::int64_t>(static_cast<double>(maxPixels) / (scale * scale)));
}

std::unique_ptr<DeviceScaleGdi> ScalingLayer(soft::SoftGdi& surface, double scale) {
    return scale == 1.0 ? nullptr : std::make_unique<DeviceScaleGdi>(surface, scale);
}

ImageSize ImageSizeFor(int width, int height, std::int64_t kMax) {
    const int w = static_cast<int>(std::clamp<std::int64_t>(width, 1, kMax));
    const int h = std::max(height, 1);
    return {w, static_cast<int>(std::clamp<std::int64_t>(kMax / w, 1, h))};
}

}  // namespace

PersistentImage::PersistentImage(std::shared_ptr<soft::SoftGdi> gdi, int width, int height, const IFont& font,
                                 double scale)
    : surface_(std::move(gdi)),
      scaled_(ScalingLayer(*surface_, scale)),
      gdi_(scaled_ ? static_cast<Gdi&>(*scaled_) : *surface_),
      width_(width),
      height_(height) {
    const ScopedWindowDC screen(gdi_, HWND{});
    dc_.Reset(gdi_.CreateCompatibleDC(screen.get()));
    const ImageSize size = ImageSizeFor(width_, height_, WindowPixels(maxPixels_, this->scale()));
    bitmap_.Reset(gdi_.CreateCompatibleBitmap(screen.get(), size.width, size.height));
    bitmapSelection_.emplace(gdi_, dc_.get(), bitmap_.get());
    gdi_.SetBkMode(dc_.get(), TRANSPARENT);
    fontDescription_ = Describe(font);
    fontDpi_ = dpi();
    font_.Reset(gdi_.CreateFontIndirect(fontDescription_));
    fontSelection_.emplace(gdi_, dc_.get(), font_.get());
}

PersistentImage::~PersistentImage() = default;

void PersistentImage::Resize(int width, int height) {
    const ScopedWindowDC screen(gdi_, HWND{});
    const ImageSize size = ImageSizeFor(width, height, WindowPixels(maxPixels_, scale()));
    ScopedGdiObject<HBITMAP> resized(gdi_, gdi_.CreateCompatibleBitmap(screen.get(), size.width, size.height));
    if (resized) {
        {
            const ScopedMemoryDC copy(gdi_, screen.get());
            const ScopedSelectObject<HBITMAP> selected(gdi_, copy.get(), resized.get());
            gdi_.BitBlt(copy.get(), 0, 0, std::min(width, width_), std::min(height, height_), dc_.get(), 0, 0, SRCCOPY);
        }
        bitmapSelection_->Replace(resized.get());
        bitmap_.Reset(resized.Release());
    }
    width_ = width;
    height_ = height;
}

HDC PersistentImage::dc(const IFont& font) {
    // A font is made for one resolution: a new one follows a new attribute
    // or a new resolution of the surface.
    const FontDescription wanted = Describe(font);
    const int resolution = dpi();
    if (wanted == fontDescription_ && resolution == fontDpi_) return dc_.get();
    ScopedGdiObject<HFONT> created(gdi_, gdi_.CreateFontIndirect(wanted));
    if (!created) return dc_.get();
    fontSelection_->Replace(created.get());
    font_.Reset(created.Release());
    fontDescription_ = wanted;
    fontDpi_ = resolution;
    return dc_.get();
}

void PersistentImage::Clear(OLE_COLOR color) {
    // A colour the system does not know clears to its own value.
    const COLORREF translated = mXPWells::TranslateColor(gdi_, color, HPALETTE{}, color);
    const ScopedGdiObject<HBRUSH> brush(gdi_, gdi_.CreateSolidBrush(translated));
    gdi_.FillRect(dc_.get(), Rect{0, 0, width_, height_}, brush.get());
}

const soft::SoftBitmap& PersistentImage::bitmap() const { return *surface_->BitmapOf(bitmap_.get()); }

void PersistentImage::LimitPixels(std::int64_t maxPixels) {
    maxPixels_ = std::clamp<std::int64_t>(maxPixels, 1, kMaxPixels);
    Resize(width_, height_);
}

bool PersistentImage::cut() const {
    const soft::SoftBitmap& image = bitmap();
    const DeviceScale device = gdi_.deviceScale();
    return image.width < device.Extent(width_) || image.height < device.Extent(height_);
}

int PersistentImage::dpi() const { return gdi_.GetDeviceCaps(dc_.get(), LOGPIXELSY); }

}  // namespace lumora::headless
