// SPDX-License-Identifier: MIT
// The entry points through which the system registers the library (for
// the machine, or with DllInstall for one user), obtains its class
// factories and asks whether it may unload it.
#include "WindowsHeaders.h"

#include "ClassFactory.h"
#include "ControlObject.h"
#include "DorvaneLumoraStyleList.h"
#include "PageObject.h"
#include "ServerModule.h"
#include "ServerRegistration.h"

using namespace lumora::server;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        SetModuleInstance(instance);
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return RegisterServerEntries(ModulePath()); }

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() { return UnregisterServerEntries(); }

// `regsvr32 /n /i:user` registers the library for the current user alone,
// `regsvr32 /u /n /i:user` takes that back; users without the rights to
// change the machine's classes install the control this way.
extern "C" HRESULT STDAPICALLTYPE DllInstall(BOOL install, PCWSTR commandLine) {
    if (!commandLine || ::lstrcmpiW(commandLine, L"user") != 0) return E_INVALIDARG;
    return install ? RegisterServerEntriesForUser(ModulePath()) : UnregisterServerEntriesForUser(ModulePath());
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return ModuleCanUnload() ? S_OK : S_FALSE; }

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    ClassFactory::Creator creator = nullptr;
    if (IsEqualCLSID(clsid, CLSID_LumoraListControl)) {
        creator = &CreateControlObject;
    } else if (IsEqualCLSID(clsid, CLSID_Register)) {
        creator = &CreateRegisterPage;
    } else if (IsEqualCLSID(clsid, CLSID_TabsC)) {
        creator = &CreateTabsCPage;
    } else if (IsEqualCLSID(clsid, CLSID_Allgemein)) {
        creator = &CreateAllgemeinPage;
    } else {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    IClassFactory* factory = new (std::nothrow) ClassFactory(creator);
    if (!factory) return E_OUTOFMEMORY;
    const HRESULT hr = factory->QueryInterface(riid, object);
    factory->Release();
    return hr;
}
