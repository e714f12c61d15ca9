// SPDX-License-Identifier: MIT
#include "platform/soft/AtomicFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

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

}  // namespace
}  // namespace lumora::soft
