// SPDX-License-Identifier: MIT
// The portable header comes before <windows.h>, whose macros would rewrite
// portable names.
#include "platform/win32/Win32Font.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <ole2.h>
#include <olectl.h>

#include <memory>

#include "platform/win32/ComError.h"

namespace lumora::win32 {
namespace {

// The font object keeps sizes as currency, points times this.
constexpr double kCurrencyScale = 10000.0;

// Owns a BSTR the font object handed out.
class ScopedBstr {
public:
    ScopedBstr() = default;
    explicit ScopedBstr(const String& text)
        : text_(::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()))) {}
    ~ScopedBstr() { ::SysFreeString(text_); }
    ScopedBstr(const ScopedBstr&) = delete;
    ScopedBstr& operator=(const ScopedBstr&) = delete;

    BSTR get() const noexcept { return text_; }
    BSTR* Receive() noexcept {
        ::SysFreeString(text_);
        text_ = nullptr;
        return &text_;
    }
    String ToString() const { return String(reinterpret_cast<const char16_t*>(text_), ::SysStringLen(text_)); }

private:
    BSTR text_ = nullptr;
};

}  // namespace

FontPtr Win32Font::Create(const FontDescription& description) {
    const ScopedBstr name(description.name);
    FONTDESC desc{};
    desc.cbSizeofstruct = sizeof(desc);
    desc.lpstrName = name.get();
    desc.sWeight = FW_NORMAL;
    ScopedComPtr<::IFont> font;
    CheckCom(::OleCreateFontIndirect(&desc, IID_IFont, reinterpret_cast<void**>(font.Receive())));
    auto result = std::make_shared<Win32Font>(std::move(font));
    // Through the same setters as any later change, so Bold and Weight
    // settle as they do there.
    Apply(description, *result);
    return result;
}

Win32Font::Win32Font(ScopedComPtr<::IFont> font) noexcept : font_(std::move(font)) {}

Win32Font::~Win32Font() = default;

String Win32Font::get_Name() const {
    ScopedBstr name;
    CheckCom(font_->get_Name(name.Receive()));
    return name.ToString();
}

void Win32Font::put_Name(const String& name) {
    const ScopedBstr text(name);
    CheckCom(font_->put_Name(text.get()));
}

double Win32Font::get_Size() const {
    CY size{};
    CheckCom(font_->get_Size(&size));
    return static_cast<double>(size.int64) / kCurrencyScale;
}

void Win32Font::put_Size(double points) {
    // The system's own conversion, so ties round as the system rounds them.
    CY size{};
    CheckCom(::VarCyFromR8(points, &size));
    CheckCom(font_->put_Size(size));
}

bool Win32Font::get_Bold() const {
    BOOL bold = FALSE;
    CheckCom(font_->get_Bold(&bold));
    return bold != FALSE;
}

void Win32Font::put_Bold(bool bold) { CheckCom(font_->put_Bold(bold ? TRUE : FALSE)); }

bool Win32Font::get_Italic() const {
    BOOL italic = FALSE;
    CheckCom(font_->get_Italic(&italic));
    return italic != FALSE;
}

void Win32Font::put_Italic(bool italic) { CheckCom(font_->put_Italic(italic ? TRUE : FALSE)); }

bool Win32Font::get_Underline() const {
    BOOL underline = FALSE;
    CheckCom(font_->get_Underline(&underline));
    return underline != FALSE;
}

void Win32Font::put_Underline(bool underline) { CheckCom(font_->put_Underline(underline ? TRUE : FALSE)); }

bool Win32Font::get_Strikethrough() const {
    BOOL strikethrough = FALSE;
    CheckCom(font_->get_Strikethrough(&strikethrough));
    return strikethrough != FALSE;
}

void Win32Font::put_Strikethrough(bool strikethrough) {
    CheckCom(font_->put_Strikethrough(strikethrough ? TRUE : FALSE));
}

Integer Win32Font::get_Weight() const {
    SHORT weight = 0;
    CheckCom(font_->get_Weight(&weight));
    return weight;
}

void Win32Font::put_Weight(Integer weight) { CheckCom(font_->put_Weight(weight)); }

Integer Win32Font::get_Charset() const {
    SHORT charset = 0;
    CheckCom(font_->get_Charset(&charset));
    return charset;
}

void Win32Font::put_Charset(Integer charset) { CheckCom(font_->put_Charset(charset)); }

FontPtr Win32Font::Clone() const {
    ScopedComPtr<::IFont> copy;
    CheckCom(font_->Clone(copy.Receive()));
    return std::make_shared<Win32Font>(std::move(copy));
}

}  // namespace lumora::win32
