// SPDX-License-Identifier: MIT
#include "PointerReplay.h"

namespace lumora::windemo {
namespace {

// How long each step is given to arrive and be handled.
constexpr DWORD kStepSettleMilliseconds = 100;
// Absolute input positions are given in 1/65536 of the primary screen.
constexpr long long kAbsoluteScale = 65536;

// The normalised absolute coordinate that lands on pixel: rounded up, so
// that scaling back down (which truncates) gives the pixel itself.
LONG Normalised(int pixel, int screenSize) {
    return static_cast<LONG>((pixel * kAbsoluteScale + screenSize - 1) / screenSize);
}

DWORD ButtonFlag(PointerStep::Kind kind) {
    switch (kind) {
        case PointerStep::Kind::Down:
            return MOUSEEVENTF_LEFTDOWN;
        case PointerStep::Kind::Up:
            return MOUSEEVENTF_LEFTUP;
        case PointerStep::Kind::Move:
            break;
    }
    return 0;
}

}  // namespace

void PumpMessagesFor(DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    do {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (::GetTickCount() - start < milliseconds);
}

bool ReplayPointerSteps(HWND target, const std::vector<PointerStep>& steps) {
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    for (const PointerStep& step : steps) {
        POINT point{step.x, step.y};
        ::ClientToScreen(target, &point);
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dx = Normalised(point.x, screenWidth);
        input.mi.dy = Normalised(point.y, screenHeight);
        input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | ButtonFlag(step.kind);
        if (::SendInput(1, &input, sizeof(input)) != 1) return false;
        PumpMessagesFor(kStepSettleMilliseconds);
    }
    return true;
}

}  // namespace lumora::windemo
