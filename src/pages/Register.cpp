// SPDX-License-Identifier: MIT
#include "lumora/pages/Register.h"

#include "control/PictureConversion.h"
#include "lumora/runtime/RuntimeError.h"
#include "pages/Product.h"
#include "runtime/Arithmetic.h"
#include "runtime/CodePage.h"
#include "runtime/NumberFormat.h"
#include "support/basTempFile.h"
#include "support/mCommonDialog.h"

namespace lumora::pages {
namespace {

// The page's size in twips.
constexpr Long kPageWidth = 5700;
constexpr Long kPageHeight = 3600;
// Index of the caption and the width field in the txt array.
constexpr Integer kCaptionField = 0;
constexpr Integer kWidthField = 1;
// A column's width when the width field is left empty.
constexpr const char16_t* kDefaultWidthText = u"60";
constexpr Long kNewColumnWidth = 60;
// A caption field left empty gives the column one blank, never no caption.
constexpr const char16_t* kBlankCaption = u" ";

constexpr const char16_t* kOpenTitle = u"Lade Spalten Bild";
constexpr const char16_t* kOpenFilter = u"Alle Bild Dateien|*.bmp;*.ico";
constexpr const char16_t* kOpenDefaultExt = u"*.*";
constexpr const char16_t* kIconExtension = u"ico";
constexpr const char16_t* kInvalidPicture = u"Ungültiges Bild";
constexpr const char16_t* kInvalidPictureTitle = u"Bild einfügen";

// Whether the file ShowOpen returned names an icon: the three characters in
// front of its final NUL, in any case, are "ico".
bool IsIconFile(const String& chosen) {
    String last = chosen.size() > 4 ? chosen.substr(chosen.size() - 4) : chosen;
    while (!last.empty() && last.back() == u' ') last.pop_back();
    return LCase(last.substr(0, 3)) == kIconExtension;
}

// The path in front of the NUL that ShowOpen leaves at the end; the
// platform's file calls read a name up to its NUL.
String PathOf(const String& chosen) { return chosen.substr(0, chosen.find(u'\0')); }

// picTemp as the icon conversion sees it. Pictures go through the element,
// so the page's view sees what picTemp shows.
class ElementPictureBox final : public IPictureBox {
public:
    explicit ElementPictureBox(PictureBox& element) noexcept : element_(element) {}

    void putref_Picture(const PicturePtr& picture) override { element_.putref_Picture(picture); }
    PicturePtr get_Picture() override { return element_.get_Picture(); }
    PicturePtr get_Image() override { return element_.get_Image(); }

private:
    PictureBox& element_;
};

}  // namespace

Register::Register(ISelectedControls& selection, RegisterServices services)
    : PropertyPage(u"Header-Spalten", kPageWidth, kPageHeight, selection), services_(services) {
    CreateElements();
    hsb.onChange = [this] { hsb_Change(); };
    cmdAddTab.onClick = [this] { cmdAddTab_Click(); };
    cmdDelete.onClick = [this] { cmdDelete_Click(); };
    cmdOpenDlg.onClick = [this] { cmdOpenDlg_Click(); };
    cmdDel.onClick = [this] { cmdDel_Click(); };
    for (auto& [index, field] : txt) field->onChange = [this, index = index] { txt_Change(index); };
    picTab.onChange = [this] { picTab_Change(); };
}

void Register::CreateElements() {
    lbl.Add(u"lbl", {255, 270, 975, 255}, 3).put_Caption(u"Index:");
    lbl.Add(u"lbl", {270, 600, 1575, 255}, 0).put_Caption(u"Spalten Beschriftung:");
    lbl.Add(u"lbl", {270, 960, 1125, 255}, 1).put_Caption(u"Spalten Breite:");
    txt.Add(u"txt", {1950, 600, 3615, 285}, kCaptionField).put_ToolTipText(u"Register Beschriftung (Caption)");
    txt.Add(u"txt", {1950, 960, 1215, 285}, kWidthField).put_ToolTipText(u"Register Breite");
    // Until a control is loaded the bar stands on the first column.
    hsb.put_Min(1);
    hsb.put_Max(1);
    hsb.put_Value(1);
    cmdAddTab.put_Caption(u"Hinzufügen");
    cmdAddTab.put_ToolTipText(u"Registerblatt hinzufügen");
    cmdDelete.put_Caption(u"Löschen");
    cmdDelete.put_ToolTipText(u"Registerblatt löschen");
    Frame1.put_Caption(u"Spalten Bild:");
    picTab.SetContainer(&Frame1);
    picTab.AutoSize = true;
    picTab.BorderStyle = 1;
    cmdOpenDlg.SetContainer(&Frame1);
    cmdOpenDlg.put_ToolTipText(u"Bild auswählen");
    cmdOpenDlg.SetArtwork(u"open-folder-16");
    cmdDel.SetContainer(&Frame1);
    cmdDel.put_ToolTipText(u"Bild löschen");
    cmdDel.SetArtwork(u"red-cross-16");
    picTemp.put_Visible(false);
    picTemp.AutoSize = true;
    picTemp.BackColor = kMaskMagenta;
    picTemp.AttachSurface(&services_.picTempSurface);
}

// A column's properties are edited for the column the fields show; its
// count grows with the add button.
Element* Register::EditorOf(std::u16string_view property) {
    if (property == u"RowCaption") return &txt(kCaptionField);
    if (property == u"RowWidth") return &txt(kWidthField);
    if (property == u"RowPicture") return &cmdOpenDlg;
    if (property == u"NumberOfRows") return &cmdAddTab;
    return nullptr;
}

std::vector<Element*> Register::Elements() {
    return {&lbl(3), &txtIndex,         &hsb,    &cmdAddTab, &cmdDelete,  &lbl(0), &txt(kCaptionField),
            &lbl(1), &txt(kWidthField), &Frame1, &picTab,    &cmdOpenDlg, &cmdDel, &picTemp};
}

LumoraListControl& Register::Edited() {
    if (!edited_) Raise(err::kObjectNotSet);
    return *edited_;
}

bool Register::ShowsColumnOfControl() {
    return edited_ && shownColumn_ >= 1 && shownColumn_ <= edited_->get_NumberOfRows();
}

// ------------------------------------------------------------ the sheet

void Register::SelectionChanged() {
    // With nothing selected the page lets go of the control it edited, so
    // that it never reaches a control that may be gone.
    edited_ = nullptr;
    shownColumn_ = 0;
    SkipOnError([&] { edited_ = &FirstSelected(); });
    if (!edited_ || edited_->get_NumberOfRows() == 0) return;
    selecting_ = true;
    SkipOnError([&] { hsb.put_Max(Narrow<Integer>(edited_->get_NumberOfRows())); });
    txtIndex.put_Text(u"1");
    shownColumn_ = 1;
    LoadColumn(false);
    selecting_ = false;
}

void Register::ApplyChanges() {
    if (txt(kWidthField).get_Text().empty()) txt(kWidthField).put_Text(kDefaultWidthText);
    if (!ShowsColumnOfControl()) return;
    const Long column = shownColumn_;
    SkipOnError([&] {
        const String& caption = txt(kCaptionField).get_Text();
        Edited().put_RowCaption(column, caption.empty() ? String(kBlankCaption) : caption);
    });
    SkipOnError([&] { Edited().put_RowWidth(column, CLng(ParseNumber(txt(kWidthField).get_Text()))); });
    SkipOnError([&] { Edited().putref_RowPicture(column, picTab.get_Picture()); });
}

// ------------------------------------------------------------ columns

void Register::hsb_Change() { LoadColumn(!selecting_); }

void Register::LoadColumn(bool applyPending) {
    const Long column = hsb.get_Value();
    txtIndex.put_Text(DecimalText(column));
    if (applyPending && get_Changed() && column != shownColumn_) ApplyChanges();
    shownColumn_ = column;
    SkipOnError([&] { txt(kCaptionField).put_Text(Edited().get_RowCaption(column)); });
    SkipOnError([&] { txt(kWidthField).put_Text(DecimalText(Edited().get_RowWidth(column))); });
    SkipOnError([&] { picTab.putref_Picture(Edited().get_RowPicture(column)); });
    cmdDelete.put_Enabled(column != 0);
}

void Register::cmdAddTab_Click() {
    // Unlike the other handlers, a failure here ends the handler and goes to
    // the host, which reports it: the designer must learn that no column
    // was added.
    if (get_Changed()) ApplyChanges();
    PicturePtr noPicture;
    const Long added = Edited().AddRow(kNewColumnWidth, String(), noPicture);
    hsb.put_Max(Narrow<Integer>(added));
    hsb.put_Value(Narrow<Integer>(added));
    put_Changed(true);
    shownColumn_ = added;
    picTab.putref_Picture(nullptr);
}

void Register::cmdDelete_Click() {
    SkipOnError([&] { Edited().DeleteRow(); });
    SkipOnError([&] { hsb.put_Max(Narrow<Integer>(Edited().get_NumberOfRows())); });
    put_Changed(true);
}

void Register::cmdDel_Click() {
    picTab.putref_Picture(nullptr);
    put_Changed(true);
}

// ------------------------------------------------------------ pictures

void Register::cmdOpenDlg_Click() {
    try {
        const String chosen = mCommonDialog::ShowOpen(services_.fileDialog, kOpenTitle, kOpenFilter, kOpenDefaultExt);
        if (chosen.empty()) return;
        picTab.putref_Picture(LoadChosenPicture(chosen));
        put_Changed(true);
    } catch (const RuntimeError& error) {
        if (error.number() == err::kInvalidPicture) {
            services_.dialogs.MsgBox(kInvalidPicture, vbCritical, kInvalidPictureTitle);
        } else {
            services_.dialogs.MsgBox(DecimalText(error.number()) + u"\r\n" + FromUtf8(error.description()), vbOKOnly,
                                     product::kDefaultMessageTitle);
        }
    }
}

PicturePtr Register::LoadChosenPicture(const String& chosen) {
    if (IsIconFile(chosen)) return IconAsBitmap(PathOf(chosen));
    return services_.pictureFiles.LoadPicture(PathOf(chosen));
}

PicturePtr Register::IconAsBitmap(const String& file) {
    ElementPictureBox box(picTemp);
    IPictureFiles& pictures = services_.pictureFiles;
    IFileSystem& files = services_.files;
    return PictureConversion::ComposeIconAsBitmap(
        box, pictures, files, [&] { return pictures.LoadPicture(file); },
        [&](const String& bitmapFile) {
            // A save that wrote no file leaves picTab's picture as it is.
            if (!files.FileExists(bitmapFile)) return picTab.get_Picture();
            return pictures.LoadPicture(bitmapFile);
        });
}

}  // namespace lumora::pages
