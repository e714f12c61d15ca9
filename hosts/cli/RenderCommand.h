// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "lumora/forms/JsonFormFile.h"
#include "lumora/runtime/Types.h"

namespace lumora::cli {

// A wrong `render` command line; the tool shows the usage after it.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An event script that cannot be replayed. The message names the event by
// its place and text and says what is wrong, in one line.
class EventScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One step of the user's session with the strip, in client pixels.
struct ScriptEvent {
    enum class Kind { Move, Down, Up, Focus, Blur, Key, AccessKey };
    Kind kind = Kind::Move;
    Single x = 0;
    Single y = 0;
    // 1 left, 2 right, 4 middle, as the mouse events report buttons.
    Integer button = 1;
    // A key: the system's virtual key code. An access key: the character
    // pressed with Alt.
    Integer key = 0;
    char32_t character = 0;
};

struct RenderOptions {
    std::filesystem::path form;
    std::filesystem::path output;
    // Without a width the window is as wide as the strip's columns plus a
    // margin, so the right-hand area shows too.
    std::optional<int> width;
    int dpi = 96;
    // The picture shows every pixel of the strip this many times larger, as
    // a screen scaled for its resolution does.
    double scale = 1.0;
    std::vector<ScriptEvent> events;
    // Prints each event the control raises while the events replay, one
    // line each: its name and its arguments in order.
    bool printEvents = false;
};

// Reads the arguments that follow `render`. Raises UsageError for a wrong
// command line and EventScriptError for a script that cannot be replayed,
// before any file is touched.
RenderOptions ParseRenderArguments(std::span<const std::string> args);

// Reads "move X Y; down X Y [BUTTON]; up X Y [BUTTON]; focus; blur;
// key NAME; alt CHARACTER", where NAME is Left, Right, Home, End, Space, Enter
// or Tab. Empty items are skipped and do not count as events.
std::vector<ScriptEvent> ParseEventScript(std::string_view script);

// Loads the form into a control whose window has the options' size and
// resolution, replays the events and writes the control's image as PNG.
// Keys the control skipped are reported on err. Raises FormFileError,
// PngError or the control's RuntimeError.
void RenderForm(const RenderOptions& options, std::ostream& out, std::ostream& err);

// After a control read the bag: one warning line on err for each key of the
// form it skipped, and why, up to a screenful. Loading a form never fails
// over a key, but its author deserves to know.
void ReportSkippedKeys(const std::filesystem::path& form, const forms::JsonPropertyBag& bag, std::ostream& err);

}  // namespace lumora::cli
