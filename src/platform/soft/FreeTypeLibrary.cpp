// SPDX-License-Identifier: MIT
#include "platform/soft/FreeTypeLibrary.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace lumora::soft {
namespace {

// Each block FreeType asks for carries its size in front, so that freeing
// it can take it off the count. The header keeps the block aligned as
// malloc's are.
constexpr std::size_t kHeader = alignof(std::max_align_t);

FreeTypeLibrary* Owner(FT_Memory memory) { return static_cast<FreeTypeLibrary*>(memory->user); }

void* Allocate(FT_Memory memory, long size) {
    if (size <= 0) return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(kHeader + static_cast<std::size_t>(size)));
    if (!block) return nullptr;
    const auto bytes = static_cast<std::size_t>(size);
    std::memcpy(block, &bytes, sizeof bytes);
    Owner(memory)->Count(static_cast<std::ptrdiff_t>(bytes));
    return block + kHeader;
}

std::size_t SizeOf(const void* data) {
    std::size_t bytes = 0;
    std::memcpy(&bytes, static_cast<const unsigned char*>(data) - kHeader, sizeof bytes);
    return bytes;
}

void Free(FT_Memory memory, void* data) {
    if (!data) return;
    Owner(memory)->Count(-static_cast<std::ptrdiff_t>(SizeOf(data)));
    std::free(static_cast<unsigned char*>(data) - kHeader);
}

void* Reallocate(FT_Memory memory, long /*currentSize*/, long newSize, void* data) {
    if (!data) return Allocate(memory, newSize);
    const std::size_t old = SizeOf(data);
    const auto bytes = static_cast<std::size_t>(newSize > 0 ? newSize : 0);
    auto* block = static_cast<unsigned char*>(std::realloc(static_cast<unsigned char*>(data) - kHeader, kHeader + bytes));
    if (!block) return nullptr;
    std::memcpy(block, &bytes, sizeof bytes);
    Owner(memory)->Count(static_cast<std::ptrdiff_t>(bytes) - static_cast<std::ptrdiff_t>(old));
    return block + kHeader;
}

}  // namespace

std::shared_ptr<FreeTypeLibrary> FreeTypeLibrary::Shared() {
    static const std::shared_ptr<FreeTypeLibrary> library = std::make_shared<FreeTypeLibrary>();
    return library;
}

FreeTypeLibrary::FreeTypeLibrary() {
    memory_.user = this;
    memory_.alloc = Allocate;
    memory_.free = Free;
    memory_.realloc = Reallocate;
    if (FT_New_Library(&memory_, &handle_) != 0) throw std::runtime_error("FreeType could not be initialised");
    FT_Add_Default_Modules(handle_);
    FT_Set_Default_Properties(handle_);
}

FreeTypeLibrary::~FreeTypeLibrary() { FT_Done_Library(handle_); }

}  // namespace lumora::soft
