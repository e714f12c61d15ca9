// SPDX-License-Identifier: MIT
#pragma once

#include "WindowsHeaders.h"

#include <new>

#include "ServerModule.h"

namespace lumora::server {

// Creates one class's objects for the system; aggregation is not offered.
class ClassFactory final : public IClassFactory {
public:
    // Makes a new object and asks it for riid.
    using Creator = HRESULT (*)(REFIID riid, void** object);

    explicit ClassFactory(Creator creator) noexcept : creator_(creator) {}
    ClassFactory(const ClassFactory&) = delete;
    ClassFactory& operator=(const ClassFactory&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    ~ClassFactory() = default;

    Creator creator_;
    LONG references_ = 1;
    ModuleReference module_;
};

}  // namespace lumora::server
