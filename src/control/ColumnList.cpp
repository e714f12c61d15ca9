// SPDX-License-Identifier: MIT
#include "lumora/control/ColumnList.h"

#include "lumora/runtime/RuntimeError.h"
#include "runtime/Arithmetic.h"

namespace lumora {

cTabs& ColumnList::Slot(Long index) {
    CheckBounds(slots_ && index >= 0 && index < static_cast<Long>(slots_->size()));
    auto& slot = (*slots_)[static_cast<std::size_t>(index)];
    if (!slot) slot = std::make_unique<cTabs>();
    return *slot;
}

void ColumnList::CheckSize(Long upper) {
    if (upper < 0) Raise(err::kSubscriptOutOfRange);
    if (upper > kMaxUpperBound) Raise(err::kOutOfMemory);
}

void ColumnList::ResizeKeeping(Long upper) {
    CheckSize(upper);
    if (!slots_) slots_.emplace();
    slots_->resize(static_cast<std::size_t>(upper) + 1);
}

void ColumnList::Recreate(Long upper) {
    CheckSize(upper);
    slots_.emplace(static_cast<std::size_t>(upper) + 1);
}

}  // namespace lumora
