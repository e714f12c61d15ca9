// SPDX-License-Identifier: MIT
#include "lumora/forms/JsonFormFile.h"

#include <gtest/gtest.h>
// The file size limit that makes a save fail half way is POSIX's.
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <limits>

#include "forms/JsonForm.h"
#include "lumora/platform/soft/SoftFont.h"
#include "lumora/runtime/RuntimeError.h"
#include "testing/ErrorOf.h"
#include "testing/FileText.h"
#include "testing/ScratchDirectory.h"
#include "testing/TestPicture.h"

namespace lumora::forms {
namespace {

using test::ErrorOf;

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

Variant ReadValue(const std::string& jsonText) {
    JsonPropertyBag bag = JsonBag(Json::object({{"Value", Json::parse(jsonText)}}));
    return bag.ReadProperty(u"Value", std::nullopt);
}

using test::ReadText;

// Saves with a file size limit too small for the form and exits 0 when the
// save reports its failure. Even root cannot write past the limit, so the
// write fails in any account; run it in a child process, which keeps the
// limit away from the test run.
#ifndef _WIN32
[[noreturn]] void SaveBeyondTheFileSizeLimit(const JsonPropertyBag& bag, const fs::path& target) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{100, 100};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    try {
        bag.Save(target);
    } catch (const FormFileError& error) {
        std::cerr << error.what();
        std::_Exit(0);
    }
    std::_Exit(1);
}
#endif

class JsonFormFileTest : public ::testing::Test {
protected:
    fs::path WriteText(const std::string& name, const std::string& text) const {
        std::ofstream(dir_ / name, std::ios::binary) << text;
        return dir_ / name;
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // The message of the FormFileError that loading file raises.
    static std::string LoadError(const fs::path& file) {
        try {
            JsonPropertyBag::Load(file);
        } catch (const FormFileError& error) {
            return error.what();
        }
        return "(loaded)";
    }

    test::ScratchDirectory scratch_{"lumora-form"};
    const fs::path dir_ = scratch_.path();
};

TEST_F(JsonFormFileTest, EveryKindReadsBackFromASavedFile) {
    struct Case {
        const char16_t* key;
        Variant written;
        Variant read;
    };
    const Case cases[] = {
        {u"Integer", Variant::FromInteger(-7), Variant::FromLong(-7)},
        {u"Long", Variant::FromLong(std::numeric_limits<Long>::min()),
         Variant::FromLong(std::numeric_limits<Long>::min())},
        {u"Single", Variant::FromSingle(8.1f), Variant::FromDouble(8.1)},
        {u"Double", Variant::FromDouble(0.1), Variant::FromDouble(0.1)},
        {u"True", Variant::FromBoolean(kTrue), Variant::FromBoolean(kTrue)},
        {u"False", Variant::FromBoolean(kFalse), Variant::FromBoolean(kFalse)},
        // Any other 16-bit flag survives as its number.
        {u"Boolean5", Variant::FromBoolean(5), Variant::FromLong(5)},
        {u"Text", Variant::FromString(u"Größe \"𝄞\"\n\t"), Variant::FromString(u"Größe \"𝄞\"\n\t")},
        {u"Empty", Variant(), Variant::NothingValue()},
        {u"Nothing", Variant::NothingValue(), Variant::NothingValue()},
        {u"NoPicture", Variant::FromPicture(nullptr), Variant::NothingValue()},
    };
    const FontDescription font{u"DejaVu Sans", 9.75, true, true, true, true, 700, 238};
    JsonPropertyBag saved;
    for (const Case& c : cases) saved.WriteProperty(c.key, c.written, std::nullopt);
    saved.WriteProperty(u"Font", Variant::FromFont(soft::SoftFont::Create(font)), std::nullopt);
    saved.Save(dir_ / "form.json");

    JsonPropertyBag loaded = JsonPropertyBag::Load(dir_ / "form.json");
    for (const Case& c : cases) EXPECT_EQ(loaded.ReadProperty(c.key, std::nullopt), c.read) << ToUtf8(c.key);
    EXPECT_EQ(loaded.ReadProperty(u"Boolean5", std::nullopt).ToBoolean(), 5);
    EXPECT_EQ(loaded.ReadProperty(u"Single", std::nullopt).ToSingle(), 8.1f);
    EXPECT_EQ(Describe(*loaded.ReadProperty(u"Font", std::nullopt).ToFont()), font);
}

// UTF-8 has no form for a surrogate without its partner; a caption a host
// set with one must still come back unit for unit, while every other text
// stays readable UTF-8 in the file.
TEST_F(JsonFormFileTest, TextWithAnUnpairedSurrogateComesBackUnitForUnit) {
    const String cases[] = {String(u"A") + u'\xD800' + u"B", String(1, u'\xDC00'), String(u"\xDC00\xD800"),
                            String(u"x") + u'\xD83D'};
    JsonPropertyBag saved;
    for (std::size_t i = 0; i < std::size(cases); ++i)
        saved.WriteProperty(u"Text" + FromUtf8(std::to_string(i)), Variant::FromString(cases[i]), std::nullopt);
    saved.WriteProperty(u"Paired", Variant::FromString(u"𝄞"), std::nullopt);
    FontDescription font{.name = String(u"Face") + u'\xDBFF'};
    saved.WriteProperty(u"Font", Variant::FromFont(soft::SoftFont::Create(font)), std::nullopt);
    saved.Save(dir_ / "form.json");

    const Json file = Json::parse(ReadText(dir_ / "form.json"));
    EXPECT_EQ(file["Text0"], Json::parse(R"({"Utf16": [65, 55296, 66]})"));
    EXPECT_EQ(file["Paired"], "𝄞") << "a whole pair stays UTF-8";
    JsonPropertyBag loaded = JsonPropertyBag::Load(dir_ / "form.json");
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(loaded.ReadProperty(u"Text" + FromUtf8(std::to_string(i)), std::nullopt).ToString(), cases[i]) << i;
    EXPECT_EQ(loaded.ReadProperty(u"Paired", std::nullopt).ToString(), u"𝄞");
    EXPECT_EQ(Describe(*loaded.ReadProperty(u"Font", std::nullopt).ToFont()), font);
}

TEST_F(JsonFormFileTest, SingleIsStoredWithTheFewestDigitsThatReadBack) {
    const std::pair<Single, const char*> cases[] = {
        {8.1f, "8.1"}, {0.1f, "0.1"}, {8.0f, "8.0"}, {-1.5e-7f, "-1.5e-07"}, {3.4028235e38f, "3.4028235e+38"},
    };
    for (const auto& [value, text] : cases) {
        JsonPropertyBag bag;
        bag.WriteProperty(u"FontSize", Variant::FromSingle(value), std::nullopt);
        EXPECT_EQ(JsonOf(bag)["FontSize"].dump(), text);
    }
}

TEST_F(JsonFormFileTest, NumberJsonCannotHoldRaisesOverflowAndStoresNothing) {
    JsonPropertyBag bag;
    for (const Variant& value : {Variant::FromSingle(INFINITY), Variant::FromDouble(NAN)})
        EXPECT_EQ(ErrorOf([&] { bag.WriteProperty(u"FontSize", value, std::nullopt); }), err::kOverflow) << value;
    EXPECT_EQ(JsonOf(bag), Json::object());
}

TEST_F(JsonFormFileTest, PicturesTravelAsTheirFileBytesAndComeBackWithTheirPixels) {
    const auto gdi = std::make_shared<soft::SoftGdi>();
    soft::SoftPictures pictures(gdi);
    soft::SoftBitmap pixels(3, 2, 32, RGB(1, 2, 3));
    pixels.At(2, 1) = RGB(200, 100, 50);
    JsonPropertyBag bag;
    bag.WriteProperty(u"RowPicture1", Variant::FromPicture(soft::SoftPicture::Bitmap(gdi, pixels)),
                      Variant::NothingValue());
    EXPECT_EQ(JsonOf(bag)["RowPicture1"]["Type"], 1);
    EXPECT_TRUE(JsonOf(bag)["RowPicture1"]["Data"].is_string());

    EXPECT_EQ(ErrorOf([&] { bag.ReadProperty(u"RowPicture1", std::nullopt); }), err::kInvalidPicture)
        << "without a surface to make it on";
    bag.SetPictureFiles(&pictures);
    const PicturePtr loaded = bag.ReadProperty(u"RowPicture1", std::nullopt).ToPicture();
    ASSERT_TRUE(loaded);
    EXPECT_EQ(dynamic_cast<const soft::SoftPicture&>(*loaded).color().pixels, pixels.pixels);

    JsonPropertyBag broken =
        JsonBag(Json::parse(R"({"A": {"Type": 1, "Data": "Qk0="}, "B": {"Type": 1, "Data": "!"}})"));
    broken.SetPictureFiles(&pictures);
    EXPECT_EQ(ErrorOf([&] { broken.ReadProperty(u"A", std::nullopt); }), err::kInvalidPicture);
    EXPECT_EQ(ErrorOf([&] { broken.ReadProperty(u"B", std::nullopt); }), err::kInvalidPicture);
    EXPECT_EQ(
        ErrorOf([&] { bag.WriteProperty(u"X", Variant::FromPicture(test::TestPicture::Create()), std::nullopt); }),
        err::kInvalidPicture)
        << "a picture of no surface has no file to store";
}

TEST_F(JsonFormFileTest, BagTakesOnlyAFormsTopLevelObject) {
    for (const char* text : {"[]", R"("form")", "null", "25"})
        EXPECT_THROW(JsonBag(Json::parse(text)), std::invalid_argument) << text;
}

TEST_F(JsonFormFileTest, MovedBagKeepsItsFormAndItsPictureFiles) {
    const auto gdi = std::make_shared<soft::SoftGdi>();
    soft::SoftPictures pictures(gdi);
    JsonPropertyBag bag;
    bag.SetPictureFiles(&pictures);
    bag.WriteProperty(u"RowPicture1", Variant::FromPicture(soft::SoftPicture::Bitmap(gdi, soft::SoftBitmap(2, 2, 32))),
                      std::nullopt);
    bag.WriteProperty(u"RowText1", Variant::FromString(u"Name"), std::nullopt);
    JsonPropertyBag moved(std::move(bag));
    JsonPropertyBag assigned;
    assigned = std::move(moved);
    EXPECT_EQ(assigned.ReadProperty(u"RowText1", std::nullopt), Variant::FromString(u"Name"));
    EXPECT_TRUE(assigned.ReadProperty(u"RowPicture1", std::nullopt).ToPicture());
}

TEST_F(JsonFormFileTest, FirstWriteOfAKeyWins) {
    JsonPropertyBag bag;
    bag.WriteProperty(u"Font", Variant::FromFont(soft::SoftFont::Create({.name = u"Drawn"})), std::nullopt);
    bag.WriteProperty(u"Font", Variant::NothingValue(), std::nullopt);
    bag.WriteProperty(u"Font", Variant::FromFont(soft::SoftFont::Create({.name = u"Assigned"})), std::nullopt);
    EXPECT_EQ(JsonOf(bag).size(), 1u);
    EXPECT_EQ(JsonOf(bag)["Font"]["Name"], "Drawn");
}

TEST_F(JsonFormFileTest, ValueEqualToItsDefaultIsNotStored) {
    struct Case {
        Variant value;
        std::optional<Variant> defaultValue;
        bool stored;
    };
    const Case cases[] = {
        {Variant::FromSingle(8), Variant::FromInteger(8), false},
        {Variant::FromBoolean(kTrue), Variant::FromBoolean(kTrue), false},
        {Variant::NothingValue(), Variant::NothingValue(), false},
        {Variant::FromString(u""), Variant::FromInteger(900), true},
        {Variant::FromBoolean(kFalse), std::nullopt, true},
    };
    for (const Case& c : cases) {
        JsonPropertyBag bag;
        bag.WriteProperty(u"Key", c.value, c.defaultValue);
        EXPECT_EQ(JsonOf(bag).contains("Key"), c.stored) << c.value;
    }
}

TEST_F(JsonFormFileTest, MissingKeyGivesTheDefaultOrError327) {
    JsonPropertyBag bag;
    EXPECT_EQ(bag.ReadProperty(u"HeaderHeight", Variant::FromLong(25)), Variant::FromLong(25));
    EXPECT_EQ(ErrorOf([&] { bag.ReadProperty(u"RowText1", std::nullopt); }), err::kKeyNotFound);
}

TEST_F(JsonFormFileTest, WholeNumbersBeyondALongReadAsDoubles) {
    const std::pair<const char*, Variant> cases[] = {
        {"2147483647", Variant::FromLong(2147483647)},
        {"-2147483648", Variant::FromLong(std::numeric_limits<Long>::min())},
        {"2147483648", Variant::FromDouble(2147483648.0)},
        {"-2147483649", Variant::FromDouble(-2147483649.0)},
        {"18446744073709551615", Variant::FromDouble(18446744073709551615.0)},
        {"25.0", Variant::FromDouble(25)},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(ReadValue(text), expected) << text;
}

TEST_F(JsonFormFileTest, ValuesOfTheWrongKindRaiseTheRuntimesErrors) {
    const std::pair<const char*, Long> cases[] = {
        {"[1, 2]", err::kTypeMismatch},
        {R"({"Width": 1})", err::kTypeMismatch},
        {R"({"Type": 1, "Width": 1, "Height": 1})", err::kInvalidPicture},
        {R"({"Name": 5})", err::kTypeMismatch},
        {R"({"Name": "A", "Size": "big"})", err::kTypeMismatch},
        {R"({"Name": "A", "Bold": "yes"})", err::kTypeMismatch},
        {R"({"Name": "A", "Weight": 100000})", err::kOverflow},
        {R"({"Utf16": "AB"})", err::kTypeMismatch},
        {R"({"Utf16": [65, 65536]})", err::kTypeMismatch},
        {R"({"Utf16": [-1]})", err::kTypeMismatch},
        {R"({"Utf16": [65.5]})", err::kTypeMismatch},
    };
    // Copied into the lambda: Clang 14 cannot capture a structured binding.
    for (const auto& [text, error] : cases) EXPECT_EQ(ErrorOf([text = text] { ReadValue(text); }), error) << text;
}

TEST_F(JsonFormFileTest, FontObjectFillsMissingAttributesAndItsBoldFlagWins) {
    const auto font = [](FontDescription d) { return d; };
    const std::pair<const char*, FontDescription> cases[] = {
        {R"({"Name": "A"})", font({.name = u"A"})},
        {R"({"Name": "A", "Size": 9.75, "Charset": 238})", font({.name = u"A", .size = 9.75, .charset = 238})},
        {R"({"Name": "A", "Bold": 7, "Italic": 1, "Underline": 0})",
         font({.name = u"A", .bold = true, .italic = true, .weight = 700})},
        {R"({"Name": "A", "Weight": 600})", font({.name = u"A", .bold = true, .weight = 600})},
        {R"({"Name": "A", "Bold": true, "Weight": 600})", font({.name = u"A", .bold = true, .weight = 600})},
        {R"({"Name": "A", "Bold": false, "Weight": 700})", font({.name = u"A"})},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(Describe(*ReadValue(text).ToFont()), expected) << text;
}

TEST_F(JsonFormFileTest, BrokenFileRaisesFormFileErrorNamingTheFile) {
    const std::pair<std::optional<std::string>, const char*> cases[] = {
        {R"({"HeaderHeight": 25,)", "not valid JSON: at line 1, column 21"},
        {"HeaderHeight = 25", "not valid JSON"},
        {"", "not valid JSON"},
        {R"({"FontSize": 1e400})", "number overflow"},
        {std::string(100'000, '['), "nests deeper than 64 levels"},
        {R"([{"HeaderHeight": 25}])", "top level is an array, not a JSON object"},
        {R"("form")", "top level is a string"},
        {std::nullopt, "cannot be read: No such file or directory"},
    };
    for (const auto& [text, problem] : cases) {
        const fs::path file = text ? WriteText("form.json", *text) : dir_ / "missing.json";
        const std::string message = LoadError(file);
        EXPECT_NE(message.find(file.string() + ": "), std::string::npos) << message;
        EXPECT_NE(message.find(problem), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
}

TEST_F(JsonFormFileTest, NestingUpToTheLimitLoads) {
    const auto nested = [](int depth) { return std::string(depth - 1, '[') + std::string(depth - 1, ']'); };
    WriteText("deep.json", "{\"a\": " + nested(64) + "}");
    EXPECT_NO_THROW(JsonPropertyBag::Load(dir_ / "deep.json"));
    WriteText("deeper.json", "{\"a\": " + nested(65) + "}");
    EXPECT_THROW(JsonPropertyBag::Load(dir_ / "deeper.json"), FormFileError);
}

TEST_F(JsonFormFileTest, KeyGivenTwiceKeepsItsFirstPlaceAndTakesTheLaterValue) {
    // As the JSON library's own parser reads such a file, at every level;
    // keys read out of order and keys written afterwards still find their
    // values.
    WriteText("twice.json", R"({"B": 1, "A": {"x": 1, "y": 2, "x": 3}, "B": 2, "C": 3})");
    JsonPropertyBag bag = JsonPropertyBag::Load(dir_ / "twice.json");
    EXPECT_EQ(JsonOf(bag).dump(), R"({"B":2,"A":{"x":3,"y":2},"C":3})");
    EXPECT_EQ(bag.ReadProperty(u"C", std::nullopt).ToLong(), 3);
    EXPECT_EQ(bag.ReadProperty(u"B", std::nullopt).ToLong(), 2);
    bag.WriteProperty(u"B", Variant::FromLong(9), std::nullopt);
    bag.WriteProperty(u"D", Variant::FromLong(4), std::nullopt);
    EXPECT_EQ(bag.ReadProperty(u"B", std::nullopt).ToLong(), 2) << "a written key keeps its first value";
    EXPECT_EQ(bag.ReadProperty(u"D", std::nullopt).ToLong(), 4);
    EXPECT_EQ(JsonOf(bag).dump(), R"({"B":2,"A":{"x":3,"y":2},"C":3,"D":4})");
}

TEST_F(JsonFormFileTest, FileLargerThanAnyFormIsRejectedUnread) {
    const fs::path file = WriteText("huge.json", "{}");
    fs::resize_file(file, (std::uintmax_t{64} << 20) + 1);
    EXPECT_NE(LoadError(file).find("larger than 64 MiB"), std::string::npos);
}

TEST_F(JsonFormFileTest, SaveWritesIndentedJsonInWriteOrderAndNoTempFile) {
    JsonPropertyBag bag;
    bag.WriteProperty(u"B", Variant::FromLong(1), std::nullopt);
    bag.WriteProperty(u"A", Variant::FromString(u"x"), std::nullopt);
    WriteText("form.json", "old form");
    bag.Save(dir_ / "form.json");
    EXPECT_EQ(ReadText(dir_ / "form.json"), "{\n  \"B\": 1,\n  \"A\": \"x\"\n}\n");
    EXPECT_EQ(Entries(), std::vector<std::string>{"form.json"});
}

TEST_F(JsonFormFileTest, FailedSaveNamesTheTargetAndLeavesTheDirectoryAsItWas) {
    fs::create_directory(dir_ / "occupied");
    WriteText("occupied/keep", "x");
    const fs::path targets[] = {dir_ / "missing" / "form.json", dir_ / "occupied"};
    for (const fs::path& target : targets) {
        try {
            JsonPropertyBag().Save(target);
            ADD_FAILURE() << "saved " << target;
        } catch (const FormFileError& error) {
            EXPECT_NE(std::string(error.what()).find(target.string() + ": cannot be saved"), std::string::npos);
        }
        EXPECT_EQ(Entries(), std::vector<std::string>{"occupied"});
    }
}

// Windows has no file size limit to make a write fail half way.
#ifndef _WIN32
TEST_F(JsonFormFileTest, SaveThatFailsWhileWritingKeepsTheExistingForm) {
    const fs::path target = WriteText("form.json", "old form");
    JsonPropertyBag bag;
    bag.WriteProperty(u"RowText1", Variant::FromString(String(1000, u'x')), std::nullopt);
    EXPECT_EXIT(SaveBeyondTheFileSizeLimit(bag, target), ::testing::ExitedWithCode(0),
                "form\\.json: cannot be saved: File too large");
    EXPECT_EQ(ReadText(target), "old form");
    EXPECT_EQ(Entries(), std::vector<std::string>{"form.json"});
}
#endif

TEST(ReadableText, KeepsUtf8AndEscapesWhatATerminalWouldActOn) {
    const struct {
        std::string text;
        std::size_t maxBytes;
        std::string readable;
    } cases[] = {
        {"Größe €𝄞", 100, "Größe €𝄞"},
        {"Gr\xF6\xDF"
         "e",
         100, "Gr\\xF6\\xDFe"},
        {"\x1B[31mrot\n", 100, "\\u001B[31mrot\\u000A"},
        // C1 controls, an overlong slash, a lone surrogate, a cut sequence.
        {"\xC2\x9B\xC0\xAF\xED\xA0\x80\xE2\x82", 100, "\\u009B\\xC0\\xAF\\xED\\xA0\\x80\\xE2\\x82"},
        // Cut after whole characters only.
        {"aéééé", 4, "aéé..."},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadableText(c.text, c.maxBytes), c.readable) << c.text;
}

}  // namespace
}  // namespace lumora::forms
