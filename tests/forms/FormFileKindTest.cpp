// SPDX-License-Identifier: MIT
#include "lumora/forms/FormFileKind.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "testing/ScratchDirectory.h"

namespace lumora::forms {
namespace {

using Kind = FormFileKind::Kind;

TEST(FormFileKindTest, TellsFormsAndTheFilesMistakenForThemByContent) {
    const struct {
        std::string bytes;
        Kind kind;
        const char* description;
    } cases[] = {
        {"{\"HeaderHeight\": 25}", Kind::JsonForm, "a JSON form"},
        {"\xEF\xBB\xBF \n{", Kind::JsonForm, "a JSON form"},
        // Broken further in: still a form, for its parser to complain about.
        {"{\"a\": \x1B[2J}", Kind::JsonForm, "a JSON form"},
        {std::string("LFST\x01\0", 6), Kind::Stream, "a form stream of version 1"},
        {std::string("LFST\x07\0", 6), Kind::Stream, "a form stream of version 7"},
        {"LFS", Kind::Other, "text that is not JSON"},
        {"LFST", Kind::Stream, "a form stream cut short"},
        {"", Kind::Other, "an empty file"},
        {" \r\n\t", Kind::Other, "a file of only white space"},
        {"\x89PNG\r\n\x1A\n", Kind::Other, "a PNG image"},
        {std::string("BM\x46\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0", 18), Kind::Other, "a BMP image"},
        {"BMW, Daimler", Kind::Other, "text that is not JSON"},
        {std::string("\xFF\xFE{\0", 4), Kind::Other, "UTF-16 text"},
        {std::string("\0{\0\"", 4), Kind::Other, "UTF-16 text"},
        {std::string("{\0\0\0", 4), Kind::Other, "UTF-32 text"},
        {"[1, 2]", Kind::Other, "JSON that is not a form (an array)"},
        {"<?xml version=\"1.0\"?><ui/>", Kind::Other, "an XML document"},
        {std::string("\x01\x02\x03\0", 4), Kind::Other, "binary data of no kind the strip knows"},
    };
    for (const auto& c : cases) {
        const FormFileKind kind = ClassifyFormBytes(c.bytes);
        EXPECT_EQ(kind.kind, c.kind) << c.description;
        EXPECT_EQ(kind.description, c.description);
        EXPECT_EQ(kind.Readable(), c.kind == Kind::JsonForm || kind.streamVersion == 1) << c.description;
    }
}

TEST(FormFileKindTest, SaveKeepsTheFormatAFileHoldsElseTakesItsExtension) {
    const test::ScratchDirectory folder("form-kind");
    const auto file = [&](const char* name, const std::string& bytes) {
        std::ofstream(folder.path() / name, std::ios::binary) << bytes;
        return folder.path() / name;
    };
    EXPECT_EQ(FormatForSaving(file("stream.json", "LFST\x01"), FormFormat::Json), FormFormat::Stream);
    EXPECT_EQ(FormatForSaving(file("form.lumora", "  {}"), FormFormat::Stream), FormFormat::Json);
    EXPECT_EQ(FormatForSaving(file("picture.lumora", "\x89PNG\r\n\x1A\n"), FormFormat::Json), FormFormat::Stream);
    EXPECT_EQ(FormatForSaving(folder.path() / "new.JSON", FormFormat::Stream), FormFormat::Json);
    EXPECT_EQ(FormatForSaving(folder.path() / "new.Lumora", FormFormat::Json), FormFormat::Stream);
    EXPECT_EQ(FormatForSaving(folder.path() / "new.frm", FormFormat::Stream), FormFormat::Stream);
    EXPECT_EQ(FormatForSaving(folder.path() / "new", FormFormat::Json), FormFormat::Json);
}

}  // namespace
}  // namespace lumora::forms
