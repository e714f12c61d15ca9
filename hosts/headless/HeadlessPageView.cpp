// SPDX-License-Identifier: MIT
#include "lumora/headless/HeadlessPageView.h"

#include "lumora/runtime/RuntimeError.h"

namespace lumora::headless {
namespace {

std::string TrueFalse(bool value) { return value ? "True" : "False"; }

std::string PictureText(const PicturePtr& picture) {
    if (!picture) return "none";
    switch (picture->get_Type()) {
        case PictureType::Bitmap:
            return "bitmap";
        case PictureType::Icon:
            return "icon";
        default:
            return "picture";
    }
}

// What the element shows under that property, as the log writes it.
std::string Shown(const pages::Element& element, std::string_view property) {
    if (property == "Caption") return ToUtf8(element.get_Caption());
    if (property == "Enabled") return TrueFalse(element.get_Enabled());
    if (const auto* text = dynamic_cast<const pages::TextBox*>(&element)) return ToUtf8(text->get_Text());
    if (const auto* check = dynamic_cast<const pages::CheckBox*>(&element)) return std::to_string(check->get_Value());
    if (const auto* picture = dynamic_cast<const pages::PictureBox*>(&element))
        return PictureText(picture->get_Picture());
    if (const auto* bar = dynamic_cast<const pages::ScrollBar*>(&element)) {
        if (property == "Min") return std::to_string(bar->get_Min());
        if (property == "Max") return std::to_string(bar->get_Max());
        return std::to_string(bar->get_Value());
    }
    return std::string();
}

}  // namespace

LumoraListControl& SheetSelection::Item(Long index) {
    if (index < 0 || index >= Count()) Raise(err::kSubscriptOutOfRange);
    return *controls_[static_cast<std::size_t>(index)];
}

HeadlessPageView::HeadlessPageView(pages::PropertyPage& page, SheetSelection& selection)
    : page_(page), selection_(selection) {
    page_.Observe(this);
}

HeadlessPageView::~HeadlessPageView() { page_.Observe(nullptr); }

void HeadlessPageView::Select(std::vector<LumoraListControl*> controls) {
    selection_.Select(std::move(controls));
    page_.SelectionChanged();
}

void HeadlessPageView::PressApply() {
    if (!page_.get_Changed()) return;
    page_.ApplyChanges();
    page_.put_Changed(false);
}

template <typename Input>
void HeadlessPageView::AsUser(Input&& input) {
    try {
        input();
    } catch (const RuntimeError& error) {
        log_.push_back("Error " + std::to_string(error.number()) + " " + error.description());
    }
}

void HeadlessPageView::Type(std::u16string_view element, const String& text) {
    auto& box = Get<pages::TextBox>(element);
    if (box.get_Enabled() && !box.Locked) AsUser([&] { box.put_Text(text); });
}

void HeadlessPageView::Click(std::u16string_view element) {
    pages::Element& target = Find(element);
    if (!target.get_Enabled()) return;
    if (auto* button = dynamic_cast<pages::Button*>(&target)) {
        AsUser([&] { button->Click(); });
    } else if (auto* check = dynamic_cast<pages::CheckBox*>(&target)) {
        AsUser([&] { check->Toggle(); });
    } else if (auto* label = dynamic_cast<pages::Label*>(&target)) {
        AsUser([&] { label->Click(); });
    }
}

void HeadlessPageView::Scroll(std::u16string_view element, Integer value) {
    auto& bar = Get<pages::ScrollBar>(element);
    if (bar.get_Enabled()) AsUser([&] { bar.put_Value(value); });
}

pages::Element& HeadlessPageView::Find(std::u16string_view fullName) {
    for (pages::Element* element : page_.Elements())
        if (element->FullName() == fullName) return *element;
    pages::RaiseNoSuchElement();
}

void HeadlessPageView::ElementUpdated(const pages::Element& element, std::string_view property) {
    log_.push_back(ToUtf8(element.FullName()) + "." + std::string(property) + " " + Shown(element, property));
}

void HeadlessPageView::ChangedUpdated(bool changed) { log_.push_back("Changed " + TrueFalse(changed)); }

}  // namespace lumora::headless
