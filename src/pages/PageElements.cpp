// SPDX-License-Identifier: MIT
#include "lumora/pages/PageElements.h"

#include <algorithm>
#include <string>

#include "lumora/runtime/RuntimeError.h"

namespace lumora::pages {
namespace {

// The runtime's errors for a value an element does not take and for a
// missing element of a control array.
constexpr Long kInvalidPropertyValue = 380;
constexpr Long kNoSuchElement = 340;

[[noreturn]] void RaiseInvalidValue() { Raise(kInvalidPropertyValue, "Invalid property value"); }

}  // namespace

void RaiseNoSuchElement() { Raise(kNoSuchElement, "Control array element does not exist"); }

String Element::FullName() const {
    if (index_ == kNoIndex) return name_;
    return name_ + u"(" + FromUtf8(std::to_string(index_)) + u")";
}

void Element::put_Caption(const String& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    Updated("Caption");
}

void Element::put_Enabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Updated("Enabled");
}

void TextBox::put_Text(const String& text) {
    if (text == text_) return;
    text_ = text;
    Updated("Text");
    Fire(onChange);
}

void CheckBox::put_Value(Integer value) {
    if (value != vbUnchecked && value != vbChecked) RaiseInvalidValue();
    if (value == value_) return;
    value_ = value;
    Updated("Value");
    Fire(onClick);
}

void ScrollBar::put_Min(Integer min) {
    min_ = min;
    Updated("Min");
    KeepValueInRange();
}

void ScrollBar::put_Max(Integer max) {
    max_ = max;
    Updated("Max");
    KeepValueInRange();
}

void ScrollBar::put_Value(Integer value) {
    if (value < std::min(min_, max_) || value > std::max(min_, max_)) RaiseInvalidValue();
    SetValue(value);
}

void ScrollBar::KeepValueInRange() { SetValue(std::clamp(value_, std::min(min_, max_), std::max(min_, max_))); }

void ScrollBar::SetValue(Integer value) {
    if (value == value_) return;
    value_ = value;
    Updated("Value");
    Fire(onChange);
}

void PictureBox::putref_Picture(const PicturePtr& picture) {
    if (picture == picture_) return;
    picture_ = picture;
    if (surface_) surface_->putref_Picture(picture);
    Updated("Picture");
    Fire(onChange);
}

PicturePtr PictureBox::get_Image() {
    if (!surface_) Raise(err::kInvalidPicture);
    return surface_->get_Image();
}

}  // namespace lumora::pages
