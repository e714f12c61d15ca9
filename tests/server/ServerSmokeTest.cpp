// SPDX-License-Identifier: MIT
#include <windows.h>

#include <gtest/gtest.h>

TEST(ServerModule, LoadsAndExportsItsEntryPoints) {
    HMODULE library = ::LoadLibraryA(LUMORA_SERVER_PATH);
    ASSERT_NE(library, nullptr);
    for (const char* name : {"DllRegisterServer", "DllUnregisterServer", "DllGetClassObject", "DllCanUnloadNow"}) {
        EXPECT_NE(::GetProcAddress(library, name), nullptr) << name;
    }
    ::FreeLibrary(library);
}
