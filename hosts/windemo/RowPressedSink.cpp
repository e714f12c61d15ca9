// SPDX-License-Identifier: MIT
#include "RowPressedSink.h"

#include <optional>
#include <string_view>

#include "DorvaneLumoraStyleList.h"

namespace lumora::windemo {
namespace {

// The event's DISPID and its arguments, which arrive in reverse order.
constexpr DISPID kRowPressed = 1;
constexpr UINT kRowPressedArguments = 3;
constexpr UINT kSortRowArgument = 1;
constexpr UINT kSortArgument = 0;

// The value of a by-reference or plain argument of the given type, or none.
std::optional<long> LongArgument(const VARIANT& argument) {
    if (V_VT(&argument) == (VT_I4 | VT_BYREF) && V_I4REF(&argument)) return *V_I4REF(&argument);
    if (V_VT(&argument) == VT_I4) return V_I4(&argument);
    return std::nullopt;
}

std::optional<std::wstring_view> TextArgument(const VARIANT& argument) {
    BSTR text = nullptr;
    if (V_VT(&argument) == (VT_BSTR | VT_BYREF) && V_BSTRREF(&argument))
        text = *V_BSTRREF(&argument);
    else if (V_VT(&argument) == VT_BSTR)
        text = V_BSTR(&argument);
    else
        return std::nullopt;
    return std::wstring_view(text ? text : L"", text ? ::SysStringLen(text) : 0);
}

}  // namespace

bool RowPressedSink::Connect(IUnknown* control) {
    Disconnect();
    IConnectionPointContainer* container = nullptr;
    if (!control ||
        FAILED(control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container))))
        return false;
    HRESULT hr = container->FindConnectionPoint(DIID___LumoraListControl, &point_);
    container->Release();
    if (SUCCEEDED(hr)) hr = point_->Advise(this, &cookie_);
    if (FAILED(hr)) {
        if (point_) point_->Release();
        point_ = nullptr;
        return false;
    }
    return true;
}

void RowPressedSink::Disconnect() {
    if (!point_) return;
    point_->Unadvise(cookie_);
    point_->Release();
    point_ = nullptr;
    cookie_ = 0;
}

HRESULT STDMETHODCALLTYPE RowPressedSink::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, DIID___LumoraListControl)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE RowPressedSink::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RowPressedSink::Invoke(DISPID id, REFIID riid, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                                 EXCEPINFO*, UINT* argumentError) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (id != kRowPressed) return S_OK;
    if (!params || params->cArgs != kRowPressedArguments || !params->rgvarg) return DISP_E_BADPARAMCOUNT;
    const auto column = LongArgument(params->rgvarg[kSortRowArgument]);
    const auto word = TextArgument(params->rgvarg[kSortArgument]);
    if (!column || !word) {
        if (argumentError) *argumentError = column ? kSortArgument : kSortRowArgument;
        return DISP_E_TYPEMISMATCH;
    }
    // A press on a column the list does not have, or a direction word the
    // list does not know, leaves the list as it is.
    const auto direction = DirectionFromWord(*word);
    if (direction && handler_) handler_(*column, *direction);
    return S_OK;
}

}  // namespace lumora::windemo
