// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "lumora/forms/FormFileKind.h"
#include "lumora/forms/JsonFormFile.h"
#include "lumora/forms/MemoryPropertyBag.h"

// Forms in either format, for every host: a JSON form file and the strip's
// binary form stream hold the same keys and values, so each host opens
// both and a form moves between them value by value. Every failure is a
// FormFileError whose one line names the file.
namespace lumora::forms {

// A form file of either format as the bag a control loads from. A stream's
// values come as the JSON a form file would hold them in. A file that is
// neither (or none at all) gets NotAFormMessage's line.
JsonPropertyBag LoadFormFile(const std::filesystem::path& file);
// The same for a form's bytes held in memory; origin names them.
JsonPropertyBag FormFromBytes(const std::string& bytes, const std::filesystem::path& origin);

// A form file of either format as the strip's stream: what a container
// hands the control to load.
std::string LoadFormFileAsStream(const std::filesystem::path& file);

// A JSON form's keys and values as a stream, and a stream's as a JSON form,
// without a control in between: keys the strip does not know travel too,
// and pictures keep the bytes of their files. Raises FormFileError naming
// origin and the key that the other format cannot hold.
std::string FormStreamOf(const JsonPropertyBag& form, const std::filesystem::path& origin);
JsonPropertyBag FormOfStream(std::string_view stream, const std::filesystem::path& origin);
// The stream of what a control on the software surface wrote into bag.
std::string FormStreamOfBag(const MemoryPropertyBag& bag, const std::filesystem::path& origin);

// Writes a stream's form to file in the format asked for, replacing the
// file only once the new one is complete.
void SaveStreamAs(std::string_view stream, const std::filesystem::path& file, FormFormat format);

// Reads a form file of either format and writes it to another in `format`,
// or without one in the format `in` is not; returns the format written. A
// form that is already in that format is checked and copied as it is.
FormFormat ConvertFormFile(const std::filesystem::path& in, const std::filesystem::path& out,
                           std::optional<FormFormat> format);

}  // namespace lumora::forms
