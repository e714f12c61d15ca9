// SPDX-License-Identifier: MIT
// The paint pass: the whole strip in one go, into the control's persistent
// image, shown with one refresh at the end.
#include <algorithm>

#include "lumora/control/LumoraListControl.h"
#include "lumora/runtime/RuntimeError.h"
#include "render/ColumnLooks.h"
#include "render/StripPainter.h"
#include "render/cImageManipulation.h"
#include "render/mXPWells.h"
#include "runtime/Arithmetic.h"
#include "support/basUmrechnung.h"

namespace lumora {
namespace {

// Columns start two pixels in and two pixels after the one before; the top
// two rows belong to the frame and the pressed look's top lines.
constexpr Long kFirstColumnLeft = 2;
constexpr Long kColumnGap = 2;
constexpr Long kColumnTop = 2;
// The caption is measured from two rows below the column's top and then
// placed 8 pixels right of the picture.
constexpr Long kCaptionTopOffset = 2;
constexpr Single kCaptionGap = 8;
// How far the caption's top edge moves up from the measured place: a
// pressed caption sits one pixel lower than an unpressed one.
constexpr Long kPressedCaptionLift = 2;
constexpr Long kCaptionLift = 3;
constexpr Long kCaptionFormat = DT_CENTER | DT_VCENTER | DT_WORDBREAK;
// The picture sits this far into its column, centred on the caption.
constexpr Long kPictureInset = 4;
constexpr Long kPictureLift = 2;
// Picture sizes arrive in hundredths of a millimetre.
constexpr double kTwipsPerHimetric = 1440.0 / 2540.0;

// A colour as the drawing calls take it: system colours become their RGB,
// and one the system does not know is drawn as its own value.
COLORREF Plain(Gdi& gdi, OLE_COLOR color) { return mXPWells::TranslateColor(gdi, color, HPALETTE{}, color); }

}  // namespace

void LumoraListControl::DrawTab() {
    if (alignment_ == reg_Top) DrawTabTop();
}

void LumoraListControl::DrawTabTop() {
    Gdi& gdi = site_.gdi();
    const Long count = numberOfRows_;

    Long totalWidth = 0;
    for (Long i = 1; i <= count; ++i) totalWidth = CheckedAdd<Long>(totalWidth, columns_.Slot(i).RowWidth);

    // Every pass paints its pictures through an instance of its own, so a
    // nested pass leaves this one's in place.
    cImageManipulation pictures(gdi);
    site_.Cls();
    // A height the host set does not last: the strip is HeaderHeight tall.
    // When this changes the height, the host's Resize runs a whole pass of
    // its own before this one goes on.
    site_.put_Height(static_cast<Single>(basUmrechnung::fnc_PixelToTwips(gdi, site_.dialogs(), headerHeight_, 1)));

    const HDC hdc = site_.hDC();
    const HWND hwnd = site_.hWnd();
    const Long half = ColumnLooks::HalfHeight(headerHeight_);
    const COLORREF frameColor = Plain(gdi, frameColor_);
    Rect client = mXPWells::GetClientRectangle(gdi, hwnd);
    StripPainter::PaintBackground(gdi, hdc, client, half);
    const Long rightAreaLeft =
        CheckedAdd<Long>(CheckedAdd<Long>(totalWidth, CheckedMul<Long>(2, count)), kFirstColumnLeft);
    StripPainter::PaintRightArea(gdi, hdc, client, rightAreaLeft, backColorForm_);

    client = mXPWells::GetClientRectangle(gdi, hwnd);
    if (showFrame_ != kFalse) StripPainter::PaintFrameTop(gdi, hdc, client, frameColor);
    StripPainter::PaintBottomLine(gdi, hdc, client);
    if (showFrame_ != kFalse) StripPainter::PaintFrameSides(gdi, hdc, client, frameColor);

    LayOutColumns(gdi, hdc, count);
    if (count >= 1) {
        const std::vector<ColumnState> states = ColumnStates(count);
        PaintColumnLooks(gdi, hdc, states, frameColor);
        PaintCaptions(gdi, hdc, states, pictures);
        if (ShowsFocusCue()) {
            const Long focused = FocusedRow();
            if (static_cast<std::size_t>(focused) < columnRects_.size())
                ColumnLooks::PaintFocusCue(gdi, hdc, columnRects_[static_cast<std::size_t>(focused)], headerHeight_);
        }
    }
    site_.Refresh();
}

void LumoraListControl::LayOutColumns(Gdi& gdi, HDC hdc, Long count) {
    // Positions run in single precision, as they always have; for any real
    // strip every value is a whole number and exact.
    Single x = kFirstColumnLeft;
    columnsInOrder_ = true;
    Long previousRight = kFirstColumnLeft;
    for (Long i = 1; i <= count; ++i) {
        cTabs& column = columns_.Slot(i);
        column.RowLeft = CLng(x);
        column.RowTop = kColumnTop;
        column.RowHeight = headerHeight_;
        const Rect rect{CLng(x), kColumnTop, CLng(static_cast<double>(x) + column.RowWidth), headerHeight_};
        columnRects_.resize(static_cast<std::size_t>(i) + 1);
        columnRects_[static_cast<std::size_t>(i)] = rect;
        // A negative width, or positions single precision can no longer
        // tell apart, make columns overlap: the hit test then asks each.
        if (rect.right < rect.left || rect.left < previousRight) columnsInOrder_ = false;
        previousRight = rect.right;
        StripPainter::PaintSeparator(gdi, hdc, rect);
        x = static_cast<Single>(static_cast<double>(x) + kColumnGap + column.RowWidth);
    }
}

std::vector<LumoraListControl::ColumnState> LumoraListControl::ColumnStates(Long count) const {
    // A pressed, hot or sorted column that is no longer there (deleted, or a
    // host's SortedRow beyond the strip) shows no look; the stored index
    // stays, so the look returns with the column. The pressed look wins
    // over the hot one.
    std::vector<ColumnState> states(static_cast<std::size_t>(count) + 1);
    for (Long i = 1; i <= count; ++i) {
        ColumnState& state = states[static_cast<std::size_t>(i)];
        state.pressed = i == selectedRow_;
        state.hot = i == hotColumn_ && !state.pressed;
        state.sorted = i == sortedRow_ && showSortPic_ != kFalse;
    }
    return states;
}

void LumoraListControl::PaintColumnLooks(Gdi& gdi, HDC hdc, const std::vector<ColumnState>& states,
                                         COLORREF frameColor) {
    // The looks go down one kind after the other, pressed, hot, sorted, so
    // that each lies over the kinds before it.
    const std::size_t end = states.size();
    for (std::size_t i = 1; i < end; ++i)
        if (states[i].pressed) ColumnLooks::PaintPressedLook(gdi, hdc, columnRects_[i], headerHeight_);
    for (std::size_t i = 1; i < end; ++i)
        if (states[i].hot) ColumnLooks::PaintHotLook(gdi, hdc, columnRects_[i], headerHeight_, showFrame_, frameColor);
    for (std::size_t i = 1; i < end; ++i) {
        if (!states[i].sorted) continue;
        const cTabs& column = columns_.Slot(static_cast<Long>(i));
        ColumnLooks::PaintSortPicture(gdi, hdc, columnRects_[i], column.RowWidth, column.RowSort);
    }
}

void LumoraListControl::PaintCaptions(Gdi& gdi, HDC hdc, const std::vector<ColumnState>& states,
                                      cImageManipulation& pictures) {
    // The first caption paints unprotected, so a broken strip shows up as an
    // error; from its picture on, a failing step is passed over and the rest
    // of the strip still paints.
    const auto count = static_cast<Long>(states.size()) - 1;
    for (Long i = 1; i <= count; ++i) {
        const ColumnState& state = states[static_cast<std::size_t>(i)];
        CaptionPlace place;
        if (i == 1)
            PaintCaption(gdi, hdc, i, state, place);
        else
            SkipOnError([&] { PaintCaption(gdi, hdc, i, state, place); });
        SkipOnError([&] { PaintPicture(hdc, i, place, pictures); });
    }
}

void LumoraListControl::PaintCaption(Gdi& gdi, HDC hdc, Long index, const ColumnState& state, CaptionPlace& place) {
    Rect& text = place.text;
    text = columnRects_[static_cast<std::size_t>(index)];
    text.top = CheckedAdd<Long>(text.top, kCaptionTopOffset);
    // Read in place: a copy would cost an allocation per column and pass.
    const String& caption = columns_.Slot(index).RowCaption;
    const auto length = static_cast<Long>(std::min<std::size_t>(caption.size(), 0x7FFFFFFF));
    mXPWells::MeasureCaption(gdi, hdc, caption, length, text);

    place.picture = columns_.Slot(index).get_RowIcon();
    GetPictureSize(place.picture, place.picX, place.picY);
    const Long dy = CLng(CheckedSub<Long>(CheckedAdd<Long>(headerHeight_, text.top), text.bottom) / 2.0);
    const Long dx = CLng(static_cast<double>(place.picX) + kCaptionGap);
    mXPWells::OffsetRectangle(text, dx, dy);

    if (state.pressed) {
        text.top = CheckedSub<Long>(text.top, kPressedCaptionLift);
        mXPWells::SetDCTextColor(gdi, hdc, Plain(gdi, foreColorActive_));
    } else {
        text.top = CheckedSub<Long>(text.top, kCaptionLift);
        mXPWells::SetDCTextColor(gdi, hdc, Plain(gdi, state.hot ? foreColorHot_ : foreColor_));
    }
    mXPWells::DrawCaption(gdi, hdc, caption, length, text, kCaptionFormat);
}

void LumoraListControl::PaintPicture(HDC hdc, Long index, const CaptionPlace& place, cImageManipulation& pictures) {
    // The picture sits 4 pixels into the column, centred on the caption's
    // lines.
    const Rect& text = place.text;
    const Long x = CheckedAdd<Long>(columnRects_[static_cast<std::size_t>(index)].left, kPictureInset);
    const Long y = CLng(
        CheckedSub<Long>(CheckedAdd<Long>(CheckedAdd<Long>(headerHeight_, text.top), kPictureLift), text.bottom) / 2.0);
    pictures.PaintTransparentPicture(hdc, place.picture, x, y, CLng(place.picX), CLng(place.picY), 0, 0, maskColor_,
                                     HPALETTE{});
}

void LumoraListControl::GetPictureSize(const PicturePtr& pPicture, Single& picX, Single& picY) {
    picX = 0;
    picY = 0;
    if (!pPicture) return;
    Gdi& gdi = site_.gdi();
    picX = static_cast<Single>(pPicture->get_Width() * kTwipsPerHimetric / basUmrechnung::fnc_TwipsPerPixelX(gdi));
    picY = static_cast<Single>(pPicture->get_Height() * kTwipsPerHimetric / basUmrechnung::fnc_TwipsPerPixelY(gdi));
}

}  // namespace lumora
