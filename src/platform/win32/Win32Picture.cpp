// SPDX-License-Identifier: MIT
// The portable header comes before <windows.h>, whose macros would rewrite
// portable names.
#include "platform/win32/Win32Picture.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <ole2.h>
#include <olectl.h>

#include <memory>

#include "lumora/runtime/RuntimeError.h"
#include "platform/win32/ComError.h"

namespace lumora::win32 {
namespace {

// OLE_HANDLE is 32 bits wide; the system widens handles with their sign.
std::uintptr_t WidenHandle(OLE_HANDLE handle) noexcept {
    return static_cast<std::uintptr_t>(static_cast<std::intptr_t>(static_cast<LONG>(handle)));
}

// A stream over a copy of the bytes, at its start, as OleLoadPicture reads it.
ScopedComPtr<IStream> StreamOver(const std::string& bytes) {
    ScopedComPtr<IStream> stream;
    CheckCom(::CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive()));
    CheckCom(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr));
    CheckCom(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr));
    return stream;
}

// Appends the bytes of a plain value to a file image.
template <typename T>
void Append(std::string& bytes, const T& value) {
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// A bitmap as a bottom-up 24-bit .bmp file. The system's own picture
// object saves only pictures it was loaded from, so bitmaps made in memory
// (a composed icon, a container's bitmap) are written here.
std::string BitmapFileBytes(::HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0)
        Raise(err::kInvalidPicture);
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = info.bmWidth;
    header.biHeight = info.bmHeight;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const std::size_t stride = (static_cast<std::size_t>(info.bmWidth) * 3 + 3) & ~std::size_t{3};
    const std::size_t pixelBytes = stride * static_cast<std::size_t>(info.bmHeight);
    // A .bmp file counts its size in 32 bits.
    constexpr std::size_t kHeaders = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    if (pixelBytes > 0xFFFFFFFFu - kHeaders) Raise(err::kOutOfMemory);
    std::string pixels(pixelBytes, '\0');
    const ::HDC screen = ::GetDC(nullptr);
    const int lines = ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(),
                                  reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (lines != info.bmHeight) Raise(err::kInvalidPicture);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = kHeaders;
    file.bfSize = static_cast<DWORD>(kHeaders + pixelBytes);
    header.biSizeImage = static_cast<DWORD>(pixelBytes);
    std::string bytes;
    bytes.reserve(kHeaders + pixelBytes);
    Append(bytes, file);
    Append(bytes, header);
    bytes += pixels;
    return bytes;
}

}  // namespace

std::string Win32Picture::FileBytes() const {
    if (get_Type() == PictureType::Bitmap)
        return BitmapFileBytes(reinterpret_cast<::HBITMAP>(static_cast<std::uintptr_t>(get_Handle())));
    ScopedComPtr<IStream> stream;
    CheckCom(::CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive()));
    LONG size = 0;
    if (FAILED(picture_->SaveAsFile(stream.get(), TRUE, &size)) || size <= 0) Raise(err::kInvalidPicture);
    HGLOBAL memory = nullptr;
    CheckCom(::GetHGlobalFromStream(stream.get(), &memory));
    const auto* bytes = static_cast<const char*>(::GlobalLock(memory));
    if (!bytes) Raise(err::kOutOfMemory);
    std::string result(bytes, static_cast<std::size_t>(size));
    ::GlobalUnlock(memory);
    return result;
}

PicturePtr Win32Picture::FromFileBytes(const std::string& bytes) {
    const ScopedComPtr<IStream> stream = StreamOver(bytes);
    ScopedComPtr<::IPicture> picture;
    const HRESULT hr = ::OleLoadPicture(stream.get(), static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                                        reinterpret_cast<void**>(picture.Receive()));
    if (FAILED(hr) || !picture) Raise(err::kInvalidPicture);
    return std::make_shared<Win32Picture>(std::move(picture));
}

Win32Picture::Win32Picture(ScopedComPtr<::IPicture> picture) noexcept : picture_(std::move(picture)) {}

Win32Picture::~Win32Picture() = default;

std::uintptr_t Win32Picture::get_Handle() const {
    OLE_HANDLE handle = 0;
    CheckCom(picture_->get_Handle(&handle));
    return WidenHandle(handle);
}

std::uintptr_t Win32Picture::get_hPal() const {
    OLE_HANDLE palette = 0;
    CheckCom(picture_->get_hPal(&palette));
    return WidenHandle(palette);
}

PictureType Win32Picture::get_Type() const {
    SHORT type = 0;
    CheckCom(picture_->get_Type(&type));
    return static_cast<PictureType>(type);
}

Long Win32Picture::get_Width() const {
    OLE_XSIZE_HIMETRIC width = 0;
    CheckCom(picture_->get_Width(&width));
    return width;
}

Long Win32Picture::get_Height() const {
    OLE_YSIZE_HIMETRIC height = 0;
    CheckCom(picture_->get_Height(&height));
    return height;
}

}  // namespace lumora::win32
