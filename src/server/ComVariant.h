// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "lumora/platform/Font.h"
#include "lumora/platform/Picture.h"
#include "lumora/runtime/Types.h"
#include "lumora/runtime/Variant.h"

#include "WindowsHeaders.h"

namespace lumora::server {

// Text across the boundary: BSTRs and the control's strings are both UTF-16.
String StringFromBstr(BSTR text);
// A new BSTR the caller owns; error 7 when there is no memory for it.
BSTR AllocBstr(const String& text);
std::wstring WideFromUtf8(const std::string& text);

// Pictures and fonts cross as the system's own objects. A null pointer is
// Nothing; an object that is not the system's picture (or font) raises
// error 481 (or 13).
PicturePtr PictureFromDispatch(IUnknown* picture);
// The picture as IPictureDisp with a reference for the caller; null for
// Nothing.
IPictureDisp* DispatchFromPicture(const PicturePtr& picture);
FontPtr FontFromDispatch(IUnknown* font);
IFontDisp* DispatchFromFont(const FontPtr& font);

// The control's values as VARIANTs and back, with the types a property bag
// stores: I2, I4, R4, R8, BOOL, BSTR, and dispatch for fonts and pictures.
// A type that has no counterpart raises error 13.
Variant VariantFromCom(const VARIANT& value);
// Writes into an initialised VARIANT the caller clears.
void VariantToCom(const Variant& value, VARIANT* result);

// Owns a VARIANT and clears it when it goes.
class ScopedVariant {
public:
    ScopedVariant() noexcept { ::VariantInit(&value_); }
    ~ScopedVariant() { ::VariantClear(&value_); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;

    VARIANT* get() noexcept { return &value_; }
    const VARIANT& operator*() const noexcept { return value_; }

private:
    VARIANT value_;
};

// Owns a BSTR and frees it when it goes.
class ScopedBstr {
public:
    ScopedBstr() = default;
    explicit ScopedBstr(BSTR text) noexcept : text_(text) {}
    ~ScopedBstr() { ::SysFreeString(text_); }
    ScopedBstr(const ScopedBstr&) = delete;
    ScopedBstr& operator=(const ScopedBstr&) = delete;

    BSTR get() const noexcept { return text_; }
    BSTR* Receive() noexcept {
        ::SysFreeString(text_);
        text_ = nullptr;
        return &text_;
    }
    BSTR Release() noexcept {
        BSTR text = text_;
        text_ = nullptr;
        return text;
    }

private:
    BSTR text_ = nullptr;
};

}  // namespace lumora::server
