// SPDX-License-Identifier: MIT
#pragma once

#include "DemoWindows.h"

#include <string>

namespace lumora::windemo {

// The system's ActiveX container window, from the ATL library found at run
// time: the demo links no ATL of its own, so it hosts the control exactly
// as any container built on the system's ATL does.
class AtlContainer {
public:
    // The library stays loaded for the process: windows of its classes may
    // outlive this object until the message loop ends.
    AtlContainer() = default;
    AtlContainer(const AtlContainer&) = delete;
    AtlContainer& operator=(const AtlContainer&) = delete;

    // Loads the newest ATL library the system offers and registers its
    // window classes; false, with a reason, when there is none.
    bool Load(std::wstring* reason);

    // The class name of the container window the loaded library registered.
    const wchar_t* WindowClass() const noexcept { return windowClass_; }
    // The control a container window holds, or null.
    IUnknown* GetControl(::HWND host) const;
    // Puts a control (already initialised or loaded) into an empty
    // container window, which then activates it.
    HRESULT AttachControl(IUnknown* control, ::HWND host) const;

private:
    using AxWinInit = BOOL(WINAPI*)();
    using AxGetControl = HRESULT(WINAPI*)(::HWND, IUnknown**);
    using AxAttachControl = HRESULT(WINAPI*)(IUnknown*, ::HWND, IUnknown**);

    HMODULE library_ = nullptr;
    const wchar_t* windowClass_ = nullptr;
    AxGetControl getControl_ = nullptr;
    AxAttachControl attachControl_ = nullptr;
};

}  // namespace lumora::windemo
