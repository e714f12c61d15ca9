// SPDX-License-Identifier: MIT
#include "platform/soft/SoftFileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/RuntimeError.h"
#include "platform/soft/AtomicFile.h"

namespace lumora::soft {
namespace {

constexpr int kNameAttempts = 100;

// Closes a descriptor when it goes.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

String SoftFileSystem::GetTempPath() {
    std::error_code error;
    const std::filesystem::path directory =
        tempDirectory_ ? *tempDirectory_ : std::filesystem::temp_directory_path(error);
    if (error || directory.empty() || !std::filesystem::is_directory(directory, error) ||
        ::access(directory.c_str(), W_OK | X_OK) != 0)
        return String();
    std::string text = directory.string();
    if (text.back() != '/') text += '/';
    return FromUtf8(text);
}

String SoftFileSystem::GetTempFileName(const String& directory, const String& prefix) {
    if (directory.empty()) return String();
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string name = ToUtf8(directory) + ToUtf8(prefix) + RandomFileTag() + ".tmp";
        const Descriptor file{::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)};
        if (file.fd >= 0) return FromUtf8(name);
        if (errno != EEXIST) return String();
    }
    return String();
}

bool SoftFileSystem::FileExists(const String& path) {
    struct stat info {};
    return ::lstat(ToUtf8(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void SoftFileSystem::FileCopy(const String& source, const String& destination) {
    const Descriptor from{::open(ToUtf8(source).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC)};
    if (from.fd < 0) Raise(errno == ENOENT ? err::kFileNotFound : err::kPathFileAccess);
    const Descriptor to{
        ::open(ToUtf8(destination).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600)};
    if (to.fd < 0) Raise(err::kPathFileAccess);
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t count = ::read(from.fd, buffer, sizeof buffer);
        if (count == 0) return;
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) Raise(err::kPathFileAccess);
        for (ssize_t done = 0; done < count;) {
            const ssize_t written = ::write(to.fd, buffer + done, static_cast<std::size_t>(count - done));
            if (written < 0 && errno == EINTR) continue;
            if (written < 0) Raise(err::kPathFileAccess);
            done += written;
        }
    }
}

void SoftFileSystem::Kill(const String& path) {
    if (::unlink(ToUtf8(path).c_str()) != 0) Raise(errno == ENOENT ? err::kFileNotFound : err::kPathFileAccess);
}

}  // namespace lumora::soft
