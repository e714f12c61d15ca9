// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace lumora::soft {

// Why a file could not be written: the system's reason, without the name.
class AtomicFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes bytes to a new file beside the target and renames it over the
// target once it is complete and on disk, so a failed write never destroys
// what the target held before and leaves no stray file behind.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// 16 random hexadecimal digits for the name of a new file, so that nobody
// can predict the name and put something in its way.
std::string RandomFileTag();

}  // namespace lumora::soft
