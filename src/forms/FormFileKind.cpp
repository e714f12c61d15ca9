// SPDX-License-Identifier: MIT
#include "lumora/forms/FormFileKind.h"

#include <algorithm>
#include <array>
#include <cctype>

#include <nlohmann/json.hpp>

#include "forms/FormStream.h"
#include "forms/JsonForm.h"
#include "lumora/forms/JsonFormFile.h"
#include "platform/soft/NativeFile.h"

namespace lumora::forms {
namespace {

// How a form stream begins.
constexpr std::string_view kStreamMagic = "LFST";
// Where the stream's header gives its version.
constexpr std::size_t kStreamVersionAt = 4;
// A file starts with this many bytes of a format's mark at most; a save
// looks at no more of the file it replaces.
constexpr std::size_t kMarkBytes = 16;
// Text is judged by its beginning: a form's worth of it is plenty.
constexpr std::size_t kTextSample = 64 * 1024;
// The longest file name a message quotes.
constexpr std::size_t kMaxNamedFile = 200;

// Files people mistake for forms or pick by accident, by the bytes they
// begin with.
struct Signature {
    std::string_view start;
    const char* description;
};
constexpr Signature kSignatures[] = {
    {"\x89PNG\r\n\x1A\n", "a PNG image"},
    {"GIF87a", "a GIF image"},
    {"GIF89a", "a GIF image"},
    {"\xFF\xD8\xFF", "a JPEG image"},
    {std::string_view("\0\0\1\0", 4), "an icon"},
    {std::string_view("\0\0\2\0", 4), "a cursor"},
    {"%PDF-", "a PDF document"},
    {"PK\x03\x04", "a ZIP archive"},
    {"\x1F\x8B", "a gzip archive"},
    {"\x7F"
     "ELF",
     "a program"},
    {"MZ", "a Windows program or library"},
    // Containers keep their controls' streams inside such a file; the
    // strip reads its own stream, not the whole document.
    {"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", "a compound document"},
    {"<?xml", "an XML document"},
};

bool StartsWith(std::string_view bytes, std::string_view start) { return bytes.substr(0, start.size()) == start; }

unsigned char At(std::string_view bytes, std::size_t index) {
    return index < bytes.size() ? static_cast<unsigned char>(bytes[index]) : 0xFF;
}

// A .bmp file: its mark is only two letters, so the size of the header
// that follows must be one of the bitmap headers too.
bool IsBitmapFile(std::string_view bytes) {
    if (!StartsWith(bytes, "BM") || bytes.size() < 18) return false;
    const unsigned headerSize = At(bytes, 14) | At(bytes, 15) << 8 | At(bytes, 16) << 16 | At(bytes, 17) << 24;
    constexpr std::array<unsigned, 6> kHeaderSizes = {12, 40, 52, 56, 108, 124};
    return std::find(kHeaderSizes.begin(), kHeaderSizes.end(), headerSize) != kHeaderSizes.end();
}

// Text in two or four bytes a character, by its byte-order mark or by the
// zero bytes that ASCII letters get in it.
const char* WideTextKind(std::string_view bytes) {
    if (StartsWith(bytes, std::string_view("\xFF\xFE\0\0", 4)) ||
        StartsWith(bytes, std::string_view("\0\0\xFE\xFF", 4)))
        return "UTF-32 text";
    if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) return "UTF-16 text";
    if (bytes.size() < 2) return nullptr;
    const bool zeroAt[4] = {At(bytes, 0) == 0, At(bytes, 1) == 0, At(bytes, 2) == 0, At(bytes, 3) == 0};
    if (bytes.size() >= 4 &&
        ((!zeroAt[0] && zeroAt[1] && zeroAt[2] && zeroAt[3]) || (zeroAt[0] && zeroAt[1] && zeroAt[2] && !zeroAt[3])))
        return "UTF-32 text";
    const unsigned char ascii = zeroAt[0] ? At(bytes, 1) : At(bytes, 0);
    const bool printable = ascii == '\t' || ascii == '\n' || ascii == '\r' || (ascii >= 0x20 && ascii < 0x7F);
    if (zeroAt[0] != zeroAt[1] && printable) return "UTF-16 text";
    return nullptr;
}

// The text after a UTF-8 byte-order mark and white space, where JSON's
// first token is.
std::string_view AfterSpace(std::string_view bytes) {
    if (StartsWith(bytes, "\xEF\xBB\xBF")) bytes.remove_prefix(3);
    const std::size_t first = bytes.find_first_not_of(" \t\r\n");
    return first == std::string_view::npos ? std::string_view() : bytes.substr(first);
}

// Text a person could read: no zero bytes or control characters but white
// space. Bytes of other code pages pass, as a text editor would show them.
bool LooksLikeText(std::string_view bytes) {
    const std::string_view sample = bytes.substr(0, kTextSample);
    return std::all_of(sample.begin(), sample.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x20 || byte == '\t' || byte == '\n' || byte == '\r' || byte == '\f';
    });
}

// What a JSON value that is no object is, for "JSON that is not a form".
std::string JsonKind(std::string_view text) {
    switch (text.front()) {
        case '[':
            return "an array";
        case '"':
            return "a string";
        case 't':
        case 'f':
            return "a Boolean";
        case 'n':
            return "null";
        default:
            return "a number";
    }
}

FormFileKind Other(std::string description) { return {FormFileKind::Kind::Other, 0, std::move(description)}; }

FormFileKind StreamKind(std::string_view bytes) {
    if (bytes.size() < kStreamVersionAt + 2) return {FormFileKind::Kind::Stream, 0, "a form stream cut short"};
    const auto version = static_cast<std::uint16_t>(At(bytes, kStreamVersionAt) | At(bytes, kStreamVersionAt + 1) << 8);
    return {FormFileKind::Kind::Stream, version, "a form stream of version " + std::to_string(version)};
}

FormFileKind TextKind(std::string_view bytes) {
    const std::string_view text = AfterSpace(bytes);
    if (text.empty()) return Other("a file of only white space");
    if (text.front() == '<') return Other("an XML or HTML document");
    if (nlohmann::json::accept(text)) return Other("JSON that is not a form (" + JsonKind(text) + ")");
    return Other("text that is not JSON");
}

std::string LowerExtension(const std::filesystem::path& file) {
    const std::u8string extension = file.extension().u8string();
    std::string lower(extension.begin(), extension.end());
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower;
}

// The first bytes of a file, or none when there is no regular file to read.
std::string FirstBytes(const std::filesystem::path& file) {
    std::error_code error;
    soft::NativeFile input = soft::NativeFile::OpenForReading(file, soft::AtLink::kFollow, error);
    if (error) return {};
    std::array<char, kMarkBytes> buffer{};
    const std::size_t count = input.Read(buffer, error);
    return error ? std::string() : std::string(buffer.data(), count);
}

}  // namespace

std::string FileNamed(const std::filesystem::path& file) {
    // UTF-8 on every system, where Windows would give its code page.
    const std::u8string name = file.u8string();
    return ReadableText(std::string(name.begin(), name.end()), kMaxNamedFile);
}

bool FormFileKind::Readable() const noexcept {
    return kind == Kind::JsonForm || (kind == Kind::Stream && streamVersion == kFormStreamVersion);
}

FormFileKind ClassifyFormBytes(std::string_view bytes) {
    if (bytes.empty()) return Other("an empty file");
    if (StartsWith(bytes, kStreamMagic)) return StreamKind(bytes);
    for (const Signature& signature : kSignatures)
        if (StartsWith(bytes, signature.start)) return Other(signature.description);
    if (IsBitmapFile(bytes)) return Other("a BMP image");
    if (const char* wide = WideTextKind(bytes)) return Other(wide);
    // A form is taken at its first brace: what is wrong further in, a stray
    // control character too, its parser says with its place.
    if (AfterSpace(bytes).starts_with('{')) return {FormFileKind::Kind::JsonForm, 0, "a JSON form"};
    if (LooksLikeText(bytes)) return TextKind(bytes);
    return Other("binary data of no kind the strip knows");
}

std::string NotAFormMessage(const std::filesystem::path& file, std::string_view found) {
    return FileNamed(file) + ": found " + std::string(found) +
           "; the strip reads JSON form files and its own form streams (version " + std::to_string(kFormStreamVersion) +
           ")";
}

std::optional<FormFormat> FormatOfExtension(const std::filesystem::path& file) {
    const std::string extension = LowerExtension(file);
    if (extension == ".json") return FormFormat::Json;
    if (extension == ".lumora") return FormFormat::Stream;
    return std::nullopt;
}

FormFormat FormatForSaving(const std::filesystem::path& file, FormFormat otherwise) {
    const FormFileKind held = ClassifyFormBytes(FirstBytes(file));
    // Only the file's beginning was read: text that opens an object is
    // taken for the form it almost surely is.
    if (held.kind == FormFileKind::Kind::JsonForm) return FormFormat::Json;
    if (held.kind == FormFileKind::Kind::Stream) return FormFormat::Stream;
    return FormatOfExtension(file).value_or(otherwise);
}

}  // namespace lumora::forms
