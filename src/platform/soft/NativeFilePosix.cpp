// SPDX-License-Identifier: MIT
#include "platform/soft/NativeFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <string>

namespace lumora::soft {
namespace {

// Every file is created for its owner alone; a saved document gets the
// bits it keeps (TakePermissionsFor) only once it is complete.
constexpr mode_t kOwnerOnlyMode = 0600;
// What a new file may have at most before the umask takes its share.
constexpr mode_t kNewFileMode = 0666;
// The umask most systems start with, for a kernel that does not show it.
constexpr mode_t kCommonUmask = 022;
// The permission bits a document carries over from the file it replaces;
// set-user-ID and the like stay behind.
constexpr mode_t kPermissionBits = 0777;

std::error_code LastError() { return std::error_code(errno, std::generic_category()); }

// A descriptor that no program this process starts inherits.
std::intptr_t Open(const std::filesystem::path& path, int flags, mode_t mode, std::error_code& error) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    error = fd < 0 ? LastError() : std::error_code();
    return fd;
}

// The process's umask. Reading it with umask() means setting it for a
// moment, which other threads would see; Linux shows it in /proc instead.
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (!line.starts_with("Umask:")) continue;
        try {
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8)) & kPermissionBits;
        } catch (const std::exception&) {
            break;
        }
    }
    return kCommonUmask;
}

// Something other than a regular file at the name. A name that cannot be
// looked at, and a link that is to be refused, are left to open(), which
// gives the system's own reason.
bool IsOtherThanFile(const char* path, AtLink links) {
    struct stat info {};
    const int result = links == AtLink::kRefuse ? ::lstat(path, &info) : ::stat(path, &info);
    return result == 0 && !S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode);
}

}  // namespace

// Whatever is asked for, the file starts as its owner's alone: a saved
// document gets its final bits only when complete (TakePermissionsFor).
NativeFile NativeFile::CreateNew(const std::filesystem::path& path, NewFileReaders, std::error_code& error) {
    return NativeFile(Open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, kOwnerOnlyMode, error));
}

// As on Windows: a new file is created exclusively, and only a file that
// was there already is opened in place and emptied.
NativeFile NativeFile::CreateOrTruncate(const std::filesystem::path& path, std::error_code& error) {
    NativeFile created = CreateNew(path, NewFileReaders::kOwnerOnly, error);
    if (error != std::errc::file_exists) return created;
    return NativeFile(Open(path, O_WRONLY | O_TRUNC | O_NOFOLLOW, 0, error));
}

NativeFile NativeFile::OpenForReading(const std::filesystem::path& path, AtLink links, std::error_code& error) {
    // Looked at before opening, since opening a device can already do
    // something; and again once open, for a name that changed in between.
    // Without O_NONBLOCK, opening a pipe would wait for a writer.
    if (IsOtherThanFile(path.c_str(), links)) {
        error = NotARegularFile();
        return NativeFile();
    }
    const int flags = links == AtLink::kRefuse ? O_RDONLY | O_NOFOLLOW : O_RDONLY;
    NativeFile file(Open(path, flags | O_NONBLOCK, 0, error));
    if (error) return NativeFile();
    if (!file.RegularFileSize()) {
        error = NotARegularFile();
        return NativeFile();
    }
    const int fd = static_cast<int>(file.handle_);
    if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        error = LastError();
        return NativeFile();
    }
    return file;
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

bool NativeFile::TryLock() noexcept { return ::flock(static_cast<int>(handle_), LOCK_EX | LOCK_NB) == 0; }

void NativeFile::TakePermissionsFor(const std::filesystem::path& replaced, std::error_code& error) {
    struct stat info {};
    mode_t mode = kNewFileMode & ~CurrentUmask();
    if (::stat(replaced.c_str(), &info) == 0) {
        mode = info.st_mode & kPermissionBits;
    } else if (errno != ENOENT) {
        error = LastError();
        return;
    }
    error = ::fchmod(static_cast<int>(handle_), mode) == 0 ? std::error_code() : LastError();
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

void SyncDirectory(const std::filesystem::path& directory, std::error_code& error) {
    const std::filesystem::path name = directory.empty() ? std::filesystem::path(".") : directory;
    const int fd = static_cast<int>(Open(name, O_RDONLY | O_DIRECTORY, 0, error));
    if (error) return;
    // Some file systems cannot sync a directory and say so with EINVAL;
    // there the rename is as durable as they make it.
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    error = synced ? std::error_code() : LastError();
    ::close(fd);
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
