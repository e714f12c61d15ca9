// SPDX-License-Identifier: MIT
#include "StripAnnouncer.h"

#include <cstddef>
#include <utility>

#include "StripAccessible.h"
#include "StripAutomation.h"

namespace lumora::server {

void StripAnnouncer::Announce(::HWND window, LumoraListControl& strip, bool pressedOnly, StripAutomation* automation) {
    const Long count = strip.get_NumberOfRows();
    const Long pressedColumn = strip.get_SelectedRow();
    std::vector<Shown> now(static_cast<std::size_t>(count));
    for (Long column = 1; column <= count; ++column) {
        Shown& shown = now[static_cast<std::size_t>(column - 1)];
        shown.pressed = pressedColumn == column;
        if (pressedOnly && static_cast<std::size_t>(column) <= columns_.size()) {
            const Shown& was = columns_[static_cast<std::size_t>(column - 1)];
            shown.name = was.name;
            shown.description = was.description;
        } else {
            shown.name = strip.SpokenRowCaption(column);
            shown.description = strip.RowSortDescription(column);
        }
    }
    const Long focused = strip.HasFocus() ? strip.FocusedRow() : 0;
    if (!known_) {
        // What a client reads first needs no announcing.
        columns_ = std::move(now);
        focused_ = focused;
        known_ = true;
        return;
    }
    for (Long column = 1; column <= count; ++column) {
        const std::size_t i = static_cast<std::size_t>(column - 1);
        const Shown was = i < columns_.size() ? columns_[i] : Shown{};
        const Shown& is = now[i];
        if (was.name != is.name) {
            ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_CLIENT, column);
            if (automation) automation->NameChanged(column, was.name, is.name);
        }
        if (was.pressed != is.pressed) ::NotifyWinEvent(EVENT_OBJECT_STATECHANGE, window, OBJID_CLIENT, column);
        if (was.description != is.description) {
            ::NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, window, OBJID_CLIENT, column);
            if (automation) automation->SortChanged(column, was.description, is.description);
        }
    }
    if (static_cast<std::size_t>(count) != columns_.size())
        ::NotifyWinEvent(EVENT_OBJECT_REORDER, window, OBJID_CLIENT, CHILDID_SELF);
    columns_ = std::move(now);
    if (pressedOnly) return;
    if (focused != focused_ && focused >= 1) {
        ::NotifyWinEvent(EVENT_OBJECT_FOCUS, window, OBJID_CLIENT, focused);
        if (automation) automation->FocusMoved(focused);
    }
    focused_ = focused;
}

}  // namespace lumora::server
