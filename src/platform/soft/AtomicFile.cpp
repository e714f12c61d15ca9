// SPDX-License-Identifier: MIT
#include "platform/soft/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <random>
#include <string>
#include <utility>

namespace lumora::soft {
namespace {

// Names tried for the temporary file before a write gives up.
constexpr int kTempNameAttempts = 100;

AtomicFileError Failed(int error) { return AtomicFileError(std::strerror(error)); }

// A uniquely named file beside the target, created exclusively so it never
// follows or clobbers anything that was there, and removed again unless it
// was renamed over the target.
class TempFile {
public:
    explicit TempFile(const std::filesystem::path& target) : target_(target) {
        int error = EEXIST;
        for (int attempt = 0; attempt < kTempNameAttempts && error == EEXIST; ++attempt) {
            path_ = target.parent_path() / ("." + target.filename().string() + "." + RandomFileTag() + ".tmp");
            fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
            if (fd_ >= 0) return;
            error = errno;
        }
        throw Failed(error);
    }
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!renamed_) ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    void Write(std::string_view bytes) {
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t count = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (count < 0 && errno == EINTR) continue;
            if (count < 0) throw Failed(errno);
            done += static_cast<std::size_t>(count);
        }
    }

    // Makes the content durable before the name points at it, so a crash
    // never leaves the target naming an empty file.
    void SyncAndRenameOverTarget() {
        if (::fsync(fd_) != 0) throw Failed(errno);
        const int closed = ::close(std::exchange(fd_, -1));
        if (closed != 0) throw Failed(errno);
        if (::rename(path_.c_str(), target_.c_str()) != 0) throw Failed(errno);
        renamed_ = true;
    }

private:
    std::filesystem::path target_;
    std::filesystem::path path_;
    int fd_ = -1;
    bool renamed_ = false;
};

}  // namespace

std::string RandomFileTag() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    char text[17];
    const auto written = std::to_chars(std::begin(text), std::end(text), generator(), 16);
    return std::string(text, written.ptr);
}

void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
    TempFile temp(target);
    temp.Write(bytes);
    temp.SyncAndRenameOverTarget();
}

}  // namespace lumora::soft
