// SPDX-License-Identifier: MIT
#include "lumora/platform/soft/SoftPicture.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "lumora/platform/GdiScoped.h"
#include "lumora/runtime/RuntimeError.h"
#include "platform/soft/AtomicFile.h"
#include "platform/soft/NativeFile.h"
#include "platform/soft/PictureCodec.h"

namespace lumora::soft {
namespace {

constexpr double kHimetricPerInch = 2540.0;
// No picture a column shows comes near this; a larger file is not read.
constexpr std::uintmax_t kMaxPictureFileBytes = std::uintmax_t{64} << 20;

// Pixels to HIMETRIC the way the system rounds it (to the nearest unit).
Long Himetric(int pixels, int dpi) {
    return static_cast<Long>(std::lround(pixels * kHimetricPerInch / (dpi > 0 ? dpi : 96)));
}

const SoftBitmap& NoPixels() {
    static const SoftBitmap empty;
    return empty;
}

}  // namespace

SoftPicture::SoftPicture(std::shared_ptr<SoftGdi> gdi, PictureType type, std::uintptr_t handle, int width, int height)
    : gdi_(std::move(gdi)), type_(type), handle_(handle) {
    const ScopedWindowDC screen(*gdi_, HWND{});
    const int dpiX = gdi_->GetDeviceCaps(screen.get(), LOGPIXELSX);
    const int dpiY = gdi_->GetDeviceCaps(screen.get(), LOGPIXELSY);
    width_ = Himetric(width, dpiX);
    height_ = Himetric(height, dpiY);
}

std::shared_ptr<SoftPicture> SoftPicture::Bitmap(std::shared_ptr<SoftGdi> gdi, const SoftBitmap& pixels) {
    const HBITMAP bitmap = gdi->CreateBitmapFromPixels(pixels);
    if (!bitmap) Raise(err::kInvalidPicture);
    return std::shared_ptr<SoftPicture>(
        new SoftPicture(std::move(gdi), PictureType::Bitmap, bitmap.value, pixels.width, pixels.height));
}

std::shared_ptr<SoftPicture> SoftPicture::Icon(std::shared_ptr<SoftGdi> gdi, const SoftBitmap& color,
                                               const SoftBitmap& mask) {
    const HICON icon = gdi->CreateIconFromPixels(color, mask);
    if (!icon) Raise(err::kInvalidPicture);
    return std::shared_ptr<SoftPicture>(
        new SoftPicture(std::move(gdi), PictureType::Icon, icon.value, color.width, color.height));
}

SoftPicture::~SoftPicture() {
    if (type_ == PictureType::Icon)
        gdi_->DestroyIcon(HICON{handle_});
    else
        gdi_->DeleteObject(HBITMAP{handle_});
}

const SoftBitmap& SoftPicture::color() const {
    const SoftBitmap* pixels =
        type_ == PictureType::Icon ? gdi_->IconColorOf(HICON{handle_}) : gdi_->BitmapOf(HBITMAP{handle_});
    return pixels ? *pixels : NoPixels();
}

const SoftBitmap& SoftPicture::mask() const {
    const SoftBitmap* pixels = type_ == PictureType::Icon ? gdi_->IconMaskOf(HICON{handle_}) : nullptr;
    return pixels ? *pixels : NoPixels();
}

// ----------------------------------------------------------------- files

PicturePtr SoftPictures::FromFileBytes(std::span<const std::uint8_t> bytes) {
    DecodedPicture decoded = DecodePicture(bytes);
    if (decoded.type == PictureType::Icon) return SoftPicture::Icon(gdi_, decoded.color, decoded.mask);
    return SoftPicture::Bitmap(gdi_, decoded.color);
}

std::string SoftPictures::ToFileBytes(const IPicture& picture) {
    const auto* soft = dynamic_cast<const SoftPicture*>(&picture);
    if (!soft) Raise(err::kInvalidPicture);
    if (soft->get_Type() == PictureType::Icon) return EncodeIco(soft->color(), soft->mask());
    return EncodeBmp(soft->color());
}

PicturePtr SoftPictures::LoadPicture(const String& path) {
    const std::filesystem::path file_path = ToNativePath(path);
    std::error_code error;
    if (!std::filesystem::exists(file_path, error)) Raise(err::kFileNotFound);
    const std::uintmax_t size = std::filesystem::file_size(file_path, error);
    if (error) Raise(err::kPathFileAccess);
    if (size > kMaxPictureFileBytes) Raise(err::kInvalidPicture);
    std::ifstream file(file_path, std::ios::binary);
    if (!file) Raise(err::kPathFileAccess);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) Raise(err::kPathFileAccess);
    return FromFileBytes(bytes);
}

void SoftPictures::SavePicture(const PicturePtr& picture, const String& path) {
    if (!picture) Raise(err::kInvalidProcedureCall);
    const std::string bytes = ToFileBytes(*picture);
    try {
        WriteFileAtomically(ToNativePath(path), bytes);
    } catch (const AtomicFileError&) {
        Raise(err::kPathFileAccess);
    }
}

}  // namespace lumora::soft
