// SPDX-License-Identifier: MIT
// Mouse, keyboard and focus: hot tracking, pressing and sorting columns,
// the focused column, and the events that tell the host about them.
#include "lumora/control/LumoraListControl.h"

#include <algorithm>

#include "render/mXPWells.h"
#include "runtime/Arithmetic.h"
#include "runtime/UnicodeCase.h"

namespace lumora {

namespace {

// Whether a region made from the rectangle would hold the point: corners in
// either order, the right and bottom edges outside, no area no point. The
// answer needs no region, so a hit test makes no drawing object.
bool RegionHolds(const Rect& rect, Long x, Long y) {
    const auto [left, right] = std::minmax(rect.left, rect.right);
    const auto [top, bottom] = std::minmax(rect.top, rect.bottom);
    return x >= left && x < right && y >= top && y < bottom;
}

}  // namespace

bool LumoraListControl::HitTest(Long column, Single X, Single Y) {
    // A column the painter has not laid out yet has no rectangle to hit.
    if (column < 1 || static_cast<std::size_t>(column) >= columnRects_.size()) return false;
    return RegionHolds(columnRects_[static_cast<std::size_t>(column)], CLng(X), CLng(Y));
}

Long LumoraListControl::LastColumnHolding(Long laidOut, Long x, Long y) const {
    if (columnsInOrder_) {
        // Columns that lie left to right without overlapping: the only one
        // that can hold x is the last to start at or before it.
        const auto first = columnRects_.begin() + 1;
        const auto end = first + laidOut;
        const auto after = std::upper_bound(first, end, x, [](Long px, const Rect& r) { return px < r.left; });
        if (after == first) return 0;
        const auto column = static_cast<Long>(after - columnRects_.begin()) - 1;
        return RegionHolds(columnRects_[static_cast<std::size_t>(column)], x, y) ? column : 0;
    }
    Long found = 0;
    for (Long i = 1; i <= laidOut; ++i)
        if (RegionHolds(columnRects_[static_cast<std::size_t>(i)], x, y)) found = i;
    return found;
}

void LumoraListControl::MouseMove(Integer Button, Integer Shift, Single X, Single Y) {
    Long sortColumn = sortedRow_;
    if (!mXPWells::TrackMouseCapture(site_.pointer(), site_.hWnd())) {
        if (events_) events_->MouseOut(Button, Shift, X, Y, sortColumn);
        hotColumn_ = 0;
        RepaintLooks();
        return;
    }
    // The handler gets X and Y by reference; where it moves them is where
    // the hot column is looked for.
    if (events_) events_->MouseIn(Button, Shift, X, Y, sortColumn);
    // Only columns the last pass laid out can be hit. The point is rounded
    // and the surface fetched once for all of them, as each move tests
    // every column.
    bool changed = false;
    const Long laidOut = std::min<Long>(numberOfRows_, static_cast<Long>(columnRects_.size()) - 1);
    if (laidOut >= 1) {
        const Long x = CLng(X);
        const Long y = CLng(Y);
        if (columnsInOrder_) {
            const Long hit = LastColumnHolding(laidOut, x, y);
            if (hit != 0 && hit != hotColumn_) {
                hotColumn_ = hit;
                changed = true;
            }
        } else {
            // Overlapping columns (a negative width) are tested one by one,
            // each hit that is not the hot column taking its place.
            for (Long i = 1; i <= laidOut; ++i) {
                if (RegionHolds(columnRects_[static_cast<std::size_t>(i)], x, y) && i != hotColumn_) {
                    hotColumn_ = i;
                    changed = true;
                }
            }
        }
    }
    // Moves within one column must stay cheap: no repaint unless the hot
    // column changed, and then only of the columns whose look changed.
    if (changed) RepaintLooks();
}

void LumoraListControl::PressColumn(Long i, String& sort) {
    selectedRow_ = i;
    sortedRow_ = i;
    put_SelectedRow(i);
    cTabs& column = columns_.Slot(i);
    if (column.RowSort == kTrue) {
        column.RowSort = kFalse;
        sort = kSortDescending;
    } else {
        column.RowSort = kTrue;
        sort = kSortAscending;
    }
}

void LumoraListControl::MouseDown(Integer Button, Integer Shift, Single X, Single Y) {
    // The mouse hides the keyboard's focus cue, as the system's cues go.
    keyboardCue_ = false;
    const Long count = numberOfRows_;
    for (Long i = 1; i <= count; ++i) {
        if (!HitTest(i, X, Y)) continue;
        focusedColumn_ = i;
        String sort;
        PressColumn(i, sort);
        Long sortColumn = sortedRow_;
        if (events_) events_->MouseDown(Button, Shift, X, Y, sortColumn, sort);
    }
    RepaintLooks();
}

void LumoraListControl::MouseUp(Integer Button, Integer Shift, Single X, Single Y) {
    Long sortColumn = sortedRow_;
    if (events_) events_->MouseUp(Button, Shift, X, Y, sortColumn);
    selectedRow_ = 0;
    RepaintLooks();
}

// ------------------------------------------------------------------ focus

Long LumoraListControl::FocusedRow() const noexcept {
    if (numberOfRows_ < 1) return 0;
    // Columns deleted since leave the focus on the last one there is.
    return std::clamp<Long>(focusedColumn_, 1, numberOfRows_);
}

void LumoraListControl::GotFocus(bool byKeyboard) {
    hasFocus_ = true;
    keyboardCue_ = byKeyboard;
    // The focus starts on the selected column; without one, on the column
    // it was on before, or at first on the sorted one.
    if (selectedRow_ >= 1 && selectedRow_ <= numberOfRows_)
        focusedColumn_ = selectedRow_;
    else if (focusedColumn_ < 1)
        focusedColumn_ = sortedRow_ >= 1 && sortedRow_ <= numberOfRows_ ? sortedRow_ : 1;
    RepaintLooks();
}

void LumoraListControl::LostFocus() {
    hasFocus_ = false;
    keyboardCue_ = false;
    RepaintLooks();
}

void LumoraListControl::FocusColumn(Long column) {
    const bool changed = column != FocusedRow() || !keyboardCue_;
    focusedColumn_ = column;
    keyboardCue_ = true;
    if (changed) RepaintLooks();
}

bool LumoraListControl::KeyDown(Integer KeyCode, Integer Shift) {
    // Control and Alt combinations belong to the host (menus, shortcuts).
    constexpr Integer kControlOrAlt = 2 | 4;
    if (!hasFocus_ || (Shift & kControlOrAlt) != 0 || numberOfRows_ < 1) return false;
    const Long focused = FocusedRow();
    switch (KeyCode) {
        case kKeyLeft:
            FocusColumn(std::max<Long>(focused - 1, 1));
            return true;
        case kKeyRight:
            FocusColumn(std::min<Long>(focused + 1, numberOfRows_));
            return true;
        case kKeyHome:
            FocusColumn(1);
            return true;
        case kKeyEnd:
            FocusColumn(numberOfRows_);
            return true;
        case kKeySpace:
        case kKeyEnter:
            keyboardCue_ = true;
            return PressRow(focused);
        default:
            return false;
    }
}

bool LumoraListControl::PressRow(Long column) {
    if (column < 1 || column > numberOfRows_) return false;
    String sort;
    PressColumn(column, sort);
    // A press without a mouse is a whole click: the column is let go at
    // once, as a click's release lets it go.
    selectedRow_ = 0;
    RepaintLooks();
    return true;
}

String LumoraListControl::SpokenRowCaption(Long Index) {
    const String& caption = columns_.Slot(Index).RowCaption;
    String spoken;
    spoken.reserve(caption.size());
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&') {
            // "&&" is one ampersand; a lone marker is not read.
            if (i + 1 < caption.size() && caption[i + 1] == u'&') spoken += caption[++i];
            continue;
        }
        spoken += caption[i];
    }
    return spoken;
}

String LumoraListControl::RowSortDescription(Long Index) {
    if (Index != sortedRow_ || Index < 1 || Index > numberOfRows_) return {};
    // A column pressed last for ascending order holds True.
    return columns_.Slot(Index).RowSort != kFalse ? u"sorted ascending" : u"sorted descending";
}

Long LumoraListControl::ColumnOfAccessKey(char32_t key) {
    const char32_t wanted = SimpleLowerCase(key);
    const Long count = numberOfRows_;
    for (Long i = 1; i <= count; ++i) {
        const String marked = mXPWells::ExtractAccessKey(columns_.Slot(i).RowCaption);
        if (marked.empty()) continue;
        char32_t found = marked[0];
        if (marked.size() == 2 && found >= 0xD800 && found <= 0xDBFF)
            found = 0x10000 + ((found - 0xD800) << 10) + (marked[1] - 0xDC00);
        if (found == wanted) return i;
    }
    return 0;
}

bool LumoraListControl::AccessKeyPressed(char32_t key) {
    const Long column = ColumnOfAccessKey(key);
    if (column == 0) return false;
    FocusColumn(column);
    return true;
}

}  // namespace lumora
