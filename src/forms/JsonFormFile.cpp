// SPDX-License-Identifier: MIT
#include "lumora/forms/JsonFormFile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <utility>
#include <vector>

#include "forms/Base64.h"
#include "forms/JsonForm.h"
#include "lumora/platform/soft/SoftFont.h"
#include "lumora/runtime/RuntimeError.h"
#include "platform/soft/AtomicFile.h"
#include "platform/soft/NativeFile.h"
#include "runtime/Arithmetic.h"

namespace lumora::forms {
namespace {

using Json = nlohmann::ordered_json;

// A form is a few kilobytes. A file this large is almost surely a wrong
// path, and reading it whole would only eat memory.
constexpr std::uintmax_t kMaxFormBytes = std::uintmax_t{64} << 20;
// Containers inside each other that a form may hold; a real one needs two.
// The limit keeps a hostile file from exhausting the stack of the recursive
// code that later copies, compares or writes the JSON.
constexpr int kMaxNesting = 64;
// The longest part of the parser's complaint we pass on: it quotes the token
// it stumbled over, which can be a whole long string.
constexpr std::size_t kMaxParserMessage = 160;

// ------------------------------------------------------------------ values

// The bag's callers expect only the runtime's errors; running out of memory
// is one of those too.
template <typename Step>
auto RuntimeErrorsOnly(Step&& step) -> decltype(step()) {
    try {
        return step();
    } catch (const std::bad_alloc&) {
        Raise(err::kOutOfMemory);
    }
}

// JSON has no infinity or NaN; storing null instead would lose the value
// without a word.
Json FiniteNumber(double value) {
    if (!std::isfinite(value)) Raise(err::kOverflow);
    return value;
}

// The shortest text that reads back as the same Single is what a person
// would have typed, so 8.1 is stored as 8.1 and not as 8.100000381469727.
Json SingleToJson(Single value) {
    if (!std::isfinite(value)) Raise(err::kOverflow);
    char text[32];
    const auto written = std::to_chars(std::begin(text), std::end(text), value);
    double shortest = 0;
    std::from_chars(text, written.ptr, shortest);
    return shortest;
}

// True and False read naturally; any other value a host stored is kept.
Json BooleanToJson(Boolean value) {
    if (value == kTrue) return true;
    if (value == kFalse) return false;
    return value;
}

// A text is stored as UTF-8, as a person would write it, unless it holds a
// surrogate without its partner: UTF-8 cannot carry that, so such a text is
// stored as its UTF-16 units, {"Utf16": [65, 55296]}, and loads back whole.
Json TextToJson(const String& text) {
    if (!HasUnpairedSurrogate(text)) return ToUtf8(text);
    Json units = Json::array();
    for (const char16_t unit : text) units.push_back(static_cast<unsigned>(unit));
    return Json::object({{"Utf16", std::move(units)}});
}

bool IsTextUnits(const Json& object) { return object.size() == 1 && object.contains("Utf16"); }

String TextUnitsFromJson(const Json& object) {
    const Json& units = object.at("Utf16");
    if (!units.is_array()) Raise(err::kTypeMismatch);
    String text;
    text.reserve(units.size());
    for (const Json& unit : units) {
        if (!unit.is_number_unsigned() || unit.get<std::uint64_t>() > 0xFFFF) Raise(err::kTypeMismatch);
        text += static_cast<char16_t>(unit.get<std::uint64_t>());
    }
    return text;
}

Json FontToJson(const IFont& font) {
    return Json::object({
        {"Name", TextToJson(font.get_Name())},
        {"Size", FiniteNumber(font.get_Size())},
        {"Bold", font.get_Bold()},
        {"Italic", font.get_Italic()},
        {"Underline", font.get_Underline()},
        {"Strikethrough", font.get_Strikethrough()},
        {"Weight", font.get_Weight()},
        {"Charset", font.get_Charset()},
    });
}

// A picture travels as its type and the bytes of its .bmp or .ico file, so a
// saved form keeps its pictures.
Json PictureToJson(const IPicture& picture) {
    return Json::object({
        {"Type", static_cast<int>(picture.get_Type())},
        {"Data", EncodeBase64(soft::SoftPictures::ToFileBytes(picture))},
    });
}

PicturePtr PictureFromJson(const Json& object, soft::SoftPictures* pictures) {
    const auto data = object.find("Data");
    if (!pictures || data == object.end() || !data->is_string()) Raise(err::kInvalidPicture);
    const auto bytes = DecodeBase64(data->get_ref<const std::string&>());
    if (!bytes) Raise(err::kInvalidPicture);
    return pictures->FromFileBytes(*bytes);
}

template <typename Number>
Variant WholeNumber(Number number) {
    // A number beyond a Long stays a Double, so that the member it is meant
    // for fails with an overflow instead of seeing a wrapped-around value.
    if (std::in_range<Long>(number)) return Variant::FromLong(static_cast<Long>(number));
    return Variant::FromDouble(static_cast<double>(number));
}

double FontNumber(const Json& value) {
    if (!value.is_number()) Raise(err::kTypeMismatch);
    return value.get<double>();
}

String FontText(const Json& value) {
    if (value.is_object() && IsTextUnits(value)) return TextUnitsFromJson(value);
    if (!value.is_string()) Raise(err::kTypeMismatch);
    return FromUtf8(value.get_ref<const std::string&>());
}

// Hand-written forms may say 1 or 0 for a font flag.
bool FontFlag(const Json& value) { return value.is_boolean() ? value.get<bool>() : FontNumber(value) != 0; }

Integer FontInteger(const Json& value) { return CInt(FontNumber(value)); }

template <typename Put>
void IfPresent(const Json& font, const char* key, Put put) {
    if (const auto found = font.find(key); found != font.end()) put(*found);
}

FontPtr FontFromJson(const Json& object) {
    const FontPtr font = soft::SoftFont::Create();
    IfPresent(object, "Name", [&](const Json& v) { font->put_Name(FontText(v)); });
    IfPresent(object, "Size", [&](const Json& v) { font->put_Size(FontNumber(v)); });
    IfPresent(object, "Italic", [&](const Json& v) { font->put_Italic(FontFlag(v)); });
    IfPresent(object, "Underline", [&](const Json& v) { font->put_Underline(FontFlag(v)); });
    IfPresent(object, "Strikethrough", [&](const Json& v) { font->put_Strikethrough(FontFlag(v)); });
    IfPresent(object, "Charset", [&](const Json& v) { font->put_Charset(FontInteger(v)); });
    // Bold and Weight are two views of one value and agree in a saved form.
    // Where a hand-edited form makes them disagree, the flag is what its
    // author changed, so it wins.
    IfPresent(object, "Weight", [&](const Json& v) { font->put_Weight(FontInteger(v)); });
    IfPresent(object, "Bold", [&](const Json& v) {
        const bool bold = FontFlag(v);
        if (bold != font->get_Bold()) font->put_Bold(bold);
    });
    return font;
}

Variant ObjectFromJson(const Json& object, soft::SoftPictures* pictures) {
    if (IsTextUnits(object)) return Variant::FromString(TextUnitsFromJson(object));
    if (object.contains("Name")) return Variant::FromFont(FontFromJson(object));
    if (object.contains("Type")) return Variant::FromPicture(PictureFromJson(object, pictures));
    Raise(err::kTypeMismatch);
}

// ------------------------------------------------------------------- files

std::string Named(const std::filesystem::path& file, const std::string& what) { return file.string() + ": " + what; }

FormFileError SystemError(const std::filesystem::path& file, const char* doing, const std::error_code& error) {
    return FormFileError(Named(file, std::string(doing) + ": " + error.message()));
}

// "an array", "a string", "null": what a top level that is no object is.
std::string KindOf(const Json& value) {
    const std::string name = value.type_name();
    if (value.is_null()) return name;
    return (name.front() == 'a' || name.front() == 'o' ? "an " : "a ") + name;
}

// The length of the UTF-8 sequence text begins with, or 0 when it is not
// one (a stray byte, an overlong form, a surrogate, beyond U+10FFFF).
std::size_t Utf8SequenceAt(std::string_view text, char32_t& code) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

// The parser's complaint without its exception tag, on one line and short.
std::string ShortParserMessage(const Json::exception& error) {
    std::string message = error.what();
    if (const auto tag = message.find("] "); tag != std::string::npos) message.erase(0, tag + 2);
    if (message.starts_with("parse error ")) message.erase(0, std::strlen("parse error "));
    // It quotes the bytes it stumbled over, which may be anything.
    return ReadableText(message, kMaxParserMessage);
}

FormFileError TooLarge(const std::filesystem::path& file) {
    return FormFileError(Named(file, "is larger than 64 MiB, far more than any form"));
}

}  // namespace

std::string ReadFormFileBytes(const std::filesystem::path& file, std::error_code& openError) {
    std::error_code error;
    soft::NativeFile input = soft::NativeFile::OpenForReading(file, soft::AtLink::kFollow, openError);
    if (openError) return {};
    // A form is judged by its size before any of it is read.
    if (const auto size = input.RegularFileSize(); size && *size > kMaxFormBytes) throw TooLarge(file);
    std::string text;
    char buffer[64 * 1024];
    for (;;) {
        const std::size_t count = input.Read(buffer, error);
        if (error) throw SystemError(file, "cannot be read", error);
        if (count == 0) return text;
        if (text.size() + count > kMaxFormBytes) throw TooLarge(file);
        text.append(buffer, count);
    }
}

namespace {

// Builds a form's JSON as the library's own parser does, a later duplicate
// key replacing the earlier one's value in its place, but finds the keys of
// the object it fills through an index: the ordered object would walk every
// member before it for each new key, which made large forms load in time
// in the square of their keys.
class FormBuilder final : public nlohmann::json_sax<Json> {
public:
    FormBuilder(Json& root, const std::filesystem::path& file) : root_(root), file_(file) {}

    std::unordered_map<std::string, std::size_t>& RootKeys() noexcept { return rootKeys_; }

    bool null() override { return Put(nullptr); }
    bool boolean(bool value) override { return Put(value); }
    bool number_integer(number_integer_t value) override { return Put(value); }
    bool number_unsigned(number_unsigned_t value) override { return Put(value); }
    bool number_float(number_float_t value, const string_t&) override { return Put(value); }
    bool string(string_t& value) override { return Put(std::move(value)); }
    bool binary(binary_t& value) override { return Put(Json::binary(std::move(value))); }
    bool start_object(std::size_t) override { return Open(Json::object()); }
    bool start_array(std::size_t) override { return Open(Json::array()); }
    bool end_object() override {
        // The top level's key index goes on to the bag, which looks its
        // properties up through it.
        if (open_.size() == 1) rootKeys_ = std::move(open_.back().keys);
        return Close();
    }
    bool end_array() override { return Close(); }

    bool key(string_t& name) override {
        Level& level = open_.back();
        auto& members = level.container->get_ref<Json::object_t&>();
        const auto [place, added] = level.keys.try_emplace(name, members.size());
        if (added) members.Json::object_t::Container::emplace_back(std::move(name), nullptr);
        level.member = &std::next(members.begin(), static_cast<std::ptrdiff_t>(place->second))->second;
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) override {
        // Besides syntax errors, the parser refuses numbers beyond a double
        // (1e400).
        throw FormFileError(Named(file_, "not valid JSON: " + ShortParserMessage(error)));
    }

private:
    struct Level {
        Json* container = nullptr;
        std::unordered_map<std::string, std::size_t> keys;
        Json* member = nullptr;  // the value the last key names
    };

    Json& Place(Json value) {
        if (open_.empty()) return root_ = std::move(value);
        Level& level = open_.back();
        if (level.container->is_array()) {
            auto& items = level.container->get_ref<Json::array_t&>();
            return items.emplace_back(std::move(value));
        }
        return *level.member = std::move(value);
    }

    bool Put(Json value) {
        Place(std::move(value));
        return true;
    }

    bool Open(Json container) {
        if (open_.size() >= static_cast<std::size_t>(kMaxNesting))
            throw FormFileError(Named(file_, "nests deeper than 64 levels"));
        Json& placed = Place(std::move(container));
        open_.push_back(Level{&placed, {}, nullptr});
        return true;
    }

    bool Close() {
        open_.pop_back();
        return true;
    }

    Json& root_;
    const std::filesystem::path& file_;
    std::vector<Level> open_;
    std::unordered_map<std::string, std::size_t> rootKeys_;
};

// The form in a file's text, and the index of its top level's keys.
JsonPropertyBag::Form Parse(const std::string& text, const std::filesystem::path& file) {
    JsonPropertyBag::Form form;
    FormBuilder builder(form.json, file);
    Json::sax_parse(text, &builder);
    form.keys = std::move(builder.RootKeys());
    return form;
}

// Form files are UTF-8. One saved as UTF-16 or UTF-32 would only meet the
// parser's "invalid literal": its first bytes are a byte-order mark or the
// zero half of "{".
bool LooksLikeWideText(const std::string& text) {
    if (text.size() < 2) return false;
    const auto b0 = static_cast<unsigned char>(text[0]);
    const auto b1 = static_cast<unsigned char>(text[1]);
    return (b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF) || b0 == 0 || b1 == 0;
}

// Why loading gave up a key's value, in the user's words.
std::string SkipReason(const RuntimeError& error, const Json& value) {
    switch (error.number()) {
        case err::kTypeMismatch:
            return "a value of the wrong kind (" + KindOf(value) + ")";
        case err::kInvalidProcedureCall:
        case err::kOverflow:
        case err::kSubscriptOutOfRange:
            return "a value out of range";
        case err::kInvalidPicture:
            return "a picture that cannot be read";
        case err::kOutOfMemory:
            return "a value too large for the strip";
        default:
            return "error " + std::to_string(error.number()) + ": " + ReadableText(error.description(), 120);
    }
}

// "RowWidth12" and its kin: a column's keys.
bool IsColumnKey(std::string_view key) {
    for (const std::string_view base : {"RowWidth", "RowText", "RowSorted", "RowPicture"}) {
        if (!key.starts_with(base) || key.size() == base.size()) continue;
        const std::string_view digits = key.substr(base.size());
        if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) return true;
    }
    return false;
}

// The longest key a report quotes.
constexpr std::size_t kMaxReportedKey = 80;

// The members of a form and, through its key index, the one a name finds.
class FormMembers {
public:
    explicit FormMembers(JsonPropertyBag::Form& form) : form_(form), members_(form.json.get_ref<Json::object_t&>()) {
        // Made on first use; the ordered object never holds a key twice.
        if (form_.keys.size() == members_.size()) return;
        form_.keys.clear();
        form_.keys.reserve(members_.size());
        std::size_t place = 0;
        for (const auto& member : members_) form_.keys.emplace(member.first, place++);
    }

    const Json* Find(const std::string& key) const {
        // The control reads its keys in about the order it wrote them, so
        // the member after the last one found is tried first: the next
        // one in memory rather than a jump through the index.
        const std::size_t next = form_.lastFound + 1;
        if (next < members_.size() && Member(next).first == key) return Found(next);
        const auto found = form_.keys.find(key);
        return found != form_.keys.end() ? Found(found->second) : nullptr;
    }

    // Adds a key the form does not hold yet.
    void Add(std::string key, Json value) {
        form_.keys.emplace(key, members_.size());
        members_.Json::object_t::Container::emplace_back(std::move(key), std::move(value));
    }

private:
    Json::object_t::value_type& Member(std::size_t place) const {
        return *std::next(members_.begin(), static_cast<std::ptrdiff_t>(place));
    }

    const Json* Found(std::size_t place) const {
        form_.lastFound = place;
        return &Member(place).second;
    }

    JsonPropertyBag::Form& form_;
    Json::object_t& members_;
};

}  // namespace

std::string ReadableText(std::string_view text, std::size_t maxBytes) {
    std::string readable;
    std::size_t at = 0;
    while (at < text.size()) {
        if (readable.size() >= maxBytes) {
            readable += "...";
            break;
        }
        char32_t code = 0;
        const std::size_t length = Utf8SequenceAt(text.substr(at), code);
        char escaped[16];
        if (length == 0) {
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(text[at]));
            readable += escaped;
            ++at;
        } else if (code < 0x20 || (code >= 0x7F && code <= 0x9F)) {
            // Control characters would move the cursor or recolour a
            // terminal.
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(code));
            readable += escaped;
            at += length;
        } else {
            readable.append(text.substr(at, length));
            at += length;
        }
    }
    return readable;
}

// ------------------------------------------------------------------ values

Json VariantToJson(const Variant& value) {
    switch (value.kind()) {
        case Variant::Kind::Integer:
            return value.ToInteger();
        case Variant::Kind::Long:
            return value.ToLong();
        case Variant::Kind::Single:
            return SingleToJson(value.ToSingle());
        case Variant::Kind::Double:
            return FiniteNumber(value.ToDouble());
        case Variant::Kind::Boolean:
            return BooleanToJson(value.ToBoolean());
        case Variant::Kind::String:
            return TextToJson(value.ToString());
        case Variant::Kind::Font: {
            const FontPtr font = value.ToFont();
            return font ? FontToJson(*font) : Json(nullptr);
        }
        case Variant::Kind::Picture: {
            const PicturePtr picture = value.ToPicture();
            return picture ? PictureToJson(*picture) : Json(nullptr);
        }
        case Variant::Kind::Empty:
        case Variant::Kind::Nothing:
            break;
    }
    return nullptr;
}

Variant VariantFromJson(const Json& value, soft::SoftPictures* pictures) {
    switch (value.type()) {
        case Json::value_t::null:
            return Variant::NothingValue();
        case Json::value_t::boolean:
            return Variant::FromBoolean(ToBoolean(value.get<bool>()));
        case Json::value_t::number_integer:
            return WholeNumber(value.get<std::int64_t>());
        case Json::value_t::number_unsigned:
            return WholeNumber(value.get<std::uint64_t>());
        case Json::value_t::number_float:
            return Variant::FromDouble(value.get<double>());
        case Json::value_t::string:
            return Variant::FromString(FromUtf8(value.get_ref<const std::string&>()));
        case Json::value_t::object:
            return ObjectFromJson(value, pictures);
        default:
            Raise(err::kTypeMismatch);
    }
}

// -------------------------------------------------------------------- bag

struct JsonPropertyBag::ReadRecord {
    // By the member's place in the form: whether a read found it.
    std::vector<bool> asked;
    // The key of the last read that found a value; empty when it found none.
    std::string lastFound;
    std::unordered_map<std::string, std::string> reasons;
};

JsonPropertyBag::JsonPropertyBag() : form_(std::make_unique<Form>()), reads_(std::make_unique<ReadRecord>()) {}

JsonPropertyBag::JsonPropertyBag(Form form)
    : form_(std::make_unique<Form>(std::move(form))), reads_(std::make_unique<ReadRecord>()) {
    if (!form_->json.is_object()) throw std::invalid_argument("a form is one JSON object, not " + KindOf(form_->json));
}

JsonPropertyBag::~JsonPropertyBag() = default;
JsonPropertyBag::JsonPropertyBag(JsonPropertyBag&& other) noexcept = default;
JsonPropertyBag& JsonPropertyBag::operator=(JsonPropertyBag&& other) noexcept = default;

Variant JsonPropertyBag::ReadProperty(const String& name, const std::optional<Variant>& defaultValue) {
    return RuntimeErrorsOnly([&] {
        if (std::optional<Variant> found = TryReadProperty(name)) return std::move(*found);
        if (defaultValue) return *defaultValue;
        Raise(err::kKeyNotFound, "Property " + ToUtf8(name) + " not found");
    });
}

std::optional<Variant> JsonPropertyBag::TryReadProperty(const String& name) {
    return RuntimeErrorsOnly([&]() -> std::optional<Variant> {
        std::string key = ToUtf8(name);
        reads_->lastFound.clear();
        const Json* found = FormMembers(*form_).Find(key);
        // Only keys the form holds are noted: a form of many columns asks
        // for far more keys than it has.
        if (!found) return std::nullopt;
        const std::size_t place = form_->lastFound;
        if (reads_->asked.size() <= place) reads_->asked.resize(form_->json.size());
        reads_->asked[place] = true;
        reads_->lastFound = std::move(key);
        return VariantFromJson(*found, pictures_);
    });
}

void JsonPropertyBag::ReadStepSkipped(const RuntimeError& error, const String& key) {
    const std::string name = key.empty() ? reads_->lastFound : ToUtf8(key);
    const Json* found = name.empty() ? nullptr : FormMembers(*form_).Find(name);
    // A key the form does not hold was missing, which loading allows.
    if (!found) return;
    reads_->reasons.emplace(name, SkipReason(error, *found));
}

std::vector<JsonPropertyBag::SkippedKey> JsonPropertyBag::SkippedKeys() const {
    std::vector<SkippedKey> skipped;
    std::size_t place = 0;
    for (const auto& [key, value] : form_->json.items()) {
        const bool asked = place < reads_->asked.size() && reads_->asked[place];
        ++place;
        std::string reason;
        if (const auto given = reads_->reasons.find(key); given != reads_->reasons.end()) {
            reason = given->second;
        } else if (!asked) {
            reason = IsColumnKey(key) ? "a column beyond NumberOfTabs" : "not a key of the strip";
        } else {
            continue;
        }
        skipped.push_back({ReadableText(key, kMaxReportedKey), std::move(reason)});
    }
    return skipped;
}

void JsonPropertyBag::WriteProperty(const String& name, const Variant& value,
                                    const std::optional<Variant>& defaultValue) {
    RuntimeErrorsOnly([&] {
        if (defaultValue && value.SameValueAs(*defaultValue)) return;
        FormMembers members(*form_);
        std::string key = ToUtf8(name);
        if (!members.Find(key)) members.Add(std::move(key), VariantToJson(value));
    });
}

// ------------------------------------------------------------------- files

JsonPropertyBag JsonPropertyBag::Load(const std::filesystem::path& file) {
    std::error_code error;
    std::string text = ReadFormFileBytes(file, error);
    if (error) throw SystemError(file, "cannot be read", error);
    return FromText(text, file);
}

JsonPropertyBag JsonPropertyBag::FromText(const std::string& text, const std::filesystem::path& origin) {
    if (text.size() > kMaxFormBytes) throw TooLarge(origin);
    if (LooksLikeWideText(text))
        throw FormFileError(Named(origin, "is UTF-16 or UTF-32 text; form files are UTF-8 JSON (save it as UTF-8)"));
    Form form = Parse(text, origin);
    if (!form.json.is_object())
        throw FormFileError(Named(origin, "top level is " + KindOf(form.json) + ", not a JSON object"));
    return JsonPropertyBag(std::move(form));
}

void JsonPropertyBag::Save(const std::filesystem::path& file) const {
    const std::string text = form_->json.dump(2, ' ', false, Json::error_handler_t::replace) + '\n';
    try {
        soft::WriteFileAtomically(file, text);
    } catch (const soft::AtomicFileError& error) {
        throw FormFileError(Named(file, std::string("cannot be saved: ") + error.what()));
    }
}

}  // namespace lumora::forms
