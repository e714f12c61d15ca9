// SPDX-License-Identifier: MIT
// The library's registration as containers see it after regsvr32, and an
// unregistration that leaves no trace, whatever state it starts from.
#include "WindowsHeaders.h"

#include <olectl.h>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "DorvaneLumoraStyleList.h"
#include "ServerRegistration.h"
#include "server/ServerEnvironment.h"

namespace lumora::test {
namespace {

constexpr wchar_t kProgId[] = L"DorvaneLumoraStyleList.LumoraListControl.1";
constexpr wchar_t kVersionIndependentProgId[] = L"DorvaneLumoraStyleList.LumoraListControl";
// A class no library serves.
constexpr GUID kUnknownClass = {0x2f1c3a55, 0x8d0e, 0x4b7a, {0x9e, 0x61, 0x0c, 0x4d, 0x52, 0x7b, 0x13, 0xa8}};
// The "Control" component category another program might file the class
// under, below the class key that registration owns.
constexpr wchar_t kForeignSubkey[] = L"\\Implemented Categories\\{40FC6ED4-2438-11CF-A3DB-080036F12502}";

std::wstring Guid(REFGUID guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring ClassKey(REFCLSID clsid) { return L"CLSID\\" + Guid(clsid); }

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::optional<std::wstring> ReadText(const std::wstring& path, const wchar_t* name) {
    DWORD bytes = 0;
    if (::RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    if (::RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_REG_SZ, nullptr, text.data(), &bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    text.resize(bytes / sizeof(wchar_t) - 1);
    return text;
}

bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

// The built library loaded into the test process, as a container loads it.
class LoadedServer {
public:
    LoadedServer() : module_(::LoadLibraryW(ServerPath().c_str())) {}
    ~LoadedServer() {
        if (module_) ::FreeLibrary(module_);
    }
    LoadedServer(const LoadedServer&) = delete;
    LoadedServer& operator=(const LoadedServer&) = delete;

    HMODULE module() const { return module_; }
    template <typename Function>
    Function EntryPoint(const char* name) const {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module_, name)));
    }

private:
    HMODULE module_;
};

using GetClassObjectFunction = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using EntryFunction = HRESULT(WINAPI*)();

struct ExpectedValue {
    std::wstring path;
    const wchar_t* name;  // nullptr for the key's default value
    std::wstring data;
};

std::vector<ExpectedValue> ExpectedValues() {
    const std::wstring control = ClassKey(CLSID_LumoraListControl);
    const std::wstring server = ServerPath();
    const std::wstring controlClsid = Guid(CLSID_LumoraListControl);
    std::vector<ExpectedValue> values = {
        {control, nullptr, L"LumoraListControl"},
        {control + L"\\InprocServer32", nullptr, server},
        {control + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {control + L"\\ProgID", nullptr, kProgId},
        {control + L"\\VersionIndependentProgID", nullptr, kVersionIndependentProgId},
        {control + L"\\MiscStatus", nullptr, L"0"},
        // Recompose on resize, can't link inside, inside-out, activate when
        // visible, set client site first.
        {control + L"\\MiscStatus\\1", nullptr, L"131473"},
        {control + L"\\TypeLib", nullptr, Guid(LIBID_DorvaneLumoraStyleList)},
        {control + L"\\Version", nullptr, L"1.0"},
        {std::wstring(kProgId) + L"\\CLSID", nullptr, controlClsid},
        {std::wstring(kVersionIndependentProgId) + L"\\CLSID", nullptr, controlClsid},
        {std::wstring(kVersionIndependentProgId) + L"\\CurVer", nullptr, kProgId},
        {L"TypeLib\\" + Guid(LIBID_DorvaneLumoraStyleList) +
             (sizeof(void*) == 8 ? L"\\1.0\\409\\win64" : L"\\1.0\\409\\win32"),
         nullptr, server},
    };
    const std::pair<const CLSID*, const wchar_t*> pages[] = {
        {&CLSID_Register, L"Register"}, {&CLSID_TabsC, L"TabsC"}, {&CLSID_Allgemein, L"Allgemein"}};
    for (const auto& [clsid, name] : pages) {
        values.push_back({ClassKey(*clsid), nullptr, name});
        values.push_back({ClassKey(*clsid) + L"\\InprocServer32", nullptr, server});
        values.push_back({ClassKey(*clsid) + L"\\InprocServer32", L"ThreadingModel", L"Apartment"});
    }
    return values;
}

void ExpectRegistryIs(const RegistrySnapshot& expected, const char* what) {
    const RegistrySnapshot actual = TakeRegistrySnapshot();
    EXPECT_TRUE(actual == expected) << what << ":\n" << SnapshotDifference(expected, actual);
}

TEST(ServerRegistration, WritesEveryEntryContainersRead) {
    for (const ExpectedValue& expected : ExpectedValues()) {
        SCOPED_TRACE(Narrow(expected.path) + (expected.name ? " " + Narrow(expected.name) : std::string()));
        EXPECT_EQ(ReadText(expected.path, expected.name), expected.data);
    }
    EXPECT_TRUE(KeyExists(ClassKey(CLSID_LumoraListControl) + L"\\Control"));
}

TEST(ServerRegistration, ToolboxBitmapNamesABitmapOfTheLibrary) {
    const std::optional<std::wstring> value =
        ReadText(ClassKey(CLSID_LumoraListControl) + L"\\ToolboxBitmap32", nullptr);
    ASSERT_TRUE(value);
    const std::size_t comma = value->rfind(L',');
    ASSERT_NE(comma, std::wstring::npos);
    EXPECT_EQ(value->substr(0, comma), ServerPath());
    const int id = std::stoi(value->substr(comma + 1));

    HMODULE library = ::LoadLibraryExW(ServerPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(library, nullptr);
    ::HBITMAP bitmap =
        static_cast<::HBITMAP>(::LoadImageW(library, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(bitmap, nullptr) << "no bitmap " << id;
    BITMAP size = {};
    ::GetObjectW(bitmap, sizeof(size), &size);
    EXPECT_EQ(size.bmWidth, 16);
    EXPECT_EQ(size.bmHeight, 15);
    ::DeleteObject(bitmap);
    ::FreeLibrary(library);
}

TEST(ServerRegistration, SystemFindsTheClassesAndTheTypeLibrary) {
    for (const wchar_t* progId : {kProgId, kVersionIndependentProgId}) {
        CLSID clsid = {};
        EXPECT_EQ(::CLSIDFromProgID(progId, &clsid), S_OK) << Narrow(progId);
        EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_LumoraListControl)) << Narrow(progId);
    }
    for (const CLSID* clsid : {&CLSID_LumoraListControl, &CLSID_Register, &CLSID_TabsC, &CLSID_Allgemein}) {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(::CoGetClassObject(*clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                     reinterpret_cast<void**>(&factory)),
                  S_OK)
            << Narrow(Guid(*clsid));
        if (factory) factory->Release();
    }
    ITypeLib* library = nullptr;
    ASSERT_EQ(::LoadRegTypeLib(LIBID_DorvaneLumoraStyleList, 1, 0, 0x409, &library), S_OK);
    library->Release();
}

TEST(ServerRegistration, RegisteringAgainChangesNothing) {
    ASSERT_EQ(RunRegsvr32(L"/s"), 0);
    ExpectRegistryIs(RegisteredSnapshot(), "a second registration changed the registry");
}

TEST(ServerRegistration, UnregisteringRestoresTheRegistryAndRegisteringRestoresTheEntries) {
    ASSERT_EQ(RunRegsvr32(L"/u /s"), 0);
    ExpectRegistryIs(UnregisteredSnapshot(), "unregistering left entries behind");

    // Nothing left to remove is no failure, neither through regsvr32 nor
    // for a caller of the entry point.
    EXPECT_EQ(RunRegsvr32(L"/u /s"), 0);
    {
        const LoadedServer server;
        const auto unregister = server.EntryPoint<EntryFunction>("DllUnregisterServer");
        ASSERT_NE(unregister, nullptr);
        EXPECT_EQ(unregister(), S_OK);
    }
    ExpectRegistryIs(UnregisteredSnapshot(), "unregistering a clean registry changed it");

    ASSERT_EQ(RunRegsvr32(L"/s"), 0);
    ExpectRegistryIs(RegisteredSnapshot(), "registering again gave other entries");
}

// A registration that lost some of its keys, by hand or by a failed step.
struct PartialRegistration {
    const char* name;
    std::vector<std::wstring> missingKeys;

    friend void PrintTo(const PartialRegistration& registration, std::ostream* out) { *out << registration.name; }
};

class PartialRegistrationTest : public ::testing::TestWithParam<PartialRegistration> {};

TEST_P(PartialRegistrationTest, UnregisteringLeavesTheRegistryAsBefore) {
    for (const std::wstring& key : GetParam().missingKeys) {
        ASSERT_EQ(::RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str()), ERROR_SUCCESS) << Narrow(key);
    }
    EXPECT_EQ(RunRegsvr32(L"/u /s"), 0);
    ExpectRegistryIs(UnregisteredSnapshot(), "unregistering left entries behind");
    ASSERT_EQ(RunRegsvr32(L"/s"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    ServerRegistration, PartialRegistrationTest,
    ::testing::Values(
        PartialRegistration{"ProgIdsAndTypeLibrary",
                            {kProgId, kVersionIndependentProgId, L"TypeLib\\" + Guid(LIBID_DorvaneLumoraStyleList)}},
        // The system's own unregistration cannot find the library's file.
        PartialRegistration{"TypeLibraryFile", {L"TypeLib\\" + Guid(LIBID_DorvaneLumoraStyleList) + L"\\1.0\\409"}},
        PartialRegistration{"ControlClass", {ClassKey(CLSID_LumoraListControl)}}),
    [](const ::testing::TestParamInfo<PartialRegistration>& info) { return std::string(info.param.name); });

TEST(ServerRegistration, UnregisteringKeepsWhatOtherProgramsAddedUnderTheClass) {
    const std::wstring control = ClassKey(CLSID_LumoraListControl);
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CLASSES_ROOT, (control + kForeignSubkey).c_str(), 0, nullptr, 0, KEY_WRITE,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(key);

    EXPECT_EQ(RunRegsvr32(L"/u /s"), 0);
    EXPECT_TRUE(KeyExists(control + kForeignSubkey));
    EXPECT_FALSE(KeyExists(control + L"\\InprocServer32"));
    EXPECT_EQ(ReadText(control, nullptr), std::nullopt);

    ASSERT_EQ(::RegDeleteTreeW(HKEY_CLASSES_ROOT, control.c_str()), ERROR_SUCCESS);
    ExpectRegistryIs(UnregisteredSnapshot(), "unregistering left entries behind");
    ASSERT_EQ(RunRegsvr32(L"/s"), 0);
}

TEST(ServerRegistration, FileWithoutTheTypeLibraryRegistersNothing) {
    wchar_t testProgram[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, testProgram, MAX_PATH);
    EXPECT_EQ(server::RegisterServerEntries(testProgram), SELFREG_E_TYPELIB);
    ExpectRegistryIs(RegisteredSnapshot(), "a failed registration changed the registry");
}

TEST(ServerRegistration, ServesNoUnknownClass) {
    const LoadedServer server;
    const auto getClassObject = server.EntryPoint<GetClassObjectFunction>("DllGetClassObject");
    ASSERT_NE(getClassObject, nullptr);
    void* factory = &factory;
    EXPECT_EQ(getClassObject(kUnknownClass, IID_IClassFactory, &factory), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(factory, nullptr);
}

TEST(ServerRegistration, LibraryMayUnloadOnceItsFactoriesAreReleased) {
    const LoadedServer server;
    const auto getClassObject = server.EntryPoint<GetClassObjectFunction>("DllGetClassObject");
    const auto canUnloadNow = server.EntryPoint<EntryFunction>("DllCanUnloadNow");
    ASSERT_NE(getClassObject, nullptr);
    ASSERT_NE(canUnloadNow, nullptr);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject(CLSID_Register, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    factory->Release();
    EXPECT_EQ(canUnloadNow(), S_OK);
}

}  // namespace
}  // namespace lumora::test
