// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

#include "lumora/control/ColumnList.h"
#include "lumora/control/ControlEvents.h"
#include "lumora/platform/ControlSite.h"
#include "lumora/platform/Font.h"
#include "lumora/platform/Picture.h"
#include "lumora/platform/PropertyBag.h"
#include "lumora/runtime/OptionalRef.h"
#include "lumora/runtime/Types.h"
#include "lumora/runtime/Variant.h"

namespace lumora {

class cImageManipulation;

// Magenta, a new control's mask colour: icons are composed over it, so their transparent parts stay transparent.
inline constexpr OLE_COLOR kMaskMagenta = RGB(255, 0, 255);

// Where the strip is drawn. Only reg_Top paints; any other value is kept and
// paints nothing.
enum eTabAlignment : Long {
    reg_Top = 0,
    reg_Bottom = 1,
};

// Keys the strip answers while it has the focus, as the system's virtual key
// codes number them.
inline constexpr Integer kKeyTab = 0x09;
inline constexpr Integer kKeyEnter = 0x0D;
inline constexpr Integer kKeySpace = 0x20;
inline constexpr Integer kKeyEnd = 0x23;
inline constexpr Integer kKeyHome = 0x24;
inline constexpr Integer kKeyLeft = 0x25;
inline constexpr Integer kKeyRight = 0x27;

// A strip of column headers for a list: captions with access keys, widths,
// pictures, a pressed, a hot and a sorted look, and events that tell the
// host which column was pressed and in which direction to sort.
//
// Members follow the automation interface: a property X is get_X/put_X (an
// object property putref_X), indexed properties take Index first, and
// by-reference arguments write back into the caller's variables. A failing
// member throws RuntimeError with the runtime's error number; what it
// changed before the error stays changed.
class LumoraListControl {
public:
    explicit LumoraListControl(IControlSite& site);
    ~LumoraListControl();
    LumoraListControl(const LumoraListControl&) = delete;
    LumoraListControl& operator=(const LumoraListControl&) = delete;

    // The host's event sink; null stops events.
    void Advise(ILumoraListControlEvents* events) noexcept { events_ = events; }

    // Notifications from the host.
    void InitProperties();
    void ReadProperties(IPropertyBag& PropBag);
    void WriteProperties(IPropertyBag& PropBag);
    void Resize();
    void Terminate() noexcept;
    void MouseDown(Integer Button, Integer Shift, Single X, Single Y);
    void MouseMove(Integer Button, Integer Shift, Single X, Single Y);
    void MouseUp(Integer Button, Integer Shift, Single X, Single Y);
    // The strip gets the focus; byKeyboard when the keyboard brought it there
    // (Tab, an access key), which shows the focus cue.
    void GotFocus(bool byKeyboard = false);
    void LostFocus();

    // Keyboard, while the strip has the focus: Left, Right, Home and End move
    // the focused column; Space and Enter press it as a click presses it for
    // sorting, raising no mouse event. Returns whether the key was the
    // strip's own.
    bool KeyDown(Integer KeyCode, Integer Shift);
    // Presses a column for sorting as a click presses it, without mouse
    // events: what Space and Enter do, and what assistive technology asks
    // for. Returns false for an index that names no column.
    bool PressRow(Long column);
    // The column whose caption marks key as its access key (compared in
    // lower case, a character outside the BMP as one), or 0.
    Long ColumnOfAccessKey(char32_t key);
    // The host has focused the strip for an access key: the focused column
    // moves to the key's column and the focus cue shows. Returns whether a
    // column has that key.
    bool AccessKeyPressed(char32_t key);

    // Automation interface, in interface order.
    Long get_HeaderHeight() const noexcept { return headerHeight_; }
    void put_HeaderHeight(Long NewTabHeight);
    OLE_COLOR get_BackColor() const noexcept { return backColor_; }
    void put_BackColor(OLE_COLOR NewBackColor);
    OLE_COLOR get_ForeColor() const noexcept { return foreColor_; }
    void put_ForeColor(OLE_COLOR NewForeColor);
    OLE_COLOR get_ForeColorActive() const noexcept { return foreColorActive_; }
    void put_ForeColorActive(OLE_COLOR NewForeColorActive);
    OLE_COLOR get_BackColorForm() const noexcept { return backColorForm_; }
    void put_BackColorForm(OLE_COLOR NewBackColorForm);
    OLE_COLOR get_MouseMoveColor0() const noexcept { return mouseMoveColor_[0]; }
    void put_MouseMoveColor0(OLE_COLOR NewColor);
    OLE_COLOR get_MouseMoveColor1() const noexcept { return mouseMoveColor_[1]; }
    void put_MouseMoveColor1(OLE_COLOR NewColor);
    OLE_COLOR get_MouseMoveColor2() const noexcept { return mouseMoveColor_[2]; }
    void put_MouseMoveColor2(OLE_COLOR NewColor);
    void put_RegisterFocusColor0(OLE_COLOR NewColor);
    OLE_COLOR get_RegisterFocusColor0() const noexcept { return registerFocusColor_[0]; }
    void put_RegisterFocusColor1(OLE_COLOR NewColor);
    OLE_COLOR get_RegisterFocusColor1() const noexcept { return registerFocusColor_[1]; }
    void put_RegisterFocusColor2(OLE_COLOR NewColor);
    OLE_COLOR get_RegisterFocusColor2() const noexcept { return registerFocusColor_[2]; }
    OLE_COLOR get_FrameColor() const noexcept { return frameColor_; }
    void put_FrameColor(OLE_COLOR NewFrameColor);
    Long get_RowWidth(Long Index);
    void put_RowWidth(Long Index, Long NewTabWidth);
    String get_RowCaption(Long Index);
    void put_RowCaption(Long Index, const String& NewTabCaption);
    Boolean get_RowSorted(Long Index);
    void put_RowSorted(Long Index, Boolean NewTabSort);
    PicturePtr get_RowPicture(Long Index);
    void putref_RowPicture(Long Index, PicturePtr NewTabPicture);
    // The drawing font itself, not the object last assigned.
    FontPtr get_Font() const noexcept { return drawingFont_; }
    void putref_Font(const FontPtr& New_Font);
    Boolean get_FontBold() const noexcept { return fontBold_; }
    void put_FontBold(Boolean vNew);
    Boolean get_FontItalic() const noexcept { return fontItalic_; }
    void put_FontItalic(Boolean vNew);
    Boolean get_FontStrikethru() const noexcept { return fontStrikethru_; }
    void put_FontStrikethru(Boolean vNew);
    Boolean get_FontUnderline() const noexcept { return fontUnderline_; }
    void put_FontUnderline(Boolean vNew);
    Single get_FontSize() const noexcept { return fontSize_; }
    void put_FontSize(Single vNew);
    String get_FontName() const { return fontName_; }
    void put_FontName(const String& vNew);
    OLE_COLOR get_MaskColor() const noexcept { return maskColor_; }
    void put_MaskColor(OLE_COLOR NewMaskColor);
    Long get_NumberOfRows() const noexcept { return numberOfRows_; }
    eTabAlignment get_Alignment() const noexcept { return alignment_; }
    void put_Alignment(eTabAlignment NewAlignment);
    OLE_COLOR get_ForeColorHot() const noexcept { return foreColorHot_; }
    void put_ForeColorHot(OLE_COLOR NewForeColorHot);
    Long get_SortedRow() const noexcept { return sortedRow_; }
    void put_SortedRow(Long NewSortedRow);
    Boolean get_ShowFrame() const noexcept { return showFrame_; }
    void put_ShowFrame(Boolean varNew);
    Boolean get_ShowSortPic() const noexcept { return showSortPic_; }
    void put_ShowSortPic(Boolean varNew);
    String get_ColumnWidths() const { return columnWidths_; }
    void put_ColumnWidths(const String& varNew) noexcept;
    Long get_SelectedRow() const noexcept { return selectedRow_; }
    void put_SelectedRow(Long NewSelectedTab);
    // The one whole repaint: every change that affects the look ends here,
    // but for the pointer, a press and the focus, which repaint only the
    // columns they change (RepaintLooks).
    void DrawTab();
    void DrawTabTop();
    Long AddRow(OptionalRef<Long> iTabWidth = {}, OptionalRef<String> sTabText = {},
                OptionalRef<PicturePtr> pTabPicture = {});
    Variant DeleteRow();
    // The picture's size in screen pixels, 0 and 0 without a picture.
    void GetPictureSize(const PicturePtr& pPicture, Single& picX, Single& picY);
    void SetTabAccessKeys();
    Long GetTabAccessKey(const Integer& iKey) const noexcept;
    // Shows the About box; whatever fails while it loads or shows is
    // ignored, so the call always returns normally.
    void ShowAboutBox();

    // Interaction state that tests and the painter read.
    Integer PreviousTab() const noexcept { return previousColumn_; }
    Long HotRow() const noexcept { return hotColumn_; }
    const String& TabAccessKeys() const noexcept { return tabAccessKeys_; }
    const FontPtr& AssignedFont() const noexcept { return assignedFont_; }
    const std::vector<Rect>& RowRects() const noexcept { return columnRects_; }
    bool HasFocus() const noexcept { return hasFocus_; }
    // What assistive technology reads for a column: its caption without the
    // access-key marker ("&&" reads "&"), and its sort in words, "sorted
    // ascending", "sorted descending" or "" for a column not sorted by.
    String SpokenRowCaption(Long Index);
    String RowSortDescription(Long Index);
    // The column the keyboard acts on while the strip has the focus, or 0
    // when the strip has no columns.
    Long FocusedRow() const noexcept;
    // The focus cue shows only while the strip has the focus and the last
    // input was the keyboard's, so using the mouse alone never shows it.
    bool ShowsFocusCue() const noexcept { return hasFocus_ && keyboardCue_ && FocusedRow() >= 1; }

private:
    // The direction words reported to the host.
    static constexpr const char16_t* kSortAscending = u"ASC";
    static constexpr const char16_t* kSortDescending = u"DESC";

    // Stores, notifies the host under name, and repaints: the sequence of
    // every plain appearance write.
    template <typename T>
    void StoreAndRepaint(T& field, T value, const char16_t* name);
    void NotifyAndRepaint(const char16_t* name);
    // The same for a font flag, which also reaches the drawing font.
    void StoreFontFlag(Boolean& field, Boolean value, void (IFont::*put)(bool), const char16_t* name);
    // Gives the control a drawing font of its own with the attributes of
    // font, so that later attribute writes never reach the container's
    // font or a host's object.
    void AdoptDrawingFont(const FontPtr& font);
    // Presses column i for sorting: selects and sorts it, flips its
    // direction and says so in RowPressed; sort is the direction pressed.
    void PressColumn(Long i, String& sort);
    // Moves the focused column; repaints when it or the cue changed.
    void FocusColumn(Long column);
    // Raises RowPressed when events are connected.
    void RaiseRowPressed(Integer& previousColumn, Long& sortColumn, String& sort);

    // An icon as a bitmap of its size whose transparent pixels are
    // kMaskMagenta; any other picture as it is.
    PicturePtr ConvertIconToBitmap(const PicturePtr& picture);

    // How a column shows in this pass, decided once for its look and its
    // caption alike: pressed, hot, sorted (and which way), and whether it
    // carries the keyboard's focus cue.
    struct ColumnState {
        bool pressed = false;
        bool hot = false;
        bool sorted = false;
        Boolean sortOrder = kFalse;
        bool cue = false;
        friend bool operator==(const ColumnState&, const ColumnState&) = default;
    };
    // The pixels a column's drawing reaches across the strip, [left, right):
    // its looks and separator, its caption's box and its picture.
    struct Span {
        Long left = 0;
        Long right = 0;
    };
    // The colours a pass draws with, as the system gives them now.
    struct PassColors {
        COLORREF frame = 0;
        COLORREF fore = 0;
        COLORREF foreActive = 0;
        COLORREF foreHot = 0;
        COLORREF backForm = 0;
        COLORREF mask = 0;
        friend bool operator==(const PassColors&, const PassColors&) = default;
    };

    // Repaints the columns whose look changed since the image last showed
    // them, and shows only those; a whole pass when the image cannot be
    // built on (see imageCurrent_).
    void RepaintLooks();
    // The pass after Cls and the height: the whole strip, then Refresh.
    void PaintWhole(Gdi& gdi, HDC hdc, const Rect& client, Long count, Long totalWidth, cImageManipulation& pictures);
    // The columns' widths added up; error 6 beyond a Long.
    Long TotalWidth(Long count);
    void KeepHeaderHeight(Gdi& gdi);
    PassColors CurrentColors(Gdi& gdi) const;
    // Whether the image shows the strip as it is now, apart from columns'
    // looks, so that repainting those columns brings it up to date.
    bool ImageShowsStrip(Gdi& gdi, HDC hdc, const Rect& client, Long count) const;
    // Notes what a finished whole pass left on the image.
    void RememberWholePass(Gdi& gdi, HDC hdc, const Rect& client, std::vector<ColumnState> states);

    // Steps of the paint pass. Those taking `only` draw just the columns
    // whose reach meets it; null draws all.
    void PaintStripFrame(Gdi& gdi, HDC hdc, const Rect& client, Long count, Long totalWidth, COLORREF frameColor);
    void LayOutColumns(Gdi& gdi, HDC hdc, Long count);
    void PaintSeparators(Gdi& gdi, HDC hdc, Long count, const Span* only);
    // The states of columns 1 .. count, at their indexes; element 0 stands
    // for no column.
    std::vector<ColumnState> ColumnStates(Long count);
    bool Replays(std::size_t column, const Span* only) const;
    void PaintColumnLooks(Gdi& gdi, HDC hdc, const std::vector<ColumnState>& states, COLORREF frameColor,
                          const Span* only);
    // Where a column's caption went, and the picture that goes beside it.
    struct CaptionPlace {
        Rect text;
        PicturePtr picture;
        Single picX = 0;
        Single picY = 0;
    };
    void PaintCaptions(Gdi& gdi, HDC hdc, const std::vector<ColumnState>& states, cImageManipulation& pictures,
                       const Span* only);
    void PaintFocusCue(Gdi& gdi, HDC hdc, const Span* only);
    void PaintCaption(Gdi& gdi, HDC hdc, Long index, const ColumnState& state, CaptionPlace& place);
    void PaintPicture(HDC hdc, Long index, const CaptionPlace& place, cImageManipulation& pictures);
    // Whether the point, rounded to whole pixels, lies in the column's
    // rectangle as the last pass laid it out.
    bool HitTest(Long column, Single X, Single Y);
    // The last of the first laidOut columns whose rectangle holds the point
    // (whole pixels), or 0; only while the columns lie in order.
    Long LastColumnHolding(Long laidOut, Long x, Long y) const;

    void ReadControlKeys(IPropertyBag& bag);
    void ReadColumns(IPropertyBag& bag);
    void WriteColumns(IPropertyBag& bag);

    IControlSite& site_;
    ILumoraListControlEvents* events_ = nullptr;

    ColumnList columns_;
    Long numberOfRows_ = 0;
    Long selectedRow_ = 0;
    Long sortedRow_ = 0;
    String columnWidths_;
    Integer previousColumn_ = 0;
    Long hotColumn_ = 0;
    Long focusedColumn_ = 0;
    bool hasFocus_ = false;
    bool keyboardCue_ = false;
    std::vector<Rect> columnRects_;
    // Whether the last pass laid every column out left to right without
    // overlap, so a point falls in at most one.
    bool columnsInOrder_ = true;
    // Where each column's drawing reached in the last whole pass.
    std::vector<Span> columnReach_;

    // Whether the persistent image shows a whole pass of the strip as it is,
    // apart from the columns' looks in shownStates_, on a strip whose
    // columns' drawing stays within their reach. A change that does not
    // repaint in whole at once clears it, so the next repaint is whole.
    bool imageCurrent_ = false;
    std::vector<ColumnState> shownStates_;
    HDC shownDc_;
    Rect shownClient_;
    PassColors shownColors_;
    String tabAccessKeys_;

    Long headerHeight_ = 0;
    OLE_COLOR backColor_ = 0;
    OLE_COLOR foreColor_ = 0;
    OLE_COLOR foreColorActive_ = 0;
    OLE_COLOR backColorForm_ = 0;
    OLE_COLOR mouseMoveColor_[3] = {};
    OLE_COLOR registerFocusColor_[3] = {};
    OLE_COLOR frameColor_ = 0;
    OLE_COLOR maskColor_ = 0;
    OLE_COLOR foreColorHot_ = 0;
    eTabAlignment alignment_ = reg_Top;
    Boolean showFrame_ = kFalse;
    Boolean showSortPic_ = kFalse;

    String fontName_;
    Single fontSize_ = 0;
    Boolean fontBold_ = kFalse;
    Boolean fontItalic_ = kFalse;
    Boolean fontStrikethru_ = kFalse;
    Boolean fontUnderline_ = kFalse;
    FontPtr drawingFont_;
    FontPtr assignedFont_;
};

}  // namespace lumora
