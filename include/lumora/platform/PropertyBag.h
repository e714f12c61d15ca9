// SPDX-License-Identifier: MIT
#pragma once

#include <optional>

#include "lumora/runtime/RuntimeError.h"
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
    // The value stored under name, or nothing when the bag holds none: what
    // ReadProperty without a default gives, but a missing name raises no
    // error. Loading reads each column's keys so, and a form of many columns
    // may lack many of them; a bag that can look a name up cheaply says so
    // here instead.
    virtual std::optional<Variant> TryReadProperty(const String& name) {
        try {
            return ReadProperty(name, std::nullopt);
        } catch (const RuntimeError& error) {
            if (error.number() != err::kKeyNotFound) throw;
            return std::nullopt;
        }
    }
    // Loading gave up a step over the value of key, or, without a key, over
    // the value this bag gave last (a value of the wrong kind, out of range,
    // a picture that cannot be read, a key that is missing). Loading goes
    // on; a bag that tells its user which keys came to nothing listens here.
    virtual void ReadStepSkipped(const RuntimeError& error, const String& key = {}) {
        static_cast<void>(error);
        static_cast<void>(key);
    }
};

}  // namespace lumora
