// SPDX-License-Identifier: MIT
#include "lumora/forms/FormConversion.h"

#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "forms/Base64.h"
#include "forms/FormStream.h"
#include "forms/JsonForm.h"
#include "lumora/platform/soft/SoftFont.h"
#include "lumora/platform/soft/SoftPicture.h"
#include "lumora/runtime/RuntimeError.h"
#include "platform/soft/AtomicFile.h"
#include "platform/soft/NativeFile.h"
#include "platform/soft/PictureCodec.h"

namespace lumora::forms {
namespace {

using Json = nlohmann::ordered_json;

// How an .ico file begins; any other picture file travels as a bitmap.
constexpr std::string_view kIconMark("\0\0\1\0", 4);

// A picture on its way from one format to the other: the bytes of its
// file exactly as the form held them. Nothing draws it, so it has no
// handle of the system's and no size.
class StoredPicture final : public IPicture {
public:
    StoredPicture(std::string bytes, PictureType type) : bytes_(std::move(bytes)), type_(type) {}

    std::uintptr_t get_Handle() const override { return reinterpret_cast<std::uintptr_t>(this); }
    std::uintptr_t get_hPal() const override { return 0; }
    PictureType get_Type() const override { return type_; }
    Long get_Width() const override { return 0; }
    Long get_Height() const override { return 0; }
    const std::string& bytes() const noexcept { return bytes_; }

private:
    std::string bytes_;
    PictureType type_;
};

// Pictures as their files' bytes and fonts as the software surface's. A
// stream's pictures are passed on as they are; a JSON form's are decoded
// first, since a stream with a picture the strip cannot read would be
// refused whole.
class ConversionObjects final : public IFormObjects {
public:
    explicit ConversionObjects(bool decodePictures) : decodePictures_(decodePictures) {}

    std::string SavePicture(const PicturePtr& picture) override {
        if (const auto* stored = dynamic_cast<const StoredPicture*>(picture.get())) return stored->bytes();
        return soft::SoftPictures::ToFileBytes(*picture);
    }
    PicturePtr LoadPicture(std::string_view bytes) override {
        PictureType type = bytes.starts_with(kIconMark) ? PictureType::Icon : PictureType::Bitmap;
        if (decodePictures_)
            type =
                soft::DecodePicture(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())).type;
        return std::make_shared<StoredPicture>(std::string(bytes), type);
    }
    FontPtr CreateFont(const FontDescription& description) override { return soft::SoftFont::Create(description); }

private:
    bool decodePictures_;
};

// What to do with a JSON value the stream cannot hold.
enum class Unholdable {
    // Refuse the form, naming the key: a conversion loses nothing silently.
    kRefuse,
    // Leave the key out, as a control loading the JSON form would skip it.
    kLeaveOut,
};

std::string Named(const std::filesystem::path& file, const std::string& what) { return FileNamed(file) + ": " + what; }

// A key as a message quotes it.
std::string QuotedKey(const std::string& key) { return "\"" + ReadableText(key, 80) + "\""; }

// Why a value cannot go into a stream, in the words of a form's author.
std::string UnholdableReason(const RuntimeError& error, const Json& value) {
    if (error.number() == err::kInvalidPicture) return "its picture cannot be read";
    return std::string("the stream holds no value like it (") + value.type_name() + ")";
}

// As VariantFromJson tells them: text units first, then a font, then a
// picture.
bool IsPictureObject(const Json& value) {
    const bool textUnits = value.is_object() && value.size() == 1 && value.contains("Utf16");
    return value.is_object() && !textUnits && !value.contains("Name") && value.contains("Type");
}

Variant PictureValue(const Json& value, ConversionObjects& objects) {
    const auto data = value.find("Data");
    if (data == value.end() || !data->is_string()) Raise(err::kInvalidPicture);
    const auto bytes = DecodeBase64(data->get_ref<const std::string&>());
    if (!bytes || bytes->empty()) Raise(err::kInvalidPicture);
    return Variant::FromPicture(
        objects.LoadPicture(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size())));
}

std::vector<FormEntry> EntriesOfJson(const Json& form, const std::filesystem::path& origin, ConversionObjects& objects,
                                     Unholdable unholdable) {
    std::vector<FormEntry> entries;
    entries.reserve(form.size());
    for (const auto& [key, value] : form.items()) {
        try {
            entries.push_back(
                {FromUtf8(key), IsPictureObject(value) ? PictureValue(value, objects) : VariantFromJson(value)});
        } catch (const RuntimeError& error) {
            if (unholdable == Unholdable::kLeaveOut) continue;
            throw FormFileError(
                Named(origin, "cannot convert " + QuotedKey(key) + ": " + UnholdableReason(error, value)));
        }
    }
    return entries;
}

std::string StreamOfJson(const JsonPropertyBag& form, const std::filesystem::path& origin, Unholdable unholdable) {
    ConversionObjects objects(true);
    const std::vector<FormEntry> entries = EntriesOfJson(JsonOf(form), origin, objects, unholdable);
    try {
        return WriteFormStream(entries, objects);
    } catch (const FormStreamError& error) {
        throw FormFileError(Named(origin, error.what()));
    }
}

// A value as a form file holds it; a picture keeps the bytes it came with.
Json ValueToJson(const Variant& value) {
    if (value.kind() == Variant::Kind::Picture) {
        if (const auto* stored = dynamic_cast<const StoredPicture*>(value.ToPicture().get()))
            return Json::object(
                {{"Type", static_cast<int>(stored->get_Type())}, {"Data", EncodeBase64(stored->bytes())}});
    }
    return VariantToJson(value);
}

std::vector<FormEntry> ReadStream(std::string_view stream, const std::filesystem::path& origin) {
    ConversionObjects objects(false);
    try {
        return ReadFormStream(stream, objects);
    } catch (const FormStreamError& error) {
        throw FormFileError(Named(origin, error.what()));
    }
}

bool IsDirectory(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::is_directory(file, error);
}

// A form file's bytes; a name with no file to read says what is there.
std::string ReadForm(const std::filesystem::path& file) {
    std::error_code error;
    std::string bytes = ReadFormFileBytes(file, error);
    if (!error) return bytes;
    if (error == std::errc::no_such_file_or_directory) throw FormFileError(NotAFormMessage(file, "no file"));
    // Windows refuses to open a directory ("access denied") before anyone
    // can see that it is one.
    if (IsDirectory(file)) throw FormFileError(NotAFormMessage(file, "a directory"));
    if (error == soft::NotARegularFile())
        throw FormFileError(NotAFormMessage(file, IsDirectory(file) ? "a directory" : "a pipe or a device"));
    throw FormFileError(Named(file, "cannot be read: " + error.message()));
}

// What the bytes are, when they are a form this strip reads.
FormFileKind::Kind FormKindOf(std::string_view bytes, const std::filesystem::path& origin) {
    const FormFileKind kind = ClassifyFormBytes(bytes);
    if (!kind.Readable()) throw FormFileError(NotAFormMessage(origin, kind.description));
    return kind.kind;
}

void WriteForm(const std::filesystem::path& file, std::string_view bytes) {
    try {
        soft::WriteFileAtomically(file, bytes);
    } catch (const soft::AtomicFileError& error) {
        throw FormFileError(Named(file, std::string("cannot be saved: ") + error.what()));
    }
}

}  // namespace

JsonPropertyBag LoadFormFile(const std::filesystem::path& file) { return FormFromBytes(ReadForm(file), file); }

JsonPropertyBag FormFromBytes(const std::string& bytes, const std::filesystem::path& origin) {
    if (FormKindOf(bytes, origin) == FormFileKind::Kind::Stream) return FormOfStream(bytes, origin);
    return JsonPropertyBag::FromText(bytes, origin);
}

std::string LoadFormFileAsStream(const std::filesystem::path& file) {
    std::string bytes = ReadForm(file);
    if (FormKindOf(bytes, file) == FormFileKind::Kind::Stream) {
        // Checked here, so that a damaged stream is told by its place in
        // the file rather than by the control's bare failure.
        ReadStream(bytes, file);
        return bytes;
    }
    return StreamOfJson(JsonPropertyBag::FromText(bytes, file), file, Unholdable::kLeaveOut);
}

std::string FormStreamOf(const JsonPropertyBag& form, const std::filesystem::path& origin) {
    return StreamOfJson(form, origin, Unholdable::kRefuse);
}

JsonPropertyBag FormOfStream(std::string_view stream, const std::filesystem::path& origin) {
    Json form = Json::object();
    // The stream holds each key once, so members go in without the ordered
    // object's search for an earlier one, which takes time in the square
    // of the keys.
    auto& members = form.get_ref<Json::object_t&>();
    for (const FormEntry& entry : ReadStream(stream, origin)) {
        std::string key = ToUtf8(entry.name);
        try {
            members.Json::object_t::Container::emplace_back(key, ValueToJson(entry.value));
        } catch (const RuntimeError&) {
            // Infinity and NaN, which a Single or Double can hold.
            throw FormFileError(Named(origin, "cannot convert " + QuotedKey(key) + ": JSON holds no such number"));
        }
    }
    return JsonBag(std::move(form));
}

std::string FormStreamOfBag(const MemoryPropertyBag& bag, const std::filesystem::path& origin) {
    ConversionObjects objects(false);
    try {
        return WriteFormStream(EntriesOf(bag), objects);
    } catch (const FormStreamError& error) {
        throw FormFileError(Named(origin, error.what()));
    }
}

void SaveStreamAs(std::string_view stream, const std::filesystem::path& file, FormFormat format) {
    if (format == FormFormat::Json)
        FormOfStream(stream, file).Save(file);
    else
        WriteForm(file, stream);
}

FormFormat ConvertFormFile(const std::filesystem::path& in, const std::filesystem::path& out,
                           std::optional<FormFormat> format) {
    const std::string bytes = ReadForm(in);
    const bool isStream = FormKindOf(bytes, in) == FormFileKind::Kind::Stream;
    const FormFormat written = format.value_or(isStream ? FormFormat::Json : FormFormat::Stream);
    if (isStream && written == FormFormat::Stream) {
        ReadStream(bytes, in);
        WriteForm(out, bytes);
    } else if (isStream) {
        FormOfStream(bytes, in).Save(out);
    } else if (written == FormFormat::Json) {
        JsonPropertyBag::FromText(bytes, in);
        WriteForm(out, bytes);
    } else {
        WriteForm(out, FormStreamOf(JsonPropertyBag::FromText(bytes, in), in));
    }
    return written;
}

}  // namespace lumora::forms
