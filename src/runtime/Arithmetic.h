// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>
#include <limits>
#include <utility>

#include "lumora/runtime/RuntimeError.h"
#include "lumora/runtime/Types.h"

namespace lumora {

// Arithmetic of the runtime: results that do not fit the type raise error 6
// instead of wrapping around.
template <typename T>
T CheckedAdd(T a, T b) {
    T result;
    if (__builtin_add_overflow(a, b, &result)) Raise(err::kOverflow);
    return result;
}

template <typename T>
T CheckedSub(T a, T b) {
    T result;
    if (__builtin_sub_overflow(a, b, &result)) Raise(err::kOverflow);
    return result;
}

template <typename T>
T CheckedMul(T a, T b) {
    T result;
    if (__builtin_mul_overflow(a, b, &result)) Raise(err::kOverflow);
    return result;
}

// Narrowing of a whole number; error 6 when it does not fit.
template <typename To, typename From>
To Narrow(From value) {
    static_assert(std::numeric_limits<To>::is_integer && std::numeric_limits<From>::is_integer);
    if (!std::in_range<To>(value)) Raise(err::kOverflow);
    return static_cast<To>(value);
}

// Float to whole number, to the nearest value with halves to the even
// neighbour (12.5 gives 12, 13.5 gives 14); error 6 outside the type.
template <typename To>
To RoundHalfEven(double value) {
    static_assert(std::numeric_limits<To>::is_integer);
    if (std::isnan(value)) Raise(err::kOverflow);
    const double rounded = std::nearbyint(value);
    if (rounded < static_cast<double>(std::numeric_limits<To>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<To>::max()))
        Raise(err::kOverflow);
    return static_cast<To>(rounded);
}

inline Long CLng(double value) { return RoundHalfEven<Long>(value); }
inline Integer CInt(double value) { return RoundHalfEven<Integer>(value); }

// An index outside an array's bounds raises error 9.
inline void CheckBounds(bool inside) {
    if (!inside) Raise(err::kSubscriptOutOfRange);
}

}  // namespace lumora
