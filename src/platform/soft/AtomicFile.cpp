// SPDX-License-Identifier: MIT
#include "platform/soft/AtomicFile.h"

#include <charconv>
#include <random>
#include <string>
#include <system_error>

#include "platform/soft/NativeFile.h"

namespace lumora::soft {
namespace {

namespace fs = std::filesystem;

// Names tried for the temporary file before a write gives up.
constexpr int kTempNameAttempts = 100;
// Links followed from the destination to the file a save replaces; the
// system itself gives up after as many.
constexpr int kMaxLinkHops = 40;
// Between the saved file's name and the random tag of a temporary.
constexpr std::string_view kTempMarker = ".lumora-tmp-";
// The length of RandomFileTag().
constexpr std::size_t kTagLength = 16;

void ThrowIfFailed(const std::error_code& error) {
    if (error) throw AtomicFileError(error.message());
}

// The file a save replaces: the destination itself, or the file its links
// lead to, so that a link stays a link and its target gets the new content.
fs::path FinalTarget(fs::path target) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(target, error))) return target;
        const fs::path link = fs::read_symlink(target, error);
        ThrowIfFailed(error);
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    throw AtomicFileError("too many links lead from it, or they go round in a loop");
}

// Only a regular file, or no file yet, is replaced: a save over a folder,
// a pipe or a device would take away something that is not a document.
void RefuseAnythingButAFile(const fs::path& target) {
    std::error_code error;
    switch (fs::symlink_status(target, error).type()) {
        case fs::file_type::directory:
            throw AtomicFileError("it is a directory; only a regular file can be replaced");
        case fs::file_type::fifo:
            throw AtomicFileError("it is a named pipe (FIFO); only a regular file can be replaced");
        case fs::file_type::block:
        case fs::file_type::character:
            throw AtomicFileError("it is a device; only a regular file can be replaced");
        case fs::file_type::socket:
        case fs::file_type::unknown:
            throw AtomicFileError("it is not a regular file; only a regular file can be replaced");
        default:
            // No file yet, a file, or a name that cannot be looked at, whose
            // reason the write itself gives.
            return;
    }
}

// What every temporary of `target` is called up to its tag:
// ".form.json.lumora-tmp-" beside "form.json". Out of sight in listings,
// and on the target's own file system, where a rename is one step. Built
// from path pieces so a Windows name is never squeezed through a code page.
fs::path TempNamePrefix(const fs::path& target) {
    fs::path name(".");
    name += target.filename();
    name += kTempMarker;
    return name;
}

bool IsTempNameOf(const fs::path::string_type& name, const fs::path::string_type& prefix) {
    if (name.size() != prefix.size() + kTagLength || !name.starts_with(prefix)) return false;
    for (std::size_t at = prefix.size(); at < name.size(); ++at) {
        const auto c = name[at];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

// Temporaries of earlier saves of the same file whose writer is gone,
// killed or stopped by a power cut: nobody holds their lock any more. A
// save that is still under way keeps its own. Nothing here may stop the
// save, so every failure only leaves that file where it is.
void RemoveAbandonedTemporaries(const fs::path& target) {
    const fs::path::string_type prefix = TempNamePrefix(target).native();
    const fs::path directory = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    std::error_code listing;
    for (fs::directory_iterator entry(directory, listing), end; !listing && entry != end; entry.increment(listing)) {
        if (!IsTempNameOf(entry->path().filename().native(), prefix)) continue;
        std::error_code error;
        NativeFile stale = NativeFile::OpenForReading(entry->path(), AtLink::kRefuse, error);
        if (!error && stale.TryLock()) RemoveFile(entry->path(), error);
    }
}

// A uniquely named file beside the target, created exclusively so it never
// follows or clobbers anything that was there, locked for as long as it is
// written, and removed again unless it was renamed over the target.
class TempFile {
public:
    explicit TempFile(const fs::path& target) : target_(target) {
        std::error_code error = std::make_error_code(std::errc::file_exists);
        for (int attempt = 0; attempt < kTempNameAttempts && error == std::errc::file_exists; ++attempt) {
            path_ = target.parent_path() / TempNamePrefix(target);
            path_ += RandomFileTag();
            file_ = NativeFile::CreateNew(path_, NewFileReaders::kUsual, error);
        }
        ThrowIfFailed(error);
        // Without locks (some network file systems) a later save cannot
        // tell a killed save's file from a running one's and leaves both.
        file_.TryLock();
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
    // never leaves the target naming an empty file; then makes the new name
    // itself durable, so a crash after the save does not bring back the old
    // content. The file is readable by others only once it is complete.
    void SyncAndRenameOverTarget() {
        std::error_code error;
        file_.SyncToDisk(error);
        ThrowIfFailed(error);
        file_.TakePermissionsFor(target_, error);
        ThrowIfFailed(error);
        file_.Close(error);
        ThrowIfFailed(error);
        RenameReplacing(path_, target_, error);
        ThrowIfFailed(error);
        renamed_ = true;
        SyncDirectory(target_.parent_path(), error);
        ThrowIfFailed(error);
    }

private:
    fs::path target_;
    fs::path path_;
    NativeFile file_;
    bool renamed_ = false;
};

}  // namespace

std::string RandomFileTag() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    char text[kTagLength + 1];
    const auto written = std::to_chars(std::begin(text), std::end(text), generator(), 16);
    const std::string digits(text, written.ptr);
    return std::string(kTagLength - digits.size(), '0') + digits;
}

void WriteFileAtomically(const fs::path& destination, std::string_view bytes) {
    const fs::path target = FinalTarget(destination);
    RefuseAnythingButAFile(target);
    RemoveAbandonedTemporaries(target);
    TempFile temp(target);
    temp.Write(bytes);
    temp.SyncAndRenameOverTarget();
}

}  // namespace lumora::soft
