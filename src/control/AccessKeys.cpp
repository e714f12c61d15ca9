// SPDX-License-Identifier: MIT
// The access keys of the columns' captions, handed to the host window.
#include "lumora/control/LumoraListControl.h"
#include "render/mXPWells.h"
#include "runtime/CodePage.h"

namespace lumora {

void LumoraListControl::SetTabAccessKeys() {
    tabAccessKeys_.clear();
    const Long count = numberOfRows_;
    for (std::int64_t i = 1; i <= count; ++i)
        tabAccessKeys_ += mXPWells::ExtractAccessKey(get_RowCaption(static_cast<Long>(i)));
    site_.put_AccessKeys(tabAccessKeys_);
}

Long LumoraListControl::GetTabAccessKey(const Integer& iKey) const noexcept {
    // Keys are compared by their code in the system's 8-bit code page, which
    // is what a key press delivers.
    for (std::size_t i = 0; i < tabAccessKeys_.size(); ++i)
        if (ToAnsiChar(tabAccessKeys_[i]) == iKey) return static_cast<Long>(i) + 1;
    return 0;
}

}  // namespace lumora
