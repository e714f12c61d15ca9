// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "lumora/platform/Screen.h"
#include "lumora/platform/Shell.h"

namespace lumora::headless {

// A shell without a desktop: every request is written into a log shared
// with the screen, as "ShellExecute Open mailto:support@example.com 1", and
// answered with the result the test sets.
class RecordingShell final : public IShell {
public:
    explicit RecordingShell(std::vector<std::string>& log) : log_(log) {}

    // What the shell answers; 32 or less is a failure, as "no program is
    // registered for this kind of link" (31).
    std::intptr_t result = 42;

    std::intptr_t ShellExecuteA(HWND, const std::string& operation, const std::string& file,
                                const std::string& parameters, const std::string& directory, int showCommand) override {
        std::string line = "ShellExecute " + operation + " " + file;
        if (!parameters.empty() || !directory.empty()) line += " [" + parameters + "] [" + directory + "]";
        log_.push_back(line + " " + std::to_string(showCommand));
        return result;
    }

private:
    std::vector<std::string>& log_;
};

// The screen's mouse pointer, written into the shared log as
// "MousePointer 11".
class RecordingScreen final : public IScreen {
public:
    explicit RecordingScreen(std::vector<std::string>& log) : log_(log) {}

    Integer get_MousePointer() override { return pointer_; }
    void put_MousePointer(Integer pointer) override {
        pointer_ = pointer;
        log_.push_back("MousePointer " + std::to_string(pointer));
    }

private:
    std::vector<std::string>& log_;
    Integer pointer_ = vbDefault;
};

}  // namespace lumora::headless
