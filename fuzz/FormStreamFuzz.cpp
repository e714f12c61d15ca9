// SPDX-License-Identifier: MIT
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include <zlib.h>

#include "CodecFormObjects.h"

namespace lumora::fuzz {
namespace {

using forms::FormEntry;

bool SamePicture(const IPicture& a, const IPicture& b) {
    const soft::DecodedPicture& x = dynamic_cast<const CodecPicture&>(a).decoded();
    const soft::DecodedPicture& y = dynamic_cast<const CodecPicture&>(b).decoded();
    return x.type == y.type && x.color.width == y.color.width && x.color.pixels == y.color.pixels &&
           x.mask.pixels == y.mask.pixels;
}

// Numbers to the bit (a NaN equals itself), fonts by their attributes,
// pictures by their pixels.
bool SameValue(const Variant& a, const Variant& b) {
    if (a.kind() != b.kind()) return false;
    switch (a.kind()) {
        case Variant::Kind::Single:
            return std::bit_cast<std::uint32_t>(a.ToSingle()) == std::bit_cast<std::uint32_t>(b.ToSingle());
        case Variant::Kind::Double:
            return std::bit_cast<std::uint64_t>(a.ToDouble()) == std::bit_cast<std::uint64_t>(b.ToDouble());
        case Variant::Kind::Font:
            return Describe(*a.ToFont()) == Describe(*b.ToFont());
        case Variant::Kind::Picture:
            return SamePicture(*a.ToPicture(), *b.ToPicture());
        default:
            return a == b;
    }
}

bool SameEntries(const std::vector<FormEntry>& a, const std::vector<FormEntry>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].name != b[i].name || !SameValue(a[i].value, b[i].value)) return false;
    return true;
}

// Reads a stream; one that reads must write again, and what it writes must
// read as the same entries and write the same bytes once more. Failing to
// read is fine as long as it is a FormStreamError; anything else escapes to
// libFuzzer as a finding.
void ReadAndCheck(std::string_view bytes) {
    CodecFormObjects objects;
    std::vector<FormEntry> entries;
    try {
        entries = forms::ReadFormStream(bytes, objects);
    } catch (const forms::FormStreamError&) {
        return;
    }
    const std::string written = forms::WriteFormStream(entries, objects);
    const std::vector<FormEntry> reread = forms::ReadFormStream(written, objects);
    if (!SameEntries(entries, reread)) std::abort();
    if (forms::WriteFormStream(reread, objects) != written) std::abort();
}

void PutU32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// The input with its header's length and CRC made to fit the bytes after
// it. Mutations almost never keep a CRC right, so without this copy the
// payload's reader would only ever see the seeds.
std::string Reframed(std::string_view bytes) {
    std::string copy(bytes);
    const std::string_view payload = bytes.substr(forms::kFormStreamHeaderSize);
    PutU32(copy, 8, static_cast<std::uint32_t>(payload.size()));
    PutU32(copy, 12,
           static_cast<std::uint32_t>(crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(payload.data()),
                                            static_cast<uInt>(payload.size()))));
    return copy;
}

}  // namespace
}  // namespace lumora::fuzz

// Each input is read three ways: whole; as a container's reader takes it
// (the header, then exactly the payload it announces); and with a header
// that fits, to reach the payload's reader.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumora;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    fuzz::ReadAndCheck(bytes);
    if (size < forms::kFormStreamHeaderSize) return 0;
    try {
        const std::size_t length = forms::FormStreamPayloadLength(bytes.substr(0, forms::kFormStreamHeaderSize));
        if (bytes.size() - forms::kFormStreamHeaderSize > length)
            fuzz::ReadAndCheck(bytes.substr(0, forms::kFormStreamHeaderSize + length));
    } catch (const forms::FormStreamError&) {
    }
    if (size - forms::kFormStreamHeaderSize <= forms::kMaxFormStreamPayload) fuzz::ReadAndCheck(fuzz::Reframed(bytes));
    return 0;
}
