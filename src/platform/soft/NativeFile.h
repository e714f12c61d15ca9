// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "lumora/runtime/Types.h"

// Files through the system's own calls, the same on Linux and Windows.
// Failures come back as error codes: std::errc::file_exists and
// std::errc::no_such_file_or_directory on every system, because callers act
// on those two; any other failure keeps the system's own number and words.
namespace lumora::soft {

// Who may open a file the platform creates.
enum class NewFileReaders {
    // Temporary files: their owner and nobody else.
    kOwnerOnly,
    // Saved documents on their way: on Linux their owner's alone until
    // TakePermissionsFor gives them their final bits just before they are
    // renamed; on Windows what the folder hands down, as any new file.
    kUsual,
};

// Why opening a file for reading was refused although the name exists.
enum class FileKindError { kNotRegularFile = 1 };

// The category of FileKindError, whose words callers show as they are.
inline const std::error_category& FileKindCategory() noexcept {
    static const class : public std::error_category {
    public:
        const char* name() const noexcept override { return "lumora.file-kind"; }
        std::string message(int) const override {
            return "not a regular file (a directory, pipe or device cannot be read as one)";
        }
    } category;
    return category;
}

inline std::error_code NotARegularFile() noexcept {
    return std::error_code(static_cast<int>(FileKindError::kNotRegularFile), FileKindCategory());
}

// What opening a name does when a link (on Windows, any reparse point) is
// there.
enum class AtLink { kFollow, kRefuse };

// An open file of the system, closed when it goes.
class NativeFile {
public:
    NativeFile() noexcept = default;
    ~NativeFile() { Release(handle_); }
    NativeFile(NativeFile&& other) noexcept : handle_(std::exchange(other.handle_, kNoHandle)) {}
    NativeFile& operator=(NativeFile&& other) noexcept {
        Release(std::exchange(handle_, std::exchange(other.handle_, kNoHandle)));
        return *this;
    }
    NativeFile(const NativeFile&) = delete;
    NativeFile& operator=(const NativeFile&) = delete;

    // A file that did not exist, open for writing. Anything already at the
    // name, even a link to nowhere, makes it fail with file_exists, so it
    // can never be steered into writing somewhere else.
    static NativeFile CreateNew(const std::filesystem::path& path, NewFileReaders readers, std::error_code& error);
    // An existing file emptied, or else a new one for its owner only,
    // created exclusively, open for writing. A link at the name is refused,
    // not followed.
    static NativeFile CreateOrTruncate(const std::filesystem::path& path, std::error_code& error);
    // A regular file, open for reading. Anything else at the name (a
    // directory, a pipe nobody writes, a device) fails with
    // NotARegularFile() instead of blocking or reading for ever.
    static NativeFile OpenForReading(const std::filesystem::path& path, AtLink links, std::error_code& error);

    bool IsOpen() const noexcept { return handle_ != kNoHandle; }
    // The size of a regular file; nothing for pipes and devices, whose size
    // is only what they deliver.
    std::optional<std::uintmax_t> RegularFileSize() const;
    // Up to buffer.size() bytes; 0 at the end of the file.
    std::size_t Read(std::span<char> buffer, std::error_code& error);
    void WriteAll(std::string_view bytes, std::error_code& error);
    // Returns once what was written is on the disk.
    void SyncToDisk(std::error_code& error);
    // Takes this file's lock, which no other open file of it can then take;
    // false when another one holds it. The system lets go when the holder
    // closes the file or ends, killed or not, so a lock that can be taken
    // marks a file that nobody writes any more.
    bool TryLock() noexcept;
    // Gives a document about to replace `replaced` the permission bits of
    // the file there, or those of any new file of the user when there is
    // none. On Windows a file keeps what its folder handed down.
    void TakePermissionsFor(const std::filesystem::path& replaced, std::error_code& error);
    // Gives the handle back even when the system reports a failure, which
    // can be the late failure of an earlier write.
    void Close(std::error_code& error);

private:
    // A descriptor on Linux, a HANDLE on Windows; both systems use -1 for
    // none.
    using Handle = std::intptr_t;
    static constexpr Handle kNoHandle = -1;

    explicit NativeFile(Handle handle) noexcept : handle_(handle) {}
    // Closes a handle where no one could act on a failure.
    static void Release(Handle handle) noexcept;

    Handle handle_ = kNoHandle;
};

// The control's text as a file name, and back. Windows names are UTF-16
// like the text and pass code unit for code unit; Linux names are UTF-8,
// where an unpaired surrogate becomes U+FFFD as in all the control's UTF-8.
std::filesystem::path ToNativePath(const String& text);
String FromNativePath(const std::filesystem::path& path);

// Puts the file at `from` under the name `to` in one step, replacing the
// file that had that name.
void RenameReplacing(const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& error);
// Makes the names in a directory, a rename into it above all, durable. On
// Windows the rename writes through by itself and this does nothing.
void SyncDirectory(const std::filesystem::path& directory, std::error_code& error);
// Removes a file; a link is removed, not what it points at.
void RemoveFile(const std::filesystem::path& file, std::error_code& error);
// A regular file itself: not a directory, device or link, whatever a link
// would point at.
bool IsRegularFileNotLink(const std::filesystem::path& file);
// A directory in which this process can create files.
bool IsWritableDirectory(const std::filesystem::path& directory);
// The system's directory for temporary files, or an empty path when it has
// none.
std::filesystem::path SystemTempDirectory();

}  // namespace lumora::soft
