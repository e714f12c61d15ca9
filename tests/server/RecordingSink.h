// SPDX-License-Identifier: MIT
#pragma once

#include "WindowsHeaders.h"

#include <functional>
#include <string>
#include <vector>

// A container's sink for the control's events and property notifications,
// recording both in one log: "RowPressed 0 2 DESC", "OnChanged SelectedRow".
namespace lumora::server::testing {

class RecordingSink final : public IDispatch, public IPropertyNotifySink {
public:
    // Names DISPIDs in the log through the control's own names.
    explicit RecordingSink(IDispatch* control) : control_(control) {}

    std::vector<std::string> TakeLog() { return std::exchange(log_, {}); }
    // Runs inside every event, after it is logged, with the arguments as the
    // control passed them (in source order, by reference).
    std::function<void(DISPID, std::vector<VARIANT*>&)> onEvent;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }
    ULONG references() const { return references_; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override;

    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override;
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }

    // Connects to both of the control's connection points.
    void Connect();
    void Disconnect();

private:
    IDispatch* control_;
    ULONG references_ = 1;
    std::vector<std::string> log_;
    IConnectionPoint* events_ = nullptr;
    IConnectionPoint* notifications_ = nullptr;
    DWORD eventsCookie_ = 0;
    DWORD notificationsCookie_ = 0;
};

}  // namespace lumora::server::testing
