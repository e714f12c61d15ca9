// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "lumora/platform/PropertyBag.h"
#include "lumora/platform/soft/SoftPicture.h"
#include "lumora/runtime/Variant.h"

namespace lumora::soft {

// A form file that cannot be loaded or saved. The message names the file
// and what is wrong with it, in one line.
class FormFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

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
Variant VariantFromJson(const nlohmann::ordered_json& value, SoftPictures* pictures = nullptr);

// A form file as a property bag: one JSON object whose keys keep the order
// in which they were written.
//
// A key written twice in one save keeps its first value, as in
// MemoryPropertyBag: the control writes "Font" twice, and the font it draws
// with comes first. Use a new bag for each save.
class JsonPropertyBag final : public IPropertyBag {
public:
    JsonPropertyBag() = default;
    // Takes a form's top-level object; anything else is std::invalid_argument.
    explicit JsonPropertyBag(nlohmann::ordered_json form);

    // Reads and parses a form file. A file that cannot be read, is too large
    // for a form, is not JSON, nests too deeply or is not one JSON object
    // raises FormFileError.
    static JsonPropertyBag Load(const std::filesystem::path& file);
    // Writes the form to a new file beside the target and renames it over
    // the target, so a failed save leaves the old form as it was. Raises
    // FormFileError naming the target.
    void Save(const std::filesystem::path& file) const;

    const nlohmann::ordered_json& json() const noexcept { return form_; }
    // Where the pictures this bag reads are made; without it, reading a
    // picture fails with error 481 (and the loading step that wanted it is
    // skipped).
    void SetPictureFiles(SoftPictures* pictures) noexcept { pictures_ = pictures; }

    Variant ReadProperty(const String& name, const std::optional<Variant>& defaultValue) override;
    void WriteProperty(const String& name, const Variant& value, const std::optional<Variant>& defaultValue) override;

private:
    nlohmann::ordered_json form_ = nlohmann::ordered_json::object();
    SoftPictures* pictures_ = nullptr;
};

}  // namespace lumora::soft
