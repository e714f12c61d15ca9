// SPDX-License-Identifier: MIT
#include "platform/soft/AtomicFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#endif

#include "testing/FileText.h"
#include "testing/ScratchDirectory.h"

namespace lumora::soft {
namespace {

namespace fs = std::filesystem;

using test::ReadText;

std::vector<fs::path> Entries(const fs::path& directory) {
    std::vector<fs::path> names;
    for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename());
    return names;
}

class AtomicFileTest : public ::testing::Test {
protected:
    test::ScratchDirectory scratch{"lumora-atomic-file"};
};

TEST_F(AtomicFileTest, ANameOutsideAnyCodePageIsWrittenUnderExactlyThatName) {
    const fs::path target = scratch.path() / fs::path(u"Größe \U0001D11E.json");
    WriteFileAtomically(target, "new");
    EXPECT_EQ(ReadText(target), "new");
    EXPECT_EQ(Entries(scratch.path()), std::vector<fs::path>{target.filename()});
}

#ifdef _WIN32
// Windows will not replace a file another program holds open without
// sharing its deletion; Linux has no such refusal, and its half-way failure
// is the file size limit test of the form files.
TEST_F(AtomicFileTest, AWriteTheSystemRefusesKeepsTheOldContentAndLeavesNoOtherFile) {
    const fs::path target = scratch.path() / "form.json";
    std::ofstream(target, std::ios::binary) << "old";
    const std::ifstream holder(target, std::ios::binary);
    EXPECT_THROW(WriteFileAtomically(target, "new"), AtomicFileError);
    EXPECT_EQ(ReadText(target), "old");
    EXPECT_EQ(Entries(scratch.path()), std::vector<fs::path>{"form.json"});
}
#endif

#ifndef _WIN32
mode_t ModeOf(const fs::path& file) {
    struct stat info {};
    ::stat(file.c_str(), &info);
    return info.st_mode & 0777;
}

TEST_F(AtomicFileTest, ALinkAtTheDestinationStaysALinkAndItsTargetGetsTheContent) {
    fs::create_directory(scratch.path() / "real");
    const fs::path real = scratch.path() / "real" / "form.json";
    std::ofstream(real, std::ios::binary) << "old";
    // A chain of a relative link to an absolute one.
    fs::create_symlink(real, scratch.path() / "absolute.json");
    const fs::path link = scratch.path() / "form.json";
    fs::create_symlink("absolute.json", link);

    WriteFileAtomically(link, "new");

    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadText(real), "new");
    EXPECT_EQ(Entries(scratch.path() / "real"), std::vector<fs::path>{"form.json"}) << "the temporary was beside it";
}

TEST_F(AtomicFileTest, ALinkToNothingYetCreatesItsTarget) {
    const fs::path link = scratch.path() / "form.json";
    fs::create_symlink("made.json", link);
    WriteFileAtomically(link, "new");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadText(scratch.path() / "made.json"), "new");
}

TEST_F(AtomicFileTest, AnythingButARegularFileIsRefusedAndLeftAsItWas) {
    const fs::path directory = scratch.path() / "directory";
    fs::create_directory(directory);
    const fs::path pipe = scratch.path() / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // A device through a link: the link is followed, the device refused.
    const fs::path device = scratch.path() / "device";
    fs::create_symlink("/dev/null", device);
    const fs::path loop = scratch.path() / "loop";
    fs::create_symlink("loop", loop);
    const struct {
        fs::path destination;
        std::string words;
    } cases[] = {
        {directory, "directory"},
        {pipe, "pipe"},
        {device, "device"},
        {loop, "loop"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.destination.filename().string());
        try {
            WriteFileAtomically(c.destination, "new");
            ADD_FAILURE() << "expected a refusal";
        } catch (const AtomicFileError& error) {
            EXPECT_NE(std::string(error.what()).find(c.words), std::string::npos) << error.what();
        }
    }
    EXPECT_TRUE(fs::is_directory(directory) && fs::is_empty(directory));
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(Entries(scratch.path()).size(), 4U) << "no temporary stayed behind";
}

TEST_F(AtomicFileTest, TheReplacedFilesPermissionBitsStayAndANewFileFollowsTheUmask) {
    const fs::path target = scratch.path() / "form.json";
    for (const mode_t mode : {0600, 0640, 0604}) {
        SCOPED_TRACE(mode);
        std::ofstream(target, std::ios::binary) << "old";
        ASSERT_EQ(::chmod(target.c_str(), mode), 0);
        WriteFileAtomically(target, "new");
        EXPECT_EQ(ModeOf(target), mode);
    }
    const mode_t before = ::umask(027);
    WriteFileAtomically(scratch.path() / "new.json", "new");
    ::umask(before);
    EXPECT_EQ(ModeOf(scratch.path() / "new.json"), 0640U);
}

TEST_F(AtomicFileTest, TheNextSaveRemovesItsOwnAbandonedTemporariesOnly) {
    const fs::path target = scratch.path() / "form.json";
    const fs::path abandoned = scratch.path() / ".form.json.lumora-tmp-0123456789abcdef";
    const fs::path running = scratch.path() / ".form.json.lumora-tmp-fedcba9876543210";
    const std::vector<fs::path> kept = {
        ".form.json.lumora-tmp-fedcba9876543210",   // a save still under way holds its lock
        ".other.json.lumora-tmp-0123456789abcdef",  // another file's
        ".form.json.lumora-tmp-0123",               // not a name a save makes
        ".form.json.lumora-tmp-0123456789abcdeg",
        "form.json",
    };
    for (const fs::path& name : kept) std::ofstream(scratch.path() / name) << "x";
    std::ofstream(abandoned) << "x";
    const int holder = ::open(running.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);

    WriteFileAtomically(target, "new");
    ::close(holder);

    EXPECT_FALSE(fs::exists(abandoned));
    for (const fs::path& name : kept) EXPECT_TRUE(fs::exists(scratch.path() / name)) << name;
}

// A save killed at any moment leaves either the old or the new content,
// never a mix, and whatever temporary it leaves goes with the next save.
TEST_F(AtomicFileTest, SavesKilledAtRandomMomentsLeaveWholeFilesAndTheNextSaveCleansUp) {
    constexpr int kKills = 200;
    const fs::path target = scratch.path() / "form.json";
    // Versions of different lengths, each naming itself at its start.
    const auto Content = [](int version) {
        return std::to_string(version) + ":" + std::string(20000 + version % 7 * 1000, char('a' + version % 26));
    };
    WriteFileAtomically(target, Content(0));
    std::mt19937 random(16);
    int leftovers = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                for (int version = 1;; ++version) WriteFileAtomically(target, Content(version));
            } catch (...) {
                ::_exit(1);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 1500));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const std::string text = ReadText(target);
        ASSERT_EQ(text, Content(std::atoi(text.c_str()))) << "a whole version";
        leftovers += static_cast<int>(Entries(scratch.path()).size()) - 1;
    }
    RecordProperty("TemporariesLeftByKills", leftovers);
    WriteFileAtomically(target, "final");
    EXPECT_EQ(Entries(scratch.path()), std::vector<fs::path>{"form.json"});
}
#endif

}  // namespace
}  // namespace lumora::soft
