// SPDX-License-Identifier: MIT
#include "server/RecordingSink.h"

#include <gtest/gtest.h>

#include "DorvaneLumoraStyleList.h"
#include "server/DispatchCalls.h"

namespace lumora::server::testing {
namespace {

const char* EventName(DISPID id) {
    switch (id) {
        case 1:
            return "RowPressed";
        case 2:
            return "MouseIn";
        case 3:
            return "MouseOut";
        case 4:
            return "MouseDown";
        case 5:
            return "MouseUp";
        default:
            return "Unknown";
    }
}

// A by-reference argument's value, as the log shows it.
std::string Value(const VARIANT& argument) {
    char text[64];
    switch (V_VT(&argument)) {
        case VT_BYREF | VT_I2:
            std::snprintf(text, sizeof text, "%d", *V_I2REF(&argument));
            return text;
        case VT_BYREF | VT_I4:
            std::snprintf(text, sizeof text, "%ld", static_cast<long>(*V_I4REF(&argument)));
            return text;
        case VT_BYREF | VT_R4:
            std::snprintf(text, sizeof text, "%g", static_cast<double>(*V_R4REF(&argument)));
            return text;
        case VT_BYREF | VT_BSTR: {
            std::string narrow;
            for (const wchar_t* c = *V_BSTRREF(&argument); c && *c; ++c) narrow += static_cast<char>(*c);
            return narrow;
        }
        default:
            std::snprintf(text, sizeof text, "<vt %d>", V_VT(&argument));
            return text;
    }
}

}  // namespace

HRESULT STDMETHODCALLTYPE RecordingSink::QueryInterface(REFIID riid, void** object) {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, DIID___LumoraListControl)) {
        *object = static_cast<IDispatch*>(this);
    } else if (IsEqualIID(riid, IID_IPropertyNotifySink)) {
        *object = static_cast<IPropertyNotifySink*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                                UINT*) {
    std::vector<VARIANT*> arguments;
    for (UINT i = params->cArgs; i-- > 0;) arguments.push_back(&params->rgvarg[i]);
    std::string line = EventName(id);
    for (const VARIANT* argument : arguments) line += " " + Value(*argument);
    log_.push_back(line);
    if (onEvent) onEvent(id, arguments);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingSink::OnChanged(DISPID id) {
    std::string name = "?";
    if (control_) {
        BSTR text = nullptr;
        ITypeInfo* info = nullptr;
        if (SUCCEEDED(control_->GetTypeInfo(0, 0, &info))) {
            UINT count = 0;
            if (SUCCEEDED(info->GetNames(id, &text, 1, &count)) && count == 1) {
                name.clear();
                for (const wchar_t* c = text; *c; ++c) name += static_cast<char>(*c);
                ::SysFreeString(text);
            }
            info->Release();
        }
    }
    log_.push_back("OnChanged " + name);
    return S_OK;
}

void RecordingSink::Connect() {
    IConnectionPointContainer* container = nullptr;
    ASSERT_EQ(control_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)), S_OK);
    ASSERT_EQ(container->FindConnectionPoint(DIID___LumoraListControl, &events_), S_OK);
    ASSERT_EQ(container->FindConnectionPoint(IID_IPropertyNotifySink, &notifications_), S_OK);
    container->Release();
    ASSERT_EQ(events_->Advise(static_cast<IDispatch*>(this), &eventsCookie_), S_OK);
    ASSERT_EQ(notifications_->Advise(static_cast<IDispatch*>(this), &notificationsCookie_), S_OK);
}

void RecordingSink::Disconnect() {
    if (events_) {
        EXPECT_EQ(events_->Unadvise(eventsCookie_), S_OK);
        events_->Release();
        events_ = nullptr;
    }
    if (notifications_) {
        EXPECT_EQ(notifications_->Unadvise(notificationsCookie_), S_OK);
        notifications_->Release();
        notifications_ = nullptr;
    }
}

}  // namespace lumora::server::testing
