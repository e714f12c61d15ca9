// SPDX-License-Identifier: MIT
#pragma once

#include "WindowsHeaders.h"

#include <string>
#include <vector>

// Late-bound calls as a script host makes them: arguments given in source
// order (reversed here for IDispatch::Invoke), results and exceptions kept.
namespace lumora::server::testing {

// Owns a VARIANT.
struct Var {
    VARIANT v;
    Var() { ::VariantInit(&v); }
    explicit Var(long value) : Var() {
        V_VT(&v) = VT_I4;
        V_I4(&v) = value;
    }
    explicit Var(const wchar_t* text) : Var() {
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = ::SysAllocString(text);
    }
    ~Var() { ::VariantClear(&v); }
    Var(const Var& other) : Var() { ::VariantCopy(&v, const_cast<VARIANT*>(&other.v)); }
    Var& operator=(const Var& other) {
        ::VariantCopy(&v, const_cast<VARIANT*>(&other.v));
        return *this;
    }
    static Var Missing() {
        Var missing;
        V_VT(&missing.v) = VT_ERROR;
        V_ERROR(&missing.v) = DISP_E_PARAMNOTFOUND;
        return missing;
    }
    static Var Boolean(bool value) {
        Var result;
        V_VT(&result.v) = VT_BOOL;
        V_BOOL(&result.v) = value ? VARIANT_TRUE : VARIANT_FALSE;
        return result;
    }
    static Var Single(float value) {
        Var result;
        V_VT(&result.v) = VT_R4;
        V_R4(&result.v) = value;
        return result;
    }
    static Var Object(IDispatch* object) {
        Var result;
        V_VT(&result.v) = VT_DISPATCH;
        V_DISPATCH(&result.v) = object;
        if (object) object->AddRef();
        return result;
    }
    // The value as text, for comparing with tables: "I4 25", "BSTR Spalte".
    std::string Describe() const;
};

struct CallResult {
    HRESULT hr = S_OK;
    Var value;
    // From EXCEPINFO when hr is DISP_E_EXCEPTION.
    HRESULT scode = S_OK;
    std::wstring source;
    std::wstring description;
};

DISPID DispidOf(IDispatch* object, const wchar_t* name);
CallResult Invoke(IDispatch* object, DISPID id, WORD flags, std::vector<Var> arguments,
                  const std::vector<DISPID>& named = {});
inline CallResult Get(IDispatch* object, const wchar_t* name, std::vector<Var> index = {}) {
    return Invoke(object, DispidOf(object, name), DISPATCH_PROPERTYGET, std::move(index));
}
CallResult Put(IDispatch* object, const wchar_t* name, Var value, std::vector<Var> index = {},
               WORD flags = DISPATCH_PROPERTYPUT);
inline CallResult Call(IDispatch* object, const wchar_t* name, std::vector<Var> arguments = {}) {
    return Invoke(object, DispidOf(object, name), DISPATCH_METHOD, std::move(arguments));
}

}  // namespace lumora::server::testing
