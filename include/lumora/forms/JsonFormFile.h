// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "lumora/platform/PropertyBag.h"
#include "lumora/platform/soft/SoftPicture.h"
#include "lumora/runtime/Variant.h"

namespace lumora::forms {

// A form file that cannot be loaded or saved. The message names the file
// and what is wrong with it, in one line.
class FormFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A form file as a property bag: one JSON object whose keys keep the order
// in which they were written.
//
// A key written twice in one save keeps its first value, as in
// MemoryPropertyBag: the control writes "Font" twice, and the font it draws
// with comes first. Use a new bag for each save.
class JsonPropertyBag final : public IPropertyBag {
public:
    // The form's JSON object. It is defined in the library's private
    // forms/JsonForm.h, so that programs using the library need no JSON
    // library; code in this tree makes bags from JSON and reads their JSON
    // there.
    struct Form;

    JsonPropertyBag();
    // Takes a form's top-level object; anything else is std::invalid_argument.
    explicit JsonPropertyBag(Form form);
    ~JsonPropertyBag() override;
    // A bag moved from may only be assigned to or destroyed.
    JsonPropertyBag(JsonPropertyBag&& other) noexcept;
    JsonPropertyBag& operator=(JsonPropertyBag&& other) noexcept;

    // Reads and parses a form file. A file that cannot be read, is too large
    // for a form, is not JSON, nests too deeply or is not one JSON object
    // raises FormFileError.
    static JsonPropertyBag Load(const std::filesystem::path& file);
    // Parses a form held in memory with the same limits; origin names it in
    // the FormFileError.
    static JsonPropertyBag FromText(const std::string& text, const std::filesystem::path& origin);
    // Writes the form to a new file beside the target and renames it over
    // the target, so a failed save leaves the old form as it was. Raises
    // FormFileError naming the target.
    void Save(const std::filesystem::path& file) const;

    const Form& form() const noexcept { return *form_; }
    // Where the pictures this bag reads are made; without it, reading a
    // picture fails with error 481 (and the loading step that wanted it is
    // skipped).
    void SetPictureFiles(soft::SoftPictures* pictures) noexcept { pictures_ = pictures; }

    Variant ReadProperty(const String& name, const std::optional<Variant>& defaultValue) override;
    void WriteProperty(const String& name, const Variant& value, const std::optional<Variant>& defaultValue) override;
    std::optional<Variant> TryReadProperty(const String& name) override;
    void ReadStepSkipped(const RuntimeError& error, const String& key) override;

    // A key of the form that a control's loading did not take, and why.
    struct SkippedKey {
        // The key as a person can read it: control characters escaped, a
        // very long key cut short.
        std::string key;
        // "a value of the wrong kind (a string)", "not a key of the strip"...
        std::string reason;
    };
    // After a control read this bag: every key the form holds that was not
    // read, and every key whose value loading could not take, in the
    // form's order. A key the form does not hold is not listed: a missing
    // key means its default.
    std::vector<SkippedKey> SkippedKeys() const;

private:
    // The form's keys as a control reads them; reasons for those it gave up.
    struct ReadRecord;

    std::unique_ptr<Form> form_;
    soft::SoftPictures* pictures_ = nullptr;
    std::unique_ptr<ReadRecord> reads_;
};

// Text from a form or a parser as a terminal may show it: bytes that are no
// UTF-8 become \xNN, control characters \uNNNN, and text beyond maxBytes
// is cut, with "..." after it.
std::string ReadableText(std::string_view text, std::size_t maxBytes);

}  // namespace lumora::forms
