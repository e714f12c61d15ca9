// SPDX-License-Identifier: MIT
#include "ServerVersion.h"

#include <gtest/gtest.h>

#include "lumora/Version.h"
#include "server/ServerEnvironment.h"

namespace lumora::server {
namespace {

TEST(ServerVersion, LibraryCarriesTheComponentsVersion) {
    HMODULE library = ::LoadLibraryW(test::ServerPath().c_str());
    ASSERT_NE(library, nullptr);
    const std::optional<ServerVersion> version = ReadServerVersion(library);
    ::FreeLibrary(library);
    ASSERT_TRUE(version);
    EXPECT_EQ(version->major, version::kMajor);
    EXPECT_EQ(version->minor, version::kMinor);
    EXPECT_EQ(version->revision, version::kRevision);
}

TEST(ServerVersion, ModuleWithoutVersionResourceHasNone) {
    EXPECT_EQ(ReadServerVersion(::GetModuleHandleW(nullptr)), std::nullopt);
}

}  // namespace
}  // namespace lumora::server
