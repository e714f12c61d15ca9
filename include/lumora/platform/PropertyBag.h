// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include "lumora/runtime/Types.h"
#include "lumora/runtime/Variant.h"

namespace lumora {

// The host's keyed store for a control's saved state.
class IPropertyBag {
public:
    virtual ~IPropertyBag() = default;

    // The value stored under name, or the default when nothing is. Without a
    // default, a missing name raises an error.
    virtual Variant ReadProperty(const String& name, const std::optional<Variant>& defaultValue) = 0;
    // Stores value under name, unless a default is given and the value equals
    // it: then the reader's default stands in for it.
    virtual void WriteProperty(const String& name, const Variant& value,
                               const std::optional<Variant>& defaultValue) = 0;
};

}  // namespace lumora
