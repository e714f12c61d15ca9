// SPDX-License-Identifier: MIT
#pragma once

#include "WindowsHeaders.h"

#include <string>
#include <vector>

// The server's tests run against the built control library registered in
// the Wine prefix, as a container finds it: a global test environment
// registers it with regsvr32 before the first test and unregisters it after
// the last, and fails the run when the registry is not then as it was.
namespace lumora::test {

// The registry parts a registration can touch, one sorted line per key and
// per value, in both registry views.
struct RegistrySnapshot {
    std::vector<std::string> lines;

    friend bool operator==(const RegistrySnapshot&, const RegistrySnapshot&) = default;
};

// A path of the Linux file system as Wine's programs name it.
std::wstring WindowsPath(const char* linuxPath);
// The built control library, as a Windows path.
std::wstring ServerPath();

// HKEY_CLASSES_ROOT's class, interface and type library keys and its
// program identifiers, each with everything below it.
RegistrySnapshot TakeRegistrySnapshot();
// The same keys below path in root, in both views, each line starting with
// label and the view's word size ("HKCU64\\CLSID\\...").
RegistrySnapshot TakeClassesSnapshot(HKEY root, const wchar_t* path, const char* label);
// The lines only in before ("- ") and only in after ("+ "), one a line:
// what a failure message shows.
std::string SnapshotDifference(const RegistrySnapshot& before, const RegistrySnapshot& after);
// The registry before the environment registered the library, and just
// after; tests that unregister put the second one back before they end.
const RegistrySnapshot& UnregisteredSnapshot();
const RegistrySnapshot& RegisteredSnapshot();

// Runs commandLine as a child process and returns its exit code, or -1 when
// it could not be started or did not end within three minutes; what it
// writes to its standard output and error goes to output when given, and so
// does the reason for a -1.
int RunProcess(const std::wstring& commandLine, std::string* output = nullptr);
// Runs a script file with the system's console script host, of the same
// word size as the tests.
int RunScript(const std::wstring& script, std::string* output = nullptr);
// Empty when the script host ran an empty script before the first test;
// otherwise why it did not, for the tests that need the host.
const std::string& ScriptHostProblem();
// Runs the system's regsvr32 with options (L"/s", L"/u /s") on ServerPath().
int RunRegsvr32(const std::wstring& options);

}  // namespace lumora::test
