// SPDX-License-Identifier: MIT
#include "platform/soft/NativeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace lumora::soft {
namespace {

// Temporary files are their owner's alone; saved documents may be read by
// everyone the umask lets read them.
constexpr mode_t kOwnerOnlyMode = 0600;
constexpr mode_t kUsualMode = 0644;

std::error_code LastError() { return std::error_code(errno, std::generic_category()); }

// A descriptor that no program this process starts inherits.
std::intptr_t Open(const std::filesystem::path& path, int flags, mode_t mode, std::error_code& error) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    error = fd < 0 ? LastError() : std::error_code();
    return fd;
}

}  // namespace

NativeFile NativeFile::CreateNew(const std::filesystem::path& path, NewFileReaders readers, std::error_code& error) {
    const mode_t mode = readers == NewFileReaders::kOwnerOnly ? kOwnerOnlyMode : kUsualMode;
    return NativeFile(Open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, mode, error));
}

NativeFile NativeFile::CreateOrTruncate(const std::filesystem::path& path, std::error_code& error) {
    return NativeFile(Open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, kOwnerOnlyMode, error));
}

NativeFile NativeFile::OpenForReading(const std::filesystem::path& path, AtLink links, std::error_code& error) {
    return NativeFile(Open(path, links == AtLink::kRefuse ? O_RDONLY | O_NOFOLLOW : O_RDONLY, 0, error));
}

std::optional<std::uintmax_t> NativeFile::RegularFileSize() const {
    struct stat info {};
    if (::fstat(static_cast<int>(handle_), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return static_cast<std::uintmax_t>(info.st_size);
}

std::size_t NativeFile::Read(std::span<char> buffer, std::error_code& error) {
    for (;;) {
        const ssize_t count = ::read(static_cast<int>(handle_), buffer.data(), buffer.size());
        if (count >= 0) {
            error.clear();
            return static_cast<std::size_t>(count);
        }
        if (errno != EINTR) {
            error = LastError();
            return 0;
        }
    }
}

void NativeFile::WriteAll(std::string_view bytes, std::error_code& error) {
    error.clear();
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t count = ::write(static_cast<int>(handle_), bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) {
            error = LastError();
            return;
        }
        done += static_cast<std::size_t>(count);
    }
}

void NativeFile::SyncToDisk(std::error_code& error) {
    error = ::fsync(static_cast<int>(handle_)) == 0 ? std::error_code() : LastError();
}

void NativeFile::Close(std::error_code& error) {
    const Handle handle = std::exchange(handle_, kNoHandle);
    error = handle == kNoHandle || ::close(static_cast<int>(handle)) == 0 ? std::error_code() : LastError();
}

void NativeFile::Release(Handle handle) noexcept {
    if (handle != kNoHandle) ::close(static_cast<int>(handle));
}

std::filesystem::path ToNativePath(const String& text) { return std::filesystem::path(ToUtf8(text)); }

String FromNativePath(const std::filesystem::path& path) { return FromUtf8(path.native()); }

void RenameReplacing(const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& error) {
    error = std::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : LastError();
}

void RemoveFile(const std::filesystem::path& file, std::error_code& error) {
    error = ::unlink(file.c_str()) == 0 ? std::error_code() : LastError();
}

bool IsRegularFileNotLink(const std::filesystem::path& file) {
    struct stat info {};
    return ::lstat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsWritableDirectory(const std::filesystem::path& directory) {
    std::error_code error;
    return std::filesystem::is_directory(directory, error) && ::access(directory.c_str(), W_OK | X_OK) == 0;
}

std::filesystem::path SystemTempDirectory() {
    std::error_code error;
    std::filesystem::path directory = std::filesystem::temp_directory_path(error);
    return error ? std::filesystem::path() : directory;
}

}  // namespace lumora::soft
