// SPDX-License-Identifier: MIT
#include "server/DispatchCalls.h"

#include <algorithm>
#include <cstdio>

namespace lumora::server::testing {

std::string Var::Describe() const {
    char text[64];
    switch (V_VT(&v)) {
        case VT_EMPTY:
            return "EMPTY";
        case VT_I2:
            std::snprintf(text, sizeof text, "I2 %d", V_I2(&v));
            return text;
        case VT_I4:
            std::snprintf(text, sizeof text, "I4 %ld", static_cast<long>(V_I4(&v)));
            return text;
        case VT_UI4:
            std::snprintf(text, sizeof text, "UI4 %lu", static_cast<unsigned long>(V_UI4(&v)));
            return text;
        case VT_R4:
            std::snprintf(text, sizeof text, "R4 %g", static_cast<double>(V_R4(&v)));
            return text;
        case VT_BOOL:
            return V_BOOL(&v) ? "BOOL True" : "BOOL False";
        case VT_BSTR: {
            std::string narrow;
            for (const wchar_t* c = V_BSTR(&v); c && *c; ++c) narrow += *c < 128 ? static_cast<char>(*c) : '?';
            return "BSTR " + narrow;
        }
        case VT_DISPATCH:
            return V_DISPATCH(&v) ? "DISPATCH" : "DISPATCH Nothing";
        default:
            std::snprintf(text, sizeof text, "VT %d", V_VT(&v));
            return text;
    }
}

DISPID DispidOf(IDispatch* object, const wchar_t* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
}

CallResult Invoke(IDispatch* object, DISPID id, WORD flags, std::vector<Var> arguments,
                  const std::vector<DISPID>& named) {
    std::vector<VARIANT> reversed;
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) reversed.push_back(it->v);
    std::vector<DISPID> names(named.rbegin(), named.rend());
    DISPPARAMS params{reversed.data(), names.empty() ? nullptr : names.data(), static_cast<UINT>(reversed.size()),
                      static_cast<UINT>(names.size())};
    CallResult result;
    EXCEPINFO exception{};
    UINT argumentError = 0;
    result.hr =
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result.value.v, &exception, &argumentError);
    if (result.hr == DISP_E_EXCEPTION) {
        result.scode = exception.scode;
        if (exception.bstrSource) result.source = exception.bstrSource;
        if (exception.bstrDescription) result.description = exception.bstrDescription;
    }
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);
    return result;
}

CallResult Put(IDispatch* object, const wchar_t* name, Var value, std::vector<Var> index, WORD flags) {
    index.push_back(std::move(value));
    return Invoke(object, DispidOf(object, name), flags, std::move(index), {DISPID_PROPERTYPUT});
}

}  // namespace lumora::server::testing
