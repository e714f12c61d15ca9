// SPDX-License-Identifier: MIT
// Runs the built lumora tool as a user would, with its output in files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace lumora::cli {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

// The properties `show` prints, in interface order.
constexpr const char* kPropertyOrder =
    "HeaderHeight BackColor ForeColor ForeColorActive BackColorForm MouseMoveColor0 MouseMoveColor1 "
    "MouseMoveColor2 RegisterFocusColor0 RegisterFocusColor1 RegisterFocusColor2 FrameColor Font FontBold "
    "FontItalic FontStrikethru FontUnderline FontSize FontName MaskColor NumberOfRows Alignment ForeColorHot "
    "SortedRow ShowFrame ShowSortPic ColumnWidths SelectedRow";

std::string Quoted(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class LumoraCliTest : public ::testing::Test {
protected:
    struct Result {
        int exitCode = -1;
        std::string out;
        std::string err;
    };

    void SetUp() override {
        std::string pattern = (fs::current_path() / "lumora-cli-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    std::string Write(const std::string& name, const std::string& text) const {
        std::ofstream(dir_ / name, std::ios::binary) << text;
        return Path(name);
    }

    Result Run(const std::vector<std::string>& args) const {
        std::string command = Quoted(LUMORA_CLI_PATH);
        for (const std::string& arg : args) command += " " + Quoted(arg);
        command += " >" + Quoted(Path("stdout")) + " 2>" + Quoted(Path("stderr"));
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(Path("stdout")), ReadText(Path("stderr"))};
    }

    // What `show` prints for form, which must load.
    Json Show(const std::string& form) const {
        const Result result = Run({"show", form});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.err, "");
        return Json::parse(result.out);
    }

    fs::path dir_;
};

TEST_F(LumoraCliTest, NewThenShowPrintsTheDefaultsOfANewControl) {
    const std::string form = Path("new.json");
    const Result created = Run({"new", form});
    EXPECT_EQ(created.exitCode, 0);
    EXPECT_EQ(created.out, "lumora: wrote " + form + "\n");
    EXPECT_EQ(created.err, "");

    const Json shown = Show(form);
    const Json& properties = shown["properties"];
    std::string keys;
    for (const auto& [key, value] : properties.items()) keys += (keys.empty() ? "" : " ") + key;
    EXPECT_EQ(keys, kPropertyOrder);
    const std::pair<const char*, Json> expected[] = {
        {"HeaderHeight", 25},
        // RGB(249, 250, 253).
        {"BackColor", 16644857},
        // The system's button-text colour, shown unsigned.
        {"ForeColor", 2147483666u},
        {"FontName", "MS Sans Serif"},
        {"FontSize", 8},
        {"ShowFrame", true},
        {"NumberOfRows", 1},
    };
    for (const auto& [key, value] : expected) EXPECT_EQ(properties[key], value) << key;
    EXPECT_EQ(properties["Font"]["Name"], "MS Sans Serif");
    EXPECT_EQ(shown["columns"],
              Json::parse(R"([{"RowCaption": "Spalte", "RowWidth": 60, "RowSorted": false, "RowPicture": null}])"));
}

TEST_F(LumoraCliTest, ValueOfTheWrongKindSkipsOnlyItsOwnStep) {
    const std::string form = Write("wrong.json", R"({
        "HeaderHeight": "abc", "BackColor": [1, 2], "FontName": {"Type": 1}, "ShowFrame": "maybe",
        "ForeColor": 2147483666, "NumberOfTabs": 1,
        "RowWidth1": "wide", "RowText1": "Name", "RowSorted1": 5})");
    const Json shown = Show(form);
    const Json& properties = shown["properties"];
    // A skipped step leaves the value the control was created with; the read
    // defaults stand in only for keys the form lacks (MaskColor).
    const std::pair<const char*, Json> expected[] = {
        {"HeaderHeight", 0},        {"BackColor", 0},        {"FontName", ""},    {"ShowFrame", false},
        {"ForeColor", 2147483666u}, {"MaskColor", 16711935}, {"NumberOfRows", 1},
    };
    for (const auto& [key, value] : expected) EXPECT_EQ(properties[key], value) << key;
    EXPECT_EQ(shown["columns"],
              Json::parse(R"([{"RowCaption": "Name", "RowWidth": 0, "RowSorted": 5, "RowPicture": null}])"));
}

TEST_F(LumoraCliTest, DamagedColumnCountLoadsQuicklyWithNoColumns) {
    for (const char* count : {"2147483647", "-5"}) {
        const std::string form = Write("count.json", std::string(R"({"NumberOfTabs": )") + count + "}");
        const auto start = std::chrono::steady_clock::now();
        const Json shown = Show(form);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << count;
        EXPECT_EQ(shown["properties"]["NumberOfRows"], 0) << count;
        EXPECT_EQ(shown["columns"], Json::array()) << count;
    }
}

TEST_F(LumoraCliTest, LongCaptionSurvivesFileAndControl) {
    std::string caption;
    for (int i = 0; i < 20'000; ++i) caption += "Äb€𝄞\"";
    const std::string form = Write("long.json", Json::object({{"NumberOfTabs", 1}, {"RowText1", caption}}).dump());
    EXPECT_EQ(Show(form)["columns"][0]["RowCaption"], caption);
}

TEST_F(LumoraCliTest, BrokenFormExitsWithOneLineNamingTheFile) {
    const std::vector<std::string> cases[] = {
        {"show", Write("truncated.json", R"({"HeaderHeight": 25,)")},
        {"show", Write("array.json", R"([{"HeaderHeight": 25}])")},
        {"show", Path("missing.json")},
        {"new", Path("missing/new.json")},
    };
    for (const auto& args : cases) {
        const Result result = Run(args);
        EXPECT_EQ(result.exitCode, 1) << args[1];
        EXPECT_EQ(result.out, "") << args[1];
        EXPECT_TRUE(result.err.starts_with("lumora: " + args[1] + ": ")) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
}

TEST_F(LumoraCliTest, WrongCommandLineShowsTheUsageAndExits2) {
    const std::vector<std::string> cases[] = {{}, {"frob", "form.json"}, {"new"}, {"show", "a.json", "b.json"}};
    for (const auto& args : cases) {
        const Result result = Run(args);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("usage: lumora new FORM.json"), std::string::npos) << result.err;
    }
}

}  // namespace
}  // namespace lumora::cli
