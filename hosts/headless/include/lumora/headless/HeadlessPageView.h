// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lumora/control/LumoraListControl.h"
#include "lumora/pages/PropertyPage.h"

namespace lumora::headless {

// The designer's selection as a property sheet holds it.
class SheetSelection final : public pages::ISelectedControls {
public:
    void Select(std::vector<LumoraListControl*> controls) { controls_ = std::move(controls); }

    Long Count() override { return static_cast<Long>(controls_.size()); }
    LumoraListControl& Item(Long index) override;

private:
    std::vector<LumoraListControl*> controls_;
};

// A property sheet without a screen, showing one page: the test plays the
// designer (selects controls, presses Apply) and the user (types, clicks,
// scrolls), and the view writes down what the page shows in return, one
// line per change:
//
//   "txtHeight.Text 12"        an element's text, value, caption, maximum
//   "cmdDelete.Enabled False"
//   "picTab.Picture bitmap"    a picture box's picture ("none" when cleared)
//   "Changed True"             the page's Changed flag (the Apply button)
//   "Error 91 Object ..."      an error a handler passed on to the host
class HeadlessPageView final : private pages::IPageView {
public:
    HeadlessPageView(pages::PropertyPage& page, SheetSelection& selection);
    ~HeadlessPageView() override;
    HeadlessPageView(const HeadlessPageView&) = delete;
    HeadlessPageView& operator=(const HeadlessPageView&) = delete;

    // The designer selects controls; the page hears SelectionChanged.
    void Select(std::vector<LumoraListControl*> controls);
    // The Apply button: only while the page is marked changed, which the
    // sheet clears after ApplyChanges.
    void PressApply();

    // The user replaces a text box's text, clicks a button, a label or a
    // check box, or moves a scroll bar. Disabled elements take no input.
    void Type(std::u16string_view element, const String& text);
    void Click(std::u16string_view element);
    void Scroll(std::u16string_view element, Integer value);

    // The element of that full name ("txt(0)"); error 340 if the page has
    // none.
    pages::Element& Find(std::u16string_view fullName);
    template <typename T>
    T& Get(std::u16string_view fullName) {
        return dynamic_cast<T&>(Find(fullName));
    }

    std::vector<std::string> TakeLog() { return std::exchange(log_, {}); }
    const std::vector<std::string>& log() const noexcept { return log_; }

private:
    void ElementUpdated(const pages::Element& element, std::string_view property) override;
    void ChangedUpdated(bool changed) override;
    // Runs a piece of user input; an error a handler passes on reaches the
    // host, which reports it.
    template <typename Input>
    void AsUser(Input&& input);

    pages::PropertyPage& page_;
    SheetSelection& selection_;
    std::vector<std::string> log_;
};

}  // namespace lumora::headless
