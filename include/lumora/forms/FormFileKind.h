// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace lumora::forms {

// The two ways a form lives in a file: a JSON object of the strip's keys,
// and the strip's own binary form stream, which containers keep it in.
enum class FormFormat { Json, Stream };

// What a file's bytes hold, judged by their content and never by the
// file's name: a form saved under the wrong extension still opens.
struct FormFileKind {
    enum class Kind {
        // Text that opens a JSON object, as every form file does; whether
        // the rest is valid JSON is for its parser to say.
        JsonForm,
        // Bytes that begin as a form stream, of the version streamVersion.
        Stream,
        // Anything else.
        Other,
    };
    Kind kind = Kind::Other;
    std::uint16_t streamVersion = 0;
    // What a person would call the bytes, to follow "found": "a JSON
    // form", "a form stream of version 7", "a PNG image", "UTF-16 text",
    // "an empty file", "JSON that is not a form (an array)".
    std::string description;

    // A JSON form, or a stream of the version this strip reads.
    bool Readable() const noexcept;
};

FormFileKind ClassifyFormBytes(std::string_view bytes);

// The one line that says a file holds no form the strip reads: the file,
// what was found there ("a PNG image", "no file", "a directory") and the
// formats that are read. Every host shows this same line.
std::string NotAFormMessage(const std::filesystem::path& file, std::string_view found);

// The format a save to file writes: the one the file already holds, else
// the one its extension names (.json, .lumora), else `otherwise`.
FormFormat FormatForSaving(const std::filesystem::path& file, FormFormat otherwise);

// The format an extension names, .json or .lumora in any case; none for
// any other.
std::optional<FormFormat> FormatOfExtension(const std::filesystem::path& file);

}  // namespace lumora::forms
