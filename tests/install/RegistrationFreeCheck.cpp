// SPDX-License-Identifier: MIT
//
// lumora_regfree_check <folder of the unzipped package's word size>
//
// Uses the control through the package's manifests alone, as the demo
// beside them does (its application manifest names the library's
// assembly), and prints one line per step for
// tests/install/wine-install-test.sh to compare: both ProgIDs create the
// control (progid, comClass), its class creates it (comClass), and the
// type library loads by its identifier and holds the control's interface
// (typelib).

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

#include "DorvaneLumoraStyleList.h"

namespace {

const char* Result(HRESULT hr) { return SUCCEEDED(hr) ? "ok" : "failed"; }

// Creates the class and asks it for the control's dual interface, as a
// container does.
HRESULT CreateControl(REFCLSID clsid) {
    IUnknown* control = nullptr;
    HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__LumoraListControl,
                                    reinterpret_cast<void**>(&control));
    if (control) control->Release();
    return hr;
}

// The class a ProgID names through the manifest may be an alias the system
// made up for the control's class, so it is checked by what it creates.
void CheckProgId(const wchar_t* progId, const char* label) {
    CLSID clsid = {};
    HRESULT hr = ::CLSIDFromProgID(progId, &clsid);
    if (SUCCEEDED(hr)) hr = CreateControl(clsid);
    std::printf("%s %s\n", label, Result(hr));
}

void CheckTypeLibrary() {
    ITypeLib* library = nullptr;
    const HRESULT hr = ::LoadRegTypeLib(LIBID_DorvaneLumoraStyleList, 1, 0, 0x409, &library);
    std::printf("LoadRegTypeLib %s\n", Result(hr));
    if (!library) return;
    ITypeInfo* type = nullptr;
    const HRESULT found = library->GetTypeInfoOfGuid(IID__LumoraListControl, &type);
    std::printf("_LumoraListControl %s\n", Result(found));
    if (type) type->Release();
    library->Release();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: lumora_regfree_check FOLDER\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    const std::wstring manifest = folder + L"\\lumora-demo.exe.manifest";
    ACTCTXW context = {};
    context.cbSize = sizeof(context);
    context.dwFlags = ACTCTX_FLAG_ASSEMBLY_DIRECTORY_VALID;
    context.lpSource = manifest.c_str();
    context.lpAssemblyDirectory = folder.c_str();
    const HANDLE activation = ::CreateActCtxW(&context);
    if (activation == INVALID_HANDLE_VALUE) {
        std::printf("CreateActCtx failed %lu\n", ::GetLastError());
        return 1;
    }
    ULONG_PTR cookie = 0;
    if (!::ActivateActCtx(activation, &cookie) || FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        std::printf("ActivateActCtx failed\n");
        return 1;
    }
    CheckProgId(L"DorvaneLumoraStyleList.LumoraListControl", "ProgID");
    CheckProgId(L"DorvaneLumoraStyleList.LumoraListControl.1", "VersionedProgID");
    std::printf("CoCreateInstance %s\n", Result(CreateControl(CLSID_LumoraListControl)));
    CheckTypeLibrary();
    ::CoUninitialize();
    ::DeactivateActCtx(0, cookie);
    ::ReleaseActCtx(activation);
    return 0;
}
