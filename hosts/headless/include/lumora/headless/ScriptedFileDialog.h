// SPDX-License-Identifier: MIT
#pragma once

#include <deque>
#include <vector>

#include "lumora/platform/FileDialog.h"

namespace lumora::headless {

// A file-open dialog without a screen: it answers every request with the
// next answer queued by the test (a file, a cancel, a failure) and cancels
// when none is left. It keeps every request as it arrived.
class ScriptedFileDialog final : public IFileDialog {
public:
    // The instance handle it reports for the component.
    static constexpr std::uintptr_t kComponentInstance = 0x10000000;

    // The user picks path (converted to the system's 8-bit code page, as
    // the dialog hands it back).
    void QueueChoice(const String& path);
    void QueueCancel();
    // The dialog fails as it does with a buffer too small for the chosen
    // name: the size it wanted stands at the buffer's start.
    void QueueFailure();

    std::uintptr_t ComponentInstance() override { return kComponentInstance; }
    bool GetOpenFileNameA(OpenFileName& record) override;

    const std::vector<OpenFileName>& requests() const noexcept { return requests_; }

private:
    struct Answer {
        enum class Kind { Choice, Cancel, Failure } kind;
        std::string path;
    };

    std::deque<Answer> answers_;
    std::vector<OpenFileName> requests_;
};

}  // namespace lumora::headless
