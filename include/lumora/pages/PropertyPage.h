// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>
#include <vector>

#include "lumora/control/LumoraListControl.h"
#include "lumora/pages/PageElements.h"
#include "lumora/runtime/Types.h"

namespace lumora::pages {

// The controls selected in the form designer, as the host's property sheet
// hands them to its pages. The sheet tells every page when the selection
// changes, also when a selected control goes away.
class ISelectedControls {
public:
    virtual ~ISelectedControls() = default;

    virtual Long Count() = 0;
    // The control at index, counted from 0; error 9 outside the selection.
    virtual LumoraListControl& Item(Long index) = 0;
};

// A view of a page: its elements and its Changed flag.
class IPageView : public IElementView {
public:
    virtual void ChangedUpdated(bool changed) = 0;
};

// What every property page has: a caption, a size, the designer's
// selection and the Changed flag that enables the sheet's Apply button.
class PropertyPage {
public:
    PropertyPage(String caption, Long width, Long height, ISelectedControls& selection)
        : caption_(std::move(caption)), width_(width), height_(height), selection_(selection) {}
    virtual ~PropertyPage() = default;
    PropertyPage(const PropertyPage&) = delete;
    PropertyPage& operator=(const PropertyPage&) = delete;

    const String& Caption() const noexcept { return caption_; }
    // The page's size in twips.
    Long Width() const noexcept { return width_; }
    Long Height() const noexcept { return height_; }

    bool get_Changed() const noexcept { return changed_; }
    void put_Changed(bool changed);

    // The sheet's notifications: another selection is shown, and the user
    // confirmed the sheet or pressed Apply.
    virtual void SelectionChanged() = 0;
    virtual void ApplyChanges() = 0;

    virtual std::vector<Element*> Elements() = 0;
    // The element that edits the control's property of that name, for a
    // frame that opens the page at one property; null when the page does
    // not edit it.
    virtual Element* EditorOf(std::u16string_view property);
    // Lets view follow the page's elements and its Changed flag; null stops.
    void Observe(IPageView* view);

protected:
    // The first selected control; error 9 when nothing is selected.
    LumoraListControl& FirstSelected() { return selection_.Item(0); }

private:
    String caption_;
    Long width_;
    Long height_;
    ISelectedControls& selection_;
    bool changed_ = false;
    IPageView* view_ = nullptr;
};

// A whole number as decimal text, as the runtime's CStr gives it.
String DecimalText(Long value);

}  // namespace lumora::pages
