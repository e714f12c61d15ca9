// SPDX-License-Identifier: MIT
#include "forms/FormStream.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <limits>
#include <unordered_set>
#include <utility>

#include "lumora/runtime/RuntimeError.h"

namespace lumora::forms {
namespace {

constexpr char kMagic[4] = {'L', 'F', 'S', 'T'};
// Where the header's fields sit.
constexpr std::size_t kVersionAt = 4;
constexpr std::size_t kFlagsAt = 6;
constexpr std::size_t kLengthAt = 8;
constexpr std::size_t kCrcAt = 12;
// The entry count is all an empty form's payload holds.
constexpr std::size_t kMinPayload = 4;
// The smallest entry: a one-character key and the kind Empty. A count the
// remaining bytes cannot hold at this size is refused before anything is
// reserved for it.
constexpr std::size_t kMinEntryBytes = 2 + 2 + 1;
// A control with 250 columns writes about this many keys.
constexpr std::size_t kEntriesReservedAhead = 1024;
constexpr std::size_t kMaxFontNameLength = std::numeric_limits<std::uint16_t>::max();
// The platform keeps font sizes as currency (a 64-bit count of 1/10000
// points); a larger size no font object can hold, and the software font
// would round it to infinity.
constexpr double kMaxFontPoints = 922337203685477.0;

bool IsFontSize(double points) { return points >= 0 && points <= kMaxFontPoints; }

// The kinds as the stream numbers them; fixed, whatever order Variant keeps.
enum class Tag : std::uint8_t {
    Empty = 0,
    Nothing = 1,
    Integer = 2,
    Long = 3,
    Single = 4,
    Double = 5,
    Boolean = 6,
    String = 7,
    Font = 8,
    Picture = 9,
};

// A font's switches, in one byte.
constexpr std::uint8_t kFontBold = 1;
constexpr std::uint8_t kFontItalic = 2;
constexpr std::uint8_t kFontUnderline = 4;
constexpr std::uint8_t kFontStrikethrough = 8;
constexpr std::uint8_t kFontFlagsKnown = kFontBold | kFontItalic | kFontUnderline | kFontStrikethrough;

std::uint32_t Crc32(std::string_view bytes) {
    // Every payload is within kMaxFormStreamPayload, far below uInt's range.
    const uLong start = crc32(0L, Z_NULL, 0);
    return static_cast<std::uint32_t>(
        crc32(start, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

std::string Hex(std::uint32_t value, int digits = 8) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) text += kDigits[(value >> shift) & 0xF];
    return text;
}

// A key as a message shows it. A damaged key can hold control characters,
// and a U+0000 would end the message early, so those are spelled out.
std::string Quoted(const String& key) {
    std::string text = "\"";
    String printable;
    for (const char16_t unit : key) {
        if (unit >= 0x20 && unit != 0x7F) {
            printable += unit;
            continue;
        }
        text += ToUtf8(printable) + "\\u" + Hex(unit, 4);
        printable.clear();
    }
    return text + ToUtf8(printable) + '"';
}

// "1 byte", "5 bytes".
std::string ByteCount(std::size_t count) { return std::to_string(count) + (count == 1 ? " byte" : " bytes"); }

FormStreamError Malformed(const std::string& what, std::size_t offset) {
    return FormStreamError("form stream: " + what + " at byte " + std::to_string(offset));
}

FormStreamError Unwritable(const String& key, const std::string& what) {
    return FormStreamError("form stream: cannot write key " + Quoted(key) + ": " + what);
}

// Why a key cannot be stored, or null when it can.
const char* KeyProblem(std::u16string_view key) {
    if (key.empty()) return "is empty";
    if (key.size() > kMaxFormKeyLength) return "is longer than 255 characters";
    if (key.find(u'\0') != std::u16string_view::npos) return "holds U+0000";
    if (HasUnpairedSurrogate(key)) return "holds an unpaired surrogate";
    return nullptr;
}

std::uint32_t LittleU32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::uint16_t LittleU16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

// ------------------------------------------------------------------ writing

class StreamWriter {
public:
    void U8(std::uint8_t value) { bytes_.push_back(static_cast<char>(value)); }
    void U16(std::uint16_t value) { Little(value); }
    void U32(std::uint32_t value) { Little(value); }
    void U64(std::uint64_t value) { Little(value); }
    void Units(std::u16string_view text) {
        for (const char16_t unit : text) U16(unit);
    }
    void Bytes(std::string_view bytes) { bytes_ += bytes; }
    void PutU32At(std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    std::string& bytes() noexcept { return bytes_; }

private:
    template <typename Unsigned>
    void Little(Unsigned value) {
        for (std::size_t i = 0; i < sizeof value; ++i) bytes_.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }

    std::string bytes_;
};

// A length that must fit the stream before it is written as a uint32.
std::uint32_t Length32(std::size_t length, const String& key, const char* what) {
    if (length > kMaxFormStreamPayload) throw Unwritable(key, std::string(what) + " is beyond the stream's limit");
    return static_cast<std::uint32_t>(length);
}

void WriteFont(StreamWriter& out, const IFont& font, const String& key) {
    const FontDescription described = Describe(font);
    if (described.name.size() > kMaxFontNameLength) throw Unwritable(key, "the font's name is too long");
    if (!IsFontSize(described.size)) throw Unwritable(key, "the font's size is no number of points");
    out.U16(static_cast<std::uint16_t>(described.name.size()));
    out.Units(described.name);
    out.U64(std::bit_cast<std::uint64_t>(described.size));
    out.U8((described.bold ? kFontBold : 0) | (described.italic ? kFontItalic : 0) |
           (described.underline ? kFontUnderline : 0) | (described.strikethrough ? kFontStrikethrough : 0));
    out.U16(static_cast<std::uint16_t>(described.weight));
    out.U16(static_cast<std::uint16_t>(described.charset));
}

void WritePicture(StreamWriter& out, const PicturePtr& picture, const String& key, IFormObjects& objects) {
    std::string bytes;
    try {
        bytes = objects.SavePicture(picture);
    } catch (const RuntimeError& error) {
        throw Unwritable(key, std::string("the picture cannot be saved: ") + error.what());
    }
    if (bytes.empty()) throw Unwritable(key, "the picture was saved as no bytes");
    out.U32(Length32(bytes.size(), key, "the picture"));
    out.Bytes(bytes);
}

void WriteValue(StreamWriter& out, const FormEntry& entry, IFormObjects& objects) {
    const Variant& value = entry.value;
    const auto tag = [&](Tag kind) { out.U8(static_cast<std::uint8_t>(kind)); };
    switch (value.kind()) {
        case Variant::Kind::Empty:
            return tag(Tag::Empty);
        case Variant::Kind::Nothing:
            return tag(Tag::Nothing);
        case Variant::Kind::Integer:
            tag(Tag::Integer);
            return out.U16(static_cast<std::uint16_t>(value.ToInteger()));
        case Variant::Kind::Long:
            tag(Tag::Long);
            return out.U32(static_cast<std::uint32_t>(value.ToLong()));
        case Variant::Kind::Single:
            tag(Tag::Single);
            return out.U32(std::bit_cast<std::uint32_t>(value.ToSingle()));
        case Variant::Kind::Double:
            tag(Tag::Double);
            return out.U64(std::bit_cast<std::uint64_t>(value.ToDouble()));
        case Variant::Kind::Boolean:
            tag(Tag::Boolean);
            return out.U16(static_cast<std::uint16_t>(value.ToBoolean()));
        case Variant::Kind::String: {
            const String text = value.ToString();
            tag(Tag::String);
            out.U32(Length32(text.size(), entry.name, "the text"));
            return out.Units(text);
        }
        case Variant::Kind::Font:
            tag(Tag::Font);
            return WriteFont(out, *value.ToFont(), entry.name);
        case Variant::Kind::Picture:
            tag(Tag::Picture);
            return WritePicture(out, value.ToPicture(), entry.name, objects);
    }
}

// ------------------------------------------------------------------ reading

// Reads the payload from the front, refusing to step past its end. Offsets
// in its complaints count from the start of the stream.
class PayloadReader {
public:
    PayloadReader(std::string_view payload, std::size_t origin) : payload_(payload), origin_(origin) {}

    std::size_t offset() const noexcept { return origin_ + position_; }
    std::size_t remaining() const noexcept { return payload_.size() - position_; }

    std::uint8_t U8(const char* what) { return static_cast<std::uint8_t>(Take(1, what)[0]); }
    std::uint16_t U16(const char* what) { return LittleU16(Take(2, what), 0); }
    std::uint32_t U32(const char* what) { return LittleU32(Take(4, what), 0); }
    std::uint64_t U64(const char* what) {
        const std::string_view bytes = Take(8, what);
        return LittleU32(bytes, 0) | (std::uint64_t{LittleU32(bytes, 4)} << 32);
    }
    String Units(std::size_t count, const char* what) {
        if (count > remaining() / 2) throw Malformed(std::string("the payload ends inside ") + what, offset());
        const std::string_view bytes = Take(count * 2, what);
        String text(count, u'\0');
        for (std::size_t i = 0; i < count; ++i) text[i] = LittleU16(bytes, 2 * i);
        return text;
    }
    std::string_view Bytes(std::size_t count, const char* what) { return Take(count, what); }

private:
    std::string_view Take(std::size_t count, const char* what) {
        if (count > remaining()) throw Malformed(std::string("the payload ends inside ") + what, offset());
        const std::string_view bytes = payload_.substr(position_, count);
        position_ += count;
        return bytes;
    }

    std::string_view payload_;
    std::size_t origin_;
    std::size_t position_ = 0;
};

// Runs a hook that makes a platform object; its runtime errors and a missing
// object become the stream's error.
template <typename Make>
auto MadeByPlatform(Make make, const std::string& what, std::size_t at) {
    decltype(make()) made;
    try {
        made = make();
    } catch (const RuntimeError& error) {
        throw Malformed(what + ": " + error.what(), at);
    }
    if (!made) throw Malformed(what + ": the platform made none", at);
    return made;
}

FontPtr ReadFont(PayloadReader& in, const String& key, IFormObjects& objects) {
    const std::size_t at = in.offset();
    FontDescription font;
    font.name = in.Units(in.U16("a font's name length"), "a font's name");
    const std::size_t sizeAt = in.offset();
    font.size = std::bit_cast<double>(in.U64("a font's size"));
    if (!IsFontSize(font.size)) throw Malformed("the font size of " + Quoted(key) + " is no number of points", sizeAt);
    const std::size_t flagsAt = in.offset();
    const std::uint8_t flags = in.U8("a font's flags");
    if (flags & ~kFontFlagsKnown)
        throw Malformed("unknown font flags 0x" + Hex(flags, 2) + " for " + Quoted(key), flagsAt);
    font.bold = flags & kFontBold;
    font.italic = flags & kFontItalic;
    font.underline = flags & kFontUnderline;
    font.strikethrough = flags & kFontStrikethrough;
    font.weight = static_cast<Integer>(in.U16("a font's weight"));
    font.charset = static_cast<Integer>(in.U16("a font's charset"));
    return MadeByPlatform([&] { return objects.CreateFont(font); }, "the font of " + Quoted(key) + " cannot be made",
                          at);
}

PicturePtr ReadPicture(PayloadReader& in, const String& key, IFormObjects& objects) {
    const std::size_t at = in.offset();
    const std::uint32_t length = in.U32("a picture's length");
    if (length == 0) throw Malformed("the picture of " + Quoted(key) + " has no bytes", at);
    if (length > in.remaining())
        throw Malformed("the picture of " + Quoted(key) + " claims " + std::to_string(length) + " bytes, " +
                            std::to_string(in.remaining()) + " are left",
                        at);
    const std::string_view bytes = in.Bytes(length, "a picture");
    return MadeByPlatform([&] { return objects.LoadPicture(bytes); }, "the bytes of " + Quoted(key) + " are no picture",
                          at + 4);
}

Variant ReadValue(PayloadReader& in, const String& key, IFormObjects& objects) {
    const std::size_t at = in.offset();
    const auto kind = static_cast<Tag>(in.U8("a kind"));
    switch (kind) {
        case Tag::Empty:
            return Variant();
        case Tag::Nothing:
            return Variant::NothingValue();
        case Tag::Integer:
            return Variant::FromInteger(static_cast<Integer>(in.U16("an Integer")));
        case Tag::Long:
            return Variant::FromLong(static_cast<Long>(in.U32("a Long")));
        case Tag::Single:
            return Variant::FromSingle(std::bit_cast<Single>(in.U32("a Single")));
        case Tag::Double:
            return Variant::FromDouble(std::bit_cast<Double>(in.U64("a Double")));
        case Tag::Boolean:
            return Variant::FromBoolean(static_cast<Boolean>(in.U16("a Boolean")));
        case Tag::String: {
            const std::uint32_t length = in.U32("a text's length");
            if (length > in.remaining() / 2)
                throw Malformed("the text of " + Quoted(key) + " claims " + std::to_string(length) + " characters, " +
                                    std::to_string(in.remaining()) + " bytes are left",
                                at + 1);
            return Variant::FromString(in.Units(length, "a text"));
        }
        case Tag::Font:
            return Variant::FromFont(ReadFont(in, key, objects));
        case Tag::Picture:
            return Variant::FromPicture(ReadPicture(in, key, objects));
    }
    throw Malformed("unknown kind " + std::to_string(static_cast<int>(kind)) + " for " + Quoted(key), at);
}

String ReadKey(PayloadReader& in) {
    const std::size_t at = in.offset();
    const std::uint16_t length = in.U16("a key's length");
    if (length == 0 || length > kMaxFormKeyLength)
        throw Malformed("a key of " + std::to_string(length) + " characters (1 to 255 allowed)", at);
    String key = in.Units(length, "a key");
    if (const char* problem = KeyProblem(key)) throw Malformed("the key " + Quoted(key) + " " + problem, at + 2);
    return key;
}

std::vector<FormEntry> ReadPayload(std::string_view payload, IFormObjects& objects) {
    PayloadReader in(payload, kFormStreamHeaderSize);
    const std::uint32_t count = in.U32("the entry count");
    if (count > in.remaining() / kMinEntryBytes)
        throw Malformed(std::to_string(count) + " entries cannot fit in the " + std::to_string(in.remaining()) +
                            " bytes that follow",
                        kFormStreamHeaderSize);
    // An entry in memory is many times its smallest size in the stream, so
    // room is made ahead only for a usual form; a larger one grows as its
    // entries actually arrive.
    std::vector<FormEntry> entries;
    entries.reserve(std::min<std::size_t>(count, kEntriesReservedAhead));
    std::unordered_set<String> keys;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = in.offset();
        String key = ReadKey(in);
        if (!keys.insert(key).second) throw Malformed("the key " + Quoted(key) + " appears twice", at);
        Variant value = ReadValue(in, key, objects);
        entries.push_back({std::move(key), std::move(value)});
    }
    if (in.remaining() != 0)
        throw Malformed("the payload goes on for " + ByteCount(in.remaining()) + " after its last entry", in.offset());
    return entries;
}

}  // namespace

std::vector<FormEntry> EntriesOf(const MemoryPropertyBag& bag) {
    std::vector<FormEntry> entries;
    entries.reserve(bag.StoredKeys().size());
    for (const String& key : bag.StoredKeys()) entries.push_back({key, bag.Get(key)});
    return entries;
}

MemoryPropertyBag BagOf(const std::vector<FormEntry>& entries) {
    MemoryPropertyBag bag;
    for (const FormEntry& entry : entries) bag.WriteProperty(entry.name, entry.value, std::nullopt);
    return bag;
}

std::string WriteFormStream(const std::vector<FormEntry>& entries, IFormObjects& objects) {
    StreamWriter out;
    out.Bytes(std::string_view(kMagic, sizeof kMagic));
    out.U16(kFormStreamVersion);
    out.U16(0);
    out.U32(0);  // payload length, filled in below
    out.U32(0);  // payload CRC-32, filled in below
    // Every entry takes bytes, so a count beyond a uint32 would have run
    // past the payload limit long before the loop ends.
    out.U32(static_cast<std::uint32_t>(entries.size()));
    std::unordered_set<String> keys;
    for (const FormEntry& entry : entries) {
        if (const char* problem = KeyProblem(entry.name))
            throw Unwritable(entry.name, std::string("the key ") + problem);
        if (!keys.insert(entry.name).second) throw Unwritable(entry.name, "the key appears twice");
        out.U16(static_cast<std::uint16_t>(entry.name.size()));
        out.Units(entry.name);
        WriteValue(out, entry, objects);
        if (out.bytes().size() - kFormStreamHeaderSize > kMaxFormStreamPayload)
            throw Unwritable(entry.name, "the form grows beyond the stream's 64 MiB");
    }
    const std::string_view payload = std::string_view(out.bytes()).substr(kFormStreamHeaderSize);
    out.PutU32At(kLengthAt, static_cast<std::uint32_t>(payload.size()));
    out.PutU32At(kCrcAt, Crc32(payload));
    return std::move(out.bytes());
}

std::size_t FormStreamPayloadLength(std::string_view header) {
    if (header.size() < kFormStreamHeaderSize)
        throw Malformed("the header is cut short, " + std::to_string(header.size()) + " of 16 bytes", header.size());
    if (header.substr(0, sizeof kMagic) != std::string_view(kMagic, sizeof kMagic))
        throw Malformed("the magic is not \"LFST\", so this is no form stream", 0);
    const std::uint16_t version = LittleU16(header, kVersionAt);
    if (version > kFormStreamVersion)
        throw Malformed(
            "written by a newer version of the control (format " + std::to_string(version) + ", this one reads 1)",
            kVersionAt);
    if (version != kFormStreamVersion) throw Malformed("unknown format version 0", kVersionAt);
    if (const std::uint16_t flags = LittleU16(header, kFlagsAt); flags != 0)
        throw Malformed("reserved flags 0x" + Hex(flags, 4) + " are set", kFlagsAt);
    const std::uint32_t length = LittleU32(header, kLengthAt);
    if (length < kMinPayload)
        throw Malformed("a payload of " + std::to_string(length) + " bytes has no room for its entry count", kLengthAt);
    if (length > kMaxFormStreamPayload)
        throw Malformed("a payload of " + std::to_string(length) + " bytes is beyond the 64 MiB limit", kLengthAt);
    return length;
}

std::vector<FormEntry> ReadFormStream(std::string_view bytes, IFormObjects& objects) {
    const std::size_t length = FormStreamPayloadLength(bytes);
    const std::size_t available = bytes.size() - kFormStreamHeaderSize;
    if (available < length)
        throw Malformed("the stream ends " + ByteCount(length - available) + " short of its payload", bytes.size());
    if (available > length)
        throw Malformed("the stream goes on for " + ByteCount(available - length) + " after its payload",
                        kFormStreamHeaderSize + length);
    const std::string_view payload = bytes.substr(kFormStreamHeaderSize);
    const std::uint32_t stored = LittleU32(bytes, kCrcAt);
    if (const std::uint32_t computed = Crc32(payload); computed != stored)
        throw Malformed("the payload's CRC-32 is 0x" + Hex(computed) + ", the header says 0x" + Hex(stored), kCrcAt);
    return ReadPayload(payload, objects);
}

}  // namespace lumora::forms
