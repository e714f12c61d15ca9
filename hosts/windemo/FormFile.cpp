// SPDX-License-Identifier: MIT
#include "FormFile.h"

#include <shlwapi.h>

#include <utility>

#include "DorvaneLumoraStyleList.h"

namespace lumora::windemo {
namespace {

// A fresh temporary file for a save, in the target's folder so that the
// final rename never crosses volumes; empty when none can be made.
std::wstring TemporaryPathFor(const std::wstring& path) {
    std::wstring folder(path);
    const size_t slash = folder.find_last_of(L"\\/");
    folder = slash == std::wstring::npos ? std::wstring(L".") : folder.substr(0, slash + 1);
    wchar_t temporary[MAX_PATH];
    if (!::GetTempFileNameW(folder.c_str(), L"lum", 0, temporary)) return std::wstring();
    return temporary;
}

HRESULT WriteStateTo(IUnknown* control, const std::wstring& path) {
    ScopedComPtr<IPersistStreamInit> persist;
    HRESULT hr = control->QueryInterface(IID_IPersistStreamInit, ReceiveVoid(persist));
    if (FAILED(hr)) return hr;
    ScopedComPtr<IStream> stream;
    hr = ::SHCreateStreamOnFileEx(path.c_str(), STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, FILE_ATTRIBUTE_NORMAL,
                                  TRUE, nullptr, stream.Receive());
    if (SUCCEEDED(hr)) hr = persist->Save(stream.get(), TRUE);
    if (SUCCEEDED(hr)) hr = stream->Commit(STGC_DEFAULT);
    return hr;
}

}  // namespace

HRESULT SaveForm(IUnknown* control, const std::wstring& path) {
    if (!control) return E_POINTER;
    const std::wstring temporary = TemporaryPathFor(path);
    if (temporary.empty()) return HRESULT_FROM_WIN32(::GetLastError());
    HRESULT hr = WriteStateTo(control, temporary);
    if (SUCCEEDED(hr) &&
        !::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        hr = HRESULT_FROM_WIN32(::GetLastError());
    if (FAILED(hr)) ::DeleteFileW(temporary.c_str());
    return hr;
}

HRESULT LoadForm(const std::wstring& path, IUnknown** control) {
    if (!control) return E_POINTER;
    *control = nullptr;
    ScopedComPtr<IStream> stream;
    HRESULT hr = ::SHCreateStreamOnFileEx(path.c_str(), STGM_READ | STGM_SHARE_DENY_WRITE, FILE_ATTRIBUTE_NORMAL, FALSE,
                                          nullptr, stream.Receive());
    if (FAILED(hr)) return hr;
    ScopedComPtr<IPersistStreamInit> persist;
    hr = ::CoCreateInstance(CLSID_LumoraListControl, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistStreamInit,
                            ReceiveVoid(persist));
    if (SUCCEEDED(hr)) hr = persist->Load(stream.get());
    if (FAILED(hr)) return hr;
    return persist->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(control));
}

std::wstring DescribeFormResult(HRESULT hr) {
    wchar_t* text = nullptr;
    ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    wchar_t code[16];
    ::wsprintfW(code, L"0x%08X", static_cast<unsigned>(hr));
    std::wstring message = text ? text : L"Fehler";
    if (text) ::LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    return message + L" (" + code + L")";
}

}  // namespace lumora::windemo
