// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <system_error>
#include <unordered_map>
#include <utility>

#include <nlohmann/json.hpp>

#include "lumora/forms/JsonFormFile.h"
#include "lumora/platform/soft/SoftPicture.h"
#include "lumora/runtime/Variant.h"

// The JSON side of form files, for the library, its tests and the tools in
// this tree. The public JsonFormFile.h leaves it out so that programs using
// the installed library need no JSON library.
namespace lumora::forms {

struct JsonPropertyBag::Form {
    // Keys keep the order in which they were written, so a saved form reads
    // in the order the control saves its properties.
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    // Where each top-level key sits among the members. The ordered object
    // finds a key by walking every member before it, which made reading and
    // writing a large form take time in the square of its keys. The bag
    // makes this on first use and keeps it up to date as it writes.
    std::unordered_map<std::string, std::size_t> keys;
    // The place of the key read last.
    std::size_t lastFound = 0;
};

// A bag holding a form's top-level object; anything else is
// std::invalid_argument.
inline JsonPropertyBag JsonBag(nlohmann::ordered_json form) {
    return JsonPropertyBag(JsonPropertyBag::Form{std::move(form), {}, 0});
}

// The form a bag holds, as Save writes it.
inline const nlohmann::ordered_json& JsonOf(const JsonPropertyBag& bag) noexcept { return bag.form().json; }

// A value as a form file holds it. Whole numbers stay whole, a Single is
// written with the fewest digits that read back as the same Single (8.1, not
// 8.100000381), a Boolean is true/false for -1/0 and its number otherwise, a
// font is an object of its attributes, Nothing and Empty are null. Raises
// error 6 for a number JSON cannot hold (infinity, NaN).
nlohmann::ordered_json VariantToJson(const Variant& value);

// The Variant a form file's value reads as: whole numbers that fit a Long
// are Longs, other numbers Doubles, a font object a new font. Raises error
// 13 for a value of no Variant kind and error 481 for a picture.
// Pictures are made on the surface of `pictures`; without it a picture
// raises error 481.
Variant VariantFromJson(const nlohmann::ordered_json& value, soft::SoftPictures* pictures = nullptr);

// A form file's bytes, read whole with the limits every form reader keeps.
// A file that cannot be opened (none there, a directory) sets openError and
// gives nothing, so the caller says what it expected there; a failure while
// reading, or a file too large for a form, raises FormFileError.
std::string ReadFormFileBytes(const std::filesystem::path& file, std::error_code& openError);

// A file's name as messages quote it: UTF-8, with what a terminal would
// act on escaped and a very long name cut short.
std::string FileNamed(const std::filesystem::path& file);

}  // namespace lumora::forms
