// SPDX-License-Identifier: MIT
#include "lumora/pages/PropertyPage.h"

#include <string>

namespace lumora::pages {

Element* PropertyPage::EditorOf(std::u16string_view) { return nullptr; }

void PropertyPage::put_Changed(bool changed) {
    if (changed == changed_) return;
    changed_ = changed;
    if (view_) view_->ChangedUpdated(changed_);
}

void PropertyPage::Observe(IPageView* view) {
    view_ = view;
    for (Element* element : Elements()) element->Observe(view);
}

String DecimalText(Long value) { return FromUtf8(std::to_string(value)); }

}  // namespace lumora::pages
