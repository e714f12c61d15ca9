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

}  // namespace

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
