// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::forms {

// Standard base64 with padding, as form files carry picture bytes.
std::string EncodeBase64(std::string_view bytes);
// Ignores no characters: anything but the alphabet, correct padding and a
// length that is a multiple of four gives nothing.
std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text);

}  // namespace lumora::forms
