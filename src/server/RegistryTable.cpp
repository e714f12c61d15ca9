// SPDX-License-Identifier: MIT
//
// lumora_registry_table <DorvaneLumoraStyleList.ocx>
//
// Prints every key and value a registration of the given library file
// stands for, the same list a per-user registration writes, so that the
// installers' registry tables and the registration-free manifests are made
// from it rather than from a second list kept by hand. It runs under Wine
// while packaging; a 64-bit build reads a 32-bit library just as well.
//
// Output, UTF-8, one line each, fields separated by tabs:
//   file <the path as given>
//   key <path below the classes root>
//   value <key path> <name, empty for the default value> <data>

#include "WindowsHeaders.h"

#include <cstdio>
#include <string>
#include <vector>

#include "ServerRegistration.h"
#include "platform/win32/Utf8Text.h"

namespace {

using lumora::win32::Utf8Text;

void PrintLine(const std::wstring& line) { std::printf("%s\n", Utf8Text(line).c_str()); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: lumora_registry_table LIBRARY.ocx\n");
        return 2;
    }
    wchar_t fullPath[MAX_PATH] = {};
    if (!::GetFullPathNameW(argv[1], MAX_PATH, fullPath, nullptr)) return 1;
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    std::vector<lumora::server::RegistryEntry> entries;
    const HRESULT hr = lumora::server::ListServerEntries(fullPath, entries);
    ::CoUninitialize();
    if (FAILED(hr)) {
        std::fprintf(stderr, "lumora_registry_table: %s holds no type library of the control (0x%08lx)\n",
                     Utf8Text(fullPath).c_str(), static_cast<unsigned long>(hr));
        return 1;
    }
    PrintLine(std::wstring(L"file\t") + fullPath);
    for (const lumora::server::RegistryEntry& entry : entries) {
        PrintLine(L"key\t" + entry.path);
        for (const lumora::server::RegistryValue& value : entry.values) {
            PrintLine(L"value\t" + entry.path + L"\t" + value.name + L"\t" + value.data);
        }
    }
    return 0;
}
