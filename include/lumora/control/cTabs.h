// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/platform/Picture.h"
#include "lumora/runtime/Types.h"

namespace lumora {

// One column of the strip. The painter writes RowLeft, RowTop and RowHeight
// on every pass; everything else comes from the host or from saved state.
// A new record has an empty caption, all numbers 0 and no picture.
class cTabs {
public:
    String RowCaption;
    // True (-1) when the column's last press reported "ASC"; any other
    // 16-bit value a host stored is kept.
    Integer RowSort = 0;
    Long RowLeft = 0;
    Long RowTop = 0;
    Long RowWidth = 0;
    Long RowHeight = 0;
    PicturePtr RowPicture;

    // The same picture as RowPicture; the painter, persistence and the
    // control's RowPicture read go through it.
    const PicturePtr& get_RowIcon() const noexcept { return RowPicture; }
    void putref_RowIcon(const PicturePtr& NewTabPicture) { RowPicture = NewTabPicture; }
};

}  // namespace lumora
