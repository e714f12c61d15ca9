// SPDX-License-Identifier: MIT
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "FormRoundTrip.h"

// Arbitrary bytes as a form file: anything the reader refuses must be a
// FormFileError; a form it takes must load, draw and save again (see
// FormRoundTrip.h).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::optional<lumora::forms::JsonPropertyBag> bag;
    try {
        bag = lumora::forms::JsonPropertyBag::FromText(text, "fuzz.json");
    } catch (const lumora::forms::FormFileError&) {
        return 0;
    }
    lumora::fuzz::LoadDrawAndRoundTrip(*bag);
    return 0;
}
