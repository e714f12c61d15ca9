// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/platform/Font.h"
#include "platform/win32/ScopedComPtr.h"

// The system's font object, named here without <windows.h>.
struct IFont;

namespace lumora::win32 {

// The system's own font object behind the portable interface: every
// attribute is read from and written to it, so its rules (Bold and Weight
// as one value, sizes as currency) are the system's, not ours.
class Win32Font final : public IFont {
public:
    static FontPtr Create(const FontDescription& description = {});
    explicit Win32Font(ScopedComPtr<::IFont> font) noexcept;
    ~Win32Font() override;

    String get_Name() const override;
    void put_Name(const String& name) override;
    double get_Size() const override;
    void put_Size(double points) override;
    bool get_Bold() const override;
    void put_Bold(bool bold) override;
    bool get_Italic() const override;
    void put_Italic(bool italic) override;
    bool get_Underline() const override;
    void put_Underline(bool underline) override;
    bool get_Strikethrough() const override;
    void put_Strikethrough(bool strikethrough) override;
    Integer get_Weight() const override;
    void put_Weight(Integer weight) override;
    Integer get_Charset() const override;
    void put_Charset(Integer charset) override;
    FontPtr Clone() const override;

    // The system's object itself, for handing the font to COM callers.
    ::IFont* ComObject() const noexcept { return font_.get(); }

private:
    ScopedComPtr<::IFont> font_;
};

}  // namespace lumora::win32
