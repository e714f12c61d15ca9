// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "lumora/runtime/RuntimeError.h"

namespace lumora::soft {

// The largest picture side and area the codec accepts; larger declared sizes
// are refused before anything is allocated for them.
inline constexpr std::int64_t kMaxPictureSide = 16384;
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{64} * 1024 * 1024;

[[noreturn]] inline void RaiseInvalidPicture() { Raise(err::kInvalidPicture); }

// Every picture format stores sizes that a damaged file can set to anything.
inline void CheckPictureSize(std::int64_t width, std::int64_t height) {
    if (width < 1 || height < 1 || width > kMaxPictureSide || height > kMaxPictureSide ||
        width * height > kMaxPicturePixels)
        RaiseInvalidPicture();
}

// Whether [offset, offset + length) lies inside the bytes; the sum is taken
// in 64 bits so that fields read from a file cannot wrap around.
constexpr bool Holds(std::span<const std::uint8_t> bytes, std::uint64_t offset, std::uint64_t length) noexcept {
    return offset <= bytes.size() && length <= bytes.size() - offset;
}

// Little-endian fields of the file formats. A field that lies outside the
// bytes means the file is cut short.
inline std::uint16_t ReadU16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    if (!Holds(bytes, offset, 2)) RaiseInvalidPicture();
    return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

inline std::uint32_t ReadU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return ReadU16(bytes, offset) | static_cast<std::uint32_t>(ReadU16(bytes, offset + 2)) << 16;
}

inline std::int32_t ReadI32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::int32_t>(ReadU32(bytes, offset));
}

inline void AppendU16(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

inline void AppendU32(std::string& out, std::uint32_t value) {
    AppendU16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    AppendU16(out, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace lumora::soft
