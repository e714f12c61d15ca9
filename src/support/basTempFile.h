// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/platform/PictureFiles.h"
#include "lumora/runtime/Types.h"

// Temporary files for turning icons into bitmaps.
namespace lumora::basTempFile {

// The name TempBitmapFile gives when no temporary file can be made.
inline constexpr const char16_t* kFallbackBitmapFile = u"c:\\~Temp.bmp";

// The temporary directory with its trailing separator, or "".
String TempPath(IFileSystem& files);
// A new, empty, uniquely named file "~GA..." there, or "".
String TempFileName(IFileSystem& files);
// A new, empty file of the same kind whose name ends in "bmp", or
// kFallbackBitmapFile when no temporary name can be had.
String TempBitmapFile(IFileSystem& files);

// Owns a temporary file and deletes it on every way out, so none is left
// behind even when the work with it fails.
class TemporaryFile {
public:
    TemporaryFile(IFileSystem& files, String path) : files_(files), path_(std::move(path)) {}
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const String& path() const noexcept { return path_; }

private:
    IFileSystem& files_;
    String path_;
};

}  // namespace lumora::basTempFile
