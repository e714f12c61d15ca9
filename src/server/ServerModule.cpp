// SPDX-License-Identifier: MIT
#include "ServerModule.h"

#include <atomic>

#include "DorvaneLumoraStyleList.h"

namespace lumora::server {
namespace {

HINSTANCE moduleInstance = nullptr;
// Objects and locks together: either keeps the library loaded.
std::atomic<long> moduleUsers{0};

}  // namespace

HINSTANCE ModuleInstance() noexcept { return moduleInstance; }

void SetModuleInstance(HINSTANCE instance) noexcept { moduleInstance = instance; }

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(moduleInstance, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

HRESULT LoadServerTypeLibrary(ITypeLib** library) {
    // The locale the library is registered under.
    constexpr LCID kLibraryLocale = 0x409;
    if (SUCCEEDED(::LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, library))) return S_OK;
    return ::LoadRegTypeLib(LIBID_DorvaneLumoraStyleList, 1, 0, kLibraryLocale, library);
}

int ScreenDpi(int axis) {
    const ::HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, axis);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

ModuleReference::ModuleReference() noexcept { ++moduleUsers; }
ModuleReference::ModuleReference(const ModuleReference&) noexcept { ++moduleUsers; }
ModuleReference::~ModuleReference() { --moduleUsers; }

void LockModule(bool lock) noexcept {
    if (lock) {
        ++moduleUsers;
    } else {
        --moduleUsers;
    }
}

bool ModuleCanUnload() noexcept { return moduleUsers.load() == 0; }

}  // namespace lumora::server
