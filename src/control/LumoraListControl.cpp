// SPDX-License-Identifier: MIT
#include "lumora/control/LumoraListControl.h"

#include "control/basAllgemein.h"
#include "lumora/runtime/RuntimeError.h"
#include "runtime/Arithmetic.h"
#include "runtime/NumberFormat.h"

namespace lumora {
namespace {

// A column added without a width.
constexpr Long kDefaultColumnWidth = 60;
// The caption a column gets when it is added without one.
constexpr const char16_t* kDefaultCaption = u"Spalte";
// Separator of the ColumnWidths list.
constexpr const char16_t* kWidthDelimiter = u";";

// What a newly placed control looks like.
constexpr Long kNewHeaderHeight = 25;
constexpr OLE_COLOR kNewBackColor = RGB(249, 250, 253);
constexpr OLE_COLOR kNewBackColorForm = RGB(255, 255, 255);
// The system's button-text colour.
constexpr OLE_COLOR kNewForeColor = 0x80000012;
constexpr OLE_COLOR kNewForeColorActive = 0;
constexpr OLE_COLOR kNewForeColorHot = 0;
constexpr OLE_COLOR kNewFrameColor = RGB(105, 105, 105);
constexpr OLE_COLOR kNewMaskColor = kMaskMagenta;
constexpr OLE_COLOR kNewAccentColors[3] = {RGB(232, 144, 40), RGB(255, 208, 56), RGB(255, 200, 56)};
constexpr const char16_t* kNewFontName = u"MS Sans Serif";
constexpr Single kNewFontSize = 8;

}  // namespace

LumoraListControl::LumoraListControl(IControlSite& site) : site_(site), drawingFont_(site.get_Font()) {}

LumoraListControl::~LumoraListControl() { Terminate(); }

// ---------------------------------------------------------------- lifecycle

void LumoraListControl::InitProperties() {
    imageCurrent_ = false;
    AddRow();
    headerHeight_ = kNewHeaderHeight;
    backColor_ = kNewBackColor;
    site_.put_BackColor(kNewBackColor);
    backColorForm_ = kNewBackColorForm;
    foreColor_ = kNewForeColor;
    site_.put_ForeColor(kNewForeColor);
    foreColorActive_ = kNewForeColorActive;
    foreColorHot_ = kNewForeColorHot;
    frameColor_ = kNewFrameColor;
    maskColor_ = kNewMaskColor;
    for (int i = 0; i < 3; ++i) {
        mouseMoveColor_[i] = kNewAccentColors[i];
        registerFocusColor_[i] = kNewAccentColors[i];
    }
    showFrame_ = kTrue;
    showSortPic_ = kTrue;
    put_FontName(kNewFontName);
    put_FontBold(kFalse);
    put_FontSize(kNewFontSize);
    // A new control takes the container's font, while the font properties
    // keep the values just written.
    AdoptDrawingFont(site_.AmbientFont());
    sortedRow_ = 0;
}

void LumoraListControl::Resize() { DrawTab(); }

void LumoraListControl::Terminate() noexcept {
    imageCurrent_ = false;
    columns_.Release();
    columnRects_.clear();
}

void LumoraListControl::AdoptDrawingFont(const FontPtr& font) {
    if (!font) Raise(err::kObjectNotSet);
    // The captions change with the font, and no pass follows here.
    imageCurrent_ = false;
    drawingFont_ = font->Clone();
    site_.putref_Font(drawingFont_);
}

// ------------------------------------------------------------------ columns

Long LumoraListControl::AddRow(OptionalRef<Long> iTabWidth, OptionalRef<String> sTabText,
                               OptionalRef<PicturePtr> pTabPicture) {
    const Long width = iTabWidth.OrDefault(kDefaultColumnWidth);
    String& text = sTabText.OrDefault(String());
    PicturePtr& picture = pTabPicture.OrDefault(nullptr);
    // The caller's variable holds the converted bitmap afterwards.
    picture = ConvertIconToBitmap(picture);

    // The count only grows when the list can grow with it, so the two never
    // disagree.
    const Long column = CheckedAdd<Long>(numberOfRows_, 1);
    if (!ColumnList::CanHold(column)) Raise(err::kOutOfMemory);
    numberOfRows_ = column;
    columns_.ResizeKeeping(column);

    columns_.Slot(column).RowWidth = width;
    if (!text.empty()) {
        columns_.Slot(column).RowCaption = text;
        SetTabAccessKeys();
    } else {
        text = kDefaultCaption;
        columns_.Slot(column).RowCaption = kDefaultCaption;
    }
    columns_.Slot(column).RowSort = kFalse;
    columns_.Slot(column).RowPicture = picture;
    NotifyAndRepaint(u"NumberOfRows");
    return numberOfRows_;
}

Variant LumoraListControl::DeleteRow() {
    // The removed record stays in its slot as a spare until the next AddRow.
    if (numberOfRows_ > 1) --numberOfRows_;
    NotifyAndRepaint(u"NumberOfRows");
    return Variant();
}

Long LumoraListControl::get_RowWidth(Long Index) { return columns_.Slot(Index).RowWidth; }

void LumoraListControl::put_RowWidth(Long Index, Long NewTabWidth) {
    columns_.Slot(Index).RowWidth = NewTabWidth;
    DrawTab();
    site_.PropertyChanged(u"RowWidth");
}

String LumoraListControl::get_RowCaption(Long Index) { return columns_.Slot(Index).RowCaption; }

void LumoraListControl::put_RowCaption(Long Index, const String& NewTabCaption) {
    cTabs& column = columns_.Slot(Index);
    // The access keys go to the host before the pass, which may not come.
    imageCurrent_ = false;
    column.RowCaption = NewTabCaption;
    SetTabAccessKeys();
    DrawTab();
    site_.PropertyChanged(u"RowCaption");
}

Boolean LumoraListControl::get_RowSorted(Long Index) { return columns_.Slot(Index).RowSort; }

void LumoraListControl::put_RowSorted(Long Index, Boolean NewTabSort) {
    columns_.Slot(Index).RowSort = NewTabSort;
    DrawTab();
    site_.PropertyChanged(u"RowSorted");
}

PicturePtr LumoraListControl::get_RowPicture(Long Index) { return columns_.Slot(Index).get_RowIcon(); }

void LumoraListControl::putref_RowPicture(Long Index, PicturePtr NewTabPicture) {
    columns_.Slot(Index).RowPicture = ConvertIconToBitmap(NewTabPicture);
    DrawTab();
    site_.PropertyChanged(u"RowPicture");
}

void LumoraListControl::put_ColumnWidths(const String& varNew) noexcept {
    // The write stops silently at its first failure, typically an empty
    // token of a list shorter than the strip; the widths set up to there stay.
    imageCurrent_ = false;
    SkipOnError([&] {
        const Integer count = Narrow<Integer>(numberOfRows_);
        for (int i = 1; i <= count; ++i) {
            const String token = basAllgemein::fnc_GetToken(varNew, static_cast<Integer>(i), kWidthDelimiter);
            columns_.Slot(i).RowWidth = CLng(ParseNumber(token));
        }
        columnWidths_ = varNew;
        NotifyAndRepaint(u"ColumnWidths");
    });
}

void LumoraListControl::put_SelectedRow(Long NewSelectedTab) {
    if (NewSelectedTab > numberOfRows_) return;
    selectedRow_ = NewSelectedTab;
    String sort = columns_.Slot(NewSelectedTab).RowSort == kTrue ? kSortDescending : kSortAscending;
    Long sortColumn = sortedRow_;
    RaiseRowPressed(previousColumn_, sortColumn, sort);
    previousColumn_ = Narrow<Integer>(selectedRow_);
    NotifyAndRepaint(u"SelectedRow");
}

void LumoraListControl::ShowAboutBox() {
    SkipOnError([&] { site_.ShowAboutBox(); });
}

void LumoraListControl::put_SortedRow(Long NewSortedRow) {
    sortedRow_ = NewSortedRow;
    NotifyAndRepaint(u"SortedRow");
}

void LumoraListControl::RaiseRowPressed(Integer& previousColumn, Long& sortColumn, String& sort) {
    if (events_) events_->RowPressed(previousColumn, sortColumn, sort);
}

// --------------------------------------------------------------- appearance

void LumoraListControl::NotifyAndRepaint(const char16_t* name) {
    // What was stored shows only after the pass below, which the host's
    // handler of the change may keep from coming.
    imageCurrent_ = false;
    site_.PropertyChanged(name);
    DrawTab();
}

template <typename T>
void LumoraListControl::StoreAndRepaint(T& field, T value, const char16_t* name) {
    field = value;
    NotifyAndRepaint(name);
}

void LumoraListControl::put_HeaderHeight(Long NewTabHeight) {
    StoreAndRepaint(headerHeight_, NewTabHeight, u"HeaderHeight");
}

void LumoraListControl::put_BackColor(OLE_COLOR NewBackColor) {
    backColor_ = NewBackColor;
    site_.put_BackColor(NewBackColor);
    NotifyAndRepaint(u"BackColor");
}

void LumoraListControl::put_ForeColor(OLE_COLOR NewForeColor) {
    foreColor_ = NewForeColor;
    site_.put_ForeColor(NewForeColor);
    NotifyAndRepaint(u"ForeColor");
}

void LumoraListControl::put_ForeColorActive(OLE_COLOR NewForeColorActive) {
    StoreAndRepaint(foreColorActive_, NewForeColorActive, u"ForeColorActive");
}

void LumoraListControl::put_BackColorForm(OLE_COLOR NewBackColorForm) {
    StoreAndRepaint(backColorForm_, NewBackColorForm, u"BackColorForm");
}

void LumoraListControl::put_MouseMoveColor0(OLE_COLOR NewColor) {
    StoreAndRepaint(mouseMoveColor_[0], NewColor, u"MouseMoveColor0");
}
void LumoraListControl::put_MouseMoveColor1(OLE_COLOR NewColor) {
    StoreAndRepaint(mouseMoveColor_[1], NewColor, u"MouseMoveColor1");
}
void LumoraListControl::put_MouseMoveColor2(OLE_COLOR NewColor) {
    StoreAndRepaint(mouseMoveColor_[2], NewColor, u"MouseMoveColor2");
}
void LumoraListControl::put_RegisterFocusColor0(OLE_COLOR NewColor) {
    StoreAndRepaint(registerFocusColor_[0], NewColor, u"RegisterFocusColor0");
}
void LumoraListControl::put_RegisterFocusColor1(OLE_COLOR NewColor) {
    StoreAndRepaint(registerFocusColor_[1], NewColor, u"RegisterFocusColor1");
}
void LumoraListControl::put_RegisterFocusColor2(OLE_COLOR NewColor) {
    StoreAndRepaint(registerFocusColor_[2], NewColor, u"RegisterFocusColor2");
}
void LumoraListControl::put_FrameColor(OLE_COLOR NewFrameColor) {
    StoreAndRepaint(frameColor_, NewFrameColor, u"FrameColor");
}
void LumoraListControl::put_MaskColor(OLE_COLOR NewMaskColor) {
    StoreAndRepaint(maskColor_, NewMaskColor, u"MaskColor");
}
void LumoraListControl::put_Alignment(eTabAlignment NewAlignment) {
    StoreAndRepaint(alignment_, NewAlignment, u"Alignment");
}
void LumoraListControl::put_ShowFrame(Boolean varNew) { StoreAndRepaint(showFrame_, varNew, u"ShowFrame"); }
void LumoraListControl::put_ShowSortPic(Boolean varNew) { StoreAndRepaint(showSortPic_, varNew, u"ShowSortPic"); }

void LumoraListControl::put_ForeColorHot(OLE_COLOR NewForeColorHot) {
    // The hot caption is only drawn while the mouse moves, so the new colour
    // can wait for the next pass, which must then be whole.
    imageCurrent_ = false;
    foreColorHot_ = NewForeColorHot;
    site_.PropertyChanged(u"ForeColorHot");
}

// --------------------------------------------------------------------- font

namespace {

IFont& Use(const FontPtr& font) {
    if (!font) Raise(err::kObjectNotSet);
    return *font;
}

}  // namespace

void LumoraListControl::put_FontName(const String& vNew) {
    fontName_ = vNew;
    Use(drawingFont_).put_Name(vNew);
    NotifyAndRepaint(u"FontName");
}

void LumoraListControl::put_FontSize(Single vNew) {
    fontSize_ = vNew;
    Use(drawingFont_).put_Size(vNew);
    NotifyAndRepaint(u"FontSize");
}

void LumoraListControl::StoreFontFlag(Boolean& field, Boolean value, void (IFont::*put)(bool), const char16_t* name) {
    field = value;
    (Use(drawingFont_).*put)(value != kFalse);
    NotifyAndRepaint(name);
}

void LumoraListControl::put_FontBold(Boolean vNew) { StoreFontFlag(fontBold_, vNew, &IFont::put_Bold, u"FontBold"); }

void LumoraListControl::put_FontItalic(Boolean vNew) {
    StoreFontFlag(fontItalic_, vNew, &IFont::put_Italic, u"FontItalic");
}

void LumoraListControl::put_FontStrikethru(Boolean vNew) {
    StoreFontFlag(fontStrikethru_, vNew, &IFont::put_Strikethrough, u"FontStrikethru");
}

void LumoraListControl::put_FontUnderline(Boolean vNew) {
    StoreFontFlag(fontUnderline_, vNew, &IFont::put_Underline, u"FontUnderline");
}

void LumoraListControl::putref_Font(const FontPtr& New_Font) {
    assignedFont_ = New_Font;
    const IFont& source = Use(New_Font);
    IFont& target = Use(drawingFont_);
    target.put_Bold(source.get_Bold());
    target.put_Charset(source.get_Charset());
    target.put_Italic(source.get_Italic());
    target.put_Name(source.get_Name());
    target.put_Size(source.get_Size());
    target.put_Strikethrough(source.get_Strikethrough());
    target.put_Underline(source.get_Underline());
    target.put_Weight(source.get_Weight());

    put_FontBold(ToBoolean(source.get_Bold()));
    put_FontItalic(ToBoolean(source.get_Italic()));
    put_FontName(source.get_Name());
    put_FontSize(static_cast<Single>(source.get_Size()));
    put_FontStrikethru(ToBoolean(source.get_Strikethrough()));
    put_FontUnderline(ToBoolean(source.get_Underline()));
    NotifyAndRepaint(u"Font");
}

}  // namespace lumora
