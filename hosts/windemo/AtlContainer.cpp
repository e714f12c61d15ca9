// SPDX-License-Identifier: MIT
#include "AtlContainer.h"

namespace lumora::windemo {
namespace {

// The ATL libraries to try, newest first, with the container window class
// each registers.
struct AtlLibrary {
    const wchar_t* file;
    const wchar_t* windowClass;
};
constexpr AtlLibrary kAtlLibraries[] = {
    {L"atl110.dll", L"AtlAxWin110"},
    {L"atl100.dll", L"AtlAxWin100"},
    {L"atl80.dll", L"AtlAxWin80"},
    {L"atl.dll", L"AtlAxWin"},
};

template <typename Function>
Function Lookup(HMODULE library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

bool WindowClassExists(const wchar_t* name) {
    WNDCLASSEXW registered{};
    registered.cbSize = sizeof(registered);
    return ::GetClassInfoExW(nullptr, name, &registered) != 0;
}

}  // namespace

bool AtlContainer::Load(std::wstring* reason) {
    for (const AtlLibrary& candidate : kAtlLibraries) {
        const HMODULE library = ::LoadLibraryW(candidate.file);
        if (!library) continue;
        const auto init = Lookup<AxWinInit>(library, "AtlAxWinInit");
        const auto getControl = Lookup<AxGetControl>(library, "AtlAxGetControl");
        const auto attachControl = Lookup<AxAttachControl>(library, "AtlAxAttachControl");
        // The classes are registered once per process; a second call of
        // the initialiser then fails, which is no failure.
        if (init && getControl && attachControl && (WindowClassExists(candidate.windowClass) || init()) &&
            WindowClassExists(candidate.windowClass)) {
            library_ = library;
            windowClass_ = candidate.windowClass;
            getControl_ = getControl;
            attachControl_ = attachControl;
            return true;
        }
        ::FreeLibrary(library);
    }
    if (reason) *reason = L"Keine ATL-Bibliothek mit Containerfenster gefunden (atl110/atl100/atl80/atl.dll).";
    return false;
}

IUnknown* AtlContainer::GetControl(HWND host) const {
    IUnknown* control = nullptr;
    if (!getControl_ || !host || FAILED(getControl_(host, &control))) return nullptr;
    return control;
}

HRESULT AtlContainer::AttachControl(IUnknown* control, HWND host) const {
    if (!attachControl_) return E_UNEXPECTED;
    IUnknown* site = nullptr;
    const HRESULT hr = attachControl_(control, host, &site);
    // The window keeps its site alive; the demo needs no reference of its own.
    if (site) site->Release();
    return hr;
}

}  // namespace lumora::windemo
