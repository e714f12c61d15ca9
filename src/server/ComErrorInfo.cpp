// SPDX-License-Identifier: MIT
#include "ComErrorInfo.h"

#include "ComVariant.h"
#include "DorvaneLumoraStyleList.h"
#include "platform/win32/ScopedComPtr.h"

namespace lumora::server {

using win32::ScopedComPtr;

HRESULT ReportRuntimeError(long number, const std::string& description) {
    ScopedComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(::CreateErrorInfo(create.Receive()))) {
        create->SetGUID(IID__LumoraListControl);
        create->SetSource(const_cast<LPOLESTR>(kErrorSource));
        const std::wstring text = WideFromUtf8(description);
        create->SetDescription(const_cast<LPOLESTR>(text.c_str()));
        ScopedComPtr<IErrorInfo> info;
        if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(info.Receive()))))
            ::SetErrorInfo(0, info.get());
    }
    return RuntimeErrorResult(number);
}

void FillExcepInfo(HRESULT failure, EXCEPINFO* info) {
    if (!info) return;
    *info = EXCEPINFO{};
    info->scode = failure;
    ScopedComPtr<IErrorInfo> error;
    if (::GetErrorInfo(0, error.Receive()) != S_OK || !error) return;
    error->GetSource(&info->bstrSource);
    error->GetDescription(&info->bstrDescription);
    error->GetHelpFile(&info->bstrHelpFile);
    error->GetHelpContext(&info->dwHelpContext);
}

}  // namespace lumora::server
