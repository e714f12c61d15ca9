// SPDX-License-Identifier: MIT
// The project's headers come before <windows.h>: once the system headers
// are in, RGB is a macro and would rewrite platform/Types.h.
#include "platform/soft/NativeFile.h"

#include "platform/soft/AtomicFile.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace lumora::soft {
namespace {

// Others may read, write, rename and delete a file while it is open here,
// as on Linux, where an open file locks nothing.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// ReadFile and WriteFile count in DWORDs; longer spans go in pieces.
constexpr std::size_t kMaxTransfer = std::size_t{1} << 30;
// What refusing a link at a name reports, as Linux reports ELOOP.
constexpr DWORD kLinkRefused = ERROR_CANT_RESOLVE_FILENAME;

// The two failures callers act on become their portable conditions; the
// rest keep the system's number, and with it the system's words.
std::error_code ErrorOf(DWORD code) {
    switch (code) {
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return std::make_error_code(std::errc::file_exists);
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return std::make_error_code(std::errc::no_such_file_or_directory);
        default:
            return std::error_code(static_cast<int>(code), std::system_category());
    }
}

std::error_code LastError() { return ErrorOf(::GetLastError()); }

HANDLE Raw(std::intptr_t handle) noexcept { return reinterpret_cast<HANDLE>(handle); }

// Closes a kernel handle other than an open file when it goes.
class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle = nullptr) noexcept : handle_(handle) {}
    ~ScopedHandle() {
        if (handle_ && handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    HANDLE get() const noexcept { return handle_; }
    HANDLE* Receive() noexcept { return &handle_; }

private:
    HANDLE handle_;
};

// Security for a new file that lets the current user in and nobody else.
// The list is protected, so rights the folder hands down stay out of it.
class OwnerOnlySecurity {
public:
    // False, with the system's reason, when the current user cannot be told.
    bool Build(std::error_code& error) {
        if (!ReadCurrentUser(error)) return false;
        const PSID user = reinterpret_cast<const TOKEN_USER*>(user_.data())->User.Sid;
        acl_.resize(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + ::GetLengthSid(user));
        auto* acl = reinterpret_cast<ACL*>(acl_.data());
        if (!::InitializeAcl(acl, static_cast<DWORD>(acl_.size()), ACL_REVISION) ||
            !::AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, user) ||
            !::InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
            !::SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE) ||
            !::SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
            error = LastError();
            return false;
        }
        attributes_ = {sizeof attributes_, &descriptor_, FALSE};
        return true;
    }

    SECURITY_ATTRIBUTES* get() noexcept { return &attributes_; }

private:
    bool ReadCurrentUser(std::error_code& error) {
        ScopedHandle token;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Receive())) {
            error = LastError();
            return false;
        }
        DWORD size = 0;
        ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
        user_.resize(size);
        if (size == 0 || !::GetTokenInformation(token.get(), TokenUser, user_.data(), size, &size)) {
            error = LastError();
            return false;
        }
        return true;
    }

    std::vector<BYTE> user_;
    std::vector<BYTE> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
};

std::intptr_t Open(const std::filesystem::path& path, DWORD access, DWORD disposition, DWORD flags,
                   SECURITY_ATTRIBUTES* security, std::error_code& error) {
    const HANDLE handle = ::CreateFileW(path.c_str(), access, kShareAll, security, disposition, flags, nullptr);
    error = handle == INVALID_HANDLE_VALUE ? LastError() : std::error_code();
    return reinterpret_cast<std::intptr_t>(handle);
}

// Opened with FILE_FLAG_OPEN_REPARSE_POINT, a link is the handle's file
// itself. True, with the reason in error, when it is one, which Linux would
// have refused to open, or when the file cannot be looked at.
bool RefuseLink(HANDLE handle, std::error_code& error) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) {
        error = LastError();
        return true;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
    error = ErrorOf(kLinkRefused);
    return true;
}

}  // namespace

NativeFile NativeFile::CreateNew(const std::filesystem::path& path, NewFileReaders readers, std::error_code& error) {
    OwnerOnlySecurity ownerOnly;
    SECURITY_ATTRIBUTES* security = nullptr;
    if (readers == NewFileReaders::kOwnerOnly) {
        if (!ownerOnly.Build(error)) return NativeFile();
        security = ownerOnly.get();
    }
    // With FILE_FLAG_OPEN_REPARSE_POINT a link at the name takes the name,
    // instead of leading CREATE_NEW to the file it points at.
    return NativeFile(
        Open(path, GENERIC_WRITE, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, security, error));
}

NativeFile NativeFile::CreateOrTruncate(const std::filesystem::path& path, std::error_code& error) {
    NativeFile created = CreateNew(path, NewFileReaders::kOwnerOnly, error);
    if (error != std::errc::file_exists) return created;
    // CREATE_ALWAYS would follow a link; the existing file is opened in
    // place instead, looked at, and only then emptied.
    NativeFile existing(Open(path, GENERIC_WRITE, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr, error));
    if (error || RefuseLink(Raw(existing.handle_), error)) return NativeFile();
    if (!::SetEndOfFile(Raw(existing.handle_))) {
        error = LastError();
        return NativeFile();
    }
    return existing;
}

NativeFile NativeFile::OpenForReading(const std::filesystem::path& path, AtLink links, std::error_code& error) {
    const bool refuse = links == AtLink::kRefuse;
    NativeFile file(Open(path, GENERIC_READ, OPEN_EXISTING, refuse ? FILE_FLAG_OPEN_REPARSE_POINT : 0, nullptr, error));
    if (error || (refuse && RefuseLink(Raw(file.handle_), error))) return NativeFile();
    // Pipes and devices open without waiting here; reading them might not.
    if (!file.RegularFileSize()) {
        error = NotARegularFile();
        return NativeFile();
    }
    return file;
}

std::optional<std::uintmax_t> NativeFile::RegularFileSize() const {
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(Raw(handle_)) != FILE_TYPE_DISK || !::GetFileInformationByHandle(Raw(handle_), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return std::nullopt;
    return (std::uintmax_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
}

std::size_t NativeFile::Read(std::span<char> buffer, std::error_code& error) {
    DWORD count = 0;
    const auto wanted = static_cast<DWORD>(std::min(buffer.size(), kMaxTransfer));
    if (::ReadFile(Raw(handle_), buffer.data(), wanted, &count, nullptr)) {
        error.clear();
        return count;
    }
    const DWORD code = ::GetLastError();
    // A pipe whose writer has gone ends like a file does.
    error = code == ERROR_BROKEN_PIPE ? std::error_code() : ErrorOf(code);
    return 0;
}

void NativeFile::WriteAll(std::string_view bytes, std::error_code& error) {
    error.clear();
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD count = 0;
        const auto wanted = static_cast<DWORD>(std::min(bytes.size() - done, kMaxTransfer));
        if (!::WriteFile(Raw(handle_), bytes.data() + done, wanted, &count, nullptr)) {
            error = LastError();
            return;
        }
        done += count;
    }
}

void NativeFile::SyncToDisk(std::error_code& error) {
    error = ::FlushFileBuffers(Raw(handle_)) ? std::error_code() : LastError();
}

bool NativeFile::TryLock() noexcept {
    OVERLAPPED start{};
    return ::LockFileEx(Raw(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start) != 0;
}

void NativeFile::TakePermissionsFor(const std::filesystem::path&, std::error_code& error) { error.clear(); }

void NativeFile::Close(std::error_code& error) {
    const Handle handle = std::exchange(handle_, kNoHandle);
    error = handle == kNoHandle || ::CloseHandle(Raw(handle)) ? std::error_code() : LastError();
}

void NativeFile::Release(Handle handle) noexcept {
    if (handle != kNoHandle) ::CloseHandle(Raw(handle));
}

std::filesystem::path ToNativePath(const String& text) {
    return std::filesystem::path(std::wstring(text.begin(), text.end()));
}

String FromNativePath(const std::filesystem::path& path) {
    const std::wstring& name = path.native();
    return String(name.begin(), name.end());
}

void RenameReplacing(const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& error) {
    const bool moved = ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    error = moved ? std::error_code() : LastError();
}

void SyncDirectory(const std::filesystem::path&, std::error_code& error) { error.clear(); }

void RemoveFile(const std::filesystem::path& file, std::error_code& error) {
    error = ::DeleteFileW(file.c_str()) ? std::error_code() : LastError();
}

bool IsRegularFileNotLink(const std::filesystem::path& file) {
    constexpr DWORD kNotRegular = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & kNotRegular) == 0;
}

bool IsWritableDirectory(const std::filesystem::path& directory) {
    const DWORD attributes = ::GetFileAttributesW(directory.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return false;
    // A folder's attributes do not say whether files can be made in it (its
    // read-only flag means something else); making one that goes away on
    // closing does.
    std::string name = ".";
    name += RandomFileTag();
    name += ".tmp";
    const std::filesystem::path probe = directory / name;
    const ScopedHandle file(::CreateFileW(probe.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file.get() != INVALID_HANDLE_VALUE;
}

std::filesystem::path SystemTempDirectory() {
    std::wstring directory(MAX_PATH + 1, L'\0');
    DWORD length = ::GetTempPathW(static_cast<DWORD>(directory.size()), directory.data());
    if (length > directory.size()) {
        directory.resize(length);
        length = ::GetTempPathW(static_cast<DWORD>(directory.size()), directory.data());
    }
    if (length == 0 || length > directory.size()) return std::filesystem::path();
    directory.resize(length);
    return std::filesystem::path(directory);
}

}  // namespace lumora::soft
