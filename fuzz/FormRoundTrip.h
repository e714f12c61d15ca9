// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
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

constexpr std::int64_t kFuzzedImagePixels = std::int64_t{1} << 20;

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
        // A strip as tall as HeaderHeight allows is 8 million pixels here,
        // drawn again by each property loaded after it; a smaller image
        // keeps that cheap under the sanitizers and draws through the same
        // clipping as a strip cut at the full limit.
        host.LimitImage(kFuzzedImagePixels);
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

// Forms of more columns than this are passed by. Loading, drawing and
// saving cost time linear in the columns (the tests and benchmarks run
// 100,000), but under the sanitizers a round trip of 65,536 columns takes
// tens of seconds, and the one-second limit is there to find slow paths,
// not long forms.
constexpr long kMaxFuzzedColumns = 1000;

inline bool TooManyColumns(forms::JsonPropertyBag& bag) {
    try {
        const std::optional<Variant> columns = bag.TryReadProperty(u"NumberOfTabs");
        return columns && columns->ToLong() > kMaxFuzzedColumns;
    } catch (const RuntimeError&) {
        // A count the control cannot take loads no columns.
        return false;
    }
}

inline void LoadDrawAndRoundTrip(forms::JsonPropertyBag& bag) {
    if (TooManyColumns(bag)) return;
    const nlohmann::ordered_json first = LoadAndSave(bag, true);
    const std::string text = first.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    forms::JsonPropertyBag again = forms::JsonPropertyBag::FromText(text, "saved.json");
    if (LoadAndSave(again, false) != first) std::abort();
}

}  // namespace lumora::fuzz
