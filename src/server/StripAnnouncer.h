// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

#include "WindowsHeaders.h"

namespace lumora::server {

class StripAutomation;

// Tells assistive technology what changed in the strip since it last
// looked, through the system's events on the window's client object with
// the column as child id: a caption (name), a press (state), a sort
// (description), and the focused column while the strip has the focus.
// Clients of UI Automation hear the same through the strip's elements.
class StripAnnouncer {
public:
    // Compares the strip with what the last call saw and raises an event
    // for each difference. With pressedOnly, only presses are told and
    // everything else waits for the next whole look: the steps inside one
    // call into the control (a press selects the column before its
    // direction flips) are never announced.
    void Announce(::HWND window, LumoraListControl& strip, bool pressedOnly, StripAutomation* automation);
    // The window went: the next look starts afresh, announcing nothing.
    void Forget() noexcept { known_ = false; }

private:
    struct Shown {
        String name;
        String description;
        bool pressed = false;
    };

    std::vector<Shown> columns_;
    Long focused_ = 0;
    bool known_ = false;
};

}  // namespace lumora::server
