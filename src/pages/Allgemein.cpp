// SPDX-License-Identifier: MIT
#include "lumora/pages/Allgemein.h"

#include <cmath>

#include "lumora/runtime/RuntimeError.h"
#include "runtime/Arithmetic.h"
#include "runtime/NumberFormat.h"

namespace lumora::pages {
namespace {

// The page's size in twips.
constexpr Long kPageWidth = 5925;
constexpr Long kPageHeight = 3495;
// The text a minus sign being typed leaves in the height field.
constexpr const char16_t* kMinusSign = u"-";
constexpr const char16_t* kNumbersOnly = u"Bitte geben Sie nur Zahlen ein ohne Komma";
constexpr const char16_t* kNumbersOnlyTitle = u"Quarvex Control";
// What the height field falls back to after text that is no number.
constexpr const char16_t* kZero = u"0";

Integer CheckedOf(Boolean value) { return static_cast<Integer>(value & 1); }

}  // namespace

Allgemein::Allgemein(ISelectedControls& selection, IDialogs& dialogs)
    : PropertyPage(u"Allgemein", kPageWidth, kPageHeight, selection), dialogs_(dialogs) {
    Label5.put_Caption(u"Header-Höhe:");
    chkFrame.put_Caption(u"Show Frame");
    chkSortPics.put_Caption(u"Show SortPics");
    chkFrame.onClick = [this] { chkFrame_Click(); };
    chkSortPics.onClick = [this] { chkSortPics_Click(); };
    txtHeight.onChange = [this] { txtHeight_Change(); };
}

std::vector<Element*> Allgemein::Elements() { return {&Label5, &txtHeight, &chkFrame, &chkSortPics}; }

Element* Allgemein::EditorOf(std::u16string_view property) {
    if (property == u"HeaderHeight") return &txtHeight;
    if (property == u"ShowFrame") return &chkFrame;
    if (property == u"ShowSortPic") return &chkSortPics;
    return nullptr;
}

void Allgemein::SelectionChanged() {
    SkipOnError([&] { chkFrame.put_Value(CheckedOf(FirstSelected().get_ShowFrame())); });
    SkipOnError([&] { chkSortPics.put_Value(CheckedOf(FirstSelected().get_ShowSortPic())); });
    SkipOnError([&] { txtHeight.put_Text(DecimalText(FirstSelected().get_HeaderHeight())); });
    put_Changed(true);
}

void Allgemein::ApplyChanges() {
    SkipOnError([&] { FirstSelected().put_ShowFrame(ToBoolean(chkFrame.get_Value() == CheckBox::vbChecked)); });
    SkipOnError([&] { FirstSelected().put_ShowSortPic(ToBoolean(chkSortPics.get_Value() == CheckBox::vbChecked)); });
    SkipOnError([&] { FirstSelected().put_HeaderHeight(CLng(ParseNumber(txtHeight.get_Text()))); });
}

void Allgemein::txtHeight_Change() {
    if (txtHeight.get_Text() == kMinusSign) return;
    Double number = 0;
    if (!SkipOnError([&] { number = ParseNumber(txtHeight.get_Text()); })) {
        dialogs_.MsgBox(kNumbersOnly, vbCritical | vbOKOnly, kNumbersOnlyTitle);
        txtHeight.put_Text(kZero);
        return;
    }
    // Adding zero turns -0 into 0, as the runtime shows it. Writing the
    // whole number back runs this check once more on text that then stays.
    txtHeight.put_Text(FormatNumber(std::floor(number) + 0.0));
    put_Changed(true);
}

}  // namespace lumora::pages
