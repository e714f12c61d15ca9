// SPDX-License-Identifier: MIT
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_MODULE_H

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>

namespace lumora::soft {

// The process's one FreeType instance. Faces made from it share its lock:
// FreeType lets only one thread at a time work with a library and its faces.
// Every font holds a reference, so the library goes away after the last
// face, whatever order the program's statics are destroyed in.
class FreeTypeLibrary {
public:
    static std::shared_ptr<FreeTypeLibrary> Shared();

    FreeTypeLibrary();
    ~FreeTypeLibrary();
    FreeTypeLibrary(const FreeTypeLibrary&) = delete;
    FreeTypeLibrary& operator=(const FreeTypeLibrary&) = delete;

    FT_Library Handle() const noexcept { return handle_; }
    std::mutex& Mutex() noexcept { return mutex_; }

    // The bytes FreeType holds for the library and all its faces. A change
    // read under Mutex() is what the work done under it took or gave back.
    std::size_t BytesInUse() const noexcept { return static_cast<std::size_t>(bytesInUse_.load()); }
    void Count(std::ptrdiff_t change) noexcept { bytesInUse_ += change; }

private:
    FT_MemoryRec_ memory_{};
    std::atomic<std::ptrdiff_t> bytesInUse_{0};
    FT_Library handle_ = nullptr;
    std::mutex mutex_;
};

}  // namespace lumora::soft
