// SPDX-License-Identifier: MIT
// The paint pass: the whole strip in one go, into the control's persistent
// image, shown with one refresh at the end; and the partial pass, which
// draws again only the columns whose look changed.
#include <algorithm>
#include <cmath>
#include <limits>

#include "lumora/control/LumoraListControl.h"
#include "lumora/platform/GdiScoped.h"
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

// A strip whose columns, height or window reach this far from the origin
// always repaints in whole: its looks' arithmetic could overflow, and the
// error must come out of the same pass it always did.
constexpr Long kFarPixel = 1 << 24;
// A reach that nothing bounds: the column is drawn again with any other.
constexpr Long kNoBound = std::numeric_limits<Long>::max();

bool Near(Long value) { return value > -kFarPixel && value < kFarPixel; }

// A position worked out in 64 bits, kept within the far pixels: nothing
// drawn beyond them lands on an image.
Long Bounded(std::int64_t value) { return static_cast<Long>(std::clamp<std::int64_t>(value, -kFarPixel, kFarPixel)); }

bool Meets(Long left, Long right, Long otherLeft, Long otherRight) { return left < otherRight && otherLeft < right; }

// How many of the control's pixels a device pixel spans, rounded up: lines
// of the control's pixels may spill that far into a neighbour on a device
// that scales them by a fraction.
Long DeviceSpill(const DeviceScale& scale) {
    return std::max<Long>(1, static_cast<Long>(std::ceil(1.0 / scale.factor)));
}

// The hot look's frame line runs from the strip's left edge. Where it only
// covers the frame line's own device rows, which nothing else drawn before
// the looks reaches, it paints the frame colour over the frame colour left
// of the hot column and changes nothing there.
bool FrameLineKeepsToItsRows(const DeviceScale& scale, Long clientBottom) {
    const Long end = scale.LineStart(0) + scale.LineWidth();
    return end <= scale.Edge(1) && end <= scale.LineStart(1) && end <= scale.LineStart(clientBottom - 1);
}

// A colour as the drawing calls take it: system colours become their RGB,
// and one the system does not know is drawn as its own value.
COLORREF Plain(Gdi& gdi, OLE_COLOR color) { return mXPWells::TranslateColor(gdi, color, HPALETTE{}, color); }

}  // namespace

void LumoraListControl::DrawTab() {
    if (alignment_ == reg_Top) DrawTabTop();
}

void LumoraListControl::DrawTabTop() {
    // Until this pass is done the image is no base for a partial one.
    imageCurrent_ = false;
    Gdi& gdi = site_.gdi();
    const Long count = numberOfRows_;
    const Long totalWidth = TotalWidth(count);
    // Every pass paints its pictures through an instance of its own, so a
    // nested pass leaves this one's in place.
    cImageManipulation pictures(gdi);
    site_.Cls();
    KeepHeaderHeight(gdi);
    const HDC hdc = site_.hDC();
    const Rect client = mXPWells::GetClientRectangle(gdi, site_.hWnd());
    PaintWhole(gdi, hdc, client, count, totalWidth, pictures);
}

void LumoraListControl::RepaintLooks() {
    if (alignment_ != reg_Top) return;
    if (!imageCurrent_) return DrawTabTop();
    Gdi& gdi = site_.gdi();
    const Long count = numberOfRows_;
    const Long totalWidth = TotalWidth(count);
    cImageManipulation pictures(gdi);
    KeepHeaderHeight(gdi);
    const HDC hdc = site_.hDC();
    const Rect client = mXPWells::GetClientRectangle(gdi, site_.hWnd());
    if (!ImageShowsStrip(gdi, hdc, client, count)) {
        imageCurrent_ = false;
        site_.Cls();
        return PaintWhole(gdi, hdc, client, count, totalWidth, pictures);
    }

    std::vector<ColumnState> states = ColumnStates(count);
    Span changed{kNoBound, -kNoBound};
    for (std::size_t i = 1; i < states.size(); ++i) {
        if (states[i] == shownStates_[i]) continue;
        changed.left = std::min(changed.left, columnReach_[i].left);
        changed.right = std::max(changed.right, columnReach_[i].right);
    }
    // The changed columns' pixels in the window, with room for what their
    // lines spill on the device; inside it every column that reaches it is
    // drawn again, in the order of a whole pass.
    const Long spill = DeviceSpill(gdi.deviceScale());
    Rect shown{std::max(client.left, Bounded(std::int64_t{changed.left} - spill)), client.top,
               std::min(client.right, Bounded(std::int64_t{changed.right} + spill)), client.bottom};
    if (shown.left < shown.right && shown.top < shown.bottom) {
        const Span again{shown.left - spill, shown.right + spill};
        const ScopedClipRect clip(gdi, hdc, Rect{shown.left, -kFarPixel, shown.right, kFarPixel});
        const COLORREF frameColor = Plain(gdi, frameColor_);
        PaintStripFrame(gdi, hdc, client, count, totalWidth, frameColor);
        PaintSeparators(gdi, hdc, count, &again);
        PaintColumnLooks(gdi, hdc, states, frameColor, &again);
        PaintCaptions(gdi, hdc, states, pictures, &again);
        PaintFocusCue(gdi, hdc, &again);
    } else {
        shown = Rect{};
    }
    shownStates_ = std::move(states);
    site_.RefreshRect(shown);
}

void LumoraListControl::PaintWhole(Gdi& gdi, HDC hdc, const Rect& client, Long count, Long totalWidth,
                                   cImageManipulation& pictures) {
    const COLORREF frameColor = Plain(gdi, frameColor_);
    PaintStripFrame(gdi, hdc, client, count, totalWidth, frameColor);
    LayOutColumns(gdi, hdc, count);
    std::vector<ColumnState> states = ColumnStates(count);
    if (count >= 1) {
        PaintColumnLooks(gdi, hdc, states, frameColor, nullptr);
        PaintCaptions(gdi, hdc, states, pictures, nullptr);
        PaintFocusCue(gdi, hdc, nullptr);
    }
    RememberWholePass(gdi, hdc, client, std::move(states));
    site_.Refresh();
}

Long LumoraListControl::TotalWidth(Long count) {
    Long totalWidth = 0;
    for (Long i = 1; i <= count; ++i) totalWidth = CheckedAdd<Long>(totalWidth, columns_.Slot(i).RowWidth);
    return totalWidth;
}

void LumoraListControl::KeepHeaderHeight(Gdi& gdi) {
    // A height the host set does not last: the strip is HeaderHeight tall.
    // When this changes the height, the host's Resize runs a whole pass of
    // its own before this one goes on.
    site_.put_Height(static_cast<Single>(basUmrechnung::fnc_PixelToTwips(gdi, site_.dialogs(), headerHeight_, 1)));
}

LumoraListControl::PassColors LumoraListControl::CurrentColors(Gdi& gdi) const {
    return {Plain(gdi, frameColor_),   Plain(gdi, foreColor_),     Plain(gdi, foreColorActive_),
            Plain(gdi, foreColorHot_), Plain(gdi, backColorForm_), Plain(gdi, maskColor_)};
}

bool LumoraListControl::ImageShowsStrip(Gdi& gdi, HDC hdc, const Rect& client, Long count) const {
    // The host may have swapped the image, resized the window without a
    // Resize, or the system its colours.
    return imageCurrent_ && hdc == shownDc_ && client == shownClient_ &&
           shownStates_.size() == static_cast<std::size_t>(std::max<Long>(count, 0)) + 1 &&
           columnReach_.size() >= shownStates_.size() && CurrentColors(gdi) == shownColors_;
}

void LumoraListControl::RememberWholePass(Gdi& gdi, HDC hdc, const Rect& client, std::vector<ColumnState> states) {
    bool near = Near(headerHeight_) && Near(client.right) && Near(client.bottom);
    for (std::size_t i = 1; near && i < states.size(); ++i)
        near = Near(columnRects_[i].left) && Near(columnRects_[i].right);
    const bool frameLineStays = showFrame_ == kFalse || FrameLineKeepsToItsRows(gdi.deviceScale(), client.bottom);
    imageCurrent_ = near && columnsInOrder_ && frameLineStays;
    shownStates_ = std::move(states);
    shownDc_ = hdc;
    shownClient_ = client;
    shownColors_ = CurrentColors(gdi);
}

void LumoraListControl::PaintStripFrame(Gdi& gdi, HDC hdc, const Rect& client, Long count, Long totalWidth,
                                        COLORREF frameColor) {
    StripPainter::PaintBackground(gdi, hdc, client, ColumnLooks::HalfHeight(headerHeight_));
    const Long rightAreaLeft =
        CheckedAdd<Long>(CheckedAdd<Long>(totalWidth, CheckedMul<Long>(2, count)), kFirstColumnLeft);
    StripPainter::PaintRightArea(gdi, hdc, client, rightAreaLeft, backColorForm_);
    if (showFrame_ != kFalse) StripPainter::PaintFrameTop(gdi, hdc, client, frameColor);
    StripPainter::PaintBottomLine(gdi, hdc, client);
    if (showFrame_ != kFalse) StripPainter::PaintFrameSides(gdi, hdc, client, frameColor);
}

void LumoraListControl::LayOutColumns(Gdi& gdi, HDC hdc, Long count) {
    // Positions run in single precision, as they always have; for any real
    // strip every value is a whole number and exact.
    Single x = kFirstColumnLeft;
    columnsInOrder_ = true;
    Long previousRight = kFirstColumnLeft;
    StripPainter::SeparatorPens separators(gdi);
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
        separators.Paint(hdc, rect);
        x = static_cast<Single>(static_cast<double>(x) + kColumnGap + column.RowWidth);
    }
}

void LumoraListControl::PaintSeparators(Gdi& gdi, HDC hdc, Long count, const Span* only) {
    StripPainter::SeparatorPens separators(gdi);
    for (Long i = 1; i <= count; ++i)
        if (Replays(static_cast<std::size_t>(i), only))
            separators.Paint(hdc, columnRects_[static_cast<std::size_t>(i)]);
}

std::vector<LumoraListControl::ColumnState> LumoraListControl::ColumnStates(Long count) {
    // A pressed, hot or sorted column that is no longer there (deleted, or a
    // host's SortedRow beyond the strip) shows no look; the stored index
    // stays, so the look returns with the column. The pressed look wins
    // over the hot one.
    std::vector<ColumnState> states(static_cast<std::size_t>(std::max<Long>(count, 0)) + 1);
    const Long cue = ShowsFocusCue() ? FocusedRow() : 0;
    for (Long i = 1; i <= count; ++i) {
        ColumnState& state = states[static_cast<std::size_t>(i)];
        state.pressed = i == selectedRow_;
        state.hot = i == hotColumn_ && !state.pressed;
        state.sorted = i == sortedRow_ && showSortPic_ != kFalse;
        if (state.sorted) state.sortOrder = columns_.Slot(i).RowSort;
        state.cue = i == cue;
    }
    return states;
}

bool LumoraListControl::Replays(std::size_t column, const Span* only) const {
    return !only || Meets(columnReach_[column].left, columnReach_[column].right, only->left, only->right);
}

void LumoraListControl::PaintColumnLooks(Gdi& gdi, HDC hdc, const std::vector<ColumnState>& states, COLORREF frameColor,
                                         const Span* only) {
    // The looks go down one kind after the other, pressed, hot, sorted, so
    // that each lies over the kinds before it.
    const std::size_t end = states.size();
    for (std::size_t i = 1; i < end; ++i)
        if (states[i].pressed && Replays(i, only))
            ColumnLooks::PaintPressedLook(gdi, hdc, columnRects_[i], headerHeight_);
    for (std::size_t i = 1; i < end; ++i)
        if (states[i].hot && Replays(i, only))
            ColumnLooks::PaintHotLook(gdi, hdc, columnRects_[i], headerHeight_, showFrame_, frameColor);
    for (std::size_t i = 1; i < end; ++i) {
        if (!states[i].sorted || !Replays(i, only)) continue;
        const cTabs& column = columns_.Slot(static_cast<Long>(i));
        ColumnLooks::PaintSortPicture(gdi, hdc, columnRects_[i], column.RowWidth, column.RowSort);
    }
}

void LumoraListControl::PaintCaptions(Gdi& gdi, HDC hdc, const std::vector<ColumnState>& states,
                                      cImageManipulation& pictures, const Span* only) {
    // The first caption paints unprotected, so a broken strip shows up as an
    // error; from its picture on, a failing step is passed over and the rest
    // of the strip still paints. A whole pass notes how far each column's
    // drawing reached; a step that failed part way leaves it unbounded.
    const auto count = static_cast<Long>(states.size()) - 1;
    if (!only) columnReach_.resize(states.size());
    for (Long i = 1; i <= count; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        if (!Replays(slot, only)) continue;
        const ColumnState& state = states[slot];
        const Rect& rect = columnRects_[slot];
        Span reach{kNoBound, -kNoBound};
        bool bounded = false;
        CaptionPlace place;
        if (i == 1) {
            PaintCaption(gdi, hdc, i, state, place);
            bounded = true;
        } else {
            SkipOnError([&] {
                PaintCaption(gdi, hdc, i, state, place);
                bounded = true;
            });
        }
        // The looks reach one pixel left of the column, the separator three
        // right of it.
        reach = {Bounded(std::min<std::int64_t>(std::int64_t{rect.left} - 1, place.text.left)),
                 Bounded(std::max<std::int64_t>(std::int64_t{rect.right} + 3, place.text.right))};
        const bool pictured = place.picture != nullptr;
        bool painted = false;
        SkipOnError([&] {
            PaintPicture(hdc, i, place, pictures);
            painted = true;
        });
        if (pictured && place.picX >= 0 && place.picX < kFarPixel) {
            const std::int64_t x = std::int64_t{rect.left} + kPictureInset;
            reach = {std::min(reach.left, Bounded(x)),
                     std::max(reach.right, Bounded(x + static_cast<std::int64_t>(std::ceil(place.picX)) + 1))};
        } else if (pictured) {
            painted = false;
        }
        if (!only) columnReach_[slot] = bounded && (painted || !pictured) ? reach : Span{-kNoBound, kNoBound};
    }
}

void LumoraListControl::PaintFocusCue(Gdi& gdi, HDC hdc, const Span* only) {
    if (!ShowsFocusCue()) return;
    const auto focused = static_cast<std::size_t>(FocusedRow());
    if (focused < columnRects_.size() && focused < columnReach_.size() && Replays(focused, only))
        ColumnLooks::PaintFocusCue(gdi, hdc, columnRects_[focused], headerHeight_);
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
