// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/platform/Font.h"

namespace lumora::soft {

// A font object of the software platform. It keeps the attributes with the
// system font object's rules: sizes to four decimal places, Bold and Weight
// tied together.
class SoftFont final : public IFont {
public:
    SoftFont() = default;
    explicit SoftFont(const FontDescription& description);
    static FontPtr Create(const FontDescription& description = {});

    String get_Name() const override { return name_; }
    void put_Name(const String& name) override { name_ = name; }
    double get_Size() const override { return size_; }
    void put_Size(double points) override;
    bool get_Bold() const override { return weight_ > kBoldWeightThreshold; }
    void put_Bold(bool bold) override { weight_ = bold ? kBoldWeight : kNormalWeight; }
    bool get_Italic() const override { return italic_; }
    void put_Italic(bool italic) override { italic_ = italic; }
    bool get_Underline() const override { return underline_; }
    void put_Underline(bool underline) override { underline_ = underline; }
    bool get_Strikethrough() const override { return strikethrough_; }
    void put_Strikethrough(bool strikethrough) override { strikethrough_ = strikethrough; }
    Integer get_Weight() const override { return weight_; }
    void put_Weight(Integer weight) override { weight_ = weight; }
    Integer get_Charset() const override { return charset_; }
    void put_Charset(Integer charset) override { charset_ = charset; }
    FontPtr Clone() const override { return std::make_shared<SoftFont>(*this); }

private:
    static constexpr Integer kNormalWeight = 400;
    static constexpr Integer kBoldWeight = 700;

    String name_ = u"MS Sans Serif";
    double size_ = 8;
    bool italic_ = false;
    bool underline_ = false;
    bool strikethrough_ = false;
    Integer weight_ = kNormalWeight;
    Integer charset_ = 0;
};

}  // namespace lumora::soft
