// SPDX-License-Identifier: MIT
// Registration for one user (`regsvr32 /n /i:user`): the same entries the
// machine-wide registration writes, below the user's own classes and
// nowhere else, and taken back exactly by `regsvr32 /u /n /i:user`.
#include "WindowsHeaders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "DorvaneLumoraStyleList.h"
#include "server/ServerEnvironment.h"

namespace lumora::test {
namespace {

constexpr wchar_t kUserClasses[] = L"Software\\Classes";
constexpr wchar_t kMachineClasses[] = L"Software\\Classes";
// The word size of the process's own registry view, as snapshots label it.
constexpr const char* kOwnView = sizeof(void*) == 8 ? "64" : "32";
// The shared keys a user's classes may lack until a registration adds them.
constexpr const char* kSharedKeys[] = {"CLSID", "Interface", "TypeLib"};

using InstallFunction = HRESULT(WINAPI*)(BOOL, PCWSTR);

RegistrySnapshot MachineSnapshot() { return TakeClassesSnapshot(HKEY_LOCAL_MACHINE, kMachineClasses, "HKLM"); }
RegistrySnapshot UserSnapshot() { return TakeClassesSnapshot(HKEY_CURRENT_USER, kUserClasses, "HKCU"); }

// The lines in after that are not in before.
std::vector<std::string> Added(const RegistrySnapshot& before, const RegistrySnapshot& after) {
    std::vector<std::string> added;
    std::set_difference(after.lines.begin(), after.lines.end(), before.lines.begin(), before.lines.end(),
                        std::back_inserter(added));
    return added;
}

// The lines of one view, with their label replaced, sorted again; the
// shared keys' own lines are left out.
std::vector<std::string> OwnViewLines(const std::vector<std::string>& lines, const std::string& label) {
    const std::string prefix = label + kOwnView + "\\";
    std::vector<std::string> result;
    for (const std::string& line : lines) {
        if (line.rfind(prefix, 0) != 0) continue;
        const std::string rest = line.substr(prefix.size());
        if (std::find(std::begin(kSharedKeys), std::end(kSharedKeys), rest) != std::end(kSharedKeys)) continue;
        result.push_back(rest);
    }
    std::sort(result.begin(), result.end());
    return result;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// Whether this system shows a user's own classes through HKEY_CLASSES_ROOT,
// as Windows does; Wine 8 reads the machine's classes alone.
bool SystemShowsUserClasses() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, L"DorvaneLumoraStyleList.LumoraListControl", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    ::RegCloseKey(key);
    return true;
}

// Every test starts with the library registered for the user alone and
// ends with it registered for the machine again, as the environment left it.
class UserRegistrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RunRegsvr32(L"/u /s"), 0);
        machineBefore_ = MachineSnapshot();
        userBefore_ = UserSnapshot();
        ASSERT_EQ(RunRegsvr32(L"/n /i:user /s"), 0);
    }

    void TearDown() override {
        EXPECT_EQ(RunRegsvr32(L"/u /n /i:user /s"), 0);
        EXPECT_EQ(RunRegsvr32(L"/s"), 0);
        const RegistrySnapshot after = TakeRegistrySnapshot();
        EXPECT_TRUE(after == RegisteredSnapshot()) << "the machine-wide registration came back different:\n"
                                                   << SnapshotDifference(RegisteredSnapshot(), after);
    }

    RegistrySnapshot machineBefore_;
    RegistrySnapshot userBefore_;
};

TEST_F(UserRegistrationTest, WritesWhatTheMachineRegistrationWritesBelowTheUsersClassesAlone) {
    const RegistrySnapshot machine = MachineSnapshot();
    EXPECT_TRUE(machine == machineBefore_) << "the machine's classes changed:\n"
                                           << SnapshotDifference(machineBefore_, machine);

    const std::vector<std::string> user = OwnViewLines(Added(userBefore_, UserSnapshot()), "HKCU");
    const std::vector<std::string> machineWide =
        OwnViewLines(Added(UnregisteredSnapshot(), RegisteredSnapshot()), "HKCR");
    ASSERT_FALSE(machineWide.empty());
    EXPECT_EQ(user, machineWide) << "for the user:\n" << Joined(user) << "for the machine:\n" << Joined(machineWide);
}

TEST_F(UserRegistrationTest, RegisteringAgainChangesNothing) {
    const RegistrySnapshot registered = UserSnapshot();
    ASSERT_EQ(RunRegsvr32(L"/n /i:user /s"), 0);
    const RegistrySnapshot again = UserSnapshot();
    EXPECT_TRUE(again == registered) << SnapshotDifference(registered, again);
}

TEST_F(UserRegistrationTest, UnregisteringLeavesTheUsersClassesAndTheMachinesAsBefore) {
    ASSERT_EQ(RunRegsvr32(L"/u /n /i:user /s"), 0);
    const RegistrySnapshot user = UserSnapshot();
    EXPECT_TRUE(user == userBefore_) << "the user's classes:\n" << SnapshotDifference(userBefore_, user);
    const RegistrySnapshot machine = MachineSnapshot();
    EXPECT_TRUE(machine == machineBefore_) << "the machine's classes:\n" << SnapshotDifference(machineBefore_, machine);
    // Nothing left to remove is no failure.
    EXPECT_EQ(RunRegsvr32(L"/u /n /i:user /s"), 0);
    const RegistrySnapshot again = UserSnapshot();
    EXPECT_TRUE(again == userBefore_) << SnapshotDifference(userBefore_, again);
}

TEST_F(UserRegistrationTest, InstallRefusesEveryCommandLineButUser) {
    const RegistrySnapshot registered = UserSnapshot();
    HMODULE library = ::LoadLibraryW(ServerPath().c_str());
    ASSERT_NE(library, nullptr);
    const auto install =
        reinterpret_cast<InstallFunction>(reinterpret_cast<void*>(::GetProcAddress(library, "DllInstall")));
    ASSERT_NE(install, nullptr);
    for (const BOOL registering : {TRUE, FALSE}) {
        for (const wchar_t* commandLine : {static_cast<const wchar_t*>(nullptr), L"", L"machine", L"users", L"user "}) {
            EXPECT_EQ(install(registering, commandLine), E_INVALIDARG)
                << (registering ? "install " : "uninstall ") << (commandLine ? "given" : "null");
        }
    }
    // The system passes the text after /i: as typed.
    EXPECT_EQ(install(TRUE, L"USER"), S_OK);
    ::FreeLibrary(library);
    const RegistrySnapshot after = UserSnapshot();
    EXPECT_TRUE(after == registered) << SnapshotDifference(registered, after);
}

// Windows shows a user's classes over the machine's, so containers and
// scripts find the control; Wine 8 reads the machine's classes alone and
// cannot, so there the entries themselves are the check (the first test).
TEST_F(UserRegistrationTest, ContainersAndScriptsFindTheControlRegisteredForTheUser) {
    if (!SystemShowsUserClasses()) {
        GTEST_SKIP() << "this system does not read classes from HKEY_CURRENT_USER\\Software\\Classes";
    }
    for (const wchar_t* progId :
         {L"DorvaneLumoraStyleList.LumoraListControl", L"DorvaneLumoraStyleList.LumoraListControl.1"}) {
        CLSID clsid = {};
        EXPECT_EQ(::CLSIDFromProgID(progId, &clsid), S_OK);
        EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_LumoraListControl));
    }
    IDispatch* control = nullptr;
    EXPECT_EQ(::CoCreateInstance(CLSID_LumoraListControl, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                 reinterpret_cast<void**>(&control)),
              S_OK);
    if (control) control->Release();
    ITypeLib* library = nullptr;
    EXPECT_EQ(::LoadRegTypeLib(LIBID_DorvaneLumoraStyleList, 1, 0, 0x409, &library), S_OK);
    if (library) library->Release();
    if (!ScriptHostProblem().empty()) GTEST_SKIP() << ScriptHostProblem();
    std::string output;
    EXPECT_EQ(RunScript(WindowsPath(LUMORA_SERVER_TEST_DIR "/scripts/Automation.vbs"), &output), 0) << output;
    EXPECT_NE(output.find("RowCaption(4) &Name"), std::string::npos) << output;
}

}  // namespace
}  // namespace lumora::test
