// SPDX-License-Identifier: MIT
// Runs the built lumora tool as a user would, with its output in files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "forms/Base64.h"
#include "platform/soft/PictureCodec.h"
#include "platform/soft/PngReader.h"
#include "testing/FileText.h"

namespace lumora::cli {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

// The properties `show` prints, in interface order.
constexpr const char* kPropertyOrder =
    "HeaderHeight BackColor ForeColor ForeColorActive BackColorForm MouseMoveColor0 MouseMoveColor1 "
    "MouseMoveColor2 RegisterFocusColor0 RegisterFocusColor1 RegisterFocusColor2 FrameColor Font FontBold "
    "FontItalic FontStrikethru FontUnderline FontSize FontName MaskColor NumberOfRows Alignment ForeColorHot "
    "SortedRow ShowFrame ShowSortPic ColumnWidths SelectedRow AccessKeys";

std::string Quoted(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

using test::ReadText;

// A form with three columns of widths 100, 80 and 90: the strip itself is
// 100 + 80 + 90 + 3 * 2 pixels wide.
const std::string kThreeColumns = R"({"HeaderHeight": 25, "NumberOfTabs": 3,
    "RowWidth1": 100, "RowText1": "&Name", "RowWidth2": 80, "RowText2": "Größe",
    "RowWidth3": 90, "RowText3": "Datum", "SelectedRow": 0, "SortedRow": 0})";
constexpr int kThreeColumnsDefaultWidth = 276 + 40;

struct PngSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool operator==(const PngSize&) const = default;
    friend void PrintTo(const PngSize& size, std::ostream* out) { *out << size.width << "x" << size.height; }
};

std::uint32_t BigEndian(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = at; i < at + 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[i]);
    return value;
}

// The size a PNG file's header gives, or 0 by 0 for a file that is not a
// PNG starting with its IHDR chunk.
PngSize ReadPngSize(const fs::path& file) {
    const std::string bytes = ReadText(file);
    if (bytes.size() < 24 || bytes.substr(0, 8) != "\x89PNG\r\n\x1a\n" || bytes.substr(12, 4) != "IHDR") return {};
    return {BigEndian(bytes, 16), BigEndian(bytes, 20)};
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

    // What `show` prints for form, which must load with exactly these
    // warnings.
    Json Show(const std::string& form, const std::string& warnings = "") const {
        const Result result = Run({"show", form});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.err, warnings);
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
    // Each skipped key is named on standard error, in the form's order.
    const std::string warning = "lumora: warning: " + form + ": skipped ";
    const Json shown = Show(form, warning + "\"HeaderHeight\": a value of the wrong kind (a string)\n" + warning +
                                      "\"BackColor\": a value of the wrong kind (an array)\n" + warning +
                                      "\"FontName\": a picture that cannot be read\n" + warning +
                                      "\"ShowFrame\": a value of the wrong kind (a string)\n" + warning +
                                      "\"RowWidth1\": a value of the wrong kind (a string)\n");
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
    const std::pair<const char*, const char*> counts[] = {
        {"2147483647", "a value too large for the strip"},
        {"-5", "a value out of range"},
    };
    for (const auto& [count, reason] : counts) {
        const std::string form = Write("count.json", std::string(R"({"NumberOfTabs": )") + count + "}");
        const auto start = std::chrono::steady_clock::now();
        const Json shown = Show(form, "lumora: warning: " + form + ": skipped \"NumberOfTabs\": " + reason + "\n");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << count;
        EXPECT_EQ(shown["properties"]["NumberOfRows"], 0) << count;
        EXPECT_EQ(shown["columns"], Json::array()) << count;
    }
}

TEST_F(LumoraCliTest, SkippedKeysAreReportedReadablyAndAtMostAScreenful) {
    // Unknown keys and a column's keys beyond the count, one of them with
    // a terminal's colour sequence in it; a forest of unknown keys is cut
    // short after twenty lines.
    Json many = Json::object({{"NumberOfTabs", 1}, {"RowText1", "A"}, {"RowText2", "B"}, {"Farbe\u001b[31m", 1}});
    for (int i = 0; i < 30; ++i) many["Extra" + std::to_string(i)] = i;
    const std::string form = Write("many.json", many.dump());
    const Result result = Run({"render", form, "-o", Path("strip.png")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::vector<std::string> lines;
    std::istringstream err(result.err);
    for (std::string line; std::getline(err, line);) lines.push_back(line);
    const std::string warning = "lumora: warning: " + form + ": ";
    ASSERT_EQ(lines.size(), 21U) << result.err;
    EXPECT_EQ(lines[0], warning + "skipped \"RowText2\": a column beyond NumberOfTabs");
    EXPECT_EQ(lines[1], warning + "skipped \"Farbe\\u001B[31m\": not a key of the strip");
    EXPECT_EQ(lines[2], warning + "skipped \"Extra0\": not a key of the strip");
    EXPECT_EQ(lines[20], warning + "and 12 more keys skipped");
    EXPECT_TRUE(fs::exists(Path("strip.png")));
}

TEST_F(LumoraCliTest, FormThatIsNoUtf8SaysWhatIsWrongWithoutEchoingItsBytes) {
    const struct {
        const char* name;
        std::string bytes;
        std::string message;
    } cases[] = {
        {"utf16.json", std::string("\xFF\xFE{\0}\0", 6), "found UTF-16 text"},
        {"utf16be.json", std::string("\0{\0}", 4), "found UTF-16 text"},
        {"latin1.json",
         "{\"Caption\": \"Gr\xF6\xDF"
         "e\"}",
         "\\xF6"},
        {"escape.json", "{\"a\": \x1B[2J}", "invalid literal"},
    };
    for (const auto& form : cases) {
        const Result result = Run({"show", Write(form.name, form.bytes)});
        EXPECT_EQ(result.exitCode, 1) << form.name;
        EXPECT_NE(result.err.find(form.message), std::string::npos) << result.err;
        for (const char c : result.err) {
            const auto byte = static_cast<unsigned char>(c);
            EXPECT_TRUE(byte == '\n' || (byte >= 0x20 && byte < 0x7F)) << form.name << ": " << result.err;
        }
    }
    // A UTF-8 byte-order mark is harmless and loads.
    EXPECT_EQ(Show(Write("bom.json", "\xEF\xBB\xBF{\"HeaderHeight\": 30}"))["properties"]["HeaderHeight"], 30);
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

TEST_F(LumoraCliTest, ShowPrintsTheAccessKeysTheControlHandsItsHost) {
    const std::string form = Write("keys.json", R"({"NumberOfTabs": 4, "RowText1": "&Жук", "RowText2": "日本&語",
        "RowText3": "Ohne", "RowText4": "&Name"})");
    EXPECT_EQ(Show(form)["properties"]["AccessKeys"], "ж語n");
}

TEST_F(LumoraCliTest, RenderReplaysEveryKindOfEventAndWritesThePng) {
    const std::string form = Write("form.json", kThreeColumns);
    const std::string idle = Path("idle.png");
    const Result plain = Run({"render", form, "-o", idle});
    EXPECT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(plain.out, "lumora: wrote " + idle + "\n");
    EXPECT_EQ(ReadPngSize(idle), (PngSize{kThreeColumnsDefaultWidth, 25}));

    // Blanks, empty items and a move with a button held are all part of an
    // ordinary session; the hot column leaves the strip looking different.
    const std::string session = Path("session.png");
    const Result replayed =
        Run({"render", form, "-o", session, "--width", "300", "--dpi", "120", "--events",
             " focus ;; move 140.5 12; down 140 12 2 ;move -3.25 4; up 140 12 2; down 50 12 4; up 50 12; "
             "down 50 12 1; blur; move 140 12;"});
    EXPECT_EQ(replayed.exitCode, 0) << replayed.err;
    EXPECT_EQ(ReadPngSize(session), (PngSize{300, 25}));
    EXPECT_NE(ReadText(session), ReadText(idle));
}

// The keyboard sorts as the mouse does: the same RowPressed arguments, and
// no mouse event.
TEST_F(LumoraCliTest, PrintEventsListsWhatTheKeysAndTheMouseRaiseInOrder) {
    const std::string form = Write("form.json", kThreeColumns);
    const Result keys = Run({"render", form, "-o", Path("keys.png"), "--print-events", "--events",
                             "focus; key Right; key Space; key Space"});
    EXPECT_EQ(keys.exitCode, 0) << keys.err;
    EXPECT_EQ(keys.out, "RowPressed 0 2 ASC\nRowPressed 2 2 DESC\nlumora: wrote " + Path("keys.png") + "\n");

    const Result mouse = Run({"render", form, "-o", Path("mouse.png"), "--print-events", "--events",
                              "move 140 12; down 140 12; up 140 12; move 500 12; key Space"});
    EXPECT_EQ(mouse.exitCode, 0) << mouse.err;
    EXPECT_EQ(mouse.out,
              "MouseIn 0 0 140 12 0\nRowPressed 0 2 ASC\nMouseDown 1 0 140 12 2 ASC\nMouseUp 1 0 140 12 2\n"
              "MouseOut 0 0 500 12 2\nlumora: wrote " +
                  Path("mouse.png") + "\n")
        << "a key without the focus does nothing";

    const Result alt = Run({"render", form, "-o", Path("alt.png"), "--print-events", "--events", "alt n; key Enter"});
    EXPECT_EQ(alt.exitCode, 0) << alt.err;
    EXPECT_EQ(alt.out, "RowPressed 0 1 ASC\nlumora: wrote " + Path("alt.png") + "\n");
}

// The pixels of a PNG the tool wrote, as a bitmap of the surface.
soft::SoftBitmap ReadPng(const std::string& file) {
    const std::string bytes = ReadText(file);
    return soft::ColorOf(soft::DecodePng(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())));
}

TEST_F(LumoraCliTest, RenderAtScaleOneIsTheDefaultByteForByte) {
    const std::string form = Write("form.json", kThreeColumns);
    ASSERT_EQ(Run({"render", form, "-o", Path("plain.png"), "--events", "move 140 12"}).exitCode, 0);
    ASSERT_EQ(Run({"render", form, "-o", Path("one.png"), "--scale", "1", "--events", "move 140 12"}).exitCode, 0);
    EXPECT_EQ(ReadText(Path("one.png")), ReadText(Path("plain.png")));
}

// The events stay in the strip's own pixels: the click at (140, 12) presses
// the second column (104..184) at every scale, and the picture shows it
// pressed where that column lies on the device.
TEST_F(LumoraCliTest, RenderAtAScaleIsRoundSTimesTheStripAndPressesTheSameColumn) {
    const std::string form = Write("form.json", kThreeColumns);
    for (const auto& [scale, size] :
         {std::pair{"1.25", PngSize{395, 31}}, std::pair{"1.5", PngSize{474, 38}}, std::pair{"2", PngSize{632, 50}}}) {
        const std::string png = Path(std::string("strip-") + scale + ".png");
        const Result result =
            Run({"render", form, "-o", png, "--scale", scale, "--events", "move 140 12; down 140 12"});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(ReadPngSize(png), size) << scale;
        const soft::SoftBitmap image = ReadPng(png);
        const double factor = std::stod(scale);
        // The pressed look's lower tone, just inside the pressed column's
        // left edge and in the lower half.
        const auto at = [&](double x) { return image.At(static_cast<int>(x * factor), static_cast<int>(20 * factor)); };
        EXPECT_EQ(at(106), RGB(139, 209, 246)) << scale;
        EXPECT_NE(at(60), RGB(139, 209, 246)) << scale;
        EXPECT_NE(at(190), RGB(139, 209, 246)) << scale;
    }
}

TEST_F(LumoraCliTest, RenderRefusesAScaleOutsideHalfToFour) {
    const std::string form = Write("form.json", kThreeColumns);
    for (const char* scale : {"0.4", "4.5", "two", "", "1.5x", "nan"}) {
        const Result result = Run({"render", form, "-o", Path("strip.png"), "--scale", scale});
        EXPECT_EQ(result.exitCode, 2) << scale;
        EXPECT_NE(result.err.find("--scale takes a number from 0.5 to 4"), std::string::npos) << result.err;
    }
}

TEST_F(LumoraCliTest, RenderDefaultWidthFollowsTheColumnsAndStaysAWindowWidth) {
    const std::pair<const char*, PngSize> cases[] = {
        // The strip is as tall as its HeaderHeight, whatever the window was.
        {R"({"HeaderHeight": 30, "NumberOfTabs": 1, "RowWidth1": 60})", {60 + 2 + 40, 30}},
        {R"({"NumberOfTabs": 0})", {40, 25}},
        // Damaged widths neither overflow nor ask for an impossible window.
        {R"({"NumberOfTabs": 1, "RowWidth1": 2147483000})", {32767, 25}},
        {R"({"NumberOfTabs": 1, "RowWidth1": -500})", {1, 25}},
    };
    for (const auto& [text, size] : cases) {
        fs::remove(Path("strip.png"));
        const Result result = Run({"render", Write("form.json", text), "-o", Path("strip.png")});
        EXPECT_EQ(result.exitCode, 0) << text << result.err;
        EXPECT_EQ(ReadPngSize(Path("strip.png")), size) << text;
    }
}

TEST_F(LumoraCliTest, BadEventScriptExits2NamingTheEventAndWritesNothing) {
    const std::string form = Write("form.json", kThreeColumns);
    const std::pair<const char*, const char*> cases[] = {
        {"focus;; dwn 10 5 ", R"(event 2 ("dwn 10 5"): unknown event "dwn")"},
        {"move 10", R"(event 1 ("move 10"): "move" needs X and Y)"},
        {"up 10 five", R"(event 1 ("up 10 five"): Y is not a number: "five")"},
        {"move nan 1", R"(event 1 ("move nan 1"): X is not a number: "nan")"},
        {"move 1e39 1", R"(event 1 ("move 1e39 1"): X is out of range: "1e39")"},
        {"move 1 2 1", R"(event 1 ("move 1 2 1"): unexpected "1" after the event)"},
        {"blur; focus now", R"(event 2 ("focus now"): "focus" takes no arguments, not "now")"},
        {"down 1 2 3", R"(event 1 ("down 1 2 3"): BUTTON is 1 (left), 2 (right) or 4 (middle), not "3")"},
        {"key Up", R"(event 1 ("key Up"): unknown key "Up"; keys are Left, Right, Home, End, Space, Enter and Tab)"},
        {"key", R"(event 1 ("key"): "key" takes one key: Left, Right, Home, End, Space, Enter or Tab)"},
        {"alt ab", R"(event 1 ("alt ab"): "alt" takes one character, as a caption marks it with &)"},
    };
    for (const auto& [script, message] : cases) {
        const Result result = Run({"render", form, "-o", Path("strip.png"), "--events", script});
        EXPECT_EQ(result.exitCode, 2) << script;
        EXPECT_TRUE(result.err.starts_with(std::string("lumora: ") + message)) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_FALSE(fs::exists(Path("strip.png"))) << script;
    }
}

TEST_F(LumoraCliTest, WrongRenderCommandLineShowsTheUsageAndExits2) {
    const std::string form = Write("form.json", kThreeColumns);
    const std::string png = Path("strip.png");
    const std::vector<std::string> cases[] = {
        {"render", form},
        {"render", "-o", png},
        {"render", form, "-o", png, "--dpi", "0"},
        {"render", form, "-o", png, "--dpi", "961"},
        {"render", form, "-o", png, "--width", "40px"},
        {"render", form, "-o", png, "--width"},
        {"render", form, "-o", png, "--zoom", "2"},
        {"render", form, form, "-o", png},
    };
    for (const auto& args : cases) {
        const Result result = Run(args);
        EXPECT_EQ(result.exitCode, 2) << result.err;
        EXPECT_NE(result.err.find("usage: lumora new FORM.json"), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(png));
    }
}

TEST_F(LumoraCliTest, RenderFailuresExit1WithOneLine) {
    const std::string form = Write("form.json", kThreeColumns);
    const std::string png = Path("strip.png");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"render", form, "-o", Path("missing/strip.png")}, "lumora: " + Path("missing/strip.png") + ": "},
        {{"render", Path("missing.json"), "-o", png}, "lumora: " + Path("missing.json") + ": "},
        // With the capture held, a press far outside reaches the control,
        // whose hit test cannot take the point.
        {{"render", form, "-o", png, "--events", "move 10 10; down 3e9 5"}, "lumora: error 6: "},
    };
    for (const auto& [args, start] : cases) {
        const Result result = Run(args);
        EXPECT_EQ(result.exitCode, 1) << result.err;
        EXPECT_TRUE(result.err.starts_with(start)) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_FALSE(fs::exists(png));
    }
}

// What every line about a file that is no form ends with.
constexpr const char* kFormatsRead = "; the strip reads JSON form files and its own form streams (version 1)\n";

// A 16 x 16 icon, red with a transparent corner, as its .ico file in base64.
std::string IconBase64() {
    soft::SoftBitmap color(16, 16, 32, 0x000000FF);
    soft::SoftBitmap mask(16, 16, 1);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) mask.At(x, y) = 1;
    return forms::EncodeBase64(soft::EncodeIco(color, mask));
}

// A 2 x 2 bitmap of 32 bits a pixel, as its .bmp file in base64: a strip
// would save it with 24, so a conversion that went through one shows.
constexpr const char* kTinyBmp =
    "Qk1GAAAAAAAAADYAAAAoAAAAAgAAAAIAAAABACAAAAAAABAAAAATCwAAEwsAAAAAAAAAAAAAAAD/AAD/AAD/AAAAAP//AA==";

// Every key a strip saves, each away from its default, in the order it
// saves them; a caption that UTF-8 cannot carry, a Boolean stored as
// neither True nor False, pictures of both kinds, and a key the strip does
// not know.
Json EveryPropertyChanged() {
    Json form = Json::parse(R"({
        "Alignment": 2, "HeaderHeight": 31, "BackColor": 12632256, "BackColorForm": 15794160,
        "ForeColor": 8388608, "ForeColorActive": 128, "ForeColorHot": 32768, "FrameColor": 4210752,
        "MaskColor": 65280, "SelectedRow": 2, "SortedRow": 1,
        "Font": {"Name": "DejaVu Serif", "Size": 10.5, "Bold": true, "Italic": true, "Underline": true,
                 "Strikethrough": true, "Weight": 700, "Charset": 161},
        "NumberOfTabs": 3, "RegisterFocusColor1": 255, "RegisterFocusColor2": 65535,
        "MouseMoveColor0": 16711680, "MouseMoveColor1": 16776960, "MouseMoveColor2": 8421504,
        "RegisterFocusColor0": 33023, "FontBold": true, "FontItalic": true, "FontSize": 10.5,
        "FontName": "DejaVu Serif", "FontStrikethru": true, "FontUnderline": true, "ShowFrame": false,
        "ColumnWidths": "120;70;95", "ShowSortPic": false,
        "RowWidth1": 120, "RowText1": "&Name", "RowSorted1": true,
        "RowWidth2": 70, "RowText2": {"Utf16": [71, 55296, 98]}, "RowSorted2": false,
        "RowWidth3": 95, "RowText3": "Größe", "RowSorted3": 5,
        "Comment": "kept, though no strip reads it"
    })");
    form["RowPicture1"] = Json::object({{"Type", 3}, {"Data", IconBase64()}});
    form["RowPicture2"] = Json::object({{"Type", 1}, {"Data", kTinyBmp}});
    return form;
}

class ConvertTest : public LumoraCliTest {
protected:
    // Converts a JSON form to a stream and back, and checks that all three
    // show and draw the same strip and that the JSON comes back as it was.
    void ExpectRoundTrip(const fs::path& json, const std::string& events) const {
        const std::string name = json.filename().string();
        const std::string stream = (json.parent_path() / (json.stem().string() + ".lumora")).string();
        const std::string back = (json.parent_path() / (json.stem().string() + "-back.json")).string();
        ASSERT_EQ(Run({"convert", json.string(), stream}).exitCode, 0) << name;
        ASSERT_EQ(Run({"convert", stream, back}).exitCode, 0) << name;
        EXPECT_EQ(ReadText(stream).substr(0, 4), "LFST") << name;
        EXPECT_EQ(Json::parse(ReadText(back)), Json::parse(ReadText(json))) << name;
        const std::string forms[] = {json.string(), stream, back};
        const std::string shown = Run({"show", forms[0]}).out;
        std::string pictures[std::size(forms)];
        for (std::size_t i = 0; i < std::size(forms); ++i) {
            EXPECT_EQ(Run({"show", forms[i]}).out, shown) << forms[i];
            const std::string png = json.string() + std::to_string(i) + ".png";
            EXPECT_EQ(Run({"render", forms[i], "-o", png, "--events", events}).exitCode, 0) << forms[i];
            pictures[i] = ReadText(png);
        }
        EXPECT_FALSE(pictures[0].empty()) << name;
        EXPECT_EQ(pictures[1], pictures[0]) << name << ": the stream draws other pixels";
        EXPECT_EQ(pictures[2], pictures[0]) << name << ": the converted JSON draws other pixels";
    }
};

TEST_F(ConvertTest, RoundTripKeepsEveryGalleryFormAsTheToolShowsAndDrawsIt) {
    const fs::path gallery = dir_ / "gallery";
    ASSERT_EQ(std::system(("bash " + Quoted(LUMORA_GALLERY_FORMS) + " " + Quoted(gallery.string())).c_str()), 0);
    int forms = 0;
    for (const auto& entry : fs::directory_iterator(gallery)) {
        if (entry.path().extension() != ".json") continue;
        ++forms;
        // Column 2 hot, so the accent colours are drawn too.
        ExpectRoundTrip(entry.path(), "move 140 12");
    }
    EXPECT_EQ(forms, 16);
}

TEST_F(ConvertTest, RoundTripKeepsEveryPropertyPicturesAndUnknownKeys) {
    const std::string form = Write("every.json", EveryPropertyChanged().dump(2));
    const Result shown = Run({"show", form});
    ASSERT_EQ(shown.exitCode, 0);
    // Only the key no strip reads is skipped: everything else took.
    EXPECT_EQ(shown.err, "lumora: warning: " + form + ": skipped \"Comment\": not a key of the strip\n");
    EXPECT_EQ(Json::parse(shown.out)["properties"]["HeaderHeight"], 31);
    ExpectRoundTrip(form, "move 150 12; down 150 12");
}

TEST_F(ConvertTest, FormatFollowsTheNameOrElseIsTheOtherOne) {
    const std::string json = Write("a.json", kThreeColumns);
    EXPECT_EQ(Run({"convert", json, Path("plain")}).out, "lumora: wrote " + Path("plain") + " (form stream)\n");
    EXPECT_EQ(Run({"convert", Path("plain"), Path("again")}).out, "lumora: wrote " + Path("again") + " (JSON)\n");
    EXPECT_EQ(Json::parse(ReadText(Path("again"))), Json::parse(kThreeColumns));
    // Already in the asked format: checked and copied byte for byte.
    EXPECT_EQ(Run({"convert", json, Path("copy.json")}).exitCode, 0);
    EXPECT_EQ(ReadText(Path("copy.json")), kThreeColumns);
    EXPECT_EQ(Run({"convert", Path("plain"), Path("copy.lumora")}).exitCode, 0);
    EXPECT_EQ(ReadText(Path("copy.lumora")), ReadText(Path("plain")));
    // A new form named .lumora is a stream that shows as the JSON one.
    EXPECT_EQ(Run({"new", Path("new.lumora")}).exitCode, 0);
    EXPECT_EQ(Run({"new", Path("new.json")}).exitCode, 0);
    EXPECT_EQ(ReadText(Path("new.lumora")).substr(0, 4), "LFST");
    EXPECT_EQ(Show(Path("new.lumora")), Show(Path("new.json")));
}

TEST_F(LumoraCliTest, FileThatIsNoFormGetsOneLineSayingWhatItIsFromEveryCommand) {
    fs::create_directory(dir_ / "folder.json");
    const std::pair<std::string, std::string> cases[] = {
        {Write("picture.json", "\x89PNG\r\n\x1A\n\0\0\0\rIHDR"), "a PNG image"},
        {Write("wide.json", std::string("\xFF\xFE{\0\"\0", 6)), "UTF-16 text"},
        {Write("empty.lumora", ""), "an empty file"},
        {Write("newer.lumora", std::string("LFST\x07\0\0\0\4\0\0\0\0\0\0\0\0\0\0\0", 20)),
         "a form stream of version 7"},
        {Write("list.json", R"([{"HeaderHeight": 25}])"), "JSON that is not a form (an array)"},
        {Path("folder.json"), "a directory"},
        {Path("missing.json"), "no file"},
        {Write("notes.txt", "HeaderHeight = 25\n"), "text that is not JSON"},
    };
    for (const auto& [file, found] : cases) {
        const std::string line = "lumora: " + file + ": found " + found + kFormatsRead;
        const std::vector<std::string> commands[] = {
            {"show", file}, {"render", file, "-o", Path("strip.png")}, {"convert", file, Path("out.json")}};
        for (const auto& args : commands) {
            const Result result = Run(args);
            EXPECT_EQ(result.exitCode, 1) << args[0] << " " << found;
            EXPECT_EQ(result.err, line) << args[0];
            EXPECT_EQ(result.out, "") << args[0];
        }
        EXPECT_FALSE(fs::exists(Path("strip.png")) || fs::exists(Path("out.json"))) << found;
    }
}

TEST_F(ConvertTest, ConversionThatWouldLoseAValueOrReadsADamagedStreamFailsNamingIt) {
    // A form loads with a value of no kind a stream holds, skipped with a
    // warning; converting it would drop the value silently, so it fails.
    const std::string form = Write("list.json", R"({"HeaderHeight": 30, "Widths": [1, 2]})");
    EXPECT_EQ(Run({"show", form}).exitCode, 0);
    const Result refused = Run({"convert", form, Path("list.lumora")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err,
              "lumora: " + form + ": cannot convert \"Widths\": the stream holds no value like it (array)\n");
    EXPECT_FALSE(fs::exists(Path("list.lumora")));

    ASSERT_EQ(Run({"convert", Write("a.json", kThreeColumns), Path("a.lumora")}).exitCode, 0);
    std::string stream = ReadText(Path("a.lumora"));
    stream[stream.size() - 1] ^= 0x40;
    const std::string damaged = Write("damaged.lumora", stream);
    const Result result = Run({"show", damaged});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.starts_with("lumora: " + damaged + ": form stream: the payload's CRC-32 is 0x"))
        << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
}

}  // namespace
}  // namespace lumora::cli
