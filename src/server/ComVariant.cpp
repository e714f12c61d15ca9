// SPDX-License-Identifier: MIT
#include "ComVariant.h"

#include <memory>

#include "lumora/runtime/RuntimeError.h"
#include "platform/win32/ScopedComPtr.h"
#include "platform/win32/Win32Font.h"
#include "platform/win32/Win32Picture.h"

namespace lumora::server {

using win32::ScopedComPtr;

String StringFromBstr(BSTR text) {
    if (!text) return String();
    return String(reinterpret_cast<const char16_t*>(text), ::SysStringLen(text));
}

BSTR AllocBstr(const String& text) {
    BSTR result = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
    if (!result) Raise(err::kOutOfMemory);
    return result;
}

std::wstring WideFromUtf8(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

PicturePtr PictureFromDispatch(IUnknown* picture) {
    if (!picture) return nullptr;
    ScopedComPtr<::IPicture> system;
    if (FAILED(picture->QueryInterface(IID_IPicture, reinterpret_cast<void**>(system.Receive()))))
        Raise(err::kInvalidPicture);
    return std::make_shared<win32::Win32Picture>(std::move(system));
}

IPictureDisp* DispatchFromPicture(const PicturePtr& picture) {
    if (!picture) return nullptr;
    const auto* system = dynamic_cast<const win32::Win32Picture*>(picture.get());
    if (!system) Raise(err::kInvalidPicture);
    IPictureDisp* result = nullptr;
    if (FAILED(system->ComObject()->QueryInterface(IID_IPictureDisp, reinterpret_cast<void**>(&result))))
        Raise(err::kInvalidPicture);
    return result;
}

FontPtr FontFromDispatch(IUnknown* font) {
    if (!font) return nullptr;
    ScopedComPtr<::IFont> system;
    if (FAILED(font->QueryInterface(IID_IFont, reinterpret_cast<void**>(system.Receive())))) Raise(err::kTypeMismatch);
    return std::make_shared<win32::Win32Font>(std::move(system));
}

IFontDisp* DispatchFromFont(const FontPtr& font) {
    if (!font) return nullptr;
    const auto* system = dynamic_cast<const win32::Win32Font*>(font.get());
    if (!system) Raise(err::kTypeMismatch);
    IFontDisp* result = nullptr;
    if (FAILED(system->ComObject()->QueryInterface(IID_IFontDisp, reinterpret_cast<void**>(&result))))
        Raise(err::kTypeMismatch);
    return result;
}

namespace {

// An object in a bag is a font or a picture; which one, it tells itself.
Variant VariantFromObject(IUnknown* object) {
    if (!object) return Variant::NothingValue();
    ScopedComPtr<::IFont> font;
    if (SUCCEEDED(object->QueryInterface(IID_IFont, reinterpret_cast<void**>(font.Receive()))))
        return Variant::FromFont(std::make_shared<win32::Win32Font>(std::move(font)));
    return Variant::FromPicture(PictureFromDispatch(object));
}

}  // namespace

Variant VariantFromCom(const VARIANT& value) {
    switch (V_VT(&value)) {
        case VT_EMPTY:
            return Variant();
        case VT_I2:
            return Variant::FromInteger(V_I2(&value));
        case VT_I4:
            return Variant::FromLong(V_I4(&value));
        case VT_R4:
            return Variant::FromSingle(V_R4(&value));
        case VT_R8:
            return Variant::FromDouble(V_R8(&value));
        case VT_BOOL:
            return Variant::FromBoolean(V_BOOL(&value));
        case VT_BSTR:
            return Variant::FromString(StringFromBstr(V_BSTR(&value)));
        case VT_DISPATCH:
            return VariantFromObject(V_DISPATCH(&value));
        case VT_UNKNOWN:
            return VariantFromObject(V_UNKNOWN(&value));
        default:
            break;
    }
    // Anything else a bag may hold (a currency, a date, an unsigned number)
    // is read as the runtime reads it: converted to a number or text.
    ScopedVariant converted;
    VARIANT* source = const_cast<VARIANT*>(&value);  // read only, despite the signature
    if (SUCCEEDED(::VariantChangeType(converted.get(), source, 0, VT_R8)))
        return Variant::FromDouble(V_R8(converted.get()));
    if (SUCCEEDED(::VariantChangeType(converted.get(), source, 0, VT_BSTR)))
        return Variant::FromString(StringFromBstr(V_BSTR(converted.get())));
    Raise(err::kTypeMismatch);
}

void VariantToCom(const Variant& value, VARIANT* result) {
    ::VariantClear(result);
    switch (value.kind()) {
        case Variant::Kind::Empty:
            return;
        case Variant::Kind::Nothing:
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = nullptr;
            return;
        case Variant::Kind::Integer:
            V_VT(result) = VT_I2;
            V_I2(result) = value.ToInteger();
            return;
        case Variant::Kind::Long:
            V_VT(result) = VT_I4;
            V_I4(result) = value.ToLong();
            return;
        case Variant::Kind::Single:
            V_VT(result) = VT_R4;
            V_R4(result) = value.ToSingle();
            return;
        case Variant::Kind::Double:
            V_VT(result) = VT_R8;
            V_R8(result) = value.ToDouble();
            return;
        case Variant::Kind::Boolean:
            V_VT(result) = VT_BOOL;
            V_BOOL(result) = value.ToBoolean();
            return;
        case Variant::Kind::String:
            V_BSTR(result) = AllocBstr(value.ToString());
            V_VT(result) = VT_BSTR;
            return;
        case Variant::Kind::Font:
            V_DISPATCH(result) = DispatchFromFont(value.ToFont());
            V_VT(result) = VT_DISPATCH;
            return;
        case Variant::Kind::Picture:
            V_DISPATCH(result) = DispatchFromPicture(value.ToPicture());
            V_VT(result) = VT_DISPATCH;
            return;
    }
    Raise(err::kTypeMismatch);
}

}  // namespace lumora::server
