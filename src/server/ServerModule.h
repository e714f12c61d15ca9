// SPDX-License-Identifier: MIT
#pragma once

#include "WindowsHeaders.h"

#include <string>

namespace lumora::server {

// The library's own instance handle, for its resources and its file name.
HINSTANCE ModuleInstance() noexcept;
void SetModuleInstance(HINSTANCE instance) noexcept;
// The full path of the library file, as registration writes it.
std::wstring ModulePath();

// The library's type information: from the library's own resource, or,
// when the code runs outside the library (its tests link the pieces), from
// the registered copy.
HRESULT LoadServerTypeLibrary(ITypeLib** library);

// The screen's pixels per inch along one axis (LOGPIXELSX or LOGPIXELSY).
int ScreenDpi(int axis);

// Every live object the library handed out holds one of these, so that
// DllCanUnloadNow never lets the library go while a container still uses
// one of its objects.
class ModuleReference {
public:
    ModuleReference() noexcept;
    ~ModuleReference();
    ModuleReference(const ModuleReference&) noexcept;
    ModuleReference& operator=(const ModuleReference&) = delete;
};

// IClassFactory::LockServer keeps the library loaded without any object.
void LockModule(bool lock) noexcept;
// Whether no object is alive and no lock is held.
bool ModuleCanUnload() noexcept;

}  // namespace lumora::server
