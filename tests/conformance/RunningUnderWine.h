// SPDX-License-Identifier: MIT
#pragma once

namespace lumora::conformance {

// Whether the system calls are Wine's rather than the system's own, so a
// case whose pixels Wine is known to draw differently can say so.
bool RunningUnderWine();

}  // namespace lumora::conformance
