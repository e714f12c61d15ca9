// SPDX-License-Identifier: MIT
#pragma once

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "forms/JsonForm.h"
#include "lumora/headless/HeadlessHost.h"
#include "lumora/runtime/RuntimeError.h"

// What the form fuzzers do with every form that parses: load it into a
// control on the headless host, draw once, save, then load the saved form
// into a second control and save again. The two saves must be the same JSON
// and no drawing object may outlive its host. Anything else that goes wrong
// escapes to libFuzzer (an exception, a sanitizer report) or aborts.
namespace lumora::fuzz {

// Loads `bag` into a new control, optionally draws it, and returns what
// the control saves.
inline nlohmann::ordered_json LoadAndSave(forms::JsonPropertyBag& bag, bool draw) {
    std::shared_ptr<soft::SoftGdi> surface;
    nlohmann::ordered_json saved;
    {
        headless::HeadlessHost host;
        surface = host.sharedSurface();
        // No temporary directory: icons are composed in memory rather than
        // through a file per input.
        host.SetTempDirectory(std::filesystem::path());
        bag.SetPictureFiles(&host.pictureFiles());
        host.control().ReadProperties(bag);
        // A paint whose sums overflow raises the runtime's error 6, as it
        // does for a program that sets those values; the tool reports it.
        if (draw) SkipOnError([&] { host.control().DrawTab(); });
        forms::JsonPropertyBag out;
        host.control().WriteProperties(out);
        saved = forms::JsonOf(out);
    }
    if (surface->LiveObjectsTotal() != 0) std::abort();
    return saved;
}

inline void LoadDrawAndRoundTrip(forms::JsonPropertyBag& bag) {
    const nlohmann::ordered_json first = LoadAndSave(bag, true);
    const std::string text = first.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    forms::JsonPropertyBag again = forms::JsonPropertyBag::FromText(text, "saved.json");
    if (LoadAndSave(again, false) != first) std::abort();
}

}  // namespace lumora::fuzz
