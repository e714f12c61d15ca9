// SPDX-License-Identifier: MIT
#include "ServerEnvironment.h"

#include "WindowsHeaders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <cstdlib>
#include <string>
#include <utility>

#include "platform/win32/Utf8Text.h"

namespace lumora::test {
namespace {

// The top-level keys below HKEY_CLASSES_ROOT that hold what a registration
// writes besides its program identifiers.
constexpr const wchar_t* kSharedClassKeys[] = {L"CLSID", L"Interface", L"TypeLib"};
// Top-level keys that are no program identifiers and that registration
// leaves alone: the other view, which is dumped on its own, and the
// content types.
constexpr const wchar_t* kSkippedKeys[] = {L"Wow6432Node", L"MIME"};
// Both registry views: the system's type library registration writes
// interface keys into the other word size's view too.
constexpr std::pair<REGSAM, const char*> kViews[] = {{KEY_WOW64_64KEY, "64"}, {KEY_WOW64_32KEY, "32"}};

// Owns a kernel handle.
class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE handle) noexcept : handle_(handle) {}
    ~ScopedHandle() { Reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    HANDLE get() const noexcept { return handle_; }
    HANDLE* Receive() noexcept {
        Reset();
        return &handle_;
    }
    void Reset() noexcept {
        if (handle_) ::CloseHandle(std::exchange(handle_, nullptr));
    }

private:
    HANDLE handle_ = nullptr;
};

// Owns an open registry key.
class ScopedKey {
public:
    ScopedKey() = default;
    ~ScopedKey() {
        if (key_) ::RegCloseKey(key_);
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;

    HKEY get() const noexcept { return key_; }
    HKEY* Receive() noexcept { return &key_; }

private:
    HKEY key_ = nullptr;
};

using lumora::win32::Utf8Text;

std::string ValueText(DWORD type, const std::vector<BYTE>& data) {
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        std::wstring text(data.size() / sizeof(wchar_t), L'\0');
        std::copy(data.begin(), data.begin() + text.size() * sizeof(wchar_t), reinterpret_cast<BYTE*>(text.data()));
        // The terminating nulls are no part of the text; a multi-string's
        // inner ones separate its parts.
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        std::replace(text.begin(), text.end(), L'\0', L'|');
        return "sz:" + Utf8Text(text);
    }
    std::string text = "type " + std::to_string(type) + ":";
    for (const BYTE byte : data) {
        char hex[3];
        std::snprintf(hex, sizeof(hex), "%02x", byte);
        text += hex;
    }
    return text;
}

// The sizes RegQueryInfoKey reports, so that one call per key tells how
// much to enumerate.
struct KeyInfo {
    DWORD subkeys = 0;
    DWORD longestSubkey = 0;
    DWORD values = 0;
    DWORD longestValueName = 0;
    DWORD longestValueData = 0;
};

void DumpValues(HKEY key, const KeyInfo& info, const std::string& path, std::vector<std::string>& lines) {
    std::wstring name(info.longestValueName + 1, L'\0');
    std::vector<BYTE> data(info.longestValueData);
    for (DWORD index = 0; index < info.values; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (::RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &dataSize) !=
            ERROR_SUCCESS) {
            continue;
        }
        const std::string valueName = nameLength == 0 ? "@" : "\"" + Utf8Text(name.substr(0, nameLength)) + "\"";
        lines.push_back(path + " " + valueName + " = " +
                        ValueText(type, std::vector<BYTE>(data.begin(), data.begin() + dataSize)));
    }
}

void DumpKey(HKEY parent, const std::wstring& name, REGSAM view, const std::string& path,
             std::vector<std::string>& lines) {
    ScopedKey key;
    if (::RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ | view, key.Receive()) != ERROR_SUCCESS) return;
    KeyInfo info;
    if (::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &info.subkeys, &info.longestSubkey, nullptr,
                           &info.values, &info.longestValueName, &info.longestValueData, nullptr,
                           nullptr) != ERROR_SUCCESS) {
        return;
    }
    lines.push_back(path);
    DumpValues(key.get(), info, path, lines);
    std::wstring child(info.longestSubkey + 1, L'\0');
    for (DWORD index = 0; index < info.subkeys; ++index) {
        DWORD length = static_cast<DWORD>(child.size());
        if (::RegEnumKeyExW(key.get(), index, child.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            continue;
        }
        const std::wstring childName = child.substr(0, length);
        DumpKey(key.get(), childName, view, path + "\\" + Utf8Text(childName), lines);
    }
}

bool Contains(const std::vector<std::wstring>& names, const std::wstring& name) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::wstring& listed) { return ::_wcsicmp(listed.c_str(), name.c_str()) == 0; });
}

// Program identifiers are the top-level keys that are neither file types
// (".txt") nor one of the keys dumped on their own or skipped. Key names
// ignore case: the system's "Typelib" is our "TypeLib".
std::vector<std::wstring> TopLevelKeys(HKEY classes, const wchar_t* path, REGSAM view) {
    const std::vector<std::wstring> skipped(std::begin(kSkippedKeys), std::end(kSkippedKeys));
    std::vector<std::wstring> names(std::begin(kSharedClassKeys), std::end(kSharedClassKeys));
    ScopedKey root;
    if (::RegOpenKeyExW(classes, path, 0, KEY_READ | view, root.Receive()) != ERROR_SUCCESS) {
        return names;
    }
    wchar_t child[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(std::size(child));
        if (::RegEnumKeyExW(root.get(), index, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        const std::wstring name(child, length);
        if (name[0] != L'.' && !Contains(names, name) && !Contains(skipped, name)) names.push_back(name);
    }
    return names;
}

std::wstring SystemDirectory() {
    wchar_t folder[MAX_PATH] = {};
    ::GetSystemDirectoryW(folder, MAX_PATH);
    return folder;
}

// Registers the library for the whole program and checks that unregistering
// puts the registry back as it found it.
class ServerEnvironment : public ::testing::Environment {
public:
    static ServerEnvironment* instance;

    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        comStarted_ = true;
        // A run that a test of this program started uses the library its
        // parent registered, and leaves the registration to it.
        if (std::getenv("LUMORA_TEST_SCREEN_DPI")) return;
        // The prefix outlives a test run that crashed while the library was
        // registered: start from a registry without it.
        ASSERT_EQ(RunRegsvr32(L"/u /s"), 0);
        // Wine's script host registers its own libraries when it first runs;
        // running it once now keeps those entries out of the comparison.
        // An empty script that fails says the host itself does not run on
        // this machine: the script test then says so and the others go on.
        const std::wstring empty = WindowsPath(LUMORA_SERVER_TEST_DIR "/scripts/Empty.vbs");
        std::string output;
        int code = RunScript(empty, &output);
        for (int attempt = 1; code != 0 && attempt < 3; ++attempt) {
            ::Sleep(1000);
            output.clear();
            code = RunScript(empty, &output);
        }
        if (code != 0) {
            scriptHostProblem_ = "the system's script host does not run an empty script here (exit code " +
                                 std::to_string(code) + "): " + output;
            std::fprintf(stderr, "warning: %s\n", scriptHostProblem_.c_str());
        }
        unregistered_ = TakeRegistrySnapshot();
        ASSERT_EQ(RunRegsvr32(L"/s"), 0) << "regsvr32 could not register " << Utf8Text(ServerPath());
        registered_ = TakeRegistrySnapshot();
    }

    // Runs even when SetUp failed, and then compares nothing.
    void TearDown() override {
        if (!unregistered_.lines.empty()) {
            EXPECT_EQ(RunRegsvr32(L"/u /s"), 0);
            const RegistrySnapshot after = TakeRegistrySnapshot();
            if (after != unregistered_) {
                ADD_FAILURE() << "Unregistering left the registry different from before the registration:\n"
                              << SnapshotDifference(unregistered_, after);
            }
        }
        if (comStarted_) ::CoUninitialize();
    }

    bool comStarted_ = false;
    std::string scriptHostProblem_;
    RegistrySnapshot unregistered_;
    RegistrySnapshot registered_;
};

ServerEnvironment* ServerEnvironment::instance = nullptr;

// gtest_main runs the tests; the environment joins them before it does.
[[maybe_unused]] const bool environmentAdded = [] {
    ServerEnvironment::instance = new ServerEnvironment;
    ::testing::AddGlobalTestEnvironment(ServerEnvironment::instance);
    return true;
}();

}  // namespace

std::wstring WindowsPath(const char* linuxPath) {
    // Wine maps the Linux root to drive Z:.
    std::wstring path = L"Z:";
    for (const char* letter = linuxPath; *letter; ++letter) {
        path += *letter == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*letter));
    }
    return path;
}

std::wstring ServerPath() { return WindowsPath(LUMORA_SERVER_PATH); }

int RunScript(const std::wstring& script, std::string* output) {
    return RunProcess(L"\"" + SystemDirectory() + L"\\cscript.exe\" //NoLogo \"" + script + L"\"", output);
}

RegistrySnapshot TakeRegistrySnapshot() { return TakeClassesSnapshot(HKEY_CLASSES_ROOT, nullptr, "HKCR"); }

RegistrySnapshot TakeClassesSnapshot(HKEY root, const wchar_t* path, const char* label) {
    RegistrySnapshot snapshot;
    for (const auto& [view, wordSize] : kViews) {
        ScopedKey classes;
        if (::RegOpenKeyExW(root, path, 0, KEY_READ | view, classes.Receive()) != ERROR_SUCCESS) continue;
        for (const std::wstring& name : TopLevelKeys(root, path, view)) {
            DumpKey(classes.get(), name, view, std::string(label) + wordSize + "\\" + Utf8Text(name), snapshot.lines);
        }
    }
    std::sort(snapshot.lines.begin(), snapshot.lines.end());
    return snapshot;
}

std::string SnapshotDifference(const RegistrySnapshot& before, const RegistrySnapshot& after) {
    std::vector<std::string> removed;
    std::vector<std::string> added;
    std::set_difference(before.lines.begin(), before.lines.end(), after.lines.begin(), after.lines.end(),
                        std::back_inserter(removed));
    std::set_difference(after.lines.begin(), after.lines.end(), before.lines.begin(), before.lines.end(),
                        std::back_inserter(added));
    std::string text;
    for (const std::string& line : removed) text += "- " + line + "\n";
    for (const std::string& line : added) text += "+ " + line + "\n";
    return text;
}

const RegistrySnapshot& UnregisteredSnapshot() { return ServerEnvironment::instance->unregistered_; }

const RegistrySnapshot& RegisteredSnapshot() { return ServerEnvironment::instance->registered_; }

const std::string& ScriptHostProblem() { return ServerEnvironment::instance->scriptHostProblem_; }

int RunProcess(const std::wstring& commandLine, std::string* output) {
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    ScopedHandle readEnd;
    ScopedHandle writeEnd;
    if (!::CreatePipe(readEnd.Receive(), writeEnd.Receive(), &inheritable, 0)) return -1;
    ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = writeEnd.get();
    PROCESS_INFORMATION started = {};
    std::wstring line = commandLine;
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                          &started)) {
        if (output)
            *output += "could not start " + Utf8Text(commandLine) + ": error " + std::to_string(::GetLastError());
        return -1;
    }
    const ScopedHandle process(started.hProcess);
    const ScopedHandle thread(started.hThread);
    writeEnd.Reset();
    // Reads only what is there, so that a child that hangs cannot hang the
    // tests: it is ended after a generous time and the run fails.
    const auto drain = [&] {
        char buffer[4096];
        DWORD available = 0;
        DWORD read = 0;
        while (::PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
               ::ReadFile(readEnd.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
            if (output) output->append(buffer, read);
        }
    };
    constexpr DWORD kPollMilliseconds = 20;
    constexpr ULONGLONG kLimitMilliseconds = 180'000;
    const ULONGLONG start = ::GetTickCount64();
    while (::WaitForSingleObject(process.get(), kPollMilliseconds) == WAIT_TIMEOUT) {
        drain();
        if (::GetTickCount64() - start > kLimitMilliseconds) {
            ::TerminateProcess(process.get(), 1);
            ::WaitForSingleObject(process.get(), INFINITE);
            if (output) *output += "\n" + Utf8Text(commandLine) + " did not end within 180 s and was ended";
            return -1;
        }
    }
    drain();
    DWORD exitCode = 0;
    if (!::GetExitCodeProcess(process.get(), &exitCode)) return -1;
    return static_cast<int>(exitCode);
}

int RunRegsvr32(const std::wstring& options) {
    return RunProcess(L"\"" + SystemDirectory() + L"\\regsvr32.exe\" " + options + L" \"" + ServerPath() + L"\"");
}

}  // namespace lumora::test
