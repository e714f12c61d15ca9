// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/pages/PropertyPage.h"
#include "lumora/platform/Dialogs.h"
#include "lumora/platform/FileDialog.h"
#include "lumora/platform/PictureFiles.h"

namespace lumora::pages {

// What the columns page needs of the platform besides the control.
struct RegisterServices {
    IDialogs& dialogs;
    IFileDialog& fileDialog;
    IPictureFiles& pictureFiles;
    IFileSystem& files;
    // The drawing surface of the hidden picture box picTemp, on which icons
    // become bitmaps.
    IPictureBox& picTempSurface;
};

// The columns page: steps through the columns of the first selected
// control, edits the shown column's caption, width and picture, adds a
// column at the end and removes the last one.
class Register final : public PropertyPage {
public:
    Register(ISelectedControls& selection, RegisterServices services);

    void SelectionChanged() override;
    void ApplyChanges() override;
    Element* EditorOf(std::u16string_view property) override;
    std::vector<Element*> Elements() override;

    // The index of the column the fields show, 0 before any.
    Long ShownColumn() const noexcept { return shownColumn_; }

    ControlArray<Label> lbl;
    TextBox txtIndex{u"txtIndex", {1950, 240, 735, 285}};
    ScrollBar hsb{u"hsb", {2700, 240, 435, 285}};
    Button cmdAddTab{u"cmdAddTab", {3600, 240, 1035, 285}};
    Button cmdDelete{u"cmdDelete", {4640, 240, 945, 285}};
    ControlArray<TextBox> txt;
    Frame Frame1{u"Frame1", {120, 1350, 3060, 2055}};
    PictureBox picTab{u"picTab", {135, 270, 1650, 1590}};
    Button cmdOpenDlg{u"cmdOpenDlg", {1920, 285, 435, 435}};
    Button cmdDel{u"cmdDel", {2400, 285, 435, 435}};
    PictureBox picTemp{u"picTemp", {3840, 1920, 1740, 1500}};

private:
    // Shows column hsb.Value; first writes the edits of the column being
    // left into it unless a selection change is loading the columns.
    void hsb_Change();
    void LoadColumn(bool applyPending);
    void cmdAddTab_Click();
    void cmdDelete_Click();
    void cmdOpenDlg_Click();
    void cmdDel_Click();
    void txt_Change(Integer) { put_Changed(true); }
    void picTab_Change() { put_Changed(true); }

    // The chosen file as a picture for picTab; an icon comes back as a
    // bitmap over picTemp's background.
    PicturePtr LoadChosenPicture(const String& file);
    PicturePtr IconAsBitmap(const String& file);
    // Whether the edited control has a column at the shown index: edits are
    // written into nothing else.
    bool ShowsColumnOfControl();
    LumoraListControl& Edited();
    void CreateElements();

    RegisterServices services_;
    LumoraListControl* edited_ = nullptr;
    Long shownColumn_ = 0;
    bool selecting_ = false;
};

}  // namespace lumora::pages
