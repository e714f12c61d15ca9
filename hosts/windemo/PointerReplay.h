// SPDX-License-Identifier: MIT
#pragma once

#include "DemoWindows.h"

#include <vector>

#include "DemoCommandLine.h"

namespace lumora::windemo {

// Lets the window's pending messages run for the given time: input sent
// to the system reaches the window only through its message queue.
void PumpMessagesFor(DWORD milliseconds);

// Replays the steps as real input (SendInput at absolute screen positions),
// each at a point in target's client pixels, and lets each take effect
// before the next. False when the system refused an input.
bool ReplayPointerSteps(::HWND target, const std::vector<PointerStep>& steps);

}  // namespace lumora::windemo
