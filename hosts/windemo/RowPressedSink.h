// SPDX-License-Identifier: MIT
#pragma once

#include "DemoWindows.h"

#include <functional>

#include "SampleRows.h"

namespace lumora::windemo {

// The demo's sink on the strip's events. Only RowPressed matters to the
// list: it names the column to sort by and the direction. The other events
// are accepted and ignored, as a container must.
class RowPressedSink final : public IDispatch {
public:
    // The handler gets the pressed column as the strip numbers it and the
    // direction it reported; arguments that are not what the event declares
    // are refused before the handler runs.
    using Handler = std::function<void(long column, SortDirection direction)>;

    explicit RowPressedSink(Handler handler) : handler_(std::move(handler)) {}
    RowPressedSink(const RowPressedSink&) = delete;
    RowPressedSink& operator=(const RowPressedSink&) = delete;

    // Connects to the control's event connection point; false when the
    // control offers none.
    bool Connect(IUnknown* control);
    void Disconnect();

    // IUnknown: the sink lives as long as its window, which disconnects it
    // first, so the count only keeps COM's rules.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT* argumentError) override;

private:
    Handler handler_;
    ULONG references_ = 1;
    IConnectionPoint* point_ = nullptr;
    DWORD cookie_ = 0;
};

}  // namespace lumora::windemo
