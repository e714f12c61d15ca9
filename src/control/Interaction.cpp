// SPDX-License-Identifier: MIT
// Mouse and focus: hot tracking, pressing and sorting columns, and the
// events that tell the host about them.
#include "lumora/control/LumoraListControl.h"

#include <algorithm>

#include "lumora/platform/GdiScoped.h"
#include "render/mXPWells.h"
#include "runtime/Arithmetic.h"

namespace lumora {

bool LumoraListControl::HitTest(Long column, Single X, Single Y) {
    // A column the painter has not laid out yet has no rectangle to hit.
    if (column < 1 || static_cast<std::size_t>(column) >= columnRects_.size()) return false;
    return HitsColumn(site_.gdi(), column, CLng(X), CLng(Y));
}

bool LumoraListControl::HitsColumn(Gdi& gdi, Long column, Long x, Long y) {
    const ScopedGdiObject<HRGN> region(gdi, gdi.CreateRectRgnIndirect(columnRects_[static_cast<std::size_t>(column)]));
    return gdi.PtInRegion(region.get(), x, y);
}

void LumoraListControl::MouseMove(Integer Button, Integer Shift, Single X, Single Y) {
    Long sortColumn = sortedRow_;
    if (!mXPWells::TrackMouseCapture(site_.pointer(), site_.hWnd())) {
        if (events_) events_->MouseOut(Button, Shift, X, Y, sortColumn);
        hotColumn_ = 0;
        DrawTab();
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
        Gdi& gdi = site_.gdi();
        for (Long i = 1; i <= laidOut; ++i) {
            if (HitsColumn(gdi, i, x, y) && i != hotColumn_) {
                hotColumn_ = i;
                changed = true;
            }
        }
    }
    // Moves within one column must stay cheap: no repaint unless the hot
    // column changed.
    if (changed) DrawTab();
}

void LumoraListControl::MouseDown(Integer Button, Integer Shift, Single X, Single Y) {
    const Long count = numberOfRows_;
    for (Long i = 1; i <= count; ++i) {
        if (!HitTest(i, X, Y)) continue;
        selectedRow_ = i;
        sortedRow_ = i;
        put_SelectedRow(i);
        cTabs& column = columns_.Slot(i);
        String sort;
        if (column.RowSort == kTrue) {
            column.RowSort = kFalse;
            sort = kSortDescending;
        } else {
            column.RowSort = kTrue;
            sort = kSortAscending;
        }
        Long sortColumn = sortedRow_;
        if (events_) events_->MouseDown(Button, Shift, X, Y, sortColumn, sort);
    }
    DrawTab();
}

void LumoraListControl::MouseUp(Integer Button, Integer Shift, Single X, Single Y) {
    Long sortColumn = sortedRow_;
    if (events_) events_->MouseUp(Button, Shift, X, Y, sortColumn);
    selectedRow_ = 0;
    DrawTab();
}

void LumoraListControl::GotFocus() { DrawTab(); }

void LumoraListControl::LostFocus() { DrawTab(); }

}  // namespace lumora
