// SPDX-License-Identifier: MIT
#pragma once

namespace lumora {

// The character's lower case by Unicode's simple case mapping: one
// character for one, in every script (Latin, Greek, Cyrillic, Armenian,
// Georgian, Cherokee, Deseret, …); a character without one stays as it is.
char32_t SimpleLowerCase(char32_t ch) noexcept;

}  // namespace lumora
