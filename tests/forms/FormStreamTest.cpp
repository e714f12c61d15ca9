// SPDX-License-Identifier: MIT
#include "forms/FormStream.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>

#include "lumora/headless/HeadlessHost.h"
#include "lumora/platform/soft/SoftFont.h"
#include "lumora/runtime/RuntimeError.h"
#include "testing/TestPicture.h"

namespace lumora::forms {
namespace {

using headless::HeadlessHost;

// The platform hook on the software surface, as the Linux hosts would have
// it.
class SoftFormObjects final : public IFormObjects {
public:
    explicit SoftFormObjects(soft::SoftPictures& pictures) : pictures_(pictures) {}

    std::string SavePicture(const PicturePtr& picture) override { return soft::SoftPictures::ToFileBytes(*picture); }
    PicturePtr LoadPicture(std::string_view bytes) override {
        return pictures_.FromFileBytes(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    }
    FontPtr CreateFont(const FontDescription& description) override { return soft::SoftFont::Create(description); }

private:
    soft::SoftPictures& pictures_;
};

// The reference CRC-32 (reflected, polynomial 0xEDB88320), bit by bit, so
// the test does not lean on the library it checks.
std::uint32_t Crc32(std::string_view bytes) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (const unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// Builds stream bytes by hand, little-endian.
struct Bytes {
    std::string bytes;

    Bytes& U8(std::uint8_t v) { return Put(v, 1); }
    Bytes& U16(std::uint16_t v) { return Put(v, 2); }
    Bytes& U32(std::uint32_t v) { return Put(v, 4); }
    Bytes& U64(std::uint64_t v) { return Put(v, 8); }
    Bytes& Text(std::u16string_view text) {
        for (const char16_t unit : text) U16(unit);
        return *this;
    }
    Bytes& Key(std::u16string_view key) { return U16(static_cast<std::uint16_t>(key.size())).Text(key); }
    Bytes& Raw(std::string_view raw) {
        bytes += raw;
        return *this;
    }
    Bytes& Put(std::uint64_t v, int count) {
        for (int i = 0; i < count; ++i) bytes.push_back(static_cast<char>(v >> (8 * i)));
        return *this;
    }
};

// A header of the given fields; the CRC is the payload's unless given.
std::string Header(std::string_view payload, std::uint16_t version = 1, std::uint16_t flags = 0,
                   std::optional<std::uint32_t> length = {}, std::optional<std::uint32_t> crc = {}) {
    return Bytes{}
        .Raw("LFST")
        .U16(version)
        .U16(flags)
        .U32(length.value_or(static_cast<std::uint32_t>(payload.size())))
        .U32(crc.value_or(Crc32(payload)))
        .bytes;
}

// Bytes written as hexadecimal digits; spaces only group them.
std::string FromHex(std::string_view digits) {
    std::string bytes;
    std::string pair;
    for (const char digit : digits) {
        if (digit == ' ') continue;
        pair += digit;
        if (pair.size() == 2) {
            bytes.push_back(static_cast<char>(std::stoi(pair, nullptr, 16)));
            pair.clear();
        }
    }
    return bytes;
}

std::string Framed(std::string_view payload) { return Header(payload) + std::string(payload); }

// One entry's payload: a count of 1, the key and the kind, then what follows.
Bytes OneEntry(std::u16string_view key, std::uint8_t kind) { return std::move(Bytes{}.U32(1).Key(key).U8(kind)); }

soft::SoftBitmap Pixels(int width, int height, std::uint32_t seed) {
    soft::SoftBitmap bitmap(width, height, 32);
    for (std::size_t i = 0; i < bitmap.pixels.size(); ++i)
        bitmap.pixels[i] = static_cast<std::uint32_t>((seed + i) * 0x2F4B61u) & 0xFFFFFF;
    return bitmap;
}

// Same kind and same value: numbers to the bit, fonts by their attributes,
// pictures by their type and pixels.
void ExpectSameValue(const Variant& read, const Variant& written, const std::string& key) {
    ASSERT_EQ(read.kind(), written.kind()) << key;
    switch (written.kind()) {
        case Variant::Kind::Single:
            EXPECT_EQ(std::bit_cast<std::uint32_t>(read.ToSingle()), std::bit_cast<std::uint32_t>(written.ToSingle()))
                << key;
            return;
        case Variant::Kind::Double:
            EXPECT_EQ(std::bit_cast<std::uint64_t>(read.ToDouble()), std::bit_cast<std::uint64_t>(written.ToDouble()))
                << key;
            return;
        case Variant::Kind::Font:
            EXPECT_EQ(Describe(*read.ToFont()), Describe(*written.ToFont())) << key;
            return;
        case Variant::Kind::Picture: {
            const auto& a = dynamic_cast<const soft::SoftPicture&>(*read.ToPicture());
            const auto& b = dynamic_cast<const soft::SoftPicture&>(*written.ToPicture());
            EXPECT_EQ(a.get_Type(), b.get_Type()) << key;
            EXPECT_EQ(a.color().pixels, b.color().pixels) << key;
            EXPECT_EQ(a.mask().pixels, b.mask().pixels) << key;
            return;
        }
        default:
            EXPECT_EQ(read, written) << key;
    }
}

class FormStreamTest : public ::testing::Test {
protected:
    std::string Write(const std::vector<FormEntry>& entries) { return WriteFormStream(entries, objects_); }
    std::vector<FormEntry> Read(std::string_view bytes) { return ReadFormStream(bytes, objects_); }
    // The message of the FormStreamError reading raises; any other outcome
    // fails the test.
    std::string ReadError(std::string_view bytes) {
        try {
            Read(bytes);
        } catch (const FormStreamError& error) {
            return error.what();
        }
        ADD_FAILURE() << "the stream was read";
        return {};
    }

    // The saved state of a control with a picture in its second column.
    std::string ControlStream() {
        HeadlessHost host;
        host->InitProperties();
        host->AddRow(90, u"&Bild", soft::SoftPicture::Bitmap(gdi_, Pixels(3, 2, 7)));
        MemoryPropertyBag bag;
        host->WriteProperties(bag);
        return Write(EntriesOf(bag));
    }

    std::shared_ptr<soft::SoftGdi> gdi_ = std::make_shared<soft::SoftGdi>();
    soft::SoftPictures pictures_{gdi_};
    SoftFormObjects objects_{pictures_};
};

TEST_F(FormStreamTest, EveryKindReadsBackExactly) {
    soft::SoftBitmap mask(4, 4, 1);
    mask.At(1, 2) = 1;
    const FontDescription font{u"DejaVu Sans Ünï", 9.7512, true, true, true, true, 800, 238};
    const std::vector<FormEntry> written = {
        {u"Empty", Variant()},
        {u"Nothing", Variant::NothingValue()},
        {u"Integer", Variant::FromInteger(std::numeric_limits<Integer>::min())},
        {u"Long", Variant::FromLong(std::numeric_limits<Long>::min())},
        {u"Colour", Variant::FromColor(0x80000012u)},
        {u"Single", Variant::FromSingle(8.1f)},
        {u"SingleNaN", Variant::FromSingle(std::numeric_limits<Single>::quiet_NaN())},
        {u"Double", Variant::FromDouble(-0.0)},
        {u"DoubleTiny", Variant::FromDouble(std::numeric_limits<Double>::denorm_min())},
        {u"True", Variant::FromBoolean(kTrue)},
        {u"Boolean5", Variant::FromBoolean(5)},
        {u"Text", Variant::FromString(u"Größe 𝄞 &x\n")},
        // A BSTR may hold anything; the stream keeps it unit for unit.
        {u"OddText", Variant::FromString(String(u"a\0b", 3) + u'\xD800')},
        {u"NoText", Variant::FromString(u"")},
        {u"Font", Variant::FromFont(soft::SoftFont::Create(font))},
        {u"Bitmap", Variant::FromPicture(soft::SoftPicture::Bitmap(gdi_, Pixels(3, 2, 1)))},
        {u"Icon", Variant::FromPicture(soft::SoftPicture::Icon(gdi_, Pixels(4, 4, 2), mask))},
        {u"Schlüssel 𝄞", Variant::FromLong(1)},
    };
    const std::vector<FormEntry> read = Read(Write(written));
    ASSERT_EQ(read.size(), written.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].name, written[i].name);
        ExpectSameValue(read[i].value, written[i].value, ToUtf8(written[i].name));
    }
    EXPECT_EQ(Describe(*read[14].value.ToFont()), font);
}

TEST_F(FormStreamTest, BytesFollowTheDocumentedLayout) {
    const std::string expected = FromHex(
        "4C465354 0100 0000"     // magic, version 1, no flags
        "14000000 E44742AB"      // payload length 20, CRC-32 0xAB4247E4
        "02000000"               // two entries
        "0100 4100 03 FEFFFFFF"  // "A": Long -2
        "0100 4200 06 FFFF");    // "B": Boolean True
    EXPECT_EQ(Write({{u"A", Variant::FromLong(-2)}, {u"B", Variant::FromBoolean(kTrue)}}), expected);
    EXPECT_EQ(Crc32(expected.substr(kFormStreamHeaderSize)), 0xAB4247E4u);
}

TEST_F(FormStreamTest, BagEntriesKeepTheFirstWriteOrderAndTheKeptValue) {
    MemoryPropertyBag bag;
    const FontPtr drawn = soft::SoftFont::Create({.name = u"Drawn"});
    bag.WriteProperty(u"Font", Variant::FromFont(drawn), std::nullopt);
    bag.WriteProperty(u"Width", Variant::FromLong(5), std::nullopt);
    bag.WriteProperty(u"Font", Variant::NothingValue(), std::nullopt);
    bag.Set(u"Extra", Variant::FromString(u"x"));
    const std::vector<FormEntry> entries = EntriesOf(bag);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, u"Font");
    EXPECT_EQ(entries[0].value.ToFont(), drawn);
    EXPECT_EQ(entries[1].name, u"Width");
    EXPECT_EQ(entries[2].name, u"Extra");
    EXPECT_EQ(BagOf(entries).WrittenKeys(), (std::vector<String>{u"Font", u"Width", u"Extra"}));
}

TEST_F(FormStreamTest, AStreamRoundTripRestoresEveryProperty) {
    HeadlessHost original;
    original->InitProperties();
    original->put_Alignment(reg_Bottom);
    original->put_HeaderHeight(31);
    original->put_BackColor(0x80000005u);
    original->put_BackColorForm(0x0A0B0Cu);
    original->put_ForeColor(0x010203u);
    original->put_ForeColorActive(0x040506u);
    original->put_ForeColorHot(0x070809u);
    original->put_FrameColor(0x0D0E0Fu);
    original->put_MaskColor(0x00FF00u);
    original->put_MouseMoveColor0(11u);
    original->put_MouseMoveColor1(12u);
    original->put_MouseMoveColor2(13u);
    original->put_RegisterFocusColor0(14u);
    original->put_RegisterFocusColor1(15u);
    original->put_RegisterFocusColor2(16u);
    original->put_ShowFrame(kFalse);
    original->put_ShowSortPic(Boolean{5});
    original->putref_Font(soft::SoftFont::Create({.name = u"Arial", .size = 11.25, .charset = 161}));
    original->put_FontName(u"Verdana Ünï");
    original->put_FontSize(10.5f);
    original->put_FontBold(kTrue);
    original->put_FontItalic(kTrue);
    original->put_FontUnderline(kTrue);
    original->put_FontStrikethru(kTrue);
    original->put_RowCaption(1, u"&Größe");
    original->put_RowWidth(1, -5);
    const auto picture = soft::SoftPicture::Bitmap(original.sharedSurface(), Pixels(5, 3, 9));
    original->AddRow(120, u"Sp&älte 𝄞", picture);
    original->put_RowSorted(2, kTrue);
    original->AddRow(0, u"");
    original->put_SortedRow(2);

    MemoryPropertyBag saved;
    original->WriteProperties(saved);
    SoftFormObjects objects(original.pictureFiles());
    const std::string stream = WriteFormStream(EntriesOf(saved), objects);
    MemoryPropertyBag loaded = BagOf(ReadFormStream(stream, objects));
    HeadlessHost copy;
    copy->ReadProperties(loaded);

    EXPECT_EQ(copy->get_Alignment(), reg_Bottom);
    EXPECT_EQ(copy->get_HeaderHeight(), 31);
    EXPECT_EQ(copy->get_BackColor(), 0x80000005u);
    EXPECT_EQ(copy->get_BackColorForm(), 0x0A0B0Cu);
    EXPECT_EQ(copy->get_ForeColor(), 0x010203u);
    EXPECT_EQ(copy->get_ForeColorActive(), 0x040506u);
    EXPECT_EQ(copy->get_ForeColorHot(), 0x070809u);
    EXPECT_EQ(copy->get_FrameColor(), 0x0D0E0Fu);
    EXPECT_EQ(copy->get_MaskColor(), 0x00FF00u);
    EXPECT_EQ(copy->get_MouseMoveColor0(), 11u);
    EXPECT_EQ(copy->get_MouseMoveColor1(), 12u);
    EXPECT_EQ(copy->get_MouseMoveColor2(), 13u);
    EXPECT_EQ(copy->get_RegisterFocusColor0(), 14u);
    EXPECT_EQ(copy->get_RegisterFocusColor1(), 15u);
    EXPECT_EQ(copy->get_RegisterFocusColor2(), 16u);
    EXPECT_EQ(copy->get_ShowFrame(), kFalse);
    EXPECT_EQ(copy->get_ShowSortPic(), 5);
    EXPECT_EQ(copy->get_FontName(), u"Verdana Ünï");
    EXPECT_EQ(copy->get_FontSize(), 10.5f);
    EXPECT_EQ(copy->get_FontBold(), kTrue);
    EXPECT_EQ(copy->get_FontItalic(), kTrue);
    EXPECT_EQ(copy->get_FontUnderline(), kTrue);
    EXPECT_EQ(copy->get_FontStrikethru(), kTrue);
    EXPECT_EQ(Describe(*copy->get_Font()), Describe(*original->get_Font()));
    EXPECT_EQ(copy->get_SortedRow(), 2);
    ASSERT_EQ(copy->get_NumberOfRows(), 3);
    for (Long i = 1; i <= 3; ++i) {
        EXPECT_EQ(copy->get_RowCaption(i), original->get_RowCaption(i)) << i;
        EXPECT_EQ(copy->get_RowWidth(i), original->get_RowWidth(i)) << i;
        EXPECT_EQ(copy->get_RowSorted(i), original->get_RowSorted(i)) << i;
    }
    EXPECT_EQ(copy->get_RowPicture(1), nullptr);
    EXPECT_EQ(copy->get_RowPicture(3), nullptr);
    const auto& loadedPicture = dynamic_cast<const soft::SoftPicture&>(*copy->get_RowPicture(2));
    EXPECT_EQ(loadedPicture.color().pixels, picture->color().pixels);
    EXPECT_EQ(copy.accessKeys(), original.accessKeys());

    MemoryPropertyBag again;
    copy->WriteProperties(again);
    EXPECT_EQ(WriteFormStream(EntriesOf(again), objects), stream) << "the loaded control saves the same stream";
}

TEST_F(FormStreamTest, ColumnWidthsOfAStripWithoutColumnsSurvives) {
    HeadlessHost original;
    MemoryPropertyBag empty;
    original->ReadProperties(empty);
    original->put_ColumnWidths(u"10;20;30");
    MemoryPropertyBag saved;
    original->WriteProperties(saved);
    MemoryPropertyBag loaded = BagOf(Read(Write(EntriesOf(saved))));
    HeadlessHost copy;
    copy->ReadProperties(loaded);
    EXPECT_EQ(copy->get_ColumnWidths(), u"10;20;30");
}

TEST_F(FormStreamTest, AReaderTakesExactlyTheStreamFromAContainersData) {
    const std::string stream = ControlStream();
    const std::string container = stream + "next object's data";
    const std::size_t length = FormStreamPayloadLength(std::string_view(container).substr(0, kFormStreamHeaderSize));
    EXPECT_EQ(kFormStreamHeaderSize + length, stream.size());
    EXPECT_EQ(Read(container.substr(0, kFormStreamHeaderSize + length)).size(), Read(stream).size());
}

TEST_F(FormStreamTest, EveryTruncationFailsCleanly) {
    const std::string stream = ControlStream();
    const std::string_view payload = std::string_view(stream).substr(kFormStreamHeaderSize);
    int failures = 0;
    // Cut anywhere, as a short read leaves it.
    for (std::size_t cut = 0; cut < stream.size(); ++cut) {
        EXPECT_THROW(Read(stream.substr(0, cut)), FormStreamError) << cut;
        ++failures;
    }
    // Cut with a header that agrees, so the payload's own reader meets the end.
    for (std::size_t cut = 0; cut < payload.size(); ++cut) {
        EXPECT_THROW(Read(Framed(payload.substr(0, cut))), FormStreamError) << cut;
        ++failures;
    }
    EXPECT_EQ(failures, static_cast<int>(stream.size() + payload.size()));
    EXPECT_GT(failures, 45);
}

TEST_F(FormStreamTest, MalformedStreamsFailWithTheirReason) {
    const std::string stream = ControlStream();
    const std::string payload = stream.substr(kFormStreamHeaderSize);
    std::string flipped = stream;
    flipped[stream.size() / 2] ^= 0x10;
    const std::uint32_t cap = static_cast<std::uint32_t>(kMaxFormStreamPayload);
    const std::uint32_t huge = 0xFFFFFFFF;
    const Bytes longKey = Bytes{}.U32(1).Key(String(256, u'k')).U8(0);
    struct Case {
        const char* name;
        std::string bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"short header", stream.substr(0, 9), "header is cut short"},
        {"wrong magic", "LFSX" + stream.substr(4), "magic"},
        {"version 2", Header(payload, 2) + payload, "written by a newer version"},
        {"version 0", Header(payload, 0) + payload, "unknown format version"},
        {"reserved flags", Header(payload, 1, 4) + payload, "reserved flags"},
        {"payload beyond the cap", Header("", 1, 0, cap + 1), "beyond the 64 MiB limit"},
        {"payload without a count", Framed(std::string(2, '\0')), "no room for its entry count"},
        {"flipped byte", flipped, "CRC-32"},
        {"bytes after the payload", stream + "x", "1 byte after its payload"},
        {"huge entry count", Framed(Bytes{}.U32(huge).Key(u"A").U8(0).bytes), "entries cannot fit"},
        {"empty key", Framed(Bytes{}.U32(1).U16(0).U8(0).U16(0).bytes), "key of 0 characters"},
        {"key of 256", Framed(longKey.bytes), "key of 256 characters"},
        {"lone high surrogate", Framed(OneEntry(u"A\xD800", 0).bytes), "unpaired surrogate"},
        {"lone low surrogate",
         Framed(OneEntry(u"\xDC00"
                         u"A",
                         0)
                    .bytes),
         "unpaired surrogate"},
        {"U+0000 in a key", Framed(OneEntry(std::u16string_view(u"A\0", 2), 0).bytes), "U+0000"},
        {"duplicate key", Framed(Bytes{}.U32(2).Key(u"Font").U8(0).Key(u"Font").U8(1).bytes), "appears twice"},
        {"kind 10", Framed(OneEntry(u"A", 10).bytes), "unknown kind 10"},
        {"kind 255", Framed(OneEntry(u"A", 255).bytes), "unknown kind 255"},
        {"huge text", Framed(OneEntry(u"A", 7).U32(huge).bytes), "claims 4294967295 characters"},
        {"huge picture", Framed(OneEntry(u"A", 9).U32(huge).Raw("BM").bytes), "claims 4294967295 bytes"},
        {"empty picture", Framed(OneEntry(u"A", 9).U32(0).bytes), "has no bytes"},
        {"no picture", Framed(OneEntry(u"Pic", 9).U32(5).Raw("hello").bytes), "are no picture"},
        {"font flags", Framed(OneEntry(u"F", 8).Key(u"Arial").U64(0x4020000000000000).U8(0x10).U32(0).bytes),
         "unknown font flags"},
        {"font size NaN", Framed(OneEntry(u"F", 8).Key(u"Arial").U64(0x7FF8000000000000).U8(0).U32(0).bytes),
         "no number of points"},
        {"font size beyond the platform's",
         Framed(OneEntry(u"F", 8).Key(u"A").U64(0x7E37E43C8800759C).U8(0).U32(0).bytes), "no number of points"},
        {"font size negative", Framed(OneEntry(u"F", 8).Key(u"A").U64(0xC020000000000000).U8(0).U32(0).bytes),
         "no number of points"},
        {"bytes after the last entry", Framed(OneEntry(u"A", 1).U8(0).bytes), "1 byte after its last entry"},
    };
    for (const Case& c : cases) EXPECT_THAT(ReadError(c.bytes), ::testing::HasSubstr(c.reason)) << c.name;
    EXPECT_THAT(ReadError(Header(payload, 2) + payload), ::testing::EndsWith("at byte 4"));
}

TEST_F(FormStreamTest, FormsTheStreamCannotHoldAreRefusedOnWriting) {
    const struct {
        const char* name;
        std::vector<FormEntry> entries;
    } cases[] = {
        {"empty key", {{u"", Variant()}}},
        {"key of 256", {{String(256, u'k'), Variant()}}},
        {"lone surrogate", {{u"\xDBFF", Variant()}}},
        {"duplicate key", {{u"A", Variant()}, {u"A", Variant()}}},
        {"picture of no surface", {{u"P", Variant::FromPicture(test::TestPicture::Create())}}},
        {"infinite font size", {{u"F", Variant::FromFont(std::make_shared<soft::SoftFont>())}}},
    };
    cases[5].entries[0].value.ToFont()->put_Size(INFINITY);
    for (const auto& c : cases) EXPECT_THROW(Write(c.entries), FormStreamError) << c.name;
}

}  // namespace
}  // namespace lumora::forms
