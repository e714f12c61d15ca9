// SPDX-License-Identifier: MIT
#include "DemoCommandLine.h"

#include <cwchar>
#include <cwctype>
#include <sstream>

namespace lumora::windemo {
namespace {

// The largest coordinate a step may name: the system's largest window.
constexpr long kLargestCoordinate = 32767;

std::wstring Trimmed(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return std::wstring();
    const size_t last = text.find_last_not_of(L" \t");
    return text.substr(first, last - first + 1);
}

std::optional<int> Coordinate(const std::wstring& word) {
    if (word.empty()) return std::nullopt;
    wchar_t* end = nullptr;
    errno = 0;
    const long value = std::wcstol(word.c_str(), &end, 10);
    if (errno != 0 || *end != L'\0' || value < -kLargestCoordinate || value > kLargestCoordinate) return std::nullopt;
    return static_cast<int>(value);
}

std::optional<PointerStep> ParseStep(const std::wstring& text, std::wstring* error) {
    std::wistringstream words(text);
    std::wstring verb, x, y, extra;
    words >> verb >> x >> y >> extra;
    PointerStep step;
    if (verb == L"move")
        step.kind = PointerStep::Kind::Move;
    else if (verb == L"down")
        step.kind = PointerStep::Kind::Down;
    else if (verb == L"up")
        step.kind = PointerStep::Kind::Up;
    else {
        *error = L"unknown event \"" + verb + L"\" (move, down or up)";
        return std::nullopt;
    }
    const auto px = Coordinate(x);
    const auto py = Coordinate(y);
    if (!px || !py || !extra.empty()) {
        *error = L"event \"" + text + L"\" needs two whole-number coordinates: " + verb + L" X Y";
        return std::nullopt;
    }
    step.x = *px;
    step.y = *py;
    return step;
}

}  // namespace

const wchar_t kDemoUsage[] =
    L"usage: lumora-demo.exe [--form FILE] [--screenshot OUT.bmp [--events \"move X Y; down X Y; up X Y\"] "
    L"[--save FORM.json|FORM.lumora]]";

std::optional<std::vector<PointerStep>> ParsePointerSteps(const std::wstring& text, std::wstring* error) {
    std::vector<PointerStep> steps;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(L';', start), text.size());
        const std::wstring part = Trimmed(text.substr(start, end - start));
        // Empty parts (a trailing ';') are allowed; they name nothing.
        if (!part.empty()) {
            auto step = ParseStep(part, error);
            if (!step) return std::nullopt;
            steps.push_back(*step);
        }
        start = end + 1;
    }
    return steps;
}

std::optional<DemoOptions> ParseDemoArguments(const std::vector<std::wstring>& arguments, std::wstring* error) {
    DemoOptions options;
    bool hasEvents = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& name = arguments[i];
        if (name != L"--form" && name != L"--screenshot" && name != L"--events" && name != L"--save") {
            *error = L"unknown argument \"" + name + L"\"";
            return std::nullopt;
        }
        if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
            *error = name + L" needs a value";
            return std::nullopt;
        }
        const std::wstring& value = arguments[++i];
        if (name == L"--form") {
            options.form = value;
        } else if (name == L"--screenshot") {
            options.screenshot = value;
        } else if (name == L"--save") {
            options.save = value;
        } else {
            auto steps = ParsePointerSteps(value, error);
            if (!steps) return std::nullopt;
            options.events = std::move(*steps);
            hasEvents = true;
        }
    }
    if (hasEvents && options.screenshot.empty()) {
        *error = L"--events needs --screenshot";
        return std::nullopt;
    }
    if (!options.save.empty() && options.screenshot.empty()) {
        *error = L"--save needs --screenshot";
        return std::nullopt;
    }
    return options;
}

}  // namespace lumora::windemo
