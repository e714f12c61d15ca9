// SPDX-License-Identifier: MIT
#include "lumora/platform/soft/SoftFileSystem.h"

#include <array>
#include <system_error>

#include "lumora/runtime/RuntimeError.h"
#include "platform/soft/AtomicFile.h"
#include "platform/soft/NativeFile.h"

namespace lumora::soft {
namespace {

constexpr int kNameAttempts = 100;
// What the system's own temporary path ends with: '/' on Linux, '\' on
// Windows.
constexpr char16_t kSeparator = std::filesystem::path::preferred_separator;
// The piece in which FileCopy moves a file.
constexpr std::size_t kCopyChunk = 64 * 1024;

// Error 53 for a name that leads nowhere, 75 for every other failure.
[[noreturn]] void RaiseFileError(const std::error_code& error) {
    Raise(error == std::errc::no_such_file_or_directory ? err::kFileNotFound : err::kPathFileAccess);
}

}  // namespace

String SoftFileSystem::GetTempPath() {
    std::filesystem::path directory = tempDirectory_ ? *tempDirectory_ : SystemTempDirectory();
    if (directory.empty() || !IsWritableDirectory(directory)) return String();
    String text = FromNativePath(directory.make_preferred());
    if (text.back() != kSeparator) text += kSeparator;
    return text;
}

String SoftFileSystem::GetTempFileName(const String& directory, const String& prefix) {
    if (directory.empty()) return String();
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::filesystem::path name = ToNativePath(directory + prefix + FromUtf8(RandomFileTag()) + u".tmp");
        std::error_code error;
        const NativeFile file = NativeFile::CreateNew(name, NewFileReaders::kOwnerOnly, error);
        if (!error) return FromNativePath(name);
        if (error != std::errc::file_exists) return String();
    }
    return String();
}

bool SoftFileSystem::FileExists(const String& path) { return IsRegularFileNotLink(ToNativePath(path)); }

void SoftFileSystem::FileCopy(const String& source, const String& destination) {
    std::error_code error;
    NativeFile from = NativeFile::OpenForReading(ToNativePath(source), AtLink::kRefuse, error);
    if (error) RaiseFileError(error);
    NativeFile to = NativeFile::CreateOrTruncate(ToNativePath(destination), error);
    if (error) Raise(err::kPathFileAccess);
    std::array<char, kCopyChunk> buffer;
    for (;;) {
        const std::size_t count = from.Read(buffer, error);
        if (error) Raise(err::kPathFileAccess);
        if (count == 0) return;
        to.WriteAll(std::string_view(buffer.data(), count), error);
        if (error) Raise(err::kPathFileAccess);
    }
}

void SoftFileSystem::Kill(const String& path) {
    std::error_code error;
    RemoveFile(ToNativePath(path), error);
    if (error) RaiseFileError(error);
}

}  // namespace lumora::soft
