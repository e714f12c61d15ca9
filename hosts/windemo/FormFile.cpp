// SPDX-License-Identifier: MIT
// The portable forms header comes before the system's, whose macros (RGB,
// SRCCOPY, CreateFont...) would otherwise rewrite its declarations. It stays
// out of FormFile.h: the demo's other files name the system's HWND and
// HBRUSH, which the portable headers also declare in the lumora namespace.
#include "lumora/forms/FormConversion.h"

#include "FormFile.h"

#include <shlwapi.h>

#include <exception>
#include <filesystem>
#include <memory>
#include <new>
#include <utility>

#include "DorvaneLumoraStyleList.h"
#include "platform/win32/Utf8Text.h"

namespace lumora::windemo {
namespace {

// A failure that the line in `problem` explains.
constexpr HRESULT kFormFileFailed = E_FAIL;

HRESULT Explain(std::wstring* problem, std::wstring text) {
    if (problem) *problem = std::move(text);
    return kFormFileFailed;
}

// Runs a step of the portable forms code; its one-line failures become the
// problem's text.
template <typename Step>
HRESULT FormStep(std::wstring* problem, Step&& step) noexcept {
    try {
        step();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::exception& error) {
        return Explain(problem, win32::WideText(error.what()));
    }
}

// What the control said about its failure in the thread's error object;
// empty when it left none.
std::wstring ErrorObjectText() {
    ScopedComPtr<IErrorInfo> info;
    if (::GetErrorInfo(0, info.Receive()) != S_OK || !info) return std::wstring();
    BSTR description = nullptr;
    if (FAILED(info->GetDescription(&description)) || !description) return std::wstring();
    const std::unique_ptr<OLECHAR, decltype(&::SysFreeString)> owned(description, &::SysFreeString);
    return std::wstring(description, ::SysStringLen(description));
}

// The bytes of the control's saved state, as its IPersistStreamInit writes
// them.
HRESULT SavedState(IUnknown* control, std::string* bytes) {
    ScopedComPtr<IPersistStreamInit> persist;
    HRESULT hr = control->QueryInterface(IID_IPersistStreamInit, ReceiveVoid(persist));
    if (FAILED(hr)) return hr;
    ScopedComPtr<IStream> stream;
    hr = ::CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive());
    if (SUCCEEDED(hr)) hr = persist->Save(stream.get(), TRUE);
    STATSTG status{};
    if (SUCCEEDED(hr)) hr = stream->Stat(&status, STATFLAG_NONAME);
    HGLOBAL memory = nullptr;
    if (SUCCEEDED(hr)) hr = ::GetHGlobalFromStream(stream.get(), &memory);
    if (FAILED(hr)) return hr;
    // The memory can be larger than what was written; the stream's size is
    // the state's.
    const auto* data = static_cast<const char*>(::GlobalLock(memory));
    if (!data) return E_OUTOFMEMORY;
    bytes->assign(data, static_cast<size_t>(status.cbSize.QuadPart));
    ::GlobalUnlock(memory);
    return S_OK;
}

}  // namespace

HRESULT SaveForm(IUnknown* control, const std::wstring& path, std::wstring* problem) {
    if (!control) return E_POINTER;
    std::string state;
    const HRESULT hr = SavedState(control, &state);
    if (FAILED(hr)) return hr;
    return FormStep(problem, [&] {
        const std::filesystem::path file(path);
        forms::SaveStreamAs(state, file, forms::FormatForSaving(file, forms::FormFormat::Stream));
    });
}

HRESULT LoadForm(const std::wstring& path, IUnknown** control, std::wstring* problem) {
    if (!control) return E_POINTER;
    *control = nullptr;
    std::string state;
    HRESULT hr = FormStep(problem, [&] { state = forms::LoadFormFileAsStream(std::filesystem::path(path)); });
    if (FAILED(hr)) return hr;
    ScopedComPtr<IStream> stream;
    *stream.Receive() =
        ::SHCreateMemStream(reinterpret_cast<const BYTE*>(state.data()), static_cast<UINT>(state.size()));
    if (!stream) return E_OUTOFMEMORY;
    ScopedComPtr<IPersistStreamInit> persist;
    hr = ::CoCreateInstance(CLSID_LumoraListControl, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistStreamInit,
                            ReceiveVoid(persist));
    if (FAILED(hr)) return hr;
    hr = persist->Load(stream.get());
    if (FAILED(hr)) {
        // The file was checked as a form; what the control still refuses,
        // it explains in its error object.
        const std::wstring words = ErrorObjectText();
        return words.empty() ? hr : Explain(problem, path + L": " + words);
    }
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
