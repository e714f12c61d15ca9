// SPDX-License-Identifier: MIT
#include "lumora/forms/MemoryPropertyBag.h"

#include "lumora/runtime/RuntimeError.h"

namespace lumora::forms {

Variant MemoryPropertyBag::ReadProperty(const String& name, const std::optional<Variant>& defaultValue) {
    if (const auto found = values_.find(name); found != values_.end()) return found->second;
    if (defaultValue) return *defaultValue;
    Raise(err::kKeyNotFound, "Property " + ToUtf8(name) + " not found");
}

void MemoryPropertyBag::WriteProperty(const String& name, const Variant& value,
                                      const std::optional<Variant>& defaultValue) {
    if (defaultValue && value.SameValueAs(*defaultValue)) return;
    writtenKeys_.push_back(name);
    if (values_.try_emplace(name, value).second) storedKeys_.push_back(name);
}

void MemoryPropertyBag::Set(const String& name, Variant value) {
    if (values_.insert_or_assign(name, std::move(value)).second) storedKeys_.push_back(name);
}

const Variant& MemoryPropertyBag::Get(const String& name) const {
    const auto found = values_.find(name);
    if (found == values_.end()) Raise(err::kKeyNotFound, "Property " + ToUtf8(name) + " not found");
    return found->second;
}

std::vector<std::string> MemoryPropertyBag::WrittenKeysUtf8() const {
    std::vector<std::string> keys;
    keys.reserve(writtenKeys_.size());
    for (const String& key : writtenKeys_) keys.push_back(ToUtf8(key));
    return keys;
}

}  // namespace lumora::forms
