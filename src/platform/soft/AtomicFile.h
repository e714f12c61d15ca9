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
//
// A link at the destination is followed, and the file it leads to is
// replaced, with the temporary file beside that one. Anything but a regular
// file there (a directory, pipe or device) is refused. The replaced file's
// permission bits stay; a new file gets the usual ones of the user.
//
// The temporary file is called ".NAME.lumora-tmp-" and 16 lowercase
// hexadecimal digits beside NAME, is its owner's alone while written, and
// is locked for as long as its save runs. A save that is killed cannot
// remove it; the next save of the same file does, since nobody holds its
// lock any more.
void WriteFileAtomically(const std::filesystem::path& destination, std::string_view bytes);

// 16 random hexadecimal digits for the name of a new file, so that nobody
// can predict the name and put something in its way.
std::string RandomFileTag();

}  // namespace lumora::soft
