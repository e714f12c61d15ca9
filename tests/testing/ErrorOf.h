// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/runtime/RuntimeError.h"

namespace lumora::test {

// Runs a call and gives the runtime error number it failed with, or 0 when
// it succeeded.
template <typename Call>
Long ErrorOf(Call&& call) {
    try {
        call();
    } catch (const RuntimeError& error) {
        return error.number();
    }
    return 0;
}

}  // namespace lumora::test
