// SPDX-License-Identifier: MIT
#include "platform/soft/NativeFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "testing/FileText.h"
#include "testing/ScratchDirectory.h"

namespace lumora::soft {
namespace {

namespace fs = std::filesystem;

using test::ReadText;

// A link, or false where the system or the account cannot make one.
bool MakeLink(const fs::path& target, const fs::path& link) {
    std::error_code error;
    fs::create_symlink(target, link, error);
    return !error;
}

TEST(NativeFileTest, CreateNewRefusesEveryTakenNameAndLeavesWhatIsThere) {
    const test::ScratchDirectory scratch("lumora-native-file");
    const fs::path file = scratch.path() / "file";
    std::ofstream(file, std::ios::binary) << "keep";
    const fs::path directory = scratch.path() / "directory";
    fs::create_directory(directory);
    const fs::path danglingLink = scratch.path() / "link";
    const bool linked = MakeLink(scratch.path() / "nowhere", danglingLink);

    for (const fs::path& taken : {file, directory, danglingLink}) {
        if (taken == danglingLink && !linked) continue;
        SCOPED_TRACE(taken.filename().string());
        std::error_code error;
        const NativeFile created = NativeFile::CreateNew(taken, NewFileReaders::kOwnerOnly, error);
        EXPECT_EQ(error, std::errc::file_exists);
        EXPECT_FALSE(created.IsOpen());
    }
    EXPECT_EQ(ReadText(file), "keep");
    EXPECT_FALSE(fs::exists(scratch.path() / "nowhere")) << "the link was not followed";
}

TEST(NativeFileTest, NamesOutsideAnyCodePageSurviveTheTripBothWays) {
    const String name = u"Größe \U0001D11E Ωμέγα";
    EXPECT_EQ(ToNativePath(name), fs::path(name));
    EXPECT_EQ(FromNativePath(fs::path(name)), name);
}

}  // namespace
}  // namespace lumora::soft
