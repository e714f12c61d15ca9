// SPDX-License-Identifier: MIT
#include "platform/soft/AtomicFile.h"

#include <charconv>
#include <random>
#include <string>
#include <system_error>

#include "platform/soft/NativeFile.h"

namespace lumora::soft {
namespace {

// Names tried for the temporary file before a write gives up.
constexpr int kTempNameAttempts = 100;

void ThrowIfFailed(const std::error_code& error) {
    if (error) throw AtomicFileError(error.message());
}

// ".form.json.<tag>.tmp" beside "form.json": out of sight in listings, and
// on the target's own file system, where a rename is one step. Built from
// path pieces so a Windows name is never squeezed through a code page.
std::filesystem::path TempNameBeside(const std::filesystem::path& target) {
    std::filesystem::path name(".");
    name += target.filename();
    name += ".";
    name += RandomFileTag();
    name += ".tmp";
    return target.parent_path() / name;
}

// A uniquely named file beside the target, created exclusively so it never
// follows or clobbers anything that was there, and removed again unless it
// was renamed over the target.
class TempFile {
public:
    explicit TempFile(const std::filesystem::path& target) : target_(target) {
        std::error_code error = std::make_error_code(std::errc::file_exists);
        for (int attempt = 0; attempt < kTempNameAttempts && error == std::errc::file_exists; ++attempt) {
            path_ = TempNameBeside(target);
            file_ = NativeFile::CreateNew(path_, NewFileReaders::kUsual, error);
        }
        ThrowIfFailed(error);
    }
    // Closed first: on Windows the name of an open file stays until its
    // last handle is gone.
    ~TempFile() {
        std::error_code ignored;
        file_.Close(ignored);
        if (!renamed_) RemoveFile(path_, ignored);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    void Write(std::string_view bytes) {
        std::error_code error;
        file_.WriteAll(bytes, error);
        ThrowIfFailed(error);
    }

    // Makes the content durable before the name points at it, so a crash
    // never leaves the target naming an empty file.
    void SyncAndRenameOverTarget() {
        std::error_code error;
        file_.SyncToDisk(error);
        ThrowIfFailed(error);
        file_.Close(error);
        ThrowIfFailed(error);
        RenameReplacing(path_, target_, error);
        ThrowIfFailed(error);
        renamed_ = true;
    }

private:
    std::filesystem::path target_;
    std::filesystem::path path_;
    NativeFile file_;
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
