// SPDX-License-Identifier: MIT
#pragma once

#include <array>

#include "lumora/platform/Gdi.h"

namespace lumora::soft {

// System colour indexes run from the scroll bar (0) to the menu bar (30).
inline constexpr int kSystemColorCount = 31;

// The colour of a system colour index in the standard scheme, or 0 for an
// index the system does not know, as its GetSysColor answers.
COLORREF StandardSystemColor(int index) noexcept;

// The 256 entries of a halftone palette on a true-colour device: the 20
// static colours at both ends and a 4x8x8 colour cube between them.
const std::array<COLORREF, 256>& HalftonePaletteEntries() noexcept;

// The 20 static colours of the default palette every DC starts with.
const std::array<COLORREF, 20>& DefaultPaletteEntries() noexcept;

}  // namespace lumora::soft
