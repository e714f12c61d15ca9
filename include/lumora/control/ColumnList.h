// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "lumora/control/cTabs.h"
#include "lumora/runtime/Types.h"

namespace lumora {

// The column records in slots 0 .. U. Slot i holds column i while
// i <= NumberOfRows; slot 0 and the slots above the count hold spare records
// that are never drawn. Slots are filled with an empty record the first time
// they are used.
class ColumnList {
public:
    // The most columns a list holds. Far beyond any real strip, it keeps a
    // damaged saved count from claiming all memory; sizing beyond it raises
    // error 7.
    static constexpr Long kMaxUpperBound = 100'000;

    // The record in slot index; error 9 outside 0 .. U or while there is no
    // list.
    cTabs& Slot(Long index);

    // Sizes the list to 0 .. upper, keeping the records that fit; creates the
    // list if there is none.
    void ResizeKeeping(Long upper);
    // Drops whatever list there was and makes an empty one of 0 .. upper.
    void Recreate(Long upper);
    void Release() noexcept { slots_.reset(); }

    static bool CanHold(Long upper) noexcept { return upper >= 0 && upper <= kMaxUpperBound; }

private:
    static void CheckSize(Long upper);

    std::optional<std::vector<std::unique_ptr<cTabs>>> slots_;
};

}  // namespace lumora
