// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "lumora/platform/Picture.h"
#include "lumora/platform/PictureFiles.h"
#include "lumora/platform/soft/SoftBitmap.h"
#include "lumora/platform/soft/SoftGdi.h"

namespace lumora::soft {

// A picture object of the software surface: a bitmap or an icon living in
// one SoftGdi, which it keeps alive. Sizes are reported in HIMETRIC as the
// system does at the surface's resolution (32 pixels at 96 dpi are 847).
class SoftPicture final : public IPicture {
public:
    static std::shared_ptr<SoftPicture> Bitmap(std::shared_ptr<SoftGdi> gdi, const SoftBitmap& pixels);
    // mask: 1-bit, 1 where the icon is transparent.
    static std::shared_ptr<SoftPicture> Icon(std::shared_ptr<SoftGdi> gdi, const SoftBitmap& color,
                                             const SoftBitmap& mask);
    ~SoftPicture() override;
    SoftPicture(const SoftPicture&) = delete;
    SoftPicture& operator=(const SoftPicture&) = delete;

    std::uintptr_t get_Handle() const override { return handle_; }
    std::uintptr_t get_hPal() const override { return 0; }
    PictureType get_Type() const override { return type_; }
    Long get_Width() const override { return width_; }
    Long get_Height() const override { return height_; }

    const SoftBitmap& color() const;
    // Empty for a bitmap.
    const SoftBitmap& mask() const;

private:
    SoftPicture(std::shared_ptr<SoftGdi> gdi, PictureType type, std::uintptr_t handle, int width, int height);

    std::shared_ptr<SoftGdi> gdi_;
    PictureType type_;
    std::uintptr_t handle_;
    Long width_;
    Long height_;
};

// Pictures as files and as the bytes of a file, for one surface.
class SoftPictures final : public IPictureFiles {
public:
    explicit SoftPictures(std::shared_ptr<SoftGdi> gdi) : gdi_(std::move(gdi)) {}

    PicturePtr LoadPicture(const String& path) override;
    void SavePicture(const PicturePtr& picture, const String& path) override;

    // The picture a .bmp or .ico file's bytes hold; error 481 if none.
    PicturePtr FromFileBytes(std::span<const std::uint8_t> bytes);
    // The .bmp (bitmap) or .ico (icon) file of a picture of this surface;
    // error 481 for any other picture.
    static std::string ToFileBytes(const IPicture& picture);

private:
    std::shared_ptr<SoftGdi> gdi_;
};

}  // namespace lumora::soft
