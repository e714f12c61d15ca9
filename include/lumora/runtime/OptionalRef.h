// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <utility>

namespace lumora {

// An optional argument passed by reference. Given a variable, the member
// writes back into it; given a temporary, it works on a copy the caller
// never sees (as the runtime does for a literal); left out, it is missing
// and the member uses its default.
template <typename T>
class OptionalRef {
public:
    OptionalRef() = default;
    OptionalRef(T& variable) : target_(&variable) {}  // NOLINT(google-explicit-constructor)
    template <typename U>
    requires std::is_constructible_v<T, U&&> &&
        (!std::is_same_v<std::remove_cvref_t<U>, T> || !std::is_lvalue_reference_v<U> ||
         std::is_const_v<std::remove_reference_t<U>>)OptionalRef(U&& value)
        : copy_(std::in_place, std::forward<U>(value)) {}  // NOLINT(google-explicit-constructor)

    OptionalRef(const OptionalRef&) = delete;
    OptionalRef& operator=(const OptionalRef&) = delete;

    bool IsMissing() const noexcept { return target_ == nullptr && !copy_; }

    // Supplies the default for a missing argument; afterwards the argument is
    // an ordinary local value.
    T& OrDefault(T defaultValue) {
        if (IsMissing()) copy_.emplace(std::move(defaultValue));
        return get();
    }

    T& get() { return target_ ? *target_ : *copy_; }

private:
    T* target_ = nullptr;
    std::optional<T> copy_;
};

}  // namespace lumora
