// SPDX-License-Identifier: MIT
#include "ServerVersion.h"

#include <cstddef>
#include <cstring>

namespace lumora::server {
namespace {

// A version resource starts with its length, the length of its value, its
// type and the key L"VS_VERSION_INFO"; the fixed part follows on the next
// four-byte boundary.
constexpr std::size_t kHeaderBytes = 3 * sizeof(WORD) + sizeof(L"VS_VERSION_INFO");
constexpr std::size_t kFixedInfoOffset = (kHeaderBytes + 3) & ~std::size_t{3};
// What every VS_FIXEDFILEINFO starts with.
constexpr DWORD kFixedInfoSignature = 0xFEEF04BD;
// RT_VERSION, spelled for the wide resource functions.
const wchar_t* const kVersionResourceType = MAKEINTRESOURCEW(16);

// The resource's bytes, read in place: the version functions of the system
// want a writable copy from the file, while the module is already loaded.
std::optional<VS_FIXEDFILEINFO> FindFixedInfo(HMODULE module) {
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), kVersionResourceType);
    if (!resource) return std::nullopt;
    const DWORD size = ::SizeofResource(module, resource);
    HGLOBAL loaded = ::LoadResource(module, resource);
    const auto* bytes = static_cast<const unsigned char*>(loaded ? ::LockResource(loaded) : nullptr);
    if (!bytes || size < kFixedInfoOffset + sizeof(VS_FIXEDFILEINFO)) return std::nullopt;
    WORD valueLength = 0;
    std::memcpy(&valueLength, bytes + sizeof(WORD), sizeof(valueLength));
    if (valueLength < sizeof(VS_FIXEDFILEINFO)) return std::nullopt;
    VS_FIXEDFILEINFO info;
    std::memcpy(&info, bytes + kFixedInfoOffset, sizeof(info));
    if (info.dwSignature != kFixedInfoSignature) return std::nullopt;
    return info;
}

}  // namespace

std::optional<ServerVersion> ReadServerVersion(HMODULE module) {
    const std::optional<VS_FIXEDFILEINFO> info = FindFixedInfo(module);
    if (!info) return std::nullopt;
    return ServerVersion{HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS), HIWORD(info->dwFileVersionLS)};
}

}  // namespace lumora::server
