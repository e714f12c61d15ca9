// SPDX-License-Identifier: MIT
#include "lumora/platform/soft/SoftFileSystem.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "lumora/runtime/RuntimeError.h"
#include "testing/ErrorOf.h"
#include "testing/FileText.h"
#include "testing/ScratchDirectory.h"

namespace lumora::soft {
namespace {

using test::ErrorOf;
namespace fs = std::filesystem;

constexpr char16_t kSeparator = fs::path::preferred_separator;

using test::ReadText;

class SoftFileSystemTest : public ::testing::Test {
protected:
    SoftFileSystemTest() {
        std::ofstream(regular, std::ios::binary) << "regular";
        fs::create_directory(directory);
        std::error_code error;
        fs::create_symlink(regular, link, error);
        linked = !error;
    }

    String Name(const fs::path& file) const { return file.u16string(); }

    test::ScratchDirectory scratch{"lumora-file-system"};
    const fs::path regular = scratch.path() / "regular";
    const fs::path directory = scratch.path() / "directory";
    const fs::path missing = scratch.path() / "missing";
    // A link to the regular file, where the system and the account can make
    // one.
    const fs::path link = scratch.path() / "link";
    bool linked = false;
    SoftFileSystem files{scratch.path()};
};

TEST_F(SoftFileSystemTest, TempPathIsAUsableDirectoryWithOneTrailingSeparator) {
    const String expected = fs::path(directory).make_preferred().u16string() + kSeparator;
    EXPECT_EQ(SoftFileSystem(directory).GetTempPath(), expected);
    EXPECT_EQ(SoftFileSystem(directory / "").GetTempPath(), expected);
    EXPECT_EQ(SoftFileSystem(missing).GetTempPath(), u"");
    EXPECT_EQ(SoftFileSystem(regular).GetTempPath(), u"");

    const String system = SoftFileSystem().GetTempPath();
    ASSERT_FALSE(system.empty());
    EXPECT_EQ(system.back(), kSeparator);
}

TEST_F(SoftFileSystemTest, TempFileNameCreatesANewEmptyFileOfItsOwnerEveryTime) {
    const String folder = files.GetTempPath();
    const String prefix = u"~Gä\U0001D11E";
    const String first = files.GetTempFileName(folder, prefix);
    const String second = files.GetTempFileName(folder, prefix);

    EXPECT_NE(first, second);
    for (const String& name : {first, second}) {
        ASSERT_EQ(name.substr(0, folder.size() + prefix.size()), folder + prefix);
        EXPECT_TRUE(name.ends_with(u".tmp"));
        const fs::path file(name);
        EXPECT_TRUE(fs::is_regular_file(file));
        EXPECT_EQ(fs::file_size(file), 0u);
#ifndef _WIN32
        // Windows keeps who may open a file in its access list, which
        // permissions() does not show.
        EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
#endif
    }
    EXPECT_EQ(files.GetTempFileName(u"", prefix), u"");
    EXPECT_EQ(files.GetTempFileName(Name(missing) + kSeparator, prefix), u"");
}

TEST_F(SoftFileSystemTest, FileExistsOnlyForARegularFileItself) {
    EXPECT_TRUE(files.FileExists(Name(regular)));
    EXPECT_FALSE(files.FileExists(Name(directory)));
    EXPECT_FALSE(files.FileExists(Name(missing)));
    if (linked) {
        EXPECT_FALSE(files.FileExists(Name(link))) << "a link to a regular file is no file of ours";
    }
}

TEST_F(SoftFileSystemTest, FileCopyReplacesTheWholeDestinationByteForByte) {
    std::string bytes(200'000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 % 251);
    const fs::path source = scratch.path() / "source";
    const fs::path destination = scratch.path() / "destination";
    std::ofstream(source, std::ios::binary) << bytes;
    std::ofstream(destination, std::ios::binary) << std::string(300'000, 'x');

    files.FileCopy(Name(source), Name(destination));
    EXPECT_EQ(ReadText(destination), bytes);
}

TEST_F(SoftFileSystemTest, FileCopyAndKillRaiseTheRuntimesFileErrors) {
    const struct {
        const char* name;
        bool needsLink;
        std::function<void(SoftFileSystem&)> call;
        Long error;
    } cases[] = {
        {"copy from nothing", false, [&](auto& f) { f.FileCopy(Name(missing), Name(scratch.path() / "x")); },
         err::kFileNotFound},
        {"copy into no folder", false, [&](auto& f) { f.FileCopy(Name(regular), Name(missing / "x")); },
         err::kPathFileAccess},
        {"copy onto a folder", false, [&](auto& f) { f.FileCopy(Name(regular), Name(directory)); },
         err::kPathFileAccess},
        {"copy from a link", true, [&](auto& f) { f.FileCopy(Name(link), Name(scratch.path() / "x")); },
         err::kPathFileAccess},
        {"copy through a link", true, [&](auto& f) { f.FileCopy(Name(regular), Name(link)); }, err::kPathFileAccess},
        {"kill nothing", false, [&](auto& f) { f.Kill(Name(missing)); }, err::kFileNotFound},
        {"kill a folder", false, [&](auto& f) { f.Kill(Name(directory)); }, err::kPathFileAccess},
    };
    for (const auto& c : cases) {
        if (c.needsLink && !linked) continue;
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ErrorOf([&] { c.call(files); }), c.error);
        EXPECT_EQ(ReadText(regular), "regular");
        EXPECT_FALSE(fs::exists(scratch.path() / "x"));
    }
}

TEST_F(SoftFileSystemTest, KillRemovesTheNameItIsGivenAndNotWhatALinkPointsAt) {
    if (linked) {
        files.Kill(Name(link));
        EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
        EXPECT_EQ(ReadText(regular), "regular");
    }
    files.Kill(Name(regular));
    EXPECT_FALSE(fs::exists(regular));
    EXPECT_EQ(ErrorOf([&] { files.Kill(Name(regular)); }), err::kFileNotFound);
}

}  // namespace
}  // namespace lumora::soft
