// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <vector>

#include "lumora/platform/PropertyBag.h"

namespace lumora::forms {

// A property bag in memory. It remembers the order of the writes it stored,
// so a test can compare the sequence of keys a save produced.
//
// A key written twice in one save keeps its first value: the control writes
// "Font" twice, first the font it draws with and then the object last
// assigned to it, and the font it draws with is what a reloaded form should
// show. Use a new bag for each save, as hosts do.
class MemoryPropertyBag final : public IPropertyBag {
public:
    Variant ReadProperty(const String& name, const std::optional<Variant>& defaultValue) override;
    void WriteProperty(const String& name, const Variant& value, const std::optional<Variant>& defaultValue) override;

    // Puts a value in as a saved form would hold it.
    void Set(const String& name, Variant value);
    bool Contains(const String& name) const { return values_.contains(name); }
    const Variant& Get(const String& name) const;
    // Keys in the order they were stored (a key written twice appears twice).
    const std::vector<String>& WrittenKeys() const noexcept { return writtenKeys_; }
    std::vector<std::string> WrittenKeysUtf8() const;
    // The keys the bag holds, each once, in the order they were first
    // stored, by a write or by Set.
    const std::vector<String>& StoredKeys() const noexcept { return storedKeys_; }

private:
    std::map<String, Variant> values_;
    std::vector<String> writtenKeys_;
    std::vector<String> storedKeys_;
};

}  // namespace lumora::forms
