// SPDX-License-Identifier: MIT
// A script host uses the control as scripts do: the system's own cscript
// creates it by its ProgID and calls it late-bound. The host hides script
// errors, so the script prints every result and the test compares lines.
#include "WindowsHeaders.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "server/ServerEnvironment.h"

namespace lumora::server::testing {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

TEST(Script, CreatesTheControlByItsProgIdAndUsesItLateBound) {
    if (!lumora::test::ScriptHostProblem().empty()) GTEST_SKIP() << lumora::test::ScriptHostProblem();
    const std::wstring script = lumora::test::WindowsPath(LUMORA_SERVER_TEST_DIR "/scripts/Automation.vbs");
    std::string output;
    ASSERT_EQ(lumora::test::RunScript(script, &output), 0) << output;

    EXPECT_EQ(Lines(output), (std::vector<std::string>{
                                 "NumberOfRows 1",
                                 "RowCaption(1) Spalte",
                                 "HeaderHeight 25",
                                 "HeaderHeight 33",
                                 "BackColor 1193046",
                                 "Font Arial 12 True",
                                 "ShowFrame False",
                                 "AddRow() 2",
                                 "AddRow(80, \"\") 3 caption now \"Spalte\"",
                                 "AddRow(, \"&Name\") 4",
                                 "RowWidth(2) 60",
                                 "RowWidth(3) 80",
                                 "RowCaption(3) Spalte",
                                 "RowCaption(4) &Name",
                                 "RowSorted(2) True",
                                 "SelectedRow 2",
                                 "TypeName(DeleteRow) Empty",
                                 "NumberOfRows 3",
                                 "Error 9 Subscript out of range from DorvaneLumoraStyleList.LumoraListControl",
                                 "Done",
                             }));
}

}  // namespace
}  // namespace lumora::server::testing
