// SPDX-License-Identifier: MIT
// The property-page classes. Containers create them by class identifier
// from the control's list of pages; each answers with its own (empty)
// dispatch interface from the type library.
#include "PageObject.h"

#include <new>

#include "DorvaneLumoraStyleList.h"
#include "ServerModule.h"
#include "platform/win32/ScopedComPtr.h"

namespace lumora::server {
namespace {

using win32::ScopedComPtr;

class PageObject final : public IDispatch {
public:
    explicit PageObject(const IID& dispatchId) : dispatchId_(dispatchId) {}
    PageObject(const PageObject&) = delete;
    PageObject& operator=(const PageObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, dispatchId_)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = ::InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        ScopedComPtr<ITypeLib> library;
        HRESULT hr = ::LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, library.Receive());
        if (FAILED(hr)) hr = ::LoadRegTypeLib(LIBID_DorvaneLumoraStyleList, 1, 0, LOCALE_NEUTRAL, library.Receive());
        if (FAILED(hr)) return hr;
        return library->GetTypeInfoOfGuid(dispatchId_, info);
    }
    // The pages' dispatch interfaces have no members.
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override {
        for (UINT i = 0; ids && i < count; ++i) ids[i] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    ~PageObject() = default;

    IID dispatchId_;
    LONG references_ = 1;
    ModuleReference module_;
};

HRESULT CreatePage(const IID& dispatchId, REFIID riid, void** object) {
    auto* page = new (std::nothrow) PageObject(dispatchId);
    if (!page) return E_OUTOFMEMORY;
    const HRESULT hr = page->QueryInterface(riid, object);
    page->Release();
    return hr;
}

}  // namespace

HRESULT CreateRegisterPage(REFIID riid, void** object) { return CreatePage(DIID__Register, riid, object); }
HRESULT CreateTabsCPage(REFIID riid, void** object) { return CreatePage(DIID__TabsC, riid, object); }
HRESULT CreateAllgemeinPage(REFIID riid, void** object) { return CreatePage(DIID__Allgemein, riid, object); }

}  // namespace lumora::server
