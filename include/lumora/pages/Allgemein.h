// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/pages/PropertyPage.h"
#include "lumora/platform/Dialogs.h"

namespace lumora::pages {

// The general page: the frame, the sort pictures and the header height of
// the first selected control. It keeps nothing of the control; every read
// and write looks the control up again.
class Allgemein final : public PropertyPage {
public:
    Allgemein(ISelectedControls& selection, IDialogs& dialogs);

    void SelectionChanged() override;
    void ApplyChanges() override;
    std::vector<Element*> Elements() override;
    Element* EditorOf(std::u16string_view property) override;

    Label Label5{u"Label5", {240, 240, 1455, 255}};
    TextBox txtHeight{u"txtHeight", {240, 480, 1335, 285}};
    CheckBox chkFrame{u"chkFrame", {2880, 360, 2700, 285}};
    CheckBox chkSortPics{u"chkSortPics", {2880, 720, 2700, 285}};

private:
    void chkFrame_Click() { put_Changed(true); }
    void chkSortPics_Click() { put_Changed(true); }
    // Keeps the height field a whole number on every edit, letting a lone
    // minus sign stand while it is being typed.
    void txtHeight_Change();

    IDialogs& dialogs_;
};

}  // namespace lumora::pages
