// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace lumora::windemo {

// One step of a replayed pointer gesture, in the strip's client pixels.
struct PointerStep {
    enum class Kind { Move, Down, Up };
    Kind kind = Kind::Move;
    int x = 0;
    int y = 0;

    friend bool operator==(const PointerStep&, const PointerStep&) = default;
};

// What the demo was asked to do. Without a screenshot it is interactive.
struct DemoOptions {
    std::wstring form;
    std::wstring screenshot;
    std::vector<PointerStep> events;
    // Where the strip is saved after the capture, in the format the file's
    // name or content asks for.
    std::wstring save;
};

// The options, or none with error set to the sentence to show.
// Accepted: --form FILE, --screenshot OUT.bmp, --events "move X Y; down X Y;
// up X Y", --save FORM. --events and --save need --screenshot: replayed input is for unattended
// runs that end with a capture.
std::optional<DemoOptions> ParseDemoArguments(const std::vector<std::wstring>& arguments, std::wstring* error);

// "move 10 5; down 10 5; up 10 5" as steps, or none with error set.
std::optional<std::vector<PointerStep>> ParsePointerSteps(const std::wstring& text, std::wstring* error);

// How the demo is called, for the message that accompanies exit code 2.
extern const wchar_t kDemoUsage[];

}  // namespace lumora::windemo
