// SPDX-License-Identifier: MIT
#include "support/basTempFile.h"

#include "lumora/runtime/RuntimeError.h"

namespace lumora::basTempFile {
namespace {

constexpr const char16_t* kPrefix = u"~GA";
constexpr std::size_t kExtensionLength = 3;

}  // namespace

String TempPath(IFileSystem& files) { return files.GetTempPath(); }

String TempFileName(IFileSystem& files) {
    const String directory = TempPath(files);
    if (directory.empty()) return String();
    return files.GetTempFileName(directory, kPrefix);
}

String TempBitmapFile(IFileSystem& files) {
    const String name = TempFileName(files);
    if (name.size() < kExtensionLength) return kFallbackBitmapFile;
    const String bitmapName = name.substr(0, name.size() - kExtensionLength) + u"bmp";
    try {
        files.FileCopy(name, bitmapName);
    } catch (const RuntimeError&) {
        // Neither file may stay behind when the copy fails half way.
        SkipOnError([&] { files.Kill(name); });
        SkipOnError([&] { files.Kill(bitmapName); });
        throw;
    }
    files.Kill(name);
    return bitmapName;
}

TemporaryFile::~TemporaryFile() {
    if (!path_.empty() && files_.FileExists(path_)) SkipOnError([&] { files_.Kill(path_); });
}

}  // namespace lumora::basTempFile
