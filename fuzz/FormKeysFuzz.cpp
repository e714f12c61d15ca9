// SPDX-License-Identifier: MIT
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "FormRoundTrip.h"
#include "forms/Base64.h"

// Forms built from the control's own keys with values at the edges: huge,
// negative and fractional numbers, values of the wrong kind, long captions,
// many columns, broken fonts and pictures. Raw bytes rarely get past the
// JSON parser with a key the control reads; these always do.
namespace lumora::fuzz {
namespace {

using Json = nlohmann::ordered_json;

// The keys the control reads outside its columns.
const char* const kControlKeys[] = {
    "Alignment",
    "HeaderHeight",
    "BackColor",
    "BackColorForm",
    "ForeColor",
    "ForeColorActive",
    "ForeColorHot",
    "FrameColor",
    "MaskColor",
    "SelectedRow",
    "SortedRow",
    "NumberOfTabs",
    "MouseMoveColor0",
    "MouseMoveColor1",
    "MouseMoveColor2",
    "RegisterFocusColor0",
    "RegisterFocusColor1",
    "RegisterFocusColor2",
    "ShowFrame",
    "FontBold",
    "FontItalic",
    "FontStrikethru",
    "FontName",
    "FontSize",
    "FontUnderline",
    "Font",
    "ColumnWidths",
    "ShowSortPic",
};
// The keys of column N: "RowWidthN" and so on.
const char* const kColumnKeys[] = {"RowWidth", "RowText", "RowSorted", "RowPicture"};
const char* const kFontKeys[] = {"Name", "Size", "Bold", "Italic", "Underline", "Strikethrough", "Weight", "Charset"};

// Numbers where the control's arithmetic turns: the ends of its Integer and
// Long, of a pixel coordinate, and of a double.
const double kEdgeNumbers[] = {
    0,      1,      -1,     2,     25,           255,           256,          32767,        32768,
    -32768, -32769, 65535,  65536, 2147483647.0, -2147483648.0, 2147483648.0, 4294967295.0, 1e15,
    -1e15,  9.2e18, 1.8e19, 1e308, -1e308,       0.5,           -0.5,         1.5,          8.1,
    1e-300,
};

// A picture's bytes that decode (a 1 x 1 bitmap and a 1 x 1 icon), to be
// cut short or kept whole.
std::string SmallBitmap() {
    std::string bmp("BM", 2);
    const unsigned char rest[] = {58, 0, 0, 0, 0, 0, 0, 0,  54, 0, 0, 0, 40, 0, 0, 0, 1,   0, 0,
                                  0,  1, 0, 0, 0, 1, 0, 24, 0,  0, 0, 0, 0,  4, 0, 0, 0,   0, 0,
                                  0,  0, 0, 0, 0, 0, 0, 0,  0,  0, 0, 0, 0,  0, 0, 0, 255, 0};
    bmp.append(reinterpret_cast<const char*>(rest), sizeof rest);
    return bmp;
}

class FormBuilder {
public:
    explicit FormBuilder(FuzzedDataProvider& input) : input_(input) {}

    Json Form() {
        Json form = Json::object();
        const int columns = input_.ConsumeIntegralInRange<int>(0, 3) == 0 ? input_.ConsumeIntegralInRange<int>(0, 300)
                                                                          : input_.ConsumeIntegralInRange<int>(0, 6);
        if (input_.ConsumeBool()) form["NumberOfTabs"] = columns;
        while (input_.remaining_bytes() > 0) {
            switch (input_.ConsumeIntegralInRange<int>(0, 9)) {
                case 0:
                    form[input_.ConsumeRandomLengthString(16)] = Value();
                    break;
                case 1:
                case 2:
                case 3:
                    form[ColumnKey(columns)] = Value();
                    break;
                default:
                    form[input_.PickValueInArray(kControlKeys)] = Value();
                    break;
            }
        }
        return form;
    }

private:
    std::string ColumnKey(int columns) {
        const int number = input_.ConsumeIntegralInRange<int>(-1, columns + 1);
        return std::string(input_.PickValueInArray(kColumnKeys)) + std::to_string(number);
    }

    Json Value() {
        switch (input_.ConsumeIntegralInRange<int>(0, 11)) {
            case 0:
                return input_.PickValueInArray(kEdgeNumbers);
            case 1:
                return input_.ConsumeIntegral<std::int64_t>();
            case 2:
                return input_.ConsumeIntegral<std::uint64_t>();
            case 3:
                return input_.ConsumeFloatingPoint<double>();
            case 4:
                return input_.ConsumeBool();
            case 5:
                return nullptr;
            case 6:
                return input_.ConsumeRandomLengthString(64);
            case 7:
                return LongText();
            case 8:
                return FontObject();
            case 9:
                return PictureObject();
            case 10:
                return Json::array({Json(1), Json("a")});
            default:
                return input_.ConsumeIntegralInRange<int>(-3, 3);
        }
    }

    // Captions of thousands of characters, with access-key ampersands and
    // line breaks among them.
    Json LongText() {
        const std::string piece = input_.ConsumeRandomLengthString(8) + (input_.ConsumeBool() ? "&" : " ");
        const int repeats = input_.ConsumeIntegralInRange<int>(1, 4000);
        std::string text;
        for (int i = 0; i < repeats; ++i) text += piece;
        return text;
    }

    Json FontObject() {
        Json font =
            Json::object({{"Name", input_.ConsumeBool() ? "DejaVu Sans" : input_.ConsumeRandomLengthString(40)}});
        const int attributes = input_.ConsumeIntegralInRange<int>(0, 8);
        for (int i = 0; i < attributes; ++i) font[input_.PickValueInArray(kFontKeys)] = Value();
        return font;
    }

    Json PictureObject() {
        std::string bytes = SmallBitmap();
        if (input_.ConsumeBool()) bytes.resize(input_.ConsumeIntegralInRange<std::size_t>(0, bytes.size()));
        if (input_.ConsumeBool()) bytes = input_.ConsumeRandomLengthString(256);
        Json picture = Json::object({{"Type", input_.ConsumeIntegralInRange<int>(-1, 4)}});
        if (input_.ConsumeBool()) picture["Data"] = forms::EncodeBase64(bytes);
        return picture;
    }

    FuzzedDataProvider& input_;
};

}  // namespace
}  // namespace lumora::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const nlohmann::ordered_json form = lumora::fuzz::FormBuilder(input).Form();
    // To see what a finding is, as a form file the lumora tool takes.
    if (std::getenv("LUMORA_FUZZ_PRINT_FORM"))
        std::fprintf(stderr, "%s\n",
                     form.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
    lumora::forms::JsonPropertyBag bag = lumora::forms::JsonBag(form);
    lumora::fuzz::LoadDrawAndRoundTrip(bag);
    return 0;
}
