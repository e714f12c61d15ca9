// SPDX-License-Identifier: MIT
// The registry entries through which containers find the control, its
// property pages and its type library.
#include "ServerRegistration.h"

#include <olectl.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "DorvaneLumoraStyleList.h"
#include "ServerModule.h"
#include "ServerResources.h"
#include "platform/win32/ScopedComPtr.h"

namespace lumora::server {
namespace {

using win32::ScopedComPtr;

// The names containers know the control by; forms saved by a designer
// refer to the versioned one.
constexpr wchar_t kControlName[] = L"LumoraListControl";
constexpr wchar_t kProgId[] = L"DorvaneLumoraStyleList.LumoraListControl.1";
constexpr wchar_t kVersionIndependentProgId[] = L"DorvaneLumoraStyleList.LumoraListControl";
// The type library's version as its library block declares it.
constexpr wchar_t kTypeLibraryVersion[] = L"1.0";
// Every class of the library lives in the container's own thread.
constexpr wchar_t kThreadingModel[] = L"Apartment";

// The system's marshalers for automation interfaces: the type library's own
// for a dual or automation-compatible interface, IDispatch's for a
// dispinterface.
constexpr wchar_t kAutomationMarshaler[] = L"{00020424-0000-0000-C000-000000000046}";
constexpr wchar_t kDispatchMarshaler[] = L"{00020420-0000-0000-C000-000000000046}";
// Where a user's own classes live; the system shows them over the
// machine's.
constexpr wchar_t kUserClassesKey[] = L"Software\\Classes";

// Owns an open registry key.
class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() { Reset(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    HKEY get() const noexcept { return key_; }
    // For a call that opens a key through an HKEY* argument.
    HKEY* Receive() noexcept {
        Reset();
        return &key_;
    }
    void Reset() noexcept {
        if (key_) ::RegCloseKey(std::exchange(key_, nullptr));
    }

private:
    HKEY key_ = nullptr;
};

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring ClassKey(REFCLSID clsid) { return L"CLSID\\" + GuidText(clsid); }

// What every class of the library says about the file that serves it.
std::vector<RegistryValue> InprocServerValues(const std::wstring& modulePath) {
    return {{L"", modulePath}, {L"ThreadingModel", kThreadingModel}};
}

// Every key and value the library writes itself, each key after its parent:
// registering walks the table forwards, unregistering backwards.
std::vector<RegistryEntry> ServerEntries(const std::wstring& modulePath) {
    const std::wstring control = ClassKey(CLSID_LumoraListControl);
    const std::wstring controlClsid = GuidText(CLSID_LumoraListControl);
    const std::wstring versionedProgId = kProgId;
    const std::wstring progId = kVersionIndependentProgId;
    std::vector<RegistryEntry> entries = {
        {control, {{L"", kControlName}}},
        {control + L"\\InprocServer32", InprocServerValues(modulePath)},
        {control + L"\\ProgID", {{L"", kProgId}}},
        {control + L"\\VersionIndependentProgID", {{L"", kVersionIndependentProgId}}},
        {control + L"\\Control", {}},
        {control + L"\\ToolboxBitmap32", {{L"", modulePath + L", " + std::to_wstring(LUMORA_IDB_TOOLBOX)}}},
        {control + L"\\MiscStatus", {{L"", L"0"}}},
        {control + L"\\MiscStatus\\1", {{L"", std::to_wstring(kControlMiscStatus)}}},
        {control + L"\\TypeLib", {{L"", GuidText(LIBID_DorvaneLumoraStyleList)}}},
        {control + L"\\Version", {{L"", kTypeLibraryVersion}}},
        {versionedProgId, {{L"", kControlName}}},
        {versionedProgId + L"\\CLSID", {{L"", controlClsid}}},
        {progId, {{L"", kControlName}}},
        {progId + L"\\CLSID", {{L"", controlClsid}}},
        {progId + L"\\CurVer", {{L"", kProgId}}},
    };
    const std::pair<const CLSID*, const wchar_t*> pages[] = {
        {&CLSID_Register, L"Register"}, {&CLSID_TabsC, L"TabsC"}, {&CLSID_Allgemein, L"Allgemein"}};
    for (const auto& [clsid, name] : pages) {
        entries.push_back({ClassKey(*clsid), {{L"", name}}});
        entries.push_back({ClassKey(*clsid) + L"\\InprocServer32", InprocServerValues(modulePath)});
    }
    return entries;
}

std::wstring TypeLibraryKey(const TLIBATTR& library) { return L"TypeLib\\" + GuidText(library.guid); }

std::wstring TypeLibraryVersionKey(const TLIBATTR& library) {
    wchar_t version[16] = {};
    ::wsprintfW(version, L"%x.%x", library.wMajorVerNum, library.wMinorVerNum);
    return TypeLibraryKey(library) + L"\\" + version;
}

std::wstring TypeLibraryLocaleKey(const TLIBATTR& library) {
    wchar_t locale[16] = {};
    ::wsprintfW(locale, L"%lx", static_cast<unsigned long>(library.lcid));
    return TypeLibraryVersionKey(library) + L"\\" + locale;
}

// The key whose default value is the file the library is loaded from.
std::wstring TypeLibraryFileKey(const TLIBATTR& library) {
    return TypeLibraryLocaleKey(library) + (library.syskind == SYS_WIN64 ? L"\\win64" : L"\\win32");
}

// What the library says about itself, as its registration records it.
struct TypeLibraryDescription {
    TLIBATTR attributes = {};
    std::wstring name;
};

// What registration records for one of the library's interfaces.
struct InterfaceDescription {
    IID iid = {};
    std::wstring name;
    bool dispatchOnly = false;
};

// The keys the system's RegisterTypeLib writes for a library, as far as they
// are the library's alone. A machine-wide registration leaves writing them
// to the system and uses them to clear what a broken registration left
// behind; a per-user one writes them itself.
std::vector<RegistryEntry> TypeLibraryEntries(const TypeLibraryDescription& library, const std::wstring& modulePath) {
    const TLIBATTR& attributes = library.attributes;
    const std::wstring versionKey = TypeLibraryVersionKey(attributes);
    const std::wstring folder = modulePath.substr(0, modulePath.find_last_of(L'\\') + 1);
    return {
        {TypeLibraryKey(attributes), {}},
        {versionKey, {{L"", library.name}}},
        {TypeLibraryLocaleKey(attributes), {}},
        {TypeLibraryFileKey(attributes), {{L"", modulePath}}},
        {versionKey + L"\\FLAGS", {{L"", std::to_wstring(attributes.wLibFlags)}}},
        // The folder without its last separator, as the system writes it.
        {versionKey + L"\\HELPDIR", {{L"", folder.empty() ? folder : folder.substr(0, folder.size() - 1)}}},
    };
}

// The keys RegisterTypeLib writes for one of the library's interfaces.
std::vector<RegistryEntry> InterfaceEntries(const InterfaceDescription& type, const TLIBATTR& library) {
    const std::wstring key = L"Interface\\" + GuidText(type.iid);
    const std::wstring marshaler = type.dispatchOnly ? kDispatchMarshaler : kAutomationMarshaler;
    wchar_t version[16] = {};
    ::wsprintfW(version, L"%x.%x", library.wMajorVerNum, library.wMinorVerNum);
    return {
        {key, {{L"", type.name}}},
        {key + L"\\ProxyStubClsid", {{L"", marshaler}}},
        {key + L"\\ProxyStubClsid32", {{L"", marshaler}}},
        {key + L"\\TypeLib", {{L"", GuidText(library.guid)}, {L"Version", version}}},
    };
}

// The library's interfaces that the system's type library registration
// records: dispinterfaces, and interfaces that automation can marshal.
std::vector<InterfaceDescription> RegisteredInterfaces(ITypeLib* library) {
    std::vector<InterfaceDescription> interfaces;
    for (UINT index = 0; index < library->GetTypeInfoCount(); ++index) {
        ScopedComPtr<ITypeInfo> type;
        TYPEATTR* attributes = nullptr;
        if (FAILED(library->GetTypeInfo(index, type.Receive())) || FAILED(type->GetTypeAttr(&attributes))) continue;
        const bool dispatchOnly = attributes->typekind == TKIND_DISPATCH && !(attributes->wTypeFlags & TYPEFLAG_FDUAL);
        const bool registered = attributes->typekind == TKIND_DISPATCH ||
                                (attributes->typekind == TKIND_INTERFACE &&
                                 (attributes->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION)));
        const IID iid = attributes->guid;
        type->ReleaseTypeAttr(attributes);
        if (!registered) continue;
        BSTR name = nullptr;
        library->GetDocumentation(static_cast<INT>(index), &name, nullptr, nullptr, nullptr);
        interfaces.push_back({iid, name ? std::wstring(name, ::SysStringLen(name)) : std::wstring(), dispatchOnly});
        ::SysFreeString(name);
    }
    return interfaces;
}

const wchar_t* ValueName(const RegistryValue& value) { return value.name.empty() ? nullptr : value.name.c_str(); }

// root is the machine's merged classes (HKEY_CLASSES_ROOT) or a user's own.
HRESULT WriteEntry(HKEY root, const RegistryEntry& entry) {
    RegistryKey key;
    LSTATUS status = ::RegCreateKeyExW(root, entry.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                       nullptr, key.Receive(), nullptr);
    for (const RegistryValue& value : entry.values) {
        if (status != ERROR_SUCCESS) break;
        const DWORD bytes = static_cast<DWORD>((value.data.size() + 1) * sizeof(wchar_t));
        status = ::RegSetValueExW(key.get(), ValueName(value), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(value.data.c_str()), bytes);
    }
    return HRESULT_FROM_WIN32(status);
}

// Removes the entry's values, then its key once nothing is left in it: a
// value or subkey some other program put there keeps the key alive.
// view selects a registry view other than the process's own.
HRESULT RemoveEntry(HKEY root, const RegistryEntry& entry, REGSAM view) {
    RegistryKey key;
    LSTATUS status = ::RegOpenKeyExW(root, entry.path.c_str(), 0,
                                     KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_ENUMERATE_SUB_KEYS | view, key.Receive());
    if (status == ERROR_FILE_NOT_FOUND) return S_OK;
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    for (const RegistryValue& value : entry.values) {
        status = ::RegDeleteValueW(key.get(), ValueName(value));
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return HRESULT_FROM_WIN32(status);
    }
    DWORD subkeys = 0;
    DWORD values = 0;
    status = ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    key.Reset();
    if (subkeys != 0 || values != 0) return S_OK;
    status = ::RegDeleteKeyExW(root, entry.path.c_str(), view, 0);
    return status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}

// Removes the entries last first, so that subkeys go before their parents;
// every entry is tried even after one fails.
HRESULT RemoveEntries(HKEY root, const std::vector<RegistryEntry>& entries, REGSAM view) {
    HRESULT result = S_OK;
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        const HRESULT hr = RemoveEntry(root, *entry, view);
        if (SUCCEEDED(result)) result = hr;
    }
    return result;
}

bool KeyExists(const std::wstring& path) {
    RegistryKey key;
    return ::RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_QUERY_VALUE, key.Receive()) == ERROR_SUCCESS;
}

std::optional<std::wstring> ReadDefaultText(const std::wstring& path, REGSAM view) {
    RegistryKey key;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_QUERY_VALUE | view, key.Receive()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    wchar_t text[64] = {};
    DWORD type = 0;
    DWORD bytes = sizeof(text) - sizeof(wchar_t);
    if (::RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    return std::wstring(text);
}

// Whether the interface key in the given view was written for our library,
// and not for another library that shares the interface.
bool InterfaceNamesLibrary(REFIID iid, REFGUID libid, REGSAM view) {
    const std::optional<std::wstring> text = ReadDefaultText(L"Interface\\" + GuidText(iid) + L"\\TypeLib", view);
    GUID named = {};
    return text && SUCCEEDED(::CLSIDFromString(text->c_str(), &named)) && IsEqualGUID(named, libid);
}

// RegisterTypeLib registers the interfaces in both registry views, and
// UnRegisterTypeLib finds them only through the library's own key, which a
// broken registration may have lost: whatever still names our library goes.
HRESULT RemoveInterfaceEntries(ITypeLib* library, const TLIBATTR& libraryAttributes) {
    const GUID& libid = libraryAttributes.guid;
    const REGSAM otherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    HRESULT result = S_OK;
    for (UINT index = 0; index < library->GetTypeInfoCount(); ++index) {
        ScopedComPtr<ITypeInfo> type;
        TYPEATTR* attributes = nullptr;
        if (FAILED(library->GetTypeInfo(index, type.Receive())) || FAILED(type->GetTypeAttr(&attributes))) continue;
        const IID iid = attributes->guid;
        const bool isInterface = attributes->typekind == TKIND_INTERFACE || attributes->typekind == TKIND_DISPATCH;
        type->ReleaseTypeAttr(attributes);
        if (!isInterface) continue;
        for (const REGSAM view : {REGSAM{0}, otherView}) {
            if (!InterfaceNamesLibrary(iid, libid, view)) continue;
            const HRESULT hr =
                RemoveEntries(HKEY_CLASSES_ROOT, InterfaceEntries({iid, L"", false}, libraryAttributes), view);
            if (SUCCEEDED(result)) result = hr;
        }
    }
    return result;
}

HRESULT LoadOwnTypeLibrary(const std::wstring& modulePath, ScopedComPtr<ITypeLib>& library, TLIBATTR& attributes) {
    HRESULT hr = ::LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, library.Receive());
    if (FAILED(hr)) return hr;
    TLIBATTR* read = nullptr;
    hr = library->GetLibAttr(&read);
    if (FAILED(hr)) return hr;
    attributes = *read;
    library->ReleaseTLibAttr(read);
    return S_OK;
}

// The system's UnRegisterTypeLib first, for everything it knows; then our
// own sweep for what a partial registration left where it cannot find it.
HRESULT UnregisterTypeLibrary(const std::wstring& modulePath) {
    ScopedComPtr<ITypeLib> library;
    TLIBATTR attributes = {};
    if (FAILED(LoadOwnTypeLibrary(modulePath, library, attributes))) return SELFREG_E_TYPELIB;
    // UnRegisterTypeLib fails on a library whose file is not registered.
    if (KeyExists(TypeLibraryFileKey(attributes))) {
        ::UnRegisterTypeLib(attributes.guid, attributes.wMajorVerNum, attributes.wMinorVerNum, attributes.lcid,
                            attributes.syskind);
    }
    const HRESULT interfaces = RemoveInterfaceEntries(library.get(), attributes);
    const HRESULT keys = RemoveEntries(HKEY_CLASSES_ROOT, TypeLibraryEntries({attributes, L""}, modulePath), 0);
    return FAILED(interfaces) || FAILED(keys) ? SELFREG_E_TYPELIB : S_OK;
}

HRESULT Unregister(const std::wstring& modulePath) {
    const HRESULT classes =
        FAILED(RemoveEntries(HKEY_CLASSES_ROOT, ServerEntries(modulePath), 0)) ? SELFREG_E_CLASS : S_OK;
    const HRESULT library = UnregisterTypeLibrary(modulePath);
    return FAILED(classes) ? classes : library;
}

// The library's name as its registration records it: the help string its
// library block gives, or else its name.
std::wstring TypeLibraryName(ITypeLib* library) {
    BSTR name = nullptr;
    BSTR text = nullptr;
    library->GetDocumentation(-1, &name, &text, nullptr, nullptr);
    const BSTR chosen = text && ::SysStringLen(text) ? text : name;
    std::wstring result = chosen ? std::wstring(chosen, ::SysStringLen(chosen)) : std::wstring();
    ::SysFreeString(name);
    ::SysFreeString(text);
    return result;
}

// Loads the library file's type library and checks that it is ours.
HRESULT LoadServerLibrary(const std::wstring& modulePath, ScopedComPtr<ITypeLib>& library, TLIBATTR& attributes) {
    if (FAILED(LoadOwnTypeLibrary(modulePath, library, attributes)) ||
        !IsEqualGUID(attributes.guid, LIBID_DorvaneLumoraStyleList)) {
        return SELFREG_E_TYPELIB;
    }
    return S_OK;
}

// The shared keys a user's classes may not have yet: a per-user
// registration creates them, and removes them again when it leaves them
// empty.
std::vector<RegistryEntry> UserClassesEntries(const std::vector<RegistryEntry>& server) {
    std::vector<RegistryEntry> entries = {{L"CLSID", {}}, {L"Interface", {}}, {L"TypeLib", {}}};
    entries.insert(entries.end(), server.begin(), server.end());
    return entries;
}

// Opens (and if need be creates) the user's own classes key.
HRESULT OpenUserClasses(RegistryKey& classes) {
    return HRESULT_FROM_WIN32(::RegCreateKeyExW(HKEY_CURRENT_USER, kUserClassesKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, nullptr,
                                                classes.Receive(), nullptr));
}

}  // namespace

HRESULT ListServerEntries(const std::wstring& modulePath, std::vector<RegistryEntry>& entries) {
    entries.clear();
    ScopedComPtr<ITypeLib> library;
    TLIBATTR attributes = {};
    if (modulePath.empty()) return SELFREG_E_CLASS;
    const HRESULT hr = LoadServerLibrary(modulePath, library, attributes);
    if (FAILED(hr)) return hr;
    entries = TypeLibraryEntries({attributes, TypeLibraryName(library.get())}, modulePath);
    for (const InterfaceDescription& type : RegisteredInterfaces(library.get())) {
        const std::vector<RegistryEntry> keys = InterfaceEntries(type, attributes);
        entries.insert(entries.end(), keys.begin(), keys.end());
    }
    const std::vector<RegistryEntry> classes = ServerEntries(modulePath);
    entries.insert(entries.end(), classes.begin(), classes.end());
    return S_OK;
}

HRESULT RegisterServerEntriesForUser(const std::wstring& modulePath) {
    std::vector<RegistryEntry> server;
    HRESULT hr = ListServerEntries(modulePath, server);
    if (FAILED(hr)) return hr;
    RegistryKey classes;
    if (FAILED(OpenUserClasses(classes))) return SELFREG_E_CLASS;
    const std::vector<RegistryEntry> entries = UserClassesEntries(server);
    for (const RegistryEntry& entry : entries) {
        if (FAILED(WriteEntry(classes.get(), entry))) {
            RemoveEntries(classes.get(), entries, 0);
            return SELFREG_E_CLASS;
        }
    }
    return S_OK;
}

HRESULT UnregisterServerEntriesForUser(const std::wstring& modulePath) {
    std::vector<RegistryEntry> server;
    const HRESULT hr = ListServerEntries(modulePath, server);
    if (FAILED(hr)) return hr;
    RegistryKey classes;
    if (FAILED(OpenUserClasses(classes))) return SELFREG_E_CLASS;
    return FAILED(RemoveEntries(classes.get(), UserClassesEntries(server), 0)) ? SELFREG_E_CLASS : S_OK;
}

// Writes the type library's entries, then the classes'. The first failure
// takes back whatever was written; a file that holds no type library of
// ours fails before anything is written, and so leaves an earlier
// registration of a working copy alone.
HRESULT RegisterServerEntries(const std::wstring& modulePath) {
    ScopedComPtr<ITypeLib> library;
    TLIBATTR attributes = {};
    if (modulePath.empty()) return SELFREG_E_CLASS;
    if (FAILED(LoadServerLibrary(modulePath, library, attributes))) return SELFREG_E_TYPELIB;
    HRESULT hr = ::RegisterTypeLib(library.get(), const_cast<wchar_t*>(modulePath.c_str()), nullptr);
    if (FAILED(hr)) hr = SELFREG_E_TYPELIB;
    for (const RegistryEntry& entry : ServerEntries(modulePath)) {
        if (FAILED(hr)) break;
        if (FAILED(WriteEntry(HKEY_CLASSES_ROOT, entry))) hr = SELFREG_E_CLASS;
    }
    if (FAILED(hr)) Unregister(modulePath);
    return hr;
}

HRESULT UnregisterServerEntries() { return Unregister(ModulePath()); }

}  // namespace lumora::server
