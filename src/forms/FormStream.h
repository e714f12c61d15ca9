// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "lumora/forms/MemoryPropertyBag.h"
#include "lumora/platform/Font.h"
#include "lumora/platform/Picture.h"
#include "lumora/runtime/Types.h"
#include "lumora/runtime/Variant.h"

// The control's saved state as one binary block, for containers that keep
// a control in a stream or a storage instead of a property bag. It holds the
// same keys and values the control writes into a bag, in the order it
// writes them.
//
// Byte layout, version 1. Every number is little-endian with a fixed width;
// offsets are from the start of the stream.
//
//   header (kFormStreamHeaderSize = 16 bytes)
//     0   4  magic            "LFST" (4C 46 53 54)
//     4   2  version          uint16, 1
//     6   2  flags            uint16, reserved: 0
//     8   4  payload length   uint32, bytes that follow the header, at
//                             least 4 and at most kMaxFormStreamPayload
//    12   4  payload CRC-32   uint32, zlib's crc32 of the payload bytes
//
//   payload
//     uint32 entry count, then that many entries:
//       uint16 key length in UTF-16 code units (1..kMaxFormKeyLength)
//       uint16[] key: valid UTF-16 without U+0000; no key appears twice
//       uint8  kind, then the value:
//         0 Empty     nothing
//         1 Nothing   nothing (also a missing font or picture)
//         2 Integer   int16
//         3 Long      int32 (colours are Longs with the same 32 bits)
//         4 Single    IEEE 754 binary32 bits
//         5 Double    IEEE 754 binary64 bits
//         6 Boolean   int16, kept as stored (True is -1)
//         7 String    uint32 length in code units, then uint16[] code units,
//                     any 16-bit values, exactly as the control had them
//         8 Font      uint16 name length, uint16[] name code units,
//                     binary64 size in points (0 to 922337203685477, what
//                     the platform's currency-valued sizes hold),
//                     uint8 flags (bit 0 bold, 1 italic, 2 underline,
//                     3 strikethrough; the others 0), int16 weight,
//                     int16 charset
//         9 Picture   uint32 byte count (at least 1), then the bytes of the
//                     picture's file (.bmp, .ico) as the platform saves it
//     The last entry ends exactly at the end of the payload.
//
// A container stores other data right after a control's stream, so a reader
// takes the header first, learns from it how many bytes follow, and reads
// exactly those.
namespace lumora::forms {

inline constexpr std::size_t kFormStreamHeaderSize = 16;
inline constexpr std::uint16_t kFormStreamVersion = 1;
// A control's state is a few kilobytes plus its columns' pictures, which are
// small. A declared length beyond this is a damaged or foreign stream, and a
// reader that believed it would reserve that much memory before reading.
inline constexpr std::size_t kMaxFormStreamPayload = std::size_t{64} << 20;
// The control's longest key is a dozen characters; hosts pass keys on as
// C strings, so they hold no U+0000 either.
inline constexpr std::size_t kMaxFormKeyLength = 255;

// Every way a stream fails to read or write: the message says what is wrong
// and, when reading, at which byte of the stream.
class FormStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the stream needs of the platform: pictures and fonts are the
// platform's own objects.
class IFormObjects {
public:
    virtual ~IFormObjects() = default;
    // The picture's file bytes (.bmp, .ico, ...).
    virtual std::string SavePicture(const PicturePtr& picture) = 0;
    // Raises RuntimeError 481 when the bytes are no picture.
    virtual PicturePtr LoadPicture(std::string_view bytes) = 0;
    virtual FontPtr CreateFont(const FontDescription& description) = 0;
};

struct FormEntry {
    String name;
    Variant value;
};

// The keys a bag holds, in the order they were first stored, with their
// values; a key written twice appears once, with the value the bag kept.
std::vector<FormEntry> EntriesOf(const MemoryPropertyBag& bag);
// A bag holding the entries as if the control had written them in order.
MemoryPropertyBag BagOf(const std::vector<FormEntry>& entries);

// The header and payload of the entries. Raises FormStreamError for a key
// the stream cannot hold (empty, too long, not valid UTF-16, twice), a
// font it cannot describe, a picture the platform cannot save, or a form
// beyond the payload limit.
std::string WriteFormStream(const std::vector<FormEntry>& entries, IFormObjects& objects);

// How many payload bytes follow the header, read from the first
// kFormStreamHeaderSize bytes of `header` (any after them are not looked at).
// Raises FormStreamError for a short header, a wrong magic, another version,
// reserved flags or a length outside the limits.
std::size_t FormStreamPayloadLength(std::string_view header);

// The entries of one whole stream, header and payload and nothing after.
// Everything is checked before anything is returned, so a damaged stream
// gives FormStreamError and never part of a form.
std::vector<FormEntry> ReadFormStream(std::string_view bytes, IFormObjects& objects);

}  // namespace lumora::forms
