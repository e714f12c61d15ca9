// SPDX-License-Identifier: MIT
#include "lumora/forms/FormConversion.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "forms/JsonForm.h"
#include "testing/ScratchDirectory.h"

namespace lumora::forms {
namespace {

using Json = nlohmann::ordered_json;

// What the Windows demo hands its control for a JSON form: the values the
// control would skip when loading the JSON are left out, the rest arrive.
TEST(FormConversionTest, JsonLoadedAsAStreamLeavesOutWhatTheStreamCannotHold) {
    const test::ScratchDirectory folder("form-conversion");
    const auto form = folder.path() / "form.json";
    std::ofstream(form) << R"({"HeaderHeight": 30, "Widths": [1, 2], "RowText1": "Name",
        "RowPicture1": {"Type": 1, "Data": "Qk0="}, "NumberOfTabs": 1})";
    const JsonPropertyBag loaded = FormOfStream(LoadFormFileAsStream(form), form);
    EXPECT_EQ(JsonOf(loaded), Json::parse(R"({"HeaderHeight": 30, "RowText1": "Name", "NumberOfTabs": 1})"));
    EXPECT_THROW(FormStreamOf(LoadFormFile(form), form), FormFileError);
}

}  // namespace
}  // namespace lumora::forms
