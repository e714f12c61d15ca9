// SPDX-License-Identifier: MIT
#include "platform/soft/NativeFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#ifndef _WIN32
#include <sys/stat.h>
#endif

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

#ifndef _WIN32
// A pipe nobody writes would block the reader for ever, a device like
// /dev/zero would never end.
TEST(NativeFileTest, OpenForReadingRefusesAnythingButARegularFileWithoutWaiting) {
    const test::ScratchDirectory scratch("lumora-native-file");
    const fs::path pipe = scratch.path() / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const fs::path file = scratch.path() / "file";
    std::ofstream(file, std::ios::binary) << "text";
    const fs::path linkToPipe = scratch.path() / "link";
    fs::create_symlink(pipe, linkToPipe);

    for (const fs::path& other : {pipe, scratch.path(), fs::path("/dev/zero"), linkToPipe}) {
        SCOPED_TRACE(other.string());
        std::error_code error;
        const NativeFile opened = NativeFile::OpenForReading(other, AtLink::kFollow, error);
        EXPECT_EQ(error, NotARegularFile());
        EXPECT_FALSE(opened.IsOpen());
    }
    std::error_code error;
    NativeFile opened = NativeFile::OpenForReading(file, AtLink::kFollow, error);
    ASSERT_FALSE(error);
    char buffer[8];
    EXPECT_EQ(opened.Read(buffer, error), 4U) << "the file reads as usual";
    EXPECT_EQ(NativeFile::OpenForReading(linkToPipe, AtLink::kRefuse, error).IsOpen(), false);
    EXPECT_EQ(error, std::errc::too_many_symbolic_link_levels) << "a refused link still says so";
}
#endif

TEST(NativeFileTest, NamesOutsideAnyCodePageSurviveTheTripBothWays) {
    const String name = u"Größe \U0001D11E Ωμέγα";
    EXPECT_EQ(ToNativePath(name), fs::path(name));
    EXPECT_EQ(FromNativePath(fs::path(name)), name);
}

}  // namespace
}  // namespace lumora::soft
