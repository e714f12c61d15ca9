// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string_view>

#include "lumora/platform/Picture.h"
#include "lumora/platform/PictureFiles.h"
#include "lumora/runtime/Types.h"

// The elements the pages and the About box are made of, with the platform's
// own rules: a text box written with a different text raises its Change at
// once, a check box holds 0 or 1 and raises Click when its value changes, a
// scroll bar whose range no longer holds its value moves the value into the
// range and raises Change. A view shows the elements and feeds the user's
// input into them; the page's logic listens to their notifications.
namespace lumora::pages {

// Left, top, width and height in twips, relative to the page, the form or
// the frame that holds the element.
struct Placement {
    Long Left = 0;
    Long Top = 0;
    Long Width = 0;
    Long Height = 0;

    friend constexpr bool operator==(const Placement&, const Placement&) = default;
};

// The font and colour of an element's text.
struct TextLook {
    String FontName = u"MS Sans Serif";
    Single FontSize = 8.25f;
    bool Bold = false;
    bool Underline = false;
    // The system's button-text colour.
    OLE_COLOR ForeColor = 0x80000012;

    friend bool operator==(const TextLook&, const TextLook&) = default;
};

class Element;

// A view of elements: it hears of every change of what they show, so that
// it can show it too.
class IElementView {
public:
    virtual ~IElementView() = default;

    // property names what changed: "Text", "Value", "Max", "Picture",
    // "Enabled", "Caption".
    virtual void ElementUpdated(const Element& element, std::string_view property) = 0;
};

// What every element has: a name (with its index in a control array), a
// place, a caption and a tooltip.
class Element {
public:
    // The index of an element that is not part of a control array.
    static constexpr Integer kNoIndex = -1;

    Element(String name, Placement placement, Integer index = kNoIndex)
        : name_(std::move(name)), index_(index), placement_(placement) {}
    virtual ~Element() = default;
    Element(const Element&) = delete;
    Element& operator=(const Element&) = delete;

    // "TextBox", "Label", ...: which kind of widget a view makes for it.
    virtual std::string_view Kind() const noexcept = 0;

    const String& Name() const noexcept { return name_; }
    Integer Index() const noexcept { return index_; }
    // The name as code refers to it: "txtHeight", "txt(0)".
    String FullName() const;
    const Placement& placement() const noexcept { return placement_; }
    // The frame the element sits in, or null for the page or form itself.
    const Element* Container() const noexcept { return container_; }
    void SetContainer(const Element* container) noexcept { container_ = container; }

    const String& get_Caption() const noexcept { return caption_; }
    void put_Caption(const String& caption);
    const String& get_ToolTipText() const noexcept { return toolTipText_; }
    void put_ToolTipText(const String& text) { toolTipText_ = text; }
    bool get_Enabled() const noexcept { return enabled_; }
    void put_Enabled(bool enabled);
    bool get_Visible() const noexcept { return visible_; }
    void put_Visible(bool visible) { visible_ = visible; }
    const TextLook& Look() const noexcept { return look_; }
    void SetLook(const TextLook& look) { look_ = look; }
    // The name of the image stored with the page or form that the view
    // draws on the element (a button's picture, a picture box's artwork);
    // empty for none.
    const String& Artwork() const noexcept { return artwork_; }
    void SetArtwork(const String& artwork) { artwork_ = artwork; }

    void Observe(IElementView* view) noexcept { view_ = view; }

protected:
    void Updated(std::string_view property) {
        if (view_) view_->ElementUpdated(*this, property);
    }
    static void Fire(const std::function<void()>& handler) {
        if (handler) handler();
    }

private:
    String name_;
    Integer index_;
    Placement placement_;
    const Element* container_ = nullptr;
    String caption_;
    String toolTipText_;
    bool enabled_ = true;
    bool visible_ = true;
    TextLook look_;
    String artwork_;
    IElementView* view_ = nullptr;
};

class Label final : public Element {
public:
    using Element::Element;
    std::string_view Kind() const noexcept override { return "Label"; }

    // The pointer shown while the mouse is over the label (vbDefault, or
    // vbCustom for the label's own cursor).
    Integer MousePointer = 0;
    std::function<void()> onClick;

    void Click() { Fire(onClick); }
};

// A frame: a caption around the elements it holds.
class Frame final : public Element {
public:
    using Element::Element;
    std::string_view Kind() const noexcept override { return "Frame"; }
};

// A separator line from (Left, Top) to (Left + Width, Top + Height).
class Line final : public Element {
public:
    using Element::Element;
    std::string_view Kind() const noexcept override { return "Line"; }
};

class Button final : public Element {
public:
    using Element::Element;
    std::string_view Kind() const noexcept override { return "Button"; }

    std::function<void()> onClick;

    void Click() { Fire(onClick); }
};

class TextBox final : public Element {
public:
    using Element::Element;
    std::string_view Kind() const noexcept override { return "TextBox"; }

    bool MultiLine = false;
    bool Locked = false;
    std::function<void()> onChange;

    const String& get_Text() const noexcept { return text_; }
    // A different text raises Change before the write returns; the same
    // text raises nothing.
    void put_Text(const String& text);

private:
    String text_;
};

class CheckBox final : public Element {
public:
    static constexpr Integer vbUnchecked = 0;
    static constexpr Integer vbChecked = 1;

    using Element::Element;
    std::string_view Kind() const noexcept override { return "CheckBox"; }

    std::function<void()> onClick;

    Integer get_Value() const noexcept { return value_; }
    // 0 or 1, else error 380. A different value raises Click.
    void put_Value(Integer value);
    // The user clicks the box: it toggles.
    void Toggle() { put_Value(value_ == vbChecked ? vbUnchecked : vbChecked); }

private:
    Integer value_ = vbUnchecked;
};

class ScrollBar final : public Element {
public:
    using Element::Element;
    std::string_view Kind() const noexcept override { return "ScrollBar"; }

    std::function<void()> onChange;

    Integer get_Min() const noexcept { return min_; }
    Integer get_Max() const noexcept { return max_; }
    Integer get_Value() const noexcept { return value_; }
    // A new range that no longer holds the value moves the value to its
    // nearest end, raising Change.
    void put_Min(Integer min);
    void put_Max(Integer max);
    // A value outside the range raises error 380; a different one raises
    // Change.
    void put_Value(Integer value);

private:
    // The range runs from the smaller to the larger of Min and Max: a bar
    // whose Max lies below its Min runs the other way.
    void KeepValueInRange();
    void SetValue(Integer value);

    Integer min_ = 0;
    Integer max_ = 32767;
    Integer value_ = 0;
};

class PictureBox final : public Element {
public:
    using Element::Element;
    std::string_view Kind() const noexcept override { return "PictureBox"; }

    // The box takes its picture's size.
    bool AutoSize = false;
    // 0 none, 1 a single line.
    Integer BorderStyle = 0;
    OLE_COLOR BackColor = 0x8000000F;
    std::function<void()> onChange;

    const PicturePtr& get_Picture() const noexcept { return picture_; }
    // A different picture (none included) raises Change.
    void putref_Picture(const PicturePtr& picture);
    // The picture as the box shows it, composed over its background by the
    // surface the view gave it; error 481 without one.
    PicturePtr get_Image();
    // The view's drawing surface for the box, which composes Image.
    void AttachSurface(IPictureBox* surface) noexcept { surface_ = surface; }

private:
    PicturePtr picture_;
    IPictureBox* surface_ = nullptr;
};

// Elements of one name told apart by their index, as txt(0) and txt(1).
template <typename T>
class ControlArray {
public:
    T& Add(String name, Placement placement, Integer index) {
        auto element = std::make_unique<T>(std::move(name), placement, index);
        T& added = *element;
        elements_[index] = std::move(element);
        return added;
    }
    // Error 340 for an index the array does not hold.
    T& operator()(Integer index) const;

    auto begin() const { return elements_.begin(); }
    auto end() const { return elements_.end(); }

private:
    std::map<Integer, std::unique_ptr<T>> elements_;
};

// The runtime's error for an element index the array lacks.
[[noreturn]] void RaiseNoSuchElement();

template <typename T>
T& ControlArray<T>::operator()(Integer index) const {
    const auto found = elements_.find(index);
    if (found == elements_.end()) RaiseNoSuchElement();
    return *found->second;
}

}  // namespace lumora::pages
