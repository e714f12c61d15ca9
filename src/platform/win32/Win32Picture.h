// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "lumora/platform/Picture.h"
#include "platform/win32/ScopedComPtr.h"

// The system's picture object, named here without <windows.h>.
struct IPicture;

namespace lumora::win32 {

// The system's own picture object behind the portable interface; handle,
// type and HIMETRIC size are whatever the system reports.
class Win32Picture final : public IPicture {
public:
    // The picture a .bmp, .ico or metafile's bytes hold; error 481 if none.
    static PicturePtr FromFileBytes(const std::string& bytes);
    explicit Win32Picture(ScopedComPtr<::IPicture> picture) noexcept;
    ~Win32Picture() override;

    std::uintptr_t get_Handle() const override;
    std::uintptr_t get_hPal() const override;
    PictureType get_Type() const override;
    Long get_Width() const override;
    Long get_Height() const override;

    // The picture as a file's bytes, as SavePicture writes it: a bitmap as
    // a 24-bit .bmp, anything else as the system saves it. Error 481 when
    // there is nothing to save.
    std::string FileBytes() const;

    // The system's object itself, for handing the picture to COM callers.
    ::IPicture* ComObject() const noexcept { return picture_.get(); }

private:
    ScopedComPtr<::IPicture> picture_;
};

}  // namespace lumora::win32
